#include "TextProcedures.h"

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
