// SPDX-License-Identifier: MIT
#include "app/MainLayout.h"

#include <gtest/gtest.h>

using namespace Kestrin;

namespace
{
void ExpectRect(const TwipRect& r, double left, double top, double width, double height,
                const char* what)
{
    EXPECT_DOUBLE_EQ(r.Left, left) << what;
    EXPECT_DOUBLE_EQ(r.Top, top) << what;
    EXPECT_DOUBLE_EQ(r.Width, width) << what;
    EXPECT_DOUBLE_EQ(r.Height, height) << what;
}

MainLayoutInput At96Dpi(double scaleWidth, double scaleHeight)
{
    MainLayoutInput in;
    in.TwipsPerPixelX = 15;
    in.TwipsPerPixelY = 15;
    in.ScaleWidth = scaleWidth;
    in.ScaleHeight = scaleHeight;
    in.TabHeight = 330;   // 22 px
    in.FieldHeight = 375; // 25 px
    return in;
}
} // namespace

TEST(MainLayout, FiguresAtFifteenTwipsPerPixelAndNineThousandTwipsWide)
{
    const MainLayout l = ComputeMainLayout(At96Dpi(9000, 3600));
    ExpectRect(l.bbRun, 7890, 30, 1080, 360, "bbRun");
    ExpectRect(l.ssMain, 30, 120, 8940, 2775, "ssMain");
    // Label column: 10 px in, as wide as its offset plus the Start button.
    ExpectRect(l.tlSource, 150, 330 + 180, 1230, 375, "tlSource");
    // The field starts where its label ends, 30 twips higher, 1.5 offsets short of the edge.
    ExpectRect(l.ucSource, 1380, 510 - 30, 7395, 375, "ucSource");
    ExpectRect(l.tlTarget, 150, 510 + 375 + 90, 1230, 375, "tlTarget");
    ExpectRect(l.ucTarget, 1380, 975 - 30, 7395, 375, "ucTarget");
    ExpectRect(l.tlDelimiter, 150, 975 + 375 + 90, 1230, 375, "tlDelimiter");
    ExpectRect(l.tbDelimiter, 1380, 1440 - 30, 7395, 375, "tbDelimiter");
    ExpectRect(l.fbTarget, 1380, 1440 + 375 + 60, 2100, 900, "fbTarget");
    ExpectRect(l.obFileName[0], 90, 240, 2100 - 180, 375, "obFileName(0)");
    ExpectRect(l.obFileName[1], 90, 240 + 375, 1920, 375, "obFileName(1)");
    // fbOptions ends where the target field ends.
    ExpectRect(l.fbOptions, 1380 + 7395 - 2100, 1875, 2100, 900, "fbOptions");
    ExpectRect(l.chSilent, 90, 240, 1920, 375, "chSilent");
    ExpectRect(l.chFileList, 90, 615, 1920, 375, "chFileList");
    // chFileName sits in the label column at the frames' height.
    ExpectRect(l.chFileName, 150, 1875, 2850, 375, "chFileName");
    EXPECT_DOUBLE_EQ(l.StatusHeight, 375);
    EXPECT_DOUBLE_EQ(l.TotalMinWidth, 720);
    EXPECT_DOUBLE_EQ(l.TimeMinWidth, 720);
}

