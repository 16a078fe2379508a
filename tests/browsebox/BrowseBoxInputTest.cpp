// SPDX-License-Identifier: MIT
#include "BoxForm.h"
#include "tests/support/QtPrint.h"
#include "tests/support/TempFolder.h"

#include <Ostrel/BrowseBox.h>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <QWindow>
#include <cstring>
#include <gtest/gtest.h>

using namespace Ostrel;
using BrowseBoxTest::BoxForm;
using BrowseBoxTest::MouseRecorder;

namespace
{
QString Q(const std::string& path)
{
    return QString::fromStdString(path);
}

// Sends a real drop of these local files onto a widget.
void DropFiles(QWidget* target, const QStringList& files, const QPoint& at = QPoint(5, 5))
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& file : files)
        urls << QUrl::fromLocalFile(file);
    data.setUrls(urls);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}
} // namespace

TEST(BrowseBoxInput, ErrTextShowsTrimmedMessageInPlaceOfTheText)
{
    struct Case
    {
        QString Value;
        bool Shown;
        QString Message;
    };
    const Case cases[] = {
        {QStringLiteral("<Required.>"), true, QStringLiteral("<Required.>")},
        {QStringLiteral("  <Same as Source.>  "), true, QStringLiteral("<Same as Source.>")},
        {QStringLiteral("    "), false, QString()},
        {QString(), false, QString()},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.Value.toStdString());
        BoxForm form;
        form.Show();
        form.Box->setText(QStringLiteral("/some/path"));
        form.Field(0)->setToolTip(QStringLiteral("tip"));
        form.Box->setErrText(QStringLiteral("previous message"));
        QSignalSpy change(form.Box, &BrowseBox::Change);
        form.Box->setErrText(c.Value);
        EXPECT_EQ(form.Field(1)->isVisible(), c.Shown);
        EXPECT_EQ(form.Field(0)->isVisible(), !c.Shown);
        EXPECT_EQ(form.Box->ErrText(), c.Message);
        EXPECT_EQ(form.Field(1)->geometry(), form.Field(0)->geometry());
        EXPECT_EQ(form.Field(1)->toolTip(), QStringLiteral("tip"));
        EXPECT_EQ(form.Box->Text(), QStringLiteral("/some/path")); // never touched
        EXPECT_EQ(change.count(), 0);
    }
}

TEST(BrowseBoxInput, PasteKeepsAnExistingPathAndUndoesAMissingOne)
{
    KestrinTest::TempFolder folder;
    const QString file = Q(folder.Write("exists.txt", "x"));
    const QString dir = Q(folder.Path());
    const QString missing = Q(folder / "missing.txt");
#ifdef _WIN32
    folder.Write("a.txt", "a");
    // The ANSI code page's best fit for it is "a.txt", which exists: it must not count.
    const QString lookAlike = Q(folder.Folder()) + QStringLiteral("\u0101.txt");
#endif
    struct Case
    {
        const char* Name;
        QString Clipboard;
        bool MustExist;
        bool ShiftInsert;
        QString Expected; // the field starts with "before", all selected
    };
    const Case cases[] = {
        {"Ctrl+V existing file", file, true, false, file},
        {"Ctrl+V existing folder", dir, true, false, dir},
        {"Ctrl+V missing path", missing, true, false, QStringLiteral("before")},
        {"Shift+Insert existing file", file, true, true, file},
        {"Shift+Insert missing path", missing, true, true, QStringLiteral("before")},
        {"MustExist off keeps anything", missing, false, false, missing},
#ifdef _WIN32
        {"Ctrl+V a look-alike of an existing file", lookAlike, true, false,
         QStringLiteral("before")},
#endif
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.Name);
        BoxForm form;
        form.Show();
        form.Box->setMustExist(c.MustExist);
        form.Box->setText(QStringLiteral("before"));
        QApplication::clipboard()->setText(c.Clipboard);
        QLineEdit* field = form.Field(0);
        field->setFocus();
        field->selectAll();

        QStringList order;
        QObject::connect(form.Box, &BrowseBox::Change, [&] { order << form.Box->Text(); });
        QObject::connect(form.Box, &BrowseBox::KeyUp,
                         [&](short code, short)
                         {
                             if (code != 16 && code != 17) // the modifier keys' own releases
                                 order << QStringLiteral("KeyUp %1").arg(code);
                         });
        if (c.ShiftInsert)
            QTest::keyClick(field, Qt::Key_Insert, Qt::ShiftModifier);
        else
            QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(form.Box->Text(), c.Expected);
        // The undo is a change of its own, made before KeyUp is raised.
        const QString key = c.ShiftInsert ? QStringLiteral("KeyUp 45") : QStringLiteral("KeyUp 86");
        if (c.Expected == QStringLiteral("before"))
            EXPECT_EQ(order, (QStringList{c.Clipboard, QStringLiteral("before"), key}));
        else
            EXPECT_EQ(order, (QStringList{c.Clipboard, key}));
    }
}

