// SPDX-License-Identifier: MIT
#pragma once
// Where there is no registry, HKEY_LOCAL_MACHINE is a profile-layout file: one section per
// key path, one line per value, "@" for a key's default value, every value in double
// quotation marks so that it reads back exactly. It lives in the maker's system-wide
// configuration folder (/etc/xdg/<company>/), or, where that cannot be written, in the
// user's ($XDG_CONFIG_HOME/<company>/); reads and writes use the same file.
#include <string>

namespace Kestrin
{
// The hive file in use.
std::string RegistryHivePath();
// Points the hive at other folders (tests); empty texts give back the usual ones.
void SetRegistryFolders(const std::string& systemFolder, const std::string& userFolder);
} // namespace Kestrin
