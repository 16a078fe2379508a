// SPDX-License-Identifier: MIT
#include "app/fwMain.h"

#include "app/MessageBox.h"
#include "app/ProgressBar.h"
#include "app/StatusBar.h"
#include "app/TabControl.h"
#include "common/Version.h"
#include "tests/support/FileTraps.h"
#include "tests/support/QtPrint.h"
#include "tests/support/TempFolder.h"

#include <Ostrel/BrowseBox.h>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <sstream>
#include <thread>
#ifdef __linux__
#include <sys/inotify.h>
#include <unistd.h>
#endif

// Readable rectangles and points in failure messages.
void PrintTo(const QRect& r, std::ostream* out)
{
    *out << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
}
void PrintTo(const QPoint& p, std::ostream* out)
{
    *out << p.x() << "," << p.y();
}
void PrintTo(const QSize& s, std::ostream* out)
{
    *out << s.width() << "x" << s.height();
}
std::ostream& operator<<(std::ostream& out, const QPoint& p)
{
    PrintTo(p, &out);
    return out;
}
std::ostream& operator<<(std::ostream& out, const QRect& r)
{
    PrintTo(r, &out);
    return out;
}

using namespace Kestrin;
using KestrinTest::ReadBytes;
using KestrinTest::TempFolder;
using Ostrel::BrowseBox;

namespace
{
const char* const TabControls[] = {"tlSource", "ucSource",    "tlTarget",
                                   "ucTarget", "tlDelimiter", "tbDelimiter"};

class Window : public ::testing::Test
{
protected:
    void SetUp() override
    {
        MessageBox::ResetRecord();
        // The window runs as from a build folder: its settings file is the one beside it.
        temp.Write(BuildTreeMarker, "");
    }
    void TearDown() override
    {
        if (window)
            window->close();
    }

    void WriteSettings(const std::string& text) { temp.Write("kestrin.dat", text); }
    std::string Settings() const { return ReadBytes(temp / "kestrin.dat"); }

    fwMain& Open()
    {
        fwMain::Startup startup;
        startup.ExecutablePath = temp / "kestrin";
        startup.OpenFile = openFile;
        startup.Register = [this](const std::string& path)
        {
            registered.push_back(path);
            settingsAtRegistration = std::filesystem::exists(temp / "kestrin.dat");
        };
        window = std::make_unique<fwMain>(startup);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return *window;
    }

    void Close()
    {
        window->close();
        window.reset();
    }

    template <class T> T* Get(const QString& name) const
    {
        T* control = window->findChild<T*>(name);
        EXPECT_NE(control, nullptr) << name.toStdString();
        return control;
    }
    BrowseBox* Field(const char* name) const { return Get<BrowseBox>(QString::fromLatin1(name)); }
    QLineEdit* Delimiter(int i) const
    {
        return Get<QLineEdit>(QStringLiteral("tbDelimiter%1").arg(i));
    }
    QRadioButton* Naming(int i) const
    {
        return Get<QRadioButton>(QStringLiteral("obFileName%1").arg(i));
    }
    QCheckBox* Check(const char* name) const { return Get<QCheckBox>(QString::fromLatin1(name)); }
    QPushButton* Start() const { return Get<QPushButton>(QStringLiteral("bbRun")); }
    TabControl* Tabs() const { return Get<TabControl>(QStringLiteral("ssMain")); }
    ProgressBar* Bar() const { return Get<ProgressBar>(QStringLiteral("pbProgress")); }
    QString Panel(const char* key) const
    {
        return Get<StatusBar>(QStringLiteral("pbStatus"))->PanelText(QString::fromLatin1(key));
    }
    // A split source in a folder of its own, with an empty target folder beside it.
    std::string SplitSettings(const std::string& source, const std::string& delimiter,
                              const std::string& target, const std::string& more = "")
    {
        return "[fwMain]\nssMain=0\n[&Split File]\nucSource=" + source + "\nucTarget=" + target +
               "\ntbDelimiter=" + delimiter + "\n" + more;
    }

    TempFolder temp;
    std::unique_ptr<fwMain> window;
    std::vector<std::string> registered;
    std::string openFile; // Startup::OpenFile of the next Open()
    bool settingsAtRegistration = true;
};

// Where a centred window's frame begins on its screen.
QPoint CentredFrame(const QWidget& w)
{
    const QRect screen = w.screen()->geometry();
    const QSize frame = w.frameGeometry().size();
    return QPoint(screen.x() + (screen.width() - frame.width()) / 2,
                  screen.y() + (screen.height() - frame.height()) / 2);
}

// Bytes this process has read through system calls so far; -1 where the system does not
// count them.
long long BytesReadSoFar()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value = 0;
    while (io >> key >> value)
    {
        if (key == "rchar:")
            return value;
    }
    return -1;
}

// Counts what happens to one file name in a folder: openings, and new contents put under
// the name (a replacement renamed onto it, or a write in place closed). Linux's inotify
// reports openings; elsewhere Works() is false.
#ifdef __linux__
class NameWatch
{
public:
    NameWatch(const std::string& folder, std::string name)
        : name_(std::move(name)), fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        // Closings are watched too: the system merges an event into an identical one
        // right before it, and opening after opening would count once.
        if (fd_ >= 0)
            ::inotify_add_watch(fd_, folder.c_str(),
                                IN_OPEN | IN_CLOSE_NOWRITE | IN_MOVED_TO | IN_CLOSE_WRITE);
    }
    ~NameWatch()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    NameWatch(const NameWatch&) = delete;
    NameWatch& operator=(const NameWatch&) = delete;
    bool Works() const { return fd_ >= 0; }

    // Events since the last call.
    std::pair<int, int> OpensAndWrites()
    {
        int opens = 0, writes = 0;
        alignas(inotify_event) char buffer[65536];
        for (;;)
        {
            const auto got = ::read(fd_, buffer, sizeof buffer);
            if (got <= 0)
                break;
            for (char* at = buffer; at < buffer + got;)
            {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                if (event->len > 0 && name_ == event->name)
                {
                    opens += (event->mask & IN_OPEN) ? 1 : 0;
                    writes += (event->mask & (IN_MOVED_TO | IN_CLOSE_WRITE)) ? 1 : 0;
                }
                at += sizeof(inotify_event) + event->len;
            }
        }
        return {opens, writes};
    }

