// SPDX-License-Identifier: MIT
#include "controls/browsebox/BoxGeometry.h"

#include "controls/browsebox/BrowseGlyph.h"
#include "controls/browsebox/OleColorMapping.h"

#include <QPalette>
#include <gtest/gtest.h>

using namespace Ostrel;

namespace
{
LayoutInput Input(double width, double height, int appearance, bool left, bool right,
                  double tpp = 15)
{
    LayoutInput in;
    in.Width = width;
    in.Height = height;
    in.Appearance = appearance;
    in.VisibleLeft = left;
    in.VisibleRight = right;
    in.ButtonWidth = ButtonWidthTwips(16, tpp);
    in.LineHeight = 13 * tpp;
    in.TppX = tpp;
    in.TppY = tpp;
    return in;
}
} // namespace

TEST(BoxGeometry, LayoutFiguresInTwips)
{
    struct Case
    {
        int Appearance;
        bool Left;
        bool Right;
        TwipRect Field;
        TwipRect Frame;
        double Width;
        double Height;
    };
    // W 4500 (300 px), H 900, BW 240, N 195.
    const Case cases[] = {
        {1, false, true, {15, 15, 4185, 225}, {30, 30, 4185, 255}, 4485, 315},
        {1, true, true, {15, 15, 3945, 225}, {270, 30, 3945, 255}, 4485, 315},
        {1, false, false, {15, 15, 4425, 225}, {30, 30, 4425, 255}, 4485, 315},
        {0, false, true, {15, 15, 4215, 225}, {15, 15, 4215, 255}, 4485, 285},
        {0, true, false, {15, 15, 4215, 225}, {255, 15, 4215, 255}, 4485, 285},
        {2, true, true, {15, 15, 3915, 225}, {285, 45, 3915, 255}, 4485, 345},
    };
    for (const Case& c : cases)
    {
        const LayoutResult r = ComputeLayout(Input(4500, 900, c.Appearance, c.Left, c.Right));
        SCOPED_TRACE(testing::Message()
                     << "A " << c.Appearance << " left " << c.Left << " right " << c.Right);
        EXPECT_EQ(r.Field, c.Field);
        EXPECT_EQ(r.Frame, c.Frame);
        EXPECT_EQ(r.ControlWidth, c.Width);
        EXPECT_EQ(r.ControlHeight, c.Height);
        EXPECT_EQ(r.PlaceLeft, c.Left);
        EXPECT_EQ(r.PlaceRight, c.Right);
        const int a = c.Appearance;
        if (c.Left) // sized with the height asked for, not the fixed one
        {
            EXPECT_EQ(r.LeftButton, (TwipRect{(a + 1) * 15.0, (a + 1) * 15.0, 240.0 - a * 15,
                                              900.0 - (3 * a + 1) * 15}));
        }
        if (c.Right)
        {
            EXPECT_EQ(r.RightButton, (TwipRect{c.Frame.Left + c.Frame.Width + 15, (a + 1) * 15.0,
                                               240.0 - a * 15, c.Height - (3 * a + 1) * 15}));
        }
    }
}

TEST(BoxGeometry, NarrowControlClampsTheFieldAndButtonHeights)
{
    const LayoutResult r = ComputeLayout(Input(150, 30, 1, true, true));
    EXPECT_EQ(r.Field.Width, 0);
    EXPECT_EQ(r.LeftButton.Height, 0); // 30 - 4 x 15 is below 0
    EXPECT_EQ(r.ControlWidth, 0 + 4 * 15 + 2 * 240);
}

TEST(BoxGeometry, WideControlIsNotLimitedTo16Bits)
{
    const LayoutResult r = ComputeLayout(Input(60000, 300, 1, false, true));
    EXPECT_EQ(r.ControlWidth, 60000 - 15);
}

TEST(BoxGeometry, OtherTwipsPerPixelRoundsP)
{
    // 110 DPI: 13.09 twips a pixel; P is whole.
    const double tpp = 1440.0 / 110;
    const LayoutResult r = ComputeLayout(Input(3000, 300, 1, false, true, tpp));
    EXPECT_EQ(r.Field.Left, 13);
    EXPECT_DOUBLE_EQ(r.Field.Top, tpp);
}

