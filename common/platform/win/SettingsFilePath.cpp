// SPDX-License-Identifier: MIT
#include "common/CodePage.h"
#include "common/ConfigFolders.h"
#include "common/Exists.h"
#include "common/ProfileFile.h"

#include <filesystem>

namespace Kestrin
{
// Beside the program, as it always was; an installed program (a folder the user cannot
// write to, such as Program Files) keeps its settings in the user's configuration folder
// under the same name, so that it still remembers them. The per-user folder is created
// here, once, because the file itself is only ever written at shut-down.
std::string SettingsFilePath(const std::string& executablePath, const std::string& userFolder)
{
    namespace fs = std::filesystem;
    // Paths are bytes in the system encoding; fs::path would misread them on Windows.
    const fs::path program = PathFromBytes(executablePath);
    if (!program.has_filename())
        return {};
    fs::path name = program.stem();
    name += ".dat";
    const auto folder = program.parent_path();
    const auto besideProgram = BytesFromPath(folder / name);
    if (userFolder.empty() || FolderIsWritable(folder.empty() ? "." : BytesFromPath(folder)))
        return besideProgram;
    std::error_code ignored;
    fs::create_directories(PathFromBytes(userFolder), ignored);
    if (!FolderExists(userFolder))
        return besideProgram;
    return BytesFromPath(PathFromBytes(userFolder) / name);
}
} // namespace Kestrin
