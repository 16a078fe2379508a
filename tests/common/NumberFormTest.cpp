// SPDX-License-Identifier: MIT
#include "common/ProfileFile.h"

#include <climits>
#include <cstdint>
#include <gtest/gtest.h>

using namespace Kestrin;

TEST(NumberForm, WritesShortestDecimalText)
{
    const struct
    {
        std::int64_t tenThousandths;
        const char* text;
    } cases[] = {
        {0, "0"},
        {1200000, "120"},
        {-50000, "-5"},
        {5000, "0.5"},
        {573333, "57.3333"},
        {1, "0.0001"},
        {-1, "-0.0001"},
        {100010, "10.001"},
        {INT64_MAX, "922337203685477.5807"},
        {INT64_MIN, "-922337203685477.5808"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Fixed4Text({c.tenThousandths}), c.text) << c.tenThousandths;
}

TEST(NumberForm, ReadsTheLeadingDecimalNumber)
{
    const struct
    {
        const char* text;
        std::int64_t tenThousandths;
    } cases[] = {
        {"57", 570000},
        {"57.3333", 573333},
        {"-5", -50000},
        {"+2", 20000},
        {".5", 5000},
        {"7.", 70000},
        {"0012", 120000},
        {"1,5", 10000}, // a comma ends the number
        {"12abc", 120000},
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {".", 0},
        {" 5", 0}, // blanks are dropped before the text gets here
        {"0x10", 0},
        {"1e3", 10000000},
        {"2.5E-1", 2500},
        {"1e", 10000}, // no digits after "e": the number ends before it
        {"1e+", 10000},
        {"1e-400", 0},
        {"0.00005", 0}, // halves to even at the fourth decimal
        {"0.00015", 2},
        {"0.000150001", 2},
        {"0.00025", 2},
        {"-0.00015", -2},
        {"0.00004999", 0},
        {"922337203685477.5807", INT64_MAX},
        {"-922337203685477.5808", INT64_MIN},
        {"0.000000000000000000000000000000001", 0},
    };
    for (const auto& c : cases)
    {
        Fixed4 value{-777};
        EXPECT_TRUE(Fixed4FromText(c.text, value)) << c.text;
        EXPECT_EQ(value.TenThousandths, c.tenThousandths) << c.text;
    }
}

TEST(NumberForm, NumbersBeyondTheTypeAreRejected)
{
    for (const char* text :
         {"1e400", "-1e400", "99999999999999999999", "922337203685477.5808",
          "-922337203685477.5809", "922337203685477.58075", "1e15", "1e99999999999999999999999"})
    {
        Fixed4 value{-777};
        EXPECT_FALSE(Fixed4FromText(text, value)) << text;
        EXPECT_EQ(value.TenThousandths, -777) << text;
    }
}

TEST(NumberForm, SwitchesRoundHalvesToEvenAndClamp)
{
    const struct
    {
        const char* stored;
        int restored;
    } cases[] = {
        {"0", 0},           {"1", 1},          {"2", 1},      {"7", 1},    {"-3", 0},
        {"0.5", 0},         {"1.5", 1},        {"0.5001", 1}, {"-0.5", 0}, {"2.5", 1},
        {"0.4999", 0},      {"3000000000", 0}, // beyond an int: as if missing
        {"-3000000000", 0}, {"2147483647", 1},
    };
    for (const auto& c : cases)
    {
        Fixed4 value;
        ASSERT_TRUE(Fixed4FromText(c.stored, value)) << c.stored;
        EXPECT_EQ(RestoreSwitch(value), c.restored) << c.stored;
    }
}

TEST(NumberForm, WindowEdgesConvertBetweenPixelsAndTwips)
{
    const struct
    {
        const char* pixels;
        double factor;
        int twips;
    } restores[] = {
        {"57", 15, 855},
        {"0.5", 15, 8}, // 7.5 -> 8
        {"0.3", 15, 4}, // 4.5 -> 4
        {"0.1", 15, 2}, // 1.5 -> 2
        {"-5", 15, -75},
        {"57.3333", 15, 860}, // 859.9995
        {"100", 12, 1200},
        {"10", 1440.0 / 110, 131},
        {"143165576", 15, 2147483640},
    };
    for (const auto& c : restores)
    {
        Fixed4 stored;
        ASSERT_TRUE(Fixed4FromText(c.pixels, stored));
        int twips = -1;
        EXPECT_TRUE(RestoreEdgeTwips(stored, c.factor, twips)) << c.pixels;
        EXPECT_EQ(twips, c.twips) << c.pixels << " at " << c.factor;
    }

    // Twips that do not fit an int come only from a hand-edited file: treated as missing.
    for (const char* pixels : {"143165577", "-143165578", "922337203685477"})
    {
        Fixed4 stored;
        ASSERT_TRUE(Fixed4FromText(pixels, stored));
        int twips = 123;
        EXPECT_FALSE(RestoreEdgeTwips(stored, 15, twips)) << pixels;
        EXPECT_EQ(twips, 123);
    }
    int twips = 0;
    EXPECT_FALSE(RestoreEdgeTwips(Fixed4::FromWhole(1), 0, twips));

    const struct
    {
        int twips;
        double factor;
        const char* pixels;
    } stores[] = {
        {855, 15, "57"},
        {860, 15, "57.3333"},
        {1000, 15, "66.6667"},
        {-75, 15, "-5"},
        {0, 15, "0"},
        {1, 15, "0.0667"},
        {131, 1440.0 / 110, "10.0069"},
        {INT_MAX, 15, "143165576.4667"},
    };
    for (const auto& c : stores)
        EXPECT_EQ(Fixed4Text(EdgePixels(c.twips, c.factor)), c.pixels) << c.twips;
}
