// SPDX-License-Identifier: MIT
#pragma once
#include <string>

namespace Kestrin
{
// Probes: never throw, an empty path is neither a file nor a folder.
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
} // namespace Kestrin
