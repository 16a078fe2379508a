// kestrin-cli as a user runs it: a real process, real files, answers on standard input.
#include "../support/TempFolder.h"
#include "CodePage.h"
#include "FileTraps.h"

#include <filesystem>
#include <gtest/gtest.h>

using KestrinTest::Native;
using KestrinTest::ReadBytes;
using KestrinTest::TempFolder;
namespace fs = std::filesystem;
using namespace std::string_literals;

namespace
{
struct Outcome
{
    int Status = -1;
    std::string Out;
    std::string Err;
};

Outcome RunCli(const TempFolder& temp, const std::vector<std::string>& arguments,
               const std::string& input = "")
{
    const auto in = temp.Write(".cli-in", input);
    const auto out = temp / ".cli-out";
    const auto err = temp / ".cli-err";
    Outcome outcome;
    // Relative paths are taken from the test's folder.
    outcome.Status =
        KestrinTest::RunProgram(Native(KESTRIN_CLI_PATH), arguments, temp.Path(), in, out, err);
    outcome.Out = ReadBytes(out);
    outcome.Err = ReadBytes(err);
#ifdef _WIN32
    // Messages end their lines in CR LF there, as consoles expect.
    for (auto* text : {&outcome.Out, &outcome.Err})
        for (auto at = text->find("\r\n"); at != std::string::npos; at = text->find("\r\n", at))
            text->erase(at, 1);
#endif
    fs::remove(in);
    fs::remove(out);
    fs::remove(err);
    return outcome;
}

std::vector<std::string> NamesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Kestrin::PathFromBytes(folder)))
        if (Kestrin::BytesFromPath(entry.path().filename()).rfind(".cli-", 0) != 0)
            names.push_back(Kestrin::BytesFromPath(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

using Names = std::vector<std::string>;
} // namespace

TEST(Cli, UsageErrorsExitWithTwo)
{
    TempFolder temp;
    temp.Write("s.txt", "a#b");
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"slice", "s.txt"},
        {"split", "s.txt"},
        {"split", "s.txt", "-d"},
        {"split", "s.txt", "-d", ""},
        {"split", "-d", "#"},
        {"split", "s.txt", "t.txt", "-d", "#"},
        {"split", "s.txt", "-d", "#", "--yes"},
        {"join", "s.txt"},
        {"join", "s.txt", "-t", "o", "--list"},
        {"count", "s.txt"},
        {"count", "split", "s.txt"},
    };
    for (const auto& arguments : cases)
    {
        const auto outcome = RunCli(temp, arguments);
        EXPECT_EQ(outcome.Status, 2) << testing::PrintToString(arguments);
        EXPECT_NE(outcome.Err.find("kestrin-cli: "), std::string::npos);
        EXPECT_EQ(outcome.Out, "");
    }
    EXPECT_EQ(NamesIn(temp.Path()), Names{"s.txt"});
}

TEST(Cli, HelpVersionAndCount)
{
    TempFolder temp;
    temp.Write("s.txt", "a--b---c--");
    temp.Write("empty.txt", "");
    temp.Write("list.txt", "a\nb\r\nc");
    temp.Write("one.txt", "a");
    temp.Write("stars.txt", "a*b?c*d");
    EXPECT_EQ(RunCli(temp, {"--version"}).Out, "kestrin-cli 1.13\n");
    const auto help = RunCli(temp, {"--help"});
    EXPECT_EQ(help.Status, 0);
    EXPECT_NE(help.Out.find("kestrin-cli split SOURCE"), std::string::npos);

    struct Case
    {
        std::vector<std::string> arguments;
        std::string printed;
    } cases[] = {
        // "-d" takes the next argument whatever it looks like.
        {{"count", "split", "s.txt", "-d", "--"}, "4\n"},
        {{"count", "split", "s.txt", "--delimiter", "---"}, "2\n"},
        {{"count", "split", "s.txt", "--delimiter=-"}, "8\n"},
        {{"count", "split", "s.txt", "-d", "zz"}, "0\n"},
        {{"count", "split", "empty.txt", "-d", "-"}, "0\n"},
        // Passed as typed, never expanded to file names.
        {{"count", "split", "stars.txt", "-d", "*"}, "3\n"},
        {{"count", "split", "stars.txt", "-d", "?"}, "2\n"},
#ifdef _WIN32
        {{"count", "join", "list.txt"}, "2\n"}, // lines end in CR LF only there
#else
        {{"count", "join", "list.txt"}, "3\n"},
#endif
        {{"count", "join", "one.txt"}, "0\n"},
    };
    for (const auto& c : cases)
    {
        const auto outcome = RunCli(temp, c.arguments);
        EXPECT_EQ(outcome.Status, 0) << outcome.Err;
        EXPECT_EQ(outcome.Out, c.printed) << testing::PrintToString(c.arguments);
    }
    const auto missing = RunCli(temp, {"count", "join", "nothing.txt"});
    EXPECT_EQ(missing.Status, 1);
    EXPECT_EQ(missing.Err, "kestrin-cli: nothing.txt: no such file\n");
}

