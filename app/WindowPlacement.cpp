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
} // namespace Kestrin