private:
    std::string name_;
    int fd_;
};
#else
class NameWatch
{
public:
    NameWatch(const std::string&, const std::string&) {}
    bool Works() const { return false; }
    std::pair<int, int> OpensAndWrites() { return {0, 0}; }
};
#endif

std::map<std::string, std::string> FileTexts(const std::string& folder)
{
    std::map<std::string, std::string> texts;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        texts[entry.path().filename().string()] = ReadBytes(entry.path().string());
    return texts;
}
} // namespace

TEST_F(Window, FirstStartWithoutSettings)
{
    fwMain& w = Open();
    EXPECT_EQ(registered, std::vector<std::string>{temp / "kestrin"});
    EXPECT_FALSE(settingsAtRegistration);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Kestrin 1.13"));
    EXPECT_EQ(w.SettingsFile(), temp / "kestrin.dat");
    EXPECT_EQ(w.size(), QSize(600, 240));
    // The frame is centred, as the user sees the window.
    EXPECT_TRUE(QTest::qWaitFor([&w] { return w.pos() == CentredFrame(w); }, 2000))
        << w.pos() << " frame " << w.frameGeometry();

    EXPECT_EQ(Tabs()->Tab(), 0);
    EXPECT_EQ(Tabs()->TabCaption(0), QStringLiteral("&Split File"));
    EXPECT_EQ(Tabs()->TabCaption(1), QStringLiteral("&Join Files"));
    for (const char* name : {"ucSource0", "ucTarget0", "ucSource1", "ucTarget1"})
        EXPECT_EQ(Field(name)->Text(), QString()) << name;
    EXPECT_EQ(Delimiter(0)->text(), QString());
    EXPECT_EQ(Delimiter(1)->text(), QString());
    EXPECT_TRUE(Naming(0)->isChecked());
    EXPECT_FALSE(Naming(1)->isChecked());
    EXPECT_EQ(Naming(0)->text(), QStringLiteral("Auto-&numbered"));
    for (const char* name : {"chSilent", "chFileList", "chFileName"})
        EXPECT_EQ(Check(name)->checkState(), Qt::Unchecked) << name;
    EXPECT_FALSE(Start()->isEnabled());
    EXPECT_TRUE(Start()->font().bold());
    EXPECT_EQ(Start()->text(), QStringLiteral("Sta&rt"));
    EXPECT_FALSE(Bar()->isVisible());
    EXPECT_EQ(Panel("Info"), QString());
    // Loading writes nothing.
    EXPECT_FALSE(std::filesystem::exists(temp / "kestrin.dat"));
}

TEST_F(Window, PathFieldsComeFromTheWindowsSavedFormData)
{
    Open();
    // Split fields take drops (manual), join fields none; all must exist, with the right
    // button only, carrying the browse glyph.
    const std::pair<const char*, int> fields[] = {
        {"ucSource0", 1}, {"ucTarget0", 1}, {"ucSource1", 0}, {"ucTarget1", 0}};
    for (const auto& [name, dropMode] : fields)
    {
        QFile saved(QStringLiteral(":/form/%1.bag").arg(QString::fromLatin1(name)));
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly)) << name;
        const auto bag = Ostrel::PropertyBag::FromText(QString::fromUtf8(saved.readAll()));
        EXPECT_EQ(bag.Read(QStringLiteral("OLEDropMode")).toInt(), dropMode) << name;
        EXPECT_TRUE(bag.Read(QStringLiteral("MustExist")).toBool()) << name;
        EXPECT_FALSE(bag.Read(QStringLiteral("Locked")).toBool()) << name;
        EXPECT_FALSE(bag.Read(QStringLiteral("VisibleLeft")).toBool()) << name;
        EXPECT_TRUE(bag.Read(QStringLiteral("VisibleRight")).toBool()) << name;
        EXPECT_EQ(bag.Read(QStringLiteral("ToolTipRight")).toString(), QStringLiteral("Browse..."));
        EXPECT_EQ(bag.Read(QStringLiteral("Text")).toString(), QString()) << name;
        EXPECT_FALSE(bag.Read(QStringLiteral("PictureRight")).value<QPixmap>().isNull()) << name;
        const BrowseBox* field = Field(name);
        EXPECT_EQ(field->Text(), QString()) << name;
        EXPECT_EQ(field->OLEDropMode(), dropMode) << name;
        EXPECT_TRUE(field->MustExist()) << name;
        EXPECT_FALSE(field->Locked()) << name;
        EXPECT_EQ(field->ToolTipRight(), QStringLiteral("Browse...")) << name;
        EXPECT_FALSE(field->PictureRight().isNull()) << name;
    }
}

TEST_F(Window, ASettingsFileFarTooLargeIsNeitherReadNorReplaced)
{
    // 17 MiB of empty lines after a position: defaults, a word in "Info", and the file
    // untouched at close.
    std::string huge = "[fwMain]\nLeft=57\n" + std::string(17 << 20, '\n');
    WriteSettings(huge);
    fwMain& w = Open();
    EXPECT_NE(w.pos(), QPoint(57, 0));
    EXPECT_TRUE(Panel("Info").startsWith(QStringLiteral("Settings not read (file too large)")))
        << Panel("Info").toStdString();
    Delimiter(0)->setText(QStringLiteral("##"));
    Close();
    EXPECT_TRUE(Settings() == huge);
}

TEST_F(Window, StartsFromAHandWrittenSettingsFile)
{
    const std::string list = temp.Write("in/list.txt", "a.txt\r\nb.txt\r\nc.txt");
    const std::string gone = temp.Write("in/gone.txt", "x");
    std::filesystem::remove(gone);
    std::filesystem::create_directory(temp / "out");
    WriteSettings("[fwMain]\nLeft=57\nTop=33\nssMain=1\n"
                  "[&Split File]\nucSource=" +
                  gone + "\nucTarget=" + temp / "out" +
                  "\ntbDelimiter=\"##\"\nobFileName=1\nchSilent=2\nchFileList=0.4\n"
                  "[&Join Files]\nucSource=" +
                  list + "\nucTarget=" + temp / "joined.txt" +
                  "\ntbDelimiter=  ==  \nchFileName=1\n");
    fwMain& w = Open();

    EXPECT_EQ(w.pos(), QPoint(57, 33));
    EXPECT_EQ(w.size(), QSize(600, 240));
    EXPECT_EQ(Tabs()->Tab(), 1);
    EXPECT_EQ(Field("ucSource0")->Text(), QString()); // deleted since
    EXPECT_EQ(Field("ucTarget0")->Text(), QString::fromStdString(temp / "out"));
    EXPECT_EQ(Delimiter(0)->text(), QStringLiteral("##"));
    EXPECT_TRUE(Naming(1)->isChecked());
    EXPECT_FALSE(Naming(0)->isChecked());
    EXPECT_EQ(Check("chSilent")->checkState(), Qt::Checked); // greyed comes back checked
    EXPECT_EQ(Check("chFileList")->checkState(), Qt::Unchecked);
    EXPECT_EQ(Field("ucSource1")->Text(), QString::fromStdString(list));
    EXPECT_EQ(Field("ucTarget1")->Text(), QString::fromStdString(temp / "joined.txt"));
    EXPECT_EQ(Delimiter(1)->text(), QStringLiteral("=="));
    EXPECT_EQ(Check("chFileName")->checkState(), Qt::Checked);
    // Start reflects the restored join tab: three lines and a target.
    EXPECT_TRUE(Start()->isEnabled());
    EXPECT_EQ(Panel("Total"), QStringLiteral("3"));
}

