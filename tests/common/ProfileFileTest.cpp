// SPDX-License-Identifier: MIT
#include "common/ProfileFile.h"

#include "common/ConfigFolders.h"
#include "common/FileAccess.h"
#include "common/Version.h"
#include "tests/support/FileTraps.h"
#include "tests/support/TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#ifdef _WIN32
#include <windows.h>
#endif

using namespace Kestrin;
using KestrinTest::FlagsOf;
using KestrinTest::ReadBytes;
using KestrinTest::ReadOnlyFlags;
namespace fs = std::filesystem;

namespace Kestrin
{
void PrintTo(const Fixed4& value, std::ostream* out)
{
    *out << Fixed4Text(value);
}
} // namespace Kestrin

namespace
{
// A write replaces the file, so another file or a later change shows that it was written.
FileIdentity InodeOf(const std::string& path)
{
    return IdentityOfPath(path).value_or(FileIdentity{});
}

Fixed4 Number(const char* text)
{
    Fixed4 value;
    EXPECT_TRUE(Fixed4FromText(text, value)) << text;
    return value;
}

// What the window holds at shut-down, written in the window's order.
struct WindowSettings
{
    Fixed4 left, top;
    int tab;
    std::string splitSource, splitTarget, splitDelimiter;
    int fileName, silent, fileList;
    std::string joinSource, joinTarget, joinDelimiter;
    int nameLine;
};

void WriteShutDown(const std::string& file, const WindowSettings& s)
{
    IniWriteNumber(file, "fwMain", "Left", s.left);
    IniWriteNumber(file, "fwMain", "Top", s.top);
    IniWriteNumber(file, "fwMain", "ssMain", Fixed4::FromWhole(s.tab));
    IniWriteString(file, "&Split File", "ucSource", s.splitSource);
    IniWriteString(file, "&Split File", "ucTarget", s.splitTarget);
    IniWriteString(file, "&Split File", "tbDelimiter", s.splitDelimiter);
    IniWriteNumber(file, "&Split File", "obFileName", Fixed4::FromWhole(s.fileName));
    IniWriteNumber(file, "&Split File", "chSilent", Fixed4::FromWhole(s.silent));
    IniWriteNumber(file, "&Split File", "chFileList", Fixed4::FromWhole(s.fileList));
    IniWriteString(file, "&Join Files", "ucSource", s.joinSource);
    IniWriteString(file, "&Join Files", "ucTarget", s.joinTarget);
    IniWriteString(file, "&Join Files", "tbDelimiter", s.joinDelimiter);
    IniWriteNumber(file, "&Join Files", "chFileName", Fixed4::FromWhole(s.nameLine));
}
} // namespace

TEST(ProfileFile, FirstRunWithoutFileGivesDefaultsAndCreatesNothing)
{
    KestrinTest::TempFolder temp;
    const auto file = temp / "kestrin.dat";
    for (const char* key : {"Left", "Top", "ssMain"})
    {
        bool present = true;
        EXPECT_EQ(IniReadNumber(file, "fwMain", key, Fixed4::FromWhole(9), &present),
                  Fixed4::FromWhole(9));
        EXPECT_FALSE(present) << key;
    }
    EXPECT_EQ(IniReadString(file, "&Split File", "ucSource"), "");
    EXPECT_EQ(IniReadString(file, "&Split File", "ucSource", "fallback"), "fallback");
    EXPECT_FALSE(fs::exists(file));

    // Empty names or an empty path never read or write anything.
    temp.Write("kestrin.dat", "[fwMain]\nLeft=57\n");
    bool present = true;
    EXPECT_EQ(IniReadNumber(file, "", "Left", {}, &present), Fixed4{});
    EXPECT_FALSE(present);
    EXPECT_EQ(IniReadNumber(file, "fwMain", "", {}, &present), Fixed4{});
    EXPECT_FALSE(present);
    IniWriteNumber("", "fwMain", "Left", Fixed4::FromWhole(1));
    IniWriteString(file, "", "Left", "x");
    IniWriteString(file, "fwMain", "", "x");
    EXPECT_EQ(ReadBytes(file), "[fwMain]\nLeft=57\n");
}

