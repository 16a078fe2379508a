// SPDX-License-Identifier: MIT
#pragma once
// A small real window holding one BrowseBox, shown and active, for the widget tests.
#include <Ostrel/BrowseBox.h>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace BrowseBoxTest
{
struct BoxForm
{
    std::unique_ptr<QWidget> Window = std::make_unique<QWidget>();
    QLineEdit* Before = nullptr; // a tab stop before the box
    Ostrel::BrowseBox* Box = nullptr;
    QLineEdit* After = nullptr; // and one after it

    explicit BoxForm(Ostrel::BrowseBox* box = nullptr)
    {
        Window->resize(480, 160);
        Before = new QLineEdit(Window.get());
        Before->setObjectName(QStringLiteral("Before"));
        Before->setGeometry(10, 10, 200, 24);
        Box = box != nullptr ? box : new Ostrel::BrowseBox;
        Box->setParent(Window.get());
        After = new QLineEdit(Window.get());
        After->setObjectName(QStringLiteral("After"));
        After->setGeometry(10, 110, 200, 24);
    }

    // Shows the window and gives the box the size asked for (the box then fixes it).
    void Show(int width = 301, int height = 40)
    {
        Window->show();
        Window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(Window.get()));
        Box->setGeometry(10, 50, width, height);
    }

    QLineEdit* Field(int i) const { return Box->TextField(i); }
    QPushButton* Button(int i) const { return Box->ButtonBox(i); }
};

// The mouse events pass their arguments by reference, which QSignalSpy counts but cannot
// copy: this keeps them. Its connections end with it.
struct MouseRecorder
{
    struct Event
    {
        short Button;
        short Shift;
        float X;
        float Y;
    };
    std::vector<Event> Down, Move, Up;
    QObject Context;

    explicit MouseRecorder(Ostrel::BrowseBox* box)
    {
        const auto keep = [this](std::vector<Event>& into) {
            return [&into](short& b, short& s, float& x, float& y) {
                into.push_back({b, s, x, y});
            };
        };
        QObject::connect(box, &Ostrel::BrowseBox::MouseDown, &Context, keep(Down));
        QObject::connect(box, &Ostrel::BrowseBox::MouseMove, &Context, keep(Move));
        QObject::connect(box, &Ostrel::BrowseBox::MouseUp, &Context, keep(Up));
    }
};
} // namespace BrowseBoxTest