TEST(Cli, SplitWritesWhatARunWrites)
{
    TempFolder temp;
#ifdef _WIN32
    // Quotation marks cannot be part of a name there; names are in the ANSI code page.
    const auto name = "my 'odd' n\xE4me.txt"s;
#else
    const auto name = "my \"odd\" n\xC3\xA4me.txt"s;
#endif
    temp.Write(name, "one\r\n-- \r\ntwo\0bin\xff\r\n-- \r\nthree\r\n"s);
    auto outcome = RunCli(temp, {"split", name, "-d", "-- ", "-t", "out", "--list"});
    EXPECT_EQ(outcome.Status, 0) << outcome.Err;
    const auto base = name.substr(0, name.size() - 4);
    EXPECT_EQ(NamesIn(temp / "out"),
              (Names{base + "_1.txt", base + "_2.txt", base + "_3.txt", base + "_List.txt"}));
    EXPECT_EQ(ReadBytes(temp / ("out/" + base + "_2.txt")), "\r\ntwo\0bin\xff"s);
    EXPECT_EQ(
        ReadBytes(temp / ("out/" + base + "_List.txt")),
        Native("out/" + base + "_1.txt\r\nout/" + base + "_2.txt\r\nout/" + base + "_3.txt\r\n"));

    temp.Write("book.txt", "Title A\nbody a\n\xff\xfe Title B\nbody b");
    outcome = RunCli(
        temp, {"split", "book.txt", "-d", "\n\xff\xfe", "--first-line", "-t", temp / "named"});
    EXPECT_EQ(outcome.Status, 0) << outcome.Err;
    EXPECT_EQ(NamesIn(temp / "named"), (Names{"Title A", "Title B"}));
    EXPECT_EQ(ReadBytes(temp / "named/Title B"), "body b");
}

TEST(Cli, OverwriteQuestionsAreAnsweredOnStandardInput)
{
    TempFolder temp;
    temp.Write("f.txt", "1#2#3#4");
    for (const char* n : {"1", "2", "3", "4"})
        temp.Write("out/f_"s + n + ".txt", "old");
    auto outcome = RunCli(temp, {"split", "f.txt", "-d", "#", "-t", "out"}, "y\nn\nc\n");
    EXPECT_EQ(outcome.Status, 0) << outcome.Err;
    EXPECT_EQ(ReadBytes(temp / "out/f_1.txt"), "1");
    EXPECT_EQ(ReadBytes(temp / "out/f_2.txt"), "old");
    EXPECT_EQ(ReadBytes(temp / "out/f_3.txt"), "old");
    EXPECT_EQ(ReadBytes(temp / "out/f_4.txt"), "old");
    EXPECT_NE(outcome.Err.find(Native("out/f_3.txt") +
                               "\nA file with this name already exists. Overwrite? [y/n/c]"),
              std::string::npos)
        << outcome.Err;

    // End of input counts as no.
    outcome = RunCli(temp, {"split", "f.txt", "-d", "#", "-t", "out"});
    EXPECT_EQ(outcome.Status, 0);
    EXPECT_EQ(ReadBytes(temp / "out/f_4.txt"), "old");
    outcome = RunCli(temp, {"split", "f.txt", "-d", "#", "-t", "out", "--silent"});
    EXPECT_EQ(outcome.Err, "");
    EXPECT_EQ(ReadBytes(temp / "out/f_4.txt"), "4");

    temp.Write("a.txt", "A");
    temp.Write("list.txt", "a.txt\r\na.txt\r\n");
    temp.Write("joined.txt", "old");
    outcome = RunCli(temp, {"join", "list.txt", "-t", "joined.txt", "-d", "##"}, "n\n");
    EXPECT_EQ(outcome.Status, 0);
    EXPECT_NE(outcome.Err.find("Overwrite? [y/n]"), std::string::npos);
    EXPECT_EQ(ReadBytes(temp / "joined.txt"), "old");
    outcome =
        RunCli(temp, {"join", "list.txt", "-t", "joined.txt", "-d", "##", "--yes", "--file-names"});
    EXPECT_EQ(outcome.Status, 0) << outcome.Err;
    EXPECT_EQ(ReadBytes(temp / "joined.txt"), "\r\n##a.txt\r\nA\r\n##a.txt\r\nA");
}

