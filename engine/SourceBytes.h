#pragma once
// A source file's bytes, read whole into one buffer that fragments and lines point into,
// with the identity of the file they came from, so that a readiness update on every
// keystroke reads the file again only when it changed.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace Kestrin
{
struct FileIdentity
{
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    std::int64_t Size = -1;
    std::int64_t ModifiedNs = 0;
    std::int64_t ChangedNs = 0;

    bool operator==(const FileIdentity& other) const;
    bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};

// Frees a source buffer the way it was allocated (mapped pages or the heap).
struct BufferRelease
{
    std::size_t Capacity = 0;
    void operator()(char* data) const;
};

class SourceBytes
{
public:
    SourceBytes() = default;
    SourceBytes(const SourceBytes&) = delete;
    SourceBytes& operator=(const SourceBytes&) = delete;

    std::string_view View() const { return {data_.get(), size_}; }

    // The file's bytes (empty when FileExists is false or it is not a regular file).
    // `previous` is given back as it is when it holds the same path and the file has not
    // changed since (device, inode, size, modification and change times). Throws FileError
    // when the file exists but cannot be read.
    static std::shared_ptr<const SourceBytes>
    Read(const std::string& path, const std::shared_ptr<const SourceBytes>& previous);

private:
    std::unique_ptr<char, BufferRelease> data_;
    std::size_t size_ = 0;
    std::string path_;
    FileIdentity identity_;
    bool reusable_ = false;
};
} // namespace Kestrin
