#include "JoinOutput.h"

#include "FileError.h"
#include "TextFile.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

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

std::uint64_t JoinOutput::CopyInKernel(int descriptor, std::uint64_t length)
{
    std::uint64_t copied = 0;
    while (kernelCopy_ && copied < length)
    {
        const auto chunk =
            static_cast<std::size_t>(std::min<std::uint64_t>(length - copied, 1u << 30));
        const auto done =
            ::copy_file_range(descriptor, nullptr, output_.Descriptor(), nullptr, chunk, 0);
        if (done > 0)
        {
            copied += static_cast<std::uint64_t>(done);
            continue;
        }
        if (done == 0)
            break; // the file is shorter than it was
        if (errno == EINTR)
            continue;
        // Not offered between these files (other file system, old kernel): copy by hand
        // from here on; a real read or write error shows again there, naming its file.
        kernelCopy_ = false;
    }
    return copied;
}

std::uint64_t JoinOutput::AppendFile(int descriptor, std::uint64_t size, const std::string& path)
{
    std::uint64_t appended = 0;
    if (size > Held)
    {
        WriteHeld();
        appended = CopyInKernel(descriptor, size - Held);
    }
    if (!buffer_)
        buffer_.reset(new char[BufferSize]);
    for (;;)
    {
        const auto got = ::read(descriptor, buffer_.get(), BufferSize);
        if (got < 0)
        {
            if (errno == EINTR)
                continue;
            throw FileError::FromSystem(errno, path);
        }
        if (got == 0)
            break;
        Append(std::string_view(buffer_.get(), static_cast<std::size_t>(got)));
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
