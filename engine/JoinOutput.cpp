// SPDX-License-Identifier: MIT
#include "JoinOutput.h"

#include "common/TextFile.h"

#include <algorithm>

namespace Kestrin
{
namespace
{
// Large enough that the system call cost vanishes, small enough to stay in the cache.
constexpr std::size_t BufferSize = 1 << 20;
// How much the kernel copies between two looks at a stop request.
constexpr std::uint64_t KernelPiece = std::uint64_t(16) << 20;
} // namespace

JoinOutput::JoinOutput(OutputFile& output, std::function<bool()> stopRequested)
    : output_(output), stopRequested_(std::move(stopRequested))
{
}

void JoinOutput::WriteHeld()
{
    output_.Write(held_);
    held_.clear();
}

void JoinOutput::Append(std::string_view bytes)
{
    if (bytes.size() >= Held)
    {
        WriteHeld();
        output_.Write(bytes.substr(0, bytes.size() - Held));
        held_.assign(bytes.substr(bytes.size() - Held));
        return;
    }
    held_.append(bytes);
    if (held_.size() > Held)
    {
        output_.Write(std::string_view(held_).substr(0, held_.size() - Held));
        held_.erase(0, held_.size() - Held);
    }
}

bool JoinOutput::AppendFile(InputFile& input, std::uint64_t size)
{
    std::uint64_t left = size;
    if (left > Held)
    {
        WriteHeld();
        // Where the kernel cannot copy between these files, the rest is read below, and
        // from here on for every file.
        while (kernelCopy_ && left > Held)
        {
            if (stopRequested_())
                return false;
            const std::uint64_t piece = std::min(left - Held, KernelPiece);
            const std::uint64_t copied = CopyInKernel(input, output_, piece, kernelCopy_);
            left -= copied;
            if (copied < piece && kernelCopy_)
                return true; // the file is shorter than it was
        }
    }
    if (!buffer_)
        buffer_.reset(new char[BufferSize]);
    while (left > 0)
    {
        if (stopRequested_())
            return false;
        const std::size_t got = input.Read(
            buffer_.get(), static_cast<std::size_t>(std::min<std::uint64_t>(left, BufferSize)));
        if (got == 0)
            break;
        Append(std::string_view(buffer_.get(), got));
        left -= got;
    }
    return true;
}

void JoinOutput::Finish(bool keepFinalLineBreak)
{
    if (!keepFinalLineBreak)
        held_.resize(held_.size() - FinalLineBreakLength(held_));
    WriteHeld();
}
} // namespace Kestrin
