// SPDX-License-Identifier: MIT
#pragma once
// The folder a split writes its fragments into, held open for the whole run, so that a new
// fragment costs the least the system allows: on Linux a file made without a name in the
// folder (O_TMPFILE), written, and linked in under its name only when complete, never over
// anything that is there; on Windows a temporary file beside it, moved in without replacing.
// What this cannot do (the name is taken, the folder refuses new files, the system has no
// such files) it leaves to the caller, which then goes the usual way (FileReplacement).
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace Kestrin
{
class TargetFolder
{
public:
    // Opens the folder (a path with or without its final separator; empty: the current
    // folder). Throws FileError, ENOENT when it is missing.
    explicit TargetFolder(std::string folder);
    ~TargetFolder();
    TargetFolder(const TargetFolder&) = delete;
    TargetFolder& operator=(const TargetFolder&) = delete;

    enum class Outcome
    {
        Written, // the new file is there, complete
        Exists,  // something is at the name: nothing was written there
        Declined // not made this way (nothing was written): the caller writes it as usual
    };

    // A new file `name` (no separator in it) holding the bytes. `beforeLink` runs once the
    // bytes are written and before the file takes its name; what it throws leaves nothing.
    // Throws FileError naming the file for a failed write.
    Outcome WriteNew(const std::string& name, std::string_view bytes,
                     const std::function<void()>& beforeLink);

private:
    std::string folder_;        // with its final separator, for paths in messages
    std::intptr_t native_ = -1; // POSIX: the folder's descriptor
    bool unnamedFiles_ = true;  // POSIX: the folder takes files made without a name
    int linkWay_ = 0;           // POSIX: 0 not yet known, 1 by descriptor, 2 through /proc
};
} // namespace Kestrin
