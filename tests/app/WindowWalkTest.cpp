// SPDX-License-Identifier: MIT
// A seeded random walk through what a user does with the real window: typing, erasing and
// pasting delimiters, typing and pasting paths, switching tabs, options, Start with random
// answers to its questions, closing and opening the window again; and, between the steps,
// another program changing the sources, also across the size from which they are mapped.
// After every step the window is compared with a model written from the rules, not from
// the code: the field texts and messages, "Total" and "Info", whether Start is enabled, and
// every file in the walk's folder. A failure (a crash too) prints the seed and the steps.
//
//   KESTRIN_WALK_SEED=n    replays the walk of seed n alone
//   KESTRIN_WALK_SEEDS=n   also walks n fresh seeds after the fixed ones
//   KESTRIN_WALK_STEPS=n   steps per walk
#include "app/LocalText.h"
#include "app/MessageBox.h"
#include "app/ProgressBar.h"
#include "app/StatusBar.h"
#include "app/TabControl.h"
#include "app/fwMain.h"
#include "common/Version.h"
#include "engine/SourceBytes.h"
#include "tests/support/TempFolder.h"

#include <Ostrel/BrowseBox.h>
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <thread>
#include <utility>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif

using namespace Kestrin;
using Ostrel::BrowseBox;
namespace fs = std::filesystem;

namespace
{
using Bytes = std::string;

const Bytes Required = "<Required.>";
const Bytes SameAsSource = "<Same as Source.>";
const Bytes OverwriteTail = "\r\nA file with this name already exists. Overwrite?";
const Bytes RepeatedTail =
    "\r\nAn earlier fragment of this run was written to this file. Overwrite it?";

// What the fixed walks run, and how long each is. Seed 23 splits a mapped source and then
// types into the delimiter within its first two steps.
const std::uint64_t FixedSeeds[] = {1, 2, 3, 23};
constexpr int DefaultSteps = 150;

// ---------------------------------------------------------------------------------------
// The rules, written out plainly.

// The text cut at every occurrence, scanning on behind each; an empty text has no parts.
std::vector<Bytes> Cut(const Bytes& text, const Bytes& delimiter)
{
    std::vector<Bytes> parts;
    if (text.empty())
        return parts;
    for (std::size_t start = 0;;)
    {
        const auto at = text.find(delimiter, start);
        parts.push_back(text.substr(start, at == Bytes::npos ? Bytes::npos : at - start));
        if (at == Bytes::npos)
            return parts;
        start = at + delimiter.size();
    }
}

// A list file's lines: here a line ends in LF, and a CR before that LF is not part of it.
std::vector<Bytes> Lines(const Bytes& text)
{
    std::vector<Bytes> lines = Cut(text, "\n");
    for (std::size_t i = 0; i + 1 < lines.size(); ++i)
        if (!lines[i].empty() && lines[i].back() == '\r')
            lines[i].pop_back();
    return lines;
}

// A file is written without one final line break: CR LF, then a bare LF.
Bytes WithoutFinalBreak(Bytes text)
{
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0)
        text.resize(text.size() - 2);
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

Bytes Trimmed(const Bytes& text, const char* what)
{
    const auto first = text.find_first_not_of(what);
    if (first == Bytes::npos)
        return {};
    return text.substr(first, text.find_last_not_of(what) - first + 1);
}

// A text value as the settings file gives it back.
Bytes AsStored(const Bytes& value)
{
    Bytes text = Trimmed(value, " \t");
    if (text.size() >= 2 && text.front() == text.back() &&
        (text.front() == '"' || text.front() == '\''))
        text = text.substr(1, text.size() - 2);
    return text;
}

// First-line naming: leading line breaks go, the first line names the fragment (NULs off
// its end, blanks off both ends, characters no name may hold become "_", CRs go), and the
// stored fragment keeps what follows that line. An empty name skips the fragment.
Bytes FirstLineName(Bytes& fragment)
{
    fragment.erase(0, std::min(fragment.find_first_not_of("\r\n"), fragment.size()));
    const auto lineFeed = fragment.find('\n');
    Bytes line = fragment.substr(0, lineFeed);
    while (!line.empty() && line.back() == '\0')
        line.pop_back();
    line = Trimmed(line, " ");
    Bytes name;
    for (const char c : line)
        if (c != '\r')
            name += Bytes("\"<>/:\\|*?").find(c) == Bytes::npos ? c : '_';
    if (!name.empty() && lineFeed != Bytes::npos)
        fragment.erase(0, lineFeed + 1);
    return name;
}

Bytes FolderOf(const Bytes& path)
{
    return path.substr(0, path.rfind('/') + 1);
}

Bytes TotalText(std::size_t parts)
{
    return parts >= 2 ? std::to_string(parts) : "0";
}

// ---------------------------------------------------------------------------------------
// The model: what the window and the walk's folder hold.

struct Prepared
{
    std::vector<Bytes> Parts;
    Bytes Path;           // the file they came from
    bool Large = false;   // mapped rather than copied
    bool Changed = false; // that file was written since
};

struct Model
{
    int Tab = 0;
    Bytes Source[2], Target[2], Delimiter[2];
    Bytes SourceMessage[2], TargetMessage[2];
    int Naming = 0;
    bool Silent = false, List = false, FileName = false;
    std::optional<Prepared> Fragments, FileList;
    bool Start = false;
    Bytes Total, Info;
    bool Bar = false;
    int Boxes = 0; // message boxes the step shows
    std::map<Bytes, Bytes> Files;
    std::set<Bytes> Folders;

