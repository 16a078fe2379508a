// SPDX-License-Identifier: MIT
#include "ProfileDocument.h"

#include "CodePage.h"

#include <filesystem>
#include <fstream>
#include <utility>

namespace Kestrin
{
namespace
{
constexpr std::string_view Blanks = " \t";
constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text)
{
    const auto first = text.find_first_not_of(Blanks);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(Blanks);
    return text.substr(first, last - first + 1);
}

char FoldCase(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// ASCII letters only: other bytes are compared as they are, whatever the code page.
bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    return true;
}

bool HasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

enum class LineKind
{
    Other,
    Section,
    Key,
    Comment,
    Blank
};

struct ParsedLine
{
    LineKind Kind = LineKind::Other;
    std::string_view Name;        // section or key name, trimmed
    std::size_t EqualsOffset = 0; // key lines: where "=" stands
};

ParsedLine Parse(std::string_view content)
{
    ParsedLine line;
    const auto start = content.find_first_not_of(Blanks);
    if (start == std::string_view::npos)
    {
        line.Kind = LineKind::Blank;
        return line;
    }
    if (content[start] == ';')
    {
        line.Kind = LineKind::Comment;
        return line;
    }
    if (content[start] == '[')
    {
        // The first "]" closes the name, so a comment after the header may hold one.
        const auto close = content.find(']', start + 1);
        if (close != std::string_view::npos)
        {
            line.Kind = LineKind::Section;
            line.Name = Trim(content.substr(start + 1, close - start - 1));
            return line;
        }
    }
    const auto equals = content.find('=');
    if (equals != std::string_view::npos)
    {
        const auto name = Trim(content.substr(0, equals));
        if (!name.empty())
        {
            line.Kind = LineKind::Key;
            line.Name = name;
            line.EqualsOffset = equals;
        }
    }
    return line;
}
} // namespace

ProfileDocument::ProfileDocument(std::string_view bytes, std::string newFileLineEnd)
    : bytes_(bytes), lineEnd_(std::move(newFileLineEnd))
{
    const auto newline = bytes_.find('\n');
    if (newline != std::string::npos)
        lineEnd_ = newline > 0 && bytes_[newline - 1] == '\r' ? "\r\n" : "\n";
}

ProfileDocument::LineSpan ProfileDocument::LineAt(std::size_t start) const
{
    const auto newline = bytes_.find('\n', start);
    if (newline == std::string::npos)
        return {start, bytes_.size(), bytes_.size()};
    const bool crlf = newline > start && bytes_[newline - 1] == '\r';
    return {start, crlf ? newline - 1 : newline, newline + 1};
}

std::string_view ProfileDocument::Content(const LineSpan& line) const
{
    std::string_view content(bytes_.data() + line.Start, line.TextEnd - line.Start);
    if (line.Start == 0 && content.substr(0, ByteOrderMark.size()) == ByteOrderMark)
        content.remove_prefix(ByteOrderMark.size());
    if (!content.empty() && content.back() == '\r')
        content.remove_suffix(1);
    return content;
}

std::optional<ProfileDocument::KeyLine> ProfileDocument::FindKey(std::string_view section,
                                                                 std::string_view key) const
{
    section = Trim(section);
    key = Trim(key);
    bool inSection = false;
    for (std::size_t at = 0; at < bytes_.size();)
    {
        const LineSpan span = LineAt(at);
        at = span.Next;
        const auto content = Content(span);
        const auto line = Parse(content);
        if (line.Kind == LineKind::Section)
            inSection = SameName(line.Name, section);
        else if (inSection && line.Kind == LineKind::Key && SameName(line.Name, key))
        {
            const auto valueStart = content.find_first_not_of(Blanks, line.EqualsOffset + 1);
            const auto shift = static_cast<std::size_t>(content.data() - bytes_.data());
            return KeyLine{
                shift + content.size(), shift + line.EqualsOffset + 1,
                shift + (valueStart == std::string_view::npos ? content.size() : valueStart)};
        }
    }
    return std::nullopt;
}

