// SPDX-License-Identifier: MIT
#pragma once
// OLE colours, as BrowseBox's BackColor and ForeColor take and give them: 0x00BBGGRR for a
// colour of its own, 0x800000nn for system colour nn, which follows the application palette
// (the window background, 0x80000005, is the text's background in a new control).
//     box->setBackColor(Ostrel::OleSystemColor(Ostrel::OleColorIndex::ButtonFace));
//     box->setForeColor(Ostrel::OleRgb(0, 0, 128));

namespace Ostrel
{
// The system colour numbers, as Windows numbers them.
namespace OleColorIndex
{
constexpr int ScrollBar = 0;
constexpr int Desktop = 1;
constexpr int ActiveCaption = 2;
constexpr int InactiveCaption = 3;
constexpr int MenuBackground = 4;
constexpr int Window = 5;
constexpr int WindowFrame = 6;
constexpr int MenuText = 7;
constexpr int WindowText = 8;
constexpr int CaptionText = 9;
constexpr int ActiveBorder = 10;
constexpr int InactiveBorder = 11;
constexpr int AppWorkspace = 12;
constexpr int Highlight = 13;
constexpr int HighlightText = 14;
constexpr int ButtonFace = 15;
constexpr int ButtonShadow = 16;
constexpr int GrayText = 17;
constexpr int ButtonText = 18;
constexpr int InactiveCaptionText = 19;
constexpr int ButtonHighlight = 20;
constexpr int DarkShadow3D = 21;
constexpr int Light3D = 22;
constexpr int InfoText = 23;
constexpr int InfoBackground = 24;
} // namespace OleColorIndex

// The OLE colour that names system colour index.
constexpr unsigned int OleSystemColor(int index)
{
    return 0x80000000u | static_cast<unsigned int>(index);
}

// The OLE colour of red, green and blue (0 to 255 each).
constexpr unsigned int OleRgb(int red, int green, int blue)
{
    return static_cast<unsigned int>(red & 0xFF) | static_cast<unsigned int>(green & 0xFF) << 8 |
           static_cast<unsigned int>(blue & 0xFF) << 16;
}
} // namespace Ostrel
