// SPDX-License-Identifier: MIT
#pragma once
// Qt's keyboard and mouse events as the codes of the control's events (<Ostrel/KeyCodes.h>):
// they are mapped here and nowhere else.
#include <Ostrel/KeyCodes.h>
#include <Qt>

class QKeyEvent;

namespace Ostrel
{
// The virtual-key number of a Qt key (US layout for punctuation); 0 when it has none.
short VirtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers);
// The same for an event; on Windows the native virtual key is taken as it is.
short VirtualKeyCode(const QKeyEvent& event);
short ShiftState(Qt::KeyboardModifiers modifiers);
short MouseButtonMask(Qt::MouseButtons buttons);
// The character code of a typed key (Ctrl+letter gives 1 to 26); 0 when none is typed.
short KeyAscii(const QKeyEvent& event);
} // namespace Ostrel
