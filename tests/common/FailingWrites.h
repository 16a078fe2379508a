// SPDX-License-Identifier: MIT
#pragma once
// Linux: makes the Nth pwrite to one file fail, or kill the process (FailingWrites.cpp).
#include <cerrno>
#include <sys/types.h>

namespace KestrinTest
{
struct FailingWrites
{
    ino_t Inode = 0; // 0: nothing fails
    int FailAt = 0;  // 1 for the first write to the file
    int Calls = 0;
    int Error = EIO;
    bool Kill = false;
    static FailingWrites Armed;
};
} // namespace KestrinTest
