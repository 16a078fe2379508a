// SPDX-License-Identifier: MIT
#include "BrowseGlyph.h"

#include <QColor>

namespace Ostrel
{
QImage BrowseGlyphImage()
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (const int left : {11, 14, 17})
        for (int x = left; x < left + 2; ++x)
            for (int y = 18; y < 20; ++y)
                image.setPixelColor(x, y, QColor(Qt::black));
    return image;
}

QPixmap BrowseGlyph()
{
    return QPixmap::fromImage(BrowseGlyphImage());
}
} // namespace Ostrel
