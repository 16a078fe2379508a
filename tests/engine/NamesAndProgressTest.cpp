// SPDX-License-Identifier: MIT
#include "RecordingHost.h"
#include "engine/FragmentNames.h"
#include "engine/Progress.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <set>

using namespace Kestrin;
using namespace std::string_literals;

TEST(FragmentNames, NumbersAreAsWideAsTheCount)
{
    struct Case
    {
        std::size_t count, number;
        std::string name;
    } cases[] = {
        {9, 1, "notes_1.txt"},       {9, 9, "notes_9.txt"},
        {10, 1, "notes_01.txt"},     {10, 10, "notes_10.txt"},
        {99, 7, "notes_07.txt"},     {100, 1, "notes_001.txt"},
        {100, 100, "notes_100.txt"}, {250000, 42, "notes_000042.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NumberedName("notes", c.number, NumberWidth(c.count), ".txt"), c.name)
            << c.count << " " << c.number;
    EXPECT_EQ(NumberedName("Makefile", 3, 1, ""), "Makefile_3");
}

TEST(FragmentNames, FirstLineNamesAndWhatIsLeftOfTheFragment)
{
    struct Case
    {
        std::string fragment, name, rest;
    } cases[] = {
        {"\r\n  Chapter 1.txt\r\nBody\r\n", "Chapter 1.txt", "Body\r\n"},
        {"Chapter 1.txt  \r\nBody", "Chapter 1.txt  ", "Body"},
        {"Chapter 1.txt  \nBody", "Chapter 1.txt", "Body"},
        {"a/b:c?.txt\nx", "a_b_c_.txt", "x"},
        {"x\"<>|*\\y\n", "x______y", ""},
        {"single line", "single line", "single line"},
        {"\n\r\n\rname\r\nrest", "name", "rest"},
        {"name\0\0\0\nrest"s, "name", "rest"},
        {"a\0b\nrest"s, "a_b", "rest"},
        {"..\nup", "__", "up"},
        {" . \nhere", "_", "here"},
        {"caf\xC3\xA9.txt\n", "caf\xC3\xA9.txt", ""},
    };
    for (const auto& c : cases)
    {
        std::string_view fragment = c.fragment;
        EXPECT_EQ(FirstLineName(fragment), c.name) << c.fragment;
        EXPECT_EQ(std::string(fragment), c.rest) << c.fragment;
    }
}

TEST(FragmentNames, LongFirstLinesAreCutToTheLimitKeepingTheirExtension)
{
    // Seeded random lines around the limit: a name never passes it, one that fits is kept
    // whole, a longer one keeps its start and extension and differs from every other.
    std::mt19937 random(20);
    std::set<std::string> names;
    for (int round = 0; round < 300; ++round)
    {
        const std::size_t limit = 20 + random() % 240;
        const std::size_t length = limit - 5 + random() % 400;
        const char* const pieces[] = {"a", "b", "\xc3\xa9", " ", "x", "/"};
        std::string line = "a"; // not absolute: the whole line names the fragment
        while (line.size() < length)
            line += pieces[random() % 6];
        const bool withExtension = random() % 2 == 0;
        if (withExtension)
            line += ".log";
        const std::string text = line + "\nbody";
        std::string_view fragment = text;
        const std::string name = FirstLineName(fragment, PathStyle::Posix, limit);
        std::string whole = line;
        std::replace(whole.begin(), whole.end(), '/', '_');
        const auto end = whole.find_last_not_of(' ');
        whole.erase(end + 1);
        EXPECT_EQ(fragment, "body");
        if (whole.size() <= limit)
        {
            EXPECT_EQ(name, whole);
            continue;
        }
        EXPECT_LE(name.size(), limit) << line;
        EXPECT_GE(name.size(), limit - 5) << line; // cut at a character boundary
        EXPECT_EQ(whole.compare(0, name.find('~'), name, 0, name.find('~')), 0) << name;
        if (withExtension)
        {
            EXPECT_EQ(name.substr(name.size() - 4), ".log") << name;
        }
        EXPECT_TRUE(names.insert(name).second) << name;
    }
    // Windows takes no control bytes in a name.
    std::string_view tabbed = "a\tb\x1b\nrest";
    EXPECT_EQ(FirstLineName(tabbed, PathStyle::Windows), "a_b_");
}

TEST(FragmentNames, AbsoluteFirstLinesGiveTheirFileNameOrTheWholeLine)
{
    // An absolute path, as a join writes them, gives its file name; one that ends in a
    // separator gives the whole line made harmless, so its text is not lost. What is
    // absolute depends on the path style.
    struct Case
    {
        PathStyle style;
        std::string fragment, name, rest;
    } cases[] = {
        {PathStyle::Posix, "/srv/data/a.txt\r\nA", "a.txt", "A"},
        {PathStyle::Posix, "/usr/local/\nbody", "_usr_local_", "body"},
        {PathStyle::Posix, "/\nbody", "_", "body"},
        {PathStyle::Posix, "\\notes\nbody", "_notes", "body"},
        {PathStyle::Posix, "a:/b\nbody", "a__b", "body"},
        {PathStyle::Posix, "C:\\x\\b.txt\nB", "C__x_b.txt", "B"},
        {PathStyle::Posix, "\\\\server\\share\\\nS", "__server_share_", "S"},
        {PathStyle::Windows, "C:\\x\\b.txt\r\nB", "b.txt", "B"},
        {PathStyle::Windows, "C:\\\r\nroot", "C__", "root"},
        {PathStyle::Windows, "\\\\server\\share\\c.txt\nC", "__server_share_c.txt", "C"},
        {PathStyle::Windows, "/srv/a.txt\nA", "_srv_a.txt", "A"},
    };
    for (const auto& c : cases)
    {
        std::string_view fragment = c.fragment;
        EXPECT_EQ(FirstLineName(fragment, c.style), c.name) << c.fragment;
        EXPECT_EQ(std::string(fragment), c.rest) << c.fragment;
    }
}

TEST(FragmentNames, WindowsDeviceNamesGetAnUnderscoreAfterTheDeviceWord)
{
    // Windows opens its devices under these names with any extension and blanks before
    // it; elsewhere they are ordinary names.
    struct Case
    {
        PathStyle style;
        std::string fragment, name;
    } cases[] = {
        {PathStyle::Windows, "CON\r\nx", "CON_"},
        {PathStyle::Windows, "aux.txt\nx", "aux_.txt"},
        {PathStyle::Windows, "Nul .tar.gz\nx", "Nul_ .tar.gz"},
        {PathStyle::Windows, "com1\nx", "com1_"},
        {PathStyle::Windows, "LPT9.log\nx", "LPT9_.log"},
        {PathStyle::Windows, "prn\nx", "prn_"},
        {PathStyle::Windows, "C:\\dev\\con.txt\nx", "con_.txt"},
        {PathStyle::Windows, "com0\nx", "com0"},
        {PathStyle::Windows, "COM10\nx", "COM10"},
        {PathStyle::Windows, "console.txt\nx", "console.txt"},
        {PathStyle::Windows, "my aux.txt\nx", "my aux.txt"},
        {PathStyle::Windows, ".con\nx", ".con"},
        {PathStyle::Posix, "aux.txt\nx", "aux.txt"},
        {PathStyle::Posix, "CON\nx", "CON"},
    };
    for (const auto& c : cases)
    {
        std::string_view fragment = c.fragment;
        EXPECT_EQ(FirstLineName(fragment, c.style), c.name) << c.fragment;
        EXPECT_EQ(std::string(fragment), "x") << c.fragment;
    }
}

TEST(FragmentNames, FragmentsWithoutANameAreSkippedKeepingOnlyTheDroppedLineBreaks)
{
    for (const std::string fragment : {"", "\r\n\r\n", "   \r\nbody", "   \nbody"})
    {
        std::string_view view = fragment;
        EXPECT_EQ(FirstLineName(view), "") << fragment;
        EXPECT_EQ(std::string(view),
                  fragment.substr(std::min(fragment.find_first_not_of("\r\n"), fragment.size())))
            << fragment;
    }
}

TEST(Progress, RoundsHalvesToEven)
{
    std::vector<int> values;
    for (std::size_t i = 0; i < 8; ++i)
        values.push_back(ProgressValue(i, 8));
    EXPECT_EQ(values, (std::vector<int>{12, 25, 38, 50, 62, 75, 88, 100}));
    EXPECT_EQ(ProgressValue(0, 3), 33);
    EXPECT_EQ(ProgressValue(1, 3), 67);
    EXPECT_EQ(ProgressValue(0, 200), 0); // 0.5 to even
    EXPECT_EQ(ProgressValue(2, 200), 2); // 1.5 to even
    EXPECT_EQ(ProgressValue(0, 1), 100);
}

TEST(Progress, RepaintsOnlyWhenTheWholeNumberChanges)
{
    KestrinTest::RecordingHost host;
    for (std::size_t i = 0; i < 300; ++i)
        ReportProgress(host, i, 300);
    EXPECT_EQ(host.Events, 300);
    ASSERT_EQ(host.ProgressSets.size(), 100u);
    for (std::size_t k = 0; k < host.ProgressSets.size(); ++k)
        EXPECT_EQ(host.ProgressSets[k], static_cast<int>(k) + 1);
    EXPECT_EQ(TotalText(0), "0");
    EXPECT_EQ(TotalText(1), "0");
    EXPECT_EQ(TotalText(2), "2");
}
