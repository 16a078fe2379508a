// SPDX-License-Identifier: MIT
#include "OutputBuffer.h"

#include "common/FileError.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace Kestrin
{
OutputBuffer::OutputBuffer(int descriptor, std::string name)
    : output_(descriptor, std::move(name)), buffer_(std::size_t(1) << 16)
{
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

OutputBuffer::~OutputBuffer()
{
    Drain();
}

bool OutputBuffer::Drain()
{
    const std::size_t size = static_cast<std::size_t>(pptr() - pbase());
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    if (error_ != 0)
        return false;
    try
    {
        output_.Write(std::string_view(buffer_.data(), size));
    }
    catch (const FileError& error)
    {
        error_ = error.Number() != 0 ? error.Number() : EIO;
        return false;
    }
    return true;
}

OutputBuffer::int_type OutputBuffer::overflow(int_type c)
{
    if (!Drain())
        return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof()))
    {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

std::streamsize OutputBuffer::xsputn(const char* bytes, std::streamsize size)
{
    for (std::streamsize done = 0; done < size;)
    {
        if (pptr() == epptr() && !Drain())
            return done;
        const std::streamsize room = epptr() - pptr();
        const std::streamsize piece = std::min(room, size - done);
        std::memcpy(pptr(), bytes + done, static_cast<std::size_t>(piece));
        pbump(static_cast<int>(piece));
        done += piece;
    }
    return size;
}

int OutputBuffer::sync()
{
    return Drain() ? 0 : -1;
}
} // namespace Kestrin
