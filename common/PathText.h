// SPDX-License-Identifier: MIT
#pragma once
// Breaking up paths, in either path style: the program uses the native one, and the
// Windows style is kept so that paths written on Windows (and its examples) behave the
// same everywhere.
#include <string>
#include <vector>

namespace Kestrin
{
enum class PathStyle
{
    Windows, // drive "X:\", separator "\"
    Posix    // root "/", separator "/"
};

constexpr PathStyle NativePathStyle()
{
#ifdef _WIN32
    return PathStyle::Windows;
#else
    return PathStyle::Posix;
#endif
}

char PathSeparator(PathStyle style);

struct PathParts
{
    std::string Drive;     // "C:\" or "/"; empty for a relative path
    std::string Folder;    // "data\in\": ends in the separator when not empty
    std::string Name;      // file name with its extension
    std::string Extension; // from the last "." of the name on, trailing spaces removed
};

// The path when accepted, else the empty text; the parts are set only for an accepted path.
// Windows style rejects | : < > " * ? / after the drive; POSIX style rejects only NUL and
// reads repeated separators as one, as the system does.
std::string SplitPath(const std::string& path, PathParts& parts,
                      PathStyle style = NativePathStyle());

// The name without its extension: everything before the last ".". A name without "."
// is all base name (its extension is empty too).
std::string BaseName(const std::string& name);

// Windows: "X:\..." ; POSIX: "/...".
bool IsAbsolutePath(const std::string& path, PathStyle style = NativePathStyle());

// A folder as it is to be put in front of a file name: a non-empty folder that does not
// end in the separator gets one, so the name lands inside the folder the user named.
std::string FolderWithSeparator(const std::string& folder, PathStyle style = NativePathStyle());

// The folder part of a path: everything up to and including its last separator.
std::string FolderPart(const std::string& path, PathStyle style = NativePathStyle());

// The folders CreateFolderPath makes sure of, outermost first, without trailing separator:
// "C:\new\deep\" gives "C:\new", "C:\new\deep"; "/srv/a//b/" gives "/srv", "/srv/a",
// "/srv/a/b". Windows style stops at the first empty component (a UNC path is not
// handled); POSIX style skips empty components, as the system does.
std::vector<std::string> FolderPathSteps(const std::string& folder,
                                         PathStyle style = NativePathStyle());
} // namespace Kestrin
