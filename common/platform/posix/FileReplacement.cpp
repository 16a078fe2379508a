// SPDX-License-Identifier: MIT
#include "FileReplacement.h"

#include "FileAccess.h"
#include "FileError.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace Kestrin
{
// Off by default, as measured (bench/run.sh): re-splitting over 101,445 existing fragments
// took 63 s without and 196 s with a sync per replaced file (ext4, virtual disk), three
// times as long. ext4 (auto_da_alloc) already writes a file's data before a rename over
// another file is committed, so after a crash the target holds the old text or the new.
bool FileReplacement::SyncReplacedFiles = false;

namespace
{
enum class Mode
{
    NewFile, // temporary file moved in without replacing anything
    Replace, // temporary file renamed over the target
    InPlace  // folder refuses new files: the output is collected elsewhere, then copied over
};

std::string FolderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool AccessDenied(int error)
{
    return error == EACCES || error == EPERM;
}

bool SameFile(const struct stat& one, const struct stat& other)
{
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

void CloseQuietly(int& descriptor)
{
    if (descriptor >= 0)
        ::close(descriptor);
    descriptor = -1;
}

// Moves the finished temporary file to its name unless something is there by now.
int MoveInWithoutReplacing(int folder, const char* temporary, const char* name)
{
#ifdef RENAME_NOREPLACE
    if (::renameat2(folder, temporary, folder, name, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return errno;
#endif
    if (::linkat(folder, temporary, folder, name, 0) == 0)
    {
        ::unlinkat(folder, temporary, 0);
        return 0;
    }
    if (errno != EPERM && errno != EOPNOTSUPP)
        return errno;
    // A file system with neither (FAT): look, then move, the best that it allows.
    struct stat info
    {
    };
    if (::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) == 0)
        return EEXIST;
    return ::renameat(folder, temporary, folder, name) == 0 ? 0 : errno;
}

void WriteAllAt(int descriptor, const char* data, std::size_t size, off_t offset, int& error)
{
    while (size > 0 && error == 0)
    {
        const auto written = ::pwrite(descriptor, data, size, offset);
        if (written < 0)
        {
            if (errno != EINTR)
                error = errno;
            continue;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
        offset += written;
    }
}
} // namespace

std::string WriteDestination(const std::string& path, bool* exists)
{
    // Followed by hand so that a dangling link still names the file to create.
    std::string current = path;
    for (int depth = 0; depth < 40; ++depth)
    {
        struct stat info
        {
        };
        const bool found = ::lstat(current.c_str(), &info) == 0;
        if (!found || !S_ISLNK(info.st_mode))
        {
            if (exists)
                *exists = found && !S_ISDIR(info.st_mode);
            return current;
        }
        std::vector<char> buffer(PATH_MAX + 1);
        const auto length = ::readlink(current.c_str(), buffer.data(), buffer.size() - 1);
        if (length <= 0)
        {
            if (exists)
                *exists = false;
            return current;
        }
        std::string link(buffer.data(), static_cast<std::size_t>(length));
        current = link.front() == '/' ? link : FolderOf(current) + "/" + link;
    }
    throw FileError::FromSystem(ELOOP, path);
}

struct FileReplacement::State
{
    std::string path; // as the caller named it
    std::string name; // of the file written, in `folder`
    std::string temporary;
    int folder = -1;     // the folder of the file written (links resolved)
    int descriptor = -1; // the temporary file, or the collected output (in place)
    int inPlace = -1;    // in place: the target itself
    Mode mode = Mode::NewFile;
    struct stat original
    {
    }; // the file replaced, as it was found
    struct stat ownTemporary
    {
    }; // the temporary file made
    bool madeTemporary = false;
    bool unnamed = false; // a new file made without a name (O_TMPFILE), linked in at the end
    bool restoreMode = false;
    bool committed = false;

    ~State()
    {
        CloseQuietly(descriptor);
        CloseQuietly(inPlace);
        CloseQuietly(folder);
    }

    [[noreturn]] void Fail(int error) const { throw FileError::FromSystem(error, path); }

    // Whether the temporary name still holds the file this writer made.
    bool TemporaryIsOurs() const
    {
        struct stat now
        {
        };
        return madeTemporary &&
               ::fstatat(folder, temporary.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
               SameFile(now, ownTemporary);
    }

    void Examine();
    bool CreateUnnamed();
    int LinkUnnamed() const;
    void RemoveStaleTemporary();
    void CreateTemporary();
    void OpenInPlace();
    void CopyInPlace();
};

void FileReplacement::State::Examine()
{
    struct stat info
    {
    };
    if (::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
    {
        if (errno != ENOENT)
            Fail(errno);
        mode = Mode::NewFile;
        return;
    }
    if (S_ISLNK(info.st_mode)) // swapped in since the links were followed
        throw FileError(ELOOP, "became a symbolic link; nothing was written through it", path);
    if (S_ISDIR(info.st_mode))
        Fail(EISDIR);
    if (!S_ISREG(info.st_mode))
        throw FileError::NotRegularFile(path);
    mode = Mode::Replace;
    original = info;
}

// A temporary file of this target's name is in the way: left by a killed writer (nobody
// holds its lock) it goes; one a live writer holds stops this write.
void FileReplacement::State::RemoveStaleTemporary()
{
    struct stat info
    {
    };
    if (::fstatat(folder, temporary.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return; // gone meanwhile
    if (S_ISDIR(info.st_mode))
        throw FileError::FromSystem(EEXIST, FolderOf(path) + "/" + temporary);
    if (S_ISREG(info.st_mode))
    {
        int stale = ::openat(folder, temporary.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (stale < 0)
            throw FileError::FromSystem(errno, FolderOf(path) + "/" + temporary);
        if (::flock(stale, LOCK_EX | LOCK_NB) != 0)
        {
            CloseQuietly(stale);
            throw FileError(EBUSY, "is being written by another program", path);
        }
        ::unlinkat(folder, temporary.c_str(), 0);
        CloseQuietly(stale);
        return;
    }
    // Not ours at all (a link, a pipe): only the name goes, nothing it leads to.
    ::unlinkat(folder, temporary.c_str(), 0);
}

// A new file without a name until it is complete: a killed process leaves nothing, and the
// final link fails when something has appeared under the name meanwhile.
bool FileReplacement::State::CreateUnnamed()
{
#ifdef O_TMPFILE
    static const bool procAvailable = ::access("/proc/self/fd", X_OK) == 0;
    if (!procAvailable)
        return false;
    descriptor = ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    unnamed = descriptor >= 0;
    return unnamed;
#else
    return false;
#endif
}

int FileReplacement::State::LinkUnnamed() const
{
    const std::string self = "/proc/self/fd/" + std::to_string(descriptor);
    if (::linkat(AT_FDCWD, self.c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return 0;
    return errno;
}

void FileReplacement::State::CreateTemporary()
{
    // File systems without unnamed files (and kernels before 3.11) take the named way.
    if (mode == Mode::NewFile && CreateUnnamed())
        return;
    temporary = TemporaryName(name);
    for (int attempt = 0; attempt < 3; ++attempt)
    {
        // A replaced file's bits are set at the end; a new file gets the usual ones.
        const mode_t bits = mode == Mode::Replace ? 0600 : 0666;
        descriptor = ::openat(folder, temporary.c_str(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, bits);
        if (descriptor >= 0)
        {
            // The lock tells a later writer that this temporary file is alive.
            ::flock(descriptor, LOCK_EX | LOCK_NB);
            ::fstat(descriptor, &ownTemporary);
            madeTemporary = true;
            return;
        }
        const int error = errno;
        if (error == EEXIST)
        {
            RemoveStaleTemporary();
            continue;
        }
        if (AccessDenied(error) && mode == Mode::Replace)
        {
            // The folder refuses new files but the file itself may be writable: the user
            // asked for this file to be replaced.
            OpenInPlace();
            return;
        }
        Fail(error);
    }
    Fail(EEXIST);
}

void FileReplacement::State::OpenInPlace()
{
    mode = Mode::InPlace;
    constexpr int flags = O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    inPlace = ::openat(folder, name.c_str(), flags);
    if (inPlace < 0 && AccessDenied(errno) &&
        ::fchmodat(folder, name.c_str(), (original.st_mode & 07777) | S_IWUSR, 0) == 0)
    {
        // A read-only file of our own is written and made read-only again.
        restoreMode = true;
        inPlace = ::openat(folder, name.c_str(), flags);
    }
    int error = inPlace < 0 ? errno : 0;
    struct stat opened
    {
    };
    if (error == 0 && (::fstat(inPlace, &opened) != 0 || !SameFile(opened, original)))
        error = EAGAIN;
    // The output is collected elsewhere first: the target changes only once it is whole.
    if (error == 0 && (descriptor = OpenScratchFile()) < 0)
        error = errno;
    if (error != 0)
    {
        if (restoreMode)
            std::ignore = ::fchmodat(folder, name.c_str(), original.st_mode & 07777, 0);
        restoreMode = false;
        Fail(error);
    }
}

// Nothing of the target changes until the whole output is there, and the room for it is
// reserved first, so a full disk leaves the old file as it was.
void FileReplacement::State::CopyInPlace()
{
    const off_t size = ::lseek(descriptor, 0, SEEK_CUR);
    if (size < 0)
        Fail(errno);
#ifdef FALLOC_FL_KEEP_SIZE
    if (size > 0 && ::fallocate(inPlace, FALLOC_FL_KEEP_SIZE, 0, size) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS)
        Fail(errno);
#endif
    std::vector<char> buffer(std::size_t(1) << 20);
    int error = 0;
    for (off_t at = 0; at < size && error == 0;)
    {
        const auto got = ::pread(descriptor, buffer.data(), buffer.size(), at);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
        {
            error = got < 0 ? errno : EIO;
            break;
        }
        WriteAllAt(inPlace, buffer.data(), static_cast<std::size_t>(got), at, error);
        at += got;
    }
    if (error == 0 && ::ftruncate(inPlace, size) != 0)
        error = errno;
    if (::close(inPlace) != 0 && error == 0)
        error = errno;
    inPlace = -1;
    if (error != 0)
        Fail(error);
}

FileReplacement::FileReplacement(const std::string& path, Links links)
    : state_(std::make_unique<State>())
{
    State& state = *state_;
    state.path = path;
    const std::string target = links == Links::Follow ? WriteDestination(path) : path;
    state.name = NameOf(target);
    if (state.name.empty())
        state.Fail(EISDIR);
#ifdef O_PATH
    constexpr int folderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
    constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif
    // Everything below works relative to this folder, so no name on the way can be
    // swapped for a link meanwhile.
    state.folder = ::open(FolderOf(target).c_str(), folderFlags);
    if (state.folder < 0)
        state.Fail(errno);
    state.Examine();
    state.CreateTemporary();
}

FileReplacement::~FileReplacement()
{
    State& state = *state_;
    if (state.committed)
        return;
    if (state.TemporaryIsOurs())
        ::unlinkat(state.folder, state.temporary.c_str(), 0);
    CloseQuietly(state.descriptor);
    CloseQuietly(state.inPlace);
    if (state.restoreMode)
        std::ignore =
            ::fchmodat(state.folder, state.name.c_str(), state.original.st_mode & 07777, 0);
}

int FileReplacement::Descriptor() const
{
    return state_->descriptor;
}

void FileReplacement::Fail(int systemError) const
{
    state_->Fail(systemError);
}

void FileReplacement::Write(std::string_view bytes)
{
    const int descriptor = state_->descriptor;
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0)
    {
        const auto written = ::write(descriptor, data, left);
        if (written < 0)
        {
            if (errno == EINTR)
                continue;
            Fail(errno);
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

void FileReplacement::Commit()
{
    State& state = *state_;
    if (state.mode == Mode::InPlace)
    {
        state.CopyInPlace();
        if (state.restoreMode)
            std::ignore =
                ::fchmodat(state.folder, state.name.c_str(), state.original.st_mode & 07777, 0);
        state.restoreMode = false;
        state.committed = true;
        return;
    }
    if (state.mode == Mode::Replace)
    {
        if (SyncReplacedFiles && ::fsync(state.descriptor) != 0)
            Fail(errno);
        // Owner and group only where the process may; the bits after, as chown clears set-id.
        if (::fchown(state.descriptor, state.original.st_uid, state.original.st_gid) != 0)
        {
        }
        if (::fchmod(state.descriptor, state.original.st_mode & 07777) != 0)
            Fail(errno);
    }
    if (state.unnamed)
    {
        if (const int error = state.LinkUnnamed())
            Fail(error);
        state.committed = true;
        const int descriptor = state.descriptor;
        state.descriptor = -1;
        if (::close(descriptor) != 0)
            Fail(errno);
        return;
    }
    const int descriptor = state.descriptor;
    state.descriptor = -1;
    if (::close(descriptor) != 0)
        Fail(errno);
    if (!state.TemporaryIsOurs())
        throw FileError(EAGAIN, "its temporary file was taken away while it was being written",
                        state.path);
    if (state.mode == Mode::NewFile)
    {
        if (const int error =
                MoveInWithoutReplacing(state.folder, state.temporary.c_str(), state.name.c_str()))
            Fail(error);
    }
    else
    {
        // Never over something swapped in meanwhile (a device node, another file).
        struct stat now
        {
        };
        if (::fstatat(state.folder, state.name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(now.st_mode) || !SameFile(now, state.original))
            throw FileError(EAGAIN, "was replaced by another file while it was being written",
                            state.path);
        if (::renameat(state.folder, state.temporary.c_str(), state.folder, state.name.c_str()) !=
            0)
            Fail(errno);
    }
    state.committed = true;
}
} // namespace Kestrin
