// SPDX-License-Identifier: MIT
#include "FileReplacement.h"

#include "../support/TempFolder.h"
#include "FileError.h"
#include "FileTraps.h"

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <iostream>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace Kestrin;
using KestrinTest::FlagsOf;
using KestrinTest::ReadBytes;
namespace fs = std::filesystem;

namespace
{
std::size_t EntriesIn(const std::string& folder)
{
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}
} // namespace

TEST(FileReplacement, ReplacesKeepingFlags)
{
    KestrinTest::TempFolder temp;
    const auto cases = KestrinTest::FlagsWorthKeeping();
    for (const auto& c : cases)
    {
        const auto file = temp.Write(c.Name, "old contents that are longer");
        ASSERT_TRUE(KestrinTest::SetFlags(file, c.Flags)) << c.Name;
        ReplaceFileBytes(file, "new");
        EXPECT_EQ(ReadBytes(file), "new") << c.Name;
        EXPECT_EQ(FlagsOf(file), c.Flags) << c.Name;
    }
    // No temporary files are left behind.
    EXPECT_EQ(EntriesIn(temp.Path()), cases.size());
}

TEST(FileReplacement, WritesThroughSymbolicLinks)
{
    KestrinTest::TempFolder temp;
    const auto file = temp.Write("target", "old contents that are longer");
    KestrinTest::SetFlags(file, KestrinTest::ReadOnlyFlags);
    const auto link = temp / "target.link";
    std::error_code error;
    fs::create_symlink(file, link, error);
    if (error || !fs::is_symlink(link))
        GTEST_SKIP() << "no symbolic link can be made here: " << error.message();
    ReplaceFileBytes(link, "new");
    EXPECT_EQ(ReadBytes(file), "new");
    EXPECT_EQ(FlagsOf(file), KestrinTest::ReadOnlyFlags);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(EntriesIn(temp.Path()), 2u);
}

TEST(FileReplacement, UncommittedOutputLeavesTheOldFileOrNothing)
{
    KestrinTest::TempFolder temp;
    const auto existing = temp.Write("existing.txt", "keep me");
    {
        FileReplacement output(existing);
        output.Write("half of a new text");
    }
    EXPECT_EQ(ReadBytes(existing), "keep me");
    {
        FileReplacement output(temp / "new.txt");
        output.Write("partial");
    }
    EXPECT_FALSE(fs::exists(temp / "new.txt"));
    EXPECT_EQ(EntriesIn(temp.Path()), 1u);
}

TEST(FileReplacement, FolderThatRefusesNewFilesStillLetsAWritableFileBeReplaced)
{
#ifdef _WIN32
    GTEST_SKIP() << "a folder refuses new files through its ACL on Windows, which Wine does "
                    "not enforce; permission bits are POSIX";
#else
    KestrinTest::TempFolder temp;
    // Permission bits do not stop root: work as an ordinary user, who owns what it makes.
    ::chmod(temp.Path().c_str(), 0777);
    KestrinTest::OrdinaryUser user;
    const auto file = temp.Write("locked/file.txt", "old");
    ::chmod(file.c_str(), 0444);
    ::chmod((temp / "locked").c_str(), 0555);
    ReplaceFileBytes(file, "new");
    EXPECT_EQ(ReadBytes(file), "new");
    EXPECT_EQ(FlagsOf(file), 0444u);
    EXPECT_THROW(ReplaceFileBytes(temp / "locked/other.txt", "x"), FileError);
    EXPECT_FALSE(fs::exists(temp / "locked/other.txt"));
#endif
}

TEST(FileReplacement, ReportsErrorsWithTheCallersPath)
{
    KestrinTest::TempFolder temp;
    fs::create_directory(temp / "folder");
    struct Case
    {
        std::string path;
        int number;
    } cases[] = {
        {temp / "folder", EISDIR},
        {temp / "missing/file.txt", ENOENT},
    };
    for (const auto& c : cases)
    {
        try
        {
            ReplaceFileBytes(c.path, "x");
            ADD_FAILURE() << "no error for " << c.path;
        }
        catch (const FileError& error)
        {
            EXPECT_EQ(error.Number(), c.number);
            EXPECT_EQ(error.Path(), c.path);
            // The system's words, one line (Windows ends its texts in a line break).
            EXPECT_FALSE(error.Description().empty());
            EXPECT_EQ(error.Description().find_first_of("\r\n"), std::string::npos)
                << error.Description();
            EXPECT_NE(std::string(error.what()).find(c.path), std::string::npos);
        }
    }
}

