// SPDX-License-Identifier: MIT
#include "engine/FragmentList.h"
#include "engine/LineList.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

using namespace Kestrin;

namespace
{
std::shared_ptr<const SourceBytes> BytesOf(const std::string& text)
{
    KestrinTest::TempFolder temp;
    return SourceBytes::Read(temp.Write("source", text), nullptr);
}

std::vector<std::string> Fragments(FragmentList& list)
{
    std::vector<std::string> parts;
    FragmentList::Cursor cursor(list);
    for (std::size_t i = 0; i < list.Count(); ++i)
        parts.emplace_back(cursor.Next());
    cursor.Finish();
    return parts;
}

std::vector<std::string> Lines(const LineList& list)
{
    std::vector<std::string> lines;
    LineList::Cursor cursor(list);
    for (std::size_t i = 0; i < list.Count(); ++i)
        lines.emplace_back(cursor.Next());
    return lines;
}
} // namespace

TEST(FragmentList, CutsAtEveryOccurrence)
{
    using Parts = std::vector<std::string>;
    struct Case
    {
        std::string text, delimiter;
        Parts parts;
    } cases[] = {
        {"one\r\n=====\r\ntwo", "=====", {"one\r\n", "\r\ntwo"}},
        {"==x", "==", {"", "x"}},
        {"a,,b,", ",", {"a", "", "b", ""}},
        {"no delimiter", "#", {"no delimiter"}},
        {"", "#", {}},
        {"a--b---c", "--", {"a", "b", "-c"}},
        {"in line: a|b", "|", {"in line: a", "b"}},
    };
    for (const auto& c : cases)
    {
        FragmentList list(BytesOf(c.text), c.delimiter);
        EXPECT_EQ(list.Count(), c.parts.size()) << c.text;
        EXPECT_EQ(Fragments(list), c.parts) << c.text;
    }
}

TEST(FragmentList, KeptChangesLastUntilTheNextWalkChangesThem)
{
    FragmentList list(BytesOf("aa1|bb2|cc3|dd4"), "|");
    {
        FragmentList::Cursor cursor(list);
        cursor.Keep(cursor.Next().substr(1));
        cursor.Next();
        cursor.Keep(cursor.Next().substr(2));
        cursor.Finish();
    }
    EXPECT_EQ(Fragments(list), (std::vector<std::string>{"a1", "bb2", "3", "dd4"}));
    {
        // A walk that stops early leaves the fragments it did not reach as they were.
        FragmentList::Cursor cursor(list);
        cursor.Keep(cursor.Next().substr(1));
        cursor.Finish();
    }
    EXPECT_EQ(Fragments(list), (std::vector<std::string>{"1", "bb2", "3", "dd4"}));
    FragmentList copy = list;
    {
        FragmentList::Cursor cursor(copy);
        cursor.Next();
        cursor.Keep(cursor.Next().substr(2));
        cursor.Finish();
    }
    EXPECT_EQ(Fragments(copy), (std::vector<std::string>{"1", "2", "3", "dd4"}));
    EXPECT_EQ(Fragments(list), (std::vector<std::string>{"1", "bb2", "3", "dd4"}));
}

TEST(SourceBytes, CountsWhatTheFileHoldsAlsoOnceARunHasWalkedIt)
{
    // A small file is copied; a large one is counted from the file in pieces until a run
    // walks it (View maps it). A delimiter first typed after that run counts the same bytes.
    for (const std::size_t blocks : {std::size_t(3), SourceBytes::LargeFrom / 10 * 3})
    {
        std::string text;
        for (std::size_t i = 0; i < blocks; ++i)
            text += "#rec\na#b\n\n";
        KestrinTest::TempFolder temp;
        const auto bytes = SourceBytes::Read(temp.Write("source", text), nullptr);
        SCOPED_TRACE(text.size());
        EXPECT_EQ(bytes->Occurrences("#"), 2 * blocks);
        ASSERT_EQ(bytes->View(), text);
        EXPECT_EQ(bytes->Occurrences("\n"), 3 * blocks);
        EXPECT_EQ(bytes->Occurrences("#rec"), blocks);
        EXPECT_EQ(bytes->Occurrences("#"), 2 * blocks); // remembered
    }
}

TEST(LineList, LineEndsPerPathStyle)
{
    using Lines_ = std::vector<std::string>;
    struct Case
    {
        PathStyle style;
        std::string text;
        Lines_ lines;
    } cases[] = {
        {PathStyle::Windows, "a\r\nb", {"a", "b"}},
        {PathStyle::Windows, "a\r\nb\r\n", {"a", "b", ""}},
        {PathStyle::Windows, "a\nb\rc", {"a\nb\rc"}},
        {PathStyle::Windows, "", {}},
        {PathStyle::Posix, "a\nb\n", {"a", "b", ""}},
        {PathStyle::Posix, "a\r\nb\nc", {"a", "b", "c"}},
        {PathStyle::Posix, "a\rb\r", {"a\rb\r"}},
        {PathStyle::Posix, "\r\n\n", {"", "", ""}},
        {PathStyle::Posix, "one", {"one"}},
    };
    for (const auto& c : cases)
    {
        LineList list(BytesOf(c.text), c.style);
        EXPECT_EQ(list.Count(), c.lines.size()) << c.text;
        EXPECT_EQ(Lines(list), c.lines) << c.text;
    }
}