TEST(ProfileFile, ShutDownFromNothingWritesSectionsAndKeysInWindowOrder)
{
    KestrinTest::TempFolder temp;
    const auto file = temp / "kestrin.dat";
    const WindowSettings settings{Number("57"),
                                  Number("33.3333"),
                                  1,
                                  "/data/in.txt",
                                  "",
                                  "----",
                                  1,
                                  0,
                                  2,
                                  "",
                                  "/out.txt",
                                  "",
                                  1};
    WriteShutDown(file, settings);
    EXPECT_EQ(ReadBytes(file), "[fwMain]\r\n"
                               "Left=57\r\n"
                               "Top=33.3333\r\n"
                               "ssMain=1\r\n"
                               "[&Split File]\r\n"
                               "ucSource=/data/in.txt\r\n"
                               "ucTarget= \r\n"
                               "tbDelimiter=----\r\n"
                               "obFileName=1\r\n"
                               "chSilent=0\r\n"
                               "chFileList=2\r\n"
                               "[&Join Files]\r\n"
                               "ucSource= \r\n"
                               "ucTarget=/out.txt\r\n"
                               "tbDelimiter= \r\n"
                               "chFileName=1\r\n");

    // And back, as the window reads it at start-up.
    bool present = false;
    EXPECT_EQ(IniReadNumber(file, "fwMain", "Top", {}, &present), Number("33.3333"));
    EXPECT_TRUE(present);
    EXPECT_EQ(IniReadString(file, "&Split File", "ucTarget", "x"), "");
    EXPECT_EQ(IniReadString(file, "&Join Files", "ucTarget"), "/out.txt");
    EXPECT_EQ(RestoreSwitch(IniReadNumber(file, "&Split File", "chFileList")), 1);
}

TEST(ProfileFile, WindowsOwnReaderReadsWhatWeWrite)
{
#ifndef _WIN32
    GTEST_SKIP() << "GetPrivateProfileStringA, the reader to compare with, is Windows' own";
#else
    KestrinTest::TempFolder temp;
    // The settings file beside the program, as the window writes it at shut-down, and one
    // edited by hand: Windows' reader and ours must agree on every key.
    const auto ours = SettingsFilePath(temp / "bin/Kestrin.exe", temp / "user");
    ASSERT_EQ(ours, temp / "bin/Kestrin.dat");
    std::filesystem::create_directories(temp / "bin");
    WriteShutDown(ours, {Number("57"), Number("-33.3333"), 1, "C:\\data\\in \xE4.txt", "",
                         "  \"--\"  ", 1, 0, 2, "", "C:\\out.txt", "'x'", 1});
    const auto hand = temp.Write("hand.dat", "; edited\r\n[FWMAIN]\r\n  LEFT = 10 \r\nTop=\r\n"
                                             "[&split file]\r\ntbDelimiter=\"a=b\"\r\n"
                                             "ucSource=  spaced  \r\n");
    const struct
    {
        const char* section;
        const char* key;
    } keys[] = {{"fwMain", "Left"},
                {"fwMain", "Top"},
                {"fwMain", "ssMain"},
                {"&Split File", "ucSource"},
                {"&Split File", "ucTarget"},
                {"&Split File", "tbDelimiter"},
                {"&Split File", "chFileList"},
                {"&Join Files", "ucSource"},
                {"&Join Files", "tbDelimiter"},
                {"&Join Files", "chFileName"},
                {"&join files", "CHFILENAME"},
                {"fwMain", "Missing"},
                {"Nowhere", "Left"}};
    for (const auto& file : {ours, hand})
        for (const auto& k : keys)
        {
            std::string windows(32767, '\0');
            const DWORD length =
                ::GetPrivateProfileStringA(k.section, k.key, "(missing)", &windows[0],
                                           static_cast<DWORD>(windows.size()), file.c_str());
            windows.resize(length);
            EXPECT_EQ(IniReadString(file, k.section, k.key, "(missing)"), windows)
                << file << " [" << k.section << "] " << k.key;
        }
#endif
}

