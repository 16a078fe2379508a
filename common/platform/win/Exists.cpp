// SPDX-License-Identifier: MIT
// The existence tests on Windows ask the system by the path's bytes in the ANSI code page,
// as every other file procedure does (std::filesystem would read the bytes as Latin-1 and
// miss names with, say, a euro sign in Windows-1252).
#include "common/Exists.h"

#include <windows.h>

namespace Kestrin
{
namespace
{
// Attributes of what the path names, symbolic links followed: a link is asked of its
// target, and a dangling link names nothing.
DWORD AttributesOf(const std::string& path)
{
    if (path.empty())
        return INVALID_FILE_ATTRIBUTES;
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return attributes;
    const HANDLE handle = ::CreateFileA(
        path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return INVALID_FILE_ATTRIBUTES;
    BY_HANDLE_FILE_INFORMATION info{};
    const BOOL known = ::GetFileInformationByHandle(handle, &info);
    ::CloseHandle(handle);
    return known ? info.dwFileAttributes : INVALID_FILE_ATTRIBUTES;
}
} // namespace

bool FileExists(const std::string& path)
{
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path)
{
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
} // namespace Kestrin
