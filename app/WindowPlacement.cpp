// SPDX-License-Identifier: MIT
#include "WindowPlacement.h"

#include <algorithm>
#include <cmath>

namespace Kestrin
{
QSize StartSize(QSize designed, double scaleX, double scaleY, QSize available, QSize frame,
                QSize minimum)
{
    const auto fit = [](int design, double scale, int room, int least)
    {
        int size = static_cast<int>(std::lround(design * scale));
        if (room > 0)
            size = std::min(size, room);
        return std::max(size, least);
    };
    return {fit(designed.width(), scaleX, available.width() - frame.width(), minimum.width()),
            fit(designed.height(), scaleY, available.height() - frame.height(), minimum.height())};
}

bool TitleBarOnAScreen(const QRect& titleBar, const QList<QRect>& screens)
{
    return std::any_of(screens.begin(), screens.end(),
                       [&titleBar](const QRect& screen) { return screen.intersects(titleBar); });
}

namespace
{
int Pixels(int twips, double twipsPerPixel)
{
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}

// The window's own size centred by twips, as it is loaded: the frame comes later.
int CentredTwips(int screenStart, int screenPx, int windowPx, double tpp)
{
    return static_cast<int>(std::nearbyint((screenStart + (screenPx - windowPx) / 2.0) * tpp));
}

// The edge in twips, or nothing where it is missing or too large for the window's coordinates.
std::optional<int> RestoredTwips(const std::optional<Fixed4>& saved, double tpp)
{
    int twips = 0;
    if (saved && RestoreEdgeTwips(*saved, tpp, twips))
        return twips;
    return std::nullopt;
}
} // namespace

Placement PlaceWindow(const PlacementInput& in)
{
    const double tppx = in.TwipsPerPixelX;
    const double tppy = in.TwipsPerPixelY;
    const int centredLeft = CentredTwips(in.Screen.x(), in.Screen.width(), in.Frame.width(), tppx);
    const int centredTop = CentredTwips(in.Screen.y(), in.Screen.height(), in.Frame.height(), tppy);
    const std::optional<int> left = RestoredTwips(in.Left, tppx);
    const std::optional<int> top = RestoredTwips(in.Top, tppy);

    Placement out;
    out.CentreLeft = !left;
    out.CentreTop = !top;
    out.LeftTwips = left.value_or(centredLeft);
    out.TopTwips = top.value_or(centredTop);
    // A saved position is used as it is, off the screen or not, while the user can still reach
    // the window by its title bar. Positions saved at another scale or on screens since gone
    // leave it wholly off every screen: centred instead.
    const QRect titleBar(Pixels(out.LeftTwips, tppx), Pixels(out.TopTwips, tppy), in.Frame.width(),
                         in.TitleBarHeight);
    if (!in.Screens.isEmpty() && !TitleBarOnAScreen(titleBar, in.Screens))
    {
        out.LeftTwips = centredLeft;
        out.TopTwips = centredTop;
        out.CentreLeft = out.CentreTop = true;
    }
    out.At = QPoint(Pixels(out.LeftTwips, tppx), Pixels(out.TopTwips, tppy));
    return out;
}

QPoint CentredFrame(const QRect& frame, const QRect& area, bool left, bool top)
{
    QPoint at = frame.topLeft();
    if (left)
        at.setX(area.x() + (area.width() - frame.width()) / 2);
    if (top)
        at.setY(area.y() + (area.height() - frame.height()) / 2);
    return at;
}
} // namespace Kestrin
