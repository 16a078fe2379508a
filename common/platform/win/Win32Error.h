// SPDX-License-Identifier: MIT
#pragma once
// The one translation of Win32 error codes for the file procedures: the C library's error
// number, so that callers tell the same kinds of failure apart as on POSIX (a missing
// folder, access denied, a full disk), with the system's own words as the description.
#include "common/FileError.h"

#include <string>

namespace Kestrin
{
// ERROR_FILE_NOT_FOUND gives ENOENT, a sharing violation EACCES (access denied, so the
// list file is retried), and so on; what has no counterpart gives EIO.
int ErrnoOfWin32(unsigned long error);
// The system's message for the code, one line without its final line break; "Windows
// error N" where the system has no text.
std::string Win32ErrorText(unsigned long error);
FileError Win32FileError(unsigned long error, const std::string& path);
// The calling thread's last error.
FileError LastWin32FileError(const std::string& path);
} // namespace Kestrin
