#include "FileReplacement.h"

#include "../support/TempFolder.h"
#include "FileError.h"
#include "FileTraps.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
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
