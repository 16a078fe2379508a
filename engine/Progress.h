// SPDX-License-Identifier: MIT
#pragma once
#include "RunHost.h"

#include <cstddef>

namespace Kestrin
{
// max * (index + 1) / count, rounded halves to even, at most max:
// 8 items give 12, 25, 38, 50, 62, 75, 88, 100.
int ProgressValue(std::size_t index, std::size_t count, int max = 100);

// After item `index` of `count`: moves the bar when its whole-number value changes, then
// lets the window process its pending events.
void ReportProgress(RunHost& host, std::size_t index, std::size_t count);

// The "Total" panel's text for a part count: the count from 2 on, else "0".
std::string TotalText(std::size_t count);
} // namespace Kestrin
