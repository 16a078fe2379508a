// kestrin-cli as a user runs it: a real process, real files, answers on standard input.
#include "../common/FileTraps.h"
#include "../support/TempFolder.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <iostream>
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

Outcome RunCli(const TempFolder& temp, const std::vector<std::string>& arguments,
               const std::string& input = "", std::string out = "")
{
    const auto in = temp.Write(".cli-in", input);
    const bool ownOut = out.empty();
    if (ownOut)
        out = temp / ".cli-out";
    const auto err = temp / ".cli-err";
    const int inputDescriptor = ::open(in.c_str(), O_RDONLY);
    const pid_t child = StartCli(temp, arguments, inputDescriptor, out, err);
    ::close(inputDescriptor);
    int status = 0;
    ::waitpid(child, &status, 0);
    Outcome outcome;
    outcome.Status = ExitStatus(status);
    outcome.Err = ReadBytes(err);
    fs::remove(in);
    fs::remove(err);
    if (ownOut)
    {
        outcome.Out = ReadBytes(out);
        fs::remove(out);
    }
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
    EXPECT_EQ(outcome.Status, 3);
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
        // Its reported length is 0, yet it has bytes: no run could read them.
        {{"count", "join", "/proc/self/status"}, 1, "/proc/self/status: not a regular file"},
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

TEST(Cli, JoinRefusesATargetThatIsNotARegularFile)
{
    TempFolder temp;
    temp.Write("a.txt", "A");
    temp.Write("list.txt", "a.txt\na.txt\n");
    struct Case
    {
        const char* name;
        bool (*make)(const std::string&);
        char kind;
    } cases[] = {{"pipe", KestrinTest::MakeFifo, 'p'}, {"n", KestrinTest::MakeDeviceNode, 'c'}};
    for (const auto& c : cases)
    {
        if (!c.make(temp / c.name))
        {
            std::cout << "skipped " << c.name << ": the system refuses to make it here\n";
            continue;
        }
        const auto outcome = RunCli(temp, {"join", "list.txt", "-t", temp / c.name, "--yes"});
        EXPECT_EQ(outcome.Status, 1) << c.name;
        EXPECT_NE(outcome.Err.find("not a regular file"), std::string::npos) << outcome.Err;
        EXPECT_EQ(KestrinTest::KindOf(temp / c.name), c.kind);
    }
}

TEST(Cli, AListWrittenWithARelativeTargetJoinsBack)
{
    TempFolder temp;
    temp.Write("big.txt", "one#two#three");
    auto outcome = RunCli(temp, {"split", "big.txt", "-d", "#", "-t", "outB", "--list"});
    ASSERT_EQ(outcome.Status, 0) << outcome.Err;
    outcome = RunCli(temp, {"join", "outB/big_List.txt", "-t", "joined.txt", "-d", "#"});
    EXPECT_EQ(outcome.Status, 0) << outcome.Err;
    EXPECT_EQ(ReadBytes(temp / "joined.txt"), "\r\n#one\r\n#two\r\n#three");
    // The same list found from another folder.
    outcome = RunCli(temp, {"join", temp / "outB/big_List.txt", "-t", "outB/again.txt"});
    EXPECT_EQ(outcome.Status, 0) << outcome.Err;
    EXPECT_EQ(ReadBytes(temp / "outB/again.txt"), "\r\none\r\ntwo\r\nthree");
}

TEST(Cli, AJoinThatFindsNoListedFileSaysSoAndKeepsTheTarget)
{
    TempFolder temp;
    temp.Write("list.txt", "gone1.txt\ngone2.txt\n");
    temp.Write("joined.txt", "old");
    const auto outcome = RunCli(temp, {"join", "list.txt", "-t", "joined.txt", "--yes"});
    EXPECT_EQ(outcome.Status, 4);
    EXPECT_NE(outcome.Err.find("none of the listed files"), std::string::npos) << outcome.Err;
    EXPECT_EQ(ReadBytes(temp / "joined.txt"), "old");
}

TEST(Cli, WritingErrorsOnStandardOutputAreFailures)
{
    TempFolder temp;
    temp.Write("s.txt", "a#b");
    const std::vector<std::vector<std::string>> cases = {
        {"--help"}, {"--version"}, {"count", "split", "s.txt", "-d", "#"}};
    for (const auto& arguments : cases)
    {
        const auto outcome = RunCli(temp, arguments, "", "/dev/full");
        EXPECT_EQ(outcome.Status, 1) << testing::PrintToString(arguments);
        EXPECT_NE(outcome.Err.find("kestrin-cli: "), std::string::npos);
    }
}

TEST(Cli, CtrlCCancelsAWaitingQuestion)
{
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
    for (int i = 0; i < 1000 && ReadBytes(err).find("[y/n/c]") == std::string::npos; ++i)
        ::usleep(10000);
    ASSERT_NE(ReadBytes(err).find("[y/n/c]"), std::string::npos);
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
}

TEST(Cli, HelpNamesEveryExitStatus)
{
    TempFolder temp;
    const auto help = RunCli(temp, {"--help"}).Out;
    for (const char* status : {"0 ", "1 ", "2 ", "3 ", "4 ", "130 "})
        EXPECT_NE(help.find(std::string("  ") + status), std::string::npos) << status;
}
