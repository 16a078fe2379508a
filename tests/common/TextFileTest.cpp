// SPDX-License-Identifier: MIT
#include "common/TextFile.h"

#include "common/FileError.h"
#include "tests/support/FileTraps.h"
#include "tests/support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace Kestrin;
using KestrinTest::FlagsOf;
using KestrinTest::ReadBytes;
using KestrinTest::ReadOnlyFlags;
namespace fs = std::filesystem;
using namespace std::string_literals;

TEST(WriteTextFile, DropsOneFinalLineBreakAndKeepsEveryOtherByte)
{
    KestrinTest::TempFolder temp;
    struct Case
    {
        std::string text, written;
    } cases[] = {
        {"abc\r\n", "abc"},
        {"abc\n", "abc"},
        {"abc\r\n\r\n", "abc\r"},
        {"abc\r", "abc\r"},
        {"abc\n\n", "abc\n"},
        {"\r\n\n", "\r\n"},
        {"\n", ""},
        {"", ""},
        {"bin\0ary\xff\xfe\0"s, "bin\0ary\xff\xfe\0"s},
    };
    const auto path = temp / "out.txt";
    for (const auto& c : cases)
    {
        // Over a longer existing file, so a missing truncation would show.
        temp.Write("out.txt", std::string(100, 'x'));
        WriteTextFile(path, c.text);
        EXPECT_EQ(ReadBytes(path), c.written) << c.text;
    }
    WriteTextFile("", "ignored");
}

TEST(WriteTextFile, ReadOnlyTargetIsReplacedAndStaysReadOnly)
{
    KestrinTest::TempFolder temp;
    const auto path = temp.Write("ro.txt", "old");
    KestrinTest::SetFlags(path, ReadOnlyFlags);
    WriteTextFile(path, "new\r\n");
    EXPECT_EQ(ReadBytes(path), "new");
    EXPECT_EQ(FlagsOf(path), ReadOnlyFlags);
}

TEST(WriteTextFile, CreatesMissingFoldersOrNamesTheOneItCannotCreate)
{
    KestrinTest::TempFolder temp;
    // The design's example: C:\new\deep\file.txt makes C:\new and C:\new\deep first.
    const KestrinTest::ExampleFolder created(temp.Path(), "new");
    const auto file = KestrinTest::Native(created.Path() + "/deep/file.txt");
    WriteTextFile(file, "x");
    EXPECT_EQ(ReadBytes(file), "x");
    EXPECT_TRUE(fs::is_directory(KestrinTest::Native(created.Path() + "/deep")));

    temp.Write("blocker", "a file where a folder should be");
    try
    {
        WriteTextFile(temp / "blocker/sub/file.txt", "x");
        ADD_FAILURE() << "no error";
    }
    catch (const FileError& error)
    {
        EXPECT_NE(error.Path().find("blocker"), std::string::npos) << error.what();
    }
    EXPECT_EQ(ReadBytes(temp / "blocker"), "a file where a folder should be");
}

TEST(WriteTextFile, FullDiskKeepsTheOldFileAndLeavesNoPartialNewOne)
{
    KestrinTest::TempFolder temp;
    KestrinTest::SmallDisk disk(temp / "disk", "64k");
    if (!disk.Mounted())
        GTEST_SKIP() << "cannot mount a small file system here";
    const auto existing = temp / "disk/existing.txt";
    WriteTextFile(existing, "precious");
    const std::string big(256 * 1024, 'z');
    EXPECT_THROW(WriteTextFile(existing, big), FileError);
    EXPECT_EQ(ReadBytes(existing), "precious");
    EXPECT_THROW(WriteTextFile(temp / "disk/new.txt", big), FileError);
    EXPECT_FALSE(fs::exists(temp / "disk/new.txt"));
    EXPECT_EQ(std::distance(fs::directory_iterator(temp / "disk"), fs::directory_iterator()), 1);
}

TEST(ReadTextFile, ReadsBytesOrNothing)
{
    KestrinTest::TempFolder temp;
    const auto binary = "a\0b\r\nc\xff"s;
    temp.Write("bin", binary);
    fs::create_directory(temp / "folder");
    EXPECT_EQ(ReadTextFile(temp / "bin"), binary);
    EXPECT_EQ(ReadTextFile(temp / "missing"), "");
    EXPECT_EQ(ReadTextFile(temp / "folder"), "");
    EXPECT_EQ(ReadTextFile(""), "");
    temp.Write("empty", "");
    EXPECT_EQ(ReadTextFile(temp / "empty"), "");
}

TEST(ReadTextFile, UnreadableFileIsAnError)
{
    KestrinTest::TempFolder temp;
    const auto path = temp.Write("secret", "x");
    KestrinTest::UnreadableFile unreadable(path);
    KestrinTest::OrdinaryUser user;
    EXPECT_THROW(ReadTextFile(path), FileError);
}

