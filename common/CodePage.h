// SPDX-License-Identifier: MIT
#pragma once
// Texts at the program's edges. Paths and file texts are bytes in the system's multibyte
// encoding: the ANSI code page (GetACP) on Windows, the locale's encoding (UTF-8 today) on
// POSIX. The window (QString) and std::filesystem speak UTF-16 or wide text; these convert
// between the two, so that a name means the same file to every part of the program.
#include <filesystem>
#include <string>
#include <string_view>

namespace Kestrin
{
// Bytes in the system encoding. A character the encoding cannot represent becomes "?", the
// undecipherable-name mark; no best-fit look-alike is used, as "\u0101" turned into "a"
// would name another file.
std::string BytesFromText(std::u16string_view text);
// UTF-16 from bytes in the system encoding; what does not decode becomes U+FFFD.
std::u16string TextFromBytes(std::string_view bytes);
// A name that the system encoding could not represent: one holding the "?" that
// BytesFromText leaves on Windows (no file name can hold it there); one that does not
// decode in the locale's encoding on POSIX.
bool IsUndecipherableName(std::string_view bytes);

// A path from its bytes and back, through the system encoding (unchanged on POSIX).
// std::filesystem itself reads narrow strings on Windows neither in the ANSI code page
// nor back in the same encoding it read them in.
std::filesystem::path PathFromBytes(const std::string& bytes);
std::string BytesFromPath(const std::filesystem::path& path);
} // namespace Kestrin
