// SPDX-License-Identifier: MIT
#include "common/TextProcedures.h"

#include "common/CodePage.h"

#include <clocale>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace Kestrin;

TEST(TextProcedures, BeforeAndAfterTheFirstSeparator)
{
    struct Case
    {
        std::string text, separator, before, after;
    } cases[] = {
        {"a\nb", "\n", "a", "b"},    {"a\nb\nc", "\n", "a", "b\nc"},
        {"abc", "\n", "abc", "abc"}, {"\nx", "\n", "", "x"},
        {"x\n", "\n", "x", ""},      {"key==value", "==", "key", "value"},
        {"abc", "", "abc", "abc"},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(TextBefore(c.text, c.separator), c.before) << c.text;
        EXPECT_EQ(TextAfter(c.text, c.separator), c.after) << c.text;
    }
    EXPECT_EQ(TextBefore("abc", "\n", true), "");
    EXPECT_EQ(TextAfter("abc", "\n", true), "");
}

TEST(TextProcedures, TrimTrailingCodesKeepsNonAsciiBytes)
{
    using namespace std::string_literals;
    EXPECT_EQ(TrimTrailingCodes("abc\0\0\0"s, 0), "abc");
    EXPECT_EQ(TrimTrailingCodes("a\0bc\0"s, 0), "a\0bc"s);
    EXPECT_EQ(TrimTrailingCodes("\0\0"s, 0), "");
    EXPECT_EQ(TrimTrailingCodes("abc \t\r\n"s, 32), "abc");
    // "é" in UTF-8 ends in 0xA9: a signed reading would take it for a low code.
    EXPECT_EQ(TrimTrailingCodes("caf\xC3\xA9", 0), "caf\xC3\xA9");
}

TEST(TextProcedures, ReplacePatternWithACharacterClass)
{
    const char* unsafe = R"(["<>/:\|\*\?\\])";
    struct Case
    {
        std::string text, pattern;
        bool caseSensitive, all;
        std::string expected;
    } cases[] = {
        {"a/b:c?.txt", unsafe, false, true, "a_b_c_.txt"},
        {R"(x"<>|*\y)", unsafe, false, true, "x______y"},
        {"plain name", unsafe, false, true, "plain name"},
        {"a/b/c", unsafe, false, false, "a_b/c"},
        {"AbcA", "[a]", false, true, "_bc_"},
        {"AbcA", "[a]", true, true, "AbcA"},
        {"a1b22", "[0-9]", true, true, "a_b__"},
        {"aAb", "[^a]", false, true, "aA_"},
        {"a.b", "\\.", true, true, "a_b"},
        {"a-b]", "[]-]", true, true, "a_b_"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReplacePattern(c.text, c.pattern, "_", c.caseSensitive, false, c.all), c.expected)
            << c.text << " " << c.pattern;
    for (const char* bad : {"", "ab", "[abc", "(a)", "\\d", "[z-a]", "."})
        EXPECT_THROW(ReplacePattern("x", bad, "_", true, false, true), std::invalid_argument)
            << bad;
}

TEST(CodePage, TypedTextsAndPathsBecomeTheSystemsBytes)
{
#ifdef _WIN32
    // The ANSI code page; Windows-1252 here, as Wine and western Windows have it.
    if (TextFromBytes("\x80") != u"\u20AC")
        GTEST_SKIP() << "the system's code page is not Windows-1252";
    struct Case
    {
        std::u16string text;
        std::string bytes;
    } cases[] = {
        {u"notes.txt", "notes.txt"},
        {u"C:\\d\u00e4ta\\\u20AC.txt", "C:\\d\xE4ta\\\x80.txt"},
        // Not in the code page: the mark, never a look-alike that names another file.
        {u"a\u0101b", "a?b"},
        {u"\uFF3C", "?"},
        {u"\U00010348", "??"}, // one mark for each half of the surrogate pair
    };
    const std::string undecipherable = "a?b";
#else
    // The locale's encoding; the window's toolkit sets the user's locale at start.
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "C.UTF-8"))
        GTEST_SKIP() << "no UTF-8 locale here";
    struct Case
    {
        std::u16string text;
        std::string bytes;
    } cases[] = {
        {u"notes.txt", "notes.txt"},
        {u"/d\u00e4ta/\u20AC.txt", "/d\xC3\xA4ta/\xE2\x82\xAC.txt"},
        {u"\U00010348", "\xF0\x90\x8D\x88"},
    };
    const std::string undecipherable = "a\xFF"
                                       "b";
#endif
    for (const auto& c : cases)
    {
        EXPECT_EQ(BytesFromText(c.text), c.bytes);
        if (c.bytes.find('?') == std::string::npos)
        {
            EXPECT_EQ(TextFromBytes(c.bytes), c.text) << c.bytes;
            EXPECT_FALSE(IsUndecipherableName(c.bytes)) << c.bytes;
        }
        // Paths keep their bytes through std::filesystem.
        EXPECT_EQ(BytesFromPath(PathFromBytes(c.bytes)), c.bytes);
        EXPECT_EQ(BytesFromPath(PathFromBytes(c.bytes).filename()),
                  c.bytes.substr(c.bytes.find_last_of("/\\") + 1));
    }
    EXPECT_TRUE(IsUndecipherableName(undecipherable));
#ifndef _WIN32
    std::setlocale(LC_ALL, saved.c_str());
#endif
}