TEST(ProfileFile, UnchangedValuesAreNotRewrittenButZerosAndEmptyTextsAre)
{
    KestrinTest::TempFolder temp;
    const auto file = temp / "kestrin.dat";
    const WindowSettings filled{Number("57"), Number("20"), 1,    "/in.txt", "/out", "==", 1, 1, 2,
                                "/list.txt",  "/joined",    "--", 1};
    WriteShutDown(file, filled);
    const auto bytes = ReadBytes(file);
    const auto old = fs::last_write_time(file) - std::chrono::hours(1);
    fs::last_write_time(file, old);
    const auto inode = InodeOf(file);

    WriteShutDown(file, filled);
    EXPECT_EQ(ReadBytes(file), bytes);
    EXPECT_EQ(fs::last_write_time(file), old);
    EXPECT_EQ(InodeOf(file), inode);

    // A number is compared as a number, not as text.
    temp.Write("hand.dat", "[fwMain]\nLeft=57.0000\n");
    const auto hand = temp / "hand.dat";
    const auto handInode = InodeOf(hand);
    IniWriteNumber(hand, "fwMain", "Left", Fixed4::FromWhole(57));
    EXPECT_EQ(InodeOf(hand), handInode);
    EXPECT_EQ(ReadBytes(hand), "[fwMain]\nLeft=57.0000\n");

    // Zeros and empty texts are written every time, as one blank, and the blank does not
    // pile up from one write to the next.
    const WindowSettings empty{{}, {}, 0, "", "", "", 0, 0, 0, "", "", "", 0};
    WriteShutDown(file, empty);
    const auto emptyBytes = ReadBytes(file);
    EXPECT_NE(emptyBytes.find("tbDelimiter= \r\n"), std::string::npos);
    EXPECT_NE(emptyBytes.find("chSilent=0\r\n"), std::string::npos);
    for (int round = 0; round < 2; ++round)
    {
        const auto before = InodeOf(file);
        IniWriteString(file, "&Split File", "tbDelimiter", "");
        EXPECT_NE(InodeOf(file), before);
        const auto middle = InodeOf(file);
        IniWriteNumber(file, "&Split File", "chSilent", {});
        EXPECT_NE(InodeOf(file), middle);
        EXPECT_EQ(ReadBytes(file), emptyBytes);
    }
}

TEST(ProfileFile, StoredSwitchesAndEdgesRestoreAsTheWindowNeedsThem)
{
    KestrinTest::TempFolder temp;
    const struct
    {
        const char* stored;
        int tab;
    } tabs[] = {{"7", 1}, {"-3", 0}, {"first", 0}, {"1", 1}, {"0.5", 0}, {"1.5", 1}, {"2", 1}};
    for (const auto& c : tabs)
    {
        const auto file = temp.Write("tab.dat", std::string("[fwMain]\r\nssMain=") + c.stored +
                                                    "\r\nLeft=57\r\n");
        bool present = false;
        EXPECT_EQ(RestoreSwitch(IniReadNumber(file, "fwMain", "ssMain", {}, &present)), c.tab)
            << c.stored;
        EXPECT_TRUE(present) << c.stored;

        // "Left" present and "Top" missing: each edge is handled alone.
        int twips = 0;
        const auto left = IniReadNumber(file, "fwMain", "Left", {}, &present);
        EXPECT_TRUE(present);
        EXPECT_TRUE(RestoreEdgeTwips(left, 15, twips));
        EXPECT_EQ(twips, 855);
        IniReadNumber(file, "fwMain", "Top", {}, &present);
        EXPECT_FALSE(present);
    }
}

TEST(ProfileFile, BlanksAndEnclosingQuotationMarksAreDropped)
{
    KestrinTest::TempFolder temp;
    const struct
    {
        const char* line;
        const char* value;
    } cases[] = {
        {"k=  a b  ", "a b"}, {"k=\t\"--\"\t", "--"}, {"k='x'", "x"},   {"k=\"  a \"", "  a "},
        {"k=\"x'", "\"x'"},   {"k=\"", "\""},         {"k=\"\"", ""},   {"k= ", ""},
        {"k=", ""},           {"  K  =v", "v"},       {"k=a=b", "a=b"}, {"k=\"\"x\"\"", "\"x\""},
    };
    for (const auto& c : cases)
    {
        const auto file = temp.Write("quotes.dat", std::string("[s]\n") + c.line + "\n");
        EXPECT_EQ(IniReadString(file, "S", "k", "missing"), c.value) << c.line;
    }

    // Round trips through the window: blanks around a delimiter are lost, quotation marks
    // around it are read away; either way the file still holds what was typed.
    const auto file = temp / "delimiters.dat";
    IniWriteString(file, "&Split File", "tbDelimiter", "  --  ");
    EXPECT_EQ(IniReadString(file, "&Split File", "tbDelimiter"), "--");
    IniWriteString(file, "&Join Files", "tbDelimiter", "\"--\"");
    EXPECT_EQ(IniReadString(file, "&Join Files", "tbDelimiter"), "--");
    EXPECT_EQ(ReadBytes(file), "[&Split File]\r\ntbDelimiter=  --  \r\n"
                               "[&Join Files]\r\ntbDelimiter=\"--\"\r\n");
}

