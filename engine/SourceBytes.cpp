// SPDX-License-Identifier: MIT
#include "SourceBytes.h"

#include "DelimiterSearch.h"
#include "FileCount.h"
#include "common/Exists.h"
#include "common/FileError.h"

#include <algorithm>
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

// Counts kept per source: a keystroke mostly goes back and forth between a few delimiters.
constexpr std::size_t KeptCounts = 8;
// Small enough to stay in the processor's cache between the read and the scan.
constexpr std::size_t PieceSize = 256 * 1024;
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
    if (size >= LargeFrom)
    {
        bytes->large_ = true;
        bytes->size_ = size;
    }
    else if (size > 0)
    {
        bytes->buffer_ = AllocateFileBuffer(size);
        bytes->copied_ = file.ReadUpTo(bytes->buffer_.get(), size);
        bytes->size_ = bytes->copied_;
        whole = bytes->copied_ == size;
    }
    bytes->reusable_ = whole && bytes->identity_.ModifiedNs < readStart - RacyWindowNs &&
                       bytes->identity_.ChangedNs < readStart - RacyWindowNs;
    return bytes;
}

std::size_t SourceBytes::Occurrences(const std::string& delimiter) const
{
    for (const auto& [known, count] : counts_)
        if (known == delimiter)
            return count;
    std::size_t count = 0;
    if (const auto bytes = InMemory())
        count = CountDelimiters(*bytes, delimiter);
    else
    {
        InputFile file;
        if (!file.Open(path_) || !file.Identity().IsSameFile(identity_))
            throw ChangedError();
        const std::unique_ptr<char[]> piece(new char[PieceSize]);
        DelimiterCounter counter(delimiter);
        // Only the bytes there were when the file was examined: it may be growing.
        for (std::size_t left = size_; left > 0;)
        {
            const std::size_t got = file.Read(piece.get(), std::min(left, PieceSize));
            if (got == 0)
                throw ChangedError(); // shorter than it was
            counter.Add(piece.get(), got);
            left -= got;
        }
        count = counter.Occurrences();
    }
    if (counts_.size() == KeptCounts)
        counts_.erase(counts_.begin());
    counts_.emplace_back(delimiter, count);
    return count;
}

std::optional<std::string_view> SourceBytes::InMemory() const
{
    if (!large_)
        return std::string_view(buffer_ ? buffer_.get() : "", copied_);
    if (mapping_)
        return std::string_view(mapping_->Data(), mapping_->Size());
    return std::nullopt;
}

std::string_view SourceBytes::View() const
{
    if (!InMemory())
    {
        // The file counted before: the same one, unchanged.
        auto file = std::make_unique<InputFile>();
        if (!file->Open(path_) || file->Identity() != identity_)
            throw ChangedError();
        mapping_ = std::make_unique<FileMapping>(*file, size_);
        // Kept open: a run asks after every fragment whether the file changed, and asking
        // the open file costs less than looking its name up again.
        mapped_ = std::move(file);
    }
    return *InMemory();
}

bool SourceBytes::Changed() const
{
    if (!large_)
        return false;
    if (mapping_ && mapping_->Damaged())
        return true;
    // Written in place: a mapping shows the new bytes, a count in pieces read some of them.
    // A file that another one replaced under the same name leaves the mapped one as it was.
    const auto current = mapped_ ? mapped_->IdentityNow() : IdentityOfPath(path_);
    return current && current->IsSameFile(identity_) && *current != identity_;
}

FileError SourceBytes::ChangedError() const
{
    return FileError(EIO, "the file changed while it was read", path_);
}

void SourceBytes::ThrowIfChanged() const
{
    if (Changed())
        throw ChangedError();
}

void SourceBytes::ReleaseBefore(const char* position) const
{
    if (mapping_)
        mapping_->Release(static_cast<std::size_t>(position - mapping_->Data()));
}
} // namespace Kestrin
