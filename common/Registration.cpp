// SPDX-License-Identifier: MIT
// Program registration: the program's App Paths entry and its own key, written only where
// they differ from what is stored.
#include "Registration.h"

#include "CodePage.h"
#include "common/Version.h"

#include <filesystem>

namespace Kestrin
{
namespace
{
// At least `width` digits. A minor number above 99 or a revision above 9999 keeps all its
// digits instead of losing the first one.
std::string Padded(int number, std::size_t width)
{
    auto digits = std::to_string(number);
    if (number >= 0 && digits.size() < width)
        digits.insert(0, width - digits.size(), '0');
    return digits;
}
} // namespace

std::string VersionText(int major, int minor, int revision)
{
    auto text = std::to_string(major) + "." + Padded(minor, 2);
    if (revision >= 1)
        text += "." + Padded(revision, 4);
    return text;
}

std::string VersionText()
{
    return VersionText(VersionMajor, VersionMinor, VersionRevision);
}

// The App Paths key keeps its Windows layout everywhere. It is named after the executable's
// real file name ("Kestrin.exe" on Windows, "kestrin" on Linux, which has no extension to
// add) and its values hold native paths.
void RegisterProgram(const std::string& executablePath)
{
    namespace fs = std::filesystem;
    if (executablePath.empty())
        return;
    std::error_code error;
    // Paths are bytes in the system encoding; fs::path would misread them on Windows.
    fs::path program = fs::absolute(PathFromBytes(executablePath), error);
    if (error)
        return;
    program = program.lexically_normal();
    if (!program.has_filename())
        return;
    const auto fileName = BytesFromPath(program.filename());
    // Without a trailing separator; a root keeps its own.
    const auto folder = BytesFromPath(program.parent_path());

    const auto appPaths =
        std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\") + fileName;
    const auto ownKey = std::string("SOFTWARE\\") + CompanyName + "\\" + ProgramTitle;
    RegWriteString(appPaths, "", BytesFromPath(program));
    RegWriteString(appPaths, "Path", folder);
    RegWriteString(ownKey, "", folder);
    RegWriteString(ownKey, "CurrentVersion", VersionText());
}
} // namespace Kestrin