TEST(MainLayout, FollowsTheClientWidthAndTheTwipsPerPixel)
{
    // At 120 DPI (12 twips per pixel) the pixel constants shrink in twips.
    MainLayoutInput in = At96Dpi(12000, 3000);
    in.TwipsPerPixelX = 12;
    in.TwipsPerPixelY = 12;
    const MainLayout l = ComputeMainLayout(in);
    ExpectRect(l.bbRun, 12000 - 864 - 24, 30, 864, 288, "bbRun");
    ExpectRect(l.ssMain, 24, 120, 12000 - 48, 2220, "ssMain");
    EXPECT_DOUBLE_EQ(l.tlSource.Width, 120 + 864);
    EXPECT_DOUBLE_EQ(l.ucSource.Left, 120 + 984);
    EXPECT_DOUBLE_EQ(l.ucSource.Width, 12000 - 984 - 300);
    EXPECT_DOUBLE_EQ(l.tlSource.Top, 330 + 144);
    EXPECT_DOUBLE_EQ(l.tlTarget.Top, l.tlSource.Top + 375 + 72);

    // Only the right-hand controls follow the width; the rows' left edges stay.
    const MainLayout wide = ComputeMainLayout(At96Dpi(15000, 3600));
    const MainLayout narrow = ComputeMainLayout(At96Dpi(9000, 3600));
    EXPECT_DOUBLE_EQ(wide.ucTarget.Width - narrow.ucTarget.Width, 6000);
    EXPECT_DOUBLE_EQ(wide.fbOptions.Left - narrow.fbOptions.Left, 6000);
    EXPECT_DOUBLE_EQ(wide.fbTarget.Left, narrow.fbTarget.Left);
    EXPECT_DOUBLE_EQ(wide.bbRun.Left - narrow.bbRun.Left, 6000);
}

TEST(MainLayout, ProgressBarLiesOverInfoAndNeverAboveTheClientArea)
{
    struct Case
    {
        double scaleHeight;
        double expectedTop;
    } cases[] = {
        {3600, 3600 - 375 + 45}, // 3 px below the status bar's top
        {300, 0},                // lower than the status bar: clamped at the top
        {330, 0},                // exactly at the top
        {331, 1},
    };
    for (const auto& c : cases)
    {
        const TwipRect bar = ComputeProgressBar(At96Dpi(9000, c.scaleHeight), 375, 750, 6000);
        EXPECT_DOUBLE_EQ(bar.Top, c.expectedTop) << c.scaleHeight;
        EXPECT_DOUBLE_EQ(bar.Left, 750 + 30);
        EXPECT_DOUBLE_EQ(bar.Width, 6000 - 30);
        EXPECT_DOUBLE_EQ(bar.Height, 375 - 75);
    }
    // A fractional top is rounded to a whole twip, halves to even.
    MainLayoutInput in = At96Dpi(9000, 1000.5);
    in.TwipsPerPixelY = 10;
    EXPECT_DOUBLE_EQ(ComputeProgressBar(in, 30, 0, 100).Top, 1000);
    in.ScaleHeight = 1001.5;
    EXPECT_DOUBLE_EQ(ComputeProgressBar(in, 30, 0, 100).Top, 1002);
}

TEST(MainLayout, MinimumSizeKeepsEverySizeNonNegativeAndTheFramesApart)
{
    for (double tpp : {15.0, 12.0, 10.0, 7.5})
    {
        MainLayoutInput in = At96Dpi(0, 0);
        in.TwipsPerPixelX = tpp;
        in.TwipsPerPixelY = tpp;
        in.ScaleWidth = MinimumScaleWidth(tpp);
        const MainLayout l = ComputeMainLayout(in);
        in.ScaleHeight = MinimumScaleHeight(l);
        for (const TwipRect* r : {&l.bbRun, &l.ssMain, &l.tlSource, &l.ucSource, &l.ucTarget,
                                  &l.tbDelimiter, &l.fbTarget, &l.fbOptions, &l.chFileName})
        {
            EXPECT_GE(r->Left, 0) << tpp;
            EXPECT_GE(r->Width, 0) << tpp;
            EXPECT_GE(r->Height, 0) << tpp;
        }
        EXPECT_GE(l.fbOptions.Left, l.fbTarget.Left + l.fbTarget.Width) << tpp;
        EXPECT_LE(l.chFileName.Left + l.chFileName.Width, l.ssMain.Width) << tpp;
        // The status bar starts below the frames.
        EXPECT_GE(in.ScaleHeight - l.StatusHeight,
                  l.ssMain.Top + l.fbTarget.Top + l.fbTarget.Height)
            << tpp;
        const TwipRect bar = ComputeProgressBar(in, l.StatusHeight, 720, 1000);
        EXPECT_GE(bar.Top, 0);
    }
}
