// SPDX-License-Identifier: MIT
#pragma once
// Mouse-pointer codes: 0 default, 1 arrow, 2 cross, 3 I-beam, 4 icon, 5 size, 6 size NE-SW,
// 7 size N-S, 8 size NW-SE, 9 size W-E, 10 up arrow, 11 hourglass, 12 no drop, 13 arrow and
// hourglass, 14 arrow and question mark, 15 size all, 99 custom (the mouse icon).
#include <QPixmap>

class QWidget;

namespace Ostrel
{
bool IsMousePointerCode(int code);
// Gives the widget the pointer of the code; 0, or 99 without an icon, leave it the
// widget's own.
void ApplyMousePointer(QWidget* widget, int code, const QPixmap& icon);
} // namespace Ostrel
