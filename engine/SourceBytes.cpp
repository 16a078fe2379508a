#include "SourceBytes.h"

#include "Exists.h"
#include "FileError.h"

#include <chrono>

namespace Kestrin
{
namespace
{
std::int64_t NowNs()
{
    // The clock file times are stamped by.
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// File times advance in coarse ticks: a file changed within the same tick as our read
// would keep its times. Bytes of a file changed shortly before the read are therefore not
// reused; the next update reads once more and can then be trusted.
constexpr std::int64_t RacyWindowNs = 1000000000;
} // namespace

std::shared_ptr<const SourceBytes>
SourceBytes::Read(const std::string& path, const std::shared_ptr<const SourceBytes>& previous)
{
    auto bytes = std::make_shared<SourceBytes>();
    if (!FileExists(path))
        return bytes;
    if (previous && previous->reusable_ && previous->path_ == path)
    {
        const auto current = IdentityOfPath(path);
        if (current && *current == previous->identity_)
            return previous;
    }

    const std::int64_t readStart = NowNs();
    // Opened without blocking, so that a named pipe does not hang the window.
    InputFile file;
    if (!file.Open(path))
        return bytes;

    const auto size = static_cast<std::size_t>(file.Size());
    bytes->data_ = AllocateFileBuffer(size);
    const std::size_t filled = file.ReadUpTo(bytes->data_.get(), size);
    bytes->size_ = filled;
    bytes->path_ = path;
    bytes->identity_ = file.Identity();
    bytes->reusable_ = filled == size && bytes->identity_.ModifiedNs < readStart - RacyWindowNs &&
                       bytes->identity_.ChangedNs < readStart - RacyWindowNs;
    return bytes;
}
} // namespace Kestrin
