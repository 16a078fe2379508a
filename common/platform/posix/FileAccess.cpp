// SPDX-License-Identifier: MIT
#include "common/FileAccess.h"

#include "common/FileReplacement.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
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

void StreamOutput::Write(std::string_view bytes)
{
    if (const int error = WriteAll(descriptor_, bytes))
        Fail(error);
}

void StreamOutput::Fail(int systemError) const
{
    throw FileError::FromSystem(systemError, name_);
}

namespace
{
// Mapped files the bus-error handler knows about. The handler reads the slots while the
// program may be changing one, so every field is an atomic, and a slot is emptied before
// its pages go.
struct MappingSlot
{
    std::atomic<std::uintptr_t> Start{0};
    std::atomic<std::size_t> Length{0};
    std::atomic<bool> Damaged{false};
};
constexpr int MappingSlots = 64;
MappingSlot Slots[MappingSlots];
std::size_t PageSize = 4096;
struct sigaction PreviousBusAction
{
};

// A mapped file that another program truncated: the pages past its new end are gone, and
// reading one raises SIGBUS. Zero pages take their place so the read goes on, and the
// mapping is marked damaged for its reader to see. A fault anywhere else is not ours.
void OnBusError(int signal, siginfo_t* info, void* context)
{
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (MappingSlot& slot : Slots)
    {
        const std::uintptr_t start = slot.Start.load(std::memory_order_acquire);
        const std::size_t length = slot.Length.load(std::memory_order_acquire);
        if (start == 0 || address < start || address >= start + length)
            continue;
        const std::uintptr_t page = address & ~(PageSize - 1);
        void* zeros = ::mmap(reinterpret_cast<void*>(page), start + length - page, PROT_READ,
                             MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        if (zeros != MAP_FAILED)
        {
            slot.Damaged.store(true, std::memory_order_release);
            return; // the faulting read runs again, on zeros
        }
        break;
    }
    if ((PreviousBusAction.sa_flags & SA_SIGINFO) && PreviousBusAction.sa_sigaction != nullptr)
    {
        PreviousBusAction.sa_sigaction(signal, info, context);
        return;
    }
    if (PreviousBusAction.sa_handler != SIG_DFL && PreviousBusAction.sa_handler != SIG_IGN)
    {
        PreviousBusAction.sa_handler(signal);
        return;
    }
    // The default action: returning makes the read fault again, and end the process.
    ::signal(SIGBUS, SIG_DFL);
}

void InstallBusErrorHandler()
{
    static std::once_flag installed;
    std::call_once(installed,
                   []
                   {
                       PageSize = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
                       struct sigaction action
                       {
                       };
                       action.sa_sigaction = OnBusError;
                       action.sa_flags = SA_SIGINFO | SA_RESTART;
                       sigemptyset(&action.sa_mask);
                       ::sigaction(SIGBUS, &action, &PreviousBusAction);
                   });
}
} // namespace

FileMapping::FileMapping(const InputFile& file, std::size_t size)
{
    InstallBusErrorHandler();
    for (int i = 0; i < MappingSlots && slot_ < 0; ++i)
        if (Slots[i].Start.load() == 0 && Slots[i].Length.load() == 0)
            slot_ = i;
    if (slot_ < 0)
        throw FileError::FromSystem(ENOMEM, file.Path());
    void* data = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, static_cast<int>(file.native_), 0);
    if (data == MAP_FAILED)
        throw FileError::FromSystem(errno, file.Path());
    // The reader goes through it once from the start.
    ::madvise(data, size, MADV_SEQUENTIAL);
    data_ = static_cast<const char*>(data);
    size_ = size;
    MappingSlot& slot = Slots[slot_];
    slot.Damaged.store(false);
    slot.Length.store((size + PageSize - 1) / PageSize * PageSize, std::memory_order_release);
    slot.Start.store(reinterpret_cast<std::uintptr_t>(data), std::memory_order_release);
}

FileMapping::~FileMapping()
{
    MappingSlot& slot = Slots[slot_];
    slot.Start.store(0, std::memory_order_release);
    ::munmap(const_cast<char*>(data_), size_);
    slot.Length.store(0, std::memory_order_release);
}

void FileMapping::Release(std::size_t offset) const
{
    const std::size_t length = std::min(offset, size_) / PageSize * PageSize;
    if (length > 0)
        ::madvise(const_cast<char*>(data_), length, MADV_DONTNEED);
}

bool FileMapping::Damaged() const
{
    return Slots[slot_].Damaged.load(std::memory_order_acquire);
}

std::optional<FileIdentity> IdentityOfPath(const std::string& path)
{
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return IdentityOf(info);
}

FileIdentity IdentityOfOutput(const OutputFile& output)
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

std::optional<FileIdentity> InputFile::IdentityNow() const
{
    struct stat info
    {
    };
    if (native_ < 0 || ::fstat(static_cast<int>(native_), &info) != 0)
        return std::nullopt;
    return IdentityOf(info);
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

std::uint64_t CopyInKernel(InputFile& input, OutputFile& output, std::uint64_t length,
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

int OpenScratchFile()
{
    const char* folder = std::getenv("TMPDIR");
    if (folder == nullptr || *folder == '\0')
        folder = "/tmp";
#ifdef O_TMPFILE
    const int unnamed = ::open(folder, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (unnamed >= 0)
        return unnamed;
#endif
    std::string name = std::string(folder) + "/.kestrin-scratch-XXXXXX";
    const int descriptor = ::mkostemp(&name[0], O_CLOEXEC);
    if (descriptor >= 0)
        ::unlink(name.c_str());
    return descriptor;
}

std::string KeepStreamInTemporaryFile(int descriptor, const std::string& name)
{
    const int scratch = OpenScratchFile();
    if (scratch < 0)
        throw FileError::FromSystem(errno, "the temporary folder");
    std::unique_ptr<char[]> buffer(new char[1 << 20]);
    for (;;)
    {
        const auto got = ::read(descriptor, buffer.get(), 1 << 20);
        if (got == 0)
            break;
        if (got < 0)
        {
            if (errno == EINTR)
                continue;
            const int error = errno;
            ::close(scratch);
            throw FileError::FromSystem(error, name);
        }
        if (const int error = WriteAll(scratch, std::string_view(buffer.get(), got)))
        {
            ::close(scratch);
            throw FileError::FromSystem(error, "the temporary folder");
        }
    }
    // Stays open until the process ends; the system names it by its descriptor.
#ifdef __linux__
    return "/proc/self/fd/" + std::to_string(scratch);
#else
    return "/dev/fd/" + std::to_string(scratch);
#endif
}

std::size_t LongestFileName(const std::string& folder)
{
    // A folder still to be made: the limit of nearly every file system.
    const long limit = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    return limit > 0 && limit < 4096 ? static_cast<std::size_t>(limit) : 255;
}

int MakeFolder(const std::string& path)
{
    return ::mkdir(path.c_str(), 0777) == 0 ? 0 : errno;
}
} // namespace Kestrin
