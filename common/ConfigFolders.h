// SPDX-License-Identifier: MIT
#pragma once
// Where per-user configuration lives, and whether a folder takes new files.
#include <string>

namespace Kestrin
{
// The maker's folder in the user's configuration folder: $XDG_CONFIG_HOME (or ~/.config)
// + "/" + company name on POSIX, %APPDATA% + "\" + company name on Windows. Empty when
// there is no such place. The folder may not exist yet.
std::string UserConfigFolder();

// True when a file can be created in the folder, or, for a folder that does not exist yet,
// when the folder can be created in its nearest existing parent.
bool FolderIsWritable(const std::string& folder);
} // namespace Kestrin
