// SPDX-License-Identifier: MIT
#include "app/AdvancedDialog.h"
#include "app/FileDialog.h"
#include "app/MessageBox.h"
#include "app/ProgressBar.h"
#include "app/StatusBar.h"
#include "app/TabControl.h"
#include "app/WindowPlacement.h"
#include "tests/support/Latin1.h"
#include "tests/support/QtPrint.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

using namespace Kestrin;

// The pattern that matches every name: "*.*" on Windows; elsewhere "*", as names there need
// no dot.
#ifdef _WIN32
#define ANY_NAME "*.*"
#else
#define ANY_NAME "*"
#endif

TEST(AdvancedDialog, TurnsDescriptionPatternPairsIntoQtFilters)
{
    struct Case
    {
        const char* pairs;
        const char* filters;
    } cases[] = {
        {"All Files (*.*)|*.*|", "All Files (" ANY_NAME ")"},
        {"All Files (*.*)|*.*", "All Files (" ANY_NAME ")"},
        {"Text (*.txt;*.log)|*.txt;*.log|All Files|*.*|",
         "Text (*.txt *.log);;All Files (" ANY_NAME ")"},
        {"Lists|*.lst|", "Lists (*.lst)"},
        {"", ""},
        {"Dangling description", ""},
        {"No patterns||", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AdvancedDialog::QtNameFilters(QString::fromUtf8(c.pairs)).toStdString(),
                  c.filters)
            << c.pairs;
}

TEST(AdvancedDialog, ConfirmedDialogsFillTheirPropertyAndCancelledOnesChangeNothing)
{
    QWidget owner;
    AdvancedDialog dialog(&owner);
    EXPECT_EQ(owner.findChild<AdvancedDialog*>(QStringLiteral("ucCorvane")), &dialog);
    EXPECT_EQ(dialog.fileflags, 22532);
    EXPECT_EQ(dialog.filterindex, 1);

    dialog.filename = QStringLiteral("/data/in/notes.txt");
    dialog.initdir = QStringLiteral("/data/in");
    dialog.filter = QStringLiteral("All Files (*.*)|*.*|");
    dialog.fileflags = 20484; // the file must exist
    FileDialog::SetNextFileName(QStringLiteral("/data/in/other.txt"));
    EXPECT_EQ(dialog.ShowFileDialog(), 1);
    EXPECT_EQ(dialog.filename, QStringLiteral("/data/in/other.txt"));
    EXPECT_EQ(FileDialog::LastFolder(), QStringLiteral("/data/in"));
    EXPECT_EQ(FileDialog::LastFileName(), QStringLiteral("/data/in/notes.txt"));
    EXPECT_EQ(FileDialog::LastNameFilters(), QStringLiteral("All Files (" ANY_NAME ")"));
    EXPECT_TRUE(FileDialog::LastFileMustExist());

    dialog.fileflags = 16388; // a new name may be chosen
    FileDialog::SetNextFileName(QString());
    EXPECT_EQ(dialog.ShowFileDialog(), 0);
    EXPECT_EQ(dialog.filename, QStringLiteral("/data/in/other.txt"));
    EXPECT_FALSE(FileDialog::LastFileMustExist());

    FileDialog::SetNextFolder(QStringLiteral("/data/out"));
    EXPECT_EQ(dialog.ShowFolderDialog(), 1);
    EXPECT_EQ(dialog.initdir, QStringLiteral("/data/out"));
    // Nobody answers: cancelled.
    EXPECT_EQ(dialog.ShowFolderDialog(), 0);
    EXPECT_EQ(dialog.initdir, QStringLiteral("/data/out"));
}

TEST(MessageBox, QueuedAnswersAreTakenInOrderByQuestionsOnly)
{
    MessageBox::ResetRecord();
    MessageBox::SetNextAnswer(MessageBox::No);
    MessageBox::SetNextAnswer(MessageBox::Cancel);
    EXPECT_EQ(MessageBox::Show(nullptr, QStringLiteral("warn"), MessageBox::OkExclamation),
              MessageBox::Ok);
    EXPECT_EQ(MessageBox::Show(nullptr, QStringLiteral("q1"), MessageBox::YesNoQuestion),
              MessageBox::No);
    EXPECT_EQ(MessageBox::Show(nullptr, QStringLiteral("q2"), MessageBox::YesNoCancelQuestion),
              MessageBox::Cancel);
    // Unanswered: the default button.
    EXPECT_EQ(MessageBox::Show(nullptr, QStringLiteral("q3"), MessageBox::YesNoCancelQuestion),
              MessageBox::Yes);
    EXPECT_EQ(MessageBox::ShownCount(), 4);
    EXPECT_EQ(MessageBox::LastText(), QStringLiteral("q3"));
    EXPECT_EQ(MessageBox::LastStyle(), MessageBox::YesNoCancelQuestion);
}

TEST(MessageBox, TheQuestionsButtonsAnswerToTheirAccessKeys)
{
    // The real box, answered by its access key as a user would; a box whose key does
    // nothing is closed by clicking its first button, which the test then sees.
    MessageBox::SetUnattended(false);
    struct Case
    {
        MessageBox::Style Style;
        Qt::Key Key;
        MessageBox::Button Expected;
    } cases[] = {
        {MessageBox::YesNoCancelQuestion, Qt::Key_C, MessageBox::Cancel},
        {MessageBox::YesNoCancelQuestion, Qt::Key_N, MessageBox::No},
        {MessageBox::YesNoCancelQuestion, Qt::Key_Y, MessageBox::Yes},
        {MessageBox::YesNoQuestion, Qt::Key_N, MessageBox::No},
    };
    for (const Case& c : cases)
    {
        QStringList captions;
        QTimer::singleShot(
            0,
            [&]
            {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                ASSERT_NE(box, nullptr);
                for (QAbstractButton* button : box->buttons())
                    captions << button->text();
                EXPECT_TRUE(QTest::qWaitForWindowActive(box));
                QTest::keyClick(box, c.Key, Qt::AltModifier);
                QTimer::singleShot(2000, box, [box] { box->buttons().constFirst()->click(); });
            });
        EXPECT_EQ(MessageBox::Show(nullptr, QStringLiteral("Overwrite?"), c.Style), c.Expected)
            << c.Key;
        for (const QString& caption : captions)
            EXPECT_TRUE(Latin1List({"&Yes", "&No", "&Cancel"}).contains(caption))
                << caption.toStdString();
    }
    MessageBox::SetUnattended(true);
}

TEST(StatusBar, PanelsAreFoundByKeyAndTheSpringTakesTheRest)
{
    StatusBar bar;
    bar.AddPanel(QStringLiteral("Total"), false);
    bar.AddPanel(QStringLiteral("Info"), true);
    bar.AddPanel(QStringLiteral("Time"), false);
    bar.SetPanelMinWidth(QStringLiteral("Total"), 48);
    bar.SetPanelMinWidth(QStringLiteral("Time"), 48);
    bar.resize(600, 25);

    bar.SetPanelText(QStringLiteral("Info"), QStringLiteral("Done."));
    bar.SetPanelText(QStringLiteral("Total"), QStringLiteral("8"));
    bar.SetPanelText(QStringLiteral("Nowhere"), QStringLiteral("x"));
    EXPECT_EQ(bar.PanelText(QStringLiteral("Info")), QStringLiteral("Done."));
    EXPECT_EQ(bar.PanelText(QStringLiteral("Total")), QStringLiteral("8"));
    EXPECT_EQ(bar.PanelText(QStringLiteral("Time")), QString());
    EXPECT_EQ(bar.PanelText(QStringLiteral("Nowhere")), QString());

    const QRect total = bar.PanelRect(QStringLiteral("Total"));
    const QRect info = bar.PanelRect(QStringLiteral("Info"));
    const QRect time = bar.PanelRect(QStringLiteral("Time"));
    EXPECT_EQ(total.width(), 48);
    EXPECT_EQ(time.width(), 48);
    EXPECT_LT(total.right(), info.left());
    EXPECT_LT(info.right(), time.left());
    EXPECT_LE(time.right(), 600);
    EXPECT_GE(time.right(), 590); // the spring fills the width

    // A long count widens its panel beyond the minimum; the spring gives way.
    bar.SetPanelText(QStringLiteral("Total"), QStringLiteral("123456789012"));
    EXPECT_GT(bar.PanelRect(QStringLiteral("Total")).width(), 48);
    EXPECT_LT(bar.PanelRect(QStringLiteral("Info")).width(), info.width());
}

TEST(TabControl, ClickComesAfterEachRealChangeWithThePreviousTab)
{
    TabControl tabs;
    tabs.AddTab(QStringLiteral("&Split File"));
    tabs.AddTab(QStringLiteral("&Join Files"));
    tabs.resize(400, 200);
    QSignalSpy clicks(&tabs, &TabControl::Click);
    EXPECT_EQ(tabs.Tab(), 0);
    EXPECT_EQ(tabs.Tabs(), 2);
    EXPECT_EQ(tabs.TabCaption(1), QStringLiteral("&Join Files"));
    EXPECT_EQ(clicks.count(), 0);

    std::vector<int> seenTabs;
    QObject::connect(&tabs, &TabControl::Click, [&] { seenTabs.push_back(tabs.Tab()); });
    tabs.SetTab(1);
    tabs.SetTab(1); // no change, no event
    tabs.Bar()->setCurrentIndex(0);
    ASSERT_EQ(clicks.count(), 2);
    EXPECT_EQ(clicks[0][0].toInt(), 0);
    EXPECT_EQ(clicks[1][0].toInt(), 1);
    EXPECT_EQ(seenTabs, (std::vector<int>{1, 0})); // the tab has changed when Click comes
    EXPECT_GT(tabs.TabHeight(), 0);
}

TEST(ProgressBar, EachChangedValueIsPaintedOnceAtOnce)
{
    QWidget window;
    window.resize(300, 60);
    auto* bar = new ProgressBar(&window);
    bar->setGeometry(10, 10, 280, 20);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->value(), 0);

    for (int value : {1, 2, 50, 51, 100})
    {
        const int before = bar->PaintCount();
        bar->SetValueAndRepaint(value);
        EXPECT_EQ(bar->PaintCount(), before + 1) << value; // painted before returning
        EXPECT_EQ(bar->value(), value);
    }
}

