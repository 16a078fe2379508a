// SPDX-License-Identifier: MIT
#include "FileCount.h"

#include "DelimiterSearch.h"
#include "common/Exists.h"
#include "common/FileAccess.h"

#include <algorithm>
#include <memory>

namespace Kestrin
{
DelimiterCounter::DelimiterCounter(std::string delimiter) : delimiter_(std::move(delimiter)) {}

void DelimiterCounter::Add(const char* bytes, std::size_t size)
{
    seen_ += size;
    const std::size_t length = delimiter_.size();
    if (length == 0 || size == 0)
        return;
    std::string_view piece(bytes, size);
    if (length == 1)
    {
        occurrences_ += CountDelimiters(piece, delimiter_);
        return;
    }
    // Bytes before this piece that may still begin an occurrence.
    std::string before;
    if (!carry_.empty())
    {
        // At most one occurrence can begin in the carry (it is shorter than the delimiter);
        // if there is one, the first length - 1 bytes of the piece complete it.
        std::string seam = carry_;
        seam.append(piece.substr(0, std::min(size, length - 1)));
        const char* found = FindDelimiter(seam.data(), seam.data() + seam.size(), delimiter_);
        if (found != seam.data() + seam.size() &&
            found < seam.data() + static_cast<std::ptrdiff_t>(carry_.size()))
        {
            ++occurrences_;
            piece.remove_prefix(static_cast<std::size_t>(found - seam.data()) + length -
                                carry_.size());
        }
        else
            before = std::move(carry_);
        carry_.clear();
    }
    const char* at = piece.data();
    const char* end = piece.data() + piece.size();
    const char* lastEnd = nullptr;
    while ((at = FindDelimiter(at, end, delimiter_)) != end)
    {
        ++occurrences_;
        at += length;
        lastEnd = at;
    }
    // Keep what the next piece could complete into an occurrence.
    std::string_view rest =
        lastEnd ? std::string_view(lastEnd, static_cast<std::size_t>(end - lastEnd)) : piece;
    if (lastEnd == nullptr && !before.empty())
    {
        before.append(rest);
        rest = before;
    }
    carry_.assign(rest.substr(rest.size() - std::min(rest.size(), length - 1)));
}

namespace
{
std::size_t CountInFile(const std::string& path, const std::string& delimiter)
{
    if (!FileExists(path))
        return 0;
    InputFile file;
    if (!file.Open(path))
        return 0;
    // Small enough to stay in the cache between the read and the scan.
    constexpr std::size_t PieceSize = 256 * 1024;
    const std::unique_ptr<char[]> buffer(new char[PieceSize]);
    DelimiterCounter counter(delimiter);
    for (;;)
    {
        const std::size_t got = file.Read(buffer.get(), PieceSize);
        if (got == 0)
            break;
        counter.Add(buffer.get(), got);
    }
    return counter.BytesSeen() == 0 ? 0 : counter.Occurrences() + 1;
}
} // namespace

std::size_t CountFragmentsInFile(const std::string& path, const std::string& delimiter)
{
    return CountInFile(path, delimiter);
}

std::size_t CountLinesInFile(const std::string& path, PathStyle style)
{
    return CountInFile(path, style == PathStyle::Windows ? "\r\n" : "\n");
}
} // namespace Kestrin
