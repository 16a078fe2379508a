// SPDX-License-Identifier: MIT
#include "common/TargetFolder.h"

#include "common/FileError.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace Kestrin
{
namespace
{
// Closes the unnamed file on every way out: without a name it is gone with it.
struct Closer
{
    int descriptor;
    ~Closer()
    {
        if (descriptor >= 0)
            ::close(descriptor);
    }
};
} // namespace

TargetFolder::TargetFolder(std::string folder) : folder_(std::move(folder))
{
    if (!folder_.empty() && folder_.back() != '/')
        folder_ += '/';
#ifdef O_PATH
    constexpr int flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
    constexpr int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif
    const int descriptor = ::open(folder_.empty() ? "." : folder_.c_str(), flags);
    if (descriptor < 0)
        throw FileError::FromSystem(errno, folder_);
    native_ = descriptor;
}

TargetFolder::~TargetFolder()
{
    if (native_ >= 0)
        ::close(static_cast<int>(native_));
}

TargetFolder::Outcome TargetFolder::WriteNew(const std::string& name, std::string_view bytes,
                                             const std::function<void()>& beforeLink)
{
#ifdef O_TMPFILE
    if (!unnamedFiles_)
        return Outcome::Declined;
    const int folder = static_cast<int>(native_);
    Closer file{::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666)};
    if (file.descriptor < 0)
    {
        // Not offered here (an old kernel, a file system without them), or refused (the
        // folder takes no new files): the usual way says what it is, file by file.
        unnamedFiles_ = false;
        return Outcome::Declined;
    }
    while (!bytes.empty())
    {
        const auto written = ::write(file.descriptor, bytes.data(), bytes.size());
        if (written < 0)
        {
            if (errno == EINTR)
                continue;
            throw FileError::FromSystem(errno, folder_ + name);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    if (beforeLink)
        beforeLink();
    // linkat never replaces: a name that is taken (a file, a link, a folder) fails it.
    int linked = -1;
    if (linkWay_ != 2)
    {
        // By the descriptor itself where the process may (root); else through /proc.
        linked = ::linkat(file.descriptor, "", folder, name.c_str(), AT_EMPTY_PATH);
        if (linked == 0)
            linkWay_ = 1;
        else if (errno == ENOENT || errno == EPERM || errno == EINVAL)
            linkWay_ = 2;
    }
    if (linked != 0 && linkWay_ == 2)
    {
        char self[40];
        std::snprintf(self, sizeof self, "/proc/self/fd/%d", file.descriptor);
        linked = ::linkat(AT_FDCWD, self, folder, name.c_str(), AT_SYMLINK_FOLLOW);
        if (linked != 0 && errno == ENOENT && ::access("/proc/self/fd", X_OK) != 0)
        {
            unnamedFiles_ = false; // no /proc: no way to give such a file a name
            return Outcome::Declined;
        }
    }
    if (linked != 0)
    {
        if (errno == EEXIST)
            return Outcome::Exists;
        throw FileError::FromSystem(errno, folder_ + name);
    }
    const int descriptor = file.descriptor;
    file.descriptor = -1;
    if (::close(descriptor) != 0)
        throw FileError::FromSystem(errno, folder_ + name);
    return Outcome::Written;
#else
    (void)name;
    (void)bytes;
    (void)beforeLink;
    return Outcome::Declined;
#endif
}
} // namespace Kestrin