TEST(BrowseBoxInput, ReleasingCtrlBeforeVSkipsThePasteCheck)
{
    KestrinTest::TempFolder folder;
    const QString missing = Q(folder / "missing.txt");
    BoxForm form;
    form.Show();
    QApplication::clipboard()->setText(missing);
    QLineEdit* field = form.Field(0);
    QTest::keyPress(field, Qt::Key_Control, Qt::ControlModifier);
    QTest::keyPress(field, Qt::Key_V, Qt::ControlModifier);
    QTest::keyRelease(field, Qt::Key_Control, Qt::NoModifier);
    QTest::keyRelease(field, Qt::Key_V, Qt::NoModifier);
    EXPECT_EQ(form.Box->Text(), missing);
}

TEST(BrowseBoxInput, PasteCheckWithoutAPasteKeyDownRestoresTheEmptyText)
{
    BoxForm form;
    form.Show();
    form.Box->setText(QStringLiteral("/no/such/thing"));
    QTest::keyRelease(form.Field(0), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(form.Box->Text(), QString());
}

TEST(BrowseBoxInput, ContainerPathOnAPasteKeyIsTheFinalText)
{
    KestrinTest::TempFolder folder;
    const QString file = Q(folder.Write("chosen.txt", "x"));
    // The container's path wins also when the field already held it, and also when Ctrl is
    // let go before V (which skips the existence check that would otherwise repair it).
    struct Case
    {
        QString Initial;
        bool ReleaseCtrlFirst;
    } cases[] = {
        {QString(), false},
        {QString(), true},
        {file, false},
        {file, true},
    };
    for (const auto& c : cases)
    {
        BoxForm form;
        form.Show();
        form.Box->setText(c.Initial);
        form.Field(0)->setCursorPosition(static_cast<int>(c.Initial.size()));
        QApplication::clipboard()->setText(file);
        QObject::connect(form.Box, &BrowseBox::KeyDown,
                         [&](short code, short shift)
                         {
                             if (code == 86 && shift == 2)
                                 form.Box->setText(file);
                         });
        QLineEdit* field = form.Field(0);
        QTest::keyPress(field, Qt::Key_Control, Qt::ControlModifier);
        QTest::keyPress(field, Qt::Key_V, Qt::ControlModifier);
        if (c.ReleaseCtrlFirst)
        {
            QTest::keyRelease(field, Qt::Key_Control, Qt::NoModifier);
            QTest::keyRelease(field, Qt::Key_V, Qt::NoModifier);
        }
        else
        {
            QTest::keyRelease(field, Qt::Key_V, Qt::ControlModifier);
            QTest::keyRelease(field, Qt::Key_Control, Qt::NoModifier);
        }
        EXPECT_EQ(form.Box->Text(), file) << c.Initial.toStdString() << c.ReleaseCtrlFirst;
    }
}

TEST(BrowseBoxInput, AltUpAndDownClickTheRightButtonEvenWhenHidden)
{
    for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Up})
    {
        BoxForm form;
        form.Box->setVisibleRight(false);
        form.Box->setEnabledRight(false);
        form.Show();
        form.After->setFocus();
        QSignalSpy click(form.Box, &BrowseBox::ButtonClick);
        QTest::keyClick(form.Field(0), key, Qt::AltModifier);
        ASSERT_EQ(click.count(), 1);
        EXPECT_EQ(click.at(0).at(0).value<short>(), 1);
        EXPECT_TRUE(form.Field(0)->hasFocus());
        // Other modifiers do not count.
        QTest::keyClick(form.Field(0), key, Qt::AltModifier | Qt::ShiftModifier);
        QTest::keyClick(form.Field(0), key, Qt::NoModifier);
        EXPECT_EQ(click.count(), 1);
    }
}

