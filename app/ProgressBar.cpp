// SPDX-License-Identifier: MIT
#include "ProgressBar.h"

namespace Kestrin
{
ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent)
{
    setRange(0, 100);
    setTextVisible(false);
    setValue(0);
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
