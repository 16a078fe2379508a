// SPDX-License-Identifier: MIT
#pragma once
// The one exception type of file operations: a number, a description and the path.
#include <stdexcept>
#include <string>

namespace Kestrin
{
class FileError : public std::runtime_error
{
public:
    FileError(int number, std::string description, std::string path);
    // From a system error number (errno on POSIX); the description is the system's text.
    static FileError FromSystem(int systemError, const std::string& path);
    // A device, pipe or socket where a file is to be written or a run reads its source.
    static FileError NotRegularFile(const std::string& path);

    int Number() const { return number_; }
    const std::string& Description() const { return description_; }
    const std::string& Path() const { return path_; }
    // Access denied (EACCES/EPERM here, error 70 and sharing violations on Windows).
    bool IsAccessDenied() const;

private:
    int number_;
    std::string description_;
    std::string path_;
};
} // namespace Kestrin
