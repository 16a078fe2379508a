// SPDX-License-Identifier: MIT
// Windows has no file without a name: a new fragment is written to its temporary file
// beside it (opened to be new, so a stale or live one sends it the usual way) and moved to
// its name without replacing anything. No existence probe comes first: a taken name fails
// the move, which is the answer.
#include "common/TargetFolder.h"

#include "Win32Error.h"
#include "common/FileError.h"
#include "common/FileReplacement.h"

#include <windows.h>

namespace Kestrin
{
TargetFolder::TargetFolder(std::string folder) : folder_(std::move(folder))
{
    if (!folder_.empty() && folder_.back() != '\\' && folder_.back() != '/' &&
        folder_.back() != ':')
        folder_ += '\\';
    const DWORD attributes = ::GetFileAttributesA(folder_.empty() ? "." : folder_.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
    {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            throw FileError::FromSystem(ENOENT, folder_);
        throw Win32FileError(error, folder_);
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw FileError::FromSystem(ENOTDIR, folder_);
}

TargetFolder::~TargetFolder() = default;

TargetFolder::Outcome TargetFolder::WriteNew(const std::string& name, std::string_view bytes,
                                             const std::function<void()>& beforeLink)
{
    const std::string target = folder_ + name;
    const std::string temporary = folder_ + FileReplacement::TemporaryName(name);
    if (temporary.size() >= MAX_PATH)
        return Outcome::Declined;
    const HANDLE handle = ::CreateFileA(temporary.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return Outcome::Declined;
    const auto discard = [&]
    {
        ::CloseHandle(handle);
        ::DeleteFileA(temporary.c_str());
    };
    try
    {
        while (!bytes.empty())
        {
            const DWORD chunk = bytes.size() > 0x40000000u ? 0x40000000u : DWORD(bytes.size());
            DWORD written = 0;
            if (!::WriteFile(handle, bytes.data(), chunk, &written, nullptr))
                throw LastWin32FileError(target);
            bytes.remove_prefix(written);
        }
        if (beforeLink)
            beforeLink();
    }
    catch (...)
    {
        discard();
        throw;
    }
    if (!::CloseHandle(handle))
    {
        const DWORD error = ::GetLastError();
        ::DeleteFileA(temporary.c_str());
        throw Win32FileError(error, target);
    }
    if (::MoveFileExA(temporary.c_str(), target.c_str(), 0))
        return Outcome::Written;
    const DWORD error = ::GetLastError();
    ::DeleteFileA(temporary.c_str());
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? Outcome::Exists
                                                                       : Outcome::Declined;
}
} // namespace Kestrin
