// SPDX-License-Identifier: MIT
#include "common/Registration.h"

#include "common/Version.h"
#include "tests/support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include "common/platform/posix/RegistryHive.h"

#include <sys/stat.h>
#endif

using namespace Kestrin;
using KestrinTest::ReadBytes;
namespace fs = std::filesystem;

namespace
{
const std::string OwnKey = std::string("SOFTWARE\\") + CompanyName + "\\" + ProgramTitle;
const char* const NoHiveFile = "Windows keeps HKEY_LOCAL_MACHINE in its registry, not in a "
                               "file of ours that could be taken away";

#ifdef _WIN32
const std::string AppPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\kestrin.exe";

struct Stored
{
    DWORD Type = REG_NONE;
    std::string Text;
    bool operator==(const Stored& other) const { return Type == other.Type && Text == other.Text; }
};

void PrintTo(const Stored& value, std::ostream* out)
{
    *out << "type " << value.Type << " \"" << value.Text << "\"";
}

// The real registry (under Wine the test prefix's own). The program's keys are removed from
// both views before and after every test.
class Registry : public ::testing::Test
{
protected:
    void SetUp() override { RemoveKeys(); }
    void TearDown() override { RemoveKeys(); }

    static void RemoveKeys()
    {
        for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY})
            for (const auto& key : {AppPaths, OwnKey, std::string("SOFTWARE\\") + CompanyName})
                ::RegDeleteKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), view, 0);
    }

    // A value as the system stores it in one view; type REG_NONE when it is not there.
    static Stored Read(REGSAM view, const std::string& key, const std::string& name)
    {
        Stored stored;
        HKEY handle = nullptr;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE | view, &handle) !=
            ERROR_SUCCESS)
            return stored;
        char data[8192] = {};
        DWORD size = sizeof data - 1;
        if (::RegQueryValueExA(handle, name.c_str(), nullptr, &stored.Type,
                               reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS)
            stored.Text.assign(data, size > 0 && data[size - 1] == '\0' ? size - 1 : size);
        else
            stored.Type = REG_NONE;
        ::RegCloseKey(handle);
        return stored;
    }

    // Stored by hand as REG_EXPAND_SZ: a rewrite, even to the same text, makes it REG_SZ,
    // so the type shows which values were written.
    static void WriteByHand(const std::string& key, const std::string& name,
                            const std::string& text)
    {
        HKEY handle = nullptr;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0,
                                    KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &handle, nullptr),
                  ERROR_SUCCESS);
        ::RegSetValueExA(handle, name.c_str(), 0, REG_EXPAND_SZ,
                         reinterpret_cast<const BYTE*>(text.c_str()),
                         static_cast<DWORD>(text.size() + 1));
        ::RegCloseKey(handle);
    }
    void RegisteredByHand(const std::string& folder, const std::string& version)
    {
        WriteByHand(AppPaths, "", folder + "\\kestrin.exe");
        WriteByHand(AppPaths, "Path", folder);
        WriteByHand(OwnKey, "", folder);
        WriteByHand(OwnKey, "CurrentVersion", version);
    }
    static Stored Sz(const std::string& text) { return {REG_SZ, text}; }
    static Stored ByHand(const std::string& text) { return {REG_EXPAND_SZ, text}; }

    KestrinTest::TempFolder temp;
};
#else
ino_t InodeOf(const std::string& path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

const std::string AppPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\kestrin";

// Every test gets its own machine-wide folder, made as the package makes /var/lib/kestrin,
// and its own per-user folder.
class Registry : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fs::create_directories(temp / "state");
        SetRegistryFolders(temp / "state", temp / "user");
    }
    void TearDown() override { SetRegistryFolders("", ""); }
    std::string Hive() const { return temp / "state/HKEY_LOCAL_MACHINE.ini"; }

    // Values written by hand without quotation marks: a rewrite, even to the same text,
    // would put them in quotation marks, so the file shows which values were written.
    std::string HandWrittenHive(const std::string& folder, const std::string& version) const
    {
        return "[" + AppPaths + "]\n@=" + folder + "/kestrin\nPath=" + folder + "\n[" + OwnKey +
               "]\n@=" + folder + "\nCurrentVersion=" + version + "\n";
    }

    KestrinTest::TempFolder temp;
};
#endif
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