    bool FileExists(const Bytes& path) const { return Files.count(path) != 0; }
    bool FolderExists(const Bytes& path) const
    {
        return Folders.count(!path.empty() && path.back() == '/' ? path.substr(0, path.size() - 1)
                                                                 : path) != 0;
    }
    void MakeFolders(const Bytes& folder)
    {
        for (auto at = folder.find('/', 1); at != Bytes::npos; at = folder.find('/', at + 1))
            Folders.insert(folder.substr(0, at));
        if (!folder.empty() && folder.back() != '/')
            Folders.insert(folder);
    }
    // Another writer (the walk or the window) changed the file a prepared list came from.
    void Touched(const Bytes& path)
    {
        for (auto* prepared : {&Fragments, &FileList})
            if (*prepared && (*prepared)->Path == path)
                (*prepared)->Changed = true;
    }
    void Write(const Bytes& path, const Bytes& bytes)
    {
        MakeFolders(FolderOf(path));
        Files[path] = bytes;
        Touched(path);
    }
    void Remove(const Bytes& path)
    {
        Files.erase(path);
        Touched(path);
    }

    Prepared Prepare(const Bytes& path, const std::function<std::vector<Bytes>(const Bytes&)>& cut)
    {
        Prepared prepared;
        const Bytes text = FileExists(path) ? Files.at(path) : Bytes();
        prepared.Parts = cut(text);
        prepared.Path = path;
        prepared.Large = text.size() >= SourceBytes::LargeFrom;
        return prepared;
    }

