// SPDX-License-Identifier: MIT
#pragma once
// Names of fragment files.
#include "common/PathText.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace Kestrin
{
// Decimal digits of the fragment count: 9 -> 1, 10 -> 2, 100 -> 3.
int NumberWidth(std::size_t count);

// base + "_" + number (at least `width` digits) + extension: "notes_07.txt".
std::string NumberedName(const std::string& base, std::size_t number, int width,
                         const std::string& extension);

// First-line naming. Drops leading CR and LF from the fragment, names it after its first
// line (trailing NULs and surrounding spaces dropped, characters that cannot be in a file
// name replaced by "_", CRs removed) and, when that name is not empty, narrows the
// fragment to what follows its first LF. An empty result means "skip this fragment";
// the fragment then keeps only the dropped line breaks.
// A first line that is an absolute path in the path style (as a join writes with file
// names) gives its file name only, so that a fragment never lands outside the target
// folder; one that ends in a separator ("/usr/local/") has none and gives the whole line
// made harmless ("_usr_local_"), so its text is still written. "." and ".." become "_"
// and "__" for the same reason, and in the Windows style a device name gets "_" after its
// device word ("aux.txt" -> "aux_.txt"); control bytes, which Windows refuses in names,
// become "_" there.
// A name longer than `limit` bytes (what the file system takes) is cut to it, keeping its
// extension and adding "~" and a short hash of the whole name, so that the fragment is
// still written and two long lines that start alike do not meet. However long the line,
// only a bounded part of it is copied.
std::string FirstLineName(std::string_view& fragment, PathStyle style = NativePathStyle(),
                          std::size_t limit = 255);
} // namespace Kestrin
