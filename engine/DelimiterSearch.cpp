// SPDX-License-Identifier: MIT
#include "DelimiterSearch.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define KESTRIN_X86_SEARCH 1
#include <immintrin.h>
#endif

namespace Kestrin
{
namespace
{
// Candidates from memchr on the first byte, checked with memcmp: fine when the first byte
// is rare, and the fallback for the last few bytes of every scan.
const char* FindScalar(const char* begin, const char* end, std::string_view delimiter)
{
    const std::size_t length = delimiter.size();
    if (static_cast<std::size_t>(end - begin) < length)
        return end;
    const char* last = end - length; // last possible start
    const char* at = begin;
    while (at <= last)
    {
        at = static_cast<const char*>(
            std::memchr(at, delimiter[0], static_cast<std::size_t>(last - at) + 1));
        if (at == nullptr)
            return end;
        if (std::memcmp(at + 1, delimiter.data() + 1, length - 1) == 0)
            return at;
        ++at;
    }
    return end;
}

std::size_t CountByteScalar(const char* at, const char* end, char byte)
{
    std::size_t count = 0;
    while ((at = static_cast<const char*>(
                std::memchr(at, byte, static_cast<std::size_t>(end - at)))) != nullptr)
    {
        ++count;
        ++at;
    }
    return count;
}

#ifdef KESTRIN_X86_SEARCH
// How common a byte is in ordinary text, roughly (higher is more common). The search
// filters on the two rarest bytes of the delimiter, so that a delimiter starting or ending
// in a space or a line break is still found at memory speed.
int CommonnessOf(unsigned char c)
{
    if (c == ' ')
        return 255;
    if (std::strchr("etaoin", c) != nullptr)
        return 240;
    if (std::strchr("shr", c) != nullptr)
        return 235;
    if (c == '\n')
        return 230;
    if (c == '\r' || std::strchr("dlcumwfgypb", c) != nullptr)
        return 215;
    if (c == '.' || c == ',' || c == '-')
        return 200;
    if (c >= 'a' && c <= 'z')
        return 180;
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '\t')
        return 150;
    if (c >= 0x80)
        return 100;
    if (c < 0x20)
        return 50;
    return 120; // other punctuation
}

int Commonness(unsigned char c)
{
    static const auto table = []
    {
        std::array<unsigned char, 256> values{};
        for (int code = 1; code < 256; ++code) // strchr would find the NUL terminator
            values[static_cast<std::size_t>(code)] =
                static_cast<unsigned char>(CommonnessOf(static_cast<unsigned char>(code)));
        values[0] = 50;
        return values;
    }();
    return table[c];
}

struct FilterBytes
{
    std::size_t First; // offsets of the two filter bytes, First < Second
    std::size_t Second;
};

FilterBytes ChooseFilter(std::string_view delimiter)
{
    std::size_t rarest = 0;
    for (std::size_t i = 1; i < delimiter.size(); ++i)
        if (Commonness(static_cast<unsigned char>(delimiter[i])) <
            Commonness(static_cast<unsigned char>(delimiter[rarest])))
            rarest = i;
    std::size_t other = rarest == 0 ? 1 : 0;
    for (std::size_t i = 0; i < delimiter.size(); ++i)
        if (i != rarest && Commonness(static_cast<unsigned char>(delimiter[i])) <
                               Commonness(static_cast<unsigned char>(delimiter[other])))
            other = i;
    return {std::min(rarest, other), std::max(rarest, other)};
}

// Bit i is set when position at + i matches the delimiter on both filter bytes.
__attribute__((target("avx2"), always_inline)) inline std::uint64_t
CandidateMask(const char* at, const FilterBytes& filter, __m256i first, __m256i second)
{
    const auto* low = reinterpret_cast<const __m256i*>(at + filter.First);
    const auto* high = reinterpret_cast<const __m256i*>(at + filter.Second);
    const __m256i match0 = _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_loadu_si256(low), first),
                                            _mm256_cmpeq_epi8(_mm256_loadu_si256(high), second));
    const __m256i match1 =
        _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_loadu_si256(low + 1), first),
                         _mm256_cmpeq_epi8(_mm256_loadu_si256(high + 1), second));
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(match0)) |
           (static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(match1)))
            << 32);
}

// Compares 64 positions at a time on two bytes of the delimiter; only positions that
// match both are compared in full.
__attribute__((target("avx2"))) const char* FindAvx2(const char* begin, const char* end,
                                                     std::string_view delimiter)
{
    const std::size_t length = delimiter.size();
    const FilterBytes filter = ChooseFilter(delimiter);
    const __m256i first = _mm256_set1_epi8(delimiter[filter.First]);
    const __m256i second = _mm256_set1_epi8(delimiter[filter.Second]);
    const char* at = begin;
    // Both loads of a block stay inside [begin, end): at + Second + 64 <= end, and a
    // candidate's full compare at + length <= end holds as Second < length.
    while (end - at >= static_cast<std::ptrdiff_t>(length + 63))
    {
        std::uint64_t mask = CandidateMask(at, filter, first, second);
        while (mask != 0)
        {
            const char* candidate = at + __builtin_ctzll(mask);
            if (std::memcmp(candidate, delimiter.data(), length) == 0)
                return candidate;
            mask &= mask - 1;
        }
        at += 64;
    }
    return FindScalar(at, end, delimiter);
}

