// SPDX-License-Identifier: MIT
#include "app/AdvancedDialog.h"
#include "app/FileDialog.h"
#include "app/MessageBox.h"
#include "app/ProgressBar.h"
#include "app/StatusBar.h"
#include "app/TabControl.h"
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
