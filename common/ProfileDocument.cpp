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
{
    std::size_t start = 0;
    while (start < bytes.size())
    {
        const auto newline = bytes.find('\n', start);
        if (newline == std::string_view::npos)
        {
            lines_.push_back({std::string(bytes.substr(start)), ""});
            break;
        }
        const bool crlf = newline > start && bytes[newline - 1] == '\r';
        const auto end = crlf ? newline - 1 : newline;
        lines_.push_back({std::string(bytes.substr(start, end - start)), crlf ? "\r\n" : "\n"});
        start = newline + 1;
    }
    lineEnd_ = std::move(newFileLineEnd);
    for (const auto& line : lines_)
        if (!line.End.empty())
        {
            lineEnd_ = line.End;
            break;
        }
}

std::string_view ProfileDocument::Content(std::size_t index) const
{
    std::string_view content = lines_[index].Text;
    if (index == 0 && content.substr(0, ByteOrderMark.size()) == ByteOrderMark)
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
    for (std::size_t i = 0; i < lines_.size(); ++i)
    {
        const auto content = Content(i);
        const auto line = Parse(content);
        if (line.Kind == LineKind::Section)
            inSection = SameName(line.Name, section);
        else if (inSection && line.Kind == LineKind::Key && SameName(line.Name, key))
        {
            const auto valueStart = content.find_first_not_of(Blanks, line.EqualsOffset + 1);
            // Offsets into Text: the first line's byte order mark is not part of Content.
            const auto shift = static_cast<std::size_t>(content.data() - lines_[i].Text.data());
            return KeyLine{
                i, shift + line.EqualsOffset + 1,
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
    const auto content = Content(found->Index);
    const auto shift = static_cast<std::size_t>(content.data() - lines_[found->Index].Text.data());
    auto value = Trim(content.substr(found->ValueOffset - shift));
    if (value.size() >= 2 && value.front() == value.back() &&
        (value.front() == '"' || value.front() == '\''))
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

void ProfileDocument::InsertLine(std::size_t index, std::string text)
{
    // The line before may be a last line without a line end.
    if (index > 0 && lines_[index - 1].End.empty())
        lines_[index - 1].End = lineEnd_;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index),
                  Line{std::move(text), lineEnd_});
}

bool ProfileDocument::SetValue(std::string_view section, std::string_view key,
                               std::string_view value)
{
    if (!IsWritableSection(section) || !IsWritableKey(key) || HasLineBreak(value))
        return false;

    if (const auto found = FindKey(section, key))
    {
        auto& text = lines_[found->Index].Text;
        // Keep the hand-set blanks after "=" unless the value brings its own, so that a
        // blank written for an empty text does not add up from one write to the next.
        const bool keepBlanks = !value.empty() && Blanks.find(value.front()) == std::string::npos;
        const auto content = Content(found->Index);
        const auto shift = static_cast<std::size_t>(content.data() - text.data());
        const auto contentEnd = shift + content.size();
        const auto cut = keepBlanks ? found->ValueOffset : found->AfterEquals;
        text.replace(cut, contentEnd - cut, value);
        return true;
    }

    const auto wanted = Trim(section);
    std::optional<std::size_t> insertAt;
    for (std::size_t i = 0; i < lines_.size() && !insertAt; ++i)
    {
        const auto line = Parse(Content(i));
        if (line.Kind == LineKind::Section && SameName(line.Name, wanted))
            insertAt = i + 1;
    }
    if (insertAt)
    {
        // After the section's last line with content: blank lines and comments that lead
        // into the next section stay in front of it.
        for (std::size_t i = *insertAt; i < lines_.size(); ++i)
        {
            const auto line = Parse(Content(i));
            if (line.Kind == LineKind::Section)
                break;
            if (line.Kind != LineKind::Blank && line.Kind != LineKind::Comment)
                insertAt = i + 1;
        }
        InsertLine(*insertAt, std::string(key) + "=" + std::string(value));
        return true;
    }
    InsertLine(lines_.size(), "[" + std::string(section) + "]");
    InsertLine(lines_.size(), std::string(key) + "=" + std::string(value));
    return true;
}

std::string ProfileDocument::Bytes() const
{
    std::string bytes;
    for (const auto& line : lines_)
        bytes.append(line.Text).append(line.End);
    return bytes;
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
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return ProfileFileState::Unreadable;
    bytes.clear();
    char chunk[65536];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0)
        bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
    return in.bad() ? ProfileFileState::Unreadable : ProfileFileState::Read;
}
} // namespace Kestrin
