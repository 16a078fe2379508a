// SPDX-License-Identifier: MIT
#include "KeyMapping.h"

#include <QKeyEvent>

namespace Ostrel
{
namespace
{
struct KeyPair
{
    int Qt;
    short Vk;
};

// Keys whose number does not follow from a range; punctuation as on a US keyboard,
// shifted symbols on the key that carries them.
constexpr KeyPair Keys[] = {
    {Qt::Key_Backspace, 8},
    {Qt::Key_Tab, 9},
    {Qt::Key_Backtab, 9},
    {Qt::Key_Clear, 12},
    {Qt::Key_Return, 13},
    {Qt::Key_Enter, 13},
    {Qt::Key_Shift, 16},
    {Qt::Key_Control, 17},
    {Qt::Key_Alt, 18},
    {Qt::Key_AltGr, 18},
    {Qt::Key_Pause, 19},
    {Qt::Key_CapsLock, 20},
    {Qt::Key_Escape, 27},
    {Qt::Key_Space, 32},
    {Qt::Key_PageUp, 33},
    {Qt::Key_PageDown, 34},
    {Qt::Key_End, 35},
    {Qt::Key_Home, 36},
    {Qt::Key_Left, 37},
    {Qt::Key_Up, 38},
    {Qt::Key_Right, 39},
    {Qt::Key_Down, 40},
    {Qt::Key_Select, 41},
    {Qt::Key_Printer, 42},
    {Qt::Key_Execute, 43},
    {Qt::Key_Print, 44},
    {Qt::Key_Insert, 45},
    {Qt::Key_Delete, 46},
    {Qt::Key_Help, 47},
    {Qt::Key_Meta, 91},
    {Qt::Key_Super_L, 91},
    {Qt::Key_Super_R, 92},
    {Qt::Key_Menu, 93},
    {Qt::Key_Sleep, 95},
    {Qt::Key_NumLock, 144},
    {Qt::Key_ScrollLock, 145},
    {Qt::Key_ParenRight, 48},
    {Qt::Key_Exclam, 49},
    {Qt::Key_At, 50},
    {Qt::Key_NumberSign, 51},
    {Qt::Key_Dollar, 52},
    {Qt::Key_Percent, 53},
    {Qt::Key_AsciiCircum, 54},
    {Qt::Key_Ampersand, 55},
    {Qt::Key_Asterisk, 56},
    {Qt::Key_ParenLeft, 57},
    {Qt::Key_Semicolon, 186},
    {Qt::Key_Colon, 186},
    {Qt::Key_Equal, 187},
    {Qt::Key_Plus, 187},
    {Qt::Key_Comma, 188},
    {Qt::Key_Less, 188},
    {Qt::Key_Minus, 189},
    {Qt::Key_Underscore, 189},
    {Qt::Key_Period, 190},
    {Qt::Key_Greater, 190},
    {Qt::Key_Slash, 191},
    {Qt::Key_Question, 191},
    {Qt::Key_QuoteLeft, 192},
    {Qt::Key_AsciiTilde, 192},
    {Qt::Key_BracketLeft, 219},
    {Qt::Key_BraceLeft, 219},
    {Qt::Key_Backslash, 220},
    {Qt::Key_Bar, 220},
    {Qt::Key_BracketRight, 221},
    {Qt::Key_BraceRight, 221},
    {Qt::Key_Apostrophe, 222},
    {Qt::Key_QuoteDbl, 222},
};

// Keys of the numeric keypad that have numbers of their own.
constexpr KeyPair KeypadKeys[] = {
    {Qt::Key_Asterisk, 106}, {Qt::Key_Plus, 107},  {Qt::Key_Minus, 109},
    {Qt::Key_Period, 110},   {Qt::Key_Comma, 110}, {Qt::Key_Slash, 111},
};
} // namespace

short VirtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers)
{
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return static_cast<short>(qtKey); // 65 to 90, like the letters themselves
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return static_cast<short>((keypad ? 96 : 48) + (qtKey - Qt::Key_0));
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return static_cast<short>(112 + (qtKey - Qt::Key_F1));
    if (keypad)
        for (const KeyPair& pair : KeypadKeys)
            if (pair.Qt == qtKey)
                return pair.Vk;
    for (const KeyPair& pair : Keys)
        if (pair.Qt == qtKey)
            return pair.Vk;
    return 0;
}

short VirtualKeyCode(const QKeyEvent& event)
{
#ifdef Q_OS_WIN
    if (event.nativeVirtualKey() != 0)
        return static_cast<short>(event.nativeVirtualKey());
#endif
    return VirtualKeyCode(event.key(), event.modifiers());
}

short ShiftState(Qt::KeyboardModifiers modifiers)
{
    short mask = 0;
    if (modifiers.testFlag(Qt::ShiftModifier))
        mask |= ShiftMask::Shift;
    if (modifiers.testFlag(Qt::ControlModifier))
        mask |= ShiftMask::Ctrl;
    if (modifiers.testFlag(Qt::AltModifier))
        mask |= ShiftMask::Alt;
    return mask;
}

short MouseButtonMask(Qt::MouseButtons buttons)
{
    short mask = 0;
    if (buttons.testFlag(Qt::LeftButton))
        mask |= MouseButton::Left;
    if (buttons.testFlag(Qt::RightButton))
        mask |= MouseButton::Right;
    if (buttons.testFlag(Qt::MiddleButton))
        mask |= MouseButton::Middle;
    return mask;
}

short KeyAscii(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers mods = event.modifiers();
    // Ctrl+letter types the control character whatever text the platform attached.
    if (mods.testFlag(Qt::ControlModifier) && !mods.testFlag(Qt::AltModifier) &&
        event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z)
        return static_cast<short>(event.key() - Qt::Key_A + 1);
    const QString text = event.text();
    if (text.isEmpty())
        return 0;
    return static_cast<short>(text.at(0).unicode());
}
} // namespace Ostrel
