// SPDX-License-Identifier: MIT
#include "controls/browsebox/BrowseGlyph.h"
#include "tests/support/Latin1.h"

#include <Ostrel/BrowseBox.h>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <memory>

using namespace Ostrel;

namespace
{
const QStringList SavedKeys = Latin1List(
    {"appearance",   "backcolor",   "custommenu",   "mustexist",    "enabled",     "enabledleft",
     "enabledright", "font",        "forecolor",    "locked",       "maxlength",   "mouseicon",
     "mousepointer", "oledragmode", "oledropmode",  "passwordchar", "pictureleft", "pictureright",
     "text",         "tooltipleft", "tooltipright", "visibleleft",  "visibleright"});

QPixmap Picture(QColor color)
{
    QImage image(6, 4, QImage::Format_ARGB32);
    image.fill(color);
    return QPixmap::fromImage(image);
}

// A control with every saved property away from its default.
std::unique_ptr<BrowseBox> Unusual()
{
    auto box = std::make_unique<BrowseBox>();
    box->setAppearance(BrowseBox::Flat);
    box->setBackColor(0x00FF8000);
    box->setCustomMenu(true);
    box->setMustExist(false);
    box->setEnabled(false);
    box->setEnabledLeft(false);
    box->setEnabledRight(false);
    QFont font(QStringLiteral("DejaVu Serif"), 15);
    font.setItalic(true);
    box->setFont(font);
    box->setForeColor(0x000000FF);
    box->setLocked(true);
    box->setMaxLength(40);
    box->setMouseIcon(Picture(Qt::red));
    box->setMousePointer(BrowseBox::Custom);
    box->setOLEDragMode(BrowseBox::OLEDragAutomatic);
    box->setOLEDropMode(BrowseBox::OLEDropAutomatic);
    box->setPasswordChar(QStringLiteral("*"));
    box->setPictureLeft(Picture(QColor(0, 255, 0, 128)));
    box->setPictureRight(QPixmap());
    box->setText(QStringLiteral("C:\\Data\\a=b\\n  "));
    box->setToolTipLeft(QStringLiteral("Back"));
    box->setToolTipRight(QString());
    box->setVisibleLeft(true);
    box->setVisibleRight(false);
    return box;
}
} // namespace

TEST(BrowseBoxPersistence, SavedBagHoldsAll23KeysInOrder)
{
    BrowseBox fresh;
    EXPECT_EQ(fresh.WriteProperties().Keys(), SavedKeys);
    EXPECT_EQ(Unusual()->WriteProperties().Keys(), SavedKeys);
}