TEST(FileReplacement, RefusesWhatIsNotARegularFileAndLeavesItAsItWas)
{
    KestrinTest::TempFolder temp;
    std::size_t made = 0;
    for (const auto& c : KestrinTest::NotFiles())
    {
        const auto path = temp / c.Name;
        if (!c.Make(path))
        {
            std::cout << "skipped " << c.Name << ": the system refuses to make one here\n";
            continue;
        }
        std::vector<std::string> paths{path};
        const auto link = temp / (std::string(c.Name) + ".link");
        std::error_code noLink; // Wine makes no symbolic links
        fs::create_symlink(path, link, noLink);
        if (!noLink)
            paths.push_back(link);
        made = EntriesIn(temp.Path());
        for (const auto& written : paths)
        {
            try
            {
                ReplaceFileBytes(written, "data");
                ADD_FAILURE() << "replaced " << written;
            }
            catch (const FileError& error)
            {
                EXPECT_EQ(error.Path(), written);
                EXPECT_NE(error.Description().find("not a regular file"), std::string::npos)
                    << error.what();
            }
            EXPECT_EQ(KestrinTest::KindOf(path), c.Kind) << written;
        }
    }
    EXPECT_EQ(EntriesIn(temp.Path()), made) << "a temporary file was left";
}

TEST(FileReplacement, ANewFileAppearsOnlyWhenCompleteAndNeverOverAnotherOne)
{
    KestrinTest::TempFolder temp;
    const auto path = temp / "new.txt";
    {
        FileReplacement output(path);
        output.Write("complete");
        EXPECT_FALSE(fs::exists(path)) << "a new file is visible before it is complete";
        output.Commit();
    }
    EXPECT_EQ(ReadBytes(path), "complete");

    // Something that appears under the name meanwhile is neither followed nor replaced.
    const auto outside = temp.Write("outside/victim.txt", "keep");
    struct Case
    {
        const char* name;
        bool link;
    } cases[] = {{"appeared.txt", false}, {"swapped.txt", true}};
    std::size_t entries = 2; // new.txt, outside
    for (const auto& c : cases)
    {
        const auto target = temp / c.name;
        FileReplacement output(target);
        output.Write("new");
        std::error_code noLink; // Wine makes no symbolic links
        if (c.link)
            fs::create_symlink(outside, target, noLink);
        else
            temp.Write(c.name, "theirs");
        if (noLink)
        {
            std::cout << "skipped " << c.name << ": " << noLink.message() << "\n";
            continue;
        }
        ++entries;
        EXPECT_THROW(output.Commit(), FileError) << c.name;
        EXPECT_EQ(ReadBytes(target), c.link ? "keep" : "theirs") << c.name;
    }
    EXPECT_EQ(ReadBytes(outside), "keep");
    EXPECT_EQ(EntriesIn(temp.Path()), entries) << "a temporary file was left";
}