    // The readiness update, for the tab shown.
    void Update()
    {
        Start = false;
        if (Tab == 0)
        {
            if (!Delimiter[0].empty())
                Fragments = Prepare(Source[0],
                                    [this](const Bytes& text) { return Cut(text, Delimiter[0]); });
            Total = Fragments ? TotalText(Fragments->Parts.size()) : "";
            Start = Fragments && Fragments->Parts.size() >= 2;
        }
        else
        {
            FileList = Prepare(Source[1], Lines);
            Total = TotalText(FileList->Parts.size());
            Start = FileList->Parts.size() >= 2 && !Target[1].empty();
        }
        Info.clear();
    }
};

// ---------------------------------------------------------------------------------------
// The walk's folder and the other program.

// Text of the sources: the delimiters' characters, letters no delimiter holds, line breaks.
Bytes RandomText(std::mt19937_64& random, std::size_t most)
{
    static const char* const pieces[] = {"#", "=", "a", " ", "\"", "x", "y", "xy", "\r\n", "\n"};
    std::uniform_int_distribution<std::size_t> length(0, most);
    std::uniform_int_distribution<std::size_t> piece(0, std::size(pieces) - 1);
    Bytes text;
    for (std::size_t n = length(random); text.size() < n;)
        text += pieces[piece(random)];
    return text;
}

// Lines that hold no delimiter character, to take a file past the size from which it is
// mapped without making thousands of fragments.
Bytes Filler(std::size_t size)
{
    Bytes line(60, 'x');
    line += "\r\n";
    Bytes text;
    while (text.size() < size)
        text += line;
    text.resize(size);
    return text;
}

Bytes ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const Bytes& path, const Bytes& bytes, std::ios::openmode mode = std::ios::trunc)
{
    std::ofstream out(path, std::ios::binary | mode);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Keys through the window system, to whatever has the focus, as a keyboard sends them.
void Press(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(window->windowHandle(), key, modifiers);
}

void TypeText(QWidget* window, const Bytes& text)
{
    for (const char c : text)
        QTest::keyClick(window->windowHandle(), c);
}

// What a crash leaves to say: the seed, the steps so far and the one under way.
const std::string* CrashReport = nullptr;
const std::string* CrashStep = nullptr;
void PrintCrashReport()
{
    if (CrashReport && CrashStep)
        std::fprintf(stderr, "%s  -> %s: the program ended here\n", CrashReport->c_str(),
                     CrashStep->c_str());
}
#if !defined(__SANITIZE_ADDRESS__)
extern "C" void OnCrash(int signal)
{
    PrintCrashReport();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}
#endif

class Walk
{
public:
    Walk(std::uint64_t seed, int steps) : seed_(seed), steps_(steps), random_(seed)
    {
        root_ = temp_.Path() + "/walk";
        fs::create_directories(root_ + "/in");
        fs::create_directories(root_ + "/out");
        model_.Folders = {root_ + "/in", root_ + "/out"};
        WriteAll(root_ + "/" + BuildTreeMarker, "");
        for (const char* name : {"a.txt", "b.txt"})
            model_.Write(In(name), RandomText(random_, 200));
        if (Chance(50))
            model_.Write(In("a.txt"), Filler(SourceBytes::LargeFrom) + RandomText(random_, 200));
        model_.Write(In("list.txt"), ListText());
        for (const auto& [path, bytes] : model_.Files)
            WriteAll(path, bytes);
        report_ = "Walk of seed " + std::to_string(seed) + " in " + root_ + "\n";
        if (Chance(50))
        {
            // A window used before: a source, a target folder, a delimiter and options.
            Model& m = model_;
            m.Source[0] = In("a.txt");
            m.Target[0] = root_ + "/out/";
            m.Delimiter[0] = Bytes(1, PickOf({'#', '=', 'a'}));
            m.Naming = static_cast<int>(Pick(2));
            m.Silent = Chance(50);
            m.List = Chance(50);
            WriteAll(root_ + "/kestrin.dat",
                     "[&Split File]\nucSource=" + m.Source[0] + "\nucTarget=" + m.Target[0] +
                         "\ntbDelimiter=" + m.Delimiter[0] + "\nobFileName=" +
                         std::to_string(m.Naming) + "\nchSilent=" + (m.Silent ? "1" : "0") +
                         "\nchFileList=" + (m.List ? "1" : "0") + "\n");
            report_ += "  0. a window used before: " + Quoted(m.Delimiter[0]) + " in " +
                       Shown(m.Source[0]) + (m.Naming ? ", first-line names" : "") +
                       (m.Silent ? ", silent" : "") + (m.List ? ", file list" : "") + "\n";
        }
        Reopened();
        // Files older than a second: their bytes may be kept from one update to the next.
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    }

    // Returns the report of the first difference, or nothing.
    std::optional<std::string> Run()
    {
        CrashReport = &report_;
        CrashStep = &doing_;
        // Written relative to where the program runs, a file would land in the folder
        // above the walk's, where it is found.
        const fs::path before = fs::current_path();
        fs::current_path(temp_.Path());
        std::optional<std::string> failure = Open();
        if (!failure)
            failure = Compare();
        for (int step = 1; step <= steps_ && !failure; ++step)
        {
            MessageBox::ResetRecord();
            model_.Boxes = 0;
            const std::string what = Step();
            report_ += "  " + std::to_string(step) + ". " + what + "\n";
            failure = Compare();
        }
        if (window_)
            window_->close();
        window_.reset();
        fs::current_path(before);
        CrashReport = CrashStep = nullptr;
        if (qEnvironmentVariableIsSet("KESTRIN_WALK_SHOW"))
            std::fputs(report_.c_str(), stdout);
        if (failure)
            return report_ + "differs: " + *failure +
                   "\nReplay: KESTRIN_WALK_SEED=" + std::to_string(seed_) +
                   " KESTRIN_WALK_STEPS=" + std::to_string(steps_) +
                   " test_window --gtest_filter=WindowWalk.*\n";
        return std::nullopt;
    }

private:
    Bytes In(const char* name) const { return root_ + "/in/" + name; }
    bool Chance(std::size_t percent) { return Pick(100) < percent; }
    std::size_t Pick(std::size_t n)
    {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_);
    }
    template <class T, std::size_t N> const T& PickOf(const T (&items)[N])
    {
        return items[Pick(N)];
    }
    Bytes Shown(const Bytes& path) const
    {
        return path.compare(0, root_.size(), root_) == 0 ? "~" + path.substr(root_.size()) : path;
    }
    static Bytes Quoted(const Bytes& text)
    {
        Bytes out = "\"";
        for (const char c : text)
            out += c == '\r' ? Bytes("\\r") : c == '\n' ? Bytes("\\n") : Bytes(1, c);
        return out + "\"";
    }

    Bytes ListText()
    {
        const Bytes names[] = {"a.txt", "b.txt",    In("a.txt"),          "gone.txt",
                               "",      "list.txt", root_ + "/joined.txt"};
        const Bytes end = Chance(70) ? "\r\n" : "\n";
        Bytes text;
        for (std::size_t n = Pick(5); n > 0; --n)
            text += PickOf(names) + end;
        if (Chance(50))
            text += PickOf(names);
        return text;
    }

    template <class T> T* Get(const char* name) const
    {
        return window_->findChild<T*>(QString::fromLatin1(name));
    }
    BrowseBox* SourceField(int tab) const
    {
        return Get<BrowseBox>(tab ? "ucSource1" : "ucSource0");
    }
    BrowseBox* TargetField(int tab) const
    {
        return Get<BrowseBox>(tab ? "ucTarget1" : "ucTarget0");
    }
    QLineEdit* DelimiterField(int tab) const
    {
        return Get<QLineEdit>(tab ? "tbDelimiter1" : "tbDelimiter0");
    }
    QString Panel(const char* key) const
    {
        return Get<StatusBar>("pbStatus")->PanelText(QString::fromLatin1(key));
    }

    std::optional<std::string> Open()
    {
        fwMain::Startup startup;
        startup.ExecutablePath = root_ + "/kestrin";
        window_ = std::make_unique<fwMain>(startup);
        window_->show();
        window_->activateWindow();
        if (!QTest::qWaitForWindowActive(window_.get()))
            return std::string("the window did not become active");
        return std::nullopt;
    }

    // The part of a path field the keyboard reaches: its message while one is shown.
    void FocusField(BrowseBox* field)
    {
        field->TextField(field->ErrText().isEmpty() ? 0 : 1)->setFocus(Qt::MouseFocusReason);
    }

    // Says what the step is about to do, before it does it (a crash report names it).
    std::string& Doing(std::string what)
    {
        doing_ = std::move(what);
        return doing_;
    }

    // One step of a user or of the other program; returns what it did.
    std::string Step()
    {
        QWidget* w = window_.get();
        Model& m = model_;
        const int tab = m.Tab;
        // How often each kind of step comes.
        static const double weights[] = {16, 5, 3, 12, 6, 6, 2, 14, 3, 12};
        std::discrete_distribution<int> kind(std::begin(weights), std::end(weights));
        // A join that lists its own target doubles it: another program cuts what grew
        // large, so that no file outgrows a few mebibytes.
        for (const auto& [path, bytes] : m.Files)
            if (bytes.size() > (std::size_t(4) << 20))
            {
                Doing("another program cuts " + Shown(path) + " to nothing");
                written_ = true;
                fs::resize_file(path, 0);
                m.Write(path, "");
                return doing_;
            }
        int chosen = kind(random_);
        // A disabled Start is tried now and then; an enabled one is what walks on.
        while (chosen == 7 && !m.Start && Chance(75))
            chosen = kind(random_);
        switch (chosen)
        {
        case 0:
        {
            const char c = PickOf({'#', '=', 'a', ' ', '"'});
            Doing("type " + Quoted(Bytes(1, c)) + " into the delimiter");
            DelimiterField(tab)->setFocus(Qt::MouseFocusReason);
            Press(w, Qt::Key_End);
            QTest::keyClick(w->windowHandle(), c);
            m.Delimiter[tab] += c;
            m.Update();
            return doing_;
        }
        case 1:
        {
            Doing("erase the delimiter's last character");
            DelimiterField(tab)->setFocus(Qt::MouseFocusReason);
            Press(w, Qt::Key_End);
            Press(w, Qt::Key_Backspace);
            if (!m.Delimiter[tab].empty())
            {
                m.Delimiter[tab].pop_back();
                m.Update();
            }
            return doing_;
        }
        case 2:
        {
            const Bytes pasted = RandomText(random_, 8);
            Doing("paste " + Quoted(pasted) + " into the delimiter");
            QGuiApplication::clipboard()->setText(FromLocalBytes(pasted));
            DelimiterField(tab)->setFocus(Qt::MouseFocusReason);
            Press(w, Qt::Key_End);
            Press(w, Qt::Key_V, Qt::ControlModifier);
            // Up to the first line break, as in a single-line field.
            const Bytes kept = pasted.substr(0, pasted.find_first_of("\r\n"));
            if (!kept.empty())
            {
                m.Delimiter[tab] += kept;
                m.Update();
            }
            return doing_;
        }
        case 3:
            return TypeOrPastePath(tab, Chance(40));
        case 4:
        {
            const int to = 1 - tab;
            const bool key = Chance(50);
            Doing(Bytes(to ? "switch to the join tab" : "switch to the split tab") +
                  (key ? (to ? " (Alt+J)" : " (Alt+S)") : ""));
            if (key)
                Press(w, to ? Qt::Key_J : Qt::Key_S, Qt::AltModifier);
            else
            {
                QTabBar* bar = Get<TabControl>("ssMain")->Bar();
                QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(to).center());
            }
            m.Tab = to;
            m.Update();
            return doing_;
        }
        case 5:
        {
            const char* const names[] = {"obFileName0", "obFileName1", "chSilent", "chFileList",
                                         "chFileName"};
            const std::size_t which = tab ? 4 : Pick(4);
            Doing(std::string("click ") + names[which]);
            QTest::mouseClick(Get<QAbstractButton>(names[which]), Qt::LeftButton);
            if (which >= 2)
                (which == 2 ? m.Silent : which == 3 ? m.List : m.FileName) ^= true;
            else
            {
                m.Naming = static_cast<int>(which);
                m.Start = m.Fragments && m.Fragments->Parts.size() >= 2;
            }
            return doing_;
        }
        case 6:
        {
            Doing("press Delete in the target");
            FocusField(TargetField(tab));
            Press(w, Qt::Key_Delete);
            m.Target[tab].clear();
            m.TargetMessage[tab] = tab ? Required : SameAsSource;
            if (tab == 1)
                m.Start = false;
            return doing_;
        }
        case 7:
            written_ = true;
            return Start();
        case 8:
        {
            Doing("close and open the window");
            window_->close();
            window_.reset();
            Reopened();
            if (const auto failure = Open())
                return doing_ + ": " + *failure;
            return doing_;
        }
        default:
            return OtherProgram();
        }
    }

    std::string TypeOrPastePath(int tab, bool paste)
    {
        Model& m = model_;
        const bool source = Chance(65);
        const Bytes sources[] = {In("a.txt"), In("b.txt"), In("gone.txt"), root_ + "/in", ""};
        const Bytes lists[] = {In("list.txt"), In("list.txt"), In("a.txt"), In("gone.txt"), ""};
        const Bytes folders[] = {root_ + "/out/", root_ + "/out", root_ + "/new/deep/", "",
                                 In("a.txt")};
        const Bytes files[] = {root_ + "/joined.txt", root_ + "/out/j.txt", root_ + "/new2/j.txt",
                               In("b.txt"), ""};
        Bytes path = source ? (tab ? PickOf(lists) : PickOf(sources))
                            : (tab ? PickOf(files) : PickOf(folders));
        if (!source && tab == 0 && !paste && path == In("a.txt"))
            path = root_ + "/out/"; // a file typed as the target folder: not walked here
        const bool quoted = paste && Chance(20);
        Doing((paste ? "paste " : "type ") + Quoted(Shown(path)) + (quoted ? " (in quotes)" : "") +
              (source ? " into the source" : " into the target"));
        BrowseBox* field = source ? SourceField(tab) : TargetField(tab);
        FocusField(field);
        if (paste)
        {
            QGuiApplication::clipboard()->setText(PathText(quoted ? "\"" + path + "\"" : path));
            Press(window_.get(), Qt::Key_V, Qt::ControlModifier);
            // Taken only when it names what the field needs; a folder gets its separator.
            Bytes accepted;
            if (source || tab == 1)
                accepted = m.FileExists(path) ? path : "";
            else if (!path.empty())
            {
                const Bytes folder = path.back() == '/' ? path : path + "/";
                accepted = m.FolderExists(folder) ? folder : "";
            }
            if (!accepted.empty())
            {
                (source ? m.Source : m.Target)[tab] = accepted;
                (source ? m.SourceMessage : m.TargetMessage)[tab].clear();
                m.Update();
            }
        }
        else
        {
            Press(window_.get(), Qt::Key_A, Qt::ControlModifier);
            if (path.empty())
                Press(window_.get(), Qt::Key_Backspace);
            else
                TypeText(window_.get(), path);
            (source ? m.Source : m.Target)[tab] = path;
            // The first edit takes a shown message away.
            if (!source)
                m.TargetMessage[tab].clear();
        }
        if (source)
        {
            // Every key released in a source field: the message when it is empty, then the
            // readiness update.
            m.SourceMessage[tab] = m.Source[tab].empty() ? Required : "";
            m.Update();
        }
        return doing_;
    }

    // Closing stores the window's texts and options, opening brings them back, by the
    // settings file's rules.
    void Reopened()
    {
        Model& m = model_;
        for (int tab = 0; tab < 2; ++tab)
        {
            Bytes* texts[] = {&m.Source[tab], &m.Target[tab], &m.Delimiter[tab]};
            for (int key = 0; key < 3; ++key)
            {
                // A text that reads back as it is now is not written again.
                Bytes& stored = stored_[tab][key];
                if (texts[key]->empty() || *texts[key] != stored)
                    stored = AsStored(*texts[key]);
                *texts[key] = stored;
            }
            if (!m.FileExists(m.Source[tab]))
                m.Source[tab].clear();
            m.SourceMessage[tab].clear();
            m.TargetMessage[tab].clear();
        }
        if (!m.FolderExists(m.Target[0]))
            m.Target[0].clear();
        m.Fragments.reset();
        m.FileList.reset();
        m.Bar = false;
        m.Update();
    }

    std::string Start()
    {
        Model& m = model_;
        // Answers for every question the run may ask, in order; more are taken as Yes.
        std::vector<MessageBox::Button> answers;
        for (int i = 0; i < 40; ++i)
        {
            const auto roll = Pick(10);
            answers.push_back(roll < 6   ? MessageBox::Yes
                              : roll < 9 ? MessageBox::No
                                         : MessageBox::Cancel);
            MessageBox::SetNextAnswer(answers.back());
        }
        std::string& what = Doing("click Start");
        Bytes question;
        const auto ask = [&](const Bytes& text)
        {
            question = text;
            const std::size_t asked = ++m.Boxes - 1;
            const auto answer = asked < answers.size() ? answers[asked] : MessageBox::Yes;
            what += answer == MessageBox::Yes ? " Y" : answer == MessageBox::No ? " N" : " C";
            return answer;
        };
        // A list that names one large file thousands of times would take the walk's
        // time (and the model's memory) for nothing new.
        if (m.Start && m.Tab == 1 && JoinedSize() > (std::size_t(16) << 20))
        {
            MessageBox::ResetRecord();
            return what + " not clicked: the join would write more than 16 MiB";
        }
        QTest::mouseClick(Get<QPushButton>("bbRun"), Qt::LeftButton);
        if (!m.Start)
            return what + " (disabled)";
        // Bytes that changed under a mapped source or list are not used: the run says so
        // before it writes anything.
        const auto reported = [&]
        {
            if (MessageBox::ShownCount() != m.Boxes + 1 ||
                MessageBox::LastStyle() != MessageBox::OkExclamation)
                return false;
            ++m.Boxes;
            m.Bar = false;
            what += ", reported " + Quoted(LocalBytes(MessageBox::LastText()));
            return true;
        };
        m.Bar = true;
        if (m.Tab == 0)
            Split(ask, reported);
        else
            Join(ask, reported);
        const Bytes last = LocalBytes(MessageBox::LastText());
        if (!question.empty() && MessageBox::LastStyle() != MessageBox::OkExclamation &&
            last != question)
            stepFailure_ =
                "the last question was " + Quoted(last) + " instead of " + Quoted(question);
        return what;
    }

    std::size_t JoinedSize() const
    {
        std::size_t size = 0;
        for (const Bytes& line : model_.FileList->Parts)
        {
            const auto found = model_.Files.find(ListedPath(line));
            size += found == model_.Files.end() ? 0 : found->second.size();
        }
        return size;
    }

    Bytes ListedPath(const Bytes& line) const
    {
        return !line.empty() && line.front() == '/' ? line : FolderOf(model_.Source[1]) + line;
    }

    std::pair<Bytes, Bytes> NameParts() const
    {
        const Bytes name = model_.Source[0].substr(model_.Source[0].rfind('/') + 1);
        const auto dot = name.rfind('.');
        if (dot == Bytes::npos)
            return {name, ""};
        Bytes extension = name.substr(dot);
        extension.erase(extension.find_last_not_of(' ') + 1);
        return {name.substr(0, dot), extension};
    }

    Bytes SplitTarget() const
    {
        const Bytes& typed = model_.Target[0];
        if (typed.empty())
            return FolderOf(model_.Source[0]);
        return typed.back() == '/' ? typed : typed + "/";
    }

    void Split(const std::function<MessageBox::Button(const Bytes&)>& ask,
               const std::function<bool()>& reported)
    {
        Model& m = model_;
        const auto [base, extension] = NameParts();
        const Bytes target = SplitTarget();
        const Bytes list = target + base + "_List" + extension;
        if (m.List)
        {
            m.Remove(list);
            m.MakeFolders(target);
        }
        if (m.Fragments->Large && m.Fragments->Changed && reported())
            return;
        auto& parts = m.Fragments->Parts;
        std::set<Bytes> writtenNow;
        const std::size_t width = std::to_string(parts.size()).size();
        for (std::size_t i = 0; i < parts.size(); ++i)
        {
            Bytes name;
            if (m.Naming == 0)
            {
                name = std::to_string(i + 1);
                name = base + "_" + Bytes(width - std::min(width, name.size()), '0') + name +
                       extension;
            }
            else
            {
                name = FirstLineName(parts[i]);
                if (name.empty())
                    continue;
            }
            const Bytes path = target + name;
            const bool exists = m.FileExists(path);
            // A name an earlier fragment of this run was written under is asked about even
            // when silent, and not listed again when declined.
            const bool repeated = exists && writtenNow.count(path) != 0;
            const auto answer = repeated              ? ask(path + RepeatedTail)
                                : exists && !m.Silent ? ask(path + OverwriteTail)
                                                      : MessageBox::Yes;
            if (answer == MessageBox::Cancel)
                break;
            if (answer == MessageBox::Yes)
            {
                m.Write(path, WithoutFinalBreak(parts[i]));
                if (m.Naming == 1)
                    writtenNow.insert(path);
            }
            if (m.List && !(repeated && answer == MessageBox::No))
                m.Write(list, (m.FileExists(list) ? m.Files.at(list) : "") + path + "\r\n");
        }
        m.Info = "Done.";
        m.Bar = false;
    }

    void Join(const std::function<MessageBox::Button(const Bytes&)>& ask,
              const std::function<bool()>& reported)
    {
        Model& m = model_;
        const Bytes& target = m.Target[1];
        if (m.FileExists(target) && ask(target + OverwriteTail) != MessageBox::Yes)
            return; // "Info" and the bar stay as they were
        m.MakeFolders(FolderOf(target));
        if (m.FileList->Large && m.FileList->Changed && reported())
            return;
        Bytes joined;
        std::size_t found = 0;
        for (const Bytes& line : m.FileList->Parts)
        {
            const Bytes path = ListedPath(line);
            if (!m.FileExists(path))
                continue;
            ++found;
            const Bytes& text = m.Files.at(path);
            if (!text.empty())
                joined += "\r\n" + m.Delimiter[1] + (m.FileName ? path + "\r\n" : "") + text;
        }
        // Nothing to write to: a target emptied by typing leaves Start as it was.
        if (!target.empty())
            m.Write(target, WithoutFinalBreak(joined));
        m.Info = found ? "Done." : "Done. No listed file found.";
        m.Bar = false;
    }

    std::string OtherProgram()
    {
        Model& m = model_;
        Doing("another program");
        written_ = true;
        if (Chance(30))
        {
            // Time passes: files written a second ago are no longer new.
            std::this_thread::sleep_for(std::chrono::milliseconds(1100));
            return "wait a second";
        }
        const Bytes path = Chance(80) ? In(Chance(75) ? "a.txt" : "b.txt") : In("list.txt");
        const bool there = m.FileExists(path);
        const Bytes old = there ? m.Files.at(path) : "";
        const std::size_t large = SourceBytes::LargeFrom;
        std::string what;
        switch (there ? Pick(6) : 2)
        {
        case 0:
        {
            const Bytes more = path == In("list.txt") ? ListText() : RandomText(random_, 100);
            WriteAll(path, more, std::ios::app);
            m.Write(path, old + more);
            what = "appends " + std::to_string(more.size()) + " bytes to";
            break;
        }
        case 1:
        {
            const std::size_t size = Pick(old.size() + 1);
            fs::resize_file(path, size);
            m.Write(path, old.substr(0, size));
            what = "cuts to " + std::to_string(size) + " bytes";
            break;
        }
        case 2:
        {
            // A new file under the name, as editors save.
            const Bytes text = path == In("list.txt") ? ListText() : RandomText(random_, 200);
            WriteAll(path + ".new", text);
            fs::rename(path + ".new", path);
            m.Write(path, text);
            what = "puts a new file of " + std::to_string(text.size()) + " bytes in place of";
            break;
        }
        case 3:
        {
            fs::remove(path);
            m.Remove(path);
            what = "deletes";
            break;
        }
        case 4:
        {
            // Past the size from which a source is mapped, with the rest of a text after it.
            const Bytes more =
                Filler(large - std::min(large, old.size()) + Pick(4096)) + RandomText(random_, 100);
            WriteAll(path, more, std::ios::app);
            m.Write(path, old + more);
            what = "grows past 1 MiB";
            break;
        }
        default:
        {
            const std::size_t size = std::min(old.size(), Pick(400));
            fs::resize_file(path, size);
            m.Write(path, old.substr(0, size));
            what = "shrinks to " + std::to_string(size) + " bytes";
            break;
        }
        }
        return "another program " + what + " " + Shown(path);
    }

    // ------------------------------------------------------------------------------------
    // The window against the model.

    std::optional<std::string> Compare()
    {
        const Model& m = model_;
        if (!window_ || !window_->isVisible())
            return std::string("the window is gone");
        if (stepFailure_)
            return std::exchange(stepFailure_, std::nullopt);
        std::ostringstream out;
        const auto check = [&out](const char* what, const Bytes& seen, const Bytes& expected)
        {
            if (seen != expected && out.tellp() == 0)
                out << what << ": " << Quoted(seen) << " instead of " << Quoted(expected);
        };
        check("tab", std::to_string(Get<TabControl>("ssMain")->Tab()), std::to_string(m.Tab));
        for (int tab = 0; tab < 2; ++tab)
        {
            const std::string n = std::to_string(tab);
            check(("ucSource" + n).c_str(), PathBytes(SourceField(tab)->Text()), m.Source[tab]);
            check(("ucTarget" + n).c_str(), PathBytes(TargetField(tab)->Text()), m.Target[tab]);
            check(("tbDelimiter" + n).c_str(), LocalBytes(DelimiterField(tab)->text()),
                  m.Delimiter[tab]);
            check(("ucSource" + n + " message").c_str(), LocalBytes(SourceField(tab)->ErrText()),
                  m.SourceMessage[tab]);
            check(("ucTarget" + n + " message").c_str(), LocalBytes(TargetField(tab)->ErrText()),
                  m.TargetMessage[tab]);
        }
        check("Auto-numbered", Get<QRadioButton>("obFileName0")->isChecked() ? "on" : "off",
              m.Naming == 0 ? "on" : "off");
        check("Silent", Get<QCheckBox>("chSilent")->isChecked() ? "on" : "off",
              m.Silent ? "on" : "off");
        check("File List", Get<QCheckBox>("chFileList")->isChecked() ? "on" : "off",
              m.List ? "on" : "off");
        check("File name line", Get<QCheckBox>("chFileName")->isChecked() ? "on" : "off",
              m.FileName ? "on" : "off");
        check("Start", Get<QPushButton>("bbRun")->isEnabled() ? "enabled" : "disabled",
              m.Start ? "enabled" : "disabled");
        check("Total", LocalBytes(Panel("Total")), m.Total);
        check("Info", LocalBytes(Panel("Info")), m.Info);
        check("progress bar", Get<ProgressBar>("pbProgress")->isVisible() ? "shown" : "hidden",
              m.Bar ? "shown" : "hidden");
        check("message boxes", std::to_string(MessageBox::ShownCount()), std::to_string(m.Boxes));
        if (out.tellp() != 0)
            return out.str();
        return CompareFiles();
    }

    std::optional<std::string> CompareFiles()
    {
        const Model& m = model_;
        // Only the walk's folder; nothing beside it.
        for (const auto& entry : fs::directory_iterator(temp_.Path()))
            if (entry.path().filename() != "walk")
                return "written outside the walk's folder: " + entry.path().string();
        std::set<Bytes> seen;
        for (const auto& entry : fs::recursive_directory_iterator(root_))
        {
            const Bytes path = entry.path().string();
            if (entry.is_directory())
            {
                if (!m.Folders.count(path))
                    return "an unexpected folder " + Shown(path);
                continue;
            }
            const Bytes name = entry.path().filename().string();
            if (FolderOf(path) == root_ + "/" && (name == "kestrin.dat" || name == BuildTreeMarker))
                continue;
            const auto expected = m.Files.find(path);
            if (expected == m.Files.end())
                return "an unexpected file " + Shown(path) + " holding " +
                       Quoted(ReadAll(path).substr(0, 80));
            // Sizes after every step; the bytes after the steps that write.
            if (entry.file_size() != expected->second.size() ||
                (written_ && ReadAll(path) != expected->second))
                return Shown(path) + " holds " + Quoted(ReadAll(path).substr(0, 200)) +
                       " instead of " + Quoted(expected->second.substr(0, 200));
            seen.insert(path);
        }
        for (const auto& [path, bytes] : m.Files)
            if (!seen.count(path))
                return "missing file " + Shown(path);
        written_ = false;
        return std::nullopt;
    }

    KestrinTest::TempFolder temp_;
    Bytes root_;
    std::uint64_t seed_;
    int steps_;
    std::mt19937_64 random_;
    Model model_;
    std::unique_ptr<fwMain> window_;
    std::string report_;
    std::string doing_;
    // The settings file's source, target and delimiter per tab, as they read back.
    Bytes stored_[2][3];
    bool written_ = true; // files were written since they were last compared
    std::optional<std::string> stepFailure_;
};