TEST(ProfileFile, HandEditedFileKeepsEverythingItHad)
{
    for (const std::string end : {"\r\n", "\n"})
    {
        for (const bool finalLineEnd : {true, false})
        {
            KestrinTest::TempFolder temp;
            const std::string last = finalLineEnd ? end : "";
            const auto file = temp.Write(
                "kestrin.dat", "; Kestrin settings, edited by hand" + end + end + "[Other]" + end +
                                   "left=keep me" + end + end + "[FWMAIN]" + end + "  LEFT = 10 " +
                                   end + "; the window" + end + end + "[&split file]" + end +
                                   "TBDELIMITER = \"--\"" + last);

            IniWriteNumber(file, "fwMain", "Left", Fixed4::FromWhole(57));
            IniWriteNumber(file, "fwMain", "Top", Fixed4::FromWhole(20));
            IniWriteString(file, "&Split File", "tbDelimiter", "--"); // unchanged
            IniWriteString(file, "&Split File", "ucSource", "/a.txt");
            IniWriteNumber(file, "&Join Files", "chFileName", Fixed4::FromWhole(1));

            EXPECT_EQ(ReadBytes(file), "; Kestrin settings, edited by hand" + end + end +
                                           "[Other]" + end + "left=keep me" + end + end +
                                           "[FWMAIN]" + end + "  LEFT = 57" + end + "Top=20" + end +
                                           "; the window" + end + end + "[&split file]" + end +
                                           "TBDELIMITER = \"--\"" + end + "ucSource=/a.txt" + end +
                                           "[&Join Files]" + end + "chFileName=1" + end)
                << "line end " << end.size() << ", final " << finalLineEnd;
            EXPECT_EQ(IniReadString(file, "other", "LEFT"), "keep me");
        }
    }
}

TEST(ProfileFile, ByteOrderMarkAndCommentsAfterHeadersAreHarmless)
{
    KestrinTest::TempFolder temp;
    const auto file =
        temp.Write("kestrin.dat", "\xEF\xBB\xBF[fwMain] ; window [edge]\nLeft=5\n[x]\n");
    EXPECT_EQ(IniReadNumber(file, "fwMain", "Left"), Fixed4::FromWhole(5));
    IniWriteNumber(file, "fwMain", "Left", Fixed4::FromWhole(6));
    IniWriteNumber(file, "fwMain", "Top", Fixed4::FromWhole(7));
    EXPECT_EQ(ReadBytes(file), "\xEF\xBB\xBF[fwMain] ; window [edge]\nLeft=6\nTop=7\n[x]\n");
}

TEST(ProfileFile, ReadOnlySettingsFileIsUpdatedAndStaysReadOnly)
{
    KestrinTest::TempFolder temp;
    const auto file = temp.Write("kestrin.dat", "[fwMain]\r\nLeft=10\r\n");
    KestrinTest::SetFlags(file, ReadOnlyFlags);
    IniWriteNumber(file, "fwMain", "Left", Fixed4::FromWhole(57));
    IniWriteString(file, "&Split File", "tbDelimiter", "");
    EXPECT_EQ(ReadBytes(file), "[fwMain]\r\nLeft=57\r\n[&Split File]\r\ntbDelimiter= \r\n");
    EXPECT_EQ(FlagsOf(file), ReadOnlyFlags);
}