TEST(BrowseBoxInput, KeyEventsCarryVirtualKeysAndTheShiftMask)
{
    BoxForm form;
    form.Show();
    QList<QPair<short, short>> down;
    QList<QPair<short, short>> up;
    QList<short> press;
    QObject::connect(form.Box, &BrowseBox::KeyDown,
                     [&](short code, short shift) { down << qMakePair(code, shift); });
    QObject::connect(form.Box, &BrowseBox::KeyUp,
                     [&](short code, short shift) { up << qMakePair(code, shift); });
    QObject::connect(form.Box, &BrowseBox::KeyPress, [&](short ascii) { press << ascii; });
    // The modifier keys go down first, as on a real keyboard.
    QTest::keyClick(form.Field(0), Qt::Key_Delete, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(down, (QList<QPair<short, short>>{{16, 1}, {17, 3}, {46, 3}}));
    EXPECT_TRUE(up.contains(qMakePair(short(46), short(3))));
    EXPECT_TRUE(press.isEmpty());
    down.clear();
    QTest::keyClick(form.Field(0), Qt::Key_B, Qt::NoModifier);
    EXPECT_EQ(down, (QList<QPair<short, short>>{{66, 0}}));
    EXPECT_EQ(press, QList<short>{short('b')});
}

TEST(BrowseBoxInput, CtrlASelectsTheWholeText)
{
    BoxForm form;
    form.Show();
    form.Box->setText(QStringLiteral("abcdef"));
    form.Box->setSelStart(2);
    QTest::keyClick(form.Field(0), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(form.Box->SelStart(), 0);
    EXPECT_EQ(form.Box->SelLength(), 6);
}

TEST(BrowseBoxInput, TheFirstEditOfAShownMessageGoesToTheText)
{
    KestrinTest::TempFolder folder;
    const QString file = Q(folder.Write("exists.txt", "x"));
    struct Case
    {
        const char* What;
        Qt::Key Key;
        Qt::KeyboardModifiers Modifiers;
        QString Initial; // the text under the message, cursor at its end
        bool Answer;     // the container answers the key with a message of its own
        bool Locked;
        QString Expected; // the text afterwards
        bool MessageGoes;
    };
    const QString kept = QStringLiteral("kept");
    const Case cases[] = {
        {"a character", Qt::Key_X, Qt::NoModifier, QString(), false, false, QStringLiteral("x"),
         true},
        {"a character after a text", Qt::Key_X, Qt::NoModifier, kept, false, false,
         QStringLiteral("keptx"), true},
        {"Backspace", Qt::Key_Backspace, Qt::NoModifier, kept, false, false, QStringLiteral("kep"),
         true},
        {"Delete", Qt::Key_Delete, Qt::NoModifier, QString(), false, false, QString(), true},
        {"a paste of an existing path", Qt::Key_V, Qt::ControlModifier, QString(), false, false,
         file, true},
        {"an arrow key", Qt::Key_Left, Qt::NoModifier, kept, false, false, kept, false},
        {"copying", Qt::Key_C, Qt::ControlModifier, kept, false, false, kept, false},
        {"a key the container answers", Qt::Key_Delete, Qt::NoModifier, kept, true, false, kept,
         false},
        {"a locked text", Qt::Key_X, Qt::NoModifier, kept, false, true, kept, false},
    };
    const QString message = QStringLiteral("<Required.>");
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.What);
        QApplication::clipboard()->setText(file);
        BoxForm form;
        form.Show();
        form.Box->setLocked(c.Locked);
        form.Box->setText(c.Initial);
        form.Field(0)->setFocus();
        form.Box->setErrText(message);
        ASSERT_TRUE(form.Field(1)->hasFocus()); // the message takes the focus over
        QObject::connect(form.Box, &BrowseBox::KeyDown,
                         [&](short, short)
                         {
                             if (c.Answer)
                                 form.Box->setErrText(message);
                         });
        QSignalSpy change(form.Box, &BrowseBox::Change);
        QSignalSpy down(form.Box, &BrowseBox::KeyDown);
        QSignalSpy up(form.Box, &BrowseBox::KeyUp);
        // Pressed in the message; released where the focus is then, as a keyboard does.
        QTest::keyPress(form.Field(1), c.Key, c.Modifiers);
        QTest::keyRelease(QApplication::focusWidget(), c.Key, c.Modifiers);
        EXPECT_EQ(form.Box->Text(), c.Expected);
        EXPECT_EQ(form.Box->ErrText(), c.MessageGoes ? QString() : message);
        // The message is never edited: what shows is what the field holds.
        EXPECT_EQ(form.Field(1)->text(), c.MessageGoes ? QString() : message);
        EXPECT_EQ(form.Field(0)->hasFocus(), c.MessageGoes);
        EXPECT_EQ(change.count(), c.Expected != c.Initial ? 1 : 0);
        // The key is raised once each way (the modifier keys' own events aside).
        const auto own = [](const QSignalSpy& spy)
        {
            int n = 0;
            for (const auto& args : spy)
                n += args.at(0).value<short>() != 16 && args.at(0).value<short>() != 17;
            return n;
        };
        EXPECT_EQ(own(down), 1);
        EXPECT_EQ(own(up), 1);
    }
}

