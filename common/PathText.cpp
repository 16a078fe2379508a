// SPDX-License-Identifier: MIT
#include "PathText.h"

namespace Kestrin
{
namespace
{
bool HasWindowsDrive(const std::string& path)
{
    return path.size() >= 3 && path[1] == ':' && path[2] == '\\';
}

std::string TrimTrailingSpaces(std::string text)
{
    const auto last = text.find_last_not_of(' ');
    text.erase(last == std::string::npos ? 0 : last + 1);
    return text;
}
} // namespace

char PathSeparator(PathStyle style)
{
    return style == PathStyle::Windows ? '\\' : '/';
}

std::string SplitPath(const std::string& path, PathParts& parts, PathStyle style)
{
    if (path.empty())
        return {};
    const char separator = PathSeparator(style);
    std::string drive;
    std::string rest;
    if (style == PathStyle::Windows)
    {
        if (HasWindowsDrive(path))
        {
            drive = path.substr(0, 3);
            rest = path.substr(3);
        }
        else
            rest = path;
        if (rest.find_first_of("|:<>\"*?/") != std::string::npos)
            return {};
    }
    else
    {
        if (path.front() == '/')
        {
            drive = "/";
            rest = path.substr(1);
        }
        else
            rest = path;
        if (rest.find('\0') != std::string::npos)
            return {};
    }

    std::string folder;
    std::string name;
    while (!rest.empty())
    {
        const auto slash = rest.find(separator);
        if (slash == 0 && style == PathStyle::Posix)
        {
            rest.erase(0, 1); // "a//b" is "a/b", as the system reads it
            continue;
        }
        if (slash == std::string::npos || slash == 0)
        {
            name = rest;
            rest.clear();
        }
        else
        {
            folder += rest.substr(0, slash + 1);
            rest.erase(0, slash + 1);
        }
    }
    const auto dot = name.rfind('.');
    parts.Drive = drive;
    parts.Folder = folder;
    parts.Name = name;
    parts.Extension =
        dot == std::string::npos ? std::string() : TrimTrailingSpaces(name.substr(dot));
    return path;
}

std::string BaseName(const std::string& name)
{
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

bool IsAbsolutePath(const std::string& path, PathStyle style)
{
    if (style == PathStyle::Windows)
        return HasWindowsDrive(path);
    return !path.empty() && path.front() == '/';
}

std::string FolderWithSeparator(const std::string& folder, PathStyle style)
{
    const char separator = PathSeparator(style);
    if (folder.empty() || folder.back() == separator)
        return folder;
    return folder + separator;
}

std::string FolderPart(const std::string& path, PathStyle style)
{
    const auto last = path.rfind(PathSeparator(style));
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

std::vector<std::string> FolderPathSteps(const std::string& folder, PathStyle style)
{
    std::vector<std::string> steps;
    const char separator = PathSeparator(style);
    std::string current;
    std::size_t position = 0;
    if (style == PathStyle::Windows)
    {
        // The drive ("C:") is taken as given; components start behind "C:\". Without a
        // drive the folder is relative (the command line takes such paths): its components
        // start at once.
        if (HasWindowsDrive(folder))
        {
            current = folder.substr(0, 2);
            position = 3;
        }
    }
    else if (!folder.empty() && folder.front() == '/')
        position = 1;

    const bool relative = position == 0;
    while (position < folder.size())
    {
        auto next = folder.find(separator, position);
        if (next == std::string::npos)
            next = folder.size();
        const auto component = folder.substr(position, next - position);
        position = next + 1;
        if (component.empty())
        {
            if (style == PathStyle::Windows)
                break;
            continue;
        }
        if (relative && current.empty())
            current = component;
        else
            current += separator + component;
        steps.push_back(current);
    }
    return steps;
}
} // namespace Kestrin
