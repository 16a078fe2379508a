// SPDX-License-Identifier: MIT
// BrowseBox: saving and loading the 23 properties through a property bag, driven by one
// table. Saving writes every key in the table's order; loading runs one step per key, each
// standing alone: a missing or unusable value skips it and the next one runs.
#include "BrowseBoxPrivate.h"
#include "PictureButton.h"

#include <QLineEdit>
#include <array>
#include <limits>

namespace Ostrel
{
namespace
{
// Loading reads a bag value as the target's type. A missing key without a default reads as
// the empty value (False, 0, the empty text); a value of another kind fails the step.
bool IsWholeNumber(const QVariant& value)
{
    switch (value.typeId())
    {
    case QMetaType::Short:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

bool ToInt(const QVariant& value, qint64& out)
{
    if (IsWholeNumber(value))
    {
        out = value.toLongLong();
        return true;
    }
    switch (value.typeId())
    {
    case QMetaType::UnknownType:
        out = 0;
        return true;
    case QMetaType::Bool:
        out = value.toBool() ? -1 : 0; // True is -1 as a number
        return true;
    case QMetaType::QString:
    {
        bool ok = false;
        out = value.toString().trimmed().toLongLong(&ok);
        return ok;
    }
    default:
        return false;
    }
}

bool ToInt32(const QVariant& value, qint32& out)
{
    qint64 wide = 0;
    if (!ToInt(value, wide) || wide < std::numeric_limits<qint32>::min() ||
        wide > std::numeric_limits<quint32>::max())
        return false;
    out = static_cast<qint32>(wide); // colours above 0x7FFFFFFF keep their bits
    return true;
}

bool ToInt16(const QVariant& value, short& out)
{
    qint64 wide = 0;
    if (!ToInt(value, wide) || wide < -32768 || wide > 32767)
        return false;
    out = static_cast<short>(wide);
    return true;
}

bool ToBool(const QVariant& value, bool& out)
{
    if (value.typeId() == QMetaType::QString)
    {
        const QString text = value.toString().trimmed();
        if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return out = true, true;
        if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return out = false, true;
    }
    qint64 number = 0;
    if (!ToInt(value, number))
        return false;
    out = number != 0;
    return true;
}

bool ToText(const QVariant& value, QString& out)
{
    if (IsWholeNumber(value))
    {
        out = QString::number(value.toLongLong());
        return true;
    }
    switch (value.typeId())
    {
    case QMetaType::UnknownType:
        out.clear();
        return true;
    case QMetaType::QString:
        out = value.toString();
        return true;
    case QMetaType::Bool:
        out = value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        return true;
    default:
        return false;
    }
}

bool ToPicture(const QVariant& value, QPixmap& out)
{
    if (value.typeId() == QMetaType::QPixmap)
        out = value.value<QPixmap>();
    else if (value.typeId() == QMetaType::QImage)
        out = QPixmap::fromImage(value.value<QImage>());
    else
        return false;
    return true;
}

QVariant Int16(short value)
{
    return QVariant::fromValue<short>(value);
}

QVariant None()
{
    return QVariant();
}

// Applies a converted value, or reports the step as skipped.
template <typename T, typename Convert, typename Apply>
bool LoadAs(const QVariant& value, Convert convert, Apply apply)
{
    T converted{};
    if (!convert(value, converted))
        return false;
    apply(converted);
    return true;
}
} // namespace

// The saved properties of the box as a whole: its look, its menu, whether it is enabled.
std::array<BrowseBox::Private::PersistedEntry, 7> BrowseBox::Private::PersistedBoxEntries()
{
    using P = Persisted;
    using D = Private;
    return {{
        {P::Appearance, "Appearance",
         [](const BrowseBox& b) { return QVariant(qint32(b.d->Appearance)); },
         [] { return QVariant(qint32(1)); },
         [](D& d, const QVariant& v) // no layout here: the loaded control lays out at the end
         { return LoadAs<qint32>(v, ToInt32, [&](qint32 n) { d.Appearance = n; }); }},
        {P::BackColor, "BackColor",
         [](const BrowseBox& b) { return QVariant(qint32(b.d->FrameBack)); },
         [] { return QVariant(qint32(OleSystemColor(OleColorIndex::Window))); },
         [](D& d, const QVariant& v)
         { return LoadAs<qint32>(v, ToInt32, [&](qint32 n) { d.q->setBackColor(quint32(n)); }); }},
        {P::CustomMenu, "CustomMenu", [](const BrowseBox& b) { return QVariant(b.d->CustomMenu); },
         [] { return QVariant(false); },
         [](D& d, const QVariant& v)
         { return LoadAs<bool>(v, ToBool, [&](bool f) { d.CustomMenu = f; }); }},
        {P::MustExist, "MustExist", [](const BrowseBox& b) { return QVariant(b.d->MustExist); },
         [] { return QVariant(true); },
         [](D& d, const QVariant& v)
         { return LoadAs<bool>(v, ToBool, [&](bool f) { d.MustExist = f; }); }},
        {P::Enabled, "Enabled", [](const BrowseBox& b) { return QVariant(b.Enabled()); },
         [] { return QVariant(true); },
         [](D& d, const QVariant& v)
         {
             return LoadAs<bool>(v, ToBool,
                                 [&](bool f)
                                 {
                                     d.NotifiedEnabled = f; // set directly: not notified
                                     d.q->QWidget::setEnabled(f);
                                 });
         }},
        {P::EnabledLeft, "EnabledLeft",
         [](const BrowseBox& b) { return QVariant(b.EnabledLeft()); }, None,
         [](D& d, const QVariant& v)
         { return LoadAs<bool>(v, ToBool, [&](bool f) { d.ButtonBox[0]->setEnabled(f); }); }},
        {P::EnabledRight, "EnabledRight",
         [](const BrowseBox& b) { return QVariant(b.EnabledRight()); },
         [] { return QVariant(true); },
         [](D& d, const QVariant& v)
         { return LoadAs<bool>(v, ToBool, [&](bool f) { d.ButtonBox[1]->setEnabled(f); }); }},
        // Font, ForeColor, Locked and MaxLength go to both fields, directly.
    }};
}

// The saved properties of the text fields: font, colour, whether locked, longest text.
std::array<BrowseBox::Private::PersistedEntry, 4> BrowseBox::Private::PersistedFieldEntries()
{
    using P = Persisted;
    using D = Private;
    return {{
        {P::Font, "Font", [](const BrowseBox& b) { return QVariant(b.Font()); }, None,
         [](D& d, const QVariant& v)
         {
             if (v.typeId() != QMetaType::QFont)
                 return false;
             for (QLineEdit* field : d.TextField)
                 field->setFont(v.value<QFont>());
             return true;
         }},
        {P::ForeColor, "ForeColor",
         [](const BrowseBox& b) { return QVariant(qint32(b.d->FieldFore[0])); },
         [] { return QVariant(qint32(OleSystemColor(OleColorIndex::WindowText))); },
         [](D& d, const QVariant& v)
         {
             qint32 n = 0;
             if (!ToInt32(v, n) || !OleColorToColor(quint32(n), d.q->palette()).isValid())
                 return false;
             d.FieldFore[0] = d.FieldFore[1] = quint32(n);
             d.ApplyColors();
             return true;
         }},
        {P::Locked, "Locked", [](const BrowseBox& b) { return QVariant(b.Locked()); }, None,
         [](D& d, const QVariant& v)
         {
             return LoadAs<bool>(v, ToBool,
                                 [&](bool f)
                                 {
                                     for (QLineEdit* field : d.TextField)
                                         field->setReadOnly(f);
                                 });
         }},
        {P::MaxLength, "MaxLength",
         [](const BrowseBox& b) { return QVariant(qint32(b.MaxLength())); }, None,
         [](D& d, const QVariant& v)
         {
             qint32 n = 0;
             if (!ToInt32(v, n) || n < 0)
                 return false;
             for (int i = 0; i < 2; ++i)
             {
                 d.MaxLength[i] = n;
                 d.TextField[i]->setMaxLength(n == 0 ? std::numeric_limits<int>::max() : n);
             }
             return true;
         }},
    }};
}

// The saved properties of the mouse: pointer, icon, drag and drop.
std::array<BrowseBox::Private::PersistedEntry, 4> BrowseBox::Private::PersistedMouseEntries()
{
    using P = Persisted;
    using D = Private;
    return {{
        {P::MouseIcon, "MouseIcon", [](const BrowseBox& b) { return QVariant(b.d->MouseIcon); },
         [] { return QVariant(QPixmap()); },
         [](D& d, const QVariant& v) {
             return LoadAs<QPixmap>(v, ToPicture, [&](const QPixmap& p) { d.q->setMouseIcon(p); });
         }},
        {P::MousePointer, "MousePointer",
         [](const BrowseBox& b) { return Int16(b.d->MousePointer); }, [] { return Int16(0); },
         [](D& d, const QVariant& v)
         {
             return LoadAs<short>(v, ToInt16,
                                  [&](short n)
                                  { d.q->setMousePointer(BrowseBox::MousePointerConstants(n)); });
         }},
        {P::OLEDragMode, "OLEDragMode", [](const BrowseBox& b) { return Int16(b.d->DragMode); },
         [] { return Int16(0); },
         [](D& d, const QVariant& v)
         {
             return LoadAs<short>(
                 v, ToInt16, [&](short n) { d.q->setOLEDragMode(BrowseBox::OLEDragConstants(n)); });
         }},
        {P::OLEDropMode, "OLEDropMode", [](const BrowseBox& b) { return Int16(b.d->DropMode); },
         [] { return Int16(0); },
         [](D& d, const QVariant& v)
         {
             return LoadAs<short>(
                 v, ToInt16, [&](short n) { d.q->setOLEDropMode(BrowseBox::OLEDropConstants(n)); });
         }},
        // Set directly, as the field's own property: loading does not notify it.
    }};
}

// The saved properties of the parts' texts, pictures and visibility.
std::array<BrowseBox::Private::PersistedEntry, 8> BrowseBox::Private::PersistedPartEntries()
{
    using P = Persisted;
    using D = Private;
    return {{
        {P::PasswordChar, "PasswordChar",
         [](const BrowseBox& b) { return QVariant(b.d->PasswordChar); }, None,
         [](D& d, const QVariant& v)
         {
             QString text;
             if (!ToText(v, text) || text.size() > 1)
                 return false;
             d.ApplyPasswordChar(text);
             return true;
         }},
        {P::PictureLeft, "PictureLeft",
         [](const BrowseBox& b) { return QVariant(b.PictureLeft()); },
         [] { return QVariant(QPixmap()); },
         [](D& d, const QVariant& v) {
             return LoadAs<QPixmap>(v, ToPicture,
                                    [&](const QPixmap& p) { d.q->setPictureLeft(p); });
         }},
        {P::PictureRight, "PictureRight",
         [](const BrowseBox& b) { return QVariant(b.PictureRight()); },
         [] { return QVariant(QPixmap()); },
         [](D& d, const QVariant& v) {
             return LoadAs<QPixmap>(v, ToPicture,
                                    [&](const QPixmap& p) { d.q->setPictureRight(p); });
         }},
        {P::Text, "Text", [](const BrowseBox& b) { return QVariant(b.Text()); }, None,
         [](D& d, const QVariant& v) {
             return LoadAs<QString>(v, ToText,
                                    [&](const QString& t) { d.TextField[0]->setText(t); });
         }},
        {P::ToolTipLeft, "ToolTipLeft",
         [](const BrowseBox& b) { return QVariant(b.ToolTipLeft()); }, None,
         [](D& d, const QVariant& v) {
             return LoadAs<QString>(v, ToText,
                                    [&](const QString& t) { d.ButtonBox[0]->setToolTip(t); });
         }},
        {P::ToolTipRight, "ToolTipRight",
         [](const BrowseBox& b) { return QVariant(b.ToolTipRight()); },
         [] { return QVariant(BrowseBox::tr("Browse...")); },
         [](D& d, const QVariant& v) {
             return LoadAs<QString>(v, ToText,
                                    [&](const QString& t) { d.ButtonBox[1]->setToolTip(t); });
         }},
        {P::VisibleLeft, "VisibleLeft",
         [](const BrowseBox& b) { return QVariant(b.d->VisibleLeft); }, None,
         [](D& d, const QVariant& v)
         { return LoadAs<bool>(v, ToBool, [&](bool f) { d.q->setVisibleLeft(f); }); }},
        {P::VisibleRight, "VisibleRight",
         [](const BrowseBox& b) { return QVariant(b.d->VisibleRight); },
         [] { return QVariant(true); },
         [](D& d, const QVariant& v)
         { return LoadAs<bool>(v, ToBool, [&](bool f) { d.q->setVisibleRight(f); }); }},
    }};
}

const BrowseBox::Private::PersistedEntry (&BrowseBox::Private::PersistedTable())[PersistedCount]
{
    struct Table
    {
        PersistedEntry Entries[PersistedCount];
    };
    static const Table table = []
    {
        Table all{};
        std::size_t next = 0;
        for (const auto& entry : PersistedBoxEntries())
            all.Entries[next++] = entry;
        for (const auto& entry : PersistedFieldEntries())
            all.Entries[next++] = entry;
        for (const auto& entry : PersistedMouseEntries())
            all.Entries[next++] = entry;
        for (const auto& entry : PersistedPartEntries())
            all.Entries[next++] = entry;
        return all;
    }();
    return table.Entries;
}

const char* BrowseBox::Private::PersistedName(Persisted property)
{
    return PersistedTable()[static_cast<int>(property)].Name;
}

void BrowseBox::WriteProperties(PropertyBag& bag) const
{
    for (const Private::PersistedEntry& entry : Private::PersistedTable())
        bag.Write(QString::fromLatin1(entry.Name).toLower(), entry.Save(*this));
}

PropertyBag BrowseBox::WriteProperties() const
{
    PropertyBag bag;
    WriteProperties(bag);
    return bag;
}

void BrowseBox::ReadProperties(const PropertyBag& bag)
{
    for (const Private::PersistedEntry& entry : Private::PersistedTable())
    {
        const QString key = QString::fromLatin1(entry.Name);
        entry.Load(*d, bag.Contains(key) ? bag.Read(key) : entry.LoadDefault());
    }

    // The container's own settings for this control: its tool tip and what's-this text,
    // and a help context number if it keeps one as the "HelpContextID" property.
    d->TextField[0]->setToolTip(toolTip());
    for (QWidget* part : {static_cast<QWidget*>(d->TextField[0]),
                          static_cast<QWidget*>(d->ButtonBox[1]), d->TextFrame})
    {
        part->setProperty("HelpContextID", property("HelpContextID"));
        part->setWhatsThis(whatsThis());
    }
}
} // namespace Ostrel
