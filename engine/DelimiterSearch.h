// SPDX-License-Identifier: MIT
#pragma once
// Finding a delimiter in bytes: exact, case respected, byte by byte.
#include <cstddef>
#include <string_view>

namespace Kestrin
{
// The first occurrence of the delimiter (not empty) in [begin, end), or end.
const char* FindDelimiter(const char* begin, const char* end, std::string_view delimiter);

// Occurrences as the cut finds them, left to right, never overlapping ("aaa" holds one
// "aa"). An empty delimiter occurs nowhere.
std::size_t CountDelimiters(std::string_view text, std::string_view delimiter);
} // namespace Kestrin
