// SPDX-License-Identifier: MIT
// kestrin-cli as a user runs it: a real process, real files, answers on standard input.
#include "cli/TerminalHost.h"
#include "common/CodePage.h"
#include "tests/support/FileTraps.h"
#include "tests/support/TempFolder.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <iostream>
#include <sstream>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

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

#ifndef _WIN32
// Starts kestrin-cli in the test's folder (relative paths are taken from there) with
// standard input from `input` (a descriptor), standard output into `out`, errors into `err`.
pid_t StartCli(const TempFolder& temp, const std::vector<std::string>& arguments, int input,
               const std::string& out, const std::string& err)
{
    const pid_t child = ::fork();
    if (child == 0)
    {
        if (::chdir(temp.Path().c_str()) != 0)
            ::_exit(127);
        ::dup2(input, 0);
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
    return child;
}

int ExitStatus(int status)
{
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
#endif

// Runs kestrin-cli in the test's folder (relative paths are taken from there).
Outcome RunCli(const TempFolder& temp, const std::vector<std::string>& arguments,
               const std::string& input = "", std::string out = "")
{
    const auto in = temp.Write(".cli-in", input);
    const bool ownOut = out.empty();
    if (ownOut)
        out = temp / ".cli-out";
    const auto err = temp / ".cli-err";
    Outcome outcome;
    outcome.Status =
        KestrinTest::RunProgram(Native(KESTRIN_CLI_PATH), arguments, temp.Path(), in, out, err);
    outcome.Err = ReadBytes(err);
    fs::remove(in);
    fs::remove(err);
    if (ownOut)
    {
        outcome.Out = ReadBytes(out);
        fs::remove(out);
    }
#ifdef _WIN32
    // Messages end their lines in CR LF there, as consoles expect; standard output carries
    // bytes as they are.
    for (auto at = outcome.Err.find("\r\n"); at != std::string::npos;
         at = outcome.Err.find("\r\n", at))
        outcome.Err.erase(at, 1);
#endif
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
        {"split", "s.txt", "-e", "-d", "\\q"},
        {"split", "s.txt", "-e", "-d", "\\x4"},
        {"split", "s.txt", "-e", "-d", "a\\"},
        {"split", "s.txt", "-d", "#", "-x"},
        {"split", "s.txt", "-d", "#", "--file-names"},
        {"split", "s.txt", "-d", "#", "-t", "-"},
        {"count", "join", "s.txt", "-d", "#"},
    };
    const std::string tryHelp = "Try 'kestrin-cli --help' for more information.\n";
    for (const auto& arguments : cases)
    {
        const auto outcome = RunCli(temp, arguments);
        EXPECT_EQ(outcome.Status, 2) << testing::PrintToString(arguments);
        EXPECT_EQ(outcome.Err.rfind("kestrin-cli: ", 0), 0u) << outcome.Err;
        EXPECT_EQ(outcome.Err.substr(outcome.Err.find('\n') + 1), tryHelp) << outcome.Err;
        EXPECT_EQ(outcome.Out, "");
    }
    // As getopt's users know them.
    const std::pair<std::vector<std::string>, std::string> worded[] = {
        {{"--bogus"}, "unrecognized option '--bogus'"},
        {{"split", "s.txt", "-d", "#", "--bogus=1"}, "unrecognized option '--bogus=1'"},
        {{"split", "s.txt", "-d", "#", "-x"}, "invalid option -- 'x'"},
        {{"split", "s.txt", "-d"}, "option requires an argument -- 'd'"},
        {{"split", "s.txt", "--delimiter"}, "option '--delimiter' requires an argument"},
        {{"split", "s.txt", "-d", "#", "--n"},
         "option '--n' is ambiguous; possibilities: '--no-clobber' '--name' '--number-repeated'"},
        {{"split", "s.txt", "-d", "#", "--list=yes"}, "option '--list' doesn't allow an argument"},
        {{"join", "s.txt", "-t", "o", "--list"}, "option '--list' is not for join"},
    };
    for (const auto& [arguments, message] : worded)
    {
        const auto outcome = RunCli(temp, arguments);
        EXPECT_EQ(outcome.Status, 2) << message;
        EXPECT_EQ(outcome.Err, "kestrin-cli: " + message + "\n" + tryHelp);
    }
    EXPECT_EQ(NamesIn(temp.Path()), Names{"s.txt"});

    // Options before the command are the command's as well.
    const auto before = RunCli(temp, {"-v", "split", "s.txt", "-d", "#", "-t", "out"});
    EXPECT_EQ(before.Status, 0) << before.Err;
    EXPECT_EQ(before.Out, Native("out/s_1.txt\nout/s_2.txt\n"));
    EXPECT_EQ(RunCli(temp, {"-d", "#", "count", "split", "s.txt"}).Out, "2\n");
    EXPECT_EQ(RunCli(temp, {"--list", "count", "split", "s.txt", "-d", "#"}).Status, 2);
}

TEST(Cli, HelpVersionAndCount)
{
    TempFolder temp;
    temp.Write("s.txt", "a--b---c--");
    temp.Write("empty.txt", "");
    temp.Write("list.txt", "a\nb\r\nc");
    temp.Write("one.txt", "a");
    temp.Write("stars.txt", "a*b?c*d");
    temp.Write("fortunes.txt", "one\n%\ntwo\tlines\n%\nthree\n");
    const auto version = RunCli(temp, {"--version"}).Out;
    EXPECT_EQ(version.substr(0, version.find('\n')), "kestrin-cli (Kestrin) 1.13.0");
    EXPECT_NE(version.find("License MIT"), std::string::npos);
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
#ifdef _WIN32
        {{"count", "join", "list.txt"}, "2\n"}, // lines end in CR LF only there
#else
        {{"count", "join", "list.txt"}, "3\n"},
#endif
        // Passed as typed, never expanded to file names.
        {{"count", "split", "stars.txt", "-d", "*"}, "3\n"},
        {{"count", "split", "stars.txt", "-d", "?"}, "2\n"},
        {{"count", "join", "one.txt"}, "0\n"},
        // GNU forms: attached values, abbreviated long names, options behind the operand.
        {{"count", "split", "-d---", "s.txt"}, "2\n"},
        {{"count", "split", "s.txt", "--delim=--"}, "4\n"},
        {{"count", "split", "-d", "-", "--", "s.txt"}, "8\n"},
        // Escapes only with -e, wherever it stands.
        {{"count", "split", "fortunes.txt", "-e", "-d", "\\n%\\n"}, "3\n"},
        {{"count", "split", "fortunes.txt", "-d", "\\n%\\n"}, "0\n"},
        {{"count", "split", "-d", "\\x25", "fortunes.txt", "--escapes"}, "3\n"},
        {{"count", "split", "fortunes.txt", "-ed", "\\t"}, "2\n"},
        // Standard input, counted as it comes.
        {{"count", "split", "-", "-d", "%"}, "3\n"},
#ifdef _WIN32
        {{"count", "join", "-"}, "0\n"}, // no CR LF in it
#else
        {{"count", "join", "-"}, "3\n"},
#endif
    };
    for (const auto& c : cases)
    {
        const auto outcome = RunCli(temp, c.arguments, "a%b\n%c\nd");
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
    // A relative target gives lines relative to the list's folder, where the join looks.
    EXPECT_EQ(ReadBytes(temp / ("out/" + base + "_List.txt")),
              base + "_1.txt\r\n" + base + "_2.txt\r\n" + base + "_3.txt\r\n");

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
    EXPECT_EQ(outcome.Status, 3) << outcome.Err; // cancelled by the user
    EXPECT_EQ(ReadBytes(temp / "out/f_1.txt"), "1");
    EXPECT_EQ(ReadBytes(temp / "out/f_2.txt"), "old");
    EXPECT_EQ(ReadBytes(temp / "out/f_3.txt"), "old");
    EXPECT_EQ(ReadBytes(temp / "out/f_4.txt"), "old");
    EXPECT_NE(outcome.Err.find(Native("out/f_3.txt") +
                               "\nA file with this name already exists. Overwrite? [y/n/a/c]"),
              std::string::npos)
        << outcome.Err;

    // End of input counts as no, and the questions nobody answers are not shown: one line
    // at the end counts the files kept, and the status says that not everything was written.
    const std::pair<std::string, std::string> unanswered[] = {
        {"", "4 existing files kept"},
        {"n\n", "3 existing files kept"},
        {"y\ny\nn\n", "1 existing file kept"},
    };
    for (const auto& [answers, kept] : unanswered)
    {
        outcome = RunCli(temp, {"split", "f.txt", "-d", "#", "-t", "out"}, answers);
        EXPECT_EQ(outcome.Status, 5) << answers;
        const std::string them = kept[0] == '1' ? "it" : "them";
        const auto summary = "kestrin-cli: " + kept + "; use --force to replace " + them +
                             " or --no-clobber to keep " + them + " quietly\n";
        ASSERT_GE(outcome.Err.size(), summary.size()) << outcome.Err;
        EXPECT_EQ(outcome.Err.substr(outcome.Err.size() - summary.size()), summary);
        // The questions answered, then the summary.
        EXPECT_EQ(std::count(outcome.Err.begin(), outcome.Err.end(), '\n'),
                  std::count(answers.begin(), answers.end(), '\n') * 2 + 1)
            << outcome.Err;
        EXPECT_EQ(ReadBytes(temp / "out/f_4.txt"), "old");
    }
    outcome = RunCli(temp, {"split", "f.txt", "-d", "#", "-t", "out", "--silent"});
    EXPECT_EQ(outcome.Err, "");
    EXPECT_EQ(ReadBytes(temp / "out/f_4.txt"), "4");

    temp.Write("a.txt", "A");
    temp.Write("list.txt", "a.txt\r\na.txt\r\n");
    temp.Write("joined.txt", "old");
    outcome = RunCli(temp, {"join", "list.txt", "-t", "joined.txt", "-d", "##"});
    EXPECT_EQ(outcome.Status, 5);
    EXPECT_EQ(outcome.Err, "kestrin-cli: 1 existing file kept; use --yes to replace it\n");
    outcome = RunCli(temp, {"join", "list.txt", "-t", "joined.txt", "-d", "##"}, "n\n");
    EXPECT_EQ(outcome.Status, 3);
    EXPECT_NE(outcome.Err.find("Overwrite? [y/n]"), std::string::npos);
    EXPECT_EQ(ReadBytes(temp / "joined.txt"), "old");
    outcome =
        RunCli(temp, {"join", "list.txt", "-t", "joined.txt", "-d", "##", "--yes", "--file-names"});
    EXPECT_EQ(outcome.Status, 0) << outcome.Err;
    EXPECT_EQ(ReadBytes(temp / "joined.txt"), "\r\n##a.txt\r\nA\r\n##a.txt\r\nA");
}

TEST(Cli, AFragmentNamedLikeAnEarlierOneIsNeverLostSilently)
{
    // The README's build log (two "Starting: Build" steps, the error in the second) and a
    // multi-document YAML file whose documents all start alike.
    TempFolder temp;
    temp.Write("build.log", "##[section]Starting: Build\nok\n##[section]Starting: Tests\npass\n"
                            "##[section]Starting: Build\nERROR: broken\n");
    temp.Write("all.yaml", "kind: A\na: 1\n---\nkind: A\na: 2\n---\nkind: A\na: 3\n");
    const std::vector<std::string> buildLog = {"split",        "build.log", "-d", "##[section]",
                                               "--first-line", "--list",    "-t", "steps"};
    const std::vector<std::string> yaml = {"split",        "all.yaml", "-d",  "---\n",
                                           "--first-line", "-t",       "docs"};
    const std::string notWritten = "not written: an earlier fragment of this run has its name; "
                                   "--number-repeated numbers such names\n";
    struct Case
    {
        std::vector<std::string> arguments;
        std::string option;
        std::string answers;
        int status;
        std::string err; // "@" stands for the target folder and a separator
        Names files;
        std::string file; // this one
        std::string holds;
    } cases[] = {
        // Without an answer: the earlier fragment stays, each fragment not written is named.
        {buildLog,
         "--force",
         "",
         5,
         "kestrin-cli: @Starting_ Build: fragment 4 " + notWritten,
         {"Starting_ Build", "Starting_ Tests", "build_List.log"},
         "Starting_ Build",
         "ok"},
        {yaml,
         "-f",
         "",
         5,
         "kestrin-cli: @kind_ A: fragment 2 " + notWritten + "kestrin-cli: @kind_ A: fragment 3 " +
             notWritten,
         {"kind_ A"},
         "kind_ A",
         "a: 1"},
        {yaml,
         "-n",
         "",
         5,
         "kestrin-cli: @kind_ A: fragment 2 " + notWritten + "kestrin-cli: @kind_ A: fragment 3 " +
             notWritten,
         {"kind_ A"},
         "kind_ A",
         "a: 1"},
        // Asked, and answered.
        {yaml, "-f", "n\ny\n", 0, "", {"kind_ A"}, "kind_ A", "a: 3"},
        // Numbered apart, and listed as such.
        {buildLog,
         "--number-repeated",
         "",
         0,
         "",
         {"Starting_ Build", "Starting_ Build_2", "Starting_ Tests", "build_List.log"},
         "Starting_ Build_2",
         "ERROR: broken"},
        {yaml,
         "--number-repeated",
         "",
         0,
         "",
         {"kind_ A", "kind_ A_2", "kind_ A_3"},
         "kind_ A_3",
         "a: 3"},
    };
    for (const auto& c : cases)
    {
        const std::string folder = c.arguments.back();
        fs::remove_all(temp / folder);
        auto arguments = c.arguments;
        arguments.push_back(c.option);
        const auto outcome = RunCli(temp, arguments, c.answers);
        const auto what = testing::PrintToString(arguments) + c.answers;
        EXPECT_EQ(outcome.Status, c.status) << what << outcome.Err;
        std::string err = c.err;
        for (std::size_t at; (at = err.find('@')) != std::string::npos;)
            err.replace(at, 1, Native(folder + "/"));
        if (c.answers.empty())
        {
            EXPECT_EQ(outcome.Err, err) << what;
        }
        EXPECT_EQ(NamesIn(temp / folder), c.files) << what;
        EXPECT_EQ(ReadBytes(temp / (folder + "/" + c.file)), c.holds) << what;
    }
    EXPECT_EQ(ReadBytes(temp / "steps/build_List.log"),
              "Starting_ Build\r\nStarting_ Tests\r\nStarting_ Build_2\r\n");
}

TEST(Cli, RefusesWhereStartWouldStayDisabledAndWritesNothing)
{
    TempFolder temp;
    temp.Write("s.txt", "no delimiter here");
    temp.Write("empty.txt", "");
    temp.Write("one.txt", "a.txt");
    fs::create_directory(temp / "folder");
    const bool pipe = KestrinTest::MakeFifo(temp / "pipe");
    struct Case
    {
        std::vector<std::string> arguments;
        int status;
        std::string message;
    } cases[] = {
        {{"split", "s.txt", "-d", "#"}, 4, "s.txt: the delimiter does not occur"},
        {{"split", "empty.txt", "-d", "#"}, 4, "empty.txt: the file is empty"},
        {{"split", "missing.txt", "-d", "#"}, 1, "missing.txt: no such file"},
        {{"split", "folder", "-d", "#"}, 1, "folder: is a folder"},
        {{"split", "pipe", "-d", "#"}, 1, "pipe: not a regular file"},
        {{"count", "split", "pipe", "-d", "#"}, 1, "pipe: not a regular file"},
#ifdef _WIN32
        // A device in every folder.
        {{"count", "join", "NUL"}, 1, "NUL: not a regular file"},
        {{"split", "nul.txt", "-d", "#"}, 1, "nul.txt: not a regular file"},
#else
        // Its reported length is 0, yet it has bytes: no run could read them.
        {{"count", "join", "/proc/self/status"}, 1, "/proc/self/status: not a regular file"},
#endif
        {{"join", "one.txt", "-t", "out.txt"}, 4, "one.txt: the list holds fewer than two lines"},
        {{"join", "one.txt", "-t", ""}, 2, "the target file name is empty"},
    };
    for (const auto& c : cases)
    {
        if (!pipe && c.message.find("pipe") != std::string::npos)
            continue;
        const auto outcome = RunCli(temp, c.arguments);
        EXPECT_EQ(outcome.Status, c.status) << c.message;
        EXPECT_NE(outcome.Err.find(c.message), std::string::npos) << outcome.Err;
        EXPECT_EQ(std::count(outcome.Err.begin(), outcome.Err.end(), '\n'), 1) << outcome.Err;
    }
    fs::remove(temp / "pipe");
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
    EXPECT_EQ(outcome.Err, "kestrin-cli: disk/big_1.txt: No space left on device\n");
    EXPECT_EQ(ReadBytes(temp / "disk/big_1.txt"), "existing");
    EXPECT_EQ(NamesIn(temp / "disk"), Names{"big_1.txt"});
}

TEST(Cli, JoinRefusesATargetThatIsNotARegularFile)
{
    TempFolder temp;
    temp.Write("a.txt", "A");
    temp.Write("list.txt", "a.txt\r\na.txt\r\n");
    for (const auto& c : KestrinTest::NotFiles())
    {
        if (!c.Make(temp / c.Name))
        {
            std::cout << "skipped " << c.Name << ": the system refuses to make it here\n";
            continue;
        }
        const auto outcome = RunCli(temp, {"join", "list.txt", "-t", temp / c.Name, "--yes"});
        EXPECT_EQ(outcome.Status, 1) << c.Name;
        EXPECT_NE(outcome.Err.find("not a regular file"), std::string::npos) << outcome.Err;
        EXPECT_EQ(KestrinTest::KindOf(temp / c.Name), c.Kind);
    }
}

TEST(Cli, AListWrittenWithARelativeTargetJoinsBack)
{
    TempFolder temp;
    temp.Write("big.txt", "one#two#three");
    auto outcome = RunCli(temp, {"split", "big.txt", "-d", "#", "-t", "outB", "--list"});
    ASSERT_EQ(outcome.Status, 0) << outcome.Err;
    outcome = RunCli(temp, {"join", Native("outB/big_List.txt"), "-t", "joined.txt", "-d", "#"});
    EXPECT_EQ(outcome.Status, 0) << outcome.Err;
    EXPECT_EQ(ReadBytes(temp / "joined.txt"), "\r\n#one\r\n#two\r\n#three");
    // The same list found from another folder.
    outcome = RunCli(temp, {"join", temp / "outB/big_List.txt", "-t", Native("outB/again.txt")});
    EXPECT_EQ(outcome.Status, 0) << outcome.Err;
    EXPECT_EQ(ReadBytes(temp / "outB/again.txt"), "\r\none\r\ntwo\r\nthree");
}

TEST(Cli, AJoinThatFindsNoListedFileSaysSoAndKeepsTheTarget)
{
    TempFolder temp;
    temp.Write("list.txt", "gone1.txt\r\ngone2.txt\r\n");
    temp.Write("joined.txt", "old");
    const auto outcome = RunCli(temp, {"join", "list.txt", "-t", "joined.txt", "--yes"});
    EXPECT_EQ(outcome.Status, 4);
    EXPECT_NE(outcome.Err.find("none of the listed files"), std::string::npos) << outcome.Err;
    EXPECT_EQ(ReadBytes(temp / "joined.txt"), "old");
}

TEST(Cli, WritingErrorsOnStandardOutputAreFailures)
{
    KESTRIN_SKIP_ON_WINDOWS("Windows has no device that is always full, like /dev/full");
    TempFolder temp;
    temp.Write("s.txt", "a#b");
    temp.Write("big.txt", std::string(1 << 20, 'b'));
    temp.Write("list.txt", "big.txt\nbig.txt\n");
    const std::vector<std::vector<std::string>> cases = {
        {"--help"},
        {"--version"},
        {"count", "split", "s.txt", "-d", "#"},
        {"join", "list.txt", "-t", "-"},
        {"split", "s.txt", "-d", "#", "-t", "out", "--dry-run"},
    };
    for (const auto& arguments : cases)
    {
        const auto outcome = RunCli(temp, arguments, "", "/dev/full");
        EXPECT_EQ(outcome.Status, 1) << testing::PrintToString(arguments);
        // The reason of the write that failed, not that of some later call.
        EXPECT_EQ(outcome.Err,
                  "kestrin-cli: standard output: " + std::string(std::strerror(ENOSPC)) + "\n");
    }
}

TEST(Cli, PipesOnBothSides)
{
    KESTRIN_SKIP_ON_WINDOWS("the shell pipelines of this test are POSIX ones");
    TempFolder temp;
    temp.Write("big.txt", std::string(1 << 20, 'b'));
    temp.Write("list.txt", "big.txt\nbig.txt\n");
    temp.Write("out/fortunes_1.txt", "old");
    std::string many;
    for (int i = 0; i < 200000; ++i)
        many += "x|";
    temp.Write("many.txt", many);
    const std::string cli = KESTRIN_CLI_PATH;
    struct Case
    {
        std::string pipeline; // $1 is kestrin-cli; prints its exit status last
        std::string printed;
    } cases[] = {
        // Read once from a real pipe, fragments named after --name; setsid: no terminal to
        // answer on (the source takes standard input), so existing files stay.
        {"printf 'one\\n%%\\ntwo\\n%%\\nthree' | setsid -w \"$1\" split - -e -d '\\n%\\n' -t out "
         "--name fortunes.txt --list -v; echo $?",
         "out/fortunes_2.txt\nout/fortunes_3.txt\n5\n"},
        {"printf 'x#y' | setsid -w \"$1\" split - -d '#' -t out --name fortunes.txt 2>/dev/null; "
         "echo $?",
         "5\n"},
        // A reader that goes away early ends the run quietly, as for a command that a
        // broken pipe ends (128 + SIGPIPE), with nothing said about it.
        {"\"$1\" join list.txt -t - 2>err | head -c 0; echo ${PIPESTATUS[0]}; cat err", "141\n"},
        {"\"$1\" split many.txt -d '|' --dry-run 2>err | head -1; echo ${PIPESTATUS[0]}; cat err",
         "many_000001.txt\n141\n"},
        {"\"$1\" split many.txt -d '|' -t many -v 2>err | head -1; echo ${PIPESTATUS[0]}; cat err",
         "many/many_000001.txt\n141\n"},
        {"printf 'a,b,c' | \"$1\" count split - -d ,", "3\n"},
    };
    for (const auto& c : cases)
    {
        const std::string script = temp / ".cli-script";
        temp.Write(".cli-script", "cd '" + temp.Path() + "' && " + c.pipeline);
        FILE* shell = ::popen(("bash " + script + " '" + cli + "'").c_str(), "r");
        ASSERT_NE(shell, nullptr);
        std::string printed;
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, shell))
            printed += buffer;
        ::pclose(shell);
        EXPECT_EQ(printed, c.printed) << c.pipeline;
    }
    EXPECT_EQ(ReadBytes(temp / "out/fortunes_1.txt"), "old");
    EXPECT_EQ(ReadBytes(temp / "out/fortunes_3.txt"), "three");
    EXPECT_EQ(ReadBytes(temp / "out/fortunes_List.txt"),
              "fortunes_1.txt\r\nfortunes_2.txt\r\nfortunes_3.txt\r\n");
}

