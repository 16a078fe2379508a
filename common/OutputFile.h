// SPDX-License-Identifier: MIT
#pragma once
// Where a whole output goes: a FileReplacement (a file written safely), or a stream that
// is already open, such as standard output.
#include <string>
#include <string_view>

namespace Kestrin
{
class OutputFile
{
public:
    virtual ~OutputFile() = default;
    // Throws FileError naming the output.
    virtual void Write(std::string_view bytes) = 0;
    // File descriptor of the output, for kernel-side copies; position is at the end of
    // what was written.
    virtual int Descriptor() const = 0;
    // Call after writing through Descriptor() so errors name the right file.
    [[noreturn]] virtual void Fail(int systemError) const = 0;
};

// An output that is already open: written as the bytes come, with nothing to commit.
class StreamOutput : public OutputFile
{
public:
    StreamOutput(int descriptor, std::string name) : descriptor_(descriptor), name_(std::move(name))
    {
    }
    void Write(std::string_view bytes) override;
    int Descriptor() const override { return descriptor_; }
    [[noreturn]] void Fail(int systemError) const override;

private:
    int descriptor_;
    std::string name_;
};
} // namespace Kestrin
