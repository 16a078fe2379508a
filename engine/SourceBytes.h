// SPDX-License-Identifier: MIT
#pragma once
// A source file's bytes, with the identity of the file they came from, so that a
// readiness update on every keystroke reads the file again only when it changed.
//
// A small file is copied into one buffer. A large one is neither copied nor mapped while
// only its delimiters are counted: the count reads it in pieces, which the system serves
// from its file cache faster than it can map the pages, and takes no memory. Its bytes
// are mapped when a run first walks them (View), and then count once, as the system's
// file cache.
#include "common/FileAccess.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Kestrin
{
class SourceBytes
{
public:
    SourceBytes() = default;
    SourceBytes(const SourceBytes&) = delete;
    SourceBytes& operator=(const SourceBytes&) = delete;

    // The file's bytes (empty when FileExists is false or it is not a regular file).
    // `previous` is given back as it is when it holds the same path and the file has not
    // changed since (device, inode, size, modification and change times). Throws FileError
    // when the file exists but cannot be read.
    static std::shared_ptr<const SourceBytes>
    Read(const std::string& path, const std::shared_ptr<const SourceBytes>& previous);

    std::size_t Size() const { return size_; }
    // Non-overlapping occurrences of the delimiter (not empty), as CountDelimiters counts
    // them; remembered per delimiter. Throws FileError when the file cannot be read.
    std::size_t Occurrences(const std::string& delimiter) const;
    // All the bytes; a large file is mapped at the first call. Throws FileError, "the file
    // changed while it was read" when it is no longer the file that was counted.
    std::string_view View() const;

    // Whether the bytes may no longer be the file's as they were counted: the file was
    // written in place since, or, mapped, truncated (its lost pages read as zeros).
    // Copied bytes never change.
    bool Changed() const;
    // A walk is past the bytes before `position` (a pointer into View()): a mapped file's
    // pages there may leave memory.
    void ReleaseBefore(const char* position) const;
    // Throws FileError "the file changed while it was read" naming the file when Changed().
    // Callers check after reading the bytes and before using what they found.
    void ThrowIfChanged() const;

    // Files at least this large are counted in pieces and mapped, not copied.
    static constexpr std::size_t LargeFrom = std::size_t(1) << 20;

private:
    FileError ChangedError() const;
    // The bytes where they are in memory: copied, or mapped once a run walked them; none
    // for a large file only counted so far. The one way to the bytes: each holder gives
    // its own bytes with its own length.
    std::optional<std::string_view> InMemory() const;

    FileBuffer buffer_;
    std::size_t copied_ = 0; // bytes in buffer_
    mutable std::unique_ptr<FileMapping> mapping_;
    mutable std::unique_ptr<InputFile> mapped_; // the file mapped, kept open to examine it
    bool large_ = false;
    std::size_t size_ = 0; // as examined; what a large file is counted and mapped to
    std::string path_;
    FileIdentity identity_;
    bool reusable_ = false;
    mutable std::vector<std::pair<std::string, std::size_t>> counts_;
};
} // namespace Kestrin
