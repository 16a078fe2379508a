// SPDX-License-Identifier: MIT
#pragma once
// The file services the text procedures and the engine need beyond whole-file writes:
// which file a path is, reading an input file in pieces or whole, appending, and copying
// an input into a FileReplacement inside the kernel. One implementation per platform
// (platform/posix, platform/win). Failures throw FileError naming the path.
#include "FileError.h"
#include "OutputFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace Kestrin
{
// Which file a path or open file is (device and file number) and when it last changed.
struct FileIdentity
{
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    std::int64_t Size = -1;
    std::int64_t ModifiedNs = 0; // since 1970, as the system clock counts
    std::int64_t ChangedNs = 0;

    // Same file and unchanged since.
    bool operator==(const FileIdentity& other) const
    {
        return IsSameFile(other) && Size == other.Size && ModifiedNs == other.ModifiedNs &&
               ChangedNs == other.ChangedNs;
    }
    bool operator!=(const FileIdentity& other) const { return !(*this == other); }
    bool IsSameFile(const FileIdentity& other) const
    {
        return Device == other.Device && Inode == other.Inode;
    }
};

// The identity of the file a path names (links followed); none when it cannot be examined.
std::optional<FileIdentity> IdentityOfPath(const std::string& path);
// The identity of the file an output is writing. Throws FileError naming its path.
FileIdentity IdentityOfOutput(const OutputFile& output);

// Frees a file buffer the way it was allocated (mapped pages or the heap).
struct BufferRelease
{
    std::size_t Capacity = 0;
    void operator()(char* data) const;
};
using FileBuffer = std::unique_ptr<char, BufferRelease>;

// Uninitialised room for `size` bytes (a std::string's zero fill would touch every page
// once more for nothing). Large buffers get huge pages where the system offers them.
FileBuffer AllocateFileBuffer(std::size_t size);

// A file opened for reading, from its start.
class InputFile
{
public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Opens without blocking, so that a named pipe or device does not hang the caller.
    // Returns whether it is a regular file: only those have bytes to read. Throws
    // FileError when the file cannot be opened or examined.
    bool Open(const std::string& path);
    const FileIdentity& Identity() const { return identity_; }
    // What the open file is now (examined through the handle: a file that another one
    // replaced under the same name is still this one); none when it cannot be examined.
    std::optional<FileIdentity> IdentityNow() const;
    std::uint64_t Size() const { return static_cast<std::uint64_t>(identity_.Size); }
    const std::string& Path() const { return path_; }

    // Up to `size` bytes from where the last read stopped; 0 at the end of the file.
    std::size_t Read(char* into, std::size_t size);
    // Reads until `size` bytes are there or the file ends; returns how many were read.
    std::size_t ReadUpTo(char* into, std::size_t size);

private:
    friend std::uint64_t CopyInKernel(InputFile& input, OutputFile& output, std::uint64_t length,
                                      bool& offered);
    friend class FileMapping;
    std::string path_;
    FileIdentity identity_;
    // The file descriptor, or the Windows handle; -1 (INVALID_HANDLE_VALUE) when closed.
    std::intptr_t native_ = -1;
};

// A regular file's first bytes mapped read-only into memory, instead of being copied: the
// pages come from the system's file cache and count once. The mapping is private, so
// nothing is ever written back. Another program may still truncate the file while it is
// mapped; reading the lost pages would then fault (SIGBUS on POSIX). The process instead
// maps zero pages over what was lost and marks the mapping damaged: a reader looks at
// Damaged() after reading and must not use what it read when it is set. (On Windows a
// mapped file cannot be truncated.)
class FileMapping
{
public:
    // Maps `size` bytes (not 0, at most the file's size when it was opened). Throws
    // FileError naming the file.
    FileMapping(const InputFile& file, std::size_t size);
    ~FileMapping();
    FileMapping(const FileMapping&) = delete;
    FileMapping& operator=(const FileMapping&) = delete;

    const char* Data() const { return data_; }
    std::size_t Size() const { return size_; }
    bool Damaged() const;
    // The reader is past the first `offset` bytes: their pages may leave memory (they are
    // read again from the file should anyone look at them again), so a walk through a
    // large file keeps only its neighbourhood resident.
    void Release(std::size_t offset) const;

private:
    const char* data_ = nullptr;
    std::size_t size_ = 0;
    int slot_ = -1;           // POSIX: where the fault handler finds the mapping
    std::intptr_t view_ = -1; // Windows: the mapping object
};

// Copies up to `length` bytes from the input's position to the output's end without
// passing them through the process, while `offered` holds. Returns how many it copied:
// fewer when the input is shorter than it was, or when the system does not offer such a
// copy between these files; then it clears `offered`, and the caller reads and writes the
// rest itself (a real read or write error shows there, naming its file).
std::uint64_t CopyInKernel(InputFile& input, OutputFile& output, std::uint64_t length,
                           bool& offered);

// Appends the bytes to the file, creating it. A read-only file is made writable for the
// append and then given back its bits. Returns the error that opening met (the caller
// may wait and try again while access is denied); throws FileError when writing fails.
std::optional<FileError> AppendToFile(const std::string& path, std::string_view bytes);

// Removes a file or a symbolic link (not what it leads to); nothing there, or a folder,
// is no failure; a device or pipe is refused. Throws FileError.
void RemoveFile(const std::string& path);

// An unnamed file in the temporary folder ($TMPDIR, else /tmp), open for reading and
// writing, gone when closed; -1 (errno set) when none can be made.
int OpenScratchFile();

// Everything a stream gives (standard input, `name` in errors) kept in an unnamed
// temporary file, and a path that opens it while this process runs. Throws FileError.
std::string KeepStreamInTemporaryFile(int descriptor, const std::string& name);

// The longest file name, in bytes, that can be made in the folder (the file system's
// limit; on Windows also what the path limit of the ANSI calls leaves beside the folder).
std::size_t LongestFileName(const std::string& folder);

// Makes one folder. Returns 0 or the system error number (EEXIST when something is there).
int MakeFolder(const std::string& path);
} // namespace Kestrin
