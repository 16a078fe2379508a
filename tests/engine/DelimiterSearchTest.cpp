// SPDX-License-Identifier: MIT
#include "engine/DelimiterSearch.h"

#include "engine/FileCount.h"

#include <gtest/gtest.h>
#include <random>

using namespace Kestrin;

namespace
{
// The cut as the plain definition says: leftmost match, scan on behind it.
std::size_t NaiveCount(const std::string& text, const std::string& delimiter)
{
    std::size_t count = 0;
    for (std::size_t at = 0; at + delimiter.size() <= text.size();)
    {
        if (text.compare(at, delimiter.size(), delimiter) == 0)
        {
            ++count;
            at += delimiter.size();
        }
        else
            ++at;
    }
    return count;
}

std::string RandomText(std::mt19937& generator, std::size_t size, const char* alphabet)
{
    const std::string letters(alphabet);
    std::uniform_int_distribution<std::size_t> pick(0, letters.size() - 1);
    std::string text(size, ' ');
    for (auto& c : text)
        c = letters[pick(generator)];
    return text;
}
} // namespace

TEST(DelimiterSearch, CountsNonOverlappingOccurrences)
{
    struct Case
    {
        std::string text, delimiter;
        std::size_t count;
    } cases[] = {
        {"aaaa", "aa", 2},
        {"aaa", "aa", 1},
        {"one\r\n=====\r\ntwo", "=====", 1},
        {"=====", "=====", 1},
        {"====", "=====", 0},
        {"abc", "", 0},
        {"", "x", 0},
        {std::string("a\0b\0c", 5), std::string("\0", 1), 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CountDelimiters(c.text, c.delimiter), c.count) << c.text;
}

TEST(DelimiterSearch, AgreesWithThePlainDefinitionOnRandomTexts)
{
    std::mt19937 generator(7);
    // Short alphabets make first and last bytes common; lengths cross the 64-byte blocks.
    for (int round = 0; round < 3000; ++round)
    {
        const char* alphabet = round % 3 == 0 ? "ab" : round % 3 == 1 ? "ab\n-" : "abcdefgh\xff";
        const std::size_t length = 1 + generator() % (round % 10 == 0 ? 80 : 5);
        const std::string delimiter = RandomText(generator, length, alphabet);
        std::string text = RandomText(generator, generator() % 400, alphabet);
        // Plant some occurrences, also at the very end.
        for (int plant = generator() % 4; plant > 0; --plant)
            text.insert(text.empty() ? 0 : generator() % text.size(), delimiter);
        if (round % 5 == 0)
            text += delimiter;
        ASSERT_EQ(CountDelimiters(text, delimiter), NaiveCount(text, delimiter))
            << "text " << text << " delimiter " << delimiter;
        const char* first = FindDelimiter(text.data(), text.data() + text.size(), delimiter);
        const auto expected = text.find(delimiter);
        ASSERT_EQ(first - text.data(), static_cast<std::ptrdiff_t>(
                                           expected == std::string::npos ? text.size() : expected));

        // The same bytes in pieces of any size count the same.
        DelimiterCounter counter(delimiter);
        for (std::size_t at = 0; at < text.size();)
        {
            const std::size_t piece = std::min<std::size_t>(text.size() - at, generator() % 9);
            counter.Add(text.data() + at, piece);
            at += piece;
        }
        ASSERT_EQ(counter.Occurrences(), NaiveCount(text, delimiter))
            << "text " << text << " delimiter " << delimiter;
    }
}
