#include "SourceBytes.h"

#include "Exists.h"
#include "FileError.h"

#include <cerrno>
#include <ctime>
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

std::int64_t NowNs()
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Buffers this large are mapped with huge pages where the system offers them: reading a
// large file into 4 KiB pages costs far more in page faults (especially in virtual
// machines) than copying the bytes does.
constexpr std::size_t LargeBuffer = std::size_t(4) << 20;
constexpr std::size_t HugePage = std::size_t(2) << 20;

// File times advance in coarse ticks: a file changed within the same tick as our read
// would keep its times. Bytes of a file changed shortly before the read are therefore not
// reused; the next update reads once more and can then be trusted.
constexpr std::int64_t RacyWindowNs = 1000000000;
} // namespace

void BufferRelease::operator()(char* data) const
{
    if (Capacity >= LargeBuffer)
        ::munmap(data, Capacity);
    else
        delete[] data;
}

namespace
{
// Uninitialised room for `size` bytes (never a std::string: its zero fill would touch every
// page once more for nothing).
std::unique_ptr<char, BufferRelease> Allocate(std::size_t size)
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
        return std::unique_ptr<char, BufferRelease>(static_cast<char*>(data),
                                                    BufferRelease{capacity});
    }
    return std::unique_ptr<char, BufferRelease>(new char[size == 0 ? 1 : size], BufferRelease{0});
}
} // namespace

bool FileIdentity::operator==(const FileIdentity& other) const
{
    return Device == other.Device && Inode == other.Inode && Size == other.Size &&
           ModifiedNs == other.ModifiedNs && ChangedNs == other.ChangedNs;
}

std::shared_ptr<const SourceBytes>
SourceBytes::Read(const std::string& path, const std::shared_ptr<const SourceBytes>& previous)
{
    auto bytes = std::make_shared<SourceBytes>();
    if (!FileExists(path))
        return bytes;
    struct stat info
    {
    };
    if (previous && previous->reusable_ && previous->path_ == path &&
        ::stat(path.c_str(), &info) == 0 && IdentityOf(info) == previous->identity_)
        return previous;

    const std::int64_t readStart = NowNs();
    // Non-blocking, so that a named pipe does not hang the window at open.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0)
        throw FileError::FromSystem(errno, path);
    struct Closer
    {
        int descriptor;
        ~Closer() { ::close(descriptor); }
    } closer{descriptor};
    if (::fstat(descriptor, &info) != 0)
        throw FileError::FromSystem(errno, path);
    if (!S_ISREG(info.st_mode))
        return bytes;

    const auto size = static_cast<std::size_t>(info.st_size);
    bytes->data_ = Allocate(size);
    std::size_t filled = 0;
    while (filled < size)
    {
        const auto got = ::read(descriptor, bytes->data_.get() + filled, size - filled);
        if (got < 0)
        {
            if (errno == EINTR)
                continue;
            throw FileError::FromSystem(errno, path);
        }
        if (got == 0)
            break; // the file shrank while we read
        filled += static_cast<std::size_t>(got);
    }
    bytes->size_ = filled;
    bytes->path_ = path;
    bytes->identity_ = IdentityOf(info);
    bytes->reusable_ = filled == size && bytes->identity_.ModifiedNs < readStart - RacyWindowNs &&
                       bytes->identity_.ChangedNs < readStart - RacyWindowNs;
    return bytes;
}
} // namespace Kestrin
