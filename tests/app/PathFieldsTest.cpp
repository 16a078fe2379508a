// SPDX-License-Identifier: MIT
// The window's path fields driven as a user drives them: real keys on the fields' text
// widgets, the real clipboard, real drops, real files; only the dialogs and message boxes
// are answered through their test hooks.
#include "app/AdvancedDialog.h"
#include "app/FileDialog.h"
#include "app/LocalText.h"
#include "app/MessageBox.h"
#include "app/StatusBar.h"
#include "app/fwMain.h"
#include "common/Version.h"
#include "tests/support/QtPrint.h"
#include "tests/support/TempFolder.h"

#include <Ostrel/BrowseBox.h>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace Kestrin;
using KestrinTest::TempFolder;
using Ostrel::BrowseBox;

namespace
{
// Texts compared as UTF-8, so that a failure shows them readably.
std::string U(const QString& text)
{
    return text.toStdString();
}

const QString Required = QStringLiteral("<Required.>");
const QString SameAsSource = QStringLiteral("<Same as Source.>");
const QString Marker = QStringLiteral("marker");
const QString Sep = QDir::separator();
// The file dialogs' pattern for every name.
#ifdef _WIN32
#define ANY_NAME "*.*"
#else
#define ANY_NAME "*"
#endif
#ifdef _WIN32
const QString Root = QStringLiteral("C:\\");
// Where a dialog opens when the folder is not there.
const QString FallbackFolder = QStringLiteral("c:\\");
#else
const QString Root = QStringLiteral("/");
const QString FallbackFolder = QDir::homePath();
#endif

// A path the window cannot turn into the bytes of a file name: bytes that are no UTF-8 on
// POSIX (decoded with U+FFFD), a letter outside the ANSI code page on Windows.
QString UndecipherablePath(const TempFolder& temp, const std::string& folder)
{
#ifdef _WIN32
    return PathText(temp / folder) + QStringLiteral("a\u0416b.txt");
#else
    return PathText(temp / (folder + "a\xff"
                                     "b.txt"));
#endif
}

QList<QUrl> Urls(const QStringList& paths)
{
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    return urls;
}

void CopyFiles(const QStringList& paths)
{
    auto* data = new QMimeData;
    data->setUrls(Urls(paths));
    QGuiApplication::clipboard()->setMimeData(data);
}

void CopyText(const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
}

// The part of a field that has the keyboard: the message while one is shown.
QLineEdit* Typing(BrowseBox* field)
{
    return field->TextField(field->ErrText().isEmpty() ? 0 : 1);
}

void Key(BrowseBox* field, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QLineEdit* target = Typing(field);
    target->setFocus();
    QTest::keyClick(target, key, modifiers);
}

// Keys as a keyboard sends them: to whatever part has the focus at that moment.
void KeyToFocus(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyPress(QApplication::focusWidget(), key, modifiers);
    QTest::keyRelease(QApplication::focusWidget(), key, modifiers);
}

// A drop as the window system delivers it: enter, then drop, on the part shown.
void Drop(BrowseBox* field, QMimeData& data)
{
    QLineEdit* target = Typing(field);
    const QPoint at(5, 5);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}

void DropFiles(BrowseBox* field, const QStringList& paths)
{
    QMimeData data;
    data.setUrls(Urls(paths));
    Drop(field, data);
}

class PathFields : public ::testing::Test
{
public: // the test tables reach the fixture through a reference
    void SetUp() override
    {
        MessageBox::ResetRecord();
        QGuiApplication::clipboard()->clear();
        // As from a build folder: the settings file is the one beside the program.
        temp.Write(BuildTreeMarker, "");
        notes = PathText(temp.Write("in/notes.txt", "one#two#three"));
        other = PathText(temp.Write("other/b.txt", "1#2#3#4"));
        third = PathText(temp.Write("other/c.txt", "x#y"));
        folder = PathText(temp / "other");
        std::filesystem::create_directory(temp / "out");
        out = PathText(temp / "out/");
        list =
            PathText(temp.Write("list.txt", temp / "in/notes.txt" + "\r\n" + temp / "other/b.txt"));
    }
    void TearDown() override
    {
        if (window)
            window->close();
    }

