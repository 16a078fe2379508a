// SPDX-License-Identifier: MIT
#pragma once
// A profile (INI) file held as its bytes, so that one key can be read or changed while every
// other byte of the file (comments, blank lines, other sections, odd case, line ends, even
// garbage) stays exactly as it was.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Kestrin
{
class ProfileDocument
{
public:
    // newFileLineEnd is used for added lines when the bytes hold no line end to copy.
    explicit ProfileDocument(std::string_view bytes, std::string newFileLineEnd = "\r\n");

    // The key's value with blanks around it dropped and one enclosing pair of single or
    // double quotation marks removed; nothing when the section or the key is missing.
    // Section and key names are matched without regard to case.
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;

    // Replaces the key's value in its line, or adds the key at the end of its section, or
    // adds the section at the end of the document. The value is written as given.
    // False (document unchanged) when a name or the value cannot be written on one line.
    bool SetValue(std::string_view section, std::string_view key, std::string_view value);

    std::string Bytes() const;

    // A name that would break the layout: empty, or holding a line break, "=" in a key,
    // "]" in a section, or a key that starts like a section header or a comment.
    static bool IsWritableSection(std::string_view section);
    static bool IsWritableKey(std::string_view key);

private:
    // A line of bytes_: [Start, TextEnd) without its line end; Next is where the next starts.
    struct LineSpan
    {
        std::size_t Start, TextEnd, Next;
    };
    struct KeyLine
    {
        std::size_t ContentEnd; // offsets into bytes_
        std::size_t AfterEquals;
        std::size_t ValueOffset; // past the blanks that follow "="
    };

    LineSpan LineAt(std::size_t start) const;
    std::string_view Content(const LineSpan& line) const;
    std::optional<KeyLine> FindKey(std::string_view section, std::string_view key) const;
    // Puts a line (and the line end) at a line start; `at` == size appends.
    void InsertLine(std::size_t at, const std::string& text);

    // The file's bytes as they are, edited in place: memory close to the file's size
    // however many lines it has.
    std::string bytes_;
    std::string lineEnd_;
};

enum class ProfileFileState
{
    Read,
    Missing,
    Unreadable, // exists but is not a plain file, or cannot be read
    TooLarge    // larger than any settings file (MaxProfileBytes): not read
};

// A settings file beyond this size is damaged (no window writes one a thousandth as
// large): it is not read, and never replaced, so that whatever it holds stays.
constexpr std::size_t MaxProfileBytes = std::size_t(16) << 20;

// The whole file. A folder, a device or a pipe in its place is never read (a pipe would
// block); callers must not replace what they could not read, or it would be lost.
ProfileFileState ReadProfileBytes(const std::string& path, std::string& bytes);
} // namespace Kestrin
