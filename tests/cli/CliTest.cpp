// kestrin-cli as a user runs it: a real process, real files, answers on standard input.
#include "../common/FileTraps.h"
#include "../support/TempFolder.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

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
    const pid_t child = ::fork();
    if (child == 0)
    {
        // Relative paths are taken from the test's folder.
        if (::chdir(temp.Path().c_str()) != 0)
            ::_exit(127);
        ::dup2(::open(in.c_str(), O_RDONLY), 0);
        ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
        ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
        std::vector<char*> argv;
        std::string program = KESTRIN_CLI_PATH;
        argv.push_back(program.data());
        std::vector<std::string> copies = arguments;
        for (auto& argument : copies)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    Outcome outcome;
    outcome.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.Out = ReadBytes(out);
    outcome.Err = ReadBytes(err);
    fs::remove(in);
    fs::remove(out);
    fs::remove(err);
    return outcome;
}

std::vector<std::string> NamesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().rfind(".cli-", 0) != 0)
            names.push_back(entry.path().filename().string());
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
        {{"count", "join", "list.txt"}, "3\n"},
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
    const auto name = "my \"odd\" n\xC3\xA4me.txt"s;
    temp.Write(name, "one\r\n-- \r\ntwo\0bin\xff\r\n-- \r\nthree\r\n"s);
    auto outcome = RunCli(temp, {"split", name, "-d", "-- ", "-t", "out", "--list"});
    EXPECT_EQ(outcome.Status, 0) << outcome.Err;
    const auto base = "my \"odd\" n\xC3\xA4me"s;
    EXPECT_EQ(NamesIn(temp / "out"),
              (Names{base + "_1.txt", base + "_2.txt", base + "_3.txt", base + "_List.txt"}));
    EXPECT_EQ(ReadBytes(temp / ("out/" + base + "_2.txt")), "\r\ntwo\0bin\xff"s);
    EXPECT_EQ(ReadBytes(temp / ("out/" + base + "_List.txt")),
              "out/" + base + "_1.txt\r\nout/" + base + "_2.txt\r\nout/" + base + "_3.txt\r\n");

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
    EXPECT_NE(
        outcome.Err.find("out/f_3.txt\nA file with this name already exists. Overwrite? [y/n/c]"),
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
    temp.Write("list.txt", "a.txt\na.txt\n");
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
    auto outcome = RunCli(temp, {"split", "s.txt", "-d", "#", "-t", "blocker/sub"});
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
    EXPECT_EQ(outcome.Err, "kestrin-cli: disk/big_1.txt: No space left on device\n");
    EXPECT_EQ(ReadBytes(temp / "disk/big_1.txt"), "existing");
    EXPECT_EQ(NamesIn(temp / "disk"), Names{"big_1.txt"});
}
