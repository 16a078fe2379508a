// SPDX-License-Identifier: MIT
#pragma once
// OLE colours (<Ostrel/OleColor.h>) as Qt colours.
#include <Ostrel/OleColor.h>
#include <QColor>
#include <QtGlobal>

class QPalette;

namespace Ostrel
{
// The colour an OLE colour stands for; an invalid QColor for a value that names none.
QColor OleColorToColor(quint32 oleColor, const QPalette& palette);
} // namespace Ostrel
