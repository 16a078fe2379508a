#include "PropertyBag.h"

namespace Ostrel
{
int PropertyBag::IndexOf(const QString& key) const
{
    for (size_t i = 0; i < Entries.size(); ++i)
        if (Entries[i].first.compare(key, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

void PropertyBag::Write(const QString& key, const QVariant& value)
{
    const int index = IndexOf(key);
    if (index >= 0)
        Entries[static_cast<size_t>(index)].second = value;
    else
        Entries.emplace_back(key, value);
}

QVariant PropertyBag::Read(const QString& key) const
{
    const int index = IndexOf(key);
    return index >= 0 ? Entries[static_cast<size_t>(index)].second : QVariant();
}

bool PropertyBag::Contains(const QString& key) const
{
    return IndexOf(key) >= 0;
}

void PropertyBag::Remove(const QString& key)
{
    const int index = IndexOf(key);
    if (index >= 0)
        Entries.erase(Entries.begin() + index);
}

QStringList PropertyBag::Keys() const
{
    QStringList keys;
    for (const auto& entry : Entries)
        keys << entry.first;
    return keys;
}

QString PropertyBag::ToText() const
{
    return QString();
}
PropertyBag PropertyBag::FromText(const QString&)
{
    return PropertyBag();
}

bool PropertyBag::operator==(const PropertyBag& other) const
{
    return Keys() == other.Keys();
}
} // namespace Ostrel