#ifdef _WIN32
TEST_F(Registry, FirstRegistrationWritesTheFourValuesInTheSystemsOwnView)
{
    // A folder name with a byte of the ANSI code page beyond ASCII is stored as it is.
    const auto bin = temp / "bin \xE4";
    RegisterProgram(bin + "\\kestrin.exe");
    EXPECT_EQ(Read(KEY_WOW64_64KEY, AppPaths, ""), Sz(bin + "\\kestrin.exe"));
    EXPECT_EQ(Read(KEY_WOW64_64KEY, AppPaths, "Path"), Sz(bin));
    EXPECT_EQ(Read(KEY_WOW64_64KEY, OwnKey, ""), Sz(bin));
    EXPECT_EQ(Read(KEY_WOW64_64KEY, OwnKey, "CurrentVersion"), Sz(VersionText()));
    // The 64-bit view is where the system looks; the 32-bit view (WOW6432Node) is left
    // alone. (Wine shares the App Paths key between the views, so only our own key shows.)
    EXPECT_EQ(Read(KEY_WOW64_32KEY, OwnKey, "CurrentVersion"), Stored{});
    EXPECT_EQ(RegReadString(OwnKey, "CurrentVersion"), VersionText());
    // Key paths and value names are matched without regard to case.
    EXPECT_EQ(RegReadString("software\\" + std::string(CompanyName) + "\\KESTRIN", "path", "-"),
              "-");
    EXPECT_EQ(RegReadString("software\\" + std::string(CompanyName) + "\\KESTRIN", ""), bin);
}

TEST_F(Registry, OnlyWhatDiffersIsRewritten)
{
    const auto bin = temp / "bin";
    const auto moved = temp / "moved";
    // A second start from the same folder with the same version writes nothing.
    RegisteredByHand(bin, VersionText());
    RegisterProgram(temp / "bin\\..\\bin\\kestrin.exe");
    EXPECT_EQ(Read(KEY_WOW64_64KEY, AppPaths, ""), ByHand(bin + "\\kestrin.exe"));
    EXPECT_EQ(Read(KEY_WOW64_64KEY, AppPaths, "Path"), ByHand(bin));
    EXPECT_EQ(Read(KEY_WOW64_64KEY, OwnKey, ""), ByHand(bin));
    EXPECT_EQ(Read(KEY_WOW64_64KEY, OwnKey, "CurrentVersion"), ByHand(VersionText()));

    // The folder moved: the paths only.
    RegisterProgram(moved + "\\kestrin.exe");
    EXPECT_EQ(Read(KEY_WOW64_64KEY, AppPaths, ""), Sz(moved + "\\kestrin.exe"));
    EXPECT_EQ(Read(KEY_WOW64_64KEY, AppPaths, "Path"), Sz(moved));
    EXPECT_EQ(Read(KEY_WOW64_64KEY, OwnKey, ""), Sz(moved));
    EXPECT_EQ(Read(KEY_WOW64_64KEY, OwnKey, "CurrentVersion"), ByHand(VersionText()));

    // A new version in the same folder: the version only.
    RegisteredByHand(bin, "0.99");
    RegisterProgram(bin + "\\kestrin.exe");
    EXPECT_EQ(Read(KEY_WOW64_64KEY, AppPaths, "Path"), ByHand(bin));
    EXPECT_EQ(Read(KEY_WOW64_64KEY, OwnKey, "CurrentVersion"), Sz(VersionText()));
}

TEST_F(Registry, ProgramAtTheRootKeepsOneSeparator)
{
    RegisterProgram("C:\\kestrin.exe");
    EXPECT_EQ(RegReadString(AppPaths, ""), "C:\\kestrin.exe");
    EXPECT_EQ(RegReadString(AppPaths, "Path"), "C:\\");
    EXPECT_EQ(RegReadString(OwnKey, ""), "C:\\");
}

TEST_F(Registry, ValuesReadBackExactly)
{
    for (const std::string& text : std::vector<std::string>{
             "\"quoted\"", "  padded  ", "a=b", "a\nb", "\xE4\x80", std::string(5000, 'v')})
    {
        EXPECT_EQ(RegWriteString(OwnKey, "Value", text), 0) << text;
        EXPECT_EQ(RegReadString(OwnKey, "Value"), text);
    }
    // An empty text where nothing is stored needs no write; over a text it is stored empty.
    EXPECT_EQ(RegWriteString(OwnKey, "Empty", ""), 0);
    EXPECT_EQ(RegReadString(OwnKey, "Empty", "none"), "none");
    EXPECT_EQ(RegWriteString(OwnKey, "Value", ""), 0);
    EXPECT_EQ(Read(KEY_WOW64_64KEY, OwnKey, "Value"), Sz(""));
    EXPECT_EQ(RegReadString(OwnKey, "Value", "none"), "");
    // A key that cannot be made reports the system's code and stays silent.
    EXPECT_NE(RegWriteString(std::string(300, 'k'), "Value", "x"), 0);
    EXPECT_EQ(RegReadString(std::string(300, 'k'), "Value", "none"), "none");
}

