// Windows counterpart of the safe whole-file replacement. Every file, new or existing, is
// written to a temporary file beside its target and then moved into place: an existing file
// by ReplaceFileA, which keeps its ACL, and then given back its attributes (a read-only file
// stays read-only; Wine's ReplaceFile drops hidden and system), a new one by MoveFileExA
// without replacing what appeared meanwhile. A failed or abandoned write leaves the old file
// whole, or no file, and no temporary file. A device or a pipe is never written: "nul.txt"
// names the NUL device in every folder, and writing it would lose the text without a word.
//
// Temporary files are named "~<16 hex digits>-<8 hex digits>.kestrin-tmp": a hash of the
// target's name (its case folded, as the file system folds it), so that stale ones of the
// same target are found, and a number for this write. Stale ones (a killed process) are
// removed at the next write of the target; one that a live writer holds open cannot be
// deleted, as writers never share deletion, and stays.
#include "FileReplacement.h"

#include "FileError.h"
#include "platform/win/Win32Error.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <io.h>
#include <random>
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

std::string Hex(std::uint64_t value, int digits)
{
    static const char* const digitsOf = "0123456789abcdef";
    std::string text(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4)
        text[static_cast<std::size_t>(i)] = digitsOf[value & 15];
    return text;
}

// FNV-1a of the name with ASCII letters folded: the same target, however it is spelt.
std::string TemporaryStem(const std::string& target)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (char c : NameOf(target))
    {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    return "~" + Hex(hash, 16) + "-";
}

constexpr const char* TemporarySuffix = ".kestrin-tmp";

// Removes what killed writers of the same target left behind.
void RemoveStaleTemporaries(const std::string& folder, const std::string& stem)
{
    WIN32_FIND_DATAA found{};
    const std::string pattern = folder + "\\" + stem + "*" + TemporarySuffix;
    const HANDLE search = ::FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do
    {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        // Fails with a sharing violation while its writer is alive.
        ::DeleteFileA((folder + "\\" + found.cFileName).c_str());
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
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

HANDLE AsHandle(int descriptor)
{
    return reinterpret_cast<HANDLE>(::_get_osfhandle(descriptor));
}
} // namespace

FileReplacement::FileReplacement(const std::string& path) : path_(path), target_(path)
{
    const DWORD attributes = ::GetFileAttributesA(path_.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
    {
        const DWORD error = ::GetLastError();
        // A missing folder says ENOENT, so that the caller creates it.
        if (error != ERROR_FILE_NOT_FOUND)
            throw Win32FileError(error, path_);
        mode_ = Mode::NewFile;
    }
    else
    {
        // What the path really is: links followed, devices and pipes told from files.
        const HANDLE probe =
            ::CreateFileA(path_.c_str(), FILE_READ_ATTRIBUTES,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (probe == INVALID_HANDLE_VALUE)
        {
            const DWORD error = ::GetLastError();
            if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
                throw FileError(ENOENT, "The symbolic link names no file.", path_);
            throw Win32FileError(error, path_);
        }
        const DWORD type = ::GetFileType(probe);
        BY_HANDLE_FILE_INFORMATION info{};
        const BOOL known = ::GetFileInformationByHandle(probe, &info);
        if (type == FILE_TYPE_DISK && known)
            target_ = FinalPath(probe, path_);
        ::CloseHandle(probe);
        if (type != FILE_TYPE_DISK)
            throw FileError(EINVAL, "This is a device or a pipe, not a file; it is not written.",
                            path_);
        if (!known)
            throw LastWin32FileError(path_);
        if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            throw FileError::FromSystem(EISDIR, path_);
        mode_ = Mode::Replace;
        originalMode_ = info.dwFileAttributes & KeptAttributes;
    }

    const std::string folder = FolderOf(target_);
    const std::string stem = TemporaryStem(target_);
    RemoveStaleTemporaries(folder, stem);
    std::random_device seed;
    HANDLE handle = INVALID_HANDLE_VALUE;
    for (int attempt = 0; handle == INVALID_HANDLE_VALUE; ++attempt)
    {
        temporary_ = folder + "\\" + stem + Hex(seed(), 8) + TemporarySuffix;
        // Deletion is not shared: a live writer's file is never taken for a stale one.
        handle =
            ::CreateFileA(temporary_.c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ,
                          nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE &&
            (::GetLastError() != ERROR_FILE_EXISTS || attempt >= 100))
        {
            const DWORD error = ::GetLastError();
            temporary_.clear();
            throw Win32FileError(error, path_);
        }
    }
    descriptor_ = ::_open_osfhandle(reinterpret_cast<std::intptr_t>(handle), _O_BINARY);
    if (descriptor_ < 0)
    {
        ::CloseHandle(handle);
        ::DeleteFileA(temporary_.c_str());
        temporary_.clear();
        throw FileError::FromSystem(EMFILE, path_);
    }
}

FileReplacement::~FileReplacement()
{
    if (!committed_)
        Discard();
}

void FileReplacement::Discard() noexcept
{
    if (descriptor_ >= 0)
        ::_close(descriptor_);
    descriptor_ = -1;
    if (!temporary_.empty())
        ::DeleteFileA(temporary_.c_str());
    temporary_.clear();
}

void FileReplacement::Fail(int systemError) const
{
    throw FileError::FromSystem(systemError, path_);
}

void FileReplacement::Write(std::string_view bytes)
{
    const HANDLE handle = AsHandle(descriptor_);
    while (!bytes.empty())
    {
        const DWORD chunk = bytes.size() > 0x40000000u ? 0x40000000u : DWORD(bytes.size());
        DWORD written = 0;
        if (!::WriteFile(handle, bytes.data(), chunk, &written, nullptr))
            throw LastWin32FileError(path_);
        bytes.remove_prefix(written);
    }
}

void FileReplacement::Commit()
{
    if (SyncReplacedFiles && !::FlushFileBuffers(AsHandle(descriptor_)))
        throw LastWin32FileError(path_);
    const int descriptor = descriptor_;
    descriptor_ = -1;
    if (::_close(descriptor) != 0)
    {
        const int error = errno;
        Discard();
        Fail(error);
    }
    if (mode_ == Mode::Replace)
    {
        // ReplaceFile refuses a read-only target; the attributes come back afterwards.
        if (originalMode_ & FILE_ATTRIBUTE_READONLY)
            ::SetFileAttributesA(target_.c_str(), originalMode_ & ~DWORD(FILE_ATTRIBUTE_READONLY));
        if (!::ReplaceFileA(target_.c_str(), temporary_.c_str(), nullptr,
                            REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS,
                            nullptr, nullptr))
        {
            const DWORD error = ::GetLastError();
            ::SetFileAttributesA(target_.c_str(),
                                 originalMode_ ? originalMode_ : FILE_ATTRIBUTE_NORMAL);
            Discard();
            throw Win32FileError(error, path_);
        }
        ::SetFileAttributesA(target_.c_str(),
                             originalMode_ ? originalMode_ : FILE_ATTRIBUTE_NORMAL);
    }
    else if (!::MoveFileExA(temporary_.c_str(), target_.c_str(), MOVEFILE_WRITE_THROUGH))
    {
        // Something appeared under the name meanwhile: it is not ours to replace.
        const DWORD error = ::GetLastError();
        Discard();
        throw Win32FileError(error, path_);
    }
    temporary_.clear();
    committed_ = true;
}
} // namespace Kestrin
