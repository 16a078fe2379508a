// SPDX-License-Identifier: MIT
#pragma once
// Keyboard and mouse codes of the control's events: Windows virtual-key numbers, the
// modifier mask 1 Shift, 2 Ctrl, 4 Alt, and the mouse-button mask 1 left, 2 right,
// 4 middle. Qt's events are mapped here and nowhere else.
#include <Qt>

class QKeyEvent;

namespace Ostrel
{
namespace VirtualKey
{
constexpr short Back = 8;
constexpr short Tab = 9;
constexpr short Return = 13;
constexpr short Shift = 16;
constexpr short Control = 17;
constexpr short Menu = 18; // Alt
constexpr short Escape = 27;
constexpr short Space = 32;
constexpr short Left = 37;
constexpr short Up = 38;
constexpr short Right = 39;
constexpr short Down = 40;
constexpr short Insert = 45;
constexpr short Delete = 46;
constexpr short A = 65;
constexpr short C = 67;
constexpr short V = 86;
constexpr short X = 88;
} // namespace VirtualKey

namespace ShiftMask
{
constexpr short Shift = 1;
constexpr short Ctrl = 2;
constexpr short Alt = 4;
} // namespace ShiftMask

// The virtual-key number of a Qt key (US layout for punctuation); 0 when it has none.
short VirtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers);
// The same for an event; on Windows the native virtual key is taken as it is.
short VirtualKeyCode(const QKeyEvent& event);
short ShiftState(Qt::KeyboardModifiers modifiers);
short MouseButtonMask(Qt::MouseButtons buttons);
// The character code of a typed key (Ctrl+letter gives 1 to 26); 0 when none is typed.
short KeyAscii(const QKeyEvent& event);
} // namespace Ostrel