TEST(BrowseBoxInput, APasteTheContainerTakesPastesNothing)
{
    KestrinTest::TempFolder folder;
    const QString file = Q(folder.Write("exists.txt", "x"));
    for (const bool onMessage : {false, true})
    {
        SCOPED_TRACE(onMessage);
        BoxForm form;
        form.Show();
        form.Box->setText(QStringLiteral("typed"));
        form.Field(0)->setFocus();
        form.Field(0)->selectAll();
        if (onMessage)
            form.Box->setErrText(QStringLiteral("<Same as Source.>"));
        QApplication::clipboard()->setText(file); // an existing path the key-up check keeps
        QObject::connect(form.Box, &BrowseBox::KeyDown,
                         [&](short, short) { form.Box->TakePaste(); });
        QSignalSpy change(form.Box, &BrowseBox::Change);
        QLineEdit* part = form.Field(onMessage ? 1 : 0);
        QTest::keyClick(part, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(part, Qt::Key_Insert, Qt::ShiftModifier);
        EXPECT_EQ(form.Box->Text(), QStringLiteral("typed"));
        EXPECT_EQ(form.Box->ErrText(), onMessage ? QStringLiteral("<Same as Source.>") : QString());
        EXPECT_EQ(form.Field(1)->text(),
                  onMessage ? QStringLiteral("<Same as Source.>") : QString());
        EXPECT_EQ(change.count(), 0);
    }
}

TEST(BrowseBoxInput, DropOfThreeFilesSetsTheFirstBeforeTheEvent)
{
    KestrinTest::TempFolder folder;
    const QStringList files{Q(folder.Write("one.txt", "1")), Q(folder.Write("two.txt", "2")),
                            Q(folder.Write("three.txt", "3"))};
    BoxForm form;
    form.Box->setOLEDropMode(BrowseBox::OLEDropManual);
    form.Show();
    QStringList seenByHandler;
    int events = 0;
    QObject::connect(form.Box, &BrowseBox::OLEDragDrop,
                     [&](const QMimeData* data, int effect, short button, short, float x, float)
                     {
                         ++events;
                         seenByHandler = BrowseBox::FileList(data);
                         seenByHandler.prepend(form.Box->Text());
                         EXPECT_EQ(effect, 1);
                         EXPECT_EQ(button, 1);
                         // Moved into the control's coordinates.
                         EXPECT_FLOAT_EQ(
                             x, float((form.Box->TextFrame()->x() + form.Field(0)->x() + 5) * 15));
                     });
    std::vector<short> overStates;
    QObject::connect(form.Box, &BrowseBox::OLEDragOver,
                     [&](const QMimeData*&, int&, short&, short&, float&, float&, short& state)
                     { overStates.push_back(state); });
    DropFiles(form.Field(0), files);
    EXPECT_EQ(events, 1);
    EXPECT_EQ(seenByHandler, QStringList{files.first()} + files);
    EXPECT_EQ(form.Box->Text(), files.first());
    EXPECT_EQ(overStates, std::vector<short>{0}); // entering
}

// The drop events give the handler Effect by reference: what it leaves there decides the
// drop (0 refuses it, another effect picks the action), as a container expects.
TEST(BrowseBoxInput, TheHandlersEffectDecidesTheDrop)
{
    struct Case
    {
        const char* Name;
        int OverEffect; // -1: the handler leaves it
        int DropEffect;
        bool EnterAccepted;
        bool DropAccepted;
        Qt::DropAction Action;
    };
    const Case cases[] = {
        {"left as offered", -1, -1, true, true, Qt::CopyAction},
        {"refused while dragged over", 0, -1, false, false, Qt::IgnoreAction},
        {"refused at the drop", -1, 0, true, false, Qt::IgnoreAction},
        {"link chosen", 4, 4, true, true, Qt::LinkAction},
        {"an effect the source does not offer", 2 | 4, 2, true, false, Qt::IgnoreAction},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.Name);
        BoxForm form;
        form.Box->setOLEDropMode(BrowseBox::OLEDropManual);
        form.Show();
        QObject::connect(form.Box, &BrowseBox::OLEDragOver,
                         [&](const QMimeData*&, int& effect, short&, short&, float&, float&, short&)
                         {
                             EXPECT_EQ(effect, 1 | 4); // what the source offers
                             if (c.OverEffect >= 0)
                                 effect = c.OverEffect;
                         });
        QObject::connect(form.Box, &BrowseBox::OLEDragDrop,
                         [&](const QMimeData*&, int& effect, short&, short&, float&, float&)
                         {
                             if (c.DropEffect >= 0)
                                 effect = c.DropEffect;
                         });
        QMimeData data;
        data.setText(QStringLiteral("x"));
        const Qt::DropActions offered = Qt::CopyAction | Qt::LinkAction;
        QDragEnterEvent enter(QPoint(5, 5), offered, &data, Qt::LeftButton, Qt::NoModifier);
        enter.setAccepted(false);
        QApplication::sendEvent(form.Field(0), &enter);
        EXPECT_EQ(enter.isAccepted(), c.EnterAccepted);
        if (!c.EnterAccepted)
            continue; // no drop follows a refused enter
        QDropEvent drop(QPoint(5, 5), offered, &data, Qt::LeftButton, Qt::NoModifier);
        drop.setAccepted(false);
        QApplication::sendEvent(form.Field(0), &drop);
        EXPECT_EQ(drop.isAccepted(), c.DropAccepted);
        if (c.DropAccepted)
        {
            EXPECT_EQ(drop.dropAction(), c.Action);
        }
    }
}

