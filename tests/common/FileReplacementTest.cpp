#include "FileReplacement.h"

#include "../support/TempFolder.h"
#include "FileError.h"
#include "FileTraps.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>

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
            EXPECT_NE(std::string(error.what()).find(c.path), std::string::npos);
        }
    }
}
