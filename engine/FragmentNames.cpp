// SPDX-License-Identifier: MIT
#include "FragmentNames.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace Kestrin
{
int NumberWidth(std::size_t count)
{
    int width = 1;
    while (count >= 10)
    {
        count /= 10;
        ++width;
    }
    return width;
}

std::string NumberedName(const std::string& base, std::size_t number, int width,
                         const std::string& extension)
{
    std::string digits = std::to_string(number);
    if (static_cast<int>(digits.size()) < width)
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
    return base + "_" + digits + extension;
}

namespace
{
// A name made harmless, built in one pass with bounded memory however long the line: the
// first `limit` bytes, the last few (for the extension), the length and a hash of all.
class NameBuilder
{
public:
    NameBuilder(std::size_t limit, PathStyle style) : limit_(limit), style_(style) {}

    // Characters that cannot be in a file name become "_", CRs go.
    void Add(std::string_view text)
    {
        for (const char byte : text)
        {
            char c = byte;
            if (c == '\r')
                continue;
            const auto code = static_cast<unsigned char>(c);
            // NUL would cut the path short; Windows takes no other control byte in a name.
            if (std::strchr("\"<>/:\\|*?", c) != nullptr || c == '\0' ||
                (style_ == PathStyle::Windows && code < 0x20))
                c = '_';
            hash_ = (hash_ ^ static_cast<unsigned char>(c)) * 1099511628211ull;
            if (head_.size() < limit_)
                head_ += c;
            tail_[length_ % Tail] = c;
            ++length_;
        }
    }
    bool Empty() const { return length_ == 0; }

    // The whole name when it fits; else its start cut at a character boundary, "~", a
    // short hash of the whole name (so that two long lines do not meet) and the extension.
    std::string Name() const
    {
        if (length_ <= limit_)
            return head_;
        std::string tail;
        for (std::size_t i = length_ - Tail; i < length_; ++i)
            tail += tail_[i % Tail];
        const auto dot = tail.rfind('.');
        std::string extension = dot == std::string::npos ? std::string() : tail.substr(dot);
        if (extension.size() <= 1 || extension.find(' ') != std::string::npos)
            extension.clear();
        char digits[10];
        std::snprintf(digits, sizeof digits, "~%08x",
                      static_cast<unsigned>((hash_ >> 32) ^ (hash_ & 0xffffffffu)));
        std::size_t cut = limit_ > extension.size() + 9 ? limit_ - extension.size() - 9 : 0;
        while (cut > 0 && (static_cast<unsigned char>(head_[cut]) & 0xC0) == 0x80)
            --cut;
        return head_.substr(0, cut) + digits + extension;
    }

private:
    static constexpr std::size_t Tail = 16; // an extension longer than 15 bytes is not one
    std::size_t limit_;
    PathStyle style_;
    std::string head_;
    char tail_[Tail] = {};
    std::size_t length_ = 0;
    std::uint64_t hash_ = 14695981039346656037ull; // FNV-1a
};

// Windows opens a device, not a file, under CON, PRN, AUX, NUL, COM1-COM9 and LPT1-LPT9,
// whatever the case, with any extension and blanks before it ("aux.txt", "Nul .log"). Such
// a name gets "_" after its device word, so that the fragment is written to a file (and
// listed) rather than the run ending at a device it must not write to.
std::string OutsideDevices(std::string name, PathStyle style)
{
    if (style != PathStyle::Windows)
        return name;
    const auto word = name.substr(0, name.find('.'));
    const auto end = word.find_last_not_of(' ');
    if (end == std::string::npos)
        return name;
    std::string upper = word.substr(0, end + 1);
    for (auto& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    const bool device = upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL" ||
                        (upper.size() == 4 &&
                         (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) &&
                         upper[3] >= '1' && upper[3] <= '9');
    if (device)
        name.insert(end + 1, "_");
    return name;
}
} // namespace

std::string FirstLineName(std::string_view& fragment, PathStyle style, std::size_t limit)
{
    const auto lead = fragment.find_first_not_of("\r\n");
    fragment.remove_prefix(lead == std::string_view::npos ? fragment.size() : lead);

    // The line is looked at where it lies: a first line of hundreds of megabytes costs no
    // copy of itself.
    std::string_view line = fragment.substr(0, fragment.find('\n'));
    while (!line.empty() && line.back() == '\0')
        line.remove_suffix(1);
    const auto first = line.find_first_not_of(' ');
    line = first == std::string_view::npos
               ? std::string_view()
               : line.substr(first, line.find_last_not_of(' ') - first + 1);
    NameBuilder built(limit, style);
    if (IsAbsolutePath(std::string(line.substr(0, 3)), style))
    {
        const char* separators = style == PathStyle::Windows ? "/\\" : "/";
        built.Add(line.substr(line.find_last_of(separators) + 1));
    }
    if (built.Empty())
    {
        built = NameBuilder(limit, style);
        built.Add(line);
    }
    std::string name = built.Name();
    if (name == "." || name == "..")
        name.assign(name.size(), '_');
    name = OutsideDevices(name, style);
    if (name.empty())
        return name;

    const auto lineFeed = fragment.find('\n');
    if (lineFeed != std::string_view::npos)
        fragment.remove_prefix(lineFeed + 1);
    return name;
}
} // namespace Kestrin
