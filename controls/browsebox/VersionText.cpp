// SPDX-License-Identifier: MIT
#include "VersionText.h"

#include <cstring>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <langinfo.h>
#endif

namespace Ostrel
{
namespace
{
// The number-to-text conversion that puts a blank before a non-negative number.
std::string Str(int value)
{
    return (value >= 0 ? " " : "") + std::to_string(value);
}

// value + offset as digits: the conversion's text from its third character on.
std::string Digits(int value, int offset)
{
    const int sum = value + offset;
    if (sum > 32767 || sum < -32768)
        throw std::overflow_error("version number out of range");
    const std::string text = Str(sum);
    return text.size() > 2 ? text.substr(2) : std::string();
}
} // namespace

std::string VersionText(int major, int minor, int revision)
{
    std::string text = Str(major) + "." + Digits(minor, 100);
    if (revision > 0)
        text += "." + Digits(revision, 10000);
    return text;
}

int CodePageCharset(int codePage)
{
    switch (codePage)
    {
    case 874:
        return 222;
    case 932:
        return 128;
    case 936:
        return 134;
    case 949:
        return 129;
    case 950:
        return 136;
    case 1250:
        return 238;
    case 1251:
        return 204;
    case 1253:
        return 161;
    case 1254:
        return 162;
    case 1255:
        return 177;
    case 1256:
        return 178;
    case 1257:
        return 186;
    case 1258:
        return 163;
    case 1361:
        return 130;
    default:
        return 0;
    }
}

int SystemCodePage()
{
#ifdef _WIN32
    return static_cast<int>(GetACP());
#else
    const char* codeset = nl_langinfo(CODESET);
    return codeset != nullptr && std::strcmp(codeset, "UTF-8") == 0 ? 65001 : 1252;
#endif
}
} // namespace Ostrel
