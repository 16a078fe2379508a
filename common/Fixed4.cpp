// SPDX-License-Identifier: MIT
// The number form of the settings file and the helpers that turn stored numbers back into
// window values.
#include "Fixed4.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

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

// The leading decimal number of a text, as written: its sign, its significant digits and
// the power of ten that scales them.
struct DecimalNumber
{
    bool Negative = false;
    std::string Digits;     // leading zeros dropped: empty for zero, or for no number at all
    long long Exponent = 0; // the number is Digits x 10^Exponent
};

// The digits from `at` on; each one after the decimal mark lowers the exponent.
void ScanDigits(std::string_view text, std::size_t& at, bool fraction, DecimalNumber& number)
{
    for (; at < text.size() && IsDigit(text[at]); ++at)
    {
        if (!number.Digits.empty() || text[at] != '0')
            number.Digits += text[at];
        if (fraction)
            --number.Exponent;
    }
}

// The exponent written at `at` ("e12", "E-3"); 0 unless digits follow the "e", for
// otherwise the number ends before it.
long long ScanExponent(std::string_view text, std::size_t at)
{
    if (at == text.size() || (text[at] != 'e' && text[at] != 'E'))
        return 0;
    bool negative = false;
    if (++at < text.size() && (text[at] == '-' || text[at] == '+'))
        negative = text[at++] == '-';
    long long written = 0;
    for (; at < text.size() && IsDigit(text[at]); ++at)
        if (written < 1000000000) // far past any number that fits; no overflow
            written = written * 10 + (text[at] - '0');
    return negative ? -written : written;
}

DecimalNumber ScanDecimal(std::string_view text)
{
    DecimalNumber number;
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '-' || text[at] == '+'))
        number.Negative = text[at++] == '-';
    const std::size_t wholeStart = at;
    ScanDigits(text, at, false, number);
    bool anyDigit = at > wholeStart;
    if (at < text.size() && text[at] == '.')
    {
        const std::size_t fractionStart = ++at;
        ScanDigits(text, at, true, number);
        anyDigit = anyDigit || at > fractionStart;
    }
    // Without a digit there is no number, and an "e" after the sign or the mark is text.
    if (anyDigit)
        number.Exponent += ScanExponent(text, at);
    return number;
}

// Whether the digits dropped from `kept` on round the magnitude up: beyond a half, or a
// half with an odd magnitude (halves to even, as the stored form of a number does).
bool DroppedDigitsRoundUp(const std::string& digits, std::size_t kept, std::uint64_t magnitude)
{
    const char first = digits[kept];
    const bool beyondHalf = digits.find_first_not_of('0', kept + 1) != std::string::npos;
    return first > '5' || (first == '5' && (beyondHalf || magnitude % 2 != 0));
}

// digits x 10^shift rounded to a whole number, halves to even; nothing when it is above
// `limit`.
std::optional<std::uint64_t> ScaledMagnitude(const std::string& digits, long long shift,
                                             std::uint64_t limit)
{
    const auto count = static_cast<long long>(digits.size());
    const long long kept = count + shift; // digits before the decimal mark
    if (kept > 19)
        return std::nullopt;
    std::uint64_t magnitude = 0;
    for (long long i = 0; i < kept; ++i)
    {
        const unsigned digit = i < count ? static_cast<unsigned>(digits[i] - '0') : 0;
        if (magnitude > (limit - digit) / 10)
            return std::nullopt;
        magnitude = magnitude * 10 + digit;
    }
    // Below 0 digits kept, the number is under a tenth and rounds to 0.
    if (kept >= 0 && kept < count &&
        DroppedDigitsRoundUp(digits, static_cast<std::size_t>(kept), magnitude))
    {
        if (magnitude == limit)
            return std::nullopt;
        ++magnitude;
    }
    return magnitude;
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
    const DecimalNumber number = ScanDecimal(text);
    if (number.Digits.empty())
    {
        value = {};
        return true;
    }
    const auto limit = number.Negative ? MaxNegative : MaxPositive;
    // The number in ten-thousandths is Digits x 10^(Exponent + 4).
    const auto magnitude = ScaledMagnitude(number.Digits, number.Exponent + 4, limit);
    if (!magnitude)
        return false;
    value.TenThousandths = number.Negative ? static_cast<std::int64_t>(0 - *magnitude)
                                           : static_cast<std::int64_t>(*magnitude);
    if (number.Negative && *magnitude == MaxNegative)
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