    // The split tab with a source of three fragments, an existing target folder and a
    // naming choice: Start enabled.
    fwMain& OpenSplit()
    {
        return Open("[fwMain]\nssMain=0\n[&Split File]\nucSource=" + PathBytes(notes) +
                    "\nucTarget=" + PathBytes(out) + "\ntbDelimiter=#\nobFileName=0\n");
    }
    // The join tab with a list of two files and a target: Start enabled.
    fwMain& OpenJoin()
    {
        return Open("[fwMain]\nssMain=1\n[&Join Files]\nucSource=" + PathBytes(list) +
                    "\nucTarget=" + temp / "joined.txt" + "\ntbDelimiter=-----\n");
    }
    fwMain& Open(const std::string& settings)
    {
        temp.Write("kestrin.dat", settings);
        fwMain::Startup startup;
        startup.ExecutablePath = temp / "kestrin";
        window = std::make_unique<fwMain>(startup);
        window->show();
        window->activateWindow();
        // Keys go where the focus is, as they do from a keyboard.
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        return *window;
    }

    BrowseBox* Field(const char* name) const
    {
        return window->findChild<BrowseBox*>(QString::fromLatin1(name));
    }
    bool StartEnabled() const
    {
        return window->findChild<QPushButton*>(QStringLiteral("bbRun"))->isEnabled();
    }
    StatusBar* Status() const { return window->findChild<StatusBar*>(QStringLiteral("pbStatus")); }
    QString Total() const { return Status()->PanelText(QStringLiteral("Total")); }
    // The readiness update clears "Info": a marker put there shows whether it ran.
    void MarkInfo() { Status()->SetPanelText(QStringLiteral("Info"), Marker); }
    bool ReadinessRan() const { return Status()->PanelText(QStringLiteral("Info")).isEmpty(); }
    AdvancedDialog* Corvane() const
    {
        return window->findChild<AdvancedDialog*>(QStringLiteral("ucCorvane"));
    }

    TempFolder temp;
    QString notes, other, third, folder, out, list;
    std::unique_ptr<fwMain> window;
};
} // namespace

TEST_F(PathFields, AnyKeyReleasedInAnEmptySourceShowsRequired)
{
    Open("");
    BrowseBox* source = Field("ucSource0");
    EXPECT_TRUE(source->ErrText().isEmpty()); // start-up sets no message
    for (const Qt::Key key : {Qt::Key_Right, Qt::Key_Delete, Qt::Key_Home, Qt::Key_Shift})
    {
        source->setErrText(QString());
        MarkInfo();
        Key(source, key);
        EXPECT_EQ(U(source->ErrText()), U(Required)) << key;
        EXPECT_TRUE(ReadinessRan()) << key;
        EXPECT_FALSE(StartEnabled());
    }
}

TEST_F(PathFields, AKeyPressedElsewhereAndReleasedInAnEmptySourceShowsNothing)
{
    // Fresh start, the focus in the split tab's delimiter: Alt+J opens the join tab and
    // the focus moves into its source field before the chord's keys are released there.
    fwMain& w = Open("");
    window->findChild<QLineEdit*>(QStringLiteral("tbDelimiter0"))->setFocus();
    QTest::keyClick(w.windowHandle(), Qt::Key_J, Qt::AltModifier);
    QCoreApplication::processEvents();
    BrowseBox* source = Field("ucSource1");
    ASSERT_TRUE(source->isVisible());
    ASSERT_TRUE(source->isAncestorOf(QApplication::focusWidget()));
    EXPECT_EQ(U(source->ErrText()), U(QString()));
    // A key pressed there, too, is the user's.
    QTest::keyClick(w.windowHandle(), Qt::Key_Right);
    EXPECT_EQ(U(source->ErrText()), U(Required));
}

