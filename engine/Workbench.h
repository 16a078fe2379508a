// SPDX-License-Identifier: MIT
#pragma once
// What the window keeps between events: the prepared lists (Fragments, FileList),
// the readiness computation that fills them and the run that consumes them.
// All texts are bytes in the locale encoding; paths are native paths.
#include "RunHost.h"
#include "common/FileAccess.h"

#include <memory>
#include <string>

namespace Kestrin
{
struct ReadinessRequest
{
    int Tab = 0;                // ssMain.Tab
    std::string Source;         // ucSource(Tab).Text
    std::string SplitDelimiter; // tbDelimiter(0).Text
    bool NamingSelected = true; // one of the two obFileName options is selected
    std::string JoinTarget;     // ucTarget(1).Text
};

struct Readiness
{
    bool StartEnabled = false;
    std::string Total; // text for the "Total" panel
};

struct RunRequest
{
    int Tab = 0;
    std::string Source;          // ucSource(Tab).Text
    std::string Target;          // ucTarget(Tab).Text
    bool FirstLineNames = false; // obFileName(1) selected
    bool Silent = false;         // chSilent = 1
    bool FileList = false;       // chFileList = 1
    // The join: when no listed file is there at all, leave an existing target as it was
    // instead of writing it empty (the command line; the window writes it).
    bool KeepTargetWhenNothingFound = false;
    // The split names its fragments after this path when its bytes come from elsewhere
    // (standard input, kept in a temporary file); empty: after Source.
    std::string SourceName;
    // The split only names the files it would write (RunHost::WouldWrite).
    bool DryRun = false;
    // The join writes here instead of a target file (standard output): no question.
    OutputFile* Output = nullptr;
    // The shell tool's exact split and join (the window leaves them off). The split: each
    // fragment but the first starts with the delimiter that opened it; fragments are
    // written with their final line break; fragments that would be written empty get no
    // file, number or list line; a first-line name an earlier fragment took gets "_2",
    // "_3", ... instead of a question. The join: the files as they are, one after another.
    bool KeepDelimiter = false;
    bool KeepLineEnds = false;
    bool SkipEmpty = false;
    bool NumberRepeatedNames = false;
    bool Raw = false;
};

enum class RunEnd
{
    Finished,    // write "Done." into "Info" and hide the progress bar
    Declined,    // the join target was not to be overwritten: leave bar and "Info" as they are
    Stopped,     // the window was closed during the run: nothing more was written
    NothingFound // the join found none of the listed files; as Finished otherwise
};

class Workbench
{
public:
    Workbench();
    ~Workbench();
    Workbench(const Workbench&) = delete;
    Workbench& operator=(const Workbench&) = delete;

    // tbDelimiter_Change: recompute the current tab's list. Throws FileError when the
    // source exists but cannot be read (lists stay as they were).
    Readiness Update(const ReadinessRequest& request);
    // obFileName_Click: is Start to be enabled?
    bool OptionClickEnablesStart() const;
    // bbRun_Click's body. Throws FileError; what was written before the error stays.
    RunEnd Run(const RunRequest& request, RunHost& host);

private:
    struct State;
    std::unique_ptr<State> state_;
};
} // namespace Kestrin
