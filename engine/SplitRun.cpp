// SPDX-License-Identifier: MIT
#include "SplitRun.h"

#include "FragmentDecision.h"
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

// The list file of a real run: asked about when it is the source, started, then given a
// line per fragment until a fragment takes its place.
class SplitListFile
{
public:
    SplitListFile(const RunRequest& request, const std::string& target, std::string name)
        : enabled_(request.FileList), target_(target), name_(std::move(name)),
          path_(target + name_), fullPathLines_(IsRootedFolder(target))
    {
    }

    // Asks when the list would replace the source; false: the run is cancelled.
    bool Start(const std::optional<FileIdentity>& sourceKey, RunHost& host)
    {
        if (enabled_ && IsSameFile(sourceKey, path_))
        {
            const Answer answer =
                host.AskQuestion(ListIsSourceQuestion(path_), QuestionStyle::YesNoCancel);
            if (answer == Answer::Cancel)
                return false;
            // No: the fragments are still written, and no list is.
            enabled_ = answer == Answer::Yes;
        }
        if (enabled_)
        {
            AppendTextLine(path_);
            // A fragment declined before any was written is still listed: the folder must
            // be there.
            CreateFolderPath(target_);
        }
        return true;
    }
    bool IsItsName(const std::string& name) const { return enabled_ && name == name_; }
    // Whether a write to `destination` would land on the list.
    bool IsAt(const std::string& destination, bool exists) const
    {
        return enabled_ &&
               (destination == path_ || (exists && IsSameFile(KeyOf(path_), destination)));
    }
    // A fragment took the list's place: nothing is appended to it after that.
    void Replaced() { replaced_ = true; }
    void Add(const std::string& path, const std::string& name, RunHost& host) const
    {
        if (!enabled_ || replaced_)
            return;
        const auto wait = [&host] { host.WaitOneSecond(); };
        AppendTextLine(path_, fullPathLines_ ? path : name, ListFileRetries, wait);
    }

private:
    bool enabled_;
    std::string target_;
    std::string name_;
    std::string path_;
    bool fullPathLines_;
    bool replaced_ = false;
};

// Writes fragments into the target folder. New ones are made relative to one handle on
// the folder, opened when the first fragment goes there (it may be made then), linked in
// only when complete and never over anything: nothing looks at the name beforehand, as a
// taken name fails the link, which is the answer. The bytes are read from the source while
// they are written: a source changed meanwhile (or cut short, which fails the write
// itself) must not leave a torn fragment, and the message names the source.
class FragmentWriter
{
public:
    FragmentWriter(const RunRequest& request, std::string target, FragmentList::Cursor& cursor)
        : request_(request), target_(std::move(target)),
          checkSource_([&cursor] { cursor.ThrowIfSourceChanged(); })
    {
    }

    TargetFolder::Outcome WriteNew(const std::string& name, std::string_view text)
    {
        OpenFolder();
        if (!request_.KeepLineEnds)
            text.remove_suffix(FinalLineBreakLength(text));
        try
        {
            return folder_->WriteNew(name, text, checkSource_);
        }
        catch (const FileError&)
        {
            checkSource_();
            throw;
        }
    }

    // Over what is at `destination`, where the fragment's name leads.
    void WriteOver(const std::string& destination, std::string_view text)
    {
        try
        {
            WriteFragment(request_, destination, text, checkSource_);
        }
        catch (const FileError&)
        {
            checkSource_();
            throw;
        }
    }

private:
    void OpenFolder()
    {
        if (folder_)
            return;
        try
        {
            folder_.emplace(target_);
        }
        catch (const FileError& error)
        {
            // Missing folders are made; a file in the way is named by CreateFolderPath.
            if (error.Number() != ENOENT && error.Number() != ENOTDIR)
                throw;
            CreateFolderPath(target_);
            folder_.emplace(target_);
        }
    }

    const RunRequest& request_;
    std::string target_;
    std::function<void()> checkSource_;
    std::optional<TargetFolder> folder_;
};

// Puts the walk's changes to the fragments into the list however the run ends.
struct CursorFinisher
{
    FragmentList::Cursor& cursor;
    CursorFinisher(const CursorFinisher&) = delete;
    CursorFinisher& operator=(const CursorFinisher&) = delete;
    ~CursorFinisher()
    {
        try
        {
            cursor.Finish();
        }
        catch (...) // out of memory while unwinding: the changes are lost, nothing else
        {
        }
    }
};

enum class Placed
{
    Written,
    Declined,
    DeclinedRepeated, // declined for a name an earlier fragment of this run took
    Cancelled
};