// Where the window opens, from its saved edges and the screens: each edge restored or centred
// on its own; kept while some of the title bar lies on a screen, centred when none does, also
// when the position was saved at another scale or on a screen since gone.
TEST(WindowPlacement, EachEdgeRestoredOrCentredAndNeverOutOfReach)
{
    constexpr int Centred = std::numeric_limits<int>::min();
    const QRect big(0, 0, 1920, 1080);
    const QRect right(1920, 0, 1920, 1080);
    // The same two screens at scale 2: the window system's pixels are half as many.
    const QRect bigAt2(0, 0, 960, 540);
    const QRect rightAt2(960, 0, 960, 540);
    struct Case
    {
        std::optional<double> Left, Top;
        QList<QRect> Screens;
        int X, Y; // Centred where centred
    } cases[] = {
        {57, std::nullopt, {big}, 57, Centred},
        {std::nullopt, 33, {big}, Centred, 33},
        {std::nullopt, std::nullopt, {big}, Centred, Centred},
        {-20, 500, {big}, -20, 500},     // partly off the screen: used unchanged
        {1915, 1075, {big}, 1915, 1075}, // a corner of the title bar on the screen
        {-590, 10, {big}, -590, 10},     // the right end of the title bar still on it
        {100, -10, {big}, 100, -10},     // the lower part of the title bar on it
        {2020, 40, {big}, Centred, Centred},
        {-700, 10, {big}, Centred, Centred},
        {100, 1104, {big}, Centred, Centred},
        {100, -60, {big}, Centred, Centred},
        {-5000, -5000, {big}, Centred, Centred},
        // Too far for twips counts as missing; 12.5 px is 187.5 twips, 188 (halves to even),
        // which lies nearer to pixel 13.
        {9999999999.0, 12.5, {big}, Centred, 13},
        {2500, 100, {big, right}, 2500, 100}, // on the second screen
        {2500, 100, {big}, Centred, Centred}, // the second screen is gone
        // Saved at scale 1, opened at scale 2: off every screen now.
        {1500, 800, {bigAt2}, Centred, Centred},
        {2500, 100, {bigAt2, rightAt2}, Centred, Centred},
        {1500, 100, {bigAt2, rightAt2}, 1500, 100}, // on the second screen still
        {-590, 10, {bigAt2}, -590, 10},
    };
    for (const Case& c : cases)
    {
        PlacementInput in;
        const auto fixed = [](std::optional<double> px)
        {
            return px ? std::optional<Fixed4>(Fixed4{static_cast<std::int64_t>(*px * 10000)})
                      : std::nullopt;
        };
        in.Left = fixed(c.Left);
        in.Top = fixed(c.Top);
        in.Frame = QSize(600, 240);
        in.TitleBarHeight = 24;
        in.Screen = c.Screens.front();
        in.Screens = c.Screens;
        const Placement placed = PlaceWindow(in);
        const QRect& s = in.Screen;
        const QPoint expected(c.X != Centred ? c.X : s.x() + (s.width() - 600) / 2,
                              c.Y != Centred ? c.Y : s.y() + (s.height() - 240) / 2);
        const std::string what =
            std::to_string(c.Left.value_or(-1)) + "," + std::to_string(c.Top.value_or(-1)) +
            " on " + std::to_string(c.Screens.size()) + " screen(s) " + std::to_string(s.width());
        EXPECT_EQ(placed.At, expected) << what;
        EXPECT_EQ(placed.CentreLeft, c.X == Centred) << what;
        EXPECT_EQ(placed.CentreTop, c.Y == Centred) << what;
        // The remembered edges are the position in twips.
        EXPECT_EQ(std::lround(placed.LeftTwips / 15.0), expected.x()) << what;
        EXPECT_EQ(std::lround(placed.TopTwips / 15.0), expected.y()) << what;
    }

    // Once the frame is reported, only the centred edges move.
    const QRect frame(10, 20, 610, 270);
    EXPECT_EQ(CentredFrame(frame, big, true, false), QPoint(655, 20));
    EXPECT_EQ(CentredFrame(frame, big, false, true), QPoint(10, 405));
    EXPECT_EQ(CentredFrame(frame, right, true, true), QPoint(2575, 405));
}