// kestrin FILE: the file is the split source of this start, on the split tab, whatever was
// restored; one that names no file leaves the field empty. Closing saves it as usual.
TEST_F(Window, AFileGivenAtStartIsTheSplitSource)
{
    const std::string restored = temp.Write("in/restored.txt", "a##b");
    const std::string given = temp.Write("in/given.txt", "1##2##3");
    for (const std::string& file : {given, temp / "in/missing.txt"})
    {
        SCOPED_TRACE(file);
        WriteSettings("[fwMain]\nssMain=1\n[&Split File]\nucSource=" + restored +
                      "\ntbDelimiter=##\n");
        openFile = file;
        Open();
        EXPECT_EQ(Tabs()->Tab(), 0);
        const bool exists = file == given;
        EXPECT_EQ(Field("ucSource0")->Text(), exists ? QString::fromStdString(given) : QString());
        EXPECT_EQ(Panel("Total"), exists ? QStringLiteral("3") : QStringLiteral("0"));
        Close();
        EXPECT_NE(Settings().find("ucSource=" + (exists ? given : std::string())),
                  std::string::npos);
    }
}

TEST_F(Window, ANewSettingsFileKeepsItsKeysInOrderAndThePosition)
{
    // What the fields restore, a random walk of the window checks (WindowWalk).
    Open();
    window->move(40, 50);
    Close();

    // A file written from nothing has its sections and keys in the order they are stored.
    std::vector<std::string> keys;
    std::istringstream lines(Settings());
    for (std::string line; std::getline(lines, line);)
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            keys.push_back(line.front() == '[' ? line : line.substr(0, line.find('=')));
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"[fwMain]", "Left", "Top", "ssMain", "[&Split File]",
                                              "ucSource", "ucTarget", "tbDelimiter", "obFileName",
                                              "chSilent", "chFileList", "[&Join Files]", "ucSource",
                                              "ucTarget", "tbDelimiter", "chFileName"}));
    Open();
    EXPECT_EQ(window->pos(), QPoint(40, 50));
}

TEST_F(Window, AnUnchangedCloseRewritesOnlyEmptyTextsAndZeros)
{
    const std::string source = temp.Write("in/notes.txt", "a--b");
    // Values in forms the writer would not produce: a rewritten line takes its own form.
    const std::string before = "[fwMain]\nLeft=57.0\nTop=33.0\nssMain=0.0\n"
                               "[&Split File]\nucSource=  " +
                               source +
                               "  \nucTarget=\"\"\n"
                               "tbDelimiter='--'\nobFileName=1.0\nchSilent=0.0\nchFileList=1.00\n"
                               "[&Join Files]\nucSource=''\nucTarget=\"\"\ntbDelimiter=\"\"\n"
                               "chFileName=0.0\n";
    WriteSettings(before);
    Open();
    Close();
    const std::string after = "[fwMain]\nLeft=57.0\nTop=33.0\nssMain=0\n"
                              "[&Split File]\nucSource=  " +
                              source +
                              "  \nucTarget= \n"
                              "tbDelimiter='--'\nobFileName=1.0\nchSilent=0\nchFileList=1.00\n"
                              "[&Join Files]\nucSource= \nucTarget= \ntbDelimiter= \n"
                              "chFileName=0\n";
    EXPECT_EQ(Settings(), after);
}

TEST_F(Window, TheSettingsFileIsReadOncePerLoadAndWrittenOncePerClose)
{
    const std::string source = temp.Write("in/notes.txt", "a--b");
    // A hand-kept file with a large section of notes the program knows nothing of.
    std::string notes = "; kept by hand\r\n[notes]\r\n";
    for (int i = 0; i < 50000; ++i)
        notes += "line" + std::to_string(i) + " = something the program does not touch\r\n";
    WriteSettings(notes + "[fwMain]\r\nLeft=57\r\nTop=33\r\n[&Split File]\r\nucSource=" + source +
                  "\r\ntbDelimiter=--\r\nchSilent=1\r\n");
    NameWatch watch(temp.Path(), "kestrin.dat");
    if (!watch.Works())
        GTEST_SKIP() << "openings of a file are watched with Linux's inotify";
    Open();
    EXPECT_EQ(window->pos(), QPoint(57, 33));
    EXPECT_EQ(Delimiter(0)->text(), QStringLiteral("--"));
    EXPECT_EQ(watch.OpensAndWrites(), std::make_pair(1, 0)) << "loading";

    Delimiter(0)->setText(QStringLiteral("++"));
    Check("chFileList")->click();
    Close();
    EXPECT_EQ(watch.OpensAndWrites(), std::make_pair(1, 1)) << "closing";
    const std::string after = Settings();
    EXPECT_EQ(after.substr(0, notes.size()), notes);
    EXPECT_NE(after.find("\r\ntbDelimiter=++\r\nchSilent=1\r\n"), std::string::npos);
    EXPECT_NE(after.find("\r\nchFileList=1\r\n"), std::string::npos);
}

