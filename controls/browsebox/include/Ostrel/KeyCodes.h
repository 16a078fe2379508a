// SPDX-License-Identifier: MIT
#pragma once
// The codes BrowseBox's keyboard and mouse events carry: Windows virtual-key numbers
// (KeyDown, KeyUp), the modifier mask of their Shift argument and the button mask of the
// mouse events. A handler compares with these, e.g.
//     if (KeyCode == Ostrel::VirtualKey::V && (Shift & Ostrel::ShiftMask::Ctrl)) ...
// Letters are their capital's code (A 65 ... Z 90), digits 48 to 57, F1 to F24 112 to 135;
// punctuation is numbered as on a US keyboard.

namespace Ostrel
{
namespace VirtualKey
{
constexpr short Back = 8;
constexpr short Tab = 9;
constexpr short Clear = 12;
constexpr short Return = 13;
constexpr short Shift = 16;
constexpr short Control = 17;
constexpr short Menu = 18; // Alt
constexpr short Pause = 19;
constexpr short Capital = 20; // Caps Lock
constexpr short Escape = 27;
constexpr short Space = 32;
constexpr short Prior = 33; // Page Up
constexpr short Next = 34;  // Page Down
constexpr short End = 35;
constexpr short Home = 36;
constexpr short Left = 37;
constexpr short Up = 38;
constexpr short Right = 39;
constexpr short Down = 40;
constexpr short Insert = 45;
constexpr short Delete = 46;
constexpr short Key0 = 48; // Key0 + n for the digit n
constexpr short A = 65;    // A + n for the n-th letter after A
constexpr short C = 67;
constexpr short V = 86;
constexpr short X = 88;
constexpr short Z = 90;
constexpr short Numpad0 = 96; // Numpad0 + n for the keypad's digit n
constexpr short F1 = 112;     // F1 + n - 1 for Fn
} // namespace VirtualKey

// The Shift argument of the key and mouse events.
namespace ShiftMask
{
constexpr short Shift = 1;
constexpr short Ctrl = 2;
constexpr short Alt = 4;
} // namespace ShiftMask

// The Button argument of the mouse events (MouseMove: the buttons held down).
namespace MouseButton
{
constexpr short Left = 1;
constexpr short Right = 2;
constexpr short Middle = 4;
} // namespace MouseButton
} // namespace Ostrel