TEST_F(Registry, Wow64IsAskedOfTheSystemAtRunTime)
{
    using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
    const auto function = reinterpret_cast<IsWow64ProcessFunction>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleA("kernel32"), "IsWow64Process")));
    ASSERT_NE(function, nullptr);
    BOOL wow64 = TRUE;
    ASSERT_TRUE(function(::GetCurrentProcess(), &wow64));
    EXPECT_EQ(IsWow64(), wow64 != FALSE);
}

#else
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
    temp.Write("state/HKEY_LOCAL_MACHINE.ini", HandWrittenHive(old, VersionText()));
    const auto moved = temp / "moved";
    RegisterProgram(moved + "/kestrin");
    EXPECT_EQ(ReadBytes(Hive()), "[" + AppPaths + "]\n@=\"" + moved + "/kestrin\"\nPath=\"" +
                                     moved + "\"\n[" + OwnKey + "]\n@=\"" + moved +
                                     "\"\nCurrentVersion=" + VersionText() + "\n");
}

TEST_F(Registry, NewVersionRewritesTheVersionOnly)
{
    const auto bin = temp / "bin";
    temp.Write("state/HKEY_LOCAL_MACHINE.ini", HandWrittenHive(bin, "0.99"));
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

#endif

TEST_F(Registry, UnwritableMachineFolderFallsBackToTheUser)
{
#ifdef _WIN32
    GTEST_SKIP() << NoHiveFile;
#else
    temp.Write("blocked", "a file where a folder would have to be");
    SetRegistryFolders(temp / "blocked/state", temp / "user");
    EXPECT_EQ(RegistryHivePath(), temp / "user/HKEY_LOCAL_MACHINE.ini");
    RegisterProgram(temp / "bin/kestrin");
    EXPECT_EQ(RegReadString(OwnKey, "CurrentVersion"), VersionText());
    EXPECT_TRUE(fs::exists(temp / "user/HKEY_LOCAL_MACHINE.ini"));
#endif
}

// The machine-wide folder belongs to the package: where it is missing the record goes to the
// user's folder, and the program creates nothing in its place, even where it could (root).
// Its usual place is machine state, never the configuration under /etc.
TEST_F(Registry, AMissingMachineFolderIsNotCreated)
{
#ifdef _WIN32
    GTEST_SKIP() << NoHiveFile;
#else
    SetRegistryFolders(temp / "var/lib/kestrin", temp / "user");
    RegisterProgram(temp / "bin/kestrin");
    EXPECT_FALSE(fs::exists(temp / "var"));
    EXPECT_EQ(RegistryHivePath(), temp / "user/HKEY_LOCAL_MACHINE.ini");
    EXPECT_EQ(RegReadString(OwnKey, "CurrentVersion"), VersionText());
    SetRegistryFolders("", temp / "user");
    EXPECT_EQ(std::string(MachineStateFolder).rfind("/etc", 0), std::string::npos);
    EXPECT_NE(RegistryHivePath().rfind("/etc/", 0), 0u);
#endif
}

TEST_F(Registry, UnwritableHiveIsSilent)
{
#ifdef _WIN32
    GTEST_SKIP() << NoHiveFile;
#else
    temp.Write("blocked", "a file where a folder would have to be");
    SetRegistryFolders(temp / "blocked/state", temp / "blocked/user");
    RegisterProgram(temp / "bin/kestrin");
    EXPECT_NE(RegWriteString(OwnKey, "CurrentVersion", "1.00"), 0);
    EXPECT_EQ(RegReadString(OwnKey, "CurrentVersion", "none"), "none");

    // A hive that is a folder reads as empty and takes no writes.
    SetRegistryFolders(temp / "state", "");
    fs::create_directories(Hive());
    EXPECT_EQ(RegReadString(OwnKey, "CurrentVersion", "none"), "none");
    EXPECT_NE(RegWriteString(OwnKey, "CurrentVersion", "1.00"), 0);
    EXPECT_TRUE(fs::is_empty(Hive()));
    EXPECT_FALSE(IsWow64());
#endif
}
