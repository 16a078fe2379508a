// SPDX-License-Identifier: MIT
#pragma once
// Program registration: where the program lives and which version it is.
// Every failure is silent.
#include <string>

namespace Kestrin
{
// 1, 13, 0 -> "1.13"; 2, 5, 7 -> "2.05.0007".
std::string VersionText(int major, int minor, int revision);
// The running program's own short version text.
std::string VersionText();

// Writes the four registration values (only those that differ) for the program at
// executablePath.
void RegisterProgram(const std::string& executablePath);
} // namespace Kestrin