TEST(Cli, CtrlCCancelsAWaitingQuestion)
{
#ifdef _WIN32
    GTEST_SKIP() << "Ctrl+C is a console event on Windows; a test without a console cannot "
                    "send it to a child";
#else
    TempFolder temp;
    temp.Write("f.txt", "1#2");
    temp.Write("out/f_1.txt", "old");
    int answers[2];
    ASSERT_EQ(::pipe(answers), 0);
    const auto err = temp / ".cli-err";
    const pid_t child = StartCli(temp, {"split", "f.txt", "-d", "#", "-t", "out"}, answers[0],
                                 temp / ".cli-out", err);
    ::close(answers[0]);
    // Wait for the question, then press Ctrl+C instead of answering.
    for (int i = 0; i < 1000 && ReadBytes(err).find("[y/n/a/c]") == std::string::npos; ++i)
        ::usleep(10000);
    ASSERT_NE(ReadBytes(err).find("[y/n/a/c]"), std::string::npos);
    ::kill(child, SIGINT);
    int status = 0;
    pid_t ended = 0;
    for (int i = 0; i < 1000 && (ended = ::waitpid(child, &status, WNOHANG)) == 0; ++i)
        ::usleep(10000);
    if (ended == 0)
    {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        ADD_FAILURE() << "the question still waited after Ctrl+C";
    }
    ::close(answers[1]);
    EXPECT_EQ(ExitStatus(status), 130);
    EXPECT_EQ(ReadBytes(temp / "out/f_1.txt"), "old");
    EXPECT_FALSE(fs::exists(temp / "out/f_2.txt"));
#endif
}

