// SPDX-License-Identifier: MIT
#include "OstrelVersion.h"
#include "tests/support/Latin1.h"
#include "tests/support/QtPrint.h"

#include <Ostrel/BrowseBox.h>
#include <QAccessible>
#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QPixmap>
#include <QPushButton>
#include <QSignalSpy>
#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>
#include <typeinfo>

using namespace Ostrel;

TEST(BrowseBoxInterface, PropertiesInPublishedOrder)
{
    const QMetaObject& meta = BrowseBox::staticMetaObject;
    QStringList names;
    for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i)
        names << QString::fromLatin1(meta.property(i).name());
    EXPECT_EQ(
        names,
        Latin1List({"Appearance",   "BackColor",    "CustomMenu",   "Enabled",     "EnabledLeft",
                    "EnabledRight", "Font",         "ForeColor",    "Locked",      "MaxLength",
                    "MouseIcon",    "MousePointer", "MustExist",    "OLEDragMode", "OLEDropMode",
                    "PasswordChar", "PictureLeft",  "PictureRight", "Text",        "ToolTipLeft",
                    "ToolTipRight", "VisibleLeft",  "VisibleRight", "hDC",         "hWnd",
                    "SelLength",    "SelStart",     "SelText",      "ErrText",     "Version"}));
    for (int i = meta.propertyOffset(); i < meta.propertyOffset() + 23; ++i)
        EXPECT_TRUE(meta.property(i).hasNotifySignal()) << meta.property(i).name();
    for (int i = meta.propertyOffset() + 23; i < meta.propertyCount(); ++i)
    {
        EXPECT_FALSE(meta.property(i).hasNotifySignal()) << meta.property(i).name();
        EXPECT_FALSE(meta.property(i).isDesignable()) << meta.property(i).name();
    }
    EXPECT_TRUE(meta.property(meta.indexOfProperty("Appearance")).isEnumType());
}

TEST(BrowseBoxInterface, EventsInDeclarationOrder)
{
    const QMetaObject& meta = BrowseBox::staticMetaObject;
    QStringList signatures;
    for (int i = meta.methodOffset(); i < meta.methodCount() && signatures.size() < 16; ++i)
        if (meta.method(i).methodType() == QMetaMethod::Signal)
            signatures << QString::fromLatin1(meta.method(i).methodSignature());
    EXPECT_EQ(signatures,
              Latin1List({"ButtonClick(short)", "Change()", "Click()", "DblClick()",
                          "KeyDown(short,short)", "KeyUp(short,short)", "KeyPress(short)",
                          // By reference where the control passes them so.
                          "MouseDown(short&,short&,float&,float&)",
                          "MouseMove(short&,short&,float&,float&)",
                          "MouseUp(short&,short&,float&,float&)", "OLECompleteDrag(int&)",
                          "OLEDragDrop(const QMimeData*&,int&,short&,short&,float&,float&)",
                          "OLEDragOver(const QMimeData*&,int&,short&,short&,float&,float&,short&)",
                          "OLEGiveFeedback(int&,bool&)", "OLESetData(QMimeData*&,short&)",
                          "OLEStartDrag(QMimeData*&,int&)"}));
}

TEST(BrowseBoxInterface, WhichWritesNotify)
{
    BrowseBox box;
    QSignalSpy changed(&box, &BrowseBox::PropertyChanged);
    QSignalSpy appearance(&box, &BrowseBox::AppearanceChanged);
    box.setAppearance(BrowseBox::ThreeD); // already: nothing happens
    box.setEnabled(true);
    EXPECT_EQ(changed.count(), 0);
    box.setAppearance(BrowseBox::Flat);
    EXPECT_EQ(appearance.count(), 1);
    box.setCustomMenu(false); // notifies on every write
    box.setCustomMenu(false);
    box.setMustExist(true);
    box.setSelStart(0); // run-time properties never notify
    box.setErrText(QStringLiteral("x"));
    QStringList names;
    for (const auto& args : changed)
        names << args.at(0).toString();
    EXPECT_EQ(names, Latin1List({"Appearance", "CustomMenu", "CustomMenu", "MustExist"}));
}

