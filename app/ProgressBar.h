// SPDX-License-Identifier: MIT
#pragma once
// The run's progress bar: a value set during a run is painted at once, and only once,
// so that a long run repaints the bar no more often than its value changes.
#include <QProgressBar>

namespace Kestrin
{
class ProgressBar : public QProgressBar
{
    Q_OBJECT

public:
    explicit ProgressBar(QWidget* parent = nullptr);

    void SetValueAndRepaint(int value);
    int PaintCount() const { return paints_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int paints_ = 0;
};
} // namespace Kestrin