std::uint64_t EnvironmentNumber(const char* name, std::uint64_t otherwise)
{
    const QByteArray value = qgetenv(name);
    bool ok = false;
    const auto number = value.toULongLong(&ok);
    return ok ? number : otherwise;
}
} // namespace

TEST(WindowWalk, FollowsTheRulesStepByStep)
{
#ifdef _WIN32
    GTEST_SKIP() << "the model follows this system's paths and line ends; under Wine the walk's "
                    "files are written a hundred times slower";
#endif
    MessageBox::ResetRecord();
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_set_death_callback(PrintCrashReport);
#else
    std::signal(SIGSEGV, OnCrash);
    std::signal(SIGABRT, OnCrash);
#endif
    const int steps = static_cast<int>(EnvironmentNumber("KESTRIN_WALK_STEPS", DefaultSteps));
    std::vector<std::uint64_t> seeds;
    if (qEnvironmentVariableIsSet("KESTRIN_WALK_SEED"))
        seeds.push_back(EnvironmentNumber("KESTRIN_WALK_SEED", 0));
    else
    {
        seeds.assign(std::begin(FixedSeeds), std::end(FixedSeeds));
        const auto fresh = EnvironmentNumber("KESTRIN_WALK_SEEDS", 0);
        std::random_device device;
        for (std::uint64_t i = 0; i < fresh; ++i)
            seeds.push_back((std::uint64_t(device()) << 32) | device());
    }
    for (const std::uint64_t seed : seeds)
    {
        MessageBox::ResetRecord();
        Walk walk(seed, steps);
        if (const auto failure = walk.Run())
        {
            ADD_FAILURE() << *failure;
            break;
        }
    }
    std::printf("%zu walks of %d steps\n", seeds.size(), steps);
}
