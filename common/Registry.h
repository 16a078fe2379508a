// SPDX-License-Identifier: MIT
#pragma once
// The registry's HKEY_LOCAL_MACHINE, as far as the program's registration needs it: Win32
// Reg* on Windows, a profile-layout file elsewhere (platform/*/Registry.cpp). Every failure
// is silent.
#include <string>

namespace Kestrin
{
bool IsWow64();
std::string RegReadString(const std::string& subKey, const std::string& valueName,
                          const std::string& defaultText = "");
// 0 when nothing needed writing or the write succeeded, else an error code.
long RegWriteString(const std::string& subKey, const std::string& valueName,
                    const std::string& text);
} // namespace Kestrin