TEST_F(Window, APastedDelimiterEndsAtItsFirstLineBreakAsUsedAndAsStored)
{
    const std::string source = temp.Write("in/s.txt", "one\r\n=====\r\ntwo\r\n=====\r\nthree");
    WriteSettings(SplitSettings(source, "", ""));
    Open();
    struct Case
    {
        int Tab;
        QString Before;
        int Cursor;
        QString Pasted;
        QString After;
    } cases[] = {
        {0, QStringLiteral("ab"), 1, QStringLiteral("x\ny"), QStringLiteral("axb")},
        {0, QStringLiteral("ab"), 2, QStringLiteral("\r\nz"), QStringLiteral("ab")},
        {0, {}, 0, QStringLiteral("one\rtwo"), QStringLiteral("one")},
        {1, {}, 0, QStringLiteral("**\r\n**"), QStringLiteral("**")},
        {0, {}, 0, QStringLiteral("=====\r\ntwo"), QStringLiteral("=====")},
    };
    for (const Case& c : cases)
    {
        Tabs()->SetTab(c.Tab);
        QLineEdit* field = Delimiter(c.Tab);
        field->setText(c.Before);
        field->setCursorPosition(c.Cursor);
        QGuiApplication::clipboard()->setText(c.Pasted);
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(field->text().toStdString(), c.After.toStdString()) << c.Pasted.toStdString();
    }
    EXPECT_EQ(Panel("Total"), QStringLiteral("3")); // cut at "=====", not at "=====\r\ntwo"
    Close();
    Open();
    EXPECT_EQ(Delimiter(0)->text(), QStringLiteral("====="));
    EXPECT_EQ(Delimiter(1)->text(), QStringLiteral("**"));
    EXPECT_EQ(Panel("Total"), QStringLiteral("3"));
}

TEST_F(Window, SplitIntoEightFragmentsAdvancesTheBarHalvesToEven)
{
    const std::string source = temp.Write("in/s.txt", "1#2#3#4#5#6#7#8");
    std::filesystem::create_directory(temp / "out");
    WriteSettings(SplitSettings(source, "#", temp / "out/"));
    Open();
    ASSERT_TRUE(Start()->isEnabled());
    EXPECT_EQ(Panel("Total"), QStringLiteral("8"));
    QSignalSpy values(Bar(), &QProgressBar::valueChanged);
    const int paintsBefore = Bar()->PaintCount();
    Start()->click();

    std::vector<int> seen;
    for (const auto& v : values)
        seen.push_back(v[0].toInt());
    EXPECT_EQ(seen, (std::vector<int>{12, 25, 38, 50, 62, 75, 88, 100}));
    EXPECT_GE(Bar()->PaintCount() - paintsBefore, 8); // each value was painted
    EXPECT_EQ(Panel("Info"), QStringLiteral("Done."));
    EXPECT_FALSE(Bar()->isVisible());
    const auto files = FileTexts(temp / "out");
    ASSERT_EQ(files.size(), 8u);
    EXPECT_EQ(files.at("s_1.txt"), "1");
    EXPECT_EQ(files.at("s_8.txt"), "8");
}

TEST_F(Window, TabSwitchShowsOneTabsControls)
{
    Open();
    const auto expectShown = [this](int tab)
    {
        for (int i = 0; i < 2; ++i)
        {
            for (const char* name : TabControls)
            {
                QWidget* control =
                    Get<QWidget>(QStringLiteral("%1%2").arg(QLatin1String(name)).arg(i));
                EXPECT_EQ(control->isVisible(), i == tab) << name << i << " on tab " << tab;
            }
        }
        EXPECT_EQ(Get<QGroupBox>(QStringLiteral("fbTarget"))->isVisible(), tab == 0);
        EXPECT_EQ(Get<QGroupBox>(QStringLiteral("fbOptions"))->isVisible(), tab == 0);
        EXPECT_EQ(Check("chFileName")->isVisible(), tab == 1);
        EXPECT_EQ(Tabs()->Tab(), tab);
    };
    expectShown(0);
    QTabBar* bar = Tabs()->Bar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    expectShown(1);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
    expectShown(0);
    Tabs()->SetTab(1);
    Tabs()->SetTab(1);
    expectShown(1);
}

TEST_F(Window, LayoutAtFifteenTwipsPerPixel)
{
    fwMain& w = Open();
    ASSERT_DOUBLE_EQ(w.TwipsPerPixelX(), 15);
    ASSERT_EQ(w.width() * 15, 9000);
    EXPECT_EQ(Start()->geometry(), QRect(526, 2, 72, 24)); // 7890, 30, 1080 x 360 twips
    EXPECT_EQ(Tabs()->geometry(), QRect(2, 8, 596, 185));  // 30, 120, 8940 x 2775 twips
    const QRect label = Get<QLabel>(QStringLiteral("tlSource0"))->geometry();
    EXPECT_EQ(label.x(), 10); // 150 twips
    EXPECT_EQ(label.width(), 82);
    EXPECT_EQ(label.y(), Tabs()->TabHeight() + 12);
    const QRect field = Field("ucSource0")->geometry();
    EXPECT_EQ(field.x(), 92); // 1380 twips
    EXPECT_EQ(field.y(), label.y() - 2);
    EXPECT_EQ(label.height(), field.height());
    // The rows' fields are given 7395 twips; a path field then trims one pixel off
    // whatever width it is given.
    EXPECT_EQ(Delimiter(0)->width(), 493);
    EXPECT_GE(field.width(), 492);
    EXPECT_LE(field.width(), 493);
    EXPECT_EQ(Get<QGroupBox>(QStringLiteral("fbTarget"))->size(), QSize(140, 60));

    // The path fields fix their own height; everything else of both tabs is alike.
    const auto expectTabsAlike = [this]
    {
        for (const char* name : TabControls)
        {
            const QRect split =
                Get<QWidget>(QStringLiteral("%1%2").arg(QLatin1String(name)).arg(0))->geometry();
            const QRect join =
                Get<QWidget>(QStringLiteral("%1%2").arg(QLatin1String(name)).arg(1))->geometry();
            EXPECT_EQ(split.topLeft(), join.topLeft()) << name;
            if (QByteArray(name).startsWith("uc"))
            {
                // Given the same width, trimmed by a pixel once laid out while shown.
                EXPECT_LE(std::abs(split.width() - join.width()), 1) << name;
                continue;
            }
            EXPECT_EQ(split.size(), join.size()) << name;
        }
    };
    expectTabsAlike();
    w.resize(800, 300);
    QCoreApplication::processEvents();
    EXPECT_EQ(Delimiter(0)->width(), 693);
    EXPECT_GE(Field("ucSource0")->width(), 692);
    EXPECT_EQ(Start()->x(), 800 - 74);
    expectTabsAlike();
    Tabs()->SetTab(1);
    w.resize(700, 260);
    QCoreApplication::processEvents();
    expectTabsAlike();

    // The progress bar lies over panel "Info", 3 px below the status bar's top.
    auto* status = Get<StatusBar>(QStringLiteral("pbStatus"));
    const QRect info = status->PanelRect(QStringLiteral("Info"));
    EXPECT_EQ(status->geometry().bottom(), w.height() - 1);
    EXPECT_EQ(Bar()->geometry(), QRect(info.left() + 2, w.height() - status->height() + 3,
                                       info.width() - 2, status->height() - 5));
    EXPECT_EQ(status->height(), Field("ucSource0")->height());

    // The window cannot become so small that a computed size turns negative.
    w.resize(50, 50);
    QCoreApplication::processEvents();
    EXPECT_GE(Field("ucSource0")->width(), 2 * 140);
    EXPECT_GE(Bar()->y(), 0);
}

