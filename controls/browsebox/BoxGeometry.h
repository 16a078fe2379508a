// SPDX-License-Identifier: MIT
#pragma once
// The BrowseBox's geometry in twips: the layout steps, the border lines and the choice of
// the part that takes the focus when the control is entered. Pure arithmetic; the control
// converts the results to pixels.
#include <QtGlobal>
#include <vector>

namespace Ostrel
{
struct TwipRect
{
    double Left = 0;
    double Top = 0;
    double Width = 0;
    double Height = 0;

    bool operator==(const TwipRect& other) const
    {
        return Left == other.Left && Top == other.Top && Width == other.Width &&
               Height == other.Height;
    }
};

struct LayoutInput
{
    double Width = 0;  // the control's width when the layout starts (W)
    double Height = 0; // and its height (H)
    int Appearance = 1;
    bool VisibleLeft = false;
    bool VisibleRight = false;
    double ButtonWidth = 0;         // BW
    double CollapsedFieldWidth = 0; // field 0's width after the collapse (0 in practice)
    double LineHeight = 0;          // N: field 0's height after the collapse
    double TppX = 15;
    double TppY = 15;
};

struct LayoutResult
{
    bool PlaceLeft = false; // a hidden button keeps the place it had
    TwipRect LeftButton;
    TwipRect Field; // field 0, inside the frame
    TwipRect Frame;
    double ControlWidth = 0;
    double ControlHeight = 0;
    bool PlaceRight = false;
    TwipRect RightButton; // for ControlHeight; see RightButtonRect
};

// Rounds to the nearest integer, halves to even, like the platform's integer conversion.
// Layout figures stay 32-bit, so a control wider than 32,767 twips still lays out.
int RoundHalfEven(double value);
// The same, clamped to the 16-bit range that method results are reported in.
short RoundToInt16(double value);

// BW: the scroll-bar arrow width in pixels, in twips.
double ButtonWidthTwips(int scrollBarExtentPixels, double tppX);
LayoutResult ComputeLayout(const LayoutInput& in);
// The right button's place for the control height the resize actually gave.
TwipRect RightButtonRect(const LayoutInput& in, const TwipRect& frame, double controlHeight);

// One solid one-pixel line from (X0, Y0) towards (X1, Y1), the end point not drawn.
// Lines are horizontal or vertical. Color is an OLE system colour.
struct BorderLine
{
    double X0 = 0;
    double Y0 = 0;
    double X1 = 0;
    double Y1 = 0;
    quint32 Color = 0;
};

std::vector<BorderLine> BorderLines(int appearance, double width, double height, double tppX,
                                    double tppY);

enum class FocusPart
{
    None,
    LeftButton,
    RightButton,
    Field0,
    Field1
};

struct FocusCandidate
{
    TwipRect Rect;
    bool Usable = false; // visible and enabled
};

// The part that gets the focus when the control is entered with the pointer at (x, y),
// twips from the control's top-left corner.
FocusPart EnterFocusTarget(double x, double y, const FocusCandidate& left,
                           const FocusCandidate& right, bool field0Usable, bool field1Usable);
} // namespace Ostrel
