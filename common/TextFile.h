// SPDX-License-Identifier: MIT
#pragma once
// Whole-file text procedures. Texts are bytes and pass through unchanged; lines the
// program writes end in CR LF. Failures throw FileError; nothing here shows a message.
#include "FileReplacement.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace Kestrin
{
// How many bytes at the end of a text make up its one final line break as a whole-file
// write drops it: a CR LF, then (on what is left) a bare LF. "abc\r\n\r\n" gives 3.
std::size_t FinalLineBreakLength(std::string_view text);

// The whole file; the empty text when FileExists is false. Only regular files have bytes
// to read: a device or pipe reads as empty, as its reported length is 0.
std::string ReadTextFile(const std::string& path);

// Writes the text without its final line break, creating missing folders. An existing
// file is replaced safely (FileReplacement): its permission bits stay, so a read-only
// file stays read-only; a failed write leaves it as it was. An empty path does nothing.
// `beforeCommit` runs once the bytes are written and before the file takes its name; what
// it throws leaves the file as it was.
void WriteTextFile(const std::string& path, std::string_view text, Links links = Links::Follow,
                   const std::function<void()>& beforeCommit = {});
// The same, with every byte of the text, its final line break included.
void WriteWholeFile(const std::string& path, std::string_view bytes, Links links = Links::Follow,
                    const std::function<void()>& beforeCommit = {});

// Appends the line and CR LF, creating the file. Without a line it deletes the file
// instead (the split starts a new list file so). While access is denied it waits and
// tries again, `retries` times at most; `waitOneSecond` is the caller's wait (the window
// keeps processing events while it waits); without one the thread sleeps a second.
// A read-only file is made writable for the append and then given back its bits.
void AppendTextLine(const std::string& path, std::optional<std::string_view> line = std::nullopt,
                    int retries = 0, const std::function<void()>& waitOneSecond = {});

// Deletes the file or symbolic link at the path; nothing there, or a folder, is left as it
// is; a device or pipe is refused (FileError).
void DeleteFileIfPresent(const std::string& path);

// Creates every missing folder of the path (see FolderPathSteps), the first failure
// throws and leaves the folders made before it. Returns true.
bool CreateFolderPath(const std::string& folder);
} // namespace Kestrin
