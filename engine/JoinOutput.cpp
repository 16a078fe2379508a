#include "JoinOutput.h"

#include "TextFile.h"

namespace Kestrin
{
namespace
{
// Large enough that the system call cost vanishes, small enough to stay in the cache.
constexpr std::size_t BufferSize = 1 << 20;
} // namespace

JoinOutput::JoinOutput(FileReplacement& output) : output_(output) {}

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

std::uint64_t JoinOutput::AppendFile(InputFile& input, std::uint64_t size)
{
    std::uint64_t appended = 0;
    if (size > Held)
    {
        WriteHeld();
        // Where the kernel cannot copy between these files, the rest is read below, and
        // from here on for every file.
        appended = CopyInKernel(input, output_, size - Held, kernelCopy_);
    }
    if (!buffer_)
        buffer_.reset(new char[BufferSize]);
    for (;;)
    {
        const std::size_t got = input.Read(buffer_.get(), BufferSize);
        if (got == 0)
            break;
        Append(std::string_view(buffer_.get(), got));
        appended += static_cast<std::uint64_t>(got);
    }
    return appended;
}

void JoinOutput::Finish()
{
    held_.resize(held_.size() - FinalLineBreakLength(held_));
    WriteHeld();
}
} // namespace Kestrin