TEST(BrowseBoxInput, DropWhileAMessageIsShownLandsOnTheMessage)
{
    KestrinTest::TempFolder folder;
    const QString file = Q(folder.Write("dropped.txt", "x"));
    BoxForm form;
    form.Box->setOLEDropMode(BrowseBox::OLEDropManual);
    form.Show();
    form.Box->setText(QStringLiteral("unchanged"));
    form.Box->setErrText(QStringLiteral("<Required.>"));
    QSignalSpy drop(form.Box, &BrowseBox::OLEDragDrop);
    QSignalSpy change(form.Box, &BrowseBox::Change);
    DropFiles(form.Field(1), {file});
    EXPECT_EQ(drop.count(), 1);
    EXPECT_EQ(form.Field(1)->text(), file);
    EXPECT_EQ(form.Box->Text(), QStringLiteral("unchanged"));
    EXPECT_EQ(change.count(), 0);
}

TEST(BrowseBoxInput, DropsNeedDropMode)
{
    BoxForm form;
    form.Show();
    EXPECT_FALSE(form.Field(0)->acceptDrops());
    form.Box->setOLEDropMode(BrowseBox::OLEDropManual);
    EXPECT_TRUE(form.Field(0)->acceptDrops());
    EXPECT_TRUE(form.Field(1)->acceptDrops());
    form.Box->setOLEDropMode(BrowseBox::OLEDropConstants(3)); // not a drop mode: refused
    EXPECT_EQ(form.Box->OLEDropMode(), 1);
}

