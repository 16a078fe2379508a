#include "../support/TempFolder.h"
#include "EngineTestSupport.h"
#include "FileError.h"
#include "FileTraps.h"
#include "PathText.h"

#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>

using namespace Kestrin;
using namespace KestrinTest;
namespace fs = std::filesystem;

namespace
{
std::string Join(const TempFolder& temp, const std::string& listText, const std::string& delimiter,
                 bool fileNames, RecordingHost* seen = nullptr)
{
    const auto list = temp.Write("x/list.txt", listText);
    const auto target = temp / "result/joined.txt";
    fs::remove(target);
    Workbench bench;
    UpdateJoin(bench, list, target);
    RecordingHost own;
    RecordingHost& host = seen ? *seen : own;
    host.Delimiter = delimiter;
    host.FileNames = fileNames;
    EXPECT_EQ(RunJoin(bench, host, list, target), RunEnd::Finished);
    return ReadBytes(target);
}
} // namespace

TEST(JoinRun, WritesEachTextBehindALineBreakAndTheDelimiter)
{
    TempFolder temp;
    const auto a = temp.Write("x/a.txt", "A");
    temp.Write("x/b.txt", "B");
    const auto b = temp / "x/b.txt";
    struct Case
    {
        std::string list, delimiter;
        bool fileNames;
        std::string expected;
    } cases[] = {
        {a + "\r\nb.txt", "#####", false, "\r\n#####A\r\n#####B"},
        {a + "\r\nb.txt", "#####", true, "\r\n#####" + a + "\r\nA\r\n#####" + b + "\r\nB"},
        {a + "\r\nb.txt", "", false, "\r\nA\r\nB"},
        // Missing, empty and folder lines are skipped.
        {"a.txt\r\nmissing.txt\r\n\r\n" + temp.Path() + "\r\nb.txt\r\n", "--", false,
         "\r\n--A\r\n--B"},
        // Bare LFs end lines only in the POSIX style; in the Windows style this is one line
        // that names no file.
        {"a.txt\nmissing.txt\n\n" + temp.Path() + "\nb.txt\n", "--", false,
         NativePathStyle() == PathStyle::Posix ? "\r\n--A\r\n--B" : ""},
        // A bare CR stays inside the line: no such file.
        {"a.txt\rb.txt\r\nb.txt", "-", false, "\r\n-B"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Join(temp, c.list, c.delimiter, c.fileNames), c.expected) << c.list;

    // A text ending in CR LF gets an empty line before the next delimiter; the final
    // line break of the whole output is dropped.
    temp.Write("x/c.txt", "C\r\n");
    EXPECT_EQ(Join(temp, "c.txt\r\nc.txt", "=", false), "\r\n=C\r\n\r\n=C");
    temp.Write("x/d.txt", "D\r\n\r\n");
    EXPECT_EQ(Join(temp, "a.txt\r\nd.txt", "=", false), "\r\n=A\r\n=D\r");
}

TEST(JoinRun, OnlyMissingFilesGiveAnEmptyTargetEvenOverAnOldOne)
{
    TempFolder temp;
    const auto list = temp.Write("list.txt", "no1\r\nno2");
    const auto target = temp.Write("out.txt", "old");
    const auto kept = FlagsWorthKeeping().back();
    SetFlags(target, kept.Flags);
    Workbench bench;
    UpdateJoin(bench, list, target);
    RecordingHost host;
    host.Answers = {Answer::Yes};
    EXPECT_EQ(RunJoin(bench, host, list, target), RunEnd::Finished);
    EXPECT_EQ(host.Styles, (std::vector<QuestionStyle>{QuestionStyle::YesNo}));
    EXPECT_EQ(host.Questions[0], target + "\r\nA file with this name already exists. Overwrite?");
    EXPECT_EQ(ReadBytes(target), "");
    EXPECT_EQ(FlagsOf(target), kept.Flags) << kept.Name;
}

TEST(JoinRun, DecliningReadsAndWritesNothing)
{
    TempFolder temp;
    temp.Write("a.txt", "A");
    const auto list = temp.Write("list.txt", "a.txt\r\na.txt");
    const auto target = temp.Write("out.txt", "old");
    Workbench bench;
    UpdateJoin(bench, list, target);
    RecordingHost host;
    host.Progress = 42;
    host.Answers = {Answer::No};
    EXPECT_EQ(RunJoin(bench, host, list, target), RunEnd::Declined);
    EXPECT_EQ(ReadBytes(target), "old");
    EXPECT_EQ(host.JoinOptionReads, 0);
    EXPECT_EQ(host.Progress, 42);
}

TEST(JoinRun, ReadsTheDelimiterAgainForEveryFile)
{
    TempFolder temp;
    temp.Write("x/a.txt", "A");
    RecordingHost host;
    host.OnEvents = [&] { host.Delimiter = "changed"; };
    EXPECT_EQ(Join(temp, "a.txt\r\na.txt", "first", false, &host), "\r\nfirstA\r\nchangedA");
    EXPECT_EQ(host.ProgressSets, (std::vector<int>{50, 100}));
}

TEST(JoinRun, LargeFilesAreCopiedExactly)
{
    TempFolder temp;
    std::mt19937 generator(3);
    std::string expected;
    std::string list;
    for (int i = 0; i < 3; ++i)
    {
        std::string bytes(3 * 1024 * 1024 + i, '\0');
        for (auto& c : bytes)
            c = static_cast<char>(generator());
        bytes += i == 2 ? "\r\n" : "";
        temp.Write("x/big" + std::to_string(i), bytes);
        list += "big" + std::to_string(i) + "\r\n";
        expected += "\r\n|" + bytes;
    }
    expected.resize(expected.size() - 2);
    EXPECT_EQ(Join(temp, list, "|", false), expected);
}

TEST(JoinRun, ANewTargetThatIsAlsoListedIsNotReadIntoItself)
{
    TempFolder temp;
    temp.Write("x/a.txt", "A");
    EXPECT_EQ(Join(temp, "a.txt\r\n" + temp / "result/joined.txt" + "\r\na.txt", "#", false),
              "\r\n#A\r\n#A");
}

TEST(JoinRun, AnUnreadableFileLeavesTheTargetAsItWas)
{
    TempFolder temp;
    ::chmod(temp.Path().c_str(), 0777);
    temp.Write("a.txt", "A");
    const auto locked = temp.Write("locked.txt", "L");
    UnreadableFile unreadable(locked);
    const auto list = temp.Write("list.txt", "a.txt\r\nlocked.txt");
    const auto target = temp.Write("out.txt", "old");
    ::chmod(target.c_str(), 0666);
    Workbench bench;
    UpdateJoin(bench, list, target);
    RecordingHost host;
    host.Answers = {Answer::Yes};
    OrdinaryUser user;
    EXPECT_THROW(RunJoin(bench, host, list, target), FileError);
    EXPECT_EQ(ReadBytes(target), "old");
    EXPECT_EQ(NamesIn(temp.Path()).size(), 4u);
}
