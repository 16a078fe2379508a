// SPDX-License-Identifier: MIT
#include "Progress.h"

#include <algorithm>
#include <cmath>

namespace Kestrin
{
int ProgressValue(std::size_t index, std::size_t count, int max)
{
    const double quotient =
        static_cast<double>(max) * static_cast<double>(index + 1) / static_cast<double>(count);
    double rounded = std::floor(quotient);
    const double fraction = quotient - rounded;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(rounded, 2.0) != 0.0))
        rounded += 1.0;
    return static_cast<int>(std::min(rounded, static_cast<double>(max)));
}

void ReportProgress(RunHost& host, std::size_t index, std::size_t count)
{
    const int value = ProgressValue(index, count);
    if (host.ProgressValue() != value)
        host.SetProgressValue(value);
    host.ProcessEvents();
}

std::string TotalText(std::size_t count)
{
    return count >= 2 ? std::to_string(count) : std::string("0");
}
} // namespace Kestrin