TEST(BrowseBoxInput, EnteringTheControlPicksThePartUnderThePointer)
{
    struct Case
    {
        const char* Name;
        bool LeftShown;
        bool Message;
        bool Backwards;
        const char* Pointer; // "left" where the left button is (or would be), "away"
        const char* Expected;
    };
    const Case cases[] = {
        {"tab, pointer where a hidden left button would be", false, false, false, "left",
         "TextField0"},
        {"tab, pointer over a shown left button", true, false, false, "left", "ButtonBox0"},
        {"tab, pointer away", true, false, false, "away", "TextField0"},
        {"shift+tab from the next field", false, false, true, "away", "TextField0"},
        {"tab while a message is shown", false, true, false, "away", "TextField1"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.Name);
        BoxForm form;
        form.Box->setVisibleLeft(c.LeftShown);
        form.Show();
        if (c.Message)
            form.Box->setErrText(QStringLiteral("<Required.>"));
        const QPoint overLeft = form.Box->mapToGlobal(QPoint(3, 5));
        QCursor::setPos(std::strcmp(c.Pointer, "left") == 0
                            ? overLeft
                            : form.Window->mapToGlobal(QPoint(400, 5)));
        QLineEdit* start = c.Backwards ? form.After : form.Before;
        start->setFocus();
        QTest::keyClick(start, Qt::Key_Tab, c.Backwards ? Qt::ShiftModifier : Qt::NoModifier);
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        EXPECT_EQ(QApplication::focusWidget()->objectName().toStdString(), c.Expected);
    }
}

TEST(BrowseBoxInput, TabLeavesTheControlAsAWhole)
{
    BoxForm form;
    form.Box->setVisibleLeft(true);
    form.Show();
    form.Field(0)->setFocus();
    QTest::keyClick(form.Field(0), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form.After);
    form.Field(0)->setFocus();
    QTest::keyClick(form.Field(0), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), form.Before);
}

TEST(BrowseBoxInput, ButtonClickRaisesTheEventAndReturnsTheFocus)
{
    BoxForm form;
    form.Box->setVisibleLeft(true);
    form.Show();
    for (const int index : {0, 1})
    {
        form.After->setFocus();
        QSignalSpy click(form.Box, &BrowseBox::ButtonClick);
        MouseRecorder mouse(form.Box);
        QPushButton* button = form.Button(index);
        QTest::mouseClick(button, Qt::LeftButton, Qt::ShiftModifier, QPoint(2, 3));
        ASSERT_EQ(click.count(), 1);
        EXPECT_EQ(click.at(0).at(0).value<short>(), index);
        EXPECT_TRUE(form.Field(0)->hasFocus());
        ASSERT_EQ(mouse.Down.size(), 1u);
        EXPECT_EQ(mouse.Down[0].Button, 1);
        EXPECT_EQ(mouse.Down[0].Shift, 1);
        EXPECT_FLOAT_EQ(mouse.Down[0].X, float((button->x() + 2) * 15));
        EXPECT_FLOAT_EQ(mouse.Down[0].Y, float((button->y() + 3) * 15));
        EXPECT_EQ(mouse.Up.size(), 1u);
    }
}

// Every mouse event over a part reaches the container once: the part raises it, and it
// does not go on to the surface to be raised again.
TEST(BrowseBoxInput, EachMouseEventOverAPartIsRaisedOnce)
{
    struct Case
    {
        const char* Name;
        int Part;               // 0, 1: buttons; 2: field 0
        Qt::MouseButton Button; // Qt::NoButton: two hover moves
    };
    const Case cases[] = {
        {"hover over the right button", 1, Qt::NoButton},
        {"right-click on the right button", 1, Qt::RightButton},
        {"left-click on the left button", 0, Qt::LeftButton},
        {"middle-click on the right button", 1, Qt::MiddleButton},
        {"hover over the text", 2, Qt::NoButton},
        {"right-click on the text", 2, Qt::RightButton},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.Name);
        BoxForm form;
        form.Box->setVisibleLeft(true);
        form.Show();
        QWidget* part = c.Part < 2 ? static_cast<QWidget*>(form.Button(c.Part)) : form.Field(0);
        MouseRecorder mouse(form.Box);
        if (c.Button == Qt::NoButton)
        {
            QTest::mouseMove(part, QPoint(3, 4));
            QTest::mouseMove(part, QPoint(4, 5));
            EXPECT_EQ(mouse.Move.size(), 2u);
            EXPECT_TRUE(mouse.Down.empty());
        }
        else
        {
            QTest::mouseClick(part, c.Button, Qt::NoModifier, QPoint(3, 4));
            QWidget* popup = QApplication::activePopupWidget();
            if (popup != nullptr)
                popup->close();
            EXPECT_EQ(mouse.Down.size(), 1u);
            EXPECT_EQ(mouse.Up.size(), 1u);
        }
    }
}

