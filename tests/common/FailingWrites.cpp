// SPDX-License-Identifier: MIT
// A failure shim inside the test program: pwrite to one chosen file fails (or the process
// is killed) at a chosen call, as a full disk, an I/O error or kill -9 would do it. The
// library under test is linked into this program, so its pwrite calls come here first;
// every other call goes on to the system's. (With 64-bit file offsets, which the project
// builds with, every pwrite is a call of pwrite64.)
#include "FailingWrites.h"

#include <cerrno>
#include <csignal>
#include <dlfcn.h>
#include <sys/stat.h>
#include <sys/types.h>

namespace KestrinTest
{
FailingWrites FailingWrites::Armed;
} // namespace KestrinTest

namespace
{
using WriteAt = ssize_t (*)(int, const void*, size_t, off_t);

ssize_t Through(const char* name, int descriptor, const void* data, size_t size, off_t offset)
{
    auto& armed = KestrinTest::FailingWrites::Armed;
    struct stat info
    {
    };
    if (armed.Inode != 0 && ::fstat(descriptor, &info) == 0 && info.st_ino == armed.Inode &&
        ++armed.Calls == armed.FailAt)
    {
        if (armed.Kill)
            ::raise(SIGKILL);
        errno = armed.Error;
        return -1;
    }
    const auto real = reinterpret_cast<WriteAt>(::dlsym(RTLD_NEXT, name));
    return real(descriptor, data, size, offset);
}
} // namespace

extern "C" ssize_t pwrite64(int descriptor, const void* data, size_t size, off_t offset)
{
    return Through("pwrite64", descriptor, data, size, offset);
}