TEST(Cli, HelpNamesEveryExitStatus)
{
    TempFolder temp;
    const auto outcome = RunCli(temp, {"--help"});
    ASSERT_EQ(outcome.Status, 0) << outcome.Err;
    const auto& help = outcome.Out;
    for (const char* status : {"0 ", "1 ", "2 ", "3 ", "4 ", "5 ", "130 ", "141 "})
        EXPECT_NE(help.find(std::string("  ") + status), std::string::npos) << status;
}

TEST(Cli, StandardInputAndStandardOutput)
{
    TempFolder temp;
    struct Case
    {
        std::vector<std::string> arguments;
        Names written;
    } cases[] = {
        {{"split", "-", "-d", "#"}, {"stdin_1", "stdin_2", "stdin_3"}},
        {{"split", "-", "-d", "#", "--name", "notes.txt", "-t", "out"},
         {"notes_1.txt", "notes_2.txt", "notes_3.txt"}},
    };
    for (const auto& c : cases)
    {
        const auto outcome = RunCli(temp, c.arguments, "a#b\n#c");
        EXPECT_EQ(outcome.Status, 0) << outcome.Err;
        const std::string folder = c.arguments.size() > 4 ? temp / "out" : temp.Path();
        for (const auto& name : c.written)
            EXPECT_TRUE(fs::exists(Kestrin::PathFromBytes(folder + "/" + name))) << name;
    }
    EXPECT_EQ(ReadBytes(temp / "out/notes_2.txt"), "b");

    temp.Write("x/a.txt", "A");
    temp.Write("x/b.txt", "B\r\n");
    temp.Write("x/list.txt", "a.txt\r\nb.txt\r\n");
    const auto joined = RunCli(temp, {"join", Native("x/list.txt"), "-t", "-", "-d", "##", "-v"});
    EXPECT_EQ(joined.Status, 0) << joined.Err;
    EXPECT_EQ(joined.Out, "\r\n##A\r\n##B");
    // The list from standard input, its relative lines from the current folder.
    const auto piped = RunCli(temp, {"join", "-", "-t", "-", "-d", "##"},
                              Native("x/a.txt\r\nx/b.txt\r\nx/gone.txt\r\n"));
    EXPECT_EQ(piped.Status, 0) << piped.Err;
    EXPECT_EQ(piped.Out, "\r\n##A\r\n##B");
    const auto raw =
        RunCli(temp, {"join", "--raw", "-", "-t", "-"}, Native("x/b.txt\r\nx/a.txt\r\n"));
    EXPECT_EQ(raw.Out, "B\r\nA");
    EXPECT_EQ(NamesIn(temp / "x"), (Names{"a.txt", "b.txt", "list.txt"}));
    EXPECT_FALSE(fs::exists(temp / "-"));
}

