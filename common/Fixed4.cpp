// SPDX-License-Identifier: MIT
// The number form of the settings file and the helpers that turn stored numbers back into
// window values.
#include "Fixed4.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>

namespace Kestrin
{
namespace
{
constexpr std::int64_t Scale = 10000;
constexpr std::uint64_t MaxPositive = static_cast<std::uint64_t>(INT64_MAX);
constexpr std::uint64_t MaxNegative = MaxPositive + 1; // INT64_MIN's magnitude

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// n / d rounded to the nearest whole number, halves to even; d > 0 and small.
std::int64_t DivideHalfEven(std::int64_t n, std::int64_t d)
{
    std::int64_t quotient = n / d;
    const std::int64_t remainder = n % d; // takes the sign of n
    const std::int64_t twice = 2 * (remainder < 0 ? -remainder : remainder);
    if (twice > d || (twice == d && quotient % 2 != 0))
        quotient += n < 0 ? -1 : 1;
    return quotient;
}

// A twips-per-pixel factor that is a whole number allows exact arithmetic (15 at 96 DPI).
bool IsWholeFactor(double factor)
{
    return factor <= 1e6 && std::floor(factor) == factor;
}
} // namespace

std::string Fixed4Text(Fixed4 value)
{
    const bool negative = value.TenThousandths < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value.TenThousandths)
                                             : static_cast<std::uint64_t>(value.TenThousandths);
    std::string text = negative ? "-" : "";
    text += std::to_string(magnitude / Scale);
    auto fraction = magnitude % Scale;
    if (fraction != 0)
    {
        std::string digits = std::to_string(fraction + Scale).substr(1);
        digits.erase(digits.find_last_not_of('0') + 1);
        text += "." + digits;
    }
    return text;
}

bool Fixed4FromText(std::string_view text, Fixed4& value)
{
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+'))
        negative = text[at++] == '-';

    // Significant digits (leading zeros dropped) and the power of ten that scales them.
    std::string digits;
    long long exponent = 0;
    bool anyDigit = false;
    for (; at < text.size() && IsDigit(text[at]); ++at)
    {
        anyDigit = true;
        if (!digits.empty() || text[at] != '0')
            digits += text[at];
    }
    if (at < text.size() && text[at] == '.')
        for (++at; at < text.size() && IsDigit(text[at]); ++at)
        {
            anyDigit = true;
            if (!digits.empty() || text[at] != '0')
                digits += text[at];
            --exponent;
        }
    if (!anyDigit)
    {
        value = {};
        return true;
    }
    // An exponent only counts when digits follow the "e"; otherwise the number ends there.
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E'))
    {
        std::size_t e = at + 1;
        bool negativeExponent = false;
        if (e < text.size() && (text[e] == '-' || text[e] == '+'))
            negativeExponent = text[e++] == '-';
        if (e < text.size() && IsDigit(text[e]))
        {
            long long written = 0;
            for (; e < text.size() && IsDigit(text[e]); ++e)
                if (written < 1000000000) // far past any number that fits; no overflow
                    written = written * 10 + (text[e] - '0');
            exponent += negativeExponent ? -written : written;
        }
    }
    if (digits.empty())
    {
        value = {};
        return true;
    }

    // The number in ten-thousandths is digits x 10^(exponent + 4).
    const long long shift = exponent + 4;
    const long long kept = static_cast<long long>(digits.size()) + shift; // whole digits
    if (kept > 19)
        return false;
    std::uint64_t magnitude = 0;
    const auto limit = negative ? MaxNegative : MaxPositive;
    for (long long i = 0; i < kept; ++i)
    {
        const unsigned digit =
            i < static_cast<long long>(digits.size()) ? static_cast<unsigned>(digits[i] - '0') : 0;
        if (magnitude > (limit - digit) / 10)
            return false;
        magnitude = magnitude * 10 + digit;
    }
    if (kept >= 0 && kept < static_cast<long long>(digits.size()))
    {
        // Round the dropped digits: halves to even, as the stored form of a number does.
        const char first = digits[static_cast<std::size_t>(kept)];
        const bool beyondHalf =
            digits.find_first_not_of('0', static_cast<std::size_t>(kept) + 1) != std::string::npos;
        if (first > '5' || (first == '5' && (beyondHalf || magnitude % 2 != 0)))
        {
            if (magnitude == limit)
                return false;
            ++magnitude;
        }
    }
    value.TenThousandths =
        negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
    if (negative && magnitude == MaxNegative)
        value.TenThousandths = INT64_MIN;
    return true;
}

int RestoreSwitch(Fixed4 stored)
{
    const auto whole = DivideHalfEven(stored.TenThousandths, Scale);
    // Beyond the range of an int the value can only come from a hand-edited file; it is
    // treated as missing, and every switch's default is 0.
    if (whole < INT_MIN || whole > INT_MAX)
        return 0;
    return whole < 0 ? 0 : (whole > 1 ? 1 : static_cast<int>(whole));
}

bool RestoreEdgeTwips(Fixed4 storedPixels, double twipsPerPixel, int& twips)
{
    if (!std::isfinite(twipsPerPixel) || twipsPerPixel <= 0)
        return false;
    const long double rough =
        static_cast<long double>(storedPixels.TenThousandths) / Scale * twipsPerPixel;
    if (std::fabs(rough) > static_cast<long double>(INT_MAX) + 2)
        return false;
    std::int64_t result = 0;
    if (IsWholeFactor(twipsPerPixel))
        result = DivideHalfEven(
            storedPixels.TenThousandths * static_cast<std::int64_t>(twipsPerPixel), Scale);
    else
        result = static_cast<std::int64_t>(std::nearbyint(rough)); // rounds halves to even
    if (result < INT_MIN || result > INT_MAX)
        return false;
    twips = static_cast<int>(result);
    return true;
}

Fixed4 EdgePixels(int twips, double twipsPerPixel)
{
    if (!std::isfinite(twipsPerPixel) || twipsPerPixel <= 0)
        return {};
    const std::int64_t scaled = static_cast<std::int64_t>(twips) * Scale;
    if (IsWholeFactor(twipsPerPixel))
        return {DivideHalfEven(scaled, static_cast<std::int64_t>(twipsPerPixel))};
    const long double exact = static_cast<long double>(scaled) / twipsPerPixel;
    // A factor so small that the edge leaves the number's range cannot come from a screen.
    if (std::fabs(exact) >= static_cast<long double>(INT64_MAX) / 2)
        return {};
    return {static_cast<std::int64_t>(std::nearbyint(exact))};
}
} // namespace Kestrin
