// SPDX-License-Identifier: MIT
#include "JoinRun.h"

#include "JoinOutput.h"
#include "Progress.h"
#include "SplitRun.h"
#include "common/Exists.h"
#include "common/FileAccess.h"
#include "common/FileError.h"
#include "common/TextFile.h"

#include <cerrno>
#include <optional>

namespace Kestrin
{
std::string ResolveListLine(std::string_view line, const std::string& listFolder, PathStyle style)
{
    const bool relative = style == PathStyle::Windows ? line.find(':') == std::string_view::npos
                                                      : line.empty() || line.front() != '/';
    return relative ? listFolder + std::string(line) : std::string(line);
}

namespace
{
// False when there is nothing to read: no file there, a folder, not a regular file.
bool OpenInput(InputFile& input, const std::string& path)
{
    // A NUL cannot be in a path: the system would read a shorter, other name.
    if (path.find('\0') != std::string::npos || !FileExists(path))
        return false;
    return input.Open(path);
}

// Opens the target like WriteTextFile: missing folders are made when the system says so.
void OpenTarget(std::optional<FileReplacement>& output, const std::string& path)
{
    try
    {
        output.emplace(path);
    }
    catch (const FileError& error)
    {
        if (error.Number() != ENOENT && error.Number() != ENOTDIR)
            throw;
        CreateFolderPath(FolderPart(path));
        output.emplace(path);
    }
}
} // namespace

RunEnd RunJoin(const RunRequest& request, const PathParts& list, const LineList& lines,
               RunHost& host)
{
    const std::string& target = request.Target;
    if (!request.Output && FileExists(target) &&
        host.AskQuestion(OverwriteQuestion(target), QuestionStyle::YesNo) != Answer::Yes)
        return RunEnd::Declined;

    // A target that can only be written over in place, with no way back, is asked about.
    const InPlaceConsent consent(
        [&host](const std::string& question)
        { return host.AskQuestion(question, QuestionStyle::YesNo) == Answer::Yes; });
    const std::string listFolder = list.Drive + list.Folder;
    std::optional<FileReplacement> replacement;
    if (!request.Output && !target.empty())
        OpenTarget(replacement, target);
    OutputFile* output = request.Output ? request.Output : replacement ? &*replacement : nullptr;
    FileIdentity written;
    if (output)
        written = IdentityOfOutput(*output);
    std::optional<JoinOutput> joined;
    if (output)
        joined.emplace(*output, [&host] { return host.StopRequested(); });

    const std::size_t count = lines.Count();
    std::size_t found = 0;
    LineList::Cursor cursor(lines);
    for (std::size_t index = 0; index < count; ++index)
    {
        // A closed window ends the run; the unfinished output is discarded.
        if (host.StopRequested())
            return RunEnd::Stopped;
        // The resolved lines are not stored back: resolving again gives the same paths.
        const std::string path = ResolveListLine(cursor.Next(), listFolder);
        InputFile input;
        // The output itself (a new target that is also listed) is not yet there to read.
        std::uint64_t bytes = 0;
        if (OpenInput(input, path) && !(output && input.Identity().IsSameFile(written)))
        {
            ++found;
            bytes = input.Size();
            if (bytes > 0)
            {
                std::string header;
                if (!request.Raw)
                {
                    header = "\r\n" + host.JoinDelimiter();
                    if (host.FileNameLine())
                        header += path + "\r\n";
                }
                if (joined)
                {
                    joined->Append(header);
                    // As long as the file was when its turn came: one that keeps growing
                    // would never end.
                    if (!joined->AppendFile(input, bytes))
                        return RunEnd::Stopped;
                }
            }
        }
        host.ItemDone(index, count, bytes);
        ReportProgress(host, index, count);
    }
    if (found == 0 && request.KeepTargetWhenNothingFound)
        return RunEnd::NothingFound;
    if (joined)
    {
        joined->Finish(request.Raw);
        if (replacement)
        {
            replacement->Commit();
            const auto identity = IdentityOfPath(target);
            host.FileWritten(target, identity ? static_cast<std::uint64_t>(identity->Size) : 0);
        }
    }
    return found == 0 ? RunEnd::NothingFound : RunEnd::Finished;
}
} // namespace Kestrin