TEST(Cli, DryRunNamesTheFilesAndWritesNothing)
{
    TempFolder temp;
    temp.Write("s.txt", "one#two\nbody#three");
    temp.Write("out/s_2.txt", "old");
    struct Case
    {
        std::vector<std::string> arguments;
        std::string printed;
    } cases[] = {
        {{"split", "s.txt", "-d", "#", "-t", "out", "--list", "--dry-run"},
         "out/s_List.txt\nout/s_1.txt\nout/s_2.txt\texists\nout/s_3.txt\n"},
        {{"split", "s.txt", "-d", "#", "-t", "out", "--first-line", "--dry-run"},
         "out/one\nout/two\nout/three\n"},
    };
    for (const auto& c : cases)
    {
        const auto outcome = RunCli(temp, c.arguments);
        EXPECT_EQ(outcome.Status, 0) << outcome.Err;
        EXPECT_EQ(outcome.Out, Native(c.printed)) << testing::PrintToString(c.arguments);
        EXPECT_EQ(outcome.Err, "");
    }
    EXPECT_EQ(NamesIn(temp / "out"), Names{"s_2.txt"});
    EXPECT_EQ(ReadBytes(temp / "out/s_2.txt"), "old");
}

TEST(Cli, ForceNoClobberAndYesToAll)
{
    struct Case
    {
        std::vector<std::string> options;
        std::string answers;
        std::string contents; // of f_1, f_2, f_3: n for new, o for old
        std::size_t questions;
    } cases[] = {
        {{"--force"}, "", "nnn", 0},
        {{"-f"}, "", "nnn", 0},
        {{"--no-clobber"}, "y\ny\ny\n", "ooo", 0},
        {{"-n", "--force"}, "", "nnn", 0}, // the last one given counts
        {{}, "a\n", "nnn", 1},
        {{}, "n\nA\n", "onn", 2},
        {{}, "y\nn\nn\n", "noo", 3},
    };
    for (const auto& c : cases)
    {
        TempFolder temp;
        temp.Write("f.txt", "1#2#3");
        for (const char* n : {"1", "2", "3"})
            temp.Write("out/f_"s + n + ".txt", "old");
        std::vector<std::string> arguments = {"split", "f.txt", "-d", "#", "-t", "out"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const auto outcome = RunCli(temp, arguments, c.answers);
        EXPECT_EQ(outcome.Status, 0) << outcome.Err;
        std::string contents;
        for (const char* n : {"1", "2", "3"})
            contents += ReadBytes(temp / ("out/f_"s + n + ".txt")) == "old" ? 'o' : 'n';
        EXPECT_EQ(contents, c.contents) << testing::PrintToString(c.options) << c.answers;
        std::size_t questions = 0;
        for (auto at = outcome.Err.find("Overwrite?"); at != std::string::npos;
             at = outcome.Err.find("Overwrite?", at + 1))
            ++questions;
        EXPECT_EQ(questions, c.questions) << testing::PrintToString(c.options);
    }
}

TEST(Cli, VerboseNamesEveryFileWrittenAndNothingElseGoesToAFile)
{
    TempFolder temp;
    temp.Write("s.txt", "a#b");
    temp.Write("list.txt", "s.txt\r\ns.txt\r\n");
    struct Case
    {
        std::vector<std::string> arguments;
        std::string out;
    } cases[] = {
        {{"split", "s.txt", "-d", "#", "-t", "v", "-v", "--list"}, "v/s_1.txt\nv/s_2.txt\n"},
        {{"split", "s.txt", "-d", "#", "-t", "q", "-q"}, ""},
        {{"split", "s.txt", "-d", "#", "-t", "plain"}, ""},
        {{"join", "list.txt", "-t", "joined.txt", "--verbose"}, "joined.txt\n"},
    };
    for (const auto& c : cases)
    {
        const auto outcome = RunCli(temp, c.arguments);
        EXPECT_EQ(outcome.Status, 0) << outcome.Err;
        EXPECT_EQ(outcome.Out, Native(c.out)) << testing::PrintToString(c.arguments);
        // Standard error is no terminal here: no progress, nothing else.
        EXPECT_EQ(outcome.Err, "") << testing::PrintToString(c.arguments);
    }
}

TEST(Cli, ControlBytesFromFirstLinesReachTheTerminalEscaped)
{
    KESTRIN_SKIP_ON_WINDOWS("Windows file names cannot hold control bytes");
    TempFolder temp;
    temp.Write("s.txt", "\x1b]0;owned\x07\x1b[2Jtitle\nA#\xc2\x9b"
                        "31m\x7f"
                        "b\nB");
    const std::string first = "\\x1b]0;owned\\x07\\x1b[2Jtitle";
    const std::string second = "\\xc2\\x9b31m\\x7fb";
    auto outcome = RunCli(temp, {"split", "s.txt", "-d", "#", "-t", "t", "--first-line", "-v"});
    EXPECT_EQ(outcome.Status, 0) << outcome.Err;
    EXPECT_EQ(outcome.Out, "t/" + first + "\nt/" + second + "\n");
    EXPECT_EQ(ReadBytes(temp / "t/\x1b]0;owned\x07\x1b[2Jtitle"), "A");
    // The overwrite questions quote the same names.
    outcome = RunCli(temp, {"split", "s.txt", "-d", "#", "-t", "t", "--first-line"}, "n\nn\n");
    EXPECT_NE(outcome.Err.find("t/" + first + "\nA file"), std::string::npos) << outcome.Err;
    EXPECT_NE(outcome.Err.find("t/" + second + "\nA file"), std::string::npos) << outcome.Err;
    for (const char c : outcome.Err + outcome.Out)
        EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20) << int(c);
}

