// SPDX-License-Identifier: MIT
#include "BoxForm.h"

#include <Ostrel/BrowseBox.h>
#include <QFontMetrics>
#include <QImage>
#include <QStyle>
#include <gtest/gtest.h>

using namespace Ostrel;
using BrowseBoxTest::BoxForm;

namespace
{
int ButtonWidthPx(const BrowseBox* box)
{
    return box->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, box);
}
} // namespace

TEST(BrowseBoxLayout, FiguresForBothAppearancesWithAndWithoutButtons)
{
    struct Case
    {
        BrowseBox::AppearanceConstants Appearance;
        bool Left;
        bool Right;
    };
    const Case cases[] = {{BrowseBox::ThreeD, false, true},  {BrowseBox::ThreeD, true, true},
                          {BrowseBox::ThreeD, false, false}, {BrowseBox::ThreeD, true, false},
                          {BrowseBox::Flat, false, true},    {BrowseBox::Flat, true, true},
                          {BrowseBox::Flat, false, false},   {BrowseBox::Flat, true, false}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message()
                     << "A " << c.Appearance << " left " << c.Left << " right " << c.Right);
        BoxForm form;
        BrowseBox* box = form.Box;
        box->setAppearance(c.Appearance);
        box->setVisibleLeft(c.Left);
        box->setVisibleRight(c.Right);
        form.Show(300, 60);

        const int a = c.Appearance;
        const int n = QFontMetrics(box->Font()).height();
        const int bw = ButtonWidthPx(box);
        const int vl = c.Left ? 1 : 0;
        const int vr = c.Right ? 1 : 0;
        // Nothing clamps: one pixel narrower than asked, and the height is fixed.
        EXPECT_EQ(box->width(), 299);
        EXPECT_EQ(box->height(), n + 2 * (a + 3));
        const int t = 299 - 2 * (a + 1) - (vl + vr) * bw;
        EXPECT_EQ(form.Field(0)->geometry(), QRect(1, 1, t, n + 2));
        const QRect frame(a + 1 + vl * bw, a + 1, t, n + 4);
        EXPECT_EQ(box->TextFrame()->geometry(), frame);
        if (c.Left) // the height asked for, before the layout fixed it
        {
            EXPECT_EQ(form.Button(0)->geometry(), QRect(a + 1, a + 1, bw - a, 60 - (3 * a + 1)));
        }
        if (c.Right)
        {
            EXPECT_EQ(form.Button(1)->geometry(),
                      QRect(frame.x() + t + 1, a + 1, bw - a, box->height() - (3 * a + 1)));
        }
        EXPECT_EQ(form.Button(0)->isVisible(), c.Left);
        EXPECT_EQ(form.Button(1)->isVisible(), c.Right);
    }
}

// A form as uic builds it: the geometry first, then every saved property, each setter that
// lays out among them. Loading gives back the width the form saved, and a setter keeps the
// width of a shown control; only a resize takes the one-pixel step.
TEST(BrowseBoxLayout, LoadingAFormKeepsItsWidthAndSettersKeepTheWidth)
{
    for (const bool flat : {false, true})
    {
        SCOPED_TRACE(flat ? "flat" : "3-D");
        QWidget form;
        form.resize(400, 100);
        auto* box = new BrowseBox(&form);
        box->setGeometry(QRect(10, 10, 300, 26));
        box->setAppearance(flat ? BrowseBox::Flat : BrowseBox::ThreeD);
        box->setEnabledLeft(true);
        box->setEnabledRight(true);
        box->setFont(QFont(box->Font().family(), 11));
        box->setVisibleLeft(true);
        box->setVisibleRight(true);
        form.show();
        EXPECT_EQ(box->width(), 300);
        box->setVisibleLeft(false);
        box->setAppearance(flat ? BrowseBox::ThreeD : BrowseBox::Flat);
        box->setEnabledRight(false);
        EXPECT_EQ(box->width(), 300);
        box->resize(250, box->height());
        EXPECT_EQ(box->width(), 249);
    }
}