TEST_F(PathFields, DeleteEmptiesATargetWithoutAReadinessUpdate)
{
    for (const auto modifiers : {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier})
    {
        OpenSplit();
        BrowseBox* target = Field("ucTarget0");
        Key(target, Qt::Key_End);
        MarkInfo();
        Key(target, Qt::Key_Delete, modifiers); // the cursor at the end deletes nothing itself
        EXPECT_EQ(U(target->Text()), U(QString()));
        EXPECT_EQ(U(target->ErrText()), U(SameAsSource));
        EXPECT_TRUE(StartEnabled()); // an empty target folder is valid
        EXPECT_FALSE(ReadinessRan());

        OpenJoin();
        target = Field("ucTarget1");
        ASSERT_TRUE(StartEnabled());
        MarkInfo();
        Key(target, Qt::Key_Delete, modifiers);
        EXPECT_EQ(U(target->Text()), U(QString()));
        EXPECT_EQ(U(target->ErrText()), U(Required));
        EXPECT_FALSE(StartEnabled());
        EXPECT_FALSE(ReadinessRan());
    }
}

TEST_F(PathFields, BackspaceThatEmptiesATargetShowsNoMessage)
{
    OpenSplit();
    BrowseBox* target = Field("ucTarget0");
    Key(target, Qt::Key_A, Qt::ControlModifier);
    Key(target, Qt::Key_Backspace);
    EXPECT_EQ(U(target->Text()), U(QString()));
    EXPECT_TRUE(target->ErrText().isEmpty());
}

