// SPDX-License-Identifier: MIT
// kestrin-cli: the split and the join from a shell, through the same engine as the window.
#include "CommandLine.h"
#include "OutputBuffer.h"
#include "TerminalHost.h"
#include "common/Exists.h"
#include "common/FileAccess.h"
#include "common/FileError.h"
#include "common/Registration.h"
#include "common/Version.h"
#include "engine/FileCount.h"
#include "engine/Progress.h"
#include "engine/Workbench.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <memory>
#include <new>
#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

using namespace Kestrin;

namespace
{
constexpr int Success = 0;
constexpr int Failed = 1;
constexpr int Usage = 2;
constexpr int Cancelled = 3;     // the user declined or cancelled at a question
constexpr int NothingToDo = 4;   // the input gives nothing to split or join
constexpr int NotAllWritten = 5; // unanswered questions kept files, or names repeated
constexpr int Interrupted = 130; // as a shell reports a command ended by Ctrl+C
constexpr int BrokenPipe = 141;  // as a shell reports a command ended by SIGPIPE

const char* const StandardInput = "standard input";
const char* const StandardOutput = "standard output";

// std::cout writes through this, so that a failed write keeps its reason.
OutputBuffer* Output = nullptr;

int Refuse(const std::string& path, const std::string& reason, int status = Failed)
{
    std::cerr << "kestrin-cli: " << (path.empty() ? "" : TerminalText(path) + ": ")
              << TerminalText(reason) << "\n";
    return status;
}

// What the files kept for want of an answer need to be written after all.
enum class KeptAdvice
{
    Split,  // --force or --no-clobber
    Forced, // the questions that even --force asks
    Join    // --yes
};

int Finish(RunEnd end, TerminalHost& host, KeptAdvice advice)
{
    // The run stopped because its own output could not be written: that is reported on
    // the way out (Flushed).
    if (Output->Error() != 0)
    {
        host.EndProgress(false);
        return Failed;
    }
    if (end == RunEnd::Stopped || host.StopRequested())
    {
        host.EndProgress(true);
        std::cerr << "kestrin-cli: interrupted; the files written before stay whole\n";
        return Interrupted;
    }
    host.EndProgress(false);
    if (host.Cancelled())
        return Cancelled;
    if (const std::size_t kept = host.Kept())
    {
        const char* it = kept == 1 ? "it" : "them";
        std::cerr << "kestrin-cli: " << kept << (kept == 1 ? " existing file" : " existing files")
                  << " kept; ";
        if (advice == KeptAdvice::Split)
            std::cerr << "use --force to replace " << it << " or --no-clobber to keep " << it
                      << " quietly\n";
        else if (advice == KeptAdvice::Forced)
            std::cerr << "even --force asks before replacing the source, the list file or a "
                         "file a link leads to outside the target folder\n";
        else
            std::cerr << "use --yes to replace " << it << "\n";
    }
    if (host.Kept() > 0 || host.NotWritten() > 0)
        return NotAllWritten;
    if (end == RunEnd::Declined)
        return Cancelled;
    return Success;
}

// The window only offers files; say plainly what is wrong with anything else. Throws
// FileError for a file that cannot be opened.
bool CheckInput(const std::string& path, int& status)
{
    if (FolderExists(path))
        status = Refuse(path, "is a folder, not a file");
    else if (!FileExists(path))
        status = Refuse(path, "no such file");
    else
    {
        InputFile file;
        if (!file.Open(path))
            status = Refuse(path, "not a regular file (a device, a pipe or a socket); use - "
                                  "to read standard input");
        else if (char probe; file.Size() == 0 && file.Read(&probe, 1) == 1)
            // /proc and /sys files: a run reads a file as long as the system says it is.
            status = Refuse(path, "not a regular file (the system reports no length for it)");
        else
            return true;
    }
    return false;
}

// Where the answers to questions come from: the terminal; with the source on standard
// input, the terminal itself, if there is one (else every question is answered no).
int AnswerDescriptor(bool sourceIsInput)
{
    if (!sourceIsInput)
        return 0;
#ifdef _WIN32
    return ::_open("CONIN$", _O_RDONLY);
#else
    return ::open("/dev/tty", O_RDONLY | O_CLOEXEC);
#endif
}

TerminalOptions OptionsOf(const CommandLine& line, const char* unit)
{
    TerminalOptions options;
    options.Progress = !line.Quiet && isatty(2);
    options.Unit = unit;
    if (line.Verbose)
        options.Verbose = line.Target == "-" ? &std::cerr : &std::cout;
    options.OutputFailed = [] { return Output->Error() != 0; };
    return options;
}

// Names the files a dry run would write, one per line; "exists" after a tab.
class DryRunHost : public TerminalHost
{
public:
    using TerminalHost::TerminalHost;
    void WouldWrite(const std::string& path, bool exists) override
    {
        std::cout << TerminalText(path) << (exists ? "\texists\n" : "\n");
    }
};

int Split(const CommandLine& line)
{
    int status = Success;
    const bool fromInput = line.Source == "-";
    std::string source = line.Source;
    if (fromInput)
        // Read once: numbered names need the fragment count before the first is written.
        source = KeepStreamInTemporaryFile(0, StandardInput);
    else if (!CheckInput(source, status))
        return status;
    const std::string shownSource = fromInput ? std::string(StandardInput) : source;
    Workbench workbench;
    ReadinessRequest ready;
    ready.Tab = 0;
    ready.Source = source;
    ready.SplitDelimiter = line.Delimiter;
    const Readiness readiness = workbench.Update(ready);
    if (!readiness.StartEnabled)
        return Refuse(shownSource,
                      CountFragmentsInFile(source, line.Delimiter) == 0
                          ? "the file is empty; nothing to split"
                          : "the delimiter does not occur; nothing to split",
                      NothingToDo);
    RunRequest run;
    run.Tab = 0;
    run.Source = source;
    if (fromInput)
        run.SourceName = line.Name.empty() ? std::string("stdin") : line.Name;
    else
        run.SourceName = line.Name;
    run.Target = line.Target;
    run.FirstLineNames = line.FirstLine;
    run.Silent = line.Existing == CommandLine::Overwrite::Always;
    run.FileList = line.List;
    run.DryRun = line.DryRun;
    run.KeepDelimiter = line.KeepDelimiter;
    run.KeepLineEnds = line.KeepLineEnds;
    run.SkipEmpty = line.SkipEmpty;
    run.NumberRepeatedNames = line.NumberRepeated;
    TerminalOptions options = OptionsOf(line, "fragments");
    options.Answers = AnswerDescriptor(fromInput);
    options.AnswerNo = line.Existing == CommandLine::Overwrite::Never;
    const KeptAdvice advice = run.Silent ? KeptAdvice::Forced : KeptAdvice::Split;
    if (line.DryRun)
    {
        DryRunHost host(std::cerr, options);
        return Finish(workbench.Run(run, host), host, advice);
    }
    TerminalHost host(std::cerr, options);
    return Finish(workbench.Run(run, host), host, advice);
}

int Join(const CommandLine& line)
{
    int status = Success;
    const bool fromInput = line.Source == "-";
    std::string list = line.Source;
    if (line.Target.empty())
        return Refuse("", "the target file name is empty; nothing to join", Usage);
    if (fromInput)
        list = KeepStreamInTemporaryFile(0, StandardInput);
    else if (!CheckInput(list, status))
        return status;
    const std::string shownList = fromInput ? std::string(StandardInput) : list;
    Workbench workbench;
    ReadinessRequest ready;
    ready.Tab = 1;
    ready.Source = list;
    ready.JoinTarget = line.Target;
    if (!workbench.Update(ready).StartEnabled)
        return Refuse(shownList, "the list holds fewer than two lines; nothing to join",
                      NothingToDo);
    RunRequest run;
    run.Tab = 1;
    run.Source = list;
    // Relative lines of a list from standard input are taken from the current folder.
    if (fromInput)
        run.SourceName = "stdin";
    run.Target = line.Target;
    run.Raw = line.Raw;
    // An existing target is not emptied for a list whose files are all gone (typically
    // relative lines read from the wrong folder).
    run.KeepTargetWhenNothingFound = true;
    std::unique_ptr<StreamOutput> standardOutput;
    if (line.Target == "-")
    {
        std::cout.flush();
        standardOutput = std::make_unique<StreamOutput>(1, StandardOutput);
        run.Output = standardOutput.get();
    }
    TerminalOptions options = OptionsOf(line, "files");
    options.Answers = AnswerDescriptor(fromInput);
    options.AnswerYes = line.Yes;
    options.JoinDelimiter = line.Delimiter;
    options.FileNameLine = line.FileNames;
    TerminalHost host(std::cerr, options);
    const RunEnd end = workbench.Run(run, host);
    if (end == RunEnd::NothingFound)
        return Refuse(shownList,
                      "none of the listed files was found; " +
                          (standardOutput ? std::string("nothing was written")
                                          : line.Target + " was not written"),
                      NothingToDo);
    return Finish(end, host, KeptAdvice::Join);
}

// Counted from the stream as it comes: nothing is kept.
std::size_t CountStandardInput(const std::string& delimiter)
{
    DelimiterCounter counter(delimiter);
    std::unique_ptr<char[]> buffer(new char[1 << 18]);
    for (;;)
    {
#ifdef _WIN32
        const int got = ::_read(0, buffer.get(), 1 << 18);
#else
        const auto got = ::read(0, buffer.get(), 1 << 18);
#endif
        if (got == 0)
            break;
        if (got < 0)
        {
            if (errno == EINTR && !TerminalHost::Interrupted())
                continue;
            throw FileError::FromSystem(errno, StandardInput);
        }
        counter.Add(buffer.get(), static_cast<std::size_t>(got));
    }
    return counter.BytesSeen() == 0 ? 0 : counter.Occurrences() + 1;
}

int Count(const CommandLine& line)
{
    const bool split = line.What == CommandLine::Action::CountSplit;
    std::size_t count = 0;
    if (line.Source == "-")
        count = CountStandardInput(split                                     ? line.Delimiter
                                   : NativePathStyle() == PathStyle::Windows ? "\r\n"
                                                                             : "\n");
    else
    {
        int status = Success;
        if (!CheckInput(line.Source, status))
            return status;
        count = split ? CountFragmentsInFile(line.Source, line.Delimiter)
                      : CountLinesInFile(line.Source);
    }
    std::cout << TotalText(count) << "\n";
    return Success;
}

// What was printed must have arrived: a full disk is a failure; a reader that went away
// ends the program quietly, as a broken pipe ends the standard tools.
int Flushed(int status)
{
    std::cout.flush();
    if (Output->Error() == 0)
        return status;
    if (Output->Error() == EPIPE)
        return BrokenPipe;
    return Refuse(StandardOutput, std::strerror(Output->Error()));
}

int Version()
{
    std::cout << "kestrin-cli (" << ProgramTitle << ") " << VersionMajor << "." << VersionMinor
              << "." << VersionRevision << "\n"
              << "Copyright (c) " << CompanyName << "\n"
              << "License MIT <https://opensource.org/licenses/MIT>: free to use, change and "
                 "share, without warranty.\n";
    return Success;
}
} // namespace

