// SPDX-License-Identifier: MIT
// The locale's multibyte encoding through the C library (mbrtowc, wcrtomb); wchar_t holds
// one code point. Paths are bytes already.
#include "common/CodePage.h"

#include <climits>
#include <cwchar>

namespace Kestrin
{
std::string BytesFromText(std::u16string_view text)
{
    std::string bytes;
    std::mbstate_t state{};
    char buffer[MB_LEN_MAX];
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        char32_t code = text[i];
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000)
            code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
        const std::size_t length = std::wcrtomb(buffer, static_cast<wchar_t>(code), &state);
        if (length == static_cast<std::size_t>(-1))
        {
            bytes += '?';
            state = std::mbstate_t{};
        }
        else
            bytes.append(buffer, length);
    }
    return bytes;
}

std::u16string TextFromBytes(std::string_view bytes)
{
    std::u16string text;
    std::mbstate_t state{};
    std::size_t at = 0;
    while (at < bytes.size())
    {
        wchar_t wide = 0;
        const std::size_t length =
            std::mbrtowc(&wide, bytes.data() + at, bytes.size() - at, &state);
        char32_t code = static_cast<char32_t>(wide);
        if (length == static_cast<std::size_t>(-1) || length == static_cast<std::size_t>(-2))
        {
            code = 0xFFFD;
            state = std::mbstate_t{};
            ++at;
        }
        else
            at += length == 0 ? 1 : length;
        if (code >= 0x10000)
        {
            text += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            text += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        }
        else
            text += static_cast<char16_t>(code);
    }
    return text;
}

bool IsUndecipherableName(std::string_view bytes)
{
    return TextFromBytes(bytes).find(u'\uFFFD') != std::u16string::npos;
}

std::filesystem::path PathFromBytes(const std::string& bytes)
{
    return std::filesystem::path(bytes);
}

std::string BytesFromPath(const std::filesystem::path& path)
{
    return path.native();
}
} // namespace Kestrin
