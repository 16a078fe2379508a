// SPDX-License-Identifier: MIT
#pragma once
// Where there is no registry, HKEY_LOCAL_MACHINE is a profile-layout file: one section per
// key path, one line per value, "@" for a key's default value, every value in double
// quotation marks so that it reads back exactly. It lives in the machine-wide state folder
// the package makes (/var/lib/kestrin/, removed with the package on purge), or, where that
// folder is missing or cannot be written, in the user's ($XDG_CONFIG_HOME/<company>/);
// reads and writes use the same file. Nothing is ever created under /etc.
#include <string>

namespace Kestrin
{
// The hive file in use.
std::string RegistryHivePath();
// Points the hive at other folders (tests); empty texts give back the usual ones.
void SetRegistryFolders(const std::string& systemFolder, const std::string& userFolder);
} // namespace Kestrin
