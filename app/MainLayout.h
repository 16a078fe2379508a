// SPDX-License-Identifier: MIT
#pragma once
// The main window's layout as plain twip arithmetic: one fixed sequence of placement
// steps from the client size, pixel constants and the few sizes the controls fix
// themselves. The window applies the result in pixels.

namespace Kestrin
{
struct TwipRect
{
    double Left = 0;
    double Top = 0;
    double Width = 0;
    double Height = 0;
};

struct MainLayoutInput
{
    double TwipsPerPixelX = 15;
    double TwipsPerPixelY = 15;
    double ScaleWidth = 0;  // client width
    double ScaleHeight = 0; // client height
    double TabHeight = 0;   // tab strip height of ssMain
    double FieldHeight = 0; // height of ucSource(0), which the path field fixes itself
};

// Coordinates are relative to each control's container: the client area for bbRun,
// ssMain and pbStatus; ssMain for the rows, the frames and chFileName; the frames
// for the options inside them. The join tab's rows copy the split tab's rows, so one
// rectangle serves both indexes.
struct MainLayout
{
    TwipRect bbRun;
    TwipRect ssMain;
    TwipRect tlSource;
    TwipRect ucSource;
    TwipRect tlTarget;
    TwipRect ucTarget;
    TwipRect tlDelimiter;
    TwipRect tbDelimiter;
    TwipRect fbTarget;
    TwipRect obFileName[2];
    TwipRect fbOptions;
    TwipRect chSilent;
    TwipRect chFileList;
    TwipRect chFileName;
    double StatusHeight = 0;  // H of pbStatus
    double TotalMinWidth = 0; // MinWidth of panel "Total"
    double TimeMinWidth = 0;  // MinWidth of panel "Time"
};

MainLayout ComputeMainLayout(const MainLayoutInput& in);

// The progress bar over panel "Info" (whose left and width the status bar decides),
// inset 2 px left and 3 px from the status bar's top; never above the client area.
TwipRect ComputeProgressBar(const MainLayoutInput& in, double statusHeight, double infoLeft,
                            double infoWidth);

// The smallest client size that keeps every computed width and height non-negative
// and the two option frames side by side without overlapping; the height keeps the
// status bar from covering the frames.
double MinimumScaleWidth(double twipsPerPixelX);
double MinimumScaleHeight(const MainLayout& layout);
} // namespace Kestrin
