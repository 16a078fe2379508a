// SPDX-License-Identifier: MIT
// The ANSI code page through MultiByteToWideChar and WideCharToMultiByte (CP_ACP).
#include "common/CodePage.h"

#include <windows.h>

namespace Kestrin
{
namespace
{
std::wstring Wide(std::string_view bytes)
{
    if (bytes.empty())
        return {};
    const int size = static_cast<int>(bytes.size());
    const int length = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, &wide[0], length);
    return wide;
}

std::string Narrow(const wchar_t* text, std::size_t size)
{
    if (size == 0)
        return {};
    // UTF-7 and UTF-8 as the system code page take neither flag nor default character;
    // they represent every character anyway.
    const UINT codePage = ::GetACP();
    const bool unicode = codePage == CP_UTF8 || codePage == CP_UTF7;
    const DWORD flags = unicode ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* mark = unicode ? nullptr : "?";
    const int count = static_cast<int>(size);
    const int length = ::WideCharToMultiByte(CP_ACP, flags, text, count, nullptr, 0, mark, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, flags, text, count, &bytes[0], length, mark, nullptr);
    return bytes;
}
} // namespace

std::string BytesFromText(std::u16string_view text)
{
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t is UTF-16 on Windows");
    return Narrow(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

std::u16string TextFromBytes(std::string_view bytes)
{
    const auto wide = Wide(bytes);
    return std::u16string(wide.begin(), wide.end());
}

bool IsUndecipherableName(std::string_view bytes)
{
    return bytes.find('?') != std::string_view::npos;
}

std::filesystem::path PathFromBytes(const std::string& bytes)
{
    return std::filesystem::path(Wide(bytes));
}

std::string BytesFromPath(const std::filesystem::path& path)
{
    return Narrow(path.native().data(), path.native().size());
}
} // namespace Kestrin