// A disabled control, whether disabled itself or through its container, raises no event a
// user makes: clicks, double-clicks and moves over any of its parts reach nobody.
TEST(BrowseBoxInput, ADisabledControlRaisesNoUserEvents)
{
    for (const bool throughParent : {false, true})
    {
        for (int part = 0; part < 4; ++part) // the buttons, the text, the bare surface
        {
            SCOPED_TRACE(testing::Message()
                         << (throughParent ? "parent disabled" : "disabled") << ", part " << part);
            BoxForm form;
            form.Box->setVisibleLeft(true);
            form.Show();
            QWidget* target = part < 2    ? static_cast<QWidget*>(form.Button(part))
                              : part == 2 ? static_cast<QWidget*>(form.Field(0))
                                          : static_cast<QWidget*>(form.Box);
            const QPoint at = part == 3 ? QPoint(1, 1) : QPoint(3, 4);
            if (throughParent)
                form.Window->setEnabled(false);
            else
                form.Box->setEnabled(false);
            MouseRecorder mouse(form.Box);
            QSignalSpy click(form.Box, &BrowseBox::Click);
            QSignalSpy dbl(form.Box, &BrowseBox::DblClick);
            QSignalSpy button(form.Box, &BrowseBox::ButtonClick);
            // Through the window, as the platform delivers them.
            QWindow* window = form.Window->windowHandle();
            const QPoint inWindow = target->mapTo(form.Window.get(), at);
            QTest::mouseMove(window, inWindow);
            QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, inWindow);
            QTest::mouseClick(window, Qt::RightButton, Qt::NoModifier, inWindow);
            QTest::mouseDClick(window, Qt::LeftButton, Qt::NoModifier, inWindow);
            if (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
            EXPECT_EQ(mouse.Move.size() + mouse.Down.size() + mouse.Up.size(), 0u);
            EXPECT_EQ(click.count() + dbl.count() + button.count(), 0);
            // Enabled again, the same clicks are raised.
            mouse.Down.clear();
            mouse.Up.clear();
            form.Window->setEnabled(true);
            form.Box->setEnabled(true);
            QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, inWindow);
            EXPECT_EQ(mouse.Down.size(), 1u);
            EXPECT_EQ(mouse.Up.size(), 1u);
        }
    }
}

// A double-click on a button or the text is two presses and two releases to the container,
// paired: the platform's second press comes as a double-click event.
TEST(BrowseBoxInput, ADoubleClickGivesPairedDownsAndUps)
{
    for (int index = 0; index < 3; ++index)
    {
        SCOPED_TRACE(index == 0 ? "left button" : index == 1 ? "right button" : "text");
        BoxForm form;
        form.Box->setVisibleLeft(true);
        form.Show();
        std::vector<char> order; // D down, U up
        QObject context;
        QObject::connect(form.Box, &BrowseBox::MouseDown, &context,
                         [&](short&, short&, float&, float&) { order.push_back('D'); });
        QObject::connect(form.Box, &BrowseBox::MouseUp, &context,
                         [&](short&, short&, float&, float&) { order.push_back('U'); });
        QSignalSpy buttonClick(form.Box, &BrowseBox::ButtonClick);
        QSignalSpy click(form.Box, &BrowseBox::Click);
        QSignalSpy dbl(form.Box, &BrowseBox::DblClick);
        QWidget* part = index < 2 ? static_cast<QWidget*>(form.Button(index)) : form.Field(0);
        // Through the window: the platform's press, release, press and release, of which
        // Qt delivers the second press as a double-click event.
        QTest::mouseDClick(form.Window->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                           part->mapTo(form.Window.get(), QPoint(3, 4)));
        EXPECT_EQ(std::string(order.begin(), order.end()), "DUDU");
        if (index < 2)
        {
            EXPECT_EQ(buttonClick.count(), 2);
        }
        else
        {
            EXPECT_EQ(click.count(), 1);
            EXPECT_EQ(dbl.count(), 1);
        }
    }
}

