#pragma once
// A source file's bytes, read whole into one buffer that fragments and lines point into,
// with the identity of the file they came from, so that a readiness update on every
// keystroke reads the file again only when it changed.
#include "FileAccess.h"

#include <memory>
#include <string>
#include <string_view>

namespace Kestrin
{
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
    FileBuffer data_;
    std::size_t size_ = 0;
    std::string path_;
    FileIdentity identity_;
    bool reusable_ = false;
};
} // namespace Kestrin
