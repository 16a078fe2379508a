#include "FileReplacement.h"

#include "../support/TempFolder.h"
#include "FileError.h"
#include "FileTraps.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <iostream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Kestrin;
using KestrinTest::ModeOf;
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

TEST(FileReplacement, ReplacesKeepingModeAndWritesThroughLinks)
{
    KestrinTest::TempFolder temp;
    struct Case
    {
        const char* name;
        unsigned mode;
        bool viaLink;
    } cases[] = {
        {"plain", 0644, false},
        {"read-only", 0444, false},
        {"private", 0600, false},
        {"linked", 0640, true},
    };
    for (const auto& c : cases)
    {
        const auto file = temp.Write(c.name, "old contents that are longer");
        ::chmod(file.c_str(), c.mode);
        std::string written = file;
        if (c.viaLink)
        {
            written = temp / (std::string(c.name) + ".link");
            fs::create_symlink(file, written);
        }
        ReplaceFileBytes(written, "new");
        EXPECT_EQ(ReadBytes(file), "new") << c.name;
        EXPECT_EQ(ModeOf(file), c.mode) << c.name;
        if (c.viaLink)
        {
            EXPECT_TRUE(fs::is_symlink(written)) << c.name;
        }
    }
    // No temporary files are left behind.
    EXPECT_EQ(EntriesIn(temp.Path()), 5u);
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
    KestrinTest::TempFolder temp;
    // Permission bits do not stop root: work as an ordinary user, who owns what it makes.
    ::chmod(temp.Path().c_str(), 0777);
    KestrinTest::OrdinaryUser user;
    const auto file = temp.Write("locked/file.txt", "old");
    ::chmod(file.c_str(), 0444);
    ::chmod((temp / "locked").c_str(), 0555);
    ReplaceFileBytes(file, "new");
    EXPECT_EQ(ReadBytes(file), "new");
    EXPECT_EQ(ModeOf(file), 0444u);
    EXPECT_THROW(ReplaceFileBytes(temp / "locked/other.txt", "x"), FileError);
    EXPECT_FALSE(fs::exists(temp / "locked/other.txt"));
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
            EXPECT_NE(std::string(error.what()).find(c.path), std::string::npos);
        }
    }
}

TEST(FileReplacement, RefusesWhatIsNotARegularFileAndLeavesItAsItWas)
{
    KestrinTest::TempFolder temp;
    struct Case
    {
        const char* name;
        bool (*make)(const std::string&);
        char kind;
    } cases[] = {
        {"pipe", KestrinTest::MakeFifo, 'p'},
        {"device", KestrinTest::MakeDeviceNode, 'c'},
    };
    for (const auto& c : cases)
    {
        const auto path = temp / c.name;
        if (!c.make(path))
        {
            std::cout << "skipped " << c.name << ": the system refuses to make one here\n";
            continue;
        }
        const auto link = temp / (std::string(c.name) + ".link");
        fs::create_symlink(path, link);
        for (const auto& written : {path, link})
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
            EXPECT_EQ(KestrinTest::KindOf(path), c.kind) << written;
        }
    }
    EXPECT_EQ(EntriesIn(temp.Path()), 4u) << "a temporary file was left";
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
    for (const auto& c : cases)
    {
        const auto target = temp / c.name;
        FileReplacement output(target);
        output.Write("new");
        if (c.link)
            fs::create_symlink(outside, target);
        else
            temp.Write(c.name, "theirs");
        EXPECT_THROW(output.Commit(), FileError) << c.name;
        EXPECT_EQ(ReadBytes(target), c.link ? "keep" : "theirs") << c.name;
    }
    EXPECT_EQ(ReadBytes(outside), "keep");
    EXPECT_EQ(EntriesIn(temp.Path()), 4u) << "a temporary file was left";
}

TEST(FileReplacement, ATemporaryFileLeftByAKilledWriterGoesAtTheNextWriteOfItsTarget)
{
    KestrinTest::TempFolder temp;
    const auto existing = temp.Write("existing.txt", "old");
    const auto fresh = temp / "fresh.txt";
    for (const auto& target : {existing, fresh})
    {
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
    for (const std::size_t length : {200u, 240u, 255u})
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