TEST(BrowseBoxInput, ReleasingOffTheButtonGivesTheTextTheFocusWithoutAClick)
{
    BoxForm form;
    form.Show();
    QSignalSpy click(form.Box, &BrowseBox::ButtonClick);
    QPushButton* button = form.Button(1);
    QTest::mousePress(button, Qt::LeftButton, Qt::NoModifier, QPoint(2, 3));
    EXPECT_TRUE(button->hasFocus());
    QTest::mouseRelease(button, Qt::LeftButton, Qt::NoModifier, QPoint(-30, 3));
    EXPECT_EQ(click.count(), 0);
    EXPECT_TRUE(form.Field(0)->hasFocus());
}

TEST(BrowseBoxInput, FieldMouseEventsInControlCoordinatesAndClicks)
{
    BoxForm form;
    form.Show();
    MouseRecorder mouse(form.Box);
    QSignalSpy click(form.Box, &BrowseBox::Click);
    QSignalSpy dbl(form.Box, &BrowseBox::DblClick);
    QTest::mouseClick(form.Field(0), Qt::LeftButton, Qt::ControlModifier, QPoint(7, 4));
    ASSERT_EQ(mouse.Down.size(), 1u);
    EXPECT_EQ(mouse.Down[0].Shift, 2);
    const QWidget* frame = form.Box->TextFrame();
    EXPECT_FLOAT_EQ(mouse.Down[0].X, float((frame->x() + form.Field(0)->x() + 7) * 15));
    EXPECT_FLOAT_EQ(mouse.Down[0].Y, float((frame->y() + form.Field(0)->y() + 4) * 15));
    EXPECT_EQ(click.count(), 1);
    EXPECT_EQ(dbl.count(), 0); // a double-click: ADoubleClickGivesPairedDownsAndUps
}

TEST(BrowseBoxInput, CustomMenuSuppressesTheBuiltInMenu)
{
    for (const bool custom : {true, false})
    {
        SCOPED_TRACE(custom ? "custom menu" : "built-in menu");
        BoxForm form;
        form.Show();
        form.Box->setCustomMenu(custom);
        form.Box->setText(QStringLiteral("abcdef"));
        form.Field(0)->setSelection(1, 3);
        MouseRecorder mouse(form.Box);
        // The platform's sequence for a right click: press, context-menu request, release.
        QLineEdit* field = form.Field(0);
        const QPoint at(10, 4);
        QTest::mousePress(field, Qt::RightButton, Qt::NoModifier, at);
        QContextMenuEvent request(QContextMenuEvent::Mouse, at, field->mapToGlobal(at),
                                  Qt::NoModifier);
        QApplication::sendEvent(field, &request);
        QTest::mouseRelease(field, Qt::RightButton, Qt::NoModifier, at);
        QWidget* popup = QApplication::activePopupWidget();
        EXPECT_EQ(popup != nullptr, !custom);
        if (popup != nullptr)
            popup->close();
        ASSERT_EQ(mouse.Down.size(), 1u);
        EXPECT_EQ(mouse.Down[0].Button, 2);
        EXPECT_EQ(mouse.Up.size(), 1u);
        EXPECT_EQ(form.Box->SelStart(), 1);
        EXPECT_EQ(form.Box->SelLength(), 3);
    }
}

TEST(BrowseBoxInput, ChangeComesOnlyFromTheText)
{
    BoxForm form;
    form.Show();
    QSignalSpy change(form.Box, &BrowseBox::Change);
    QTest::keyClicks(form.Field(0), QStringLiteral("ab"));
    EXPECT_EQ(change.count(), 2);
    form.Field(1)->setText(QStringLiteral("message"));
    EXPECT_EQ(change.count(), 2);
    form.Box->setText(QStringLiteral("set"));
    EXPECT_EQ(change.count(), 3);
}
