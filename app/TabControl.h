// SPDX-License-Identifier: MIT
#pragma once
// A tab strip over one shared page: the controls of every tab are children of the
// page itself and the owner shows or hides them, so all tabs' controls can share the
// same rectangles. Click(previous) is raised after the current tab changed.
#include <QWidget>

class QTabBar;

namespace Kestrin
{
class TabControl : public QWidget
{
    Q_OBJECT

public:
    explicit TabControl(QWidget* parent = nullptr);

    int AddTab(const QString& caption);
    int Tabs() const;
    QString TabCaption(int index) const;
    int Tab() const { return current_; }
    // Raises Click when the tab changes; setting the current tab raises nothing.
    void SetTab(int index);
    // Height of the tab strip in pixels.
    int TabHeight() const;
    QTabBar* Bar() const { return bar_; }

Q_SIGNALS:
    void Click(int previousTab);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void OnCurrentChanged(int index);
    void UpdateAccessibleName();

    QTabBar* bar_;
    int current_ = 0;
};
} // namespace Kestrin
