// SPDX-License-Identifier: MIT
#pragma once
// The four-decimal fixed-point number that the settings file stores every numeric value as,
// its text form, and the helpers that turn stored numbers back into window values.
#include <cstdint>
#include <string>
#include <string_view>

namespace Kestrin
{
struct Fixed4
{
    std::int64_t TenThousandths = 0;

    static Fixed4 FromWhole(std::int64_t whole) { return {whole * 10000}; }
    bool operator==(const Fixed4& other) const { return TenThousandths == other.TenThousandths; }
    bool operator!=(const Fixed4& other) const { return !(*this == other); }
};

// Shortest decimal text: "0", "120", "-5", "0.5", "57.3333".
std::string Fixed4Text(Fixed4 value);
// The leading decimal number of a text ("." as the decimal mark, an optional exponent),
// kept to four decimals with halves to even; a text that does not begin with a number
// gives 0. False, value untouched, when the number does not fit the type.
bool Fixed4FromText(std::string_view text, Fixed4& value);

// Restore helpers: tab, option and check-box values round halves to even and clamp to 0..1;
// window edges are stored pixels times twips-per-pixel, rounded halves to even.
int RestoreSwitch(Fixed4 stored);
// False when the value in twips does not fit an int (a hand-edited file): treat as missing.
bool RestoreEdgeTwips(Fixed4 storedPixels, double twipsPerPixel, int& twips);
// Twips to the stored pixel number, kept to four decimals.
Fixed4 EdgePixels(int twips, double twipsPerPixel);
} // namespace Kestrin
