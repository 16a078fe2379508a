// SPDX-License-Identifier: MIT
#include "app/RunningMark.h"

#include <windows.h>

namespace Kestrin
{
void MarkRunning()
{
    // Held, never closed: Windows releases it when the process ends, however it ends.
    static const HANDLE mark = ::CreateMutexW(nullptr, FALSE, RunningMarkName);
    (void)mark;
}
} // namespace Kestrin
