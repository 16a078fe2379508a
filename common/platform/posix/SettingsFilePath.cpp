// SPDX-License-Identifier: MIT
#include "common/ConfigFolders.h"
#include "common/Exists.h"
#include "common/ProfileFile.h"
#include "common/Version.h"

#include <filesystem>

namespace Kestrin
{
// Beside the program only in a build folder, which the build marks with a file beside the
// program (BuildTreeMarker). Asking "can the folder be written?" instead would put root's
// settings into /usr/bin, and a user's into ~/.local/bin. A marker rather than the build
// folder's path compiled in: the installed program carries no path of the machine that
// built it, and a build folder that is moved or copied whole still counts as one.
// Everywhere else the settings live in the per-user configuration folder, root's included;
// with no such folder to be had they are neither read nor written (an empty path).
std::string SettingsFilePath(const std::string& executablePath, const std::string& userFolder)
{
    namespace fs = std::filesystem;
    const fs::path program = executablePath;
    if (!program.has_filename())
        return {};
    fs::path name = program.stem();
    name += ".dat";
    const auto folder = program.parent_path();
    if (FileExists((folder / BuildTreeMarker).string()))
        return (folder / name).string();
    if (userFolder.empty())
        return {};
    // Created here, once: the file itself is only ever written at shut-down.
    std::error_code ignored;
    fs::create_directories(userFolder, ignored);
    if (!FolderExists(userFolder))
        return {};
    return (fs::path(userFolder) / name).string();
}
} // namespace Kestrin
