#include "DelimiterSearch.h"

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
// Compares 64 positions at a time on their first and their last delimiter byte; only
// positions that match both are compared in full. This keeps the scan at memory speed
// even when the first byte alone is common (a line break, a dash).
__attribute__((target("avx2"))) const char* FindAvx2(const char* begin, const char* end,
                                                     std::string_view delimiter)
{
    const std::size_t length = delimiter.size();
    const __m256i first = _mm256_set1_epi8(delimiter[0]);
    const __m256i lastByte = _mm256_set1_epi8(delimiter[length - 1]);
    const char* at = begin;
    // Both loads of a block stay inside [begin, end): at + length - 1 + 64 <= end.
    while (end - at >= static_cast<std::ptrdiff_t>(length + 63))
    {
        const auto* low = reinterpret_cast<const __m256i*>(at);
        const auto* high = reinterpret_cast<const __m256i*>(at + length - 1);
        const __m256i match0 =
            _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_loadu_si256(low), first),
                             _mm256_cmpeq_epi8(_mm256_loadu_si256(high), lastByte));
        const __m256i match1 =
            _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_loadu_si256(low + 1), first),
                             _mm256_cmpeq_epi8(_mm256_loadu_si256(high + 1), lastByte));
        if (!_mm256_testz_si256(_mm256_or_si256(match0, match1), _mm256_or_si256(match0, match1)))
        {
            std::uint64_t mask = static_cast<std::uint32_t>(_mm256_movemask_epi8(match0)) |
                                 (static_cast<std::uint64_t>(
                                      static_cast<std::uint32_t>(_mm256_movemask_epi8(match1)))
                                  << 32);
            while (mask != 0)
            {
                const char* candidate = at + __builtin_ctzll(mask);
                if (length <= 2 ||
                    std::memcmp(candidate + 1, delimiter.data() + 1, length - 2) == 0)
                    return candidate;
                mask &= mask - 1;
            }
        }
        at += 64;
    }
    return FindScalar(at, end, delimiter);
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
    std::size_t count = 0;
    while ((at = FindDelimiter(at, end, delimiter)) != end)
    {
        ++count;
        at += delimiter.size();
    }
    return count;
}
} // namespace Kestrin