TEST(Cli, AHugeFirstLineNeedsNoMoreMemoryThanAShortOne)
{
    KESTRIN_SKIP_ON_WINDOWS("the memory limit is set with the POSIX shell's ulimit");
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer's shadow memory does not fit under a data limit";
#endif
    // A first line of 40 MB under a 32 MB limit of the program's own memory (the source is
    // mapped, which the limit does not count): its name is the line's start, cut and hashed.
    TempFolder temp;
    temp.Write("s.txt", std::string(40 << 20, 'L') + ".txt\nbody#x\ny");
    const auto out = temp / ".cli-out";
    const auto err = temp / ".cli-err";
    const int status = KestrinTest::RunProgram(
        "/bin/sh",
        {"-c", "ulimit -d 32768 && exec \"$0\" split s.txt -d '#' --first-line -t out -v",
         KESTRIN_CLI_PATH},
        temp.Path(), "/dev/null", out, err);
    EXPECT_EQ(status, 0) << ReadBytes(err);
    const std::string written = ReadBytes(out);
    ASSERT_EQ(written.size(), 4 + 255 + 7) << written.substr(0, 300); // "out/" name "\nout/x\n"
    EXPECT_EQ(written.substr(0, 240), "out/" + std::string(236, 'L'));
    EXPECT_EQ(ReadBytes(temp / ("out/" + written.substr(4, 255))), "body");
    EXPECT_EQ(ReadBytes(temp / "out/x"), "y");
}

