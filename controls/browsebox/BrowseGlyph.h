// SPDX-License-Identifier: MIT
#pragma once
// The picture both buttons show until PictureLeft or PictureRight replaces it.
#include <QImage>
#include <QPixmap>

namespace Ostrel
{
// 32 x 32, transparent except for three black 2 x 2 dots in one row, one pixel apart:
// columns 11-12, 14-15 and 17-18, rows 18-19.
QImage BrowseGlyphImage();
QPixmap BrowseGlyph();
} // namespace Ostrel
