// SPDX-License-Identifier: MIT
#include "EngineTestSupport.h"
#include "common/FileError.h"
#include "tests/support/FileTraps.h"
#include "tests/support/TempFolder.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
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
        // LF line ends, missing, empty and folder lines are skipped.
        {"a.txt\r\nmissing.txt\r\n\r\n" + temp.Path() + "\r\nb.txt\r\n", "--", false,
         "\r\n--A\r\n--B"},
#ifndef _WIN32
        // Bare LFs end lines only in the POSIX style (in the Windows style this is one line
        // that names no file).
        {"a.txt\nmissing.txt\n\n" + temp.Path() + "\nb.txt\n", "--", false, "\r\n--A\r\n--B"},
#endif
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
    EXPECT_EQ(RunJoin(bench, host, list, target), RunEnd::NothingFound);
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
    // Also where the target's folder refuses new files, so it has to be written in place.
    for (const bool folderWritable : {true, false})
    {
#ifdef _WIN32
        // A folder refuses new files through its ACL there, which Wine does not enforce.
        if (!folderWritable)
            continue;
#endif
        TempFolder temp;
        ::chmod(temp.Path().c_str(), 0777);
        OrdinaryUser user;
        temp.Write("in/a.txt", "A");
        const auto locked = temp.Write("in/locked.txt", "L");
        UnreadableFile unreadable(locked);
        const auto list = temp.Write("in/list.txt", "a.txt\r\nlocked.txt");
        const auto target = temp.Write("out/joined.txt", "\r\nold");
        if (!folderWritable)
            ::chmod((temp / "out").c_str(), 0555);
        Workbench bench;
        UpdateJoin(bench, list, target);
        RecordingHost host;
        host.Answers = {Answer::Yes};
        EXPECT_THROW(RunJoin(bench, host, list, target), FileError);
        EXPECT_EQ(ReadBytes(target), "\r\nold") << folderWritable;
        EXPECT_EQ(NamesIn(temp / "out").size(), 1u);
        ::chmod((temp / "out").c_str(), 0755);
    }
}

TEST(JoinRun, AFileThatGrowsDuringTheJoinIsCopiedAsLongAsItWasWhenItsTurnCame)
{
    TempFolder temp;
    temp.Write("x/a.txt", "A");
    const auto growing = temp.Write("x/log.txt", std::string(5 * 1024 * 1024, 'g'));
    RecordingHost host;
    // The file has been opened when the join reads its options for it; it grows then.
    host.OnJoinOptions = [&]
    {
        if (host.JoinOptionReads == 2)
            std::ofstream(growing, std::ios::app) << std::string(1024 * 1024, '+');
    };
    EXPECT_EQ(Join(temp, "a.txt\r\nlog.txt", "#", false, &host),
              "\r\n#A\r\n#" + std::string(5 * 1024 * 1024, 'g'));
}

TEST(JoinRun, AStopDuringALargeFileEndsTheRunWithoutWritingTheTarget)
{
    TempFolder temp;
    temp.Write("a.txt", "A");
    temp.Write("big.txt", std::string(40 * 1024 * 1024, 'b'));
    const auto list = temp.Write("list.txt", "a.txt\r\nbig.txt");
    const auto target = temp / "joined.txt";
    Workbench bench;
    UpdateJoin(bench, list, target);
    RecordingHost host;
    host.OnJoinOptions = [&] { host.Stop = host.JoinOptionReads == 2; };
    EXPECT_EQ(RunJoin(bench, host, list, target), RunEnd::Stopped);
    EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(NamesIn(temp.Path()).size(), 3u);
}

TEST(JoinRun, ATargetThatIsNotARegularFileIsRefused)
{
    TempFolder temp;
    temp.Write("a.txt", "A");
    const auto list = temp.Write("list.txt", "a.txt\r\na.txt");
    const auto pipe = temp / "pipe";
    const auto device = temp / "null";
    for (const auto& target : {pipe, device})
    {
        if (!(target == pipe ? MakeFifo(target) : MakeDeviceNode(target)))
        {
            std::cout << "skipped " << target << ": the system refuses to make it here\n";
            continue;
        }
        const char kind = KindOf(target);
        Workbench bench;
        UpdateJoin(bench, list, target);
        RecordingHost host;
        host.Answers = {Answer::Yes};
        EXPECT_THROW(RunJoin(bench, host, list, target), FileError) << target;
        EXPECT_EQ(KindOf(target), kind);
    }
}

TEST(JoinRun, ACallerMayKeepTheTargetWhenNoListedFileIsThere)
{
    TempFolder temp;
    const auto list = temp.Write("list.txt", "no1\r\nno2");
    const auto target = temp.Write("out.txt", "old");
    Workbench bench;
    UpdateJoin(bench, list, target);
    RecordingHost host;
    host.Answers = {Answer::Yes};
    RunRequest request;
    request.Tab = 1;
    request.Source = list;
    request.Target = target;
    request.KeepTargetWhenNothingFound = true;
    EXPECT_EQ(bench.Run(request, host), RunEnd::NothingFound);
    EXPECT_EQ(ReadBytes(target), "old");
}
