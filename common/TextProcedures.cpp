// SPDX-License-Identifier: MIT
#include "TextProcedures.h"

#include <array>
#include <stdexcept>

namespace Kestrin
{
std::string TextBefore(std::string_view text, std::string_view separator, bool emptyWhenMissing)
{
    if (separator.empty())
        return std::string(text);
    const auto found = text.find(separator);
    if (found == std::string_view::npos)
        return emptyWhenMissing ? std::string() : std::string(text);
    return std::string(text.substr(0, found));
}

std::string TextAfter(std::string_view text, std::string_view separator, bool emptyWhenMissing)
{
    if (separator.empty())
        return std::string(text);
    const auto found = text.find(separator);
    if (found == std::string_view::npos)
        return emptyWhenMissing ? std::string() : std::string(text);
    return std::string(text.substr(found + separator.size()));
}

std::string TrimTrailingCodes(std::string_view text, int limit)
{
    auto end = text.size();
    while (end > 0 && static_cast<unsigned char>(text[end - 1]) <= limit)
        --end;
    return std::string(text.substr(0, end));
}

namespace
{
using ByteSet = std::array<bool, 256>;

char AsciiOtherCase(char c)
{
    if (c >= 'a' && c <= 'z')
        return static_cast<char>(c - 'a' + 'A');
    if (c >= 'A' && c <= 'Z')
        return static_cast<char>(c - 'A' + 'a');
    return c;
}

[[noreturn]] void Unsupported(std::string_view pattern)
{
    throw std::invalid_argument("unsupported pattern: " + std::string(pattern));
}

// One element of a class or a lone literal: an escaped or a plain byte.
unsigned char TakeByte(std::string_view pattern, std::size_t& at)
{
    if (at >= pattern.size())
        Unsupported(pattern);
    if (pattern[at] == '\\')
    {
        if (++at >= pattern.size())
            Unsupported(pattern);
        const char escaped = pattern[at++];
        if ((escaped >= 'a' && escaped <= 'z') || (escaped >= 'A' && escaped <= 'Z') ||
            (escaped >= '0' && escaped <= '9'))
            Unsupported(pattern); // \d, \w, \n ... are not plain characters
        return static_cast<unsigned char>(escaped);
    }
    return static_cast<unsigned char>(pattern[at++]);
}

ByteSet ParsePattern(std::string_view pattern, bool caseSensitive)
{
    ByteSet set{};
    std::size_t at = 0;
    bool negate = false;
    if (pattern.empty())
        Unsupported(pattern);
    if (pattern.front() != '[')
    {
        if (pattern.front() == '.' || pattern.front() == '^' || pattern.front() == '$')
            Unsupported(pattern);
        set[TakeByte(pattern, at)] = true;
        if (at != pattern.size())
            Unsupported(pattern);
    }
    else
    {
        at = 1;
        negate = at < pattern.size() && pattern[at] == '^';
        if (negate)
            ++at;
        bool first = true;
        for (;;)
        {
            if (at >= pattern.size())
                Unsupported(pattern);
            if (pattern[at] == ']' && !first)
                break;
            first = false;
            const unsigned char low = TakeByte(pattern, at);
            unsigned char high = low;
            if (at + 1 < pattern.size() && pattern[at] == '-' && pattern[at + 1] != ']')
            {
                ++at;
                high = TakeByte(pattern, at);
                if (high < low)
                    Unsupported(pattern);
            }
            for (unsigned code = low; code <= high; ++code)
                set[code] = true;
        }
        if (at + 1 != pattern.size())
            Unsupported(pattern);
    }
    if (!caseSensitive)
    {
        const ByteSet exact = set;
        for (unsigned code = 0; code < 256; ++code)
            if (exact[code])
                set[static_cast<unsigned char>(AsciiOtherCase(static_cast<char>(code)))] = true;
    }
    // Negated after folding, so that "[^a]" ignoring case leaves both "a" and "A" alone.
    if (negate)
        for (auto& member : set)
            member = !member;
    return set;
}
} // namespace

std::string ReplacePattern(std::string_view text, std::string_view pattern,
                           std::string_view replacement, bool caseSensitive, bool multiLine,
                           bool allMatches)
{
    (void)multiLine;
    const ByteSet set = ParsePattern(pattern, caseSensitive);
    std::string result;
    result.reserve(text.size());
    bool replaced = false;
    for (const char c : text)
    {
        if (set[static_cast<unsigned char>(c)] && (allMatches || !replaced))
        {
            result += replacement;
            replaced = true;
        }
        else
            result += c;
    }
    return result;
}
} // namespace Kestrin
