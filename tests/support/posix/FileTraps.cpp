// SPDX-License-Identifier: MIT
// The traps on POSIX: the immutable flag, permission bits checked as an ordinary user,
// tmpfs, FIFOs, fork and exec.
#include "tests/support/FileTraps.h"

#include "tests/support/TempFolder.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <linux/fs.h>
#include <random>
#include <sys/fsuid.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace KestrinTest
{
namespace
{
bool SetImmutable(const std::string& path, bool immutable)
{
    const int descriptor = ::open(path.c_str(), O_RDONLY);
    if (descriptor < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(descriptor, FS_IOC_GETFLAGS, &flags) == 0;
    if (done)
    {
        flags = immutable ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = ::ioctl(descriptor, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(descriptor);
    return done;
}
} // namespace

const unsigned ReadOnlyFlags = 0444;

bool FileLock::Lock()
{
    // An owner may always give itself write permission back; only root can set the flag.
    if (::geteuid() != 0)
        return false;
    locked_ = SetImmutable(path_, true);
    return locked_;
}

void FileLock::Unlock()
{
    if (locked_)
        SetImmutable(path_, false);
    locked_ = false;
}

UnreadableFile::UnreadableFile(const std::string& path) : path_(path), lock_(path)
{
    mode_ = FlagsOf(path_);
    ::chmod(path_.c_str(), 0);
}

UnreadableFile::~UnreadableFile()
{
    ::chmod(path_.c_str(), mode_);
}

OrdinaryUser::OrdinaryUser()
{
    if (::geteuid() == 0)
    {
        ::setfsuid(65534);
        ::setfsgid(65534);
        switched_ = true;
    }
}

OrdinaryUser::~OrdinaryUser()
{
    if (switched_)
    {
        ::setfsuid(0);
        ::setfsgid(0);
    }
}

SmallDisk::SmallDisk(const std::string& folder, const char* size, const char* kind)
    : folder_(folder)
{
    ::mkdir(folder_.c_str(), 0777);
    if (std::string(kind) == "tmpfs")
    {
        const std::string options = std::string("size=") + size;
        mounted_ = ::mount("tmpfs", folder_.c_str(), "tmpfs", 0, options.c_str()) == 0;
        if (!mounted_)
            why_ = "cannot mount a tmpfs here (not root?)";
        return;
    }
    // The image lies beside the folder, which is inside the test's own temporary folder.
    image_ = folder_ + ".img";
    const std::string quiet = " >/dev/null 2>&1";
    if (std::system(("truncate -s " + std::string(size) + " '" + image_ + "'" + quiet).c_str()) !=
            0 ||
        std::system(("PATH=$PATH:/sbin:/usr/sbin mkfs." + std::string(kind) + " -q -F -b 1024 '" +
                     image_ + "'" + quiet)
                        .c_str()) != 0)
    {
        why_ = std::string("cannot make an ") + kind + " image here (mkfs." + kind + " missing?)";
        return;
    }
    mounted_ =
        std::system(("mount -o loop '" + image_ + "' '" + folder_ + "'" + quiet).c_str()) == 0;
    if (!mounted_)
        why_ = std::string("cannot mount an ") + kind + " image through a loop device here";
}

SmallDisk::~SmallDisk()
{
    if (mounted_)
        ::umount2(folder_.c_str(), image_.empty() ? MNT_DETACH : 0);
    if (!image_.empty())
        ::unlink(image_.c_str());
}

PipeInPlace::PipeInPlace(const std::string& folder) : path_(folder + "/pipe")
{
    ::mkfifo(path_.c_str(), 0600);
}

PipeInPlace::~PipeInPlace()
{
    ::unlink(path_.c_str());
}

bool PipeInPlace::StillAPipe() const
{
    struct stat info
    {
    };
    return ::lstat(path_.c_str(), &info) == 0 && S_ISFIFO(info.st_mode);
}

ExampleFolder::ExampleFolder(const std::string& temporaryFolder, const std::string& name)
    : path_(temporaryFolder + "/" + name)
{
}

ExampleFolder::~ExampleFolder() = default;

void MakeFolders(const std::string& path)
{
    std::error_code ignored;
    std::filesystem::create_directories(path, ignored);
}

bool MakeFifo(const std::string& path)
{
    return ::mkfifo(path.c_str(), 0666) == 0;
}

bool MakeDeviceNode(const std::string& path)
{
    return ::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
}

std::vector<NotAFile> NotFiles()
{
    return {{"pipe", MakeFifo, 'p'}, {"device", MakeDeviceNode, 'c'}};
}

char KindOf(const std::string& path)
{
    struct stat info
    {
    };
    if (::lstat(path.c_str(), &info) != 0)
        return '-';
    if (S_ISREG(info.st_mode))
        return 'f';
    if (S_ISFIFO(info.st_mode))
        return 'p';
    if (S_ISCHR(info.st_mode))
        return 'c';
    if (S_ISLNK(info.st_mode))
        return 'l';
    return S_ISDIR(info.st_mode) ? 'd' : '?';
}

unsigned FlagsOf(const std::string& path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

bool SetFlags(const std::string& path, unsigned flags)
{
    return ::chmod(path.c_str(), flags) == 0;
}

std::vector<NamedFlags> FlagsWorthKeeping()
{
    return {{"plain", 0644}, {"read-only", 0444}, {"private", 0600}, {"group", 0640}};
}

int RunProgram(const std::string& program, const std::vector<std::string>& arguments,
               const std::string& folder, const std::string& input, const std::string& output,
               const std::string& errors)
{
    const pid_t child = ::fork();
    if (child == 0)
    {
        if (::chdir(folder.c_str()) != 0)
            ::_exit(127);
        ::dup2(::open(input.c_str(), O_RDONLY), 0);
        ::dup2(::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
        ::dup2(::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
        std::vector<std::string> copies = arguments;
        std::string name = program;
        std::vector<char*> argv{name.data()};
        for (auto& argument : copies)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    if (child < 0)
        return -1;
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void SetEnvironment(const char* name, const char* value)
{
    if (value)
        ::setenv(name, value, 1);
    else
        ::unsetenv(name);
}
} // namespace KestrinTest
