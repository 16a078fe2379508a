// SPDX-License-Identifier: MIT
#include "FileAccess.h"

namespace Kestrin
{
std::size_t InputFile::ReadUpTo(char* into, std::size_t size)
{
    std::size_t filled = 0;
    while (filled < size)
    {
        const std::size_t got = Read(into + filled, size - filled);
        if (got == 0)
            break; // the file shrank while we read
        filled += got;
    }
    return filled;
}
} // namespace Kestrin
