// SPDX-License-Identifier: MIT
#include "TextFile.h"

#include "Exists.h"
#include "FileAccess.h"
#include "FileError.h"
#include "FileReplacement.h"
#include "PathText.h"

#include <cerrno>
#include <chrono>
#include <thread>

namespace Kestrin
{
std::size_t FinalLineBreakLength(std::string_view text)
{
    std::size_t drop = 0;
    if (text.size() >= 2 && text.substr(text.size() - 2) == "\r\n")
        drop = 2;
    if (text.size() > drop && text[text.size() - drop - 1] == '\n')
        ++drop;
    return drop;
}

std::string ReadTextFile(const std::string& path)
{
    if (!FileExists(path))
        return {};
    // Opened without blocking, so that a named pipe does not hang the window.
    InputFile file;
    if (!file.Open(path))
        return {};
    std::string text(static_cast<std::size_t>(file.Size()), '\0');
    const std::size_t filled = file.ReadUpTo(&text[0], text.size());
    text.resize(filled);
    return text;
}

void WriteTextFile(const std::string& path, std::string_view text, Links links,
                   const std::function<void()>& beforeCommit)
{
    text.remove_suffix(FinalLineBreakLength(text));
    WriteWholeFile(path, text, links, beforeCommit);
}

void WriteWholeFile(const std::string& path, std::string_view text, Links links,
                    const std::function<void()>& beforeCommit)
{
    if (path.empty())
        return;
    // Folders are made only when opening says they are missing: one system call less per
    // file on the common path, with the same outcome.
    std::optional<FileReplacement> output;
    try
    {
        output.emplace(path, links);
    }
    catch (const FileError& error)
    {
        // Missing folders, or a file where one should be (named by CreateFolderPath).
        if (error.Number() != ENOENT && error.Number() != ENOTDIR)
            throw;
    }
    if (!output)
    {
        CreateFolderPath(FolderPart(path));
        output.emplace(path, links);
    }
    output->Write(text);
    if (beforeCommit)
        beforeCommit();
    output->Commit();
}

void AppendTextLine(const std::string& path, std::optional<std::string_view> line, int retries,
                    const std::function<void()>& waitOneSecond)
{
    if (path.empty())
        return;
    if (!line)
    {
        DeleteFileIfPresent(path);
        return;
    }
    std::string record(*line);
    record += "\r\n";
    for (int attempt = 0;; ++attempt)
    {
        const auto refused = AppendToFile(path, record);
        if (!refused)
            return;
        if (!refused->IsAccessDenied() || attempt >= retries)
            throw *refused;
        if (waitOneSecond)
            waitOneSecond();
        else
            std::this_thread::sleep_for(std::chrono::seconds(1));
    }
}

void DeleteFileIfPresent(const std::string& path)
{
    // Also a dangling link, which FileExists does not see: the name is to be free.
    if (path.empty())
        return;
    RemoveFile(path);
}

bool CreateFolderPath(const std::string& folder)
{
    for (const auto& step : FolderPathSteps(folder))
    {
        if (FolderExists(step))
            continue;
        const int error = MakeFolder(step);
        if (error == 0)
            continue;
        if (error == EEXIST && FolderExists(step))
            continue; // made meanwhile by someone else
        // Something else in the way: say it is not a folder rather than that it exists.
        throw FileError::FromSystem(error == EEXIST ? ENOTDIR : error, step);
    }
    return true;
}
} // namespace Kestrin
