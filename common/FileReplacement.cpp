// SPDX-License-Identifier: MIT
#include "FileReplacement.h"

#include <cstdint>
#include <cstdio>

namespace Kestrin
{
std::string FileReplacement::TemporaryName(const std::string& name)
{
    constexpr std::size_t Kept = 200;
    std::string kept = name;
    if (kept.size() > Kept)
    {
        // Never cut inside a UTF-8 sequence, so the short name stays readable.
        std::size_t cut = Kept - 17;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
        std::uint64_t hash = 14695981039346656037ull; // FNV-1a
        for (const char c : name)
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        char digits[17];
        std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
        kept = name.substr(0, cut) + "~" + digits;
    }
    return "." + kept + ".kestrin-tmp";
}

namespace
{
InPlaceConsent* CurrentConsent = nullptr;
} // namespace

InPlaceConsent::InPlaceConsent(std::function<bool(const std::string& question)> ask)
    : ask_(std::move(ask)), previous_(CurrentConsent)
{
    CurrentConsent = this;
}

InPlaceConsent::~InPlaceConsent()
{
    CurrentConsent = previous_;
}

bool InPlaceConsent::Ask(const std::string& path, const std::string& reason)
{
    if (!CurrentConsent || !CurrentConsent->ask_)
        return false;
    return CurrentConsent->ask_(path +
                                "\r\nIts folder refuses new files, so it can only be "
                                "written over in place, and no copy of its old content "
                                "can be kept (" +
                                reason +
                                "): if the run is interrupted, the file is lost. Write it "
                                "anyway?");
}

void ReplaceFileBytes(const std::string& path, std::string_view bytes)
{
    FileReplacement output(path);
    output.Write(bytes);
    output.Commit();
}
} // namespace Kestrin