// The same filter, counting non-overlapping occurrences without leaving the loop.
__attribute__((target("avx2"))) std::size_t CountAvx2(const char* begin, const char* end,
                                                      std::string_view delimiter)
{
    const std::size_t length = delimiter.size();
    const FilterBytes filter = ChooseFilter(delimiter);
    const __m256i first = _mm256_set1_epi8(delimiter[filter.First]);
    const __m256i second = _mm256_set1_epi8(delimiter[filter.Second]);
    std::size_t count = 0;
    const char* allowed = begin; // the end of the last occurrence counted
    const char* at = begin;
    while (end - at >= static_cast<std::ptrdiff_t>(length + 63))
    {
        std::uint64_t mask = CandidateMask(at, filter, first, second);
        while (mask != 0)
        {
            const char* candidate = at + __builtin_ctzll(mask);
            mask &= mask - 1;
            if (candidate >= allowed && std::memcmp(candidate, delimiter.data(), length) == 0)
            {
                ++count;
                allowed = candidate + length;
            }
        }
        at += 64;
    }
    at = std::max(at, allowed);
    while ((at = FindScalar(at, end, delimiter)) != end)
    {
        ++count;
        at += length;
    }
    return count;
}

__attribute__((target("avx2"))) std::size_t CountByteAvx2(const char* at, const char* end,
                                                          char byte)
{
    const __m256i wanted = _mm256_set1_epi8(byte);
    std::size_t count = 0;
    while (end - at >= 128)
    {
        // Byte counters, emptied into 64-bit sums before they can overflow.
        __m256i counters = _mm256_setzero_si256();
        int rounds = 0;
        while (rounds < 63 && end - at >= 128)
        {
            const auto* block = reinterpret_cast<const __m256i*>(at);
            const __m256i a = _mm256_cmpeq_epi8(_mm256_loadu_si256(block), wanted);
            const __m256i b = _mm256_cmpeq_epi8(_mm256_loadu_si256(block + 1), wanted);
            const __m256i c = _mm256_cmpeq_epi8(_mm256_loadu_si256(block + 2), wanted);
            const __m256i d = _mm256_cmpeq_epi8(_mm256_loadu_si256(block + 3), wanted);
            // Each compare gives 0 or -1 per byte: four of them add up to at most -4.
            counters = _mm256_sub_epi8(
                counters, _mm256_add_epi8(_mm256_add_epi8(a, b), _mm256_add_epi8(c, d)));
            at += 128;
            ++rounds;
        }
        const __m256i sums = _mm256_sad_epu8(counters, _mm256_setzero_si256());
        count += static_cast<std::size_t>(_mm256_extract_epi64(sums, 0)) +
                 static_cast<std::size_t>(_mm256_extract_epi64(sums, 1)) +
                 static_cast<std::size_t>(_mm256_extract_epi64(sums, 2)) +
                 static_cast<std::size_t>(_mm256_extract_epi64(sums, 3));
    }
    return count + CountByteScalar(at, end, byte);
}

bool HasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif
} // namespace

const char* FindDelimiter(const char* begin, const char* end, std::string_view delimiter)
{
    if (delimiter.empty())
        return end;
    if (delimiter.size() == 1)
    {
        const void* found = std::memchr(begin, delimiter[0], static_cast<std::size_t>(end - begin));
        return found == nullptr ? end : static_cast<const char*>(found);
    }
#ifdef KESTRIN_X86_SEARCH
    if (HasAvx2())
        return FindAvx2(begin, end, delimiter);
#endif
    return FindScalar(begin, end, delimiter);
}

std::size_t CountDelimiters(std::string_view text, std::string_view delimiter)
{
    const char* at = text.data();
    const char* end = text.data() + text.size();
    if (delimiter.empty())
        return 0;
    if (delimiter.size() == 1)
    {
#ifdef KESTRIN_X86_SEARCH
        if (HasAvx2())
            return CountByteAvx2(at, end, delimiter[0]);
#endif
        return CountByteScalar(at, end, delimiter[0]);
    }
#ifdef KESTRIN_X86_SEARCH
    if (HasAvx2())
        return CountAvx2(at, end, delimiter);
#endif
    std::size_t count = 0;
    while ((at = FindScalar(at, end, delimiter)) != end)
    {
        ++count;
        at += delimiter.size();
    }
    return count;
}
} // namespace Kestrin