TEST(ProfileFile, ReadOnlyFolderUpdatesTheFileInPlaceAndCreatesNothing)
{
#ifdef _WIN32
    GTEST_SKIP() << "a folder refuses new files through its ACL on Windows, which Wine does "
                    "not enforce; permission bits are POSIX";
#else
    KestrinTest::TempFolder temp;
    // Permission bits do not stop root: work as an ordinary user, who owns what it makes.
    ::chmod(temp.Path().c_str(), 0777);
    KestrinTest::OrdinaryUser user;
    const auto file = temp.Write("locked/kestrin.dat", "[fwMain]\nLeft=10\n");
    ::chmod(file.c_str(), 0444);
    ::chmod((temp / "locked").c_str(), 0555);
    IniWriteNumber(file, "fwMain", "Left", Fixed4::FromWhole(57));
    IniWriteNumber(temp / "locked/new.dat", "fwMain", "Left", Fixed4::FromWhole(57));
    EXPECT_EQ(ReadBytes(file), "[fwMain]\nLeft=57\n");
    EXPECT_EQ(FlagsOf(file), 0444u);
    EXPECT_FALSE(fs::exists(temp / "locked/new.dat"));
#endif
}

TEST(ProfileFile, BinaryGarbageReadsAsDefaultsAndIsKeptOnWrite)
{
    KestrinTest::TempFolder temp;
    std::string garbage;
    for (int round = 0; round < 16; ++round)
        for (int byte = 0; byte < 256; ++byte)
        {
            const int c = (byte + round * 31) % 256;
            if (c != '\n')
                garbage += static_cast<char>(c);
        }
    garbage.insert(1000, "\r\n"); // one real line end; lone CRs and NULs elsewhere
    const auto file = temp.Write("kestrin.dat", garbage);

    bool present = true;
    EXPECT_EQ(IniReadNumber(file, "fwMain", "Left", Fixed4::FromWhole(3), &present),
              Fixed4::FromWhole(3));
    EXPECT_FALSE(present);
    EXPECT_EQ(IniReadString(file, "&Split File", "tbDelimiter", "d"), "d");

    IniWriteNumber(file, "fwMain", "Left", Fixed4::FromWhole(57));
    EXPECT_EQ(ReadBytes(file), garbage + "\r\n[fwMain]\r\nLeft=57\r\n");
    EXPECT_EQ(IniReadNumber(file, "fwMain", "Left"), Fixed4::FromWhole(57));
}

TEST(ProfileFile, LongLinesAreReadThroughTheBufferLimits)
{
    KestrinTest::TempFolder temp;
    const std::string longText(100000, 'x');
    const std::string longNumber = "0." + std::string(300, '0') + "1";
    const std::string zeros(253, '0');
    const auto file = temp.Write(
        "kestrin.dat", "[&Split File]\r\ntbDelimiter=" + longText + "\r\nobFileName=" + longNumber +
                           "\r\nchSilent=1\r\nchFileList=" + zeros + "17\r\n");
    EXPECT_EQ(IniReadString(file, "&Split File", "tbDelimiter"), std::string(32766, 'x'));
    EXPECT_EQ(IniReadNumber(file, "&Split File", "chSilent"), Fixed4::FromWhole(1));
    // Only 254 characters of a number count: the "7" is beyond them.
    EXPECT_EQ(IniReadNumber(file, "&Split File", "chFileList"), Fixed4::FromWhole(1));
    bool present = false;
    EXPECT_EQ(IniReadNumber(file, "&Split File", "obFileName", {}, &present), Fixed4{});
    EXPECT_TRUE(present);

    IniWriteString(file, "&Split File", "tbDelimiter", "--");
    IniWriteNumber(file, "&Split File", "chSilent", {});
    EXPECT_EQ(ReadBytes(file), "[&Split File]\r\ntbDelimiter=--\r\nobFileName=" + longNumber +
                                   "\r\nchSilent=0\r\nchFileList=" + zeros + "17\r\n");
}

TEST(ProfileFile, NumbersBeyondTheTypeReadAsMissing)
{
    KestrinTest::TempFolder temp;
    for (const char* stored : {"1e400", "99999999999999999999", "-1e400", "1e15"})
    {
        const auto file = temp.Write("kestrin.dat", std::string("[fwMain]\nssMain=") + stored +
                                                        "\nLeft=" + stored + "\n");
        bool present = true;
        EXPECT_EQ(IniReadNumber(file, "fwMain", "Left", Fixed4::FromWhole(4), &present),
                  Fixed4::FromWhole(4))
            << stored;
        EXPECT_FALSE(present) << stored;
        EXPECT_EQ(RestoreSwitch(IniReadNumber(file, "fwMain", "ssMain")), 0) << stored;

        IniWriteNumber(file, "fwMain", "ssMain", Fixed4::FromWhole(1));
        EXPECT_EQ(ReadBytes(file), std::string("[fwMain]\nssMain=1\nLeft=") + stored + "\n");
    }
}

