// kestrin-cli: the split and the join from a shell, through the same engine as the window.
#include "CommandLine.h"
#include "Exists.h"
#include "FileAccess.h"
#include "FileCount.h"
#include "FileError.h"
#include "Progress.h"
#include "Registration.h"
#include "TerminalHost.h"
#include "Workbench.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <new>

using namespace Kestrin;

namespace
{
constexpr int Success = 0;
constexpr int Failed = 1;
constexpr int Usage = 2;
constexpr int Cancelled = 3;     // the user declined or cancelled at a question
constexpr int NothingToDo = 4;   // the input gives nothing to split or join
constexpr int Interrupted = 130; // as a shell reports a command ended by Ctrl+C

int Refuse(const std::string& path, const std::string& reason, int status = Failed)
{
    std::cerr << "kestrin-cli: " << (path.empty() ? "" : path + ": ") << reason << "\n";
    return status;
}

int Finish(RunEnd end, TerminalHost& host)
{
    if (end == RunEnd::Stopped || host.StopRequested())
    {
        std::cerr << "kestrin-cli: interrupted; the files written before stay whole\n";
        return Interrupted;
    }
    if (end == RunEnd::Declined || host.Cancelled())
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
            status = Refuse(path, "not a regular file (a device, a pipe or a socket)");
        else if (char probe; file.Size() == 0 && file.Read(&probe, 1) == 1)
            // /proc and /sys files: a run reads a file as long as the system says it is.
            status = Refuse(path, "not a regular file (the system reports no length for it)");
        else
            return true;
    }
    return false;
}

int Split(const CommandLine& line)
{
    int status = Success;
    if (!CheckInput(line.Source, status))
        return status;
    Workbench workbench;
    ReadinessRequest ready;
    ready.Tab = 0;
    ready.Source = line.Source;
    ready.SplitDelimiter = line.Delimiter;
    const Readiness readiness = workbench.Update(ready);
    if (!readiness.StartEnabled)
        return Refuse(line.Source,
                      CountFragmentsInFile(line.Source, line.Delimiter) == 0
                          ? "the file is empty; nothing to split"
                          : "the delimiter does not occur; nothing to split",
                      NothingToDo);
    RunRequest run;
    run.Tab = 0;
    run.Source = line.Source;
    run.Target = line.Target;
    run.FirstLineNames = line.FirstLine;
    run.Silent = line.Silent;
    run.FileList = line.List;
    TerminalHost host(0, std::cerr, false, std::string(), false);
    return Finish(workbench.Run(run, host), host);
}

int Join(const CommandLine& line)
{
    int status = Success;
    if (!CheckInput(line.Source, status))
        return status;
    if (line.Target.empty())
        return Refuse("", "the target file name is empty; nothing to join", Usage);
    Workbench workbench;
    ReadinessRequest ready;
    ready.Tab = 1;
    ready.Source = line.Source;
    ready.JoinTarget = line.Target;
    if (!workbench.Update(ready).StartEnabled)
        return Refuse(line.Source, "the list holds fewer than two lines; nothing to join",
                      NothingToDo);
    RunRequest run;
    run.Tab = 1;
    run.Source = line.Source;
    run.Target = line.Target;
    // An existing target is not emptied for a list whose files are all gone (typically
    // relative lines read from the wrong folder).
    run.KeepTargetWhenNothingFound = true;
    TerminalHost host(0, std::cerr, line.Yes, line.Delimiter, line.FileNames);
    const RunEnd end = workbench.Run(run, host);
    if (end == RunEnd::NothingFound)
        return Refuse(line.Source,
                      "none of the listed files was found; " + line.Target + " was not written",
                      NothingToDo);
    return Finish(end, host);
}

int Count(const CommandLine& line)
{
    int status = Success;
    if (!CheckInput(line.Source, status))
        return status;
    const std::size_t count = line.What == CommandLine::Action::CountSplit
                                  ? CountFragmentsInFile(line.Source, line.Delimiter)
                                  : CountLinesInFile(line.Source);
    std::cout << TotalText(count) << "\n";
    return Success;
}

// What was printed must have arrived (a full disk, a closed pipe are failures).
int Flushed(int status)
{
    std::cout.flush();
    if (std::cout)
        return status;
    return Refuse("", std::string("cannot write to standard output: ") + std::strerror(errno));
}
} // namespace

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    CommandLine line;
    try
    {
        line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    }
    catch (const UsageError& error)
    {
        std::cerr << "kestrin-cli: " << error.Reason << "\nTry 'kestrin-cli --help'.\n";
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
            std::cout << "kestrin-cli " << VersionText() << "\n";
            return Flushed(Success);
        case CommandLine::Action::Split:
            return Split(line);
        case CommandLine::Action::Join:
            return Join(line);
        case CommandLine::Action::CountSplit:
        case CommandLine::Action::CountJoin:
            return Flushed(Count(line));
        }
    }
    catch (const FileError& error)
    {
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
