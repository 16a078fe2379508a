// SPDX-License-Identifier: MIT
#include "app/RunningMark.h"

namespace Kestrin
{
// Debian's package manager replaces the files of a running program safely: nothing to mark.
void MarkRunning() {}
} // namespace Kestrin