TEST(TerminalText, EscapesControlBytesAndShortensLongTexts)
{
    const struct
    {
        std::string text;
        std::size_t limit;
        std::string shown;
    } cases[] = {
        {"plain/naïve name.txt", 4096, "plain/naïve name.txt"},
        {"a\tb\r\nc\x1b[0m\x7f", 4096, "a\\x09b\\x0d\\x0ac\\x1b[0m\\x7f"},
        {"\xc2\x85\xc2\xa0\xc2", 4096, "\\xc2\\x85\xc2\xa0\xc2"},
        {std::string(10, 'a') + std::string(10, 'b'), 8, "aaaa[... 12 bytes ...]bbbb"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Kestrin::TerminalText(c.text, c.limit), c.shown) << c.text;
}

TEST(ProgressDisplay, ShowsLongRunsOnlyOnATerminalAndGoesAway)
{
    struct Case
    {
        bool terminal;
        std::vector<double> seconds; // one update per item, at these times
        std::size_t lines;           // progress lines drawn
    } cases[] = {
        {true, {0.1, 0.5, 0.9}, 0},      // a short run shows nothing
        {true, {0.5, 1.0, 1.1, 1.3}, 2}, // from a second on, four times a second
        {false, {1.0, 2.0, 3.0}, 0},     // not a terminal
        {true, {1.0, 1.2, 1.24, 1.25, 9}, 3},
    };
    for (const auto& c : cases)
    {
        std::ostringstream out;
        Kestrin::ProgressDisplay display(out, c.terminal, "fragments");
        std::size_t done = 0;
        for (const double at : c.seconds)
        {
            ++done;
            display.Update(done, c.seconds.size(), done << 20, at);
        }
        const std::string drawn = out.str();
        std::size_t lines = 0;
        for (auto at = drawn.find(" fragments, "); at != std::string::npos;
             at = drawn.find(" fragments, ", at + 1))
            ++lines;
        EXPECT_EQ(lines, c.lines) << drawn;
        display.Clear();
        if (c.lines > 0)
        {
            EXPECT_EQ(out.str().substr(out.str().size() - 4), "\r\033[K");
        }
        else
            EXPECT_EQ(out.str(), "");
    }
    std::ostringstream out;
    Kestrin::ProgressDisplay display(out, true, "files");
    display.Update(3, 10, 30u << 20, 2.0);
    EXPECT_EQ(out.str(), "\r3 of 10 files, 1.5/s, 30.0 MiB, 15.0 MiB/s\033[K");
    // Many small fragments: their rate says more than the bytes' (no "0.0 MiB/s").
    out.str("");
    display.Update(120000, 200000, 2400000, 5.0);
    EXPECT_EQ(out.str(), "\r120000 of 200000 files, 24000/s, 2.3 MiB, 468.8 KiB/s\033[K");
    // Ended before a message (Ctrl+C), the line stays and the message starts a line of its own.
    display.End();
    EXPECT_EQ(out.str().back(), '\n');
    display.Clear();
    EXPECT_EQ(out.str().back(), '\n');
}
