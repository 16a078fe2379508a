// SPDX-License-Identifier: MIT
#include "FormFont.h"

#include <QFontDatabase>
#include <QStringList>
#include <vector>

namespace Kestrin
{
QFont FitFormFont(const QFont& desktop, const std::function<bool(const QFont&)>& fits)
{
    std::vector<QFont> candidates;
    const auto add = [&candidates](const QString& family, double points)
    {
        QFont font;
        font.setFamily(family);
        font.setPointSizeF(points);
        candidates.push_back(font);
    };
    const double own = desktop.pointSizeF() > 0 ? desktop.pointSizeF() : 9.0;
    for (double points = own; points >= 8.0; points -= 0.5)
        add(desktop.family(), points);
    const QStringList narrow = {
        QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Liberation Sans Narrow"),
        QStringLiteral("Nimbus Sans Narrow"), QStringLiteral("Arial Narrow")};
    for (const QString& family : narrow)
    {
        if (!QFontDatabase::hasFamily(family))
            continue;
        add(family, 8.0);
        add(family, 7.5);
    }
    add(desktop.family(), 7.5);
    add(desktop.family(), 7.0);

    for (const QFont& font : candidates)
    {
        if (fits(font))
            return font;
    }
    return candidates.back();
}
} // namespace Kestrin
