#pragma once
// A source file's bytes in one piece that fragments and lines point into, with the
// identity of the file they came from, so that a readiness update on every keystroke reads
// the file again only when it changed. A large file is mapped rather than copied: the
// count then runs straight over the system's file cache, and the bytes take no memory of
// their own.
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

    std::string_view View() const { return {data_, size_}; }

    // The file's bytes (empty when FileExists is false or it is not a regular file).
    // `previous` is given back as it is when it holds the same path and the file has not
    // changed since (device, inode, size, modification and change times). Throws FileError
    // when the file exists but cannot be read.
    static std::shared_ptr<const SourceBytes>
    Read(const std::string& path, const std::shared_ptr<const SourceBytes>& previous);

    // Whether what View() shows may no longer be the file's bytes as they were read: the
    // mapped file was truncated (its lost pages read as zeros) or written in place since.
    // Bytes that were copied never change.
    bool Changed() const;
    // Throws FileError "the file changed while it was read" naming the file when Changed().
    // Callers check after reading the bytes and before using what they found.
    void ThrowIfChanged() const;

    // Files at least this large are mapped.
    static constexpr std::size_t MapFrom = std::size_t(1) << 20;

private:
    FileBuffer buffer_;
    std::unique_ptr<FileMapping> mapping_;
    const char* data_ = "";
    std::size_t size_ = 0;
    std::string path_;
    FileIdentity identity_;
    bool reusable_ = false;
};
} // namespace Kestrin
