// Windows counterpart of the safe whole-file replacement: a temporary file in the target's
// folder, then moved over the target; the target's attributes are cleared for the move and
// given back afterwards, so a read-only file stays read-only.
#include "FileReplacement.h"

#include "FileError.h"

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

namespace Kestrin
{
bool FileReplacement::SyncReplacedFiles = false;

struct FileReplacement::State
{
    enum class Mode
    {
        NewFile,
        Replace
    };
    std::string path_;
    std::string target_;
    std::string temporary_;
    int descriptor_ = -1;
    Mode mode_ = Mode::NewFile;
    DWORD originalMode_ = 0;
    bool committed_ = false;
    void Discard() noexcept;
    [[noreturn]] void Fail(int systemError) const
    {
        throw FileError::FromSystem(systemError, path_);
    }
};

namespace
{
std::string FolderOf(const std::string& path)
{
    const auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

[[noreturn]] void ThrowLastError(const std::string& path)
{
    const DWORD error = ::GetLastError();
    char text[512] = {};
    ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                     text, sizeof text, nullptr);
    throw FileError(static_cast<int>(error), text, path);
}
} // namespace

std::string WriteDestination(const std::string& path, bool* exists)
{
    if (exists)
    {
        const DWORD attributes = ::GetFileAttributesA(path.c_str());
        *exists = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    return path;
}

FileReplacement::FileReplacement(const std::string& path, Links) : state_(std::make_unique<State>())
{
    State& s = *state_;
    s.path_ = path;
    s.target_ = path;
    auto& path_ = s.path_;
    auto& target_ = s.target_;
    auto& temporary_ = s.temporary_;
    auto& descriptor_ = s.descriptor_;
    auto& mode_ = s.mode_;
    auto& originalMode_ = s.originalMode_;
    const DWORD attributes = ::GetFileAttributesA(target_.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
    {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            throw FileError(ERROR_DIRECTORY, "The path names a folder.", path_);
        mode_ = State::Mode::Replace;
        originalMode_ = attributes;
        char name[MAX_PATH] = {};
        if (!::GetTempFileNameA(FolderOf(target_).c_str(), "ksr", 0, name))
            ThrowLastError(path_);
        temporary_ = name;
        if (_sopen_s(&descriptor_, temporary_.c_str(), _O_WRONLY | _O_BINARY | _O_TRUNC, _SH_DENYWR,
                     _S_IREAD | _S_IWRITE) != 0)
            s.Fail(errno);
        return;
    }
    mode_ = State::Mode::NewFile;
    if (_sopen_s(&descriptor_, target_.c_str(), _O_WRONLY | _O_BINARY | _O_CREAT | _O_TRUNC,
                 _SH_DENYWR, _S_IREAD | _S_IWRITE) != 0)
        s.Fail(errno);
}

FileReplacement::~FileReplacement()
{
    if (!state_->committed_)
        state_->Discard();
}

int FileReplacement::Descriptor() const
{
    return state_->descriptor_;
}

void FileReplacement::State::Discard() noexcept
{
    if (descriptor_ >= 0)
        _close(descriptor_);
    descriptor_ = -1;
    ::DeleteFileA(mode_ == Mode::Replace ? temporary_.c_str() : target_.c_str());
}

void FileReplacement::Fail(int systemError) const
{
    state_->Fail(systemError);
}

void FileReplacement::Write(std::string_view bytes)
{
    while (!bytes.empty())
    {
        const unsigned chunk =
            bytes.size() > 0x40000000u ? 0x40000000u : static_cast<unsigned>(bytes.size());
        const int written = _write(state_->descriptor_, bytes.data(), chunk);
        if (written < 0)
            Fail(errno);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void FileReplacement::Commit()
{
    State& s = *state_;
    auto& path_ = s.path_;
    auto& target_ = s.target_;
    auto& temporary_ = s.temporary_;
    auto& descriptor_ = s.descriptor_;
    auto& mode_ = s.mode_;
    auto& originalMode_ = s.originalMode_;
    if (SyncReplacedFiles && mode_ == State::Mode::Replace && _commit(descriptor_) != 0)
        Fail(errno);
    const int descriptor = descriptor_;
    descriptor_ = -1;
    if (_close(descriptor) != 0)
    {
        const int error = errno;
        s.Discard();
        Fail(error);
    }
    if (mode_ == State::Mode::Replace)
    {
        ::SetFileAttributesA(target_.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!::MoveFileExA(temporary_.c_str(), target_.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        {
            const DWORD error = ::GetLastError();
            ::SetFileAttributesA(target_.c_str(), originalMode_);
            s.Discard();
            ::SetLastError(error);
            ThrowLastError(path_);
        }
        ::SetFileAttributesA(target_.c_str(), originalMode_);
    }
    s.committed_ = true;
}
} // namespace Kestrin
