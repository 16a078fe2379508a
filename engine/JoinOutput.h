// SPDX-License-Identifier: MIT
#pragma once
// The join's output, streamed into its file (a FileReplacement, or standard output). The last three
// bytes are held back, because the whole-file write drops one final line break and that can only be
// told at the end. Listed files are copied by the kernel where it can.
#include "common/FileAccess.h"
#include "common/OutputFile.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace Kestrin
{
class JoinOutput
{
public:
    // `stopRequested` is asked between the pieces of a large file.
    JoinOutput(OutputFile& output, std::function<bool()> stopRequested);

    void Append(std::string_view bytes);
    // Appends at most `size` bytes of an open file from where it stands: a file that grows
    // meanwhile is taken as long as it was when its turn came. False when a stop was
    // requested before it was all there.
    bool AppendFile(InputFile& input, std::uint64_t size);
    // Writes what is held back, without the final line break unless it is to be kept.
    void Finish(bool keepFinalLineBreak = false);

private:
    static constexpr std::size_t Held = 3;
    void WriteHeld();

    OutputFile& output_;
    std::function<bool()> stopRequested_;
    std::string held_;
    std::unique_ptr<char[]> buffer_;
    bool kernelCopy_ = true;
};
} // namespace Kestrin