TEST(BoxGeometry, BorderLines)
{
    const auto flat = BorderLines(0, 300, 150, 15, 15);
    ASSERT_EQ(flat.size(), 4u);
    const double ends[4][4] = {
        {0, 0, 285, 0}, {285, 0, 285, 135}, {285, 135, 0, 135}, {0, 135, 0, 0}};
    for (size_t i = 0; i < 4; ++i)
    {
        EXPECT_EQ(flat[i].X0, ends[i][0]);
        EXPECT_EQ(flat[i].Y0, ends[i][1]);
        EXPECT_EQ(flat[i].X1, ends[i][2]);
        EXPECT_EQ(flat[i].Y1, ends[i][3]);
        EXPECT_EQ(flat[i].Color, 0x80000015u);
    }

    for (const int appearance : {1, 7, -1}) // anything but 0 is three-dimensional
    {
        const auto raised = BorderLines(appearance, 300, 150, 15, 15);
        ASSERT_EQ(raised.size(), 6u);
        const double lines[6][4] = {{0, 0, 285, 0},     {285, 0, 285, 150}, {0, 0, 0, 135},
                                    {0, 135, 300, 135}, {15, 15, 270, 15},  {15, 15, 15, 120}};
        const quint32 colors[6] = {0x80000010u, 0x80000014u, 0x80000010u,
                                   0x80000014u, 0x80000015u, 0x80000015u};
        for (size_t i = 0; i < 6; ++i)
        {
            EXPECT_EQ(raised[i].X0, lines[i][0]) << i;
            EXPECT_EQ(raised[i].Y0, lines[i][1]) << i;
            EXPECT_EQ(raised[i].X1, lines[i][2]) << i;
            EXPECT_EQ(raised[i].Y1, lines[i][3]) << i;
            EXPECT_EQ(raised[i].Color, colors[i]) << i;
        }
    }
}

TEST(BoxGeometry, EnterFocusTarget)
{
    const FocusCandidate left{{30, 30, 225, 300}, true};
    const FocusCandidate right{{3000, 30, 225, 300}, true};
    const FocusCandidate hiddenLeft{{30, 30, 225, 300}, false};
    struct Case
    {
        double X, Y;
        FocusCandidate Left;
        bool Field0, Field1;
        FocusPart Expected;
    };
    const Case cases[] = {
        {30, 30, left, true, false, FocusPart::LeftButton},   // top-left corner included
        {255, 330, left, true, false, FocusPart::LeftButton}, // bottom-right corner included
        {256, 330, left, true, false, FocusPart::Field0},
        {29, 100, left, true, false, FocusPart::Field0},
        {100, 100, hiddenLeft, true, false, FocusPart::Field0}, // where a hidden button would be
        {3100, 100, left, true, false, FocusPart::RightButton},
        {3100, 100, hiddenLeft, false, true, FocusPart::RightButton},
        {1000, 100, left, false, true, FocusPart::Field1}, // message shown
        {1000, 100, left, false, false, FocusPart::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EnterFocusTarget(c.X, c.Y, c.Left, right, c.Field0, c.Field1), c.Expected)
            << c.X << "," << c.Y;
}

TEST(BoxGeometry, RoundingHalvesToEven)
{
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundToInt16(40000), 32767);
    EXPECT_EQ(RoundToInt16(-40000), -32768);
}

TEST(BrowseGlyph, ThreeBlackDotsOnTransparent)
{
    const QImage glyph = BrowseGlyphImage();
    ASSERT_EQ(glyph.size(), QSize(32, 32));
    int black = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
        {
            const QColor c = glyph.pixelColor(x, y);
            const bool dot = (y == 18 || y == 19) &&
                             (x == 11 || x == 12 || x == 14 || x == 15 || x == 17 || x == 18);
            if (dot)
            {
                EXPECT_EQ(c, QColor(Qt::black)) << x << "," << y;
                ++black;
            }
            else
            {
                EXPECT_EQ(c.alpha(), 0) << x << "," << y;
            }
        }
    EXPECT_EQ(black, 12);
}

TEST(OleColor, OwnAndSystemColours)
{
    QPalette palette;
    palette.setColor(QPalette::Base, QColor(1, 2, 3));
    palette.setColor(QPalette::Shadow, QColor(4, 5, 6));
    EXPECT_EQ(OleColorToColor(0x000000FF, palette), QColor(255, 0, 0)); // BGR order
    EXPECT_EQ(OleColorToColor(0x00FF8000, palette), QColor(0, 128, 255));
    EXPECT_EQ(OleColorToColor(0x80000005, palette), QColor(1, 2, 3));
    EXPECT_EQ(OleColorToColor(0x80000015, palette), QColor(4, 5, 6));
    EXPECT_FALSE(OleColorToColor(0x80000099, palette).isValid());
    EXPECT_FALSE(OleColorToColor(0x01000000, palette).isValid());
}
