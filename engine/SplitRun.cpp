// SPDX-License-Identifier: MIT
#include "SplitRun.h"

#include "Exists.h"
#include "FileAccess.h"
#include "FileReplacement.h"
#include "FragmentNames.h"
#include "Progress.h"
#include "TextFile.h"

#include <filesystem>
#include <optional>

namespace Kestrin
{
namespace
{
// How often a locked list file is tried again, a second apart.
constexpr int ListFileRetries = 60;

std::optional<FileIdentity> KeyOf(const std::string& path)
{
    if (path.empty())
        return std::nullopt;
    return IdentityOfPath(path);
}

bool IsSameFile(const std::optional<FileIdentity>& key, const std::string& path)
{
    if (!key)
        return false;
    const auto other = KeyOf(path);
    return other && other->IsSameFile(*key);
}

// Whether a path lies in the folder or below it, links and "." or ".." resolved.
bool IsInsideFolder(const std::string& path, const std::string& folder)
{
    std::error_code error;
    const auto canonicalFolder =
        std::filesystem::weakly_canonical(folder.empty() ? "." : folder, error);
    if (error)
        return false;
    const auto canonicalPath = std::filesystem::weakly_canonical(path, error);
    if (error)
        return false;
    const auto relative = canonicalPath.lexically_relative(canonicalFolder);
    return !relative.empty() && *relative.begin() != "..";
}

// The question for a link that leads out of the target folder or to nothing: it is asked
// even with silent overwriting, as writing through it is not what the user chose.
std::string LinkQuestion(const std::string& path, const std::string& destination, bool inside,
                         bool exists)
{
    std::string text = path + "\r\nThis is a link to " + destination;
    if (!inside)
        text += ", outside the target folder";
    return text + (exists ? ". Overwrite that file?" : ", where no file exists yet. Create it?");
}

// The join takes a list line relative to the list's folder unless it is absolute; the
// list lies in the target folder, so with a relative target (typed in a shell) the lines
// are the bare names, which it finds again from anywhere.
bool IsRootedFolder(const std::string& folder)
{
    return IsAbsolutePath(folder) ||
           (!folder.empty() && folder.front() == PathSeparator(NativePathStyle()));
}

// A dry run: the names the run would write, nothing asked, nothing written.
RunEnd NameFragments(const RunRequest& request, const std::string& target,
                     const std::string& listPath, const std::string& base,
                     const std::string& extension, FragmentList& fragments, RunHost& host)
{
    if (request.FileList)
        host.WouldWrite(listPath, FileExists(listPath));
    const std::size_t count = fragments.Count();
    const int width = NumberWidth(count);
    const std::size_t longest = request.FirstLineNames ? LongestFileName(target) : 0;
    FragmentList::Cursor cursor(fragments);
    for (std::size_t index = 0; index < count; ++index)
    {
        std::string_view text = cursor.Next();
        const std::string name = request.FirstLineNames
                                     ? FirstLineName(text, NativePathStyle(), longest)
                                     : NumberedName(base, index + 1, width, extension);
        if (name.empty())
            continue;
        cursor.ThrowIfSourceChanged();
        const std::string path = target + name;
        host.WouldWrite(path, FileExists(path));
    }
    return RunEnd::Finished;
}
} // namespace

std::string OverwriteQuestion(const std::string& path)
{
    return path + "\r\nA file with this name already exists. Overwrite?";
}

std::string ListIsSourceQuestion(const std::string& path)
{
    return path + "\r\nThe list file is the file being split. Replace it by the list?";
}

RunEnd RunSplit(const RunRequest& request, const PathParts& source, FragmentList& fragments,
                RunHost& host)
{
    const std::string base = BaseName(source.Name);
    const std::string& extension = source.Extension;
    // A typed folder without its final separator still names that folder.
    const std::string target =
        request.Target.empty() ? source.Drive + source.Folder : FolderWithSeparator(request.Target);
    const std::string listPath = target + base + "_List" + extension;
    if (request.DryRun)
        return NameFragments(request, target, listPath, base, extension, fragments, host);
    // Neither the source nor the list is replaced without a question, silent or not
    // (first-line names can name them, and so can a source name given from elsewhere).
    const auto sourceKey = KeyOf(request.Source);
    // The source's bytes are reached before anything is deleted, so that a source the user
    // lets the list replace is still split whole.
    FragmentList::Cursor cursor(fragments);
    bool fileList = request.FileList;
    if (fileList && IsSameFile(sourceKey, listPath))
    {
        const Answer answer =
            host.AskQuestion(ListIsSourceQuestion(listPath), QuestionStyle::YesNoCancel);
        if (answer == Answer::Cancel)
            return RunEnd::Finished;
        // No: the fragments are still written, and no list is.
        fileList = answer == Answer::Yes;
    }
    if (fileList)
    {
        AppendTextLine(listPath);
        // A fragment declined before any was written is still listed: the folder must be there.
        CreateFolderPath(target);
    }
    const bool fullPathLines = IsRootedFolder(target);
    // Set once a fragment took the list's name: nothing is appended to it after that.
    bool listReplaced = false;

    const std::size_t count = fragments.Count();
    const int width = NumberWidth(count);
    // First-line names are cut to what the file system takes, so no fragment is lost to
    // a name too long.
    const std::size_t longest = request.FirstLineNames ? LongestFileName(target) : 0;
    const auto wait = [&host] { host.WaitOneSecond(); };
    // A fragment that can only be written over in place, with no way back, is asked about.
    const InPlaceConsent consent(
        [&host](const std::string& question)
        { return host.AskQuestion(question, QuestionStyle::YesNo) == Answer::Yes; });

    struct Finisher
    {
        FragmentList::Cursor& cursor;
        ~Finisher()
        {
            try
            {
                cursor.Finish();
            }
            catch (...) // out of memory while unwinding: the changes are lost, nothing else
            {
            }
        }
    } finisher{cursor};

    for (std::size_t index = 0; index < count; ++index)
    {
        if (host.StopRequested())
            return RunEnd::Stopped;
        std::string_view text = cursor.Next();
        std::string name;
        if (!request.FirstLineNames)
            name = NumberedName(base, index + 1, width, extension);
        else
        {
            name = FirstLineName(text, NativePathStyle(), longest);
            cursor.Keep(text);
            if (name.empty())
            {
                host.ProcessEvents();
                continue;
            }
        }
        const std::string path = target + name;

        // Where the write lands; a link is followed here, once, and asked about when it
        // leads out of the folder, so nothing swapped in later is followed.
        bool exists = false;
        const std::string destination = WriteDestination(path, &exists);
        const bool isList = fileList && (destination == listPath ||
                                         (exists && IsSameFile(KeyOf(listPath), destination)));
        bool mustAsk = isList || (exists && IsSameFile(sourceKey, destination));
        std::string question = OverwriteQuestion(path);
        if (destination != path)
        {
            const bool inside = IsInsideFolder(destination, target);
            if (!inside || !exists)
            {
                mustAsk = true;
                question = LinkQuestion(path, destination, inside, exists);
            }
        }
        Answer answer = Answer::Yes;
        if (mustAsk || (!request.Silent && exists))
            answer = host.AskQuestion(question, QuestionStyle::YesNoCancel);
        if (answer == Answer::Cancel)
            break;
        if (answer == Answer::Yes)
        {
            // The bytes are read from the source while they are written: a source changed
            // meanwhile (or cut short, which fails the write itself) must not leave a torn
            // fragment, and the message names the source.
            const auto checkSource = [&cursor] { cursor.ThrowIfSourceChanged(); };
            try
            {
                WriteTextFile(destination, text, Links::Refuse, checkSource);
            }
            catch (const FileError&)
            {
                checkSource();
                throw;
            }
            listReplaced = listReplaced || isList;
            host.FileWritten(path, text.size() - FinalLineBreakLength(text));
        }
        if (fileList && !listReplaced)
            AppendTextLine(listPath, fullPathLines ? path : name, ListFileRetries, wait);
        host.ItemDone(index, count, text.size());
        ReportProgress(host, index, count);
    }
    return RunEnd::Finished;
}
} // namespace Kestrin
