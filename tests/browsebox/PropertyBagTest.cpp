// SPDX-License-Identifier: MIT
#include <Ostrel/PropertyBag.h>
#include <QFont>
#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

using namespace Ostrel;

namespace
{
QPixmap SamplePicture()
{
    QImage image(5, 3, QImage::Format_ARGB32);
    image.fill(QColor(10, 20, 30, 40)); // half transparent: alpha must survive
    image.setPixelColor(4, 2, QColor(200, 100, 0, 255));
    return QPixmap::fromImage(image);
}
} // namespace

TEST(PropertyBag, TextRoundTripsEveryKind)
{
    QFont font(QStringLiteral("DejaVu Sans"), 13);
    font.setBold(true);
    font.setItalic(true);
    font.setUnderline(true);

    PropertyBag bag;
    bag.Write(QStringLiteral("int"), qint32(-2147483643));
    bag.Write(QStringLiteral("short"), QVariant::fromValue<short>(-7));
    bag.Write(QStringLiteral("yes"), true);
    bag.Write(QStringLiteral("no"), false);
    bag.Write(QStringLiteral("text"), QStringLiteral("C:\\a\\n\nline2\r\t= x  "));
    bag.Write(QStringLiteral("empty"), QString());
    bag.Write(QStringLiteral("font"), font);
    bag.Write(QStringLiteral("picture"), SamplePicture());
    bag.Write(QStringLiteral("nopicture"), QPixmap());

    const QString text = bag.ToText();
    const PropertyBag back = PropertyBag::FromText(text);
    EXPECT_EQ(back, bag);
    EXPECT_EQ(back.ToText(), text);
    EXPECT_EQ(back.Read(QStringLiteral("short")).typeId(), QMetaType::Short);
    EXPECT_EQ(back.Read(QStringLiteral("int")).typeId(), QMetaType::Int);
    EXPECT_EQ(back.Read(QStringLiteral("text")).toString(),
              QStringLiteral("C:\\a\\n\nline2\r\t= x  "));
    EXPECT_EQ(back.Read(QStringLiteral("font")).value<QFont>(), font);
    EXPECT_EQ(back.Read(QStringLiteral("picture"))
                  .value<QPixmap>()
                  .toImage()
                  .convertToFormat(QImage::Format_ARGB32),
              SamplePicture().toImage().convertToFormat(QImage::Format_ARGB32));
    EXPECT_TRUE(back.Read(QStringLiteral("nopicture")).value<QPixmap>().isNull());
    EXPECT_EQ(back.Keys(), bag.Keys());
}

TEST(PropertyBag, KeysMatchWithoutCaseAndKeepTheirPlace)
{
    PropertyBag bag;
    bag.Write(QStringLiteral("first"), 1);
    bag.Write(QStringLiteral("second"), 2);
    bag.Write(QStringLiteral("FIRST"), 3);
    EXPECT_EQ(bag.Keys(), (QStringList{QStringLiteral("first"), QStringLiteral("second")}));
    EXPECT_EQ(bag.Read(QStringLiteral("First")).toInt(), 3);
    EXPECT_TRUE(bag.Contains(QStringLiteral("SECOND")));
    EXPECT_FALSE(bag.Read(QStringLiteral("third")).isValid());
    bag.Remove(QStringLiteral("Second"));
    EXPECT_EQ(bag.Count(), 1);
}

TEST(PropertyBag, DamagedTextKeepsWhatIsIntact)
{
    const QString text = QStringLiteral("# a comment\n"
                                        "\n"
                                        "good=i:42\r\n"
                                        "no equals sign\n"
                                        "=t:no key\n"
                                        "badint=i:12abc\n"
                                        "badshort=s:70000\n"
                                        "badbool=b:maybe\n"
                                        "nokind=42\n"
                                        "unknown=z:1\n"
                                        "badfont=f:\n"
                                        "badpicture=p:@@@notbase64\n"
                                        "notpng=p:aGVsbG8=\n"
                                        "text=t:kept\n"
                                        "Good=i:43\n");
    const PropertyBag bag = PropertyBag::FromText(text);
    EXPECT_EQ(bag.Keys(), (QStringList{QStringLiteral("good"), QStringLiteral("text")}));
    EXPECT_EQ(bag.Read(QStringLiteral("good")).toInt(), 43); // the later line wins
    EXPECT_EQ(bag.Read(QStringLiteral("text")).toString(), QStringLiteral("kept"));
    EXPECT_EQ(PropertyBag::FromText(QString()).Count(), 0);
}
