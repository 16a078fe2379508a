// SPDX-License-Identifier: MIT
// The registry layer on Windows: HKEY_LOCAL_MACHINE through the ANSI Reg* calls, texts in
// the ANSI code page. Reads and writes go to the system's own view: the 64-bit view for a
// 32-bit process on 64-bit Windows and for a 64-bit process; the 32-bit view flag otherwise,
// which 32-bit Windows ignores.
#include "common/Registration.h"

#include <windows.h>

namespace Kestrin
{
namespace
{
// A 64-bit process given the 32-bit flag would write to WOW6432Node, where the system does
// not look for the App Paths entry of a 64-bit program.
REGSAM ViewFlag()
{
    return sizeof(void*) == 8 || IsWow64() ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
}
} // namespace

bool IsWow64()
{
    using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
    const HMODULE kernel = GetModuleHandleA("kernel32");
    if (!kernel)
        return false;
    // Looked up at run time: older Windows has no such function, and then the answer is no.
    const auto function = reinterpret_cast<IsWow64ProcessFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel, "IsWow64Process")));
    if (!function)
        return false;
    BOOL wow64 = FALSE;
    return function(GetCurrentProcess(), &wow64) && wow64;
}

std::string RegReadString(const std::string& subKey, const std::string& valueName,
                          const std::string& defaultText)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, KEY_QUERY_VALUE | ViewFlag(), &key) !=
        ERROR_SUCCESS)
        return defaultText;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, valueName.c_str(), nullptr, nullptr, nullptr, &size);
    std::string bytes(size, '\0');
    if (status == ERROR_SUCCESS && size > 0)
        status = RegQueryValueExA(key, valueName.c_str(), nullptr, nullptr,
                                  reinterpret_cast<LPBYTE>(&bytes[0]), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return defaultText;
    bytes.resize(size);
    // The stored terminating zero is not part of the text (a value may lack it).
    if (!bytes.empty() && bytes.back() == '\0')
        bytes.pop_back();
    return bytes;
}

long RegWriteString(const std::string& subKey, const std::string& valueName,
                    const std::string& text)
{
    if (RegReadString(subKey, valueName) == text)
        return 0;
    // The key is made in the process's default view too, then written in the chosen one.
    HKEY key = nullptr;
    LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    RegCloseKey(key);
    status =
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS | ViewFlag(), nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    status = RegSetValueExA(key, valueName.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
    return status;
}
} // namespace Kestrin
