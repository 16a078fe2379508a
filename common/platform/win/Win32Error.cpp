// SPDX-License-Identifier: MIT
#include "Win32Error.h"

#include <cerrno>
#include <windows.h>

namespace Kestrin
{
int ErrnoOfWin32(unsigned long error)
{
    switch (error)
    {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_BAD_PATHNAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_NETWORK_ACCESS_DENIED:
    case ERROR_USER_MAPPED_FILE:
    case ERROR_DELETE_PENDING:
        return EACCES;
    case ERROR_WRITE_PROTECT:
        return EROFS; // not access denied: waiting would not help
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_DIR_NOT_EMPTY:
        return ENOTEMPTY;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_INVALID_NAME:
        return EINVAL;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_INVALID_HANDLE:
        return EBADF;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
        return EPIPE;
    default:
        return EIO;
    }
}

std::string Win32ErrorText(unsigned long error)
{
    char text[512] = {};
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
        nullptr, error, 0, text, sizeof text, nullptr);
    std::string message(text, length);
    // The system ends its texts in a line break (or, with the width mask, a blank).
    while (!message.empty() &&
           (message.back() == ' ' || message.back() == '\r' || message.back() == '\n'))
        message.pop_back();
    return message.empty() ? "Windows error " + std::to_string(error) : message;
}

FileError Win32FileError(unsigned long error, const std::string& path)
{
    return FileError(ErrnoOfWin32(error), Win32ErrorText(error), path);
}

FileError LastWin32FileError(const std::string& path)
{
    return Win32FileError(::GetLastError(), path);
}
} // namespace Kestrin
