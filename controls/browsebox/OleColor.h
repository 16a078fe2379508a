// SPDX-License-Identifier: MIT
#pragma once
// OLE colours: 0x00BBGGRR for a colour of its own, 0x800000nn for system colour nn, which
// follows the application palette.
#include <QColor>
#include <QtGlobal>

class QPalette;

namespace Ostrel
{
namespace OleColorIndex
{
constexpr int Window = 5;
constexpr int WindowText = 8;
constexpr int ButtonFace = 15;
constexpr int ButtonShadow = 16;
constexpr int ButtonHighlight = 20;
constexpr int DarkShadow3D = 21;
} // namespace OleColorIndex

constexpr quint32 OleSystemColor(int index)
{
    return 0x80000000u | static_cast<quint32>(index);
}

// The colour an OLE colour stands for; an invalid QColor for a value that names none.
QColor OleColorToColor(quint32 oleColor, const QPalette& palette);
} // namespace Ostrel
