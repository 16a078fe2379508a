// SPDX-License-Identifier: MIT
// The settings file's name is the program's; where it lives is each platform's own rule
// (platform/*/SettingsFilePath.cpp).
#include "SettingsFilePath.h"

#include "ConfigFolders.h"

namespace Kestrin
{
std::string SettingsFilePath(const std::string& executablePath)
{
    return SettingsFilePath(executablePath, UserConfigFolder());
}
} // namespace Kestrin
