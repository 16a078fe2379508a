// SPDX-License-Identifier: MIT
#include "MousePointer.h"

#include <QCursor>
#include <QWidget>

namespace Ostrel
{
namespace
{
constexpr Qt::CursorShape Shapes[] = {
    Qt::ArrowCursor,        // 0 (not used: the widget's own pointer)
    Qt::ArrowCursor,        // 1 arrow
    Qt::CrossCursor,        // 2 cross
    Qt::IBeamCursor,        // 3 I-beam
    Qt::PointingHandCursor, // 4 icon: no square pointer here, the pointing hand stands in
    Qt::SizeAllCursor,      // 5 size
    Qt::SizeBDiagCursor,    // 6 size NE-SW
    Qt::SizeVerCursor,      // 7 size N-S
    Qt::SizeFDiagCursor,    // 8 size NW-SE
    Qt::SizeHorCursor,      // 9 size W-E
    Qt::UpArrowCursor,      // 10 up arrow
    Qt::WaitCursor,         // 11 hourglass
    Qt::ForbiddenCursor,    // 12 no drop
    Qt::BusyCursor,         // 13 arrow and hourglass
    Qt::WhatsThisCursor,    // 14 arrow and question mark
    Qt::SizeAllCursor,      // 15 size all
};
constexpr int Custom = 99;
} // namespace

bool IsMousePointerCode(int code)
{
    return (code >= 0 && code <= 15) || code == Custom;
}

void ApplyMousePointer(QWidget* widget, int code, const QPixmap& icon)
{
    if (code == Custom && !icon.isNull())
        widget->setCursor(QCursor(icon));
    else if (code >= 1 && code <= 15)
        widget->setCursor(Shapes[code]);
    else
        widget->unsetCursor();
}
} // namespace Ostrel
