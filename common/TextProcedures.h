// SPDX-License-Identifier: MIT
#pragma once
// Text procedures on byte strings; every comparison respects case and is byte by byte.
#include <string>
#include <string_view>

namespace Kestrin
{
// The text before the first separator. The whole text when the separator is empty, or
// when it is missing and emptyWhenMissing is false (the empty text when it is true).
std::string TextBefore(std::string_view text, std::string_view separator,
                       bool emptyWhenMissing = false);

// The text after the first separator; when it is missing, the whole text (the empty text
// when emptyWhenMissing is true). An empty separator gives the whole text.
std::string TextAfter(std::string_view text, std::string_view separator,
                      bool emptyWhenMissing = false);

// Drops characters from the end while their code is not above the limit; the limit 0
// removes trailing NULs. Bytes count as unsigned (0..255): reading them signed would
// strip the trailing bytes of UTF-8 characters, which belong to the name.
std::string TrimTrailingCodes(std::string_view text, int limit);

// Replaces matches of a pattern that is one character class ("[...]", with "\" escapes,
// "a-z" ranges and a leading "^" for negation) or one literal character (possibly
// escaped). That is all the program needs of regular expressions. Case is ignored for
// ASCII letters unless caseSensitive. multiLine has no effect on a one-character pattern.
// Throws std::invalid_argument for any other pattern.
std::string ReplacePattern(std::string_view text, std::string_view pattern,
                           std::string_view replacement, bool caseSensitive, bool multiLine,
                           bool allMatches);
} // namespace Kestrin