// One real run's walk over the fragments, written or asked about one by one.
class SplitWalk
{
public:
    SplitWalk(const RunRequest& request, std::string target,
              const std::optional<FileIdentity>& sourceKey, FragmentNamer& namer,
              SplitListFile& list, FragmentList::Cursor& cursor, RunHost& host)
        : request_(request), target_(std::move(target)), namer_(namer), list_(list),
          writer_(request, target_, cursor), host_(host), sourceKey_(sourceKey)
    {
    }

    // Where the fragment `index` goes, by name; its text as written.
    Placed Place(std::size_t index, const std::string& name, std::string_view text)
    {
        // The common case first: a new name, neither the list's nor one this run wrote.
        const bool isNew = !lastFound_ && !list_.IsItsName(name) && !namer_.WrittenBefore(name);
        Placed placed = isNew && writer_.WriteNew(name, text) == TargetFolder::Outcome::Written
                            ? Placed::Written
                            : PlaceOverFound(index, name, text);
        if (placed == Placed::Written)
        {
            namer_.Written(name);
            host_.FileWritten(target_ + name,
                              text.size() -
                                  (request_.KeepLineEnds ? 0 : FinalLineBreakLength(text)));
        }
        return placed;
    }

private:
    // Where the write lands is looked at once (a link is followed here, so nothing swapped
    // in later is followed) and decides what is asked.
    Placed PlaceOverFound(std::size_t index, const std::string& name, std::string_view text)
    {
        const std::string path = target_ + name;
        FoundAtName found;
        const std::string destination = WriteDestination(path, &found.Exists);
        found.Link = destination != path;
        found.InsideTarget = !found.Link || IsInsideFolder(destination, target_);
        found.ListFile = list_.IsAt(destination, found.Exists);
        found.Source = found.Exists && IsSameFile(sourceKey_, destination);
        found.WrittenBefore = namer_.WrittenBefore(name);
        // A run over existing fragments looks at each name once rather than writing first
        // in vain.
        lastFound_ = found.Exists || found.Link;
        const FragmentStep step = DecideFragment(found, request_.Silent);
        const Answer answer = Ask(step, index, path, destination, found);
        if (answer == Answer::Cancel)
            return Placed::Cancelled;
        if (answer == Answer::No)
            return step == FragmentStep::AskRepeatedName ? Placed::DeclinedRepeated
                                                         : Placed::Declined;
        // Nothing there after all: a new file (unless one appeared meanwhile).
        if (lastFound_ || writer_.WriteNew(name, text) != TargetFolder::Outcome::Written)
            writer_.WriteOver(destination, text);
        if (found.ListFile)
            list_.Replaced();
        return Placed::Written;
    }

    Answer Ask(FragmentStep step, std::size_t index, const std::string& path,
               const std::string& destination, const FoundAtName& found)
    {
        switch (step)
        {
        case FragmentStep::Write:
            break;
        case FragmentStep::AskOverwrite:
            return host_.AskQuestion(OverwriteQuestion(path), QuestionStyle::YesNoCancel);
        case FragmentStep::AskAboutLink:
            return host_.AskQuestion(
                LinkQuestion(path, destination, found.InsideTarget, found.Exists),
                QuestionStyle::YesNoCancel);
        case FragmentStep::AskRepeatedName:
            return host_.AskRepeatedName(RepeatedNameQuestion(path), path, index + 1);
        }
        return Answer::Yes;
    }

    const RunRequest& request_;
    std::string target_;
    FragmentNamer& namer_;
    SplitListFile& list_;
    FragmentWriter writer_;
    RunHost& host_;
    std::optional<FileIdentity> sourceKey_;
    // Set when the fragment before found its name taken.
    bool lastFound_ = false;
};
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
    const std::size_t count = fragments.Count();
    const std::string listName = base + "_List" + extension;
    FragmentNamer namer(request, target, base, extension, count);
    if (request.DryRun)
        return NameFragments(request, target, target + listName, namer, fragments, host);
    // Neither the source nor the list is replaced without a question, silent or not
    // (first-line names can name them, and so can a source name given from elsewhere).
    const auto sourceKey = KeyOf(request.Source);
    // The source's bytes are reached before anything is deleted, so that a source the user
    // lets the list replace is still split whole.
    FragmentList::Cursor cursor(fragments);
    SplitListFile list(request, target, listName);
    if (!list.Start(sourceKey, host))
        return RunEnd::Finished;
    SplitWalk walk(request, target, sourceKey, namer, list, cursor, host);
    const CursorFinisher finisher{cursor};
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
        const Placed placed = walk.Place(index, name, text);
        if (placed == Placed::Cancelled)
            break;
        // A fragment declined for a name an earlier one took is not listed: the list would
        // name that file twice, and a join would give the earlier fragment twice.
        if (placed != Placed::DeclinedRepeated)
            list.Add(target + name, name, host);
        host.ItemDone(index, count, text.size());
        ReportProgress(host, index, count);
    }
    return RunEnd::Finished;
}
} // namespace Kestrin