// Enabled and Font are QWidget's own setters: however they are reached, the change is
// told once, and a parent's change, which leaves the control's own setting, is not.
TEST(BrowseBoxInterface, EnabledAndFontChangesAreNotifiedHoweverTheyAreMade)
{
    struct Case
    {
        const char* Name;
        std::function<void(BrowseBox& box, QWidget& parent)> Change;
        QStringList Notified;
        bool Enabled;
    };
    QFont big = QApplication::font();
    big.setPixelSize(31);
    const Case cases[] = {
        {"setEnabled through a QWidget pointer",
         [](BrowseBox& box, QWidget&) { static_cast<QWidget&>(box).setEnabled(false); },
         Latin1List({"Enabled"}), false},
        {"the Enabled property, as a form designer writes it",
         [](BrowseBox& box, QWidget&) { box.setProperty("Enabled", false); },
         Latin1List({"Enabled"}), false},
        {"setEnabled to the value it has",
         [](BrowseBox& box, QWidget&) { box.setEnabled(true); },
         {},
         true},
        {"a disabled parent",
         [](BrowseBox&, QWidget& parent) { parent.setEnabled(false); },
         {},
         true},
        {"setFont through a QWidget pointer",
         [&](BrowseBox& box, QWidget&) { static_cast<QWidget&>(box).setFont(big); },
         Latin1List({"Font"}), true},
        {"the Font property", [&](BrowseBox& box, QWidget&) { box.setProperty("Font", big); },
         Latin1List({"Font"}), true},
        {"a font the parent passes on",
         [&](BrowseBox&, QWidget& parent) { parent.setFont(big); },
         {},
         true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.Name);
        QWidget parent;
        auto* box = new BrowseBox(&parent);
        QSignalSpy changed(box, &BrowseBox::PropertyChanged);
        c.Change(*box, parent);
        QStringList names;
        for (const auto& args : changed)
            names << args.at(0).toString();
        EXPECT_EQ(names, c.Notified);
        EXPECT_EQ(box->Enabled(), c.Enabled);
        if (c.Notified.contains(QStringLiteral("Font")))
        {
            EXPECT_EQ(box->Font().pixelSize(), 31);
            EXPECT_EQ(box->TextField(1)->font().pixelSize(), 31);
            EXPECT_EQ(box->height(), QFontMetrics(box->Font()).height() + 8); // laid out
        }
    }
}

TEST(BrowseBoxInterface, RefusedValuesKeepThePreviousOne)
{
    BrowseBox box;
    box.setMousePointer(BrowseBox::Hourglass);
    box.setMousePointer(BrowseBox::MousePointerConstants(16));
    box.setMousePointer(BrowseBox::MousePointerConstants(-1));
    EXPECT_EQ(box.MousePointer(), 11);
    box.setBackColor(0x00123456);
    box.setBackColor(0x80000077);
    EXPECT_EQ(box.BackColor(), 0x00123456u);
    box.setMaxLength(-1);
    EXPECT_EQ(box.MaxLength(), 0);
    box.setOLEDragMode(BrowseBox::OLEDragConstants(2));
    EXPECT_EQ(box.OLEDragMode(), 0);
}

TEST(BrowseBoxInterface, VisibleLeftStoresTheFlagAndReadsTheButton)
{
    BrowseBox box;
    box.setVisibleLeft(true);
    EXPECT_TRUE(box.VisibleLeft());
    box.ButtonBox(0)->hide(); // the button itself answers the read
    EXPECT_FALSE(box.VisibleLeft());
    EXPECT_TRUE(box.WriteProperties().Read(QStringLiteral("VisibleLeft")).toBool());
}

