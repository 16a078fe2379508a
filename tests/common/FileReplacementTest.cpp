// SPDX-License-Identifier: MIT
#include "common/FileReplacement.h"

#include "common/FileError.h"
#include "tests/support/FileTraps.h"
#include "tests/support/TempFolder.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#ifdef KESTRIN_FAILING_WRITES
#include "FailingWrites.h"
#endif
#include <gtest/gtest.h>
#include <iostream>
#include <optional>
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
    // A read-only file of an ordinary user in a folder that refuses new files; on tmpfs
    // its room can be reserved, on ext2 it can only be counted.
    struct Case
    {
        const char* kind;
        const char* size;
        std::size_t old, filler, fresh;
    } cases[] = {
        {"tmpfs", "64k", 16 << 10, 36 << 10, 40 << 10},
        {"ext2", "8M", 1000000, 4000000, 4500000},
    };
    for (const auto& c : cases)
    {
        KestrinTest::TempFolder temp;
        KestrinTest::SmallDisk disk(temp / "disk", c.size, c.kind);
        if (!disk.Mounted())
        {
            std::cout << "skipped " << c.kind << ": " << disk.Why() << "\n";
            continue;
        }
        ::chmod((temp / "disk").c_str(), 0777);
        const auto file = temp / "disk/fragment.txt";
        const std::string old(c.old, 'o');
        {
            KestrinTest::OrdinaryUser user;
            ReplaceFileBytes(file, old);
            ReplaceFileBytes(temp / "disk/filler", std::string(c.filler, 'f'));
            ::chmod(file.c_str(), 0444);
        }
        ::chmod((temp / "disk").c_str(), 0555);
        {
            KestrinTest::OrdinaryUser user;
            EXPECT_THROW(ReplaceFileBytes(file, std::string(c.fresh, 'n')), FileError) << c.kind;
        }
        ::chmod((temp / "disk").c_str(), 0777);
        EXPECT_TRUE(ReadBytes(file) == old) << c.kind << ": " << ReadBytes(file).size();
        EXPECT_EQ(FlagsOf(file), 0444u) << c.kind;
    }
}

TEST(FileReplacement, InPlaceFailuresAndKillsPutTheOldContentBack)
{
#ifndef KESTRIN_FAILING_WRITES
    GTEST_SKIP() << "the pwrite failure shim is built on Linux only";
#else
    // A write in place that fails at its first or second chunk, or is killed there: the
    // old content comes back (after a kill, at the next write of the same file) with the
    // file's bits, and no copy is left in the temporary folder.
    struct Case
    {
        int at;
        bool kill;
    } cases[] = {{1, false}, {2, false}, {2, true}, {3, true}};
    for (const auto& c : cases)
    {
        const std::string where =
            std::string(c.kill ? "killed" : "failed") + " at write " + std::to_string(c.at);
        KestrinTest::TempFolder temp;
        ::chmod(temp.Path().c_str(), 0777);
        KestrinTest::OrdinaryUser user;
        std::string old(2 << 20, 'o');
        old[12345] = 'x';
        const auto file = temp.Write("locked/file.txt", old);
        ::chmod(file.c_str(), 0444);
        ::chmod((temp / "locked").c_str(), 0555);
        struct stat info
        {
        };
        ASSERT_EQ(::stat(file.c_str(), &info), 0);
        const std::string fresh(3 << 20, 'n');
        auto& armed = KestrinTest::FailingWrites::Armed;
        if (!c.kill)
        {
            armed = {info.st_ino, c.at, 0, EIO, false};
            EXPECT_THROW(ReplaceFileBytes(file, fresh), FileError) << where;
            armed = {};
        }
        else
        {
            const pid_t child = ::fork();
            if (child == 0)
            {
                armed = {info.st_ino, c.at, 0, EIO, true};
                ReplaceFileBytes(file, fresh);
                ::_exit(0);
            }
            int status = 0;
            ::waitpid(child, &status, 0);
            ASSERT_TRUE(WIFSIGNALED(status)) << where;
            EXPECT_FALSE(ReadBytes(file) == old) << where << ": the kill came too late";
            // The next write of the same file puts the old content back first, even one
            // that is then abandoned.
            FileReplacement next(file);
            next.Write("abandoned");
        }
        EXPECT_TRUE(ReadBytes(file) == old) << where;
        EXPECT_EQ(FlagsOf(file), 0444u) << where;
        std::size_t copies = 0;
        for (const auto& entry : fs::directory_iterator(fs::temp_directory_path()))
            copies += entry.path().filename().string().rfind(".kestrin-", 0) == 0 &&
                      entry.path().extension() == ".old";
        EXPECT_EQ(copies, 0u) << where;
    }
#endif
}

TEST(FileReplacement, InPlaceWithoutAWayBackIsAskedAboutFirst)
{
    KESTRIN_SKIP_ON_WINDOWS("a folder refuses new files through its ACL on Windows, which Wine "
                            "does not enforce; permission bits are POSIX");
    // The temporary folder holds the short new output but not the old content's copy.
    struct Case
    {
        int answer; // -1: nobody to ask
        bool written;
    } cases[] = {{-1, false}, {0, false}, {1, true}};
    for (const auto& c : cases)
    {
        KestrinTest::TempFolder temp;
        KestrinTest::SmallDisk small(temp / "tmp", "64k");
        if (!small.Mounted())
            GTEST_SKIP() << small.Why();
        ::chmod((temp / "tmp").c_str(), 01777);
        ::chmod(temp.Path().c_str(), 0777);
        const std::string old(200000, 'o');
        std::string file;
        {
            KestrinTest::OrdinaryUser user;
            file = temp.Write("locked/file.txt", old);
        }
        ::chmod((temp / "locked").c_str(), 0555);
        std::vector<std::string> questions;
        std::optional<InPlaceConsent> consent;
        if (c.answer >= 0)
            consent.emplace(
                [&](const std::string& question)
                {
                    questions.push_back(question);
                    return c.answer == 1;
                });
        const char* const before = std::getenv("TMPDIR");
        const std::string kept = before ? before : "";
        KestrinTest::SetEnvironment("TMPDIR", (temp / "tmp").c_str());
        {
            KestrinTest::OrdinaryUser user;
            if (c.written)
                ReplaceFileBytes(file, "new");
            else
                EXPECT_THROW(ReplaceFileBytes(file, "new"), FileError) << c.answer;
        }
        KestrinTest::SetEnvironment("TMPDIR", before ? kept.c_str() : nullptr);
        EXPECT_EQ(questions.size(), c.answer >= 0 ? 1u : 0u);
        if (!questions.empty())
        {
            EXPECT_EQ(questions[0].rfind(file + "\r\n", 0), 0u) << questions[0];
        }
        EXPECT_TRUE(ReadBytes(file) == (c.written ? "new" : old)) << c.answer;
    }
}