TEST_F(Window, RowsFollowTheSourceFieldsHeightAlsoWhenItIsFirstShownLater)
{
    WriteSettings("[fwMain]\nssMain=1\n");
    Open();
    for (int tab : {0, 1, 0})
    {
        Tabs()->SetTab(tab);
        QCoreApplication::processEvents();
        const int rowHeight = Field("ucSource0")->height();
        const QRect source = Get<QLabel>(QStringLiteral("tlSource%1").arg(tab))->geometry();
        const QRect target = Get<QLabel>(QStringLiteral("tlTarget%1").arg(tab))->geometry();
        const QRect delimiter = Get<QLabel>(QStringLiteral("tlDelimiter%1").arg(tab))->geometry();
        EXPECT_EQ(source.height(), rowHeight) << tab;
        EXPECT_EQ(target.top(), source.top() + rowHeight + 6) << tab;
        EXPECT_EQ(delimiter.top(), target.top() + rowHeight + 6) << tab;
        EXPECT_EQ(Delimiter(tab)->height(), rowHeight) << tab;
    }
}

// A control's rectangle in the window's coordinates.
QRect InWindow(const QWidget* control)
{
    return QRect(control->mapTo(control->window(), QPoint(0, 0)), control->size());
}

QString WithoutAccessKey(QString caption)
{
    return caption.remove(QRegularExpression(QStringLiteral("&(?!&)")));
}

// The application font for one test, the tests' own given back afterwards.
class FontForTest
{
public:
    explicit FontForTest(const QFont& font) : saved_(QApplication::font())
    {
        QApplication::setFont(font);
    }
    ~FontForTest() { QApplication::setFont(saved_); }
    FontForTest(const FontForTest&) = delete;
    FontForTest& operator=(const FontForTest&) = delete;

private:
    QFont saved_;
};

