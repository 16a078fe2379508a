// SPDX-License-Identifier: MIT
#include "common/FileReplacement.h"

#include "common/FileAccess.h"
#include "common/FileError.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
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
// The in-place way keeps the old content of the file it overwrites in the temporary
// folder, in ".kestrin-DEVICE-INODE.old": a header page (what state the copy is in, the
// file's bits and old size, its path for messages), then the old bytes. A killed writer
// leaves it behind; the next write of the same file finds it by the file's identity.
constexpr off_t JournalHeader = 4096;

struct JournalRecord
{
    char State = 0; // 'o' opened (bits may be changed), 's' old content saved
    mode_t Bits = 0;
    off_t Size = 0;
};

std::string TemporaryFolder()
{
    const char* folder = std::getenv("TMPDIR");
    return folder != nullptr && *folder != '\0' ? folder : "/tmp";
}

std::string JournalPath(const struct stat& file)
{
    char name[80];
    std::snprintf(name, sizeof name, "/.kestrin-%llx-%llx.old",
                  static_cast<unsigned long long>(file.st_dev),
                  static_cast<unsigned long long>(file.st_ino));
    return TemporaryFolder() + name;
}

// 0 or the system error number; one page, written whole or not at all when killed.
int WriteJournalHeader(int journal, const JournalRecord& record, const std::string& path)
{
    char header[JournalHeader] = {};
    std::snprintf(header, sizeof header,
                  "kestrin in-place copy 1\nstate=%c\nbits=%o\nsize=%lld\npath=%.3800s\n",
                  record.State, static_cast<unsigned>(record.Bits),
                  static_cast<long long>(record.Size), path.c_str());
    int error = 0;
    WriteAllAt(journal, header, sizeof header, 0, error);
    return error;
}

bool ReadJournalHeader(int journal, JournalRecord& record)
{
    char header[JournalHeader + 1] = {};
    if (::pread(journal, header, JournalHeader, 0) != JournalHeader)
        return false;
    unsigned bits = 0;
    long long size = 0;
    char state = 0;
    if (std::sscanf(header, "kestrin in-place copy 1\nstate=%c\nbits=%o\nsize=%lld\n", &state,
                    &bits, &size) != 3 ||
        (state != 'o' && state != 's') || size < 0)
        return false;
    record.State = state;
    record.Bits = static_cast<mode_t>(bits & 07777);
    record.Size = static_cast<off_t>(size);
    return true;
}