TEST(BrowseBoxPersistence, EveryPropertyRoundTripsThroughTheText)
{
    const auto original = Unusual();
    const PropertyBag saved = original->WriteProperties();
    const QString text = saved.ToText();
    std::unique_ptr<BrowseBox> loaded(BrowseBox::FromBagText(text));

    EXPECT_EQ(loaded->WriteProperties(), saved);
    EXPECT_EQ(loaded->WriteProperties().ToText(), text);
    EXPECT_EQ(loaded->Appearance(), BrowseBox::Flat);
    EXPECT_EQ(loaded->BackColor(), 0x00FF8000u);
    EXPECT_FALSE(loaded->Enabled());
    EXPECT_EQ(loaded->Font(), original->Font());
    EXPECT_EQ(loaded->TextField(1)->font(), original->Font());
    EXPECT_EQ(loaded->ForeColor(), 0x000000FFu);
    EXPECT_EQ(loaded->MaxLength(), 40);
    EXPECT_EQ(loaded->MousePointer(), 99);
    EXPECT_EQ(loaded->PasswordChar(), QStringLiteral("*"));
    EXPECT_EQ(loaded->TextField(0)->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(loaded->PictureRight().isNull());
    EXPECT_EQ(loaded->Text(), QStringLiteral("C:\\Data\\a=b\\n  "));
    EXPECT_TRUE(loaded->VisibleLeft());
    EXPECT_FALSE(loaded->VisibleRight());
    // Loading gives both fields the same colours, read-only state and length limit.
    EXPECT_EQ(loaded->TextField(1)->palette().color(QPalette::Active, QPalette::Text),
              QColor(255, 0, 0));
    EXPECT_TRUE(loaded->TextField(1)->isReadOnly());
    EXPECT_EQ(loaded->TextField(1)->maxLength(), 40);
}

TEST(BrowseBoxPersistence, NewInstanceRoundTripsWithItsDefaults)
{
    BrowseBox fresh;
    EXPECT_EQ(fresh.Appearance(), BrowseBox::ThreeD);
    EXPECT_EQ(fresh.ToolTipRight(), QStringLiteral("Browse..."));
    EXPECT_TRUE(fresh.MustExist());
    EXPECT_FALSE(fresh.VisibleLeft());
    EXPECT_TRUE(fresh.VisibleRight());
    EXPECT_TRUE(fresh.EnabledLeft());
    EXPECT_EQ(fresh.BackColor(), 0x80000005u);
    EXPECT_EQ(fresh.ForeColor(), 0x80000008u);
    EXPECT_EQ(fresh.PictureLeft().toImage().convertToFormat(QImage::Format_ARGB32),
              BrowseGlyphImage());
    EXPECT_EQ(fresh.PictureRight().toImage().convertToFormat(QImage::Format_ARGB32),
              BrowseGlyphImage());

    const PropertyBag saved = fresh.WriteProperties();
    BrowseBox loaded(PropertyBag::FromText(saved.ToText()));
    EXPECT_EQ(loaded.WriteProperties(), saved);
    EXPECT_FALSE(loaded.VisibleLeft());
    EXPECT_EQ(loaded.ToolTipRight(), QStringLiteral("Browse..."));
    EXPECT_EQ(loaded.PictureRight().toImage().convertToFormat(QImage::Format_ARGB32),
              BrowseGlyphImage());
}

TEST(BrowseBoxPersistence, MissingKeysLoadTheirDefaults)
{
    PropertyBag bag = Unusual()->WriteProperties();
    // The opposite of the defaults, so that a key that is not really missing shows.
    bag.Write(QStringLiteral("enabledleft"), true);
    bag.Write(QStringLiteral("mustexist"), false);
    for (const char* key : {"EnabledLeft", "Locked", "MaxLength", "VisibleLeft", "PasswordChar",
                            "Text", "ToolTipLeft", "EnabledRight", "MustExist", "VisibleRight"})
        bag.Remove(QString::fromLatin1(key));
    BrowseBox box(bag);
    EXPECT_FALSE(box.EnabledLeft());
    EXPECT_FALSE(box.Locked());
    EXPECT_EQ(box.MaxLength(), 0);
    EXPECT_FALSE(box.VisibleLeft());
    EXPECT_EQ(box.PasswordChar(), QString());
    EXPECT_EQ(box.TextField(0)->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(box.Text(), QString());
    EXPECT_EQ(box.ToolTipLeft(), QString());
    EXPECT_TRUE(box.EnabledRight());
    EXPECT_TRUE(box.MustExist());
    EXPECT_TRUE(box.VisibleRight());
    // The keys that were there still load.
    EXPECT_EQ(box.Appearance(), BrowseBox::Flat);
    EXPECT_EQ(box.MousePointer(), 99);
}

TEST(BrowseBoxPersistence, EmptyBagGivesTheTableDefaults)
{
    BrowseBox box{PropertyBag()};
    EXPECT_EQ(box.Appearance(), BrowseBox::ThreeD);
    EXPECT_EQ(box.BackColor(), 0x80000005u);
    EXPECT_EQ(box.ForeColor(), 0x80000008u);
    EXPECT_TRUE(box.Enabled());
    EXPECT_FALSE(box.EnabledLeft());
    EXPECT_TRUE(box.EnabledRight());
    EXPECT_TRUE(box.MustExist());
    EXPECT_FALSE(box.CustomMenu());
    EXPECT_EQ(box.ToolTipRight(), QStringLiteral("Browse..."));
    EXPECT_TRUE(box.PictureLeft().isNull()); // a saved bag without pictures has none
    EXPECT_TRUE(box.PictureRight().isNull());
    EXPECT_FALSE(box.VisibleLeft());
    EXPECT_TRUE(box.VisibleRight());
}

TEST(BrowseBoxPersistence, CorruptBagLoadsWhatItCan)
{
    const QString text = QStringLiteral("appearance=t:three-d\n"
                                        "BACKCOLOR=i:-1\n"    // names no colour
                                        "custommenu=t:True\n" // text that reads as a flag
                                        "mustexist=f:Sans,10,-1,5,400,0,0,0,0,0\n" // a font
                                        "enabled=p:\n"                             // a picture
                                        "font=i:12\n"                              // a number
                                        "forecolor=i:255\n"
                                        "maxlength=i:-5\n"
                                        "mousepointer=s:77\n"
                                        "oledropmode=i:99999\n"
                                        "passwordchar=t:**\n"
                                        "pictureleft=p:@@@\n"
                                        "garbage without an equals sign\n"
                                        "\x01\x02=\x03\n"
                                        "Text=t:kept text\n"
                                        "tooltipright=b:1\n"
                                        "visibleright=t:perhaps\n");
    std::unique_ptr<BrowseBox> box(BrowseBox::FromBagText(text));
    EXPECT_EQ(box->Appearance(), BrowseBox::Flat); // the step failed: the initial 0 stays
    EXPECT_EQ(box->BackColor(), 0x80000005u);
    EXPECT_TRUE(box->CustomMenu());
    EXPECT_TRUE(box->Enabled());
    EXPECT_EQ(box->ForeColor(), 0x000000FFu);
    EXPECT_EQ(box->MaxLength(), 0);
    EXPECT_EQ(box->MousePointer(), 0);
    EXPECT_EQ(box->OLEDropMode(), 0);
    EXPECT_EQ(box->PasswordChar(), QString());
    EXPECT_TRUE(box->PictureLeft().isNull());
    EXPECT_EQ(box->Text(), QStringLiteral("kept text"));
    EXPECT_EQ(box->ToolTipRight(), QStringLiteral("True"));
    EXPECT_TRUE(box->VisibleRight());

    // Any line noise at all never breaks loading.
    QString noise;
    for (int i = 0; i < 2000; ++i)
        noise += QChar(u'\x01' + (i * 7919) % 120);
    std::unique_ptr<BrowseBox> noisy(BrowseBox::FromBagText(noise));
    EXPECT_EQ(noisy->WriteProperties().Keys(), SavedKeys);
}

TEST(BrowseBoxPersistence, LoadingCopiesTheContainerToolTip)
{
    QWidget container;
    auto* box = new BrowseBox(&container);
    box->setToolTip(QStringLiteral("Source file"));
    box->ReadProperties(PropertyBag());
    EXPECT_EQ(box->TextField(0)->toolTip(), QStringLiteral("Source file"));
    box->setToolTip(QStringLiteral("Changed later"));
    container.show();
    EXPECT_EQ(box->TextField(0)->toolTip(), QStringLiteral("Changed later")); // on show
}

// Loading goes through the setters only where it uses them (and they notify); the values
// it sets directly, PasswordChar and Enabled among them, are not notified.
TEST(BrowseBoxPersistence, LoadingNotifiesOnlyThroughTheSettersItUses)
{
    const PropertyBag bag = Unusual()->WriteProperties();
    BrowseBox box;
    QSignalSpy changed(&box, &BrowseBox::PropertyChanged);
    box.ReadProperties(bag);
    QStringList names;
    for (const auto& args : changed)
        names << args.at(0).toString();
    EXPECT_EQ(names,
              Latin1List({"BackColor", "MouseIcon", "MousePointer", "OLEDragMode", "OLEDropMode",
                          "PictureLeft", "PictureRight", "VisibleLeft", "VisibleRight"}));
    EXPECT_EQ(box.PasswordChar(), QStringLiteral("*"));
    EXPECT_EQ(box.WriteProperties(), bag);
}