// Every desktop font from 8 to 20 points (and two other families at a few sizes): every
// caption fits its control by its font's metrics, every control lies inside its container
// and the window, nothing overlaps, and the window lies on the screen. Run at screen scales
// 1.5 and 2 too (tests/app/CMakeLists.txt), on a screen large enough for the window.
TEST_F(Window, EveryCaptionFitsAndEveryControlIsInsideAtEveryFontSize)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    if (screen.width() < 1800 || screen.height() < 1000)
        GTEST_SKIP() << "a screen of " << screen.width() << "x" << screen.height()
                     << " is too small for a 20-point window; Window.FontsAndScales* run this "
                        "test on a larger one";
    std::vector<QFont> fonts;
    for (int points = 8; points <= 20; ++points)
    {
        QFont font = QApplication::font();
        font.setPointSize(points);
        fonts.push_back(font);
    }
    // Other families at a few sizes; a monospaced font at 20 points needs all of a 1920-pixel
    // screen (scale 2), which leaves no room for the frame's side borders.
    for (int points : {8, 14, 20})
        fonts.emplace_back(QStringLiteral("DejaVu Serif"), points);
    for (int points : {8, 14, 18})
        fonts.emplace_back(QStringLiteral("DejaVu Sans Mono"), points);

    for (const QFont& font : fonts)
    {
        const FontForTest given(font);
        SCOPED_TRACE(font.family().toStdString() + " " + std::to_string(font.pointSize()) + " pt");
        // No position remembered from the window before: each one opens centred.
        std::filesystem::remove(temp / "kestrin.dat");
        fwMain& w = Open();
        ASSERT_EQ(w.font().pointSize(), font.pointSize()) << "the desktop font is not used";
        const QRect client = w.rect();
        // The client area, where every control is: the frame's side borders are not known
        // before the window is shown (two pixels each on the offscreen platform).
        EXPECT_TRUE(screen.contains(w.geometry()))
            << w.geometry() << " is not within the screen " << screen;

        const QStyle* style = w.style();
        const auto fits = [&](const QWidget* control, int textWidth, int textHeight)
        {
            const QString name = control->objectName();
            EXPECT_LE(textWidth, control->width()) << name.toStdString() << " cuts its caption";
            EXPECT_LE(textHeight, control->height()) << name.toStdString() << " is too low";
        };
        const auto inside = [](const QWidget* control, const QRect& container, const char* of)
        {
            EXPECT_TRUE(container.contains(InWindow(control)))
                << control->objectName().toStdString() << " " << InWindow(control)
                << " is not inside " << of << " " << container;
        };
        auto* status = Get<StatusBar>(QStringLiteral("pbStatus"));
        const QRect tabs = InWindow(Tabs());
        inside(Tabs(), client, "the window");
        inside(Start(), client, "the window");
        inside(status, client, "the window");
        EXPECT_LE(tabs.bottom(), InWindow(status).top()) << "the status bar covers the tabs";
        // The page below the tab strip, and the strip's tabs clear of Start.
        const QRect page = tabs.adjusted(0, Tabs()->TabHeight(), 0, 0);
        auto* bar = Tabs()->Bar();
        for (int i = 0; i < bar->count(); ++i)
        {
            const QRect tab = bar->tabRect(i).translated(InWindow(bar).topLeft());
            EXPECT_TRUE(InWindow(bar).contains(tab)) << "tab " << i << " is cut";
            EXPECT_FALSE(tab.intersects(InWindow(Start()))) << "tab " << i << " lies under Start";
            EXPECT_LE(bar->fontMetrics().horizontalAdvance(WithoutAccessKey(bar->tabText(i))),
                      tab.width());
        }
        const QFontMetrics bold(Start()->font());
        fits(Start(),
             bold.horizontalAdvance(WithoutAccessKey(Start()->text())) +
                 2 * style->pixelMetric(QStyle::PM_ButtonMargin),
             bold.height());

        const int indicator = style->pixelMetric(QStyle::PM_IndicatorWidth) +
                              style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
        const QFontMetrics metrics(w.font());
        for (int tab : {0, 1})
        {
            Tabs()->SetTab(tab);
            QCoreApplication::processEvents();
            const QWidget* above = nullptr;
            for (const char* row : {"Source", "Target", "Delimiter"})
            {
                auto* label =
                    Get<QLabel>(QStringLiteral("tl%1%2").arg(QLatin1String(row)).arg(tab));
                const QWidget* field = Get<QWidget>(
                    QStringLiteral("%1%2%3")
                        .arg(QLatin1String(row[0] == 'D' ? "tb" : "uc"), QLatin1String(row))
                        .arg(tab));
                fits(label, metrics.horizontalAdvance(WithoutAccessKey(label->text())),
                     metrics.height());
                inside(label, page, "the tab page");
                inside(field, page, "the tab page");
                EXPECT_LE(InWindow(label).right(), InWindow(field).left())
                    << label->objectName().toStdString() << " runs into its field";
                if (above)
                {
                    EXPECT_GE(InWindow(field).top(), InWindow(above).bottom())
                        << field->objectName().toStdString() << " overlaps the row above";
                }
                above = field;
            }
            std::vector<std::pair<const QGroupBox*, std::vector<const QAbstractButton*>>> frames;
            if (tab == 0)
            {
                frames.push_back(
                    {Get<QGroupBox>(QStringLiteral("fbTarget")), {Naming(0), Naming(1)}});
                frames.push_back({Get<QGroupBox>(QStringLiteral("fbOptions")),
                                  {Check("chSilent"), Check("chFileList")}});
                EXPECT_LT(InWindow(frames[0].first).right(), InWindow(frames[1].first).left())
                    << "the frames overlap";
            }
            else
            {
                const QCheckBox* fileName = Check("chFileName");
                fits(fileName,
                     indicator + metrics.horizontalAdvance(WithoutAccessKey(fileName->text())),
                     metrics.height());
                inside(fileName, page, "the tab page");
                EXPECT_GE(InWindow(fileName).top(), InWindow(above).bottom());
            }
            for (const auto& [frame, options] : frames)
            {
                inside(frame, page, "the tab page");
                EXPECT_GE(InWindow(frame).top(), InWindow(above).bottom())
                    << frame->objectName().toStdString() << " overlaps the delimiter row";
                QStyleOptionGroupBox box;
                box.initFrom(frame);
                box.text = frame->title();
                box.subControls = QStyle::SC_GroupBoxLabel;
                const QRect title = style->subControlRect(QStyle::CC_GroupBox, &box,
                                                          QStyle::SC_GroupBoxLabel, frame);
                // The spaces around the title are a margin, not ink.
                EXPECT_LE(metrics.horizontalAdvance(WithoutAccessKey(frame->title()).trimmed()),
                          title.width());
                EXPECT_TRUE(frame->rect().contains(title))
                    << frame->objectName().toStdString() << " cuts its title " << title;
                for (const QAbstractButton* option : options)
                {
                    fits(option,
                         indicator + metrics.horizontalAdvance(WithoutAccessKey(option->text())),
                         metrics.height());
                    inside(option, InWindow(frame), "its frame");
                    // The caption, centred in its row, stays below the frame's title.
                    const int textTop = option->y() + (option->height() - metrics.height()) / 2;
                    EXPECT_GE(textTop, title.bottom())
                        << option->objectName().toStdString() << " runs into the frame's title";
                }
            }
        }
        for (const char* key : {"Total", "Info", "Time"})
            inside(status->findChild<QLabel*>(QString::fromLatin1(key)), client, "the window");
        Close();
    }
}

TEST_F(Window, AMaximisedWindowKeepsItsControlsWhereTheyAre)
{
    fwMain& w = Open();
    const QPoint loaded = CentredFrame(w);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.pos() == loaded; }, 2000)) << w.pos();
    const QRect field = Field("ucSource0")->geometry();
    const QRect tabs = Tabs()->geometry();
    w.showMaximized();
    QCoreApplication::processEvents();
    if (!(w.windowState() & Qt::WindowMaximized) || w.width() == 600)
        GTEST_SKIP() << "the platform does not maximise windows";
    EXPECT_EQ(Field("ucSource0")->geometry(), field);
    EXPECT_EQ(Tabs()->geometry(), tabs);
    // Closed while maximised: the position of loading is stored.
    Close();
    Open();
    EXPECT_EQ(window->pos(), loaded);
}

TEST_F(Window, ALongRunStaysResponsiveAndRepaintsTheBarOnlyWhenItsValueChanges)
{
    // Long enough for many ticks of the timer below; Wine creates files about a hundred
    // times slower than Linux.
#ifdef _WIN32
    constexpr int count = 2000;
#else
    constexpr int count = 20000;
#endif
    std::string text;
    for (int i = 0; i < count; ++i)
        text += (i ? "#" : "") + std::to_string(i);
    const std::string source = temp.Write("in/big.txt", text);
    std::filesystem::create_directory(temp / "out");
    WriteSettings(SplitSettings(source, "#", temp / "out/"));
    fwMain& w = Open();
    ASSERT_EQ(Panel("Total"), QString::number(count));

    int valueAtResize = -1;
    int resizePaints = 0;
    int clicksDuringRun = 0;
    QTimer ticker;
    ticker.setInterval(50);
    QObject::connect(&ticker, &QTimer::timeout,
                     [&]
                     {
                         if (!w.RunInProgress())
                             return;
                         if (valueAtResize < 0)
                         {
                             valueAtResize = Bar()->value();
                             const int paints = Bar()->PaintCount();
                             w.resize(700, 300);
                             QCoreApplication::processEvents();
                             resizePaints = Bar()->PaintCount() - paints;
                         }
                         else if (clicksDuringRun == 0)
                         {
                             ++clicksDuringRun;
                             Start()->click(); // ignored while the run goes on
                         }
                     });
    ticker.start();
    QSignalSpy values(Bar(), &QProgressBar::valueChanged);
    const int paintsBefore = Bar()->PaintCount();
    Start()->click();
    ticker.stop();

    ASSERT_GE(valueAtResize, 0) << "no event was processed during the run";
    EXPECT_LT(valueAtResize, 100);
    EXPECT_EQ(Tabs()->width(), 700 - 4); // the resize was laid out during the run
    EXPECT_EQ(clicksDuringRun, 1);
    EXPECT_LE(Bar()->PaintCount() - paintsBefore - resizePaints, 101);
    int last = 0;
    for (const auto& v : values)
    {
        EXPECT_GT(v[0].toInt(), last) << "the bar went back: a second run started";
        last = v[0].toInt();
    }
    EXPECT_EQ(last, 100);
    EXPECT_EQ(Panel("Info"), QStringLiteral("Done."));
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(temp / "out"))
        ++files;
    EXPECT_EQ(files, static_cast<std::size_t>(count));
    EXPECT_EQ(ReadBytes(temp / ("out/big_" + std::to_string(count) + ".txt")),
              std::to_string(count - 1));
}