// Copies `size` bytes from one file to another at the given offsets; 0 or the error.
int CopyRange(int from, off_t fromOffset, int to, off_t toOffset, off_t size)
{
    std::vector<char> buffer(std::size_t(1) << 20);
    int error = 0;
    while (size > 0 && error == 0)
    {
        const auto got =
            ::pread(from, buffer.data(),
                    static_cast<std::size_t>(std::min<off_t>(size, buffer.size())), fromOffset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got < 0 ? errno : EIO;
        WriteAllAt(to, buffer.data(), static_cast<std::size_t>(got), toOffset, error);
        fromOffset += got;
        toOffset += got;
        size -= got;
    }
    return error;
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
    int journal = -1;    // in place: the copy of the old content (see JournalHeader)
    std::string journalPath;
    std::string journalProblem; // why no copy can be kept, when none can
    bool keepJournal = false;   // it holds old content that is not back in the file
    mode_t bits = 0;            // in place: the file's own permission bits
    Mode mode = Mode::NewFile;
    struct stat original
    {
    }; // the file replaced, as it was found
    struct stat ownTemporary
    {
    }; // the temporary file made
    bool madeTemporary = false;
    bool unnamed = false; // a new file made without a name (O_TMPFILE), linked in at the end
    bool committed = false;

    ~State()
    {
        CloseQuietly(descriptor);
        CloseQuietly(inPlace);
        CloseQuietly(journal);
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
    int OpenTargetInPlace();
    void OpenJournal(JournalRecord& leftover);
    void DropJournal();
    void PutBack(const JournalRecord& leftover);
    int SaveOldContent(off_t size);
    int ReserveRoom(off_t size);
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
        const mode_t startBits = mode == Mode::Replace ? 0600 : 0666;
        descriptor = ::openat(folder, temporary.c_str(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, startBits);
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

// The copy of the old content for this file: found where a killed writer left it, or made.
// Without one (the temporary folder refuses it) journalProblem says why.
void FileReplacement::State::OpenJournal(JournalRecord& leftover)
{
    journalPath = JournalPath(original);
    journal = ::openat(AT_FDCWD, journalPath.c_str(),
                       O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    struct stat info
    {
    };
    if (journal < 0 || ::fstat(journal, &info) != 0)
    {
        journalProblem = std::string("the temporary folder: ") + std::strerror(errno);
        CloseQuietly(journal);
        return;
    }
    // Only a copy made by whoever owns the file is ever put back into it.
    if (!S_ISREG(info.st_mode) || info.st_nlink != 1 ||
        (info.st_uid != original.st_uid && info.st_uid != ::geteuid()))
    {
        journalProblem = journalPath + " belongs to someone else";
        CloseQuietly(journal);
        return;
    }
    if (::flock(journal, LOCK_EX | LOCK_NB) != 0)
    {
        CloseQuietly(journal);
        throw FileError(EBUSY, "is being written by another program", path);
    }
    if (info.st_size > 0 && !ReadJournalHeader(journal, leftover))
        leftover = {}; // killed before anything was changed
}

void FileReplacement::State::DropJournal()
{
    if (journal < 0)
        return;
    if (!keepJournal)
        ::unlink(journalPath.c_str());
    CloseQuietly(journal);
}

// A killed writer's half-written file gets its old content back before anything else.
void FileReplacement::State::PutBack(const JournalRecord& leftover)
{
    keepJournal = true;
    int error = CopyRange(journal, JournalHeader, inPlace, 0, leftover.Size);
    if (error == 0 && ::ftruncate(inPlace, leftover.Size) != 0)
        error = errno;
    if (error == 0)
        keepJournal = false;
    else
        throw FileError(error,
                        std::string("was left half-written by an interrupted run and cannot be "
                                    "put back (") +
                            std::strerror(error) + "); its old content is kept in " + journalPath,
                        path);
}

// Opens the file itself for reading and writing. A read-only file of our own is given
// write permission only for the moment of the open (the descriptor keeps it).
int FileReplacement::State::OpenTargetInPlace()
{
    constexpr int flags = O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    inPlace = ::openat(folder, name.c_str(), flags);
    if (inPlace < 0 && AccessDenied(errno) &&
        ::fchmodat(folder, name.c_str(), bits | S_IWUSR | S_IRUSR, 0) == 0)
    {
        inPlace = ::openat(folder, name.c_str(), flags);
        const int error = errno;
        std::ignore = ::fchmodat(folder, name.c_str(), bits, 0);
        errno = error;
    }
    if (inPlace < 0 && AccessDenied(errno))
    {
        // Writable but not readable: no copy of the old content can be made.
        inPlace = ::openat(folder, name.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (inPlace >= 0)
        {
            journalProblem = "it cannot be read";
            DropJournal();
        }
    }
    int error = inPlace < 0 ? errno : 0;
    struct stat opened
    {
    };
    if (error == 0 && (::fstat(inPlace, &opened) != 0 || !SameFile(opened, original)))
        error = EAGAIN;
    return error;
}

void FileReplacement::State::OpenInPlace()
{
    mode = Mode::InPlace;
    bits = original.st_mode & 07777;
    JournalRecord leftover;
    OpenJournal(leftover);
    if (leftover.State != 0)
        bits = leftover.Bits; // changed by the killed writer
    // Recorded before the bits may change, so that a kill in between is mended too.
    keepJournal = leftover.State == 's';
    if (journal >= 0 && leftover.State != 's')
    {
        if (const int error = WriteJournalHeader(journal, {'o', bits, 0}, path))
        {
            journalProblem = std::string("the temporary folder: ") + std::strerror(error);
            DropJournal();
        }
    }
    if (const int error = OpenTargetInPlace())
        Fail(error);
    if (leftover.State == 's')
    {
        if (journal < 0) // the file cannot be read now: the copy stays where it is
            throw FileError(EIO,
                            "was left half-written by an interrupted run; its old content is "
                            "kept in " +
                                journalPath,
                            path);
        PutBack(leftover);
        int error = ::ftruncate(journal, 0) == 0 ? 0 : errno;
        if (error == 0)
            error = WriteJournalHeader(journal, {'o', bits, 0}, path);
        if (error != 0)
            Fail(error);
    }
    if (leftover.State != 0 && (original.st_mode & 07777) != bits)
        std::ignore = ::fchmod(inPlace, bits);
    // The output is collected elsewhere first: the file changes only once it is whole.
    if ((descriptor = OpenScratchFile()) < 0)
        Fail(errno);
}

// Makes sure the file system has room for the whole output before the first byte is
// written: reserved where it can be, else counted (ext2, many network file systems).
int FileReplacement::State::ReserveRoom(off_t size)
{
#ifdef FALLOC_FL_KEEP_SIZE
    if (size == 0 || ::fallocate(inPlace, FALLOC_FL_KEEP_SIZE, 0, size) == 0)
        return 0;
    if (errno != EOPNOTSUPP && errno != ENOSYS)
        return errno;
#endif
    struct stat now
    {
    };
    struct statvfs room
    {
    };
    if (::fstat(inPlace, &now) != 0 || ::fstatvfs(inPlace, &room) != 0)
        return 0; // nothing to count with: the copy finds out, and puts the old file back
    const auto block = static_cast<off_t>(room.f_frsize > 0 ? room.f_frsize : 4096);
    const off_t held = static_cast<off_t>(now.st_blocks) * 512;
    off_t needed = (size + block - 1) / block * block - held;
    // Block maps of files without extents take about one block in 256, and some more.
    needed += needed / 128 + 16 * block;
    const auto free = static_cast<off_t>(room.f_bavail) * static_cast<off_t>(room.f_frsize);
    return needed > 0 && needed > free ? ENOSPC : 0;
}

// 0 or the error that kept the copy from being made.
int FileReplacement::State::SaveOldContent(off_t size)
{
    if (journal < 0)
        return EIO;
    int error = 0;
#ifdef __linux__
    // Inside the kernel where the two file systems allow it.
    loff_t from = 0;
    loff_t to = JournalHeader;
    while (from < size)
    {
        const auto done = ::copy_file_range(inPlace, &from, journal, &to,
                                            static_cast<std::size_t>(size - from), 0);
        if (done > 0)
            continue;
        if (done < 0 && errno == EINTR)
            continue;
        if (done < 0 && errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return errno;
        break;
    }
    if (from < size)
        error = CopyRange(inPlace, from, journal, to, size - from);
#else
    error = CopyRange(inPlace, 0, journal, JournalHeader, size);
#endif
    if (error == 0)
        error = WriteJournalHeader(journal, {'s', bits, size}, path);
    return error;
}

// Nothing of the file changes until the whole output is there and its room is sure; its
// old content is kept in the temporary folder meanwhile and put back after any failure.
void FileReplacement::State::CopyInPlace()
{
    const off_t size = ::lseek(descriptor, 0, SEEK_CUR);
    struct stat old
    {
    };
    if (size < 0 || ::fstat(inPlace, &old) != 0)
        Fail(errno);
    if (const int error = ReserveRoom(size))
        Fail(error);
    bool saved = false;
    if (journalProblem.empty())
    {
        if (const int error = SaveOldContent(old.st_size))
            journalProblem = std::string("the temporary folder: ") + std::strerror(error);
        else
            saved = true;
    }
    if (!saved)
    {
        DropJournal();
        if (!InPlaceConsent::Ask(path, journalProblem))
            throw FileError(EACCES,
                            "not written: its folder refuses new files and no copy of its old "
                            "content can be kept (" +
                                journalProblem + ")",
                            path);
    }
    int error = CopyRange(descriptor, 0, inPlace, 0, size);
    if (error == 0 && ::ftruncate(inPlace, size) != 0)
        error = errno;
    if (error != 0 && saved)
        PutBack({'s', bits, old.st_size});
    if (::close(inPlace) != 0 && error == 0)
        error = errno;
    inPlace = -1;
    if (error != 0)
    {
        DropJournal();
        Fail(error);
    }
    DropJournal();
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
    // Abandoned before the file was touched: no copy to keep.
    state.DropJournal();
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
