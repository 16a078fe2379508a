// SPDX-License-Identifier: MIT
#include "controls/browsebox/KeyMapping.h"

#include <QKeyEvent>
#include <gtest/gtest.h>

using namespace Ostrel;

TEST(KeyCodes, VirtualKeyNumbers)
{
    struct Case
    {
        int Key;
        Qt::KeyboardModifiers Mods;
        short Vk;
    };
    const Case cases[] = {
        {Qt::Key_A, Qt::NoModifier, 65},
        {Qt::Key_A, Qt::ControlModifier, 65},
        {Qt::Key_V, Qt::ControlModifier, 86},
        {Qt::Key_Z, Qt::ShiftModifier, 90},
        {Qt::Key_Insert, Qt::ShiftModifier, 45},
        {Qt::Key_Delete, Qt::NoModifier, 46},
        {Qt::Key_Up, Qt::AltModifier, 38},
        {Qt::Key_Down, Qt::AltModifier, 40},
        {Qt::Key_Left, Qt::NoModifier, 37},
        {Qt::Key_Right, Qt::NoModifier, 39},
        {Qt::Key_Home, Qt::NoModifier, 36},
        {Qt::Key_End, Qt::NoModifier, 35},
        {Qt::Key_Backspace, Qt::NoModifier, 8},
        {Qt::Key_Return, Qt::NoModifier, 13},
        {Qt::Key_Enter, Qt::KeypadModifier, 13},
        {Qt::Key_Escape, Qt::NoModifier, 27},
        {Qt::Key_Space, Qt::NoModifier, 32},
        {Qt::Key_Shift, Qt::ShiftModifier, 16},
        {Qt::Key_Control, Qt::ControlModifier, 17},
        {Qt::Key_Alt, Qt::AltModifier, 18},
        {Qt::Key_0, Qt::NoModifier, 48},
        {Qt::Key_9, Qt::NoModifier, 57},
        {Qt::Key_5, Qt::KeypadModifier, 101},
        {Qt::Key_Plus, Qt::KeypadModifier, 107},
        {Qt::Key_Plus, Qt::ShiftModifier, 187}, // the = key of the main block
        {Qt::Key_Exclam, Qt::ShiftModifier, 49},
        {Qt::Key_F1, Qt::NoModifier, 112},
        {Qt::Key_F12, Qt::NoModifier, 123},
        {Qt::Key_Semicolon, Qt::NoModifier, 186},
        {Qt::Key_Colon, Qt::ShiftModifier, 186},
        {Qt::Key_Slash, Qt::NoModifier, 191},
        {Qt::Key_Backslash, Qt::NoModifier, 220},
        {Qt::Key_Apostrophe, Qt::NoModifier, 222},
        {Qt::Key_unknown, Qt::NoModifier, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VirtualKeyCode(c.Key, c.Mods), c.Vk) << "Qt key 0x" << std::hex << c.Key;
}

TEST(KeyCodes, ShiftMaskAndMouseButtons)
{
    EXPECT_EQ(ShiftState(Qt::NoModifier), 0);
    EXPECT_EQ(ShiftState(Qt::ShiftModifier), 1);
    EXPECT_EQ(ShiftState(Qt::ControlModifier), 2);
    EXPECT_EQ(ShiftState(Qt::AltModifier), 4);
    EXPECT_EQ(ShiftState(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier), 7);
    EXPECT_EQ(ShiftState(Qt::KeypadModifier | Qt::MetaModifier), 0);
    EXPECT_EQ(MouseButtonMask(Qt::LeftButton), 1);
    EXPECT_EQ(MouseButtonMask(Qt::RightButton), 2);
    EXPECT_EQ(MouseButtonMask(Qt::MiddleButton), 4);
    EXPECT_EQ(MouseButtonMask(Qt::LeftButton | Qt::RightButton | Qt::BackButton), 3);
}

TEST(KeyCodes, KeyAscii)
{
    const QKeyEvent ctrlV(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, QStringLiteral("v"));
    EXPECT_EQ(KeyAscii(ctrlV), 22);
    const QKeyEvent letter(QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier, QStringLiteral("A"));
    EXPECT_EQ(KeyAscii(letter), 65);
    const QKeyEvent arrow(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    EXPECT_EQ(KeyAscii(arrow), 0);
}