TEST_F(Window, ClosingDuringARunStopsItAfterAWholeFragmentAndSavesTheSettings)
{
    constexpr int count = 20000;
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += (i > 1 ? "#" : "") + std::to_string(i);
    const std::string source = temp.Write("in/big.txt", text);
    std::filesystem::create_directory(temp / "out");
    WriteSettings(SplitSettings(source, "#", temp / "out/"));
    fwMain& w = Open();
    ASSERT_EQ(Panel("Total"), QStringLiteral("20000"));

    QTimer closer;
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout,
                     [&]
                     {
                         if (w.RunInProgress() && Bar()->value() >= 2)
                             w.close();
                     });
    closer.start();
    Start()->click();
    closer.stop();

    EXPECT_FALSE(w.isVisible());
    EXPECT_NE(Panel("Info"), QStringLiteral("Done."));
    std::vector<int> numbers;
    for (const auto& entry : std::filesystem::directory_iterator(temp / "out"))
    {
        const auto name = entry.path().filename().string(); // big_00001.txt
        const int number = std::stoi(name.substr(4, 5));
        numbers.push_back(number);
        EXPECT_EQ(ReadBytes(entry.path().string()), std::to_string(number)) << name;
    }
    std::sort(numbers.begin(), numbers.end());
    ASSERT_FALSE(numbers.empty());
    EXPECT_LT(numbers.size(), static_cast<std::size_t>(count)) << "the run went on after closing";
    EXPECT_EQ(numbers.back(), static_cast<int>(numbers.size())) << "fragments written in order";
    EXPECT_NE(Settings().find("chSilent=0"), std::string::npos) << "settings saved at close";
}

TEST_F(Window, AnErrorDuringARunIsReportedOnceAndTheWindowStaysOpen)
{
    const std::string source = temp.Write("in/s.txt", "a#b#c");
    std::filesystem::create_directory(temp / "out");
    WriteSettings(SplitSettings(source, "#", temp / "out/"));
    fwMain& w = Open();
    ASSERT_TRUE(Start()->isEnabled());
    // The target folder is replaced by a file: nothing can be written under it.
    std::filesystem::remove(temp / "out");
    temp.Write("out", "in the way");
    Start()->click();

    EXPECT_EQ(MessageBox::ShownCount(), 1);
    EXPECT_EQ(MessageBox::LastStyle(), MessageBox::OkExclamation);
    EXPECT_TRUE(MessageBox::LastText().contains(QString::fromStdString(temp / "out")))
        << MessageBox::LastText().toStdString();
    EXPECT_NE(Panel("Info"), QStringLiteral("Done."));
    EXPECT_FALSE(Bar()->isVisible());
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(ReadBytes(temp / "out"), "in the way");
}

TEST_F(Window, ASourceTruncatedByAnotherProgramIsReportedNotWritten)
{
    // Large enough to be mapped; where the first fragment reaches past the cut, the run
    // reads pages that are gone.
    struct Case
    {
        const char* What;
        std::size_t FirstFragment;
        std::size_t CutTo;
    } cases[] = {
        {"cut inside the first fragment", 4u << 20, 1u << 20},
        {"cut in a later fragment", 4096, 3u << 20},
        {"cut to nothing", 4u << 20, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.What);
        MessageBox::ResetRecord();
        std::string text(c.FirstFragment, 'a');
        text += "#";
        text += std::string((5u << 20) - text.size(), 'b');
        text += "#end";
        const std::string source = temp.Write("in/big.txt", text);
        std::filesystem::remove_all(temp / "out");
        std::filesystem::create_directory(temp / "out");
        WriteSettings(SplitSettings(source, "#", temp / "out/", "chSilent=1\n"));
        fwMain& w = Open();
        ASSERT_EQ(Panel("Total"), QStringLiteral("3"));
        ASSERT_TRUE(Start()->isEnabled());
        // A first run maps the file; the next one walks the mapping again.
        Start()->click();
        ASSERT_EQ(Panel("Info"), QStringLiteral("Done."));
        ASSERT_EQ(ReadBytes(temp / "out/big_3.txt"), "end");
        std::filesystem::remove_all(temp / "out");
        std::filesystem::create_directory(temp / "out");
        std::error_code cut;
        std::filesystem::resize_file(source, c.CutTo, cut);
#ifdef _WIN32
        // Windows refuses to shorten a file while a program has it mapped (the window
        // maps its source): what this case guards against cannot happen there.
        if (cut)
            GTEST_SKIP() << "Windows does not shorten a mapped file: " << cut.message();
#endif
        ASSERT_FALSE(cut) << cut.message();

        Start()->click();
        EXPECT_TRUE(w.isVisible());
        EXPECT_EQ(MessageBox::ShownCount(), 1);
        EXPECT_EQ(MessageBox::LastText().toStdString(),
                  source + "\nthe file changed while it was read");

        // Nothing read from the lost pages (zeros) reached a fragment.
        for (const auto& [name, bytes] : FileTexts(temp / "out"))
            EXPECT_EQ(bytes.find('\0'), std::string::npos) << name;
        EXPECT_FALSE(std::filesystem::exists(temp / "out/big_3.txt"));

        // The next update reads the file as it is now.
        MessageBox::ResetRecord();
        Delimiter(0)->setText(QStringLiteral("a"));
        EXPECT_EQ(MessageBox::ShownCount(), 0);
        EXPECT_EQ(Panel("Total"), c.CutTo == 0
                                      ? QStringLiteral("0")
                                      : QString::number(std::min(c.CutTo, c.FirstFragment) + 1));
        Close();
    }
}

