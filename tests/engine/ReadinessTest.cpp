// SPDX-License-Identifier: MIT
#include "EngineTestSupport.h"
#include "common/FileError.h"
#include "common/PathText.h"
#include "tests/support/FileTraps.h"
#include "tests/support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace Kestrin;
using namespace KestrinTest;

TEST(Readiness, SplitTabCountsFragmentsAndEnablesStart)
{
    TempFolder temp;
    const auto source = temp.Write("notes.txt", "a#b#c#d");
    temp.Write("empty.txt", "");
    struct Case
    {
        std::string source, delimiter;
        bool naming;
        bool enabled;
        std::string total;
    } cases[] = {
        {source, "#", true, true, "4"},
        {source, "#", false, false, "4"},
        {source, "zz", true, false, "0"},
        {temp / "empty.txt", "#", true, false, "0"},
        {temp / "missing.txt", "#", true, false, "0"},
        {temp.Path(), "#", true, false, "0"}, // a folder reads as nothing
    };
    for (const auto& c : cases)
    {
        Workbench bench;
        const auto readiness = UpdateSplit(bench, c.source, c.delimiter, c.naming);
        EXPECT_EQ(readiness.StartEnabled, c.enabled) << c.source << " " << c.delimiter;
        EXPECT_EQ(readiness.Total, c.total) << c.source << " " << c.delimiter;
    }
}

TEST(Readiness, JoinTabCountsLinesAndNeedsATarget)
{
    TempFolder temp;
    const auto two = temp.Write("two.txt", "a.txt\r\nb.txt");
    const auto lf = temp.Write("lf.txt", "a.txt\nb.txt\nc.txt\n");
    const auto one = temp.Write("one.txt", "a.txt");
    const auto oneEnded = temp.Write("one-ended.txt", "a.txt\r\n");
    struct Case
    {
        std::string list, target;
        bool enabled;
        std::string total;
    } cases[] = {
        {two, temp / "out.txt", true, "2"},
        {two, "", false, "2"},
        // Bare LFs end lines only in the POSIX style.
        {lf, temp / "out.txt", NativePathStyle() == PathStyle::Posix,
         NativePathStyle() == PathStyle::Posix ? "4" : "0"},
        {one, temp / "out.txt", false, "0"},
        {oneEnded, temp / "out.txt", true, "2"},
        {temp / "missing", temp / "out.txt", false, "0"},
    };
    for (const auto& c : cases)
    {
        Workbench bench;
        const auto readiness = UpdateJoin(bench, c.list, c.target);
        EXPECT_EQ(readiness.StartEnabled, c.enabled) << c.list << " -> " << c.target;
        EXPECT_EQ(readiness.Total, c.total) << c.list;
    }
}

TEST(Readiness, SeesEveryChangeOfTheSourceEvenWithTheSameSizeAndTime)
{
    TempFolder temp;
    const auto source = temp.Write("notes.txt", "a#b#c");
    Workbench bench;
    EXPECT_EQ(UpdateSplit(bench, source, "#").Total, "3");
    const auto before = std::filesystem::last_write_time(source);
    temp.Write("notes.txt", "a#b-c");
    // Same size, and the modification time put back: the change time still tells.
    std::filesystem::last_write_time(source, before);
    EXPECT_EQ(UpdateSplit(bench, source, "#").Total, "2");
    temp.Write("notes.txt", "a#b#c#d#e");
    EXPECT_EQ(UpdateSplit(bench, source, "#").Total, "5");
}

TEST(Readiness, UnreadableSourceIsAnErrorThatLeavesTheListsAlone)
{
    TempFolder temp;
    const auto source = temp.Write("notes.txt", "a#b#c");
    const auto locked = temp.Write("locked.txt", "x#y");
    UnreadableFile unreadable(locked);
    Workbench bench;
    UpdateSplit(bench, source, "#");
    {
        OrdinaryUser user;
        EXPECT_THROW(UpdateSplit(bench, locked, "#"), FileError);
    }
    EXPECT_TRUE(bench.OptionClickEnablesStart());
    EXPECT_EQ(UpdateSplit(bench, source, "").Total, "3");
}
