// SPDX-License-Identifier: MIT
#pragma once
// The fragment names a first-line split has used, so that a name met again never replaces
// an earlier fragment unasked, or gets a number of its own. Kept as 64-bit hashes in an
// open-addressed table: a million names cost 16 MiB, where a set of strings would cost a
// hundred. A false match needs two names with one hash (about 1 in 10^13 for a million
// names) and then only asks a question too many, or numbers a name that needed none.
#include "common/PathText.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Kestrin
{
class UsedNames
{
public:
    explicit UsedNames(PathStyle style = NativePathStyle()) : style_(style) {}

    bool Contains(std::string_view name) const;
    void Add(std::string_view name);
    // The name itself when it is not used yet, else the first of "_2", "_3", ... put
    // before its extension ("Build.log" -> "Build_2.log", "Build" -> "Build_2") that is not.
    std::string Unused(const std::string& name) const;

private:
    std::uint64_t Key(std::string_view name) const;
    std::size_t Find(std::uint64_t key) const; // its slot, or the empty one it would take

    PathStyle style_;
    std::vector<std::uint64_t> slots_; // 0: empty
    std::size_t count_ = 0;
};
} // namespace Kestrin