TEST(FileReplacement, ATemporaryFileLeftByAKilledWriterGoesAtTheNextWriteOfItsTarget)
{
    KestrinTest::TempFolder temp;
    const auto existing = temp.Write("existing.txt", "old");
    const auto fresh = temp / "fresh.txt";
    for (const auto& target : {existing, fresh})
    {
#ifdef _WIN32
        // What a killed writer leaves there: its temporary file, its handle closed by the
        // system.
        temp.Write(FileReplacement::TemporaryName(target.substr(temp.Folder().size())),
                   std::string(100000, 'h'));
#else
        const pid_t child = ::fork();
        if (child == 0)
        {
            FileReplacement output(target);
            output.Write(std::string(100000, 'h'));
            ::kill(::getpid(), SIGKILL);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
#endif
    }
    // A new file is made without a name where the system allows it: nothing is left of it.
    const std::size_t left = EntriesIn(temp.Path());
    EXPECT_TRUE(left == 2u || left == 3u) << left;
    EXPECT_EQ(ReadBytes(existing), "old");
    EXPECT_FALSE(fs::exists(fresh));
    ReplaceFileBytes(existing, "new");
    ReplaceFileBytes(fresh, "new");
    EXPECT_EQ(EntriesIn(temp.Path()), 2u);
    EXPECT_EQ(ReadBytes(existing), "new");
    EXPECT_EQ(ReadBytes(fresh), "new");
}

TEST(FileReplacement, ALiveWritersTemporaryFileIsNotTakenAway)
{
    KestrinTest::TempFolder temp;
    const auto target = temp.Write("shared.txt", "old");
    FileReplacement first(target);
    first.Write("first");
    try
    {
        ReplaceFileBytes(target, "second");
        ADD_FAILURE() << "a second writer replaced the file";
    }
    catch (const FileError& error)
    {
        EXPECT_EQ(error.Path(), target);
    }
    first.Commit();
    EXPECT_EQ(ReadBytes(target), "first");
    EXPECT_EQ(EntriesIn(temp.Path()), 1u);
}

TEST(FileReplacement, NamesUpToTheSystemsLimitCanBeReplaced)
{
    KestrinTest::TempFolder temp;
#ifdef _WIN32
    // The ANSI calls stop at MAX_PATH (260 with the final NUL) for the whole path: the
    // longest name is what fills it, and its temporary name must not take more.
    const std::size_t longest = 259 - temp.Folder().size();
    const std::size_t lengths[] = {200u, longest - 20, longest};
#else
    const std::size_t lengths[] = {200u, 240u, 255u};
#endif
    for (const std::size_t length : lengths)
    {
        const std::string name(length, 'n');
        const auto path = temp.Write(name, "old");
        ReplaceFileBytes(path, "new");
        EXPECT_EQ(ReadBytes(path), "new") << length;
        // A new file of such a name, too.
        const auto other = temp / std::string(length, 'm');
        ReplaceFileBytes(other, "new");
        EXPECT_EQ(ReadBytes(other), "new") << length;
    }
    EXPECT_EQ(EntriesIn(temp.Path()), 6u);
}

TEST(FileReplacement, InAFolderThatRefusesNewFilesNothingIsTruncatedBeforeTheEnd)
{
    KESTRIN_SKIP_ON_WINDOWS("a folder refuses new files through its ACL on Windows, which Wine "
                            "does not enforce; permission bits are POSIX");
    KestrinTest::TempFolder temp;
    ::chmod(temp.Path().c_str(), 0777);
    KestrinTest::OrdinaryUser user;
    const auto file = temp.Write("locked/file.txt", "old contents");
    ::chmod((temp / "locked").c_str(), 0555);
    {
        FileReplacement output(file);
        output.Write("half of it");
        EXPECT_EQ(ReadBytes(file), "old contents");
    } // abandoned, as when reading a listed file fails
    EXPECT_EQ(ReadBytes(file), "old contents");
    FileReplacement output(file);
    output.Write("new");
    output.Commit();
    EXPECT_EQ(ReadBytes(file), "new");
}

TEST(FileReplacement, InPlaceOnAFullDiskKeepsTheOldFile)
{
    KESTRIN_SKIP_ON_WINDOWS("no small file system can be mounted from a test on Windows, nor a "
                            "folder made to refuse new files");
    KestrinTest::TempFolder temp;
    KestrinTest::SmallDisk disk(temp / "disk", "64k");
    if (!disk.Mounted())
        GTEST_SKIP() << "cannot mount a small file system here";
    ::chmod((temp / "disk").c_str(), 0777);
    const auto file = temp / "disk/fragment.txt";
    const std::string old(16 * 1024, 'o');
    {
        KestrinTest::OrdinaryUser user;
        ReplaceFileBytes(file, old);
        ReplaceFileBytes(temp / "disk/filler", std::string(36 * 1024, 'f'));
    }
    ::chmod((temp / "disk").c_str(), 0555);
    {
        // 12 KiB free: with the old file's 16 KiB that cannot hold 40 KiB.
        KestrinTest::OrdinaryUser user;
        EXPECT_THROW(ReplaceFileBytes(file, std::string(40 * 1024, 'n')), FileError);
    }
    ::chmod((temp / "disk").c_str(), 0777);
    EXPECT_EQ(ReadBytes(file), old);
}