TEST_F(Window, AnUnreadableSourceDuringAnUpdateIsReportedAndLeavesStartDisabled)
{
    const std::string source = temp.Write("in/s.txt", "a#b#c");
    WriteSettings(SplitSettings(source, "#", ""));
    fwMain& w = Open();
    ASSERT_TRUE(Start()->isEnabled());
    {
        KestrinTest::UnreadableFile unreadable(source);
        {
            KestrinTest::OrdinaryUser ordinary;
            Delimiter(0)->setText(QStringLiteral("b"));
        }
        EXPECT_EQ(MessageBox::ShownCount(), 1);
        EXPECT_EQ(MessageBox::LastStyle(), MessageBox::OkExclamation);
        EXPECT_TRUE(MessageBox::LastText().startsWith(QString::fromStdString(source) + u'\n'))
            << MessageBox::LastText().toStdString();
        EXPECT_GT(MessageBox::LastText().size(),
                  static_cast<int>(source.size()) + 1); // the reason
        EXPECT_FALSE(Start()->isEnabled());
        EXPECT_EQ(Panel("Total"), QString());
        EXPECT_TRUE(w.isVisible());
    }

    // Readable again: the next change brings Start back.
    Delimiter(0)->setText(QStringLiteral("#"));
    EXPECT_TRUE(Start()->isEnabled());
    EXPECT_EQ(Panel("Total"), QStringLiteral("3"));
    EXPECT_EQ(MessageBox::ShownCount(), 1);
}

TEST_F(Window, TypingADelimiterDoesNotReadAnUnchangedSourceAgain)
{
    // 16 MiB of short lines: a large source is counted from the file, in pieces, once for
    // each delimiter; going back to a delimiter counted before must not read it again.
    std::string text;
    while (text.size() < (16u << 20))
        text += "line of text\n";
    const std::string source = temp.Write("in/big.txt", text);
    const auto written = std::chrono::system_clock::now();
    WriteSettings(SplitSettings(source, "", ""));
    Open();
    if (BytesReadSoFar() < 0)
        GTEST_SKIP() << "no read accounting here";
    // A file changed within the last second is read once more before its bytes are trusted:
    // the keystrokes wait for what is left of that second after the window opened. (Setting
    // the file's time back would not do: its change time counts too, and only the system
    // sets that.)
    std::this_thread::sleep_until(written + std::chrono::milliseconds(1100));
    Delimiter(0)->setFocus();
    QTest::keyClicks(Delimiter(0), QStringLiteral("li"));
    ASSERT_EQ(Panel("Total"), QString::number(text.size() / 13 + 1));

    const long long before = BytesReadSoFar();
    QTest::keyClick(Delimiter(0), Qt::Key_Backspace);    // "l"
    QTest::keyClicks(Delimiter(0), QStringLiteral("i")); // "li"
    QTest::keyClick(Delimiter(0), Qt::Key_Backspace);
    const long long read = BytesReadSoFar() - before;
    EXPECT_EQ(Panel("Total"), QString::number(text.size() / 13 + 1));
    EXPECT_LT(read, static_cast<long long>(text.size() / 4)) << "three keystrokes read " << read;
}

TEST_F(Window, AccessKeysReachTheShownTabsFieldsAndSwitchTabs)
{
    WriteSettings(SplitSettings(temp.Write("in/s.txt", "a#b"), "#", ""));
    fwMain& w = Open();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    const auto press = [&w](Qt::Key key)
    {
        QTest::keyClick(w.windowHandle(), key, Qt::AltModifier);
        QCoreApplication::processEvents();
    };
    press(Qt::Key_D);
    EXPECT_EQ(QApplication::focusWidget(), Delimiter(0));
    press(Qt::Key_J);
    EXPECT_EQ(Tabs()->Tab(), 1);
    press(Qt::Key_D);
    EXPECT_EQ(QApplication::focusWidget(), Delimiter(1));
    press(Qt::Key_E); // "File name as first lin&e of a fragment"
    // A button's access key clicks it after a short animation.
    EXPECT_TRUE(QTest::qWaitFor([this] { return Check("chFileName")->isChecked(); }));
    EXPECT_FALSE(Naming(1)->isChecked()); // the hidden tab's "First lin&e" is not reached
    press(Qt::Key_S);
    EXPECT_EQ(Tabs()->Tab(), 0);
    press(Qt::Key_E);
    EXPECT_TRUE(QTest::qWaitFor([this] { return Naming(1)->isChecked(); }));

    // Keyboard order on the split tab: the fields in table order, then Start.
    QWidget* const order[] = {Delimiter(0), Naming(1), Check("chSilent"), Check("chFileList"),
                              Start()};
    Delimiter(0)->setFocus();
    for (std::size_t i = 1; i < std::size(order); ++i)
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), order[i])
            << "after " << order[i - 1]->objectName().toStdString() << " came "
            << (QApplication::focusWidget()
                    ? QApplication::focusWidget()->objectName().toStdString()
                    : std::string("nothing"));
    }

    // An access key that no control takes (Start's while it is disabled, a letter no
    // caption has) types nothing into the field that has the focus.
    Field("ucSource0")->setText(QString());
    w.ReadinessUpdate();
    ASSERT_FALSE(Start()->isEnabled());
    for (QLineEdit* field : {Field("ucTarget0")->TextField(0), Delimiter(0)})
    {
        field->setFocus();
        const QString before = field->text();
        for (const Qt::Key key : {Qt::Key_R, Qt::Key_Q})
            press(key);
        EXPECT_EQ(field->text().toStdString(), before.toStdString())
            << field->objectName().toStdString();
    }
}

TEST_F(Window, StartAccessKeyRunsTheSplit)
{
    const std::string source = temp.Write("in/s.txt", "x#y");
    WriteSettings(SplitSettings(source, "#", ""));
    fwMain& w = Open();
    ASSERT_TRUE(Start()->isEnabled());
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));

    // Through the window system, as a real key press comes, so the shortcut map sees it.
    QTest::keyClick(w.windowHandle(), Qt::Key_R, Qt::AltModifier);
    // A button's access key clicks it after a short animation.
    EXPECT_TRUE(QTest::qWaitFor([this] { return Panel("Info") == QStringLiteral("Done."); }));
    EXPECT_EQ(ReadBytes(temp / "in/s_1.txt"), "x");
    EXPECT_EQ(ReadBytes(temp / "in/s_2.txt"), "y");
    EXPECT_EQ(Panel("Info"), QStringLiteral("Done."));
}
