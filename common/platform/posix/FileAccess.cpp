#include "FileAccess.h"

#include "FileReplacement.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Kestrin
{
namespace
{
FileIdentity IdentityOf(const struct stat& info)
{
    FileIdentity identity;
    identity.Device = static_cast<std::uint64_t>(info.st_dev);
    identity.Inode = static_cast<std::uint64_t>(info.st_ino);
    identity.Size = static_cast<std::int64_t>(info.st_size);
    identity.ModifiedNs =
        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    identity.ChangedNs =
        static_cast<std::int64_t>(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
    return identity;
}

// Buffers this large are mapped with huge pages where the system offers them: reading a
// large file into 4 KiB pages costs far more in page faults (especially in virtual
// machines) than copying the bytes does.
constexpr std::size_t LargeBuffer = std::size_t(4) << 20;
constexpr std::size_t HugePage = std::size_t(2) << 20;

class Descriptor
{
public:
    explicit Descriptor(int value) : value_(value) {}
    ~Descriptor()
    {
        if (value_ >= 0)
            ::close(value_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return value_; }
    int Release()
    {
        const int value = value_;
        value_ = -1;
        return value;
    }

private:
    int value_;
};

bool AccessDenied(int error)
{
    return error == EACCES || error == EPERM;
}

// 0 or the system error number.
int WriteAll(int descriptor, std::string_view bytes)
{
    while (!bytes.empty())
    {
        const auto written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0)
        {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}
} // namespace

std::optional<FileIdentity> IdentityOfPath(const std::string& path)
{
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return IdentityOf(info);
}

FileIdentity IdentityOfOutput(const FileReplacement& output)
{
    struct stat info
    {
    };
    if (::fstat(output.Descriptor(), &info) != 0)
        output.Fail(errno);
    return IdentityOf(info);
}

void BufferRelease::operator()(char* data) const
{
    if (Capacity >= LargeBuffer)
        ::munmap(data, Capacity);
    else
        delete[] data;
}

FileBuffer AllocateFileBuffer(std::size_t size)
{
    if (size >= LargeBuffer)
    {
        const std::size_t capacity = (size + HugePage - 1) / HugePage * HugePage;
        void* data =
            ::mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (data == MAP_FAILED)
            throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
        ::madvise(data, capacity, MADV_HUGEPAGE);
#endif
#ifdef MADV_POPULATE_WRITE
        // Fault the pages in at once rather than one by one during the read; older
        // systems refuse the advice and fault them in as usual.
        ::madvise(data, capacity, MADV_POPULATE_WRITE);
#endif
        return FileBuffer(static_cast<char*>(data), BufferRelease{capacity});
    }
    return FileBuffer(new char[size == 0 ? 1 : size], BufferRelease{0});
}

InputFile::~InputFile()
{
    if (native_ >= 0)
        ::close(static_cast<int>(native_));
}

bool InputFile::Open(const std::string& path)
{
    path_ = path;
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0)
        throw FileError::FromSystem(errno, path);
    native_ = descriptor;
    struct stat info
    {
    };
    if (::fstat(descriptor, &info) != 0)
        throw FileError::FromSystem(errno, path);
    identity_ = IdentityOf(info);
    return S_ISREG(info.st_mode);
}

std::size_t InputFile::Read(char* into, std::size_t size)
{
    for (;;)
    {
        const auto got = ::read(static_cast<int>(native_), into, size);
        if (got >= 0)
            return static_cast<std::size_t>(got);
        if (errno != EINTR)
            throw FileError::FromSystem(errno, path_);
    }
}

std::uint64_t CopyInKernel(InputFile& input, FileReplacement& output, std::uint64_t length,
                           bool& offered)
{
    std::uint64_t copied = 0;
#ifdef __linux__
    while (offered && copied < length)
    {
        const auto chunk =
            static_cast<std::size_t>(std::min<std::uint64_t>(length - copied, 1u << 30));
        const auto done = ::copy_file_range(static_cast<int>(input.native_), nullptr,
                                            output.Descriptor(), nullptr, chunk, 0);
        if (done > 0)
        {
            copied += static_cast<std::uint64_t>(done);
            continue;
        }
        if (done == 0)
            break; // the file is shorter than it was
        if (errno == EINTR)
            continue;
        // Not offered between these files (other file system, old kernel).
        offered = false;
    }
#else
    (void)input;
    (void)output;
    (void)length;
    offered = false;
#endif
    return copied;
}

std::optional<FileError> AppendToFile(const std::string& path, std::string_view bytes)
{
    // Not through a link (the split made the list afresh; one swapped in would lead out of
    // its folder), and not into a pipe or device.
    constexpr int flags = O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    int descriptor = ::open(path.c_str(), flags, 0666);
    int error = descriptor < 0 ? errno : 0;
    bool restoreMode = false;
    struct stat info
    {
    };
    if (AccessDenied(error) && ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        (info.st_mode & S_IWUSR) == 0 && ::chmod(path.c_str(), info.st_mode | S_IWUSR) == 0)
    {
        restoreMode = true;
        descriptor = ::open(path.c_str(), flags, 0666);
        error = descriptor < 0 ? errno : 0;
    }
    const auto giveBackMode = [&]
    {
        if (restoreMode)
            ::chmod(path.c_str(), info.st_mode & 07777);
    };
    if (descriptor < 0)
    {
        giveBackMode();
        return FileError::FromSystem(error, path);
    }
    Descriptor file(descriptor);
    struct stat opened
    {
    };
    if (::fstat(file.Get(), &opened) != 0 || !S_ISREG(opened.st_mode))
    {
        giveBackMode();
        throw FileError::NotRegularFile(path);
    }
    // The whole line or nothing: after a failed write (a full disk) the file is cut back
    // to where the line began, so it never ends in part of a line.
    error = WriteAll(file.Get(), bytes);
    if (error != 0 && ::ftruncate(file.Get(), opened.st_size) != 0)
        error = errno;
    const int closed = ::close(file.Release());
    if (error == 0 && closed != 0)
        error = errno;
    giveBackMode();
    if (error != 0)
        throw FileError::FromSystem(error, path);
    return std::nullopt;
}

void RemoveFile(const std::string& path)
{
    struct stat info
    {
    };
    if (::lstat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return;
    // A link goes (not what it leads to); a device or pipe is never taken away.
    if (!S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode))
        throw FileError::NotRegularFile(path);
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        throw FileError::FromSystem(errno, path);
}

int MakeFolder(const std::string& path)
{
    return ::mkdir(path.c_str(), 0777) == 0 ? 0 : errno;
}
} // namespace Kestrin
