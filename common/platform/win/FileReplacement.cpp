// SPDX-License-Identifier: MIT
// Windows counterpart of the safe whole-file replacement. Every file, new or existing, is
// written to a temporary file beside its target and then moved into place: an existing file
// by ReplaceFileA, which keeps its ACL, and then given back its attributes (a read-only file
// stays read-only; Wine's ReplaceFile drops hidden and system), a new one by MoveFileExA
// without replacing what appeared meanwhile. A failed or abandoned write leaves the old file
// whole, or no file, and no temporary file. A device or a pipe is never written: "nul.txt"
// names the NUL device in every folder, and writing it would lose the text without a word.
//
// The temporary file is TemporaryName(NAME) beside the target, as on POSIX. Writers open it
// without sharing deletion, so one that a live writer holds cannot be deleted and stops a
// second writer; one left by a killed process (the system closed its handle) is removed at
// the next write of the same target.
#include "common/FileReplacement.h"

#include "Win32Error.h"
#include "common/FileError.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace Kestrin
{
bool FileReplacement::SyncReplacedFiles = false;

namespace
{
// Attributes a replacement gives back; the rest belong to the file system.
constexpr DWORD KeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                 FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                 FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

std::string FolderOf(const std::string& path)
{
    const auto slash = path.find_last_of("\\/");
    if (slash == std::string::npos)
        return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : ".";
    return path.substr(0, slash == 2 && path[1] == ':' ? 3 : slash);
}

std::string NameOf(const std::string& path)
{
    const auto slash = path.find_last_of("\\/:");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a path names once symbolic links are followed, as the system spells it.
std::string FinalPath(HANDLE handle, const std::string& fallback)
{
    char buffer[MAX_PATH * 4] = {};
    const DWORD length = ::GetFinalPathNameByHandleA(handle, buffer, sizeof buffer, 0);
    if (length == 0 || length >= sizeof buffer)
        return fallback;
    std::string path(buffer, length);
    if (path.rfind("\\\\?\\UNC\\", 0) == 0)
        return "\\\\" + path.substr(8);
    if (path.rfind("\\\\?\\", 0) == 0)
        return path.substr(4);
    return path;
}

// FNV-1a of the name, as 16 hexadecimal digits.
std::string NameHash(const std::string& name)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : name)
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    static const char* const digits = "0123456789abcdef";
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4)
        text[static_cast<std::size_t>(i)] = digits[hash & 15];
    return text;
}

HANDLE AsHandle(int descriptor)
{
    return reinterpret_cast<HANDLE>(::_get_osfhandle(descriptor));
}

enum class Mode
{
    NewFile, // temporary file moved in without replacing anything
    Replace  // temporary file put in the target's place by ReplaceFile
};
} // namespace

struct FileReplacement::State
{
    std::string path;   // as the caller named it
    std::string target; // links followed
    std::string temporary;
    int descriptor = -1; // C runtime descriptor over the temporary file's handle
    Mode mode = Mode::NewFile;
    DWORD originalAttributes = 0;
    bool committed = false;

    void Examine(Links links);
    void CreateTemporary();
    void Discard() noexcept;
    void RestoreAttributes() const
    {
        ::SetFileAttributesA(target.c_str(),
                             originalAttributes ? originalAttributes : FILE_ATTRIBUTE_NORMAL);
    }
};

std::string WriteDestination(const std::string& path, bool* exists)
{
    std::string destination = path;
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    {
        const HANDLE handle =
            ::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        // A dangling link keeps its own name; Examine refuses to write through it, as where
        // it leads is known only from its reparse data.
        if (handle != INVALID_HANDLE_VALUE)
        {
            destination = FinalPath(handle, path);
            ::CloseHandle(handle);
        }
    }
    if (exists)
    {
        const DWORD found = destination == path && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)
                                ? attributes
                                : ::GetFileAttributesA(destination.c_str());
        *exists = found != INVALID_FILE_ATTRIBUTES && !(found & FILE_ATTRIBUTE_DIRECTORY) &&
                  !(found & FILE_ATTRIBUTE_REPARSE_POINT);
    }
    return destination;
}