TEST_F(PathFields, PastingTakesTheFirstPathThatFitsTheField)
{
    struct Case
    {
        const char* What;
        bool Join;
        const char* FieldName;
        std::function<void(PathFields&)> Copy;
        Qt::Key KeyPressed;
        Qt::KeyboardModifiers Modifiers;
        std::function<QString(PathFields&)> Expected; // the field's final text
    };
    const auto same = [](const char* name)
    { return [name](PathFields& t) { return t.Field(name)->Text(); }; };
    const Case cases[] = {
        {"three copied files give the first", false, "ucSource0",
         [](PathFields& t) {
             CopyFiles({t.other, t.third, t.notes});
         },
         Qt::Key_V, Qt::ControlModifier, [](PathFields& t) { return t.other; }},
        {"Shift+Insert pastes too", false, "ucSource0", [](PathFields& t) { CopyFiles({t.other}); },
         Qt::Key_Insert, Qt::ShiftModifier, [](PathFields& t) { return t.other; }},
        {"a quoted path text loses its quotes", false, "ucSource0",
         [](PathFields& t) { CopyText(u'"' + t.other + u'"'); }, Qt::Key_V, Qt::ControlModifier,
         [](PathFields& t) { return t.other; }},
        {"a quote at one end only is refused", false, "ucSource0",
         [](PathFields& t) { CopyText(u'"' + t.other); }, Qt::Key_V, Qt::ControlModifier,
         same("ucSource0")},
        {"a folder is no source", false, "ucSource0", [](PathFields& t) { CopyFiles({t.folder}); },
         Qt::Key_V, Qt::ControlModifier, same("ucSource0")},
        {"a missing file is no source", false, "ucSource0",
         [](PathFields& t) { CopyText(t.folder + Sep + QStringLiteral("missing.txt")); }, Qt::Key_V,
         Qt::ControlModifier, same("ucSource0")},
        {"Ctrl+Shift+V is no paste key", false, "ucSource0",
         [](PathFields& t) { CopyFiles({t.other}); }, Qt::Key_V,
         Qt::ControlModifier | Qt::ShiftModifier, same("ucSource0")},
        {"Ctrl+Insert is no paste key", false, "ucSource0",
         [](PathFields& t) { CopyFiles({t.other}); }, Qt::Key_Insert, Qt::ControlModifier,
         same("ucSource0")},
        {"pasting the path the field holds leaves exactly it", false, "ucSource0",
         [](PathFields& t) { CopyText(t.notes); }, Qt::Key_V, Qt::ControlModifier,
         [](PathFields& t) { return t.notes; }},
        {"a file is no target folder", false, "ucTarget0",
         [](PathFields& t) { CopyFiles({t.other}); }, Qt::Key_V, Qt::ControlModifier,
         same("ucTarget0")},
        {"a folder text gets its final separator", false, "ucTarget0",
         [](PathFields& t) { CopyText(t.folder); }, Qt::Key_V, Qt::ControlModifier,
         [](PathFields& t) { return t.folder + Sep; }},
        {"a copied folder gets its final separator", false, "ucTarget0",
         [](PathFields& t) { CopyFiles({t.folder}); }, Qt::Key_Insert, Qt::ShiftModifier,
         [](PathFields& t) { return t.folder + Sep; }},
        {"a folder that has its separator keeps one", false, "ucTarget0",
         [](PathFields& t) { CopyText(t.folder + Sep); }, Qt::Key_V, Qt::ControlModifier,
         [](PathFields& t) { return t.folder + Sep; }},
        {"a lone quotation mark is not the root folder", false, "ucTarget0",
         [](PathFields&) { CopyText(QStringLiteral("\"")); }, Qt::Key_V, Qt::ControlModifier,
         same("ucTarget0")},
        {"an empty clipboard pastes nothing", false, "ucTarget0", [](PathFields&) {}, Qt::Key_V,
         Qt::ControlModifier, same("ucTarget0")},
        {"the join list takes a file", true, "ucSource1",
         [](PathFields& t) { CopyFiles({t.notes}); }, Qt::Key_V, Qt::ControlModifier,
         [](PathFields& t) { return t.notes; }},
        {"the join target takes an existing file", true, "ucTarget1",
         [](PathFields& t) { CopyFiles({t.other}); }, Qt::Key_V, Qt::ControlModifier,
         [](PathFields& t) { return t.other; }},
        {"the join target refuses a folder", true, "ucTarget1",
         [](PathFields& t) { CopyText(t.folder); }, Qt::Key_V, Qt::ControlModifier,
         same("ucTarget1")},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.What);
        QGuiApplication::clipboard()->clear();
        MessageBox::ResetRecord();
        if (c.Join)
            OpenJoin();
        else
            OpenSplit();
        BrowseBox* field = Field(c.FieldName);
        Key(field, Qt::Key_End);
        c.Copy(*this);
        const QString expected = c.Expected(*this);
        const bool changes = expected != field->Text();
        MarkInfo();
        Key(field, c.KeyPressed, c.Modifiers);
        EXPECT_EQ(U(field->Text()), U(expected));
        EXPECT_TRUE(field->ErrText().isEmpty());
        EXPECT_EQ(MessageBox::ShownCount(), 0);
        // Target fields see no key-up handling: only an accepted paste updates Start.
        if (c.FieldName[2] == 'T')
        {
            EXPECT_EQ(ReadinessRan(), changes);
        }
    }
}

