// SPDX-License-Identifier: MIT
#include "common/ConfigFolders.h"

#include "common/Version.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Kestrin
{
std::string UserConfigFolder()
{
    std::string base;
    // A relative $XDG_CONFIG_HOME is invalid and ignored, as the XDG rules ask.
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome && configHome[0] == '/')
        base = configHome;
    else
    {
        const char* home = std::getenv("HOME");
        if (!home || home[0] != '/')
        {
            const passwd* user = ::getpwuid(::getuid());
            home = user ? user->pw_dir : nullptr;
        }
        if (!home || home[0] != '/')
            return {};
        base = std::string(home) + "/.config";
    }
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    return base + (base == "/" ? "" : "/") + CompanyName;
}

bool FolderIsWritable(const std::string& folder)
{
    namespace fs = std::filesystem;
    fs::path current = fs::path(folder.empty() ? "." : folder).lexically_normal();
    if (!current.has_filename() && current != current.root_path())
        current = current.parent_path(); // "a/b/" names "a/b"
    for (;;)
    {
        struct stat info
        {
        };
        if (::stat(current.c_str(), &info) == 0)
            return S_ISDIR(info.st_mode) &&
                   ::faccessat(AT_FDCWD, current.c_str(), W_OK, AT_EACCESS) == 0;
        if (errno != ENOENT)
            return false;
        auto parent = current.parent_path();
        if (parent.empty())
            parent = ".";
        if (parent == current)
            return false;
        current = parent;
    }
}
} // namespace Kestrin