TEST(Cli, RefusesWhereStartWouldStayDisabledAndWritesNothing)
{
    TempFolder temp;
    temp.Write("s.txt", "no delimiter here");
    temp.Write("empty.txt", "");
    temp.Write("one.txt", "a.txt");
    fs::create_directory(temp / "folder");
    struct Case
    {
        std::vector<std::string> arguments;
        std::string message;
    } cases[] = {
        {{"split", "s.txt", "-d", "#"}, "s.txt: the delimiter does not occur"},
        {{"split", "empty.txt", "-d", "#"}, "empty.txt: the file is empty"},
        {{"split", "missing.txt", "-d", "#"}, "missing.txt: no such file"},
        {{"split", "folder", "-d", "#"}, "folder: is a folder"},
        {{"join", "one.txt", "-t", "out.txt"}, "one.txt: the list holds fewer than two lines"},
        {{"join", "one.txt", "-t", ""}, "the target file name is empty"},
    };
    for (const auto& c : cases)
    {
        const auto outcome = RunCli(temp, c.arguments);
        EXPECT_EQ(outcome.Status, 1) << c.message;
        EXPECT_NE(outcome.Err.find(c.message), std::string::npos) << outcome.Err;
        EXPECT_EQ(std::count(outcome.Err.begin(), outcome.Err.end(), '\n'), 1) << outcome.Err;
    }
    EXPECT_EQ(NamesIn(temp.Path()), (Names{"empty.txt", "folder", "one.txt", "s.txt"}));
}

TEST(Cli, FailuresNameTheFileAndTheReason)
{
    TempFolder temp;
    temp.Write("s.txt", "a#b");
    temp.Write("blocker", "in the way");
    auto outcome = RunCli(temp, {"split", "s.txt", "-d", "#", "-t", Native("blocker/sub")});
    EXPECT_EQ(outcome.Status, 1);
    EXPECT_EQ(outcome.Err, "kestrin-cli: blocker: Not a directory\n");
    EXPECT_EQ(ReadBytes(temp / "blocker"), "in the way");

    KestrinTest::SmallDisk disk(temp / "disk", "16k");
    if (!disk.Mounted())
        GTEST_SKIP() << "cannot mount a small file system here";
    temp.Write("big.txt", std::string(40000, 'x') + "#" + std::string(40000, 'y'));
    temp.Write("disk/big_1.txt", "existing");
    outcome = RunCli(temp, {"split", "big.txt", "-d", "#", "-t", "disk", "--silent"});
    EXPECT_EQ(outcome.Status, 1);
    EXPECT_EQ(outcome.Err,
              "kestrin-cli: " + Native("disk/big_1.txt") + ": No space left on device\n");
    EXPECT_EQ(ReadBytes(temp / "disk/big_1.txt"), "existing");
    EXPECT_EQ(NamesIn(temp / "disk"), Names{"big_1.txt"});
}
