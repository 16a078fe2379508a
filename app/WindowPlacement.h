// SPDX-License-Identifier: MIT
#pragma once
// Where and how large the window opens: the rules of start-up as plain geometry of the saved
// values and the screens, in the window system's (logical) pixels, so that they hold alike at
// every screen scale.
#include "common/ProfileFile.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

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

struct PlacementInput
{
    // The saved left and top edges in pixels; missing where the file has no such key.
    std::optional<Fixed4> Left;
    std::optional<Fixed4> Top;
    double TwipsPerPixelX = 15;
    double TwipsPerPixelY = 15;
    QSize Frame;            // the window's frame as far as known (its own size before shown)
    int TitleBarHeight = 0; // pixels
    QRect Screen;           // the screen the window opens on, where it is centred
    QList<QRect> Screens;   // every screen
};

struct Placement
{
    // The edges the window remembers, in twips, and where it is moved, in pixels.
    int LeftTwips = 0;
    int TopTwips = 0;
    QPoint At;
    // The edges that were centred: once the platform reports the frame, it is centred again.
    bool CentreLeft = false;
    bool CentreTop = false;
};

// Each edge restored from its saved value, or centred on the screen where it is missing or
// too large for the window's coordinates; both centred where no part of the title bar would
// lie on any screen.
Placement PlaceWindow(const PlacementInput& in);

// Where a frame of a newly reported size begins when centred on `area` along the edges asked
// for; the other edge stays.
QPoint CentredFrame(const QRect& frame, const QRect& area, bool left, bool top);
} // namespace Kestrin
