// SPDX-License-Identifier: MIT
#pragma once
// Standard output through a buffer that keeps the reason of a failed write: std::cout's own
// buffer only says that it failed, and errno is some other call's by the time anyone asks.
// After a failure the rest is dropped and the stream is marked bad.
#include "common/OutputFile.h"

#include <streambuf>
#include <string>
#include <vector>

namespace Kestrin
{
class OutputBuffer : public std::streambuf
{
public:
    OutputBuffer(int descriptor, std::string name);
    ~OutputBuffer() override;
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;

    // The system error number of the first write that failed; 0 while all went well.
    int Error() const { return error_; }

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* bytes, std::streamsize size) override;
    int sync() override;

private:
    bool Drain();

    StreamOutput output_;
    std::vector<char> buffer_;
    int error_ = 0;
};
} // namespace Kestrin
