// SPDX-License-Identifier: MIT
#include "controls/browsebox/VersionText.h"

#include <gtest/gtest.h>
#include <stdexcept>

using namespace Ostrel;

TEST(VersionText, Formats)
{
    EXPECT_EQ(VersionText(2, 5, 0), " 2.05");
    EXPECT_EQ(VersionText(2, 5, 7), " 2.05.0007");
    EXPECT_EQ(VersionText(1, 0, 0), " 1.00");
    EXPECT_EQ(VersionText(1, 13, 0), " 1.13");
    EXPECT_EQ(VersionText(10, 99, 1234), " 10.99.1234");
    EXPECT_EQ(VersionText(-1, 5, 0), "-1.05"); // no blank before a negative number
    EXPECT_EQ(VersionText(1, 2, -3), " 1.02"); // a revision of 0 or less is left out
}

TEST(VersionText, SixteenBitLimits)
{
    EXPECT_NO_THROW(VersionText(1, 32667, 22767));
    EXPECT_THROW(VersionText(1, 32668, 0), std::overflow_error);
    EXPECT_THROW(VersionText(1, 0, 22768), std::overflow_error);
}

TEST(CodePageCharset, Table)
{
    const int table[][2] = {{874, 222},  {932, 128},  {936, 134},  {949, 129},  {950, 136},
                            {1250, 238}, {1251, 204}, {1253, 161}, {1254, 162}, {1255, 177},
                            {1256, 178}, {1257, 186}, {1258, 163}, {1361, 130}, {1252, 0},
                            {437, 0},    {65001, 0},  {0, 0}};
    for (const auto& row : table)
        EXPECT_EQ(CodePageCharset(row[0]), row[1]) << row[0];
}
