// SPDX-License-Identifier: MIT
#include "ProgressBar.h"

namespace Kestrin
{
ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent)
{
    setRange(0, 100);
    setTextVisible(false);
    setValue(0);
    // Unnamed, a screen reader would say only "progress bar" and the value.
    setAccessibleName(tr("Progress"));
}

void ProgressBar::SetValueAndRepaint(int value)
{
    const int before = paints_;
    setValue(value);
    // QProgressBar repaints by itself when the drawn bar changes; paint once otherwise.
    if (paints_ == before)
        repaint();
}

void ProgressBar::paintEvent(QPaintEvent* event)
{
    ++paints_;
    QProgressBar::paintEvent(event);
}
} // namespace Kestrin
