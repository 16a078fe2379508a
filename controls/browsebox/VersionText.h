// SPDX-License-Identifier: MIT
#pragma once
// Texts built from the library's version numbers and the code-page table of font
// character sets.
#include <string>

namespace Ostrel
{
// " 2.05", " 2.05.0007": the major number with a blank before a non-negative number, the
// minor as two digits and, only when the revision is above 0, the revision as four digits.
// Throws std::overflow_error when the minor is above 32667 or the revision above 22767,
// where the 16-bit arithmetic these texts are defined by overflows.
std::string VersionText(int major, int minor, int revision);

// The font character set for an ANSI code page; 0 (ANSI) for any code page not listed.
int CodePageCharset(int codePage);
// The system's ANSI code page: GetACP on Windows; elsewhere 65001 for a UTF-8 locale and
// 1252 otherwise, neither of which has a character set of its own.
int SystemCodePage();
} // namespace Ostrel