TEST(BrowseBoxLayout, FlatMovesPartsUpAndLowersTheControl)
{
    BoxForm form;
    BrowseBox* box = form.Box;
    box->setVisibleLeft(true);
    form.Show(300, 30);
    const QRect frame = box->TextFrame()->geometry();
    const QRect right = form.Button(1)->geometry();
    const int height = box->height();
    const int width = box->width();

    box->setAppearance(BrowseBox::Flat);
    EXPECT_EQ(box->height(), height - 2);
    EXPECT_EQ(box->width(), width); // a property set takes no one-pixel step
    EXPECT_EQ(box->TextFrame()->y(), frame.y() - 1);
    EXPECT_EQ(form.Button(1)->y(), right.y() - 1);
    EXPECT_EQ(form.Button(0)->y(), right.y() - 1);
    // Flat buttons reach down over the bottom border line.
    EXPECT_EQ(form.Button(1)->geometry().bottom(), box->height() - 1);
}

TEST(BrowseBoxLayout, HiddenButtonKeepsItsPlace)
{
    BoxForm form;
    form.Show(300, 30);
    const QRect right = form.Button(1)->geometry();
    form.Box->setVisibleRight(false);
    form.Box->resize(400, 30);
    EXPECT_FALSE(form.Button(1)->isVisible());
    EXPECT_EQ(form.Button(1)->geometry(), right);
    EXPECT_EQ(form.Field(0)->width(), 399 - 4); // the field takes the button's room
}

TEST(BrowseBoxLayout, FontChangeFixesANewHeight)
{
    BoxForm form;
    form.Show(300, 30);
    QFont big = form.Box->Font();
    big.setPixelSize(30);
    form.Box->setFont(big);
    EXPECT_EQ(form.Box->height(), QFontMetrics(big).height() + 8);
    EXPECT_EQ(form.Field(1)->font(), big);
}

TEST(BrowseBoxLayout, ResizingWhileAMessageIsShownLeavesTheMessageAlone)
{
    BoxForm form;
    form.Show(300, 30);
    form.Box->setErrText(QStringLiteral("<Required.>"));
    const QRect message = form.Field(1)->geometry();
    form.Box->resize(200, 30);
    EXPECT_NE(form.Field(0)->geometry(), message);
    EXPECT_EQ(form.Field(1)->geometry(), message);
}

TEST(BrowseBoxLayout, BorderLinesSurviveRepaints)
{
    for (const auto appearance : {BrowseBox::ThreeD, BrowseBox::Flat})
    {
        BoxForm form;
        form.Box->setAppearance(appearance);
        form.Box->setVisibleRight(false);
        form.Show(200, 30);
        const QPalette palette = form.Box->palette();
        const int w = form.Box->width();
        const int h = form.Box->height();
        for (int pass = 0; pass < 2; ++pass) // a second, separate paint draws them again
        {
            form.Box->repaint();
            const QImage image = form.Box->grab().toImage();
            if (appearance == BrowseBox::Flat)
            {
                const QColor dark = palette.color(QPalette::Shadow);
                for (const QPoint p : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(w - 1, h - 1),
                                       QPoint(0, h - 1), QPoint(w / 2, h - 1)})
                    EXPECT_EQ(image.pixelColor(p).rgb(), dark.rgb()) << p.x() << "," << p.y();
            }
            else
            {
                EXPECT_EQ(image.pixelColor(0, 0).rgb(), palette.color(QPalette::Dark).rgb());
                EXPECT_EQ(image.pixelColor(0, h - 2).rgb(), palette.color(QPalette::Dark).rgb());
                EXPECT_EQ(image.pixelColor(w - 1, 0).rgb(), palette.color(QPalette::Light).rgb());
                EXPECT_EQ(image.pixelColor(w / 2, h - 1).rgb(),
                          palette.color(QPalette::Light).rgb());
                EXPECT_EQ(image.pixelColor(1, 1).rgb(), palette.color(QPalette::Shadow).rgb());
                EXPECT_EQ(image.pixelColor(1, h / 2).rgb(), palette.color(QPalette::Shadow).rgb());
            }
        }
    }
}
