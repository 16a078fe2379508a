// SPDX-License-Identifier: MIT
#pragma once
// The main window's layout as plain twip arithmetic: one fixed sequence of placement
// steps from the client size, pixel constants and the few sizes the controls fix
// themselves. The window applies the result in pixels.
//
// The pixel constants are design pixels, drawn for an 8-point dialog font: like a dialog's
// units they follow the window's font, so that a larger font (or a language with longer
// captions) gets a larger layout rather than cut captions.

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
    // Pixels per design pixel, across and down (DesignScale); 1 at the design font.
    double DesignScaleX = 1;
    double DesignScaleY = 1;
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
// inset 2 px left and 3 px from the status bar's top; never above the client area. The
// insets meet the panel's border, which does not grow with the font: they are not scaled.
TwipRect ComputeProgressBar(const MainLayoutInput& in, double statusHeight, double infoLeft,
                            double infoWidth);

// The smallest client size that keeps every computed width and height non-negative
// and the two option frames side by side without overlapping; the height keeps the
// status bar from covering the frames.
double MinimumScaleWidth(double twipsPerPixelX, double designScaleX = 1);
double MinimumScaleHeight(const MainLayout& layout);

// The dialog base units of the design font (average character width and line height, in
// pixels at 96 DPI): those of an 8-point MS Sans Serif, for which the figures were drawn.
constexpr double DesignCharWidth = 6;
constexpr double DesignLineHeight = 13;

// Pixels per design pixel for a font with the given unit (its average character width, or
// its height) against the design font's: as a dialog's units follow its font. A font smaller
// than the design font keeps the designed sizes.
double DesignScale(double fontUnit, double designUnit);

// The scale raised, where needed, so that a caption `neededPixels` wide fits the room the
// layout gives it, `roomDesignPixels` wide at scale 1 (every such room grows with the scale).
double ScaleToFit(double scale, double neededPixels, double roomDesignPixels);

// The widths, in design pixels, that the layout gives its captions: the label column, an
// option in a frame, chFileName, a frame (its title) and the Start button.
struct CaptionRooms
{
    double Label = 0;
    double Option = 0;
    double FileName = 0;
    double Frame = 0;
    double Run = 0;
};
CaptionRooms DesignCaptionRooms();
} // namespace Kestrin
