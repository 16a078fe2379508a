#include "TextFile.h"

#include "Exists.h"
#include "FileError.h"
#include "FileReplacement.h"
#include "PathText.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace Kestrin
{
namespace
{
class Descriptor
{
public:
    explicit Descriptor(int value) : value_(value) {}
    ~Descriptor()
    {
        if (value_ >= 0)
            ::close(value_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return value_; }
    int Release()
    {
        const int value = value_;
        value_ = -1;
        return value;
    }

private:
    int value_;
};

bool AccessDenied(int error)
{
    return error == EACCES || error == EPERM;
}

void WriteAll(int descriptor, std::string_view bytes, const std::string& path)
{
    while (!bytes.empty())
    {
        const auto written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0)
        {
            if (errno == EINTR)
                continue;
            throw FileError::FromSystem(errno, path);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}
} // namespace

std::size_t FinalLineBreakLength(std::string_view text)
{
    std::size_t drop = 0;
    if (text.size() >= 2 && text.substr(text.size() - 2) == "\r\n")
        drop = 2;
    if (text.size() > drop && text[text.size() - drop - 1] == '\n')
        ++drop;
    return drop;
}

std::string ReadTextFile(const std::string& path)
{
    if (!FileExists(path))
        return {};
    // Non-blocking, so that a named pipe does not hang the window at open.
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.Get() < 0)
        throw FileError::FromSystem(errno, path);
    struct stat info
    {
    };
    if (::fstat(file.Get(), &info) != 0)
        throw FileError::FromSystem(errno, path);
    if (!S_ISREG(info.st_mode))
        return {};
    std::string text(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t filled = 0;
    while (filled < text.size())
    {
        const auto got = ::read(file.Get(), &text[filled], text.size() - filled);
        if (got < 0)
        {
            if (errno == EINTR)
                continue;
            throw FileError::FromSystem(errno, path);
        }
        if (got == 0)
            break; // shrank while we read
        filled += static_cast<std::size_t>(got);
    }
    text.resize(filled);
    return text;
}

void WriteTextFile(const std::string& path, std::string_view text)
{
    if (path.empty())
        return;
    text.remove_suffix(FinalLineBreakLength(text));
    // Folders are made only when opening says they are missing: one system call less per
    // file on the common path, with the same outcome.
    std::optional<FileReplacement> output;
    try
    {
        output.emplace(path);
    }
    catch (const FileError& error)
    {
        // Missing folders, or a file where one should be (named by CreateFolderPath).
        if (error.Number() != ENOENT && error.Number() != ENOTDIR)
            throw;
    }
    if (!output)
    {
        CreateFolderPath(FolderPart(path));
        output.emplace(path);
    }
    output->Write(text);
    output->Commit();
}

void AppendTextLine(const std::string& path, std::optional<std::string_view> line, int retries,
                    const std::function<void()>& waitOneSecond)
{
    if (path.empty())
        return;
    if (!line)
    {
        DeleteFileIfPresent(path);
        return;
    }
    std::string record(*line);
    record += "\r\n";
    for (int attempt = 0;; ++attempt)
    {
        constexpr int flags = O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC;
        int descriptor = ::open(path.c_str(), flags, 0666);
        int error = descriptor < 0 ? errno : 0;
        bool restoreMode = false;
        struct stat info
        {
        };
        if (AccessDenied(error) && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            (info.st_mode & S_IWUSR) == 0 && ::chmod(path.c_str(), info.st_mode | S_IWUSR) == 0)
        {
            restoreMode = true;
            descriptor = ::open(path.c_str(), flags, 0666);
            error = descriptor < 0 ? errno : 0;
        }
        if (descriptor >= 0)
        {
            Descriptor file(descriptor);
            try
            {
                WriteAll(file.Get(), record, path);
            }
            catch (...)
            {
                if (restoreMode)
                    ::chmod(path.c_str(), info.st_mode & 07777);
                throw;
            }
            const int closed = ::close(file.Release());
            const int closeError = errno;
            if (restoreMode)
                ::chmod(path.c_str(), info.st_mode & 07777);
            if (closed != 0)
                throw FileError::FromSystem(closeError, path);
            return;
        }
        if (restoreMode)
            ::chmod(path.c_str(), info.st_mode & 07777);
        if (!AccessDenied(error) || attempt >= retries)
            throw FileError::FromSystem(error, path);
        if (waitOneSecond)
            waitOneSecond();
        else
            std::this_thread::sleep_for(std::chrono::seconds(1));
    }
}

void DeleteFileIfPresent(const std::string& path)
{
    if (!FileExists(path))
        return;
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        throw FileError::FromSystem(errno, path);
}

bool CreateFolderPath(const std::string& folder)
{
    for (const auto& step : FolderPathSteps(folder))
    {
        if (FolderExists(step))
            continue;
        if (::mkdir(step.c_str(), 0777) == 0)
            continue;
        const int error = errno;
        if (error == EEXIST && FolderExists(step))
            continue; // made meanwhile by someone else
        // Something else in the way: say it is not a folder rather than that it exists.
        throw FileError::FromSystem(error == EEXIST ? ENOTDIR : error, step);
    }
    return true;
}
} // namespace Kestrin