TEST(BrowseBoxInterface, PartsByObjectName)
{
    BrowseBox box;
    for (const char* name : {"TextFrame", "TextField0", "TextField1", "ButtonBox0", "ButtonBox1"})
        EXPECT_NE(box.findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(box.findChild<QLineEdit*>(QStringLiteral("TextField1")), box.TextField(1));
    EXPECT_EQ(box.TextField(0)->parentWidget(), box.TextFrame());
}

// A program built against the library knows the control's type: dynamic_cast and typeid
// need the type information the library exports.
TEST(BrowseBoxInterface, ItsTypeInformationReachesItsUsers)
{
    BrowseBox box;
    QLineEdit edit;
    QWidget* widgets[] = {&box, &edit};
    EXPECT_EQ(dynamic_cast<BrowseBox*>(widgets[0]), &box);
    EXPECT_EQ(dynamic_cast<BrowseBox*>(widgets[1]), nullptr);
    EXPECT_EQ(typeid(*widgets[0]), typeid(BrowseBox));
    EXPECT_NE(typeid(*widgets[1]), typeid(BrowseBox));
}

TEST(BrowseBoxInterface, VersionAndAboutBox)
{
    BrowseBox box;
    EXPECT_EQ(box.Version(), QStringLiteral(" 1.00")); // the library's own version
    EXPECT_TRUE(box.Version().startsWith(u' '));
    EXPECT_FALSE(box.Version().startsWith(QStringLiteral("  ")));
    QString title;
    QString text;
    BrowseBox::SetAboutPresenter(
        [&](QWidget*, const QString& t, const QString& body)
        {
            title = t;
            text = body;
        });
    box.AboutBox();
    BrowseBox::SetAboutPresenter(nullptr);
    EXPECT_EQ(title, QStringLiteral("About..."));
    const QStringList lines = text.split(u'\n');
    ASSERT_EQ(lines.size(), 3);
    // The library's file description, the same text as its version resource's.
    EXPECT_EQ(lines.at(0), QString::fromUtf8(OstrelFileDescription));
    EXPECT_TRUE(lines.at(1).isEmpty());
    EXPECT_EQ(lines.at(2), QStringLiteral("Version") + box.Version());
    EXPECT_TRUE(lines.at(2).startsWith(QStringLiteral("Version ")));
}

TEST(BrowseBoxInterface, ToolTipText)
{
    BrowseBox box;
    box.setToolTip(QStringLiteral("container tip"));
    EXPECT_FALSE(box.SetToolTipText().isValid());
    EXPECT_EQ(box.TextField(0)->toolTip(), QStringLiteral("container tip"));
    EXPECT_FALSE(box.SetToolTipText(42).isValid());
    EXPECT_EQ(box.TextField(0)->toolTip(), QStringLiteral("42"));
}

TEST(BrowseBoxInterface, TextWidthCountsLeadingTabsOnly)
{
    BrowseBox box;
    const int b = QFontMetrics(QApplication::font()).averageCharWidth();
    const QFontMetrics own(box.font());
    EXPECT_EQ(box.TextWidth(QString()), 0);
    EXPECT_EQ(box.TextWidth(QStringLiteral("\t\t\t")), 2 * 3 * b * 15);
    EXPECT_EQ(box.TextWidth(QStringLiteral("\tab")),
              2 * b * 15 + own.horizontalAdvance(QStringLiteral("ab")) * 15);
    EXPECT_EQ(box.TextWidth(QStringLiteral("a\tb")),
              own.horizontalAdvance(QStringLiteral("ab")) * 15);
    // The surface's own font, not the text font.
    QFont big = box.Font();
    big.setPixelSize(40);
    box.setFont(big);
    EXPECT_EQ(box.TextWidth(QStringLiteral("ab")),
              own.horizontalAdvance(QStringLiteral("ab")) * 15);
    EXPECT_EQ(box.TextHeight(QStringLiteral("x")), own.height() * 15);
    // Twice the tab count is 16-bit arithmetic: the platform's overflow error, not a
    // clamped width.
    EXPECT_THROW(box.TextWidth(QString(16384, u'\t')), std::overflow_error);
    EXPECT_THROW(box.TextWidth(QString(20000, u'\t')), std::overflow_error);
}

TEST(BrowseBoxInterface, SelectionProperties)
{
    BrowseBox box;
    box.setText(QStringLiteral("abcdef"));
    box.setSelStart(2);
    box.setSelLength(3);
    EXPECT_EQ(box.SelText(), QStringLiteral("cde"));
    box.setSelText(QStringLiteral("XY"));
    EXPECT_EQ(box.Text(), QStringLiteral("abXYf"));
    box.setSelStart(99);
    EXPECT_EQ(box.SelStart(), 5);
    EXPECT_EQ(box.SelLength(), 0);
}

TEST(BrowseBoxInterface, SettersReachTheirParts)
{
    BrowseBox box;
    box.setBackColor(0x0000FF00); // green, in BGR order
    for (QWidget* field :
         {static_cast<QWidget*>(box.TextField(0)), static_cast<QWidget*>(box.TextField(1))})
        EXPECT_EQ(field->palette().color(QPalette::Base), QColor(0, 255, 0));
    EXPECT_EQ(box.TextFrame()->palette().color(QPalette::Window), QColor(0, 255, 0));

    const QColor before = box.TextField(1)->palette().color(QPalette::Text);
    box.setForeColor(0x00FF0000); // field 0 only
    EXPECT_EQ(box.TextField(0)->palette().color(QPalette::Text), QColor(0, 0, 255));
    EXPECT_EQ(box.TextField(1)->palette().color(QPalette::Text), before);

    box.setMousePointer(BrowseBox::Hourglass);
    for (QWidget* part :
         {static_cast<QWidget*>(&box), static_cast<QWidget*>(box.TextField(0)),
          static_cast<QWidget*>(box.TextField(1)), static_cast<QWidget*>(box.ButtonBox(1))})
        EXPECT_EQ(part->cursor().shape(), Qt::WaitCursor) << part->objectName().toStdString();
    EXPECT_FALSE(box.ButtonBox(0)->testAttribute(Qt::WA_SetCursor));

    QImage icon(8, 8, QImage::Format_ARGB32);
    icon.fill(Qt::red);
    box.setMouseIcon(QPixmap::fromImage(icon));
    box.setMousePointer(BrowseBox::Custom);
    EXPECT_EQ(box.TextField(0)->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(box.ButtonBox(1)->cursor().shape(), Qt::BitmapCursor);
    EXPECT_FALSE(box.TextField(1)->testAttribute(Qt::WA_SetCursor)); // no icon for the message

    box.setLocked(true);
    box.setMaxLength(5);
    EXPECT_TRUE(box.TextField(0)->isReadOnly());
    EXPECT_EQ(box.TextField(0)->maxLength(), 5);
    EXPECT_FALSE(box.TextField(1)->isReadOnly());
    box.setMaxLength(0); // no limit
    box.setText(QString(40000, u'x'));
    EXPECT_EQ(box.Text().size(), 40000);
}

// What a screen reader says about a BrowseBox in any form: the parts named after the label
// whose buddy it is (or the control's own accessible name), the right button after what it
// browses for, with the keyboard's way to it, and a shown message as the field's description.
TEST(BrowseBoxInterface, PartsAreNamedForAssistiveTechnology)
{
    const auto name = [](QWidget* w)
    { return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name); };
    const auto description = [](QWidget* w)
    { return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Description); };
    struct Case
    {
        const char* Label;   // nullptr: no buddy label
        const char* OwnName; // nullptr: none set
        const char* Spoken;  // what the text field is called
    } cases[] = {{"&Source File:", nullptr, "Source File"},
                 {"Target && more:", nullptr, "Target & more"},
                 {"Ignored:", "Named by code", "Named by code"},
                 {nullptr, nullptr, ""}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.Spoken);
        QWidget form;
        auto* box = new BrowseBox(&form);
        if (c.Label != nullptr)
            (new QLabel(QString::fromUtf8(c.Label), &form))->setBuddy(box);
        if (c.OwnName != nullptr)
            box->setAccessibleName(QString::fromUtf8(c.OwnName));
        form.show();
        const QString spoken = QString::fromUtf8(c.Spoken);
        EXPECT_EQ(name(box->TextField(0)), spoken);
        EXPECT_EQ(name(box->ButtonBox(1)), spoken.isEmpty()
                                               ? QStringLiteral("Browse")
                                               : QStringLiteral("Browse for ") + spoken);
        EXPECT_TRUE(description(box->ButtonBox(1)).contains(QStringLiteral("Alt+Down")));
        EXPECT_TRUE(description(box->TextField(0)).isEmpty());
        box->setErrText(QStringLiteral("<Required.>"));
        EXPECT_EQ(description(box->TextField(0)), QStringLiteral("<Required.>"));
        EXPECT_EQ(name(box->TextField(1)), spoken);
        box->setErrText(QString());
        EXPECT_TRUE(description(box->TextField(1)).isEmpty());
        box->setToolTipRight(QStringLiteral("Pick a folder..."));
        EXPECT_EQ(name(box->ButtonBox(1)), spoken.isEmpty()
                                               ? QStringLiteral("Pick a folder")
                                               : QStringLiteral("Pick a folder for ") + spoken);
    }
}
