// SPDX-License-Identifier: MIT
#include "SplitRun.h"

#include "FragmentNames.h"
#include "Progress.h"
#include "UsedNames.h"
#include "common/Exists.h"
#include "common/FileAccess.h"
#include "common/FileReplacement.h"
#include "common/TargetFolder.h"
#include "common/TextFile.h"

#include <cerrno>
#include <filesystem>
#include <functional>
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

std::size_t LeadingLineBreaks(std::string_view text)
{
    const auto other = text.find_first_not_of("\r\n");
    return other == std::string_view::npos ? text.size() : other;
}

// A fragment with the delimiters around it kept: the one that opened it in front, except
// for the line breaks that delimiter starts with, which end the fragment before (they end
// its last line, so that "\nFrom " gives messages that start with "From "). Every byte
// of the source is then in exactly one fragment. A fragment that an earlier first-line run
// narrowed gets nothing in front.
std::string_view WithDelimiters(const FragmentList::Cursor& cursor, std::string_view fragment)
{
    const std::string_view opening = cursor.Opening();
    const char* begin = fragment.data();
    if (!opening.empty() && opening.data() + opening.size() == begin)
        begin = opening.data() + LeadingLineBreaks(opening);
    const std::string_view closing = cursor.Closing();
    const char* end = fragment.data() + fragment.size() + LeadingLineBreaks(closing);
    return std::string_view(begin, static_cast<std::size_t>(end - begin));
}

// The names of one run's fragments, in order, the same for a dry run and a real one.
class FragmentNamer
{
public:
    FragmentNamer(const RunRequest& request, const std::string& target, std::string base,
                  std::string extension, std::size_t count)
        : request_(request), base_(std::move(base)), extension_(std::move(extension)),
          width_(NumberWidth(count)),
          // First-line names are cut to what the file system takes, so no fragment is lost
          // to a name too long.
          longest_(request.FirstLineNames ? LongestFileName(target) : 0)
    {
    }

    // Names the fragment and narrows it to what is written under the name (first-line
    // naming); an empty name: no file for it.
    std::string Name(std::string_view& text)
    {
        std::string name;
        if (request_.FirstLineNames &&
            (name = FirstLineName(text, NativePathStyle(), longest_)).empty())
            return name;
        if (request_.SkipEmpty &&
            text.size() == (request_.KeepLineEnds ? 0 : FinalLineBreakLength(text)))
            return {};
        // Numbers count the files written: left-out empty fragments take none, as csplit's.
        if (!request_.FirstLineNames)
            return NumberedName(base_, ++number_, width_, extension_);
        if (request_.NumberRepeatedNames)
        {
            name = used_.Unused(name);
            used_.Add(name);
        }
        return name;
    }
    // Whether an earlier fragment of this run was written under this first-line name.
    bool WrittenBefore(const std::string& name) const
    {
        return request_.FirstLineNames && !request_.NumberRepeatedNames && used_.Contains(name);
    }
    void Written(const std::string& name)
    {
        if (request_.FirstLineNames && !request_.NumberRepeatedNames)
            used_.Add(name);
    }

private:
    const RunRequest& request_;
    std::string base_;
    std::string extension_;
    int width_;
    std::size_t longest_;
    std::size_t number_ = 0;
    // Numbering: every name given; questions: every name written under.
    UsedNames used_;
};

void WriteFragment(const RunRequest& request, const std::string& path, std::string_view text,
                   const std::function<void()>& beforeCommit)
{
    if (request.KeepLineEnds)
        WriteWholeFile(path, text, Links::Refuse, beforeCommit);
    else
        WriteTextFile(path, text, Links::Refuse, beforeCommit);
}

// An earlier fragment of this run is in the file: the question is asked even when silent.
std::string RepeatedNameQuestion(const std::string& path)
{
    return path + "\r\nAn earlier fragment of this run was written to this file. Overwrite it?";
}

