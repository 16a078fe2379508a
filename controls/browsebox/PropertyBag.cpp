// SPDX-License-Identifier: MIT
#include <Ostrel/PropertyBag.h>
#include <QBuffer>
#include <QByteArray>
#include <QFont>
#include <QImage>
#include <QPixmap>

namespace Ostrel
{
namespace
{
QString Escape(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text)
    {
        if (c == u'\\')
            out += QLatin1String("\\\\");
        else if (c == u'\n')
            out += QLatin1String("\\n");
        else if (c == u'\r')
            out += QLatin1String("\\r");
        else if (c == u'\t')
            out += QLatin1String("\\t");
        else
            out += c;
    }
    return out;
}

QString Unescape(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i)
    {
        const QChar c = text.at(i);
        if (c != u'\\' || i + 1 == text.size())
        {
            out += c;
            continue;
        }
        const QChar next = text.at(++i);
        if (next == u'n')
            out += u'\n';
        else if (next == u'r')
            out += u'\r';
        else if (next == u't')
            out += u'\t';
        else
            out += next;
    }
    return out;
}

QImage PictureImage(const QVariant& value)
{
    if (value.typeId() == QMetaType::QImage)
        return value.value<QImage>();
    return value.value<QPixmap>().toImage();
}

QString PictureText(const QVariant& value)
{
    const QImage image = PictureImage(value);
    if (image.isNull())
        return QString();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return QString::fromLatin1(png.toBase64());
}

bool IsPicture(const QVariant& value)
{
    return value.typeId() == QMetaType::QPixmap || value.typeId() == QMetaType::QImage;
}

QString ValueText(const QVariant& value)
{
    switch (value.typeId())
    {
    case QMetaType::Bool:
        return QStringLiteral("b:") + (value.toBool() ? u'1' : u'0');
    case QMetaType::Short:
        return QStringLiteral("s:") + QString::number(value.value<short>());
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        // Colours and other 32-bit values keep their bits.
        return QStringLiteral("i:") + QString::number(static_cast<qint32>(value.toLongLong()));
    case QMetaType::QFont:
        return QStringLiteral("f:") + value.value<QFont>().toString();
    case QMetaType::QPixmap:
    case QMetaType::QImage:
        return QStringLiteral("p:") + PictureText(value);
    default:
        return QStringLiteral("t:") + Escape(value.toString());
    }
}

// The value of one "kind:value" text; an invalid QVariant when it cannot be read.
QVariant ParseValue(const QString& text)
{
    if (text.size() < 2 || text.at(1) != u':')
        return QVariant();
    const QChar kind = text.at(0);
    const QString raw = text.mid(2);
    bool ok = false;
    if (kind == u'i')
    {
        const qint32 number = raw.trimmed().toInt(&ok);
        return ok ? QVariant(number) : QVariant();
    }
    if (kind == u's')
    {
        const short number = raw.trimmed().toShort(&ok);
        return ok ? QVariant::fromValue<short>(number) : QVariant();
    }
    if (kind == u'b')
    {
        const QString flag = raw.trimmed();
        if (flag == QLatin1String("1"))
            return QVariant(true);
        if (flag == QLatin1String("0"))
            return QVariant(false);
        return QVariant();
    }
    if (kind == u't')
        return QVariant(Unescape(raw));
    if (kind == u'f')
    {
        QFont font;
        return !raw.isEmpty() && font.fromString(raw) ? QVariant(font) : QVariant();
    }
    if (kind == u'p')
    {
        if (raw.trimmed().isEmpty())
            return QVariant(QPixmap());
        const QByteArray data =
            QByteArray::fromBase64Encoding(raw.trimmed().toLatin1(),
                                           QByteArray::AbortOnBase64DecodingErrors)
                .decoded;
        QImage image;
        if (data.isEmpty() || !image.loadFromData(data, "PNG"))
            return QVariant();
        return QVariant(QPixmap::fromImage(image));
    }
    return QVariant();
}

bool ValuesEqual(const QVariant& a, const QVariant& b)
{
    if (IsPicture(a) || IsPicture(b))
    {
        if (!IsPicture(a) || !IsPicture(b))
            return false;
        const QImage imageA = PictureImage(a);
        const QImage imageB = PictureImage(b);
        if (imageA.isNull() || imageB.isNull())
            return imageA.isNull() == imageB.isNull();
        return imageA.convertToFormat(QImage::Format_ARGB32) ==
               imageB.convertToFormat(QImage::Format_ARGB32);
    }
    return a.typeId() == b.typeId() && a == b;
}
} // namespace

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
    QString text;
    for (const auto& [key, value] : Entries)
        text += key + u'=' + ValueText(value) + u'\n';
    return text;
}

PropertyBag PropertyBag::FromText(const QString& text)
{
    PropertyBag bag;
    for (QString line : text.split(u'\n'))
    {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.trimmed().startsWith(u'#'))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QVariant value = ParseValue(line.mid(equals + 1));
        if (!key.isEmpty() && value.isValid())
            bag.Write(key, value);
    }
    return bag;
}

bool PropertyBag::operator==(const PropertyBag& other) const
{
    if (Entries.size() != other.Entries.size())
        return false;
    for (size_t i = 0; i < Entries.size(); ++i)
        if (Entries[i].first.compare(other.Entries[i].first, Qt::CaseInsensitive) != 0 ||
            !ValuesEqual(Entries[i].second, other.Entries[i].second))
            return false;
    return true;
}
} // namespace Ostrel
