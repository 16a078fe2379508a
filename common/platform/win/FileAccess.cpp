// SPDX-License-Identifier: MIT
// Windows counterpart of the file services: handles from CreateFileA, identity from the
// volume serial number and file index, large buffers from VirtualAlloc. The kernel-side
// copy is not offered; the caller reads and writes instead.
#include "common/FileAccess.h"

#include "Win32Error.h"
#include "common/FileReplacement.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <io.h>
#include <new>
#include <vector>
#include <windows.h>

namespace Kestrin
{
namespace
{
constexpr std::size_t LargeBuffer = std::size_t(4) << 20;
// 100 ns ticks from 1601 to 1970.
constexpr std::int64_t EpochTicks = 116444736000000000LL;

HANDLE AsHandle(std::intptr_t native)
{
    return reinterpret_cast<HANDLE>(native);
}

int ErrnoOf(DWORD error)
{
    return ErrnoOfWin32(error);
}

FileError ErrorOf(DWORD error, const std::string& path)
{
    return Win32FileError(error, path);
}

std::int64_t NsOf(LARGE_INTEGER ticks)
{
    return (ticks.QuadPart - EpochTicks) * 100;
}

bool IdentityOf(HANDLE handle, FileIdentity& identity)
{
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_BASIC_INFO times{};
    if (!::GetFileInformationByHandle(handle, &info) ||
        !::GetFileInformationByHandleEx(handle, FileBasicInfo, &times, sizeof times))
        return false;
    identity.Device = info.dwVolumeSerialNumber;
    identity.Inode = (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    identity.Size =
        static_cast<std::int64_t>((std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    identity.ModifiedNs = NsOf(times.LastWriteTime);
    identity.ChangedNs = NsOf(times.ChangeTime);
    return true;
}

void WriteAll(HANDLE handle, std::string_view bytes, const std::string& path)
{
    while (!bytes.empty())
    {
        const DWORD chunk = bytes.size() > 0x40000000u ? 0x40000000u : DWORD(bytes.size());
        DWORD written = 0;
        if (!::WriteFile(handle, bytes.data(), chunk, &written, nullptr))
            throw ErrorOf(::GetLastError(), path);
        bytes.remove_prefix(written);
    }
}
} // namespace

void StreamOutput::Write(std::string_view bytes)
{
    while (!bytes.empty())
    {
        const unsigned chunk =
            bytes.size() > 0x40000000u ? 0x40000000u : static_cast<unsigned>(bytes.size());
        const int written = ::_write(descriptor_, bytes.data(), chunk);
        if (written < 0)
            Fail(errno);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void StreamOutput::Fail(int systemError) const
{
    throw FileError::FromSystem(systemError, name_);
}

std::optional<FileIdentity> IdentityOfPath(const std::string& path)
{
    // Attributes only, and folders too (backup semantics), without disturbing other users.
    const HANDLE handle = ::CreateFileA(
        path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    FileIdentity identity;
    const bool known = IdentityOf(handle, identity);
    ::CloseHandle(handle);
    if (!known)
        return std::nullopt;
    return identity;
}

FileIdentity IdentityOfOutput(const OutputFile& output)
{
    FileIdentity identity;
    const auto handle = AsHandle(::_get_osfhandle(output.Descriptor()));
    if (handle == INVALID_HANDLE_VALUE)
        output.Fail(EBADF);
    if (!IdentityOf(handle, identity))
        output.Fail(ErrnoOf(::GetLastError()));
    return identity;
}

void BufferRelease::operator()(char* data) const
{
    if (Capacity >= LargeBuffer)
        ::VirtualFree(data, 0, MEM_RELEASE);
    else
        delete[] data;
}

FileBuffer AllocateFileBuffer(std::size_t size)
{
    // Large pages need a privilege ordinary users lack; committed pages are the fallback
    // the system would choose anyway.
    if (size >= LargeBuffer)
    {
        void* data = ::VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        if (data == nullptr)
            throw std::bad_alloc();
        return FileBuffer(static_cast<char*>(data), BufferRelease{size});
    }
    return FileBuffer(new char[size == 0 ? 1 : size], BufferRelease{0});
}

InputFile::~InputFile()
{
    if (AsHandle(native_) != INVALID_HANDLE_VALUE)
        ::CloseHandle(AsHandle(native_));
}

bool InputFile::Open(const std::string& path)
{
    path_ = path;
    // Others may go on writing or renaming it, as on POSIX.
    const HANDLE handle = ::CreateFileA(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throw ErrorOf(::GetLastError(), path);
    native_ = reinterpret_cast<std::intptr_t>(handle);
    // Pipes and devices are not read: they could block, and have no length.
    if (::GetFileType(handle) != FILE_TYPE_DISK)
        return false;
    if (!IdentityOf(handle, identity_))
        throw ErrorOf(::GetLastError(), path);
    return true;
}

// Windows refuses to truncate a file while a view of it exists, so a mapping is never
// damaged the way a POSIX one can be (in-place writes by others still show through; the
// reader compares the file's identity for those).
FileMapping::FileMapping(const InputFile& file, std::size_t size)
{
    const HANDLE mapping =
        ::CreateFileMappingW(AsHandle(file.native_), nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (mapping == nullptr)
        throw ErrorOf(::GetLastError(), file.Path());
    void* data = ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, size);
    if (data == nullptr)
    {
        const DWORD error = ::GetLastError();
        ::CloseHandle(mapping);
        throw ErrorOf(error, file.Path());
    }
    data_ = static_cast<const char*>(data);
    size_ = size;
    view_ = reinterpret_cast<std::intptr_t>(mapping);
}

FileMapping::~FileMapping()
{
    ::UnmapViewOfFile(data_);
    ::CloseHandle(AsHandle(view_));
}

void FileMapping::Release(std::size_t) const
{
    // The system trims a view's pages from the working set as memory is needed.
}

bool FileMapping::Damaged() const
{
    return false;
}

std::optional<FileIdentity> InputFile::IdentityNow() const
{
    FileIdentity identity;
    if (AsHandle(native_) == INVALID_HANDLE_VALUE || !IdentityOf(AsHandle(native_), identity))
        return std::nullopt;
    return identity;
}

std::size_t InputFile::Read(char* into, std::size_t size)
{
    const DWORD chunk = size > 0x40000000u ? 0x40000000u : DWORD(size);
    DWORD got = 0;
    if (!::ReadFile(AsHandle(native_), into, chunk, &got, nullptr))
        throw ErrorOf(::GetLastError(), path_);
    return got;
}

std::uint64_t CopyInKernel(InputFile&, OutputFile&, std::uint64_t, bool& offered)
{
    offered = false;
    return 0;
}

std::optional<FileError> AppendToFile(const std::string& path, std::string_view bytes)
{
    // Written at the end as found when opened; GENERIC_WRITE (not only FILE_APPEND_DATA)
    // so that a failed line can be cut off again.
    const auto openForAppend = [&path]
    {
        return ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE handle = openForAppend();
    DWORD error = handle == INVALID_HANDLE_VALUE ? ::GetLastError() : ERROR_SUCCESS;
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    bool restore = false;
    if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_READONLY) && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
        ::SetFileAttributesA(path.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY)))
    {
        restore = true;
        handle = openForAppend();
        error = handle == INVALID_HANDLE_VALUE ? ::GetLastError() : ERROR_SUCCESS;
    }
    const auto giveBackAttributes = [&]
    {
        if (restore)
            ::SetFileAttributesA(path.c_str(), attributes);
    };
    if (handle == INVALID_HANDLE_VALUE)
    {
        giveBackAttributes();
        return ErrorOf(error, path);
    }
    // Not into a device (NUL, CON) or a pipe.
    if (::GetFileType(handle) != FILE_TYPE_DISK)
    {
        ::CloseHandle(handle);
        giveBackAttributes();
        throw FileError::NotRegularFile(path);
    }
    LARGE_INTEGER end{};
    LARGE_INTEGER zero{};
    if (!::SetFilePointerEx(handle, zero, &end, FILE_END))
    {
        error = ::GetLastError();
        ::CloseHandle(handle);
        giveBackAttributes();
        throw ErrorOf(error, path);
    }
    try
    {
        WriteAll(handle, bytes, path);
    }
    catch (...)
    {
        // The whole line or nothing: cut back to where it began (a full disk).
        if (::SetFilePointerEx(handle, end, nullptr, FILE_BEGIN))
            ::SetEndOfFile(handle);
        ::CloseHandle(handle);
        giveBackAttributes();
        throw;
    }
    const BOOL closed = ::CloseHandle(handle);
    const DWORD closeError = ::GetLastError();
    giveBackAttributes();
    if (!closed)
        throw ErrorOf(closeError, path);
    return std::nullopt;
}

void RemoveFile(const std::string& path)
{
    // Nothing there (nor its folder) and folders are no failure; a link goes, not what it
    // leads to; a device ("nul.txt") is never taken for a file.
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
    {
        const bool removed = attributes & FILE_ATTRIBUTE_DIRECTORY
                                 ? ::RemoveDirectoryA(path.c_str())
                                 : ::DeleteFileA(path.c_str());
        if (!removed && ::GetLastError() != ERROR_FILE_NOT_FOUND)
            throw ErrorOf(::GetLastError(), path);
        return;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return;
    const HANDLE probe = ::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, 0, nullptr);
    if (probe != INVALID_HANDLE_VALUE)
    {
        const DWORD type = ::GetFileType(probe);
        ::CloseHandle(probe);
        if (type != FILE_TYPE_DISK)
            throw FileError::NotRegularFile(path);
    }
    // A read-only file is taken too: the name is to be free (as unlink does on POSIX).
    if (attributes & FILE_ATTRIBUTE_READONLY)
        ::SetFileAttributesA(path.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
    if (!::DeleteFileA(path.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND &&
        ::GetLastError() != ERROR_PATH_NOT_FOUND)
    {
        const DWORD error = ::GetLastError();
        if (attributes & FILE_ATTRIBUTE_READONLY)
            ::SetFileAttributesA(path.c_str(), attributes);
        throw ErrorOf(error, path);
    }
}

int OpenScratchFile()
{
    char folder[MAX_PATH + 1] = {};
    char name[MAX_PATH + 1] = {};
    if (!::GetTempPathA(sizeof folder, folder) || !::GetTempFileNameA(folder, "ksc", 0, name))
    {
        errno = ErrnoOf(::GetLastError());
        return -1;
    }
    // Deleted by the system once the last handle is closed, also after a killed process.
    const HANDLE handle = ::CreateFileA(
        name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
        CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
    {
        errno = ErrnoOf(::GetLastError());
        ::DeleteFileA(name);
        return -1;
    }
    return ::_open_osfhandle(reinterpret_cast<std::intptr_t>(handle), 0);
}

std::string KeepStreamInTemporaryFile(int descriptor, const std::string& name)
{
    // A named file that stays until the process ends: Windows has no path for a descriptor.
    char folder[MAX_PATH + 1] = {};
    char kept[MAX_PATH + 1] = {};
    if (!::GetTempPathA(sizeof folder, folder) || !::GetTempFileNameA(folder, "ksi", 0, kept))
        throw LastWin32FileError("the temporary folder");
    const HANDLE handle = ::CreateFileA(kept, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                        nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throw LastWin32FileError(kept);
    static std::vector<std::string> toRemove;
    if (toRemove.empty())
        std::atexit(
            []
            {
                for (const auto& path : toRemove)
                    ::DeleteFileA(path.c_str());
            });
    toRemove.push_back(kept);
    std::vector<char> buffer(1 << 20);
    for (;;)
    {
        const int got = ::_read(descriptor, buffer.data(), static_cast<unsigned>(buffer.size()));
        if (got == 0)
            break;
        if (got < 0)
        {
            const int error = errno;
            ::CloseHandle(handle);
            throw FileError::FromSystem(error, name);
        }
        try
        {
            WriteAll(handle, std::string_view(buffer.data(), static_cast<std::size_t>(got)), kept);
        }
        catch (...)
        {
            ::CloseHandle(handle);
            throw;
        }
    }
    ::CloseHandle(handle);
    return kept;
}

std::size_t LongestFileName(const std::string& folder)
{
    // NTFS takes 255 characters; the ANSI calls take MAX_PATH for the whole path, the
    // final NUL included.
    char full[MAX_PATH * 4] = {};
    const DWORD length =
        ::GetFullPathNameA(folder.empty() ? "." : folder.c_str(), sizeof full, full, nullptr);
    const std::string path =
        length == 0 || length >= sizeof full ? folder : std::string(full, length);
    std::size_t used = path.size();
    if (used > 0 && path.back() != '\\' && path.back() != '/')
        ++used; // the separator before the name
    const std::size_t left = used + 1 < MAX_PATH ? MAX_PATH - 1 - used : 0;
    return std::max<std::size_t>(std::min<std::size_t>(left, 255), 16);
}

int MakeFolder(const std::string& path)
{
    return ::CreateDirectoryA(path.c_str(), nullptr) ? 0 : ErrnoOf(::GetLastError());
}
} // namespace Kestrin
