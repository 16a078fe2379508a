#include "SourceBytes.h"

#include "Exists.h"
#include "FileError.h"

#include <cerrno>
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
    if (previous && previous->reusable_ && previous->path_ == path && !previous->Changed())
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
    bytes->path_ = path;
    bytes->identity_ = file.Identity();
    bool whole = true;
    if (size >= MapFrom)
    {
        // The file stays reachable through the mapping after it is closed here.
        bytes->mapping_ = std::make_unique<FileMapping>(file, size);
        bytes->data_ = bytes->mapping_->Data();
        bytes->size_ = size;
    }
    else if (size > 0)
    {
        bytes->buffer_ = AllocateFileBuffer(size);
        const std::size_t filled = file.ReadUpTo(bytes->buffer_.get(), size);
        bytes->data_ = bytes->buffer_.get();
        bytes->size_ = filled;
        whole = filled == size;
    }
    bytes->reusable_ = whole && bytes->identity_.ModifiedNs < readStart - RacyWindowNs &&
                       bytes->identity_.ChangedNs < readStart - RacyWindowNs;
    return bytes;
}

bool SourceBytes::Changed() const
{
    if (!mapping_)
        return false;
    if (mapping_->Damaged())
        return true;
    // Written in place: the mapping shows the new bytes. A file that another one replaced
    // under the same name leaves the mapped one as it was.
    const auto current = IdentityOfPath(path_);
    return current && current->IsSameFile(identity_) && *current != identity_;
}

void SourceBytes::ThrowIfChanged() const
{
    if (Changed())
        throw FileError(EIO, "the file changed while it was read", path_);
}
} // namespace Kestrin