void FileReplacement::State::Examine(Links links)
{
    const DWORD attributes = ::GetFileAttributesA(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
    {
        const DWORD error = ::GetLastError();
        // A missing folder says ENOENT, so that the caller creates it.
        if (error != ERROR_FILE_NOT_FOUND)
            throw Win32FileError(error, path);
        mode = Mode::NewFile;
        return;
    }
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
    {
        if (links == Links::Refuse)
            throw FileError(ELOOP, "became a symbolic link; nothing was written through it", path);
        // Still a link after following: it leads nowhere.
        throw FileError(ENOENT, "is a symbolic link that leads nowhere; nothing was written", path);
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        throw FileError::FromSystem(EISDIR, path);
    // What the path really is: "nul.txt" names the NUL device in any folder.
    const HANDLE probe = ::CreateFileA(target.c_str(), FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, 0, nullptr);
    if (probe == INVALID_HANDLE_VALUE)
        throw LastWin32FileError(path);
    const DWORD type = ::GetFileType(probe);
    BY_HANDLE_FILE_INFORMATION info{};
    const BOOL known = type == FILE_TYPE_DISK && ::GetFileInformationByHandle(probe, &info);
    const DWORD error = ::GetLastError();
    ::CloseHandle(probe);
    if (type != FILE_TYPE_DISK)
        throw FileError::NotRegularFile(path);
    if (!known)
        throw Win32FileError(error, path);
    mode = Mode::Replace;
    originalAttributes = info.dwFileAttributes & KeptAttributes;
}

void FileReplacement::State::CreateTemporary()
{
    const std::string folder = FolderOf(target);
    const bool joined = folder.back() == '\\' || (folder.size() == 2 && folder[1] == ':');
    const std::string prefix = folder + (joined ? "" : "\\");
    temporary = prefix + TemporaryName(NameOf(target));
    // Paths stop at MAX_PATH for the ANSI calls: a target that fits must not fail only
    // because its temporary name is longer. Then a hash of the name stands for it.
    if (temporary.size() >= MAX_PATH)
        temporary = prefix + TemporaryName(std::string(1, '~') + NameHash(NameOf(target)));
    for (int attempt = 0;; ++attempt)
    {
        // Deletion is not shared: a live writer's temporary file cannot be taken for stale.
        const HANDLE handle =
            ::CreateFileA(temporary.c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ,
                          nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE)
        {
            descriptor = ::_open_osfhandle(reinterpret_cast<std::intptr_t>(handle), _O_BINARY);
            if (descriptor >= 0)
                return;
            ::CloseHandle(handle);
            ::DeleteFileA(temporary.c_str());
            temporary.clear();
            throw FileError::FromSystem(EMFILE, path);
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS || attempt >= 2)
        {
            temporary.clear();
            throw Win32FileError(error, path);
        }
        // Left by a killed writer: it goes. Held by a live one: this write stops.
        const DWORD attributes = ::GetFileAttributesA(temporary.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        {
            const std::string inTheWay = temporary;
            temporary.clear();
            throw FileError::FromSystem(EEXIST, inTheWay);
        }
        if (attributes & FILE_ATTRIBUTE_READONLY)
            ::SetFileAttributesA(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!::DeleteFileA(temporary.c_str()) && ::GetLastError() == ERROR_SHARING_VIOLATION)
        {
            temporary.clear();
            throw FileError(EBUSY, "is being written by another program", path);
        }
    }
}

FileReplacement::FileReplacement(const std::string& path, Links links)
    : state_(std::make_unique<State>())
{
    State& state = *state_;
    state.path = path;
    state.target = links == Links::Follow ? WriteDestination(path) : path;
    // Fixed now, so that the temporary file and the target stay in one folder (and
    // ReplaceFile, which refuses some relative names, gets whole ones).
    char full[MAX_PATH] = {};
    const DWORD length = ::GetFullPathNameA(state.target.c_str(), sizeof full, full, nullptr);
    if (length > 0 && length < sizeof full)
        state.target.assign(full, length);
    // A device name ("nul.txt", "COM1") becomes "\\.\NUL", a pipe stays "\\.\pipe\...".
    if (state.target.rfind("\\\\.\\", 0) == 0)
        throw FileError::NotRegularFile(path);
    if (NameOf(state.target).empty())
        throw FileError::FromSystem(EISDIR, path);
    state.Examine(links);
    state.CreateTemporary();
}

FileReplacement::~FileReplacement()
{
    if (!state_->committed)
        state_->Discard();
}

void FileReplacement::State::Discard() noexcept
{
    if (descriptor >= 0)
        ::_close(descriptor);
    descriptor = -1;
    if (!temporary.empty())
        ::DeleteFileA(temporary.c_str());
    temporary.clear();
}

int FileReplacement::Descriptor() const
{
    return state_->descriptor;
}

void FileReplacement::Fail(int systemError) const
{
    throw FileError::FromSystem(systemError, state_->path);
}

void FileReplacement::Write(std::string_view bytes)
{
    const HANDLE handle = AsHandle(state_->descriptor);
    while (!bytes.empty())
    {
        const DWORD chunk = bytes.size() > 0x40000000u ? 0x40000000u : DWORD(bytes.size());
        DWORD written = 0;
        if (!::WriteFile(handle, bytes.data(), chunk, &written, nullptr))
            throw LastWin32FileError(state_->path);
        bytes.remove_prefix(written);
    }
}

void FileReplacement::Commit()
{
    State& state = *state_;
    if (SyncReplacedFiles && !::FlushFileBuffers(AsHandle(state.descriptor)))
        throw LastWin32FileError(state.path);
    const int descriptor = state.descriptor;
    state.descriptor = -1;
    if (::_close(descriptor) != 0)
    {
        const int error = errno;
        state.Discard();
        Fail(error);
    }
    if (state.mode == Mode::Replace)
    {
        // ReplaceFile refuses a read-only target; the attributes come back afterwards.
        if (state.originalAttributes & FILE_ATTRIBUTE_READONLY)
            ::SetFileAttributesA(state.target.c_str(),
                                 state.originalAttributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
        if (!::ReplaceFileA(state.target.c_str(), state.temporary.c_str(), nullptr,
                            REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS,
                            nullptr, nullptr))
        {
            const DWORD error = ::GetLastError();
            state.RestoreAttributes();
            state.Discard();
            throw Win32FileError(error, state.path);
        }
        state.RestoreAttributes();
    }
    else if (!::MoveFileExA(state.temporary.c_str(), state.target.c_str(), MOVEFILE_WRITE_THROUGH))
    {
        // Something appeared under the name meanwhile: it is not ours to replace.
        const DWORD error = ::GetLastError();
        state.Discard();
        throw Win32FileError(error, state.path);
    }
    state.temporary.clear();
    state.committed = true;
}
} // namespace Kestrin