TEST_F(PathFields, APathTheWindowRefusesDoesNotLandThroughTheFieldsOwnPaste)
{
    // Reached by its access key, all of its text selected, as a user replaces a path.
    struct Case
    {
        const char* What;
        bool Join;
        const char* FieldName;
        Qt::Key AccessKey;
        std::function<void(PathFields&)> Copy;
        Qt::Key KeyPressed;
        Qt::KeyboardModifiers Modifiers;
    };
    const Case cases[] = {
        {"a copied file over the target folder", false, "ucTarget0", Qt::Key_T,
         [](PathFields& t) { CopyFiles({t.other}); }, Qt::Key_V, Qt::ControlModifier},
        {"a file text over the target folder", false, "ucTarget0", Qt::Key_T,
         [](PathFields& t) { CopyText(t.other); }, Qt::Key_Insert, Qt::ShiftModifier},
        {"a copied folder over the source", false, "ucSource0", Qt::Key_F,
         [](PathFields& t) { CopyFiles({t.folder}); }, Qt::Key_V, Qt::ControlModifier},
        {"a folder over the file list", true, "ucSource1", Qt::Key_F,
         [](PathFields& t) { CopyText(t.folder); }, Qt::Key_V, Qt::ControlModifier},
        {"a folder over the join target", true, "ucTarget1", Qt::Key_T,
         [](PathFields& t) { CopyFiles({t.folder}); }, Qt::Key_V, Qt::ControlModifier},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.What);
        fwMain& w = c.Join ? OpenJoin() : OpenSplit();
        BrowseBox* field = Field(c.FieldName);
        const QString before = field->Text();
        ASSERT_TRUE(StartEnabled());
        QTest::keyClick(w.windowHandle(), c.AccessKey, Qt::AltModifier);
        ASSERT_EQ(QApplication::focusWidget(), field->TextField(0));
        c.Copy(*this);
        KeyToFocus(Qt::Key_A, Qt::ControlModifier);
        KeyToFocus(c.KeyPressed, c.Modifiers);
        EXPECT_EQ(U(field->Text()), U(before));
        EXPECT_TRUE(StartEnabled());
    }
}

