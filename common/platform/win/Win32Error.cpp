// SPDX-License-Identifier: MIT
#include "Win32Error.h"

#include <cerrno>
#include <windows.h>

namespace Kestrin
{
namespace
{
// The system's error codes this program tells apart, by the error number they mean here.
const struct
{
    unsigned long Win32;
    int Errno;
} ErrnoTable[] = {
    {ERROR_FILE_NOT_FOUND, ENOENT},
    {ERROR_PATH_NOT_FOUND, ENOENT},
    {ERROR_INVALID_DRIVE, ENOENT},
    {ERROR_BAD_NETPATH, ENOENT},
    {ERROR_BAD_NET_NAME, ENOENT},
    {ERROR_BAD_PATHNAME, ENOENT},
    {ERROR_ACCESS_DENIED, EACCES},
    {ERROR_SHARING_VIOLATION, EACCES},
    {ERROR_LOCK_VIOLATION, EACCES},
    {ERROR_NETWORK_ACCESS_DENIED, EACCES},
    {ERROR_USER_MAPPED_FILE, EACCES},
    {ERROR_DELETE_PENDING, EACCES},
    {ERROR_WRITE_PROTECT, EROFS}, // not access denied: waiting would not help
    {ERROR_FILE_EXISTS, EEXIST},
    {ERROR_ALREADY_EXISTS, EEXIST},
    {ERROR_DISK_FULL, ENOSPC},
    {ERROR_HANDLE_DISK_FULL, ENOSPC},
    {ERROR_DIRECTORY, ENOTDIR},
    {ERROR_DIR_NOT_EMPTY, ENOTEMPTY},
    {ERROR_FILENAME_EXCED_RANGE, ENAMETOOLONG},
    {ERROR_INVALID_NAME, EINVAL},
    {ERROR_NOT_ENOUGH_MEMORY, ENOMEM},
    {ERROR_OUTOFMEMORY, ENOMEM},
    {ERROR_INVALID_HANDLE, EBADF},
    {ERROR_NOT_SAME_DEVICE, EXDEV},
    {ERROR_BROKEN_PIPE, EPIPE},
    {ERROR_NO_DATA, EPIPE},
};
} // namespace

int ErrnoOfWin32(unsigned long error)
{
    for (const auto& entry : ErrnoTable)
        if (entry.Win32 == error)
            return entry.Errno;
    return EIO;
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