// A dry run: the names the run would write, nothing asked, nothing written.
RunEnd NameFragments(const RunRequest& request, const std::string& target,
                     const std::string& listPath, FragmentNamer& namer, FragmentList& fragments,
                     RunHost& host)
{
    if (request.FileList)
        host.WouldWrite(listPath, FileExists(listPath));
    const std::size_t count = fragments.Count();
    FragmentList::Cursor cursor(fragments);
    for (std::size_t index = 0; index < count; ++index)
    {
        // The reader of the names may have gone (a closed pipe).
        if (host.StopRequested())
            return RunEnd::Stopped;
        const std::string_view stored = cursor.Next();
        std::string_view text = request.KeepDelimiter ? WithDelimiters(cursor, stored) : stored;
        const std::string name = namer.Name(text);
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
    const std::size_t count = fragments.Count();
    FragmentNamer namer(request, target, base, extension, count);
    if (request.DryRun)
        return NameFragments(request, target, listPath, namer, fragments, host);
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

    const auto wait = [&host] { host.WaitOneSecond(); };
    // A fragment that can only be written over in place, with no way back, is asked about.
    const InPlaceConsent consent(
        [&host](const std::string& question)
        { return host.AskQuestion(question, QuestionStyle::YesNo) == Answer::Yes; });

    // The bytes are read from the source while they are written: a source changed meanwhile
    // (or cut short, which fails the write itself) must not leave a torn fragment, and the
    // message names the source.
    const auto checkSource = [&cursor] { cursor.ThrowIfSourceChanged(); };
    // The folder is opened once for the run, when the first fragment goes there (it may be
    // made then), and new fragments are made relative to it.
    std::optional<TargetFolder> folder;
    const std::string listName = base + "_List" + extension;
    // A new fragment, linked in only when complete and never over anything: nothing looks at
    // the name beforehand, as a taken name fails the link, which is the answer.
    const auto writeNew = [&](const std::string& name, std::string_view text)
    {
        if (!folder)
        {
            try
            {
                folder.emplace(target);
            }
            catch (const FileError& error)
            {
                // Missing folders are made; a file in the way is named by CreateFolderPath.
                if (error.Number() != ENOENT && error.Number() != ENOTDIR)
                    throw;
                CreateFolderPath(target);
                folder.emplace(target);
            }
        }
        if (!request.KeepLineEnds)
            text.remove_suffix(FinalLineBreakLength(text));
        try
        {
            return folder->WriteNew(name, text, checkSource);
        }
        catch (const FileError&)
        {
            checkSource();
            throw;
        }
    };
    // Set when the fragment before found its name taken: a run over existing fragments
    // looks at each name once rather than writing first in vain.
    bool lastFound = false;

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
        const std::string_view stored = cursor.Next();
        std::string_view text = request.KeepDelimiter ? WithDelimiters(cursor, stored) : stored;
        const std::string name = namer.Name(text);
        // A first line that ends inside the delimiter put back leaves the stored one whole.
        if (request.FirstLineNames && text.data() >= stored.data())
            cursor.Keep(text);
        if (name.empty())
        {
            host.ProcessEvents();
            continue;
        }
        const std::string path = target + name;

        // The common case first: a new name, neither the list's nor one this run wrote.
        bool written = !lastFound && !(fileList && name == listName) &&
                       !namer.WrittenBefore(name) &&
                       writeNew(name, text) == TargetFolder::Outcome::Written;
        bool repeated = false;
        Answer answer = Answer::Yes;
        if (!written)
        {
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
            lastFound = exists || destination != path;
            repeated = exists && !mustAsk && namer.WrittenBefore(name);
            if (repeated)
                answer = host.AskRepeatedName(RepeatedNameQuestion(path), path, index + 1);
            else if (mustAsk || (!request.Silent && exists))
                answer = host.AskQuestion(question, QuestionStyle::YesNoCancel);
            if (answer == Answer::Cancel)
                break;
            if (answer == Answer::Yes)
            {
                // Nothing there after all: a new file (unless one appeared meanwhile).
                if (lastFound || writeNew(name, text) != TargetFolder::Outcome::Written)
                {
                    try
                    {
                        WriteFragment(request, destination, text, checkSource);
                    }
                    catch (const FileError&)
                    {
                        checkSource();
                        throw;
                    }
                }
                listReplaced = listReplaced || isList;
                written = true;
            }
        }
        if (written)
        {
            namer.Written(name);
            host.FileWritten(path,
                             text.size() - (request.KeepLineEnds ? 0 : FinalLineBreakLength(text)));
        }
        // A fragment declined for a name an earlier one took is not listed: the list would
        // name that file twice, and a join would give the earlier fragment twice.
        if (fileList && !listReplaced && !(repeated && answer == Answer::No))
            AppendTextLine(listPath, fullPathLines ? path : name, ListFileRetries, wait);
        host.ItemDone(index, count, text.size());
        ReportProgress(host, index, count);
    }
    return RunEnd::Finished;
}
} // namespace Kestrin
