// SPDX-License-Identifier: MIT
#pragma once
// The part counts of the readiness update, read from the file in pieces instead of
// whole: what a command-line count needs, without the memory.
#include "common/PathText.h"

#include <cstddef>
#include <string>

namespace Kestrin
{
// Fragments the source cuts into at the delimiter (not empty); 0 for an empty or missing
// file. Throws FileError when the file exists but cannot be read.
std::size_t CountFragmentsInFile(const std::string& path, const std::string& delimiter);

// Lines of a list file, as LineList counts them.
std::size_t CountLinesInFile(const std::string& path, PathStyle style = NativePathStyle());

// The same for bytes arriving in pieces: occurrences that span two pieces count once,
// occurrences never overlap.
class DelimiterCounter
{
public:
    explicit DelimiterCounter(std::string delimiter);
    void Add(const char* bytes, std::size_t size);
    std::size_t Occurrences() const { return occurrences_; }
    std::size_t BytesSeen() const { return seen_; }

private:
    std::string delimiter_;
    std::string carry_; // the end of the last piece that may start an occurrence
    std::size_t occurrences_ = 0;
    std::size_t seen_ = 0;
};
} // namespace Kestrin
