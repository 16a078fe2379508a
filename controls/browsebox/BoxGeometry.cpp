// SPDX-License-Identifier: MIT
#include "BoxGeometry.h"

#include "OleColorMapping.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Ostrel
{
int RoundHalfEven(double value)
{
    const double rounded = std::nearbyint(value); // the default rounding mode: halves to even
    if (rounded >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (rounded <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(rounded);
}

short RoundToInt16(double value)
{
    const int rounded = RoundHalfEven(value);
    return static_cast<short>(std::clamp(rounded, -32768, 32767));
}

double ButtonWidthTwips(int scrollBarExtentPixels, double tppX)
{
    return RoundHalfEven(tppX * scrollBarExtentPixels);
}

TwipRect RightButtonRect(const LayoutInput& in, const TwipRect& frame, double controlHeight)
{
    const int a = in.Appearance;
    TwipRect r;
    r.Left = frame.Left + frame.Width + in.TppX;
    r.Top = (a + 1) * in.TppY;
    r.Width = in.ButtonWidth - a * in.TppX;
    r.Height = std::max(0.0, controlHeight - (3 * a + 1) * in.TppY);
    return r;
}

LayoutResult ComputeLayout(const LayoutInput& in)
{
    LayoutResult out;
    const int a = in.Appearance;
    const int vl = in.VisibleLeft ? 1 : 0;
    const int vr = in.VisibleRight ? 1 : 0;

    if (in.VisibleLeft)
    {
        out.PlaceLeft = true;
        out.LeftButton.Left = (a + 1) * in.TppX;
        out.LeftButton.Top = (a + 1) * in.TppY;
        out.LeftButton.Width = in.ButtonWidth - a * in.TppX;
        // Sized with the height the control had before this layout fixed it.
        out.LeftButton.Height = std::max(0.0, in.Height - (3 * a + 1) * in.TppY);
    }

    const int p = RoundHalfEven(in.TppX);
    const int l =
        RoundHalfEven(std::max(in.CollapsedFieldWidth, in.Width - 2 * (a + 1) * in.TppX - p));
    const double t = std::max(0.0, l - vl * in.ButtonWidth - vr * in.ButtonWidth);

    out.Field = {static_cast<double>(p), in.TppX, t, in.LineHeight + 2 * in.TppY};
    out.Frame = {(a + 1) * in.TppX + vl * in.ButtonWidth, (a + 1) * in.TppY, out.Field.Width,
                 out.Field.Height + 2 * in.TppY};
    out.ControlWidth = out.Frame.Width + 2 * (a + 1) * in.TppX + (vl + vr) * in.ButtonWidth;
    out.ControlHeight = out.Frame.Height + 2 * (a + 1) * in.TppY;

    if (in.VisibleRight)
    {
        out.PlaceRight = true;
        out.RightButton = RightButtonRect(in, out.Frame, out.ControlHeight);
    }
    return out;
}

std::vector<BorderLine> BorderLines(int appearance, double width, double height, double tppX,
                                    double tppY)
{
    const double w = RoundHalfEven(width - tppX);
    const double h = RoundHalfEven(height - tppY);
    if (appearance == 0)
    {
        const quint32 dark = OleSystemColor(OleColorIndex::DarkShadow3D);
        return {{0, 0, w, 0, dark}, {w, 0, w, h, dark}, {w, h, 0, h, dark}, {0, h, 0, 0, dark}};
    }
    const quint32 shadow = OleSystemColor(OleColorIndex::ButtonShadow);
    const quint32 light = OleSystemColor(OleColorIndex::ButtonHighlight);
    const quint32 dark = OleSystemColor(OleColorIndex::DarkShadow3D);
    return {
        {0, 0, w, 0, shadow},
        {w, 0, w, height, light},
        {0, 0, 0, h, shadow},
        {0, h, width, h, light},
        {tppX, tppY, width - 2 * tppX, tppY, dark},
        {tppX, tppY, tppX, height - 2 * tppY, dark},
    };
}

FocusPart EnterFocusTarget(double x, double y, const FocusCandidate& left,
                           const FocusCandidate& right, bool field0Usable, bool field1Usable)
{
    const auto over = [x, y](const FocusCandidate& c)
    {
        const double dx = x - c.Rect.Left;
        const double dy = y - c.Rect.Top;
        return c.Usable && dx >= 0 && dx <= c.Rect.Width && dy >= 0 && dy <= c.Rect.Height;
    };
    if (over(left))
        return FocusPart::LeftButton;
    if (over(right))
        return FocusPart::RightButton;
    if (field0Usable)
        return FocusPart::Field0;
    if (field1Usable)
        return FocusPart::Field1;
    return FocusPart::None;
}
} // namespace Ostrel
