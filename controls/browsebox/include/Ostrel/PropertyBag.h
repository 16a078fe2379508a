// SPDX-License-Identifier: MIT
#pragma once
// An ordered store of named, typed values: what a BrowseBox saves and loads its
// properties through. Keys keep the order they were first written in and are matched
// without regard to case.
//
// Value types: qint32 (int), qint16 (short), bool, QString, QFont and QPixmap (a null
// pixmap is "no picture"). ToText/FromText give a line-based text form that round-trips
// every one of them exactly:
//
//     key=kind:value
//
// kind is i (32-bit integer), s (16-bit integer), b (Boolean, 0 or 1), t (text, with
// \\ \n \r \t escaped), f (font, QFont::toString) or p (picture, base64 PNG; empty for
// no picture). Blank lines and lines starting with '#' are comments. FromText skips a
// line it cannot read, so a damaged bag still gives every entry that is intact.
#include "OstrelExport.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <utility>
#include <vector>

namespace Ostrel
{
class OSTREL_EXPORT PropertyBag
{
public:
    // Replaces the value of an existing key (in its place, keeping its spelling) or appends.
    void Write(const QString& key, const QVariant& value);
    // The stored value, or an invalid QVariant when the key is missing.
    QVariant Read(const QString& key) const;
    bool Contains(const QString& key) const;
    void Remove(const QString& key);
    QStringList Keys() const;
    int Count() const { return static_cast<int>(Entries.size()); }

    QString ToText() const;
    static PropertyBag FromText(const QString& text);

    bool operator==(const PropertyBag& other) const;
    bool operator!=(const PropertyBag& other) const { return !(*this == other); }

private:
    int IndexOf(const QString& key) const;

    std::vector<std::pair<QString, QVariant>> Entries;
};
} // namespace Ostrel
