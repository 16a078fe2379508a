#include "SplitRun.h"

#include "Exists.h"
#include "FileAccess.h"
#include "FragmentNames.h"
#include "Progress.h"
#include "TextFile.h"

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
} // namespace

std::string OverwriteQuestion(const std::string& path)
{
    return path + "\r\nA file with this name already exists. Overwrite?";
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
    if (request.FileList)
        AppendTextLine(listPath);

    const std::size_t count = fragments.Count();
    const int width = NumberWidth(count);
    // The source is never replaced without a question, silent or not (first-line names
    // can name it).
    const auto sourceKey = KeyOf(request.Source);
    const auto wait = [&host] { host.WaitOneSecond(); };

    FragmentList::Cursor cursor(fragments);
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
            name = FirstLineName(text);
            cursor.Keep(text);
            if (name.empty())
            {
                host.ProcessEvents();
                continue;
            }
        }
        const std::string path = target + name;

        Answer answer = Answer::Yes;
        if ((!request.Silent || IsSameFile(sourceKey, path)) && FileExists(path))
            answer = host.AskQuestion(OverwriteQuestion(path), QuestionStyle::YesNoCancel);
        if (answer == Answer::Cancel)
            break;
        if (answer == Answer::Yes)
            WriteTextFile(path, text);
        if (request.FileList)
            AppendTextLine(listPath, path, ListFileRetries, wait);
        ReportProgress(host, index, count);
    }
    return RunEnd::Finished;
}
} // namespace Kestrin
