// SPDX-License-Identifier: MIT
#include "common/ConfigFolders.h"

#include "common/Version.h"

#include <cstdlib>
#include <string>
#include <windows.h>

namespace Kestrin
{
std::string UserConfigFolder()
{
    const char* appData = std::getenv("APPDATA");
    if (!appData || !*appData)
        return {};
    std::string folder = appData;
    if (folder.back() != '\\' && folder.back() != '/')
        folder += '\\';
    return folder + CompanyName;
}

bool FolderIsWritable(const std::string& folder)
{
    std::string current = folder.empty() ? "." : folder;
    for (;;)
    {
        // "C:\" keeps its separator; any other trailing one goes.
        while (current.size() > 3 && (current.back() == '\\' || current.back() == '/'))
            current.pop_back();
        const DWORD attributes = GetFileAttributesA(current.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES)
        {
            if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
                return false;
            // Access rights (and the virtualisation of Program Files) are only known by
            // trying: a probe file that deletes itself when closed.
            const std::string probe = current + "\\~kestrin-write-probe.tmp";
            const HANDLE handle =
                CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
            if (handle == INVALID_HANDLE_VALUE)
                return false;
            CloseHandle(handle);
            return true;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            return false;
        // On to the parent; "C:\x" goes to "C:\".
        const auto separator = current.find_last_of("\\/");
        if (separator == std::string::npos || separator + 1 >= current.size())
            return false;
        current.erase(separator == 2 && current[1] == ':' ? 3 : separator);
        if (current.empty())
            return false;
    }
}
} // namespace Kestrin
