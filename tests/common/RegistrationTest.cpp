#include "Registration.h"

#include "../support/TempFolder.h"
#include "Version.h"
#include "platform/posix/RegistryHive.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <vector>

using namespace Kestrin;
using KestrinTest::ReadBytes;
namespace fs = std::filesystem;

namespace
{
ino_t InodeOf(const std::string& path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

const std::string AppPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\kestrin";
const std::string OwnKey = std::string("SOFTWARE\\") + CompanyName + "\\" + ProgramTitle;

// Every test gets its own machine-wide and per-user folders.
class Registry : public ::testing::Test
{
protected:
    void SetUp() override { SetRegistryFolders(temp / "etc", temp / "user"); }
    void TearDown() override { SetRegistryFolders("", ""); }
    std::string Hive() const { return temp / "etc/HKEY_LOCAL_MACHINE.ini"; }

    // Values written by hand without quotation marks: a rewrite, even to the same text,
    // would put them in quotation marks, so the file shows which values were written.
    std::string HandWrittenHive(const std::string& folder, const std::string& version) const
    {
        return "[" + AppPaths + "]\n@=" + folder + "/kestrin\nPath=" + folder + "\n[" + OwnKey +
               "]\n@=" + folder + "\nCurrentVersion=" + version + "\n";
    }

    KestrinTest::TempFolder temp;
};
} // namespace

TEST(VersionText, MinorHasTwoDigitsAndRevisionFourWhenThereIsOne)
{
    const struct
    {
        int major, minor, revision;
        const char* text;
    } cases[] = {
        {1, 13, 0, "1.13"},
        {2, 5, 7, "2.05.0007"},
        {1, 0, 0, "1.00"},
        {3, 99, 9999, "3.99.9999"},
        {10, 1, 1, "10.01.0001"},
        // Beyond the usual widths every digit is kept.
        {1, 123, 0, "1.123"},
        {1, 2, 12345, "1.02.12345"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VersionText(c.major, c.minor, c.revision), c.text);
}

TEST_F(Registry, FirstRegistrationWritesTheFourValuesInOrder)
{
    const auto bin = temp / "bin";
    RegisterProgram(bin + "/kestrin");
    EXPECT_EQ(ReadBytes(Hive()), "[" + AppPaths + "]\n@=\"" + bin + "/kestrin\"\nPath=\"" + bin +
                                     "\"\n[" + OwnKey + "]\n@=\"" + bin + "\"\nCurrentVersion=\"" +
                                     VersionText() + "\"\n");
    EXPECT_EQ(RegReadString(OwnKey, "CurrentVersion"), VersionText());
    // Key paths and value names are matched without regard to case.
    EXPECT_EQ(RegReadString("software\\" + std::string(CompanyName) + "\\KESTRIN", "path", "-"),
              "-");
    EXPECT_EQ(RegReadString("software\\" + std::string(CompanyName) + "\\KESTRIN", ""), bin);

    // A second start from the same folder with the same version writes nothing.
    const auto bytes = ReadBytes(Hive());
    const auto inode = InodeOf(Hive());
    RegisterProgram(bin + "/../bin/kestrin");
    EXPECT_EQ(InodeOf(Hive()), inode);
    EXPECT_EQ(ReadBytes(Hive()), bytes);
}

TEST_F(Registry, MovedFolderRewritesThePathsOnly)
{
    const auto old = temp / "old";
    temp.Write("etc/HKEY_LOCAL_MACHINE.ini", HandWrittenHive(old, VersionText()));
    const auto moved = temp / "moved";
    RegisterProgram(moved + "/kestrin");
    EXPECT_EQ(ReadBytes(Hive()), "[" + AppPaths + "]\n@=\"" + moved + "/kestrin\"\nPath=\"" +
                                     moved + "\"\n[" + OwnKey + "]\n@=\"" + moved +
                                     "\"\nCurrentVersion=" + VersionText() + "\n");
}

TEST_F(Registry, NewVersionRewritesTheVersionOnly)
{
    const auto bin = temp / "bin";
    temp.Write("etc/HKEY_LOCAL_MACHINE.ini", HandWrittenHive(bin, "0.99"));
    RegisterProgram(bin + "/kestrin");
    EXPECT_EQ(ReadBytes(Hive()), HandWrittenHive(bin, "\"" + VersionText() + "\""));
}

TEST_F(Registry, ProgramAtTheRootKeepsOneSeparator)
{
    RegisterProgram("/kestrin");
    EXPECT_EQ(RegReadString(AppPaths, ""), "/kestrin");
    EXPECT_EQ(RegReadString(AppPaths, "Path"), "/");
    EXPECT_EQ(RegReadString(OwnKey, ""), "/");
}

TEST_F(Registry, ValuesReadBackExactly)
{
    for (const std::string& text :
         std::vector<std::string>{"\"quoted\"", "  padded  ", "'single'", "a=b", "[x]", ";x", "\"",
                                  std::string(5000, 'v')})
    {
        EXPECT_EQ(RegWriteString(OwnKey, "Value", text), 0) << text;
        EXPECT_EQ(RegReadString(OwnKey, "Value"), text);
    }
    // An empty text where nothing is stored needs no write.
    EXPECT_EQ(RegWriteString(OwnKey, "Empty", ""), 0);
    EXPECT_EQ(RegReadString(OwnKey, "Empty", "none"), "none");

    // A line break cannot be stored; the hive stays as it was.
    const auto bytes = ReadBytes(Hive());
    EXPECT_NE(RegWriteString(OwnKey, "Value", "a\nb"), 0);
    EXPECT_EQ(ReadBytes(Hive()), bytes);
}

TEST_F(Registry, UnwritableMachineFolderFallsBackToTheUser)
{
    temp.Write("blocked", "a file where a folder would have to be");
    SetRegistryFolders(temp / "blocked/etc", temp / "user");
    EXPECT_EQ(RegistryHivePath(), temp / "user/HKEY_LOCAL_MACHINE.ini");
    RegisterProgram(temp / "bin/kestrin");
    EXPECT_EQ(RegReadString(OwnKey, "CurrentVersion"), VersionText());
    EXPECT_TRUE(fs::exists(temp / "user/HKEY_LOCAL_MACHINE.ini"));
}

TEST_F(Registry, UnwritableHiveIsSilent)
{
    temp.Write("blocked", "a file where a folder would have to be");
    SetRegistryFolders(temp / "blocked/etc", temp / "blocked/user");
    RegisterProgram(temp / "bin/kestrin");
    EXPECT_NE(RegWriteString(OwnKey, "CurrentVersion", "1.00"), 0);
    EXPECT_EQ(RegReadString(OwnKey, "CurrentVersion", "none"), "none");

    // A hive that is a folder reads as empty and takes no writes.
    SetRegistryFolders(temp / "etc", "");
    fs::create_directories(Hive());
    EXPECT_EQ(RegReadString(OwnKey, "CurrentVersion", "none"), "none");
    EXPECT_NE(RegWriteString(OwnKey, "CurrentVersion", "1.00"), 0);
    EXPECT_TRUE(fs::is_empty(Hive()));
    EXPECT_FALSE(IsWow64());
}
