// SPDX-License-Identifier: MIT
#include "FileError.h"

#include <cerrno>
#include <cstring>

namespace Kestrin
{
namespace
{
std::string Message(const std::string& description, const std::string& path)
{
    return path.empty() ? description : path + ": " + description;
}
} // namespace

FileError::FileError(int number, std::string description, std::string path)
    : std::runtime_error(Message(description, path)), number_(number),
      description_(std::move(description)), path_(std::move(path))
{
}

FileError FileError::FromSystem(int systemError, const std::string& path)
{
    return FileError(systemError, std::strerror(systemError), path);
}

FileError FileError::NotRegularFile(const std::string& path)
{
    return FileError(
        EINVAL, "not a regular file (a device, a pipe or a socket); it is left as it is", path);
}

bool FileError::IsAccessDenied() const
{
    return number_ == EACCES || number_ == EPERM;
}
} // namespace Kestrin