TEST_F(PathFields, PasteOnAShownMessage)
{
    OpenSplit();
    BrowseBox* source = Field("ucSource0");
    Key(source, Qt::Key_A, Qt::ControlModifier);
    Key(source, Qt::Key_Backspace);
    ASSERT_EQ(U(source->ErrText()), U(Required));

    // Refused: nothing lands, neither in the text nor in the message.
    CopyText(folder);
    KeyToFocus(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(U(source->Text()), U(QString()));
    EXPECT_EQ(U(source->ErrText()), U(Required));
    EXPECT_EQ(U(source->TextField(1)->text()), U(Required));

    // Accepted: the message goes, the field shows and holds the path.
    CopyFiles({other});
    KeyToFocus(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(U(source->Text()), U(other));
    EXPECT_TRUE(source->ErrText().isEmpty());
    EXPECT_TRUE(StartEnabled());
    EXPECT_EQ(U(Total()), U(QStringLiteral("4")));

    // A quoted file path is no target folder: the message stays what it was, and the
    // field stores the empty text it holds.
    BrowseBox* target = Field("ucTarget0");
    Key(target, Qt::Key_Delete);
    CopyText(u'"' + third + u'"');
    KeyToFocus(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(U(target->Text()), U(QString()));
    EXPECT_EQ(U(target->ErrText()), U(SameAsSource));
    EXPECT_EQ(U(target->TextField(1)->text()), U(SameAsSource));
    CopyFiles({folder});
    KeyToFocus(Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(U(target->Text()), U(folder + Sep));
    EXPECT_TRUE(target->ErrText().isEmpty());
}

TEST_F(PathFields, APathCanBeTypedIntoAFieldThatShowsRequired)
{
    OpenSplit();
    BrowseBox* source = Field("ucSource0");
    Key(source, Qt::Key_A, Qt::ControlModifier);
    Key(source, Qt::Key_Backspace);
    ASSERT_EQ(U(source->ErrText()), U(Required));

    // Keys that edit nothing leave the message; Backspace on the empty text brings it back.
    KeyToFocus(Qt::Key_Left);
    KeyToFocus(Qt::Key_Backspace);
    EXPECT_EQ(U(source->ErrText()), U(Required));
    EXPECT_EQ(U(source->TextField(1)->text()), U(Required));

    QSignalSpy change(source, &BrowseBox::Change);
    for (const QChar c : other)
        QTest::keyClicks(QApplication::focusWidget(), QString(c));
    EXPECT_EQ(U(source->Text()), U(other));
    EXPECT_TRUE(source->ErrText().isEmpty());
    EXPECT_EQ(change.count(), other.size());
    EXPECT_TRUE(StartEnabled());
    EXPECT_EQ(U(Total()), U(QStringLiteral("4")));

    // The split target's message takes typing the same way, Delete empties it again.
    BrowseBox* target = Field("ucTarget0");
    Key(target, Qt::Key_Delete);
    ASSERT_EQ(U(target->ErrText()), U(SameAsSource));
    KeyToFocus(Qt::Key_Delete);
    EXPECT_EQ(U(target->ErrText()), U(SameAsSource));
    QTest::keyClicks(QApplication::focusWidget(), Root);
    EXPECT_EQ(U(target->Text()), U(Root));
    EXPECT_TRUE(target->ErrText().isEmpty());
}

TEST_F(PathFields, AnUndecipherableNameIsReportedAndNotPasted)
{
    OpenSplit();
    BrowseBox* target = Field("ucTarget0");
    const QString name = UndecipherablePath(temp, "out/");
    CopyText(name);
    Key(target, Qt::Key_End);
    Key(target, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(U(target->Text()), U(out));
    EXPECT_EQ(MessageBox::ShownCount(), 1);
    EXPECT_EQ(MessageBox::LastStyle(), MessageBox::OkExclamation);
    EXPECT_EQ(U(MessageBox::LastText()),
              U(QStringLiteral("Undecipherable file/folder name:\r\n\r\n") + name +
                QStringLiteral("\r\n\r\nRename it before opening in this application.")));
}

TEST_F(PathFields, BrowsingForASourceFile)
{
    Open("");
    BrowseBox* source = Field("ucSource0");
    AdvancedDialog* corvane = Corvane();

    // Cancelled: nothing changes.
    source->setErrText(Required);
    MarkInfo();
    QTest::mouseClick(source->ButtonBox(1), Qt::LeftButton);
    EXPECT_EQ(U(FileDialog::LastFolder()), U(PathText(temp.Path()))); // the program folder
    EXPECT_EQ(U(source->Text()), U(QString()));
    EXPECT_EQ(U(source->ErrText()), U(Required));
    EXPECT_FALSE(ReadinessRan());

    FileDialog::SetNextFileName(notes);
    QTest::mouseClick(source->ButtonBox(1), Qt::LeftButton);
    EXPECT_EQ(corvane->fileflags, 20484);
    EXPECT_EQ(U(corvane->filter), U(QStringLiteral("All Files (*.*)|*.*|")));
    EXPECT_EQ(U(FileDialog::LastNameFilters()), U(QStringLiteral("All Files (" ANY_NAME ")")));
    EXPECT_TRUE(FileDialog::LastFileMustExist());
    EXPECT_EQ(U(FileDialog::LastFileName()), U(QString()));
    EXPECT_EQ(U(source->Text()), U(notes));
    EXPECT_TRUE(source->ErrText().isEmpty());
    EXPECT_TRUE(ReadinessRan());

    // The next dialog opens at the file, in its folder; Alt+Down is the same button.
    Key(source, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(U(FileDialog::LastFileName()), U(notes));
    EXPECT_EQ(U(FileDialog::LastFolder()), U(PathText(temp / "in/")));

    // A folder that has gone: the home folder.
    source->setText(PathText(temp / "gone/notes.txt"));
    QTest::mouseClick(source->ButtonBox(1), Qt::LeftButton);
    EXPECT_EQ(U(FileDialog::LastFolder()), U(FallbackFolder));
}

TEST_F(PathFields, BrowsingForTheSplitTargetFolder)
{
    OpenSplit();
    BrowseBox* target = Field("ucTarget0");
    BrowseBox* source = Field("ucSource0");
    // Its own text first, else the source's, else the program folder.
    const std::pair<QString, QString> starts[] = {
        {folder + Sep, folder + Sep},
        {QString(), PathText(temp / "in/")},
    };
    for (const auto& [own, start] : starts)
    {
        target->setText(own);
        QTest::mouseClick(target->ButtonBox(1), Qt::LeftButton);
        EXPECT_EQ(U(FileDialog::LastFolder()), U(start));
    }
    source->setText(QString());
    QTest::mouseClick(target->ButtonBox(1), Qt::LeftButton);
    EXPECT_EQ(U(FileDialog::LastFolder()), U(PathText(temp.Path())));

    const std::pair<QString, QString> chosen[] = {
        {folder, folder + Sep}, {Root, Root}, // a root already ends in its separator
    };
    for (const auto& [confirmed, expected] : chosen)
    {
        target->setErrText(SameAsSource);
        MarkInfo();
        FileDialog::SetNextFolder(confirmed);
        QTest::mouseClick(target->ButtonBox(1), Qt::LeftButton);
        EXPECT_EQ(U(target->Text()), U(expected));
        EXPECT_TRUE(target->ErrText().isEmpty());
        EXPECT_TRUE(ReadinessRan());
    }
}

TEST_F(PathFields, BrowsingForTheJoinTargetKeepsTheLastFileDialogsChoices)
{
    Open("[fwMain]\nssMain=1\n");
    BrowseBox* source = Field("ucSource1");
    BrowseBox* target = Field("ucTarget1");
    AdvancedDialog* corvane = Corvane();

    QTest::mouseClick(target->ButtonBox(1), Qt::LeftButton); // cancelled
    EXPECT_EQ(U(FileDialog::LastFolder()), U(PathText(temp.Path())));
    EXPECT_EQ(corvane->fileflags, 16388);
    EXPECT_FALSE(FileDialog::LastFileMustExist());
    EXPECT_EQ(U(target->Text()), U(QString()));

    FileDialog::SetNextFileName(list);
    QTest::mouseClick(source->ButtonBox(1), Qt::LeftButton);
    ASSERT_EQ(U(source->Text()), U(list));

    const QString joined = PathText(temp / "other/joined.txt"); // not there yet
    FileDialog::SetNextFileName(joined);
    MarkInfo();
    QTest::mouseClick(target->ButtonBox(1), Qt::LeftButton);
    EXPECT_EQ(U(FileDialog::LastFolder()), U(PathText(temp.Folder()))); // the list's folder
    EXPECT_EQ(U(FileDialog::LastFileName()), U(list));
    EXPECT_EQ(U(FileDialog::LastNameFilters()), U(QStringLiteral("All Files (" ANY_NAME ")")));
    EXPECT_FALSE(FileDialog::LastFileMustExist());
    EXPECT_EQ(U(target->Text()), U(joined));
    EXPECT_TRUE(ReadinessRan());
    EXPECT_TRUE(StartEnabled());
}

TEST_F(PathFields, DropsOnTheSplitFields)
{
    struct Case
    {
        const char* What;
        const char* FieldName;
        std::function<QStringList(PathFields&)> Files;
        std::function<QString(PathFields&)> Expected;
        bool Start;
    };
    const Case cases[] = {
        // The readiness update follows even when the field already shows the path, so
        // "Total" counts the new source's fragments.
        {"a file on the source", "ucSource0", [](PathFields& t) { return QStringList{t.other}; },
         [](PathFields& t) { return t.other; }, true},
        {"two files: the field's own first one stays", "ucSource0",
         [](PathFields& t) {
             return QStringList{t.third, t.other};
         },
         [](PathFields& t) { return t.third; }, true},
        {"a folder on the source is refused but shown", "ucSource0",
         [](PathFields& t) { return QStringList{t.folder}; },
         [](PathFields& t) { return t.folder; }, false},
        {"a folder on the target gets its separator", "ucTarget0",
         [](PathFields& t) { return QStringList{t.folder}; },
         [](PathFields& t) { return t.folder + Sep; }, true},
        {"a file on the target is refused but shown", "ucTarget0",
         [](PathFields& t) { return QStringList{t.other}; }, [](PathFields& t) { return t.other; },
         true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.What);
        MessageBox::ResetRecord();
        OpenSplit();
        BrowseBox* field = Field(c.FieldName);
        MarkInfo();
        DropFiles(field, c.Files(*this));
        EXPECT_EQ(U(field->Text()), U(c.Expected(*this)));
        EXPECT_TRUE(field->ErrText().isEmpty());
        EXPECT_TRUE(ReadinessRan());
        EXPECT_EQ(StartEnabled(), c.Start);
        EXPECT_EQ(MessageBox::ShownCount(), 0);
    }
    EXPECT_EQ(U(Total()), U(QStringLiteral("3")));
}

TEST_F(PathFields, DroppedSourceIsCountedAndTextChangesNothing)
{
    OpenSplit();
    BrowseBox* source = Field("ucSource0");
    DropFiles(source, {other});
    EXPECT_EQ(U(Total()), U(QStringLiteral("4")));

    QMimeData text;
    text.setText(notes);
    MarkInfo();
    Drop(source, text);
    EXPECT_EQ(U(source->Text()), U(other));
    EXPECT_FALSE(ReadinessRan());
}

TEST_F(PathFields, DropsOnAShownMessage)
{
    OpenSplit();
    BrowseBox* source = Field("ucSource0");
    BrowseBox* target = Field("ucTarget0");
    Key(source, Qt::Key_A, Qt::ControlModifier);
    Key(source, Qt::Key_Backspace);
    Key(target, Qt::Key_Delete);
    ASSERT_EQ(U(source->ErrText()), U(Required));
    ASSERT_EQ(U(target->ErrText()), U(SameAsSource));

    // Refused: the message comes back over the still empty text.
    DropFiles(source, {folder});
    EXPECT_EQ(U(source->Text()), U(QString()));
    EXPECT_EQ(U(source->ErrText()), U(Required));
    DropFiles(target, {other});
    EXPECT_EQ(U(target->Text()), U(QString()));
    EXPECT_EQ(U(target->ErrText()), U(SameAsSource));

    // Accepted: the field shows its own text again, holding the path.
    DropFiles(source, {notes});
    EXPECT_EQ(U(source->Text()), U(notes));
    EXPECT_TRUE(source->ErrText().isEmpty());
    EXPECT_TRUE(StartEnabled());
    DropFiles(target, {folder});
    EXPECT_EQ(U(target->Text()), U(folder + Sep));
    EXPECT_TRUE(target->ErrText().isEmpty());
}

TEST_F(PathFields, ADroppedUndecipherableNameIsReportedThenRefused)
{
    OpenSplit();
    BrowseBox* source = Field("ucSource0");
    const QString name = UndecipherablePath(temp, "in/");
#ifndef _WIN32
    temp.Write("in/a\xff"
               "b.txt",
               "p#q");
#endif
    MarkInfo();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(name)});
    Drop(source, data);
    EXPECT_EQ(MessageBox::ShownCount(), 1);
    EXPECT_TRUE(MessageBox::LastText().contains(name)) << U(MessageBox::LastText());
    EXPECT_FALSE(StartEnabled()); // the decoded name reaches no file
    EXPECT_TRUE(ReadinessRan());
}

TEST_F(PathFields, TheJoinFieldsTakeNoDrops)
{
    OpenJoin();
    for (const char* name : {"ucSource1", "ucTarget1"})
    {
        BrowseBox* field = Field(name);
        const QString before = field->Text();
        DropFiles(field, {other});
        EXPECT_EQ(U(field->Text()), U(before)) << name;
    }
}
