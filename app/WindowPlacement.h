// SPDX-License-Identifier: MIT
#pragma once
// Where and how large the window opens: the rules of start-up as plain geometry, in the
// window system's (logical) pixels, so that they hold alike at every screen scale.
#include <QList>
#include <QRect>
#include <QSize>

namespace Kestrin
{
// The start-up size: the designed size grown with the layout's scale, kept within the
// largest screen area the window can have (its frame, as far as known, around it), but never
// below the window's minimum size.
QSize StartSize(QSize designed, double scaleX, double scaleY, QSize available, QSize frame,
                QSize minimum);

// Whether some of a title bar lies on one of the screens: a window placed so is left where
// it is, as the user can still reach it; one with no part of its title bar on any screen
// would be out of reach.
bool TitleBarOnAScreen(const QRect& titleBar, const QList<QRect>& screens);
} // namespace Kestrin
