// SPDX-License-Identifier: MIT
#include "UsedNames.h"

namespace Kestrin
{
std::uint64_t UsedNames::Key(std::string_view name) const
{
    // FNV-1a, then a final mix so that the low bits that pick the slot depend on every byte.
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (char c : name)
    {
        // Windows file names differ in case only as one file (ASCII here: letters of the
        // ANSI code page above 127 are compared as they are).
        if (style_ == PathStyle::Windows && c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
    }
    hash ^= hash >> 33;
    hash *= 0xff51afd7ed558ccdu;
    hash ^= hash >> 33;
    return hash == 0 ? 1 : hash;
}

std::size_t UsedNames::Find(std::uint64_t key) const
{
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = static_cast<std::size_t>(key) & mask;
    while (slots_[at] != 0 && slots_[at] != key)
        at = (at + 1) & mask;
    return at;
}

bool UsedNames::Contains(std::string_view name) const
{
    return count_ > 0 && slots_[Find(Key(name))] != 0;
}

void UsedNames::Add(std::string_view name)
{
    // At most half full, so that a search ends soon.
    if (2 * (count_ + 1) > slots_.size())
    {
        std::vector<std::uint64_t> old(slots_.empty() ? 16 : 2 * slots_.size(), 0);
        old.swap(slots_);
        for (const std::uint64_t key : old)
            if (key != 0)
                slots_[Find(key)] = key;
    }
    std::uint64_t& slot = slots_[Find(Key(name))];
    if (slot == 0)
        ++count_;
    slot = Key(name);
}

std::string UsedNames::Unused(const std::string& name) const
{
    if (!Contains(name))
        return name;
    // An extension is what follows the last "." when that holds no blank ("notes v1.2 draft"
    // has none) and the name does not start with it (".profile" has none either).
    auto dot = name.rfind('.');
    if (dot == 0 || dot == std::string::npos || name.find(' ', dot) != std::string::npos)
        dot = name.size();
    for (std::size_t number = 2;; ++number)
    {
        std::string candidate =
            name.substr(0, dot) + "_" + std::to_string(number) + name.substr(dot);
        if (!Contains(candidate))
            return candidate;
    }
}
} // namespace Kestrin