TEST(ProfileFile, SomethingOtherThanAFileInItsPlaceIsNeitherReadNorReplaced)
{
    KestrinTest::TempFolder temp;
    const auto folder = temp / "folder.dat";
    fs::create_directory(folder);
    const KestrinTest::PipeInPlace pipeInPlace(temp.Path());
    const auto pipe = pipeInPlace.Path();
    ASSERT_TRUE(pipeInPlace.StillAPipe());
    for (const auto& path : {folder, pipe})
    {
        bool present = true;
        EXPECT_EQ(IniReadNumber(path, "fwMain", "Left", Fixed4::FromWhole(2), &present),
                  Fixed4::FromWhole(2));
        EXPECT_FALSE(present);
        EXPECT_EQ(IniReadString(path, "fwMain", "Left", "d"), "d");
        IniWriteNumber(path, "fwMain", "Left", Fixed4::FromWhole(57));
        IniWriteString(path, "fwMain", "Text", "");
    }
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_TRUE(pipeInPlace.StillAPipe());
}

TEST(ProfileFile, AValueWithALineBreakIsNotWritten)
{
    KestrinTest::TempFolder temp;
    const auto file = temp.Write("kestrin.dat", "[fwMain]\r\nLeft=10\r\n");
    IniWriteString(file, "&Split File", "ucSource", "/a\n[fwMain]\nLeft=99");
    IniWriteString(file, "&Split File", "ucSource", "/a\rb");
    EXPECT_EQ(ReadBytes(file), "[fwMain]\r\nLeft=10\r\n");
}