TEST(AppendTextLine, AppendsCrLfLinesAndStartsOverWithoutALine)
{
    KestrinTest::TempFolder temp;
    const auto list = temp / "list.txt";
    AppendTextLine(list, "first"s);
    AppendTextLine(list, "/a b/\"q\".txt"s);
    EXPECT_EQ(ReadBytes(list), "first\r\n/a b/\"q\".txt\r\n");
    AppendTextLine(list);
    EXPECT_FALSE(fs::exists(list));
    AppendTextLine(list); // nothing there: nothing to do
    AppendTextLine("", "ignored"s);

    // A read-only list file still takes the line and stays read-only.
    temp.Write("ro.txt", "a\r\n");
    KestrinTest::SetFlags(temp / "ro.txt", ReadOnlyFlags);
    AppendTextLine(temp / "ro.txt", "b"s);
    EXPECT_EQ(ReadBytes(temp / "ro.txt"), "a\r\nb\r\n");
    EXPECT_EQ(FlagsOf(temp / "ro.txt"), ReadOnlyFlags);
}

TEST(AppendTextLine, RetriesWhileAccessIsDenied)
{
    KestrinTest::TempFolder temp;
    const auto list = temp.Write("locked.txt", "a\r\n");
    KestrinTest::FileLock lock(list);
    if (!lock.Lock())
        GTEST_SKIP() << "no way to deny access here";
    int waits = 0;
    // Locked for three seconds: the fourth attempt succeeds.
    AppendTextLine(list, "b"s, 60,
                   [&]
                   {
                       if (++waits == 3)
                           lock.Unlock();
                   });
    EXPECT_EQ(waits, 3);
    EXPECT_EQ(ReadBytes(list), "a\r\nb\r\n");

    ASSERT_TRUE(lock.Lock());
    waits = 0;
    try
    {
        AppendTextLine(list, "c"s, 2, [&] { ++waits; });
        ADD_FAILURE() << "no error";
    }
    catch (const FileError& error)
    {
        EXPECT_TRUE(error.IsAccessDenied());
        EXPECT_EQ(error.Path(), list);
    }
    EXPECT_EQ(waits, 2);
}

TEST(AppendTextLine, OtherFailuresAreNotRetried)
{
    KestrinTest::TempFolder temp;
    int waits = 0;
    EXPECT_THROW(AppendTextLine(temp / "missing/list.txt", "x"s, 60, [&] { ++waits; }), FileError);
    EXPECT_EQ(waits, 0);
}

TEST(FileProcedures, DeleteFileIfPresentAndCreateFolderPath)
{
    KestrinTest::TempFolder temp;
    const auto file = temp.Write("gone.txt", "x");
    DeleteFileIfPresent(file);
    EXPECT_FALSE(fs::exists(file));
    DeleteFileIfPresent(file);
    fs::create_directory(temp / "folder");
    DeleteFileIfPresent(temp / "folder");
    EXPECT_TRUE(fs::is_directory(temp / "folder"));

    EXPECT_TRUE(CreateFolderPath(temp / "a/b/c/"));
    EXPECT_TRUE(fs::is_directory(temp / "a/b/c"));
    EXPECT_TRUE(CreateFolderPath(temp / "a/b"));
    temp.Write("a/file", "x");
    try
    {
        CreateFolderPath(temp / "a/file/sub");
        ADD_FAILURE() << "no error";
    }
    catch (const FileError& error)
    {
        EXPECT_EQ(error.Path(), temp / "a/file");
    }
}

TEST(AppendTextLine, ALineIsAppendedWholeOrNotAtAll)
{
    KestrinTest::TempFolder temp;
    KestrinTest::SmallDisk disk(temp / "disk", "16k");
    if (!disk.Mounted())
        GTEST_SKIP() << "cannot mount a small file system here";
    const auto list = temp / "disk/list.txt";
    AppendTextLine(list, "/first/line"s);
    WriteTextFile(temp / "disk/filler", std::string(8 * 1024, 'f'));
    // Room for the start of this line only.
    const std::string line = "/" + std::string(10 * 1024, 'x');
    EXPECT_THROW(AppendTextLine(list, line), FileError);
    EXPECT_EQ(ReadBytes(list), "/first/line\r\n");
}

TEST(FileProcedures, DeleteFileIfPresentTakesLinksButNoDevices)
{
    KestrinTest::TempFolder temp;
    const auto dangling = temp / "dangling";
    std::error_code noLink; // Wine makes no symbolic links
    fs::create_symlink(temp / "nowhere", dangling, noLink);
    DeleteFileIfPresent(dangling);
    EXPECT_EQ(KestrinTest::KindOf(dangling), '-');

#ifdef _WIN32
    // "nul" with any extension is the NUL device in every folder.
    EXPECT_THROW(DeleteFileIfPresent(temp / "nul.txt"), FileError);
#endif
    const auto pipe = temp / "pipe";
    if (!KestrinTest::MakeFifo(pipe))
        GTEST_SKIP() << "cannot make a named pipe here" << (noLink ? " nor a symbolic link" : "");
    EXPECT_THROW(DeleteFileIfPresent(pipe), FileError);
    EXPECT_EQ(KestrinTest::KindOf(pipe), 'p');
}