std::optional<std::string> ProfileDocument::Value(std::string_view section,
                                                  std::string_view key) const
{
    const auto found = FindKey(section, key);
    if (!found)
        return std::nullopt;
    auto value = Trim(std::string_view(bytes_).substr(found->ValueOffset,
                                                      found->ContentEnd - found->ValueOffset));
    if (value.size() >= 2 && value.front() == value.back() &&
        (value.front() == '"' || value.front() == '\''))
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

void ProfileDocument::InsertLine(std::size_t at, const std::string& text)
{
    // The line before may be a last line without a line end.
    if (at > 0 && bytes_[at - 1] != '\n')
    {
        bytes_.insert(at, lineEnd_);
        at += lineEnd_.size();
    }
    bytes_.insert(at, text + lineEnd_);
}

bool ProfileDocument::SetValue(std::string_view section, std::string_view key,
                               std::string_view value)
{
    if (!IsWritableSection(section) || !IsWritableKey(key) || HasLineBreak(value))
        return false;

    if (const auto found = FindKey(section, key))
    {
        // Keep the hand-set blanks after "=" unless the value brings its own, so that a
        // blank written for an empty text does not add up from one write to the next.
        const bool keepBlanks = !value.empty() && Blanks.find(value.front()) == std::string::npos;
        const auto cut = keepBlanks ? found->ValueOffset : found->AfterEquals;
        bytes_.replace(cut, found->ContentEnd - cut, value);
        return true;
    }

    const auto wanted = Trim(section);
    std::optional<std::size_t> insertAt;
    std::size_t at = 0;
    while (at < bytes_.size() && !insertAt)
    {
        const LineSpan span = LineAt(at);
        at = span.Next;
        const auto line = Parse(Content(span));
        if (line.Kind == LineKind::Section && SameName(line.Name, wanted))
            insertAt = at;
    }
    if (insertAt)
    {
        // After the section's last line with content: blank lines and comments that lead
        // into the next section stay in front of it.
        while (at < bytes_.size())
        {
            const LineSpan span = LineAt(at);
            at = span.Next;
            const auto line = Parse(Content(span));
            if (line.Kind == LineKind::Section)
                break;
            if (line.Kind != LineKind::Blank && line.Kind != LineKind::Comment)
                insertAt = at;
        }
        InsertLine(*insertAt, std::string(key) + "=" + std::string(value));
        return true;
    }
    InsertLine(bytes_.size(), "[" + std::string(section) + "]");
    InsertLine(bytes_.size(), std::string(key) + "=" + std::string(value));
    return true;
}

std::string ProfileDocument::Bytes() const
{
    return bytes_;
}

bool ProfileDocument::IsWritableSection(std::string_view section)
{
    return !Trim(section).empty() && !HasLineBreak(section) &&
           section.find(']') == std::string_view::npos;
}

bool ProfileDocument::IsWritableKey(std::string_view key)
{
    const auto name = Trim(key);
    return !name.empty() && !HasLineBreak(key) && key.find('=') == std::string_view::npos &&
           name.front() != '[' && name.front() != ';';
}

ProfileFileState ReadProfileBytes(const std::string& path, std::string& bytes)
{
    std::error_code error;
    const auto status = std::filesystem::status(PathFromBytes(path), error);
    if (status.type() == std::filesystem::file_type::not_found)
        return ProfileFileState::Missing;
    if (error || status.type() != std::filesystem::file_type::regular)
        return ProfileFileState::Unreadable;
    const auto size = std::filesystem::file_size(PathFromBytes(path), error);
    if (!error && size > MaxProfileBytes)
        return ProfileFileState::TooLarge;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return ProfileFileState::Unreadable;
    bytes.clear();
    char chunk[65536];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0)
    {
        bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > MaxProfileBytes) // grown since it was looked at
            return ProfileFileState::TooLarge;
    }
    return in.bad() ? ProfileFileState::Unreadable : ProfileFileState::Read;
}
} // namespace Kestrin