namespace
{
int Run(int argc, char** argv)
{
    CommandLine line;
    try
    {
        line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    }
    catch (const UsageError& error)
    {
        std::cerr << "kestrin-cli: " << error.Reason
                  << "\nTry 'kestrin-cli --help' for more information.\n";
        return Usage;
    }
    TerminalHost::StopOnInterrupt();
    try
    {
        switch (line.What)
        {
        case CommandLine::Action::Help:
            std::cout << UsageText();
            return Flushed(Success);
        case CommandLine::Action::Version:
            return Flushed(Version());
        case CommandLine::Action::Split:
            return Flushed(Split(line));
        case CommandLine::Action::Join:
            return Flushed(Join(line));
        case CommandLine::Action::CountSplit:
        case CommandLine::Action::CountJoin:
            return Flushed(Count(line));
        }
    }
    catch (const FileError& error)
    {
        if (error.Number() == EPIPE && error.Path() == StandardOutput)
            return BrokenPipe;
        return Refuse(error.Path(), error.Description());
    }
    catch (const std::bad_alloc&)
    {
        return Refuse(line.Source, "not enough memory");
    }
    catch (const std::exception& error)
    {
        return Refuse("", error.what());
    }
    return Failed;
}
} // namespace

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
#ifdef _WIN32
    // Bytes pass through standard input and output unchanged (no CR added before LF).
    ::_setmode(0, _O_BINARY);
    ::_setmode(1, _O_BINARY);
#endif
#ifndef _WIN32
    // A closed pipe on standard output is a failed write (the run stops before its next
    // file and no temporary file is left), not a death in the middle of one.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    OutputBuffer output(1, StandardOutput);
    std::cout.rdbuf(&output);
    Output = &output;
    const int status = Run(argc, argv);
    // What an early end left in the buffer still goes out, before the buffer does.
    std::cout.flush();
    std::cout.rdbuf(nullptr);
    return status;
}
