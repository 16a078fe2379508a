// SPDX-License-Identifier: MIT
#include "FragmentNames.h"

#include "TextProcedures.h"

#include <algorithm>

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
// Characters that cannot be in a file name become "_", CRs go.
std::string Harmless(const std::string& text)
{
    std::string name = ReplacePattern(text, R"(["<>/:\|\*\?\\])", "_", false, false, true);
    for (auto& c : name)
        if (c == '\0') // cannot be part of a file name: it would cut the path short
            c = '_';
    name.erase(std::remove(name.begin(), name.end(), '\r'), name.end());
    return name;
}

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

std::string FirstLineName(std::string_view& fragment, PathStyle style)
{
    const auto lead = fragment.find_first_not_of("\r\n");
    fragment.remove_prefix(lead == std::string_view::npos ? fragment.size() : lead);

    std::string line = TrimTrailingCodes(TextBefore(fragment, "\n"), 0);
    const auto first = line.find_first_not_of(' ');
    const auto last = line.find_last_not_of(' ');
    line = first == std::string::npos ? std::string() : line.substr(first, last - first + 1);
    std::string name = Harmless(line);
    if (IsAbsolutePath(line, style))
    {
        const char* separators = style == PathStyle::Windows ? "/\\" : "/";
        const std::string fileName = Harmless(line.substr(line.find_last_of(separators) + 1));
        if (!fileName.empty())
            name = fileName;
    }
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
