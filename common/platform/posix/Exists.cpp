// SPDX-License-Identifier: MIT
#include "common/Exists.h"

#include <filesystem>
#include <system_error>

namespace Kestrin
{
namespace
{
// Follows symbolic links: a link to a file is a file, a dangling link is nothing.
std::filesystem::file_type TypeOf(const std::string& path)
{
    if (path.empty())
        return std::filesystem::file_type::not_found;
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    return error ? std::filesystem::file_type::not_found : status.type();
}
} // namespace

bool FileExists(const std::string& path)
{
    const auto type = TypeOf(path);
    return type != std::filesystem::file_type::not_found &&
           type != std::filesystem::file_type::none &&
           type != std::filesystem::file_type::unknown &&
           type != std::filesystem::file_type::directory;
}

bool FolderExists(const std::string& path)
{
    return TypeOf(path) == std::filesystem::file_type::directory;
}
} // namespace Kestrin
