// SPDX-License-Identifier: MIT
#pragma once
// Where the window's settings file lives.
#include <string>

namespace Kestrin
{
// Executable name + ".dat". On Windows beside the program, or in the per-user configuration
// folder where the program folder cannot be written. On POSIX beside the program only in a
// build folder (BuildTreeMarker beside it), else in the per-user folder; empty when there
// is none.
std::string SettingsFilePath(const std::string& executablePath);
// The same with the per-user folder named by the caller (see UserConfigFolder).
std::string SettingsFilePath(const std::string& executablePath, const std::string& userFolder);
} // namespace Kestrin
