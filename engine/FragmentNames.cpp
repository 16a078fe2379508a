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
bool IsAbsoluteLine(std::string_view line)
{
    if (!line.empty() && (line.front() == '/' || line.front() == '\\'))
        return true;
    return line.size() >= 3 && line[1] == ':' && (line[2] == '\\' || line[2] == '/');
}
} // namespace

std::string FirstLineName(std::string_view& fragment)
{
    const auto lead = fragment.find_first_not_of("\r\n");
    fragment.remove_prefix(lead == std::string_view::npos ? fragment.size() : lead);

    std::string name = TrimTrailingCodes(TextBefore(fragment, "\n"), 0);
    const auto first = name.find_first_not_of(' ');
    const auto last = name.find_last_not_of(' ');
    name = first == std::string::npos ? std::string() : name.substr(first, last - first + 1);
    if (IsAbsoluteLine(name))
        name = name.substr(name.find_last_of("/\\") + 1);
    name = ReplacePattern(name, R"(["<>/:\|\*\?\\])", "_", false, false, true);
    for (auto& c : name)
        if (c == '\0') // cannot be part of a file name: it would cut the path short
            c = '_';
    name.erase(std::remove(name.begin(), name.end(), '\r'), name.end());
    if (name == "." || name == "..")
        name.assign(name.size(), '_');
    if (name.empty())
        return name;

    const auto lineFeed = fragment.find('\n');
    if (lineFeed != std::string_view::npos)
        fragment.remove_prefix(lineFeed + 1);
    return name;
}
} // namespace Kestrin