#ifdef _WIN32
TEST(SettingsFilePath, BesideTheProgramElseInTheUsersFolder)
{
    KestrinTest::TempFolder temp;
    const auto user = temp / "config/Tarrowby";
    fs::create_directory(temp / "bin");
    const struct
    {
        std::string executable;
        std::string settings;
    } cases[] = {
        {temp / "bin/kestrin", temp / "bin/kestrin.dat"},
        {temp / "bin/Kestrin.exe", temp / "bin/Kestrin.dat"},
        {temp / "bin/my.tool.exe", temp / "bin/my.tool.dat"},
        // A name is bytes in the system's code page, kept exactly.
        {temp / "bin \xE4/Kestrin.exe", temp / "bin \xE4/Kestrin.dat"},
        // A folder that cannot take files (here: one that cannot exist).
        {temp / "bin/kestrin/inside/kestrin", temp / "config/Tarrowby/kestrin.dat"},
        {"", ""},
    };
    temp.Write("bin/kestrin", "program");
    KestrinTest::MakeFolders(temp / "bin \xE4");
    for (const auto& c : cases)
        EXPECT_EQ(SettingsFilePath(c.executable, user), c.settings) << c.executable;
    EXPECT_TRUE(fs::is_directory(user));

    // No per-user folder to be had: beside the program anyway, where writes fail silently.
    EXPECT_EQ(SettingsFilePath(temp / "bin/kestrin/x/kestrin", temp / "bin/kestrin/cfg"),
              temp / "bin/kestrin/x/kestrin.dat");
}
#else
// Run as root, which may write into every folder: an installed program still keeps its
// settings in the user's folder.
TEST(SettingsFilePath, BesideTheProgramOnlyInABuildFolder)
{
    KestrinTest::TempFolder temp;
    temp.Write("build/app/" + std::string(BuildTreeMarker), "");
    temp.Write("build/app/" + std::string("kestrin"), "program");
    temp.Write("usr/bin/kestrin", "program");
    // A folder of that name is no marker.
    fs::create_directories(temp / ("opt/bin/" + std::string(BuildTreeMarker)));
    temp.Write("file", "");
    const auto user = temp / "home/u/.config/Tarrowby";
    const struct
    {
        std::string executable;
        std::string userFolder;
        std::string settings;
    } cases[] = {
        {temp / "build/app/kestrin", user, temp / "build/app/kestrin.dat"},
        {temp / "build/app/kestrin-dev", user, temp / "build/app/kestrin-dev.dat"},
        {temp / "build/app/kestrin", "", temp / "build/app/kestrin.dat"},
        {temp / "usr/bin/kestrin", user, user + "/kestrin.dat"},
        {temp / "home/u/.local/bin/kestrin", user, user + "/kestrin.dat"},
        {temp / "opt/bin/kestrin", user, user + "/kestrin.dat"},
        // No per-user folder to be had: no settings at all rather than beside the program.
        {temp / "usr/bin/kestrin", "", ""},
        {temp / "usr/bin/kestrin", temp / "file/Tarrowby", ""},
        {"", user, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SettingsFilePath(c.executable, c.userFolder), c.settings)
            << c.executable << " with user folder " << c.userFolder;
    EXPECT_TRUE(fs::is_directory(user));
    EXPECT_FALSE(fs::exists(temp / "usr/bin/kestrin.dat"));
}

// The per-user folder as the program finds it: from $XDG_CONFIG_HOME, else from $HOME
// (root's included), created on the way.
TEST(SettingsFilePath, FollowsTheUsersConfigurationFolder)
{
    KestrinTest::TempFolder temp;
    temp.Write("build/app/" + std::string(BuildTreeMarker), "");
    const std::string tail = std::string("/") + CompanyName + "/kestrin.dat";
    const struct
    {
        std::optional<std::string> configHome; // nullopt: unset
        std::string home;
        std::string executable;
        std::string settings;
    } cases[] = {
        {std::nullopt, temp / "root", "/usr/bin/kestrin", temp / "root/.config" + tail},
        {"", temp / "root", "/usr/bin/kestrin", temp / "root/.config" + tail},
        {"relative/config", temp / "u", "/usr/local/bin/kestrin", temp / "u/.config" + tail},
        {temp / "set", temp / "u", "/usr/bin/kestrin", temp / "set" + tail},
        {std::nullopt, temp / "u", temp / "build/app/kestrin", temp / "build/app/kestrin.dat"},
    };
    const char* savedConfig = std::getenv("XDG_CONFIG_HOME");
    const std::string configBefore = savedConfig ? savedConfig : "";
    const std::string homeBefore = std::getenv("HOME") ? std::getenv("HOME") : "";
    for (const auto& c : cases)
    {
        KestrinTest::SetEnvironment("XDG_CONFIG_HOME",
                                    c.configHome ? c.configHome->c_str() : nullptr);
        KestrinTest::SetEnvironment("HOME", c.home.c_str());
        EXPECT_EQ(SettingsFilePath(c.executable), c.settings)
            << "XDG_CONFIG_HOME=" << c.configHome.value_or("(unset)") << " HOME=" << c.home;
    }
    KestrinTest::SetEnvironment("XDG_CONFIG_HOME", savedConfig ? configBefore.c_str() : nullptr);
    KestrinTest::SetEnvironment("HOME", homeBefore.c_str());
}
#endif

TEST(ConfigFolders, FollowTheSystemsVariables)
{
    const std::string company = CompanyName;
    struct Case
    {
        const char* variable;
        const char* value; // nullptr: unset
        std::string (*folder)();
        std::string expected; // "~": only "not from the value" is checked
    } cases[] = {
#ifdef _WIN32
        {"APPDATA", "C:\\Users\\u\\AppData\\Roaming", UserConfigFolder,
         "C:\\Users\\u\\AppData\\Roaming\\" + company},
        {"APPDATA", "D:\\", UserConfigFolder, "D:\\" + company},
        {"APPDATA", nullptr, UserConfigFolder, ""},
#else
        {"XDG_CONFIG_HOME", "/somewhere/config/", UserConfigFolder, "/somewhere/config/" + company},
        {"XDG_CONFIG_HOME", "relative", UserConfigFolder, "~"},
#endif
    };
    for (const auto& c : cases)
    {
        const char* saved = std::getenv(c.variable);
        const std::string before = saved ? saved : "";
        KestrinTest::SetEnvironment(c.variable, c.value);
        const auto folder = c.folder();
        if (c.expected != "~")
            EXPECT_EQ(folder, c.expected) << c.variable << "=" << (c.value ? c.value : "(unset)");
        else
        {
            // Not a valid XDG folder: the home folder's .config is used.
            EXPECT_EQ(folder.find(c.value), std::string::npos);
            EXPECT_EQ(folder.substr(folder.size() - company.size() - 9), "/.config/" + company);
        }
        KestrinTest::SetEnvironment(c.variable, saved ? before.c_str() : nullptr);
    }
}
