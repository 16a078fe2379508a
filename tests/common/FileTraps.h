#pragma once
// Real obstacles for file tests: a file nobody may write (immutable for root, whom
// permission bits do not stop) and a tiny file system that fills up.
#include <fcntl.h>
#include <linux/fs.h>
#include <string>
#include <sys/fsuid.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace KestrinTest
{
// Makes writes to an existing file fail with access denied until Unlock. False when the
// system offers no way here (then the test skips).
class FileLock
{
public:
    explicit FileLock(std::string path) : path_(std::move(path)) {}
    ~FileLock() { Unlock(); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool Lock()
    {
        if (::geteuid() != 0)
            return false; // an owner may always give itself write permission back
        const int descriptor = ::open(path_.c_str(), O_RDONLY);
        if (descriptor < 0)
            return false;
        int flags = 0;
        locked_ = ::ioctl(descriptor, FS_IOC_GETFLAGS, &flags) == 0 &&
                  (flags |= FS_IMMUTABLE_FL, ::ioctl(descriptor, FS_IOC_SETFLAGS, &flags) == 0);
        ::close(descriptor);
        return locked_;
    }
    void Unlock()
    {
        if (!locked_)
            return;
        const int descriptor = ::open(path_.c_str(), O_RDONLY);
        int flags = 0;
        if (descriptor >= 0 && ::ioctl(descriptor, FS_IOC_GETFLAGS, &flags) == 0)
        {
            flags &= ~FS_IMMUTABLE_FL;
            ::ioctl(descriptor, FS_IOC_SETFLAGS, &flags);
        }
        if (descriptor >= 0)
            ::close(descriptor);
        locked_ = false;
    }

private:
    std::string path_;
    bool locked_ = false;
};

// File permissions checked as an ordinary user on this thread, also when the tests run
// as root (whom permission bits do not stop).
class OrdinaryUser
{
public:
    OrdinaryUser()
    {
        if (::geteuid() == 0)
        {
            ::setfsuid(65534);
            ::setfsgid(65534);
            switched_ = true;
        }
    }
    ~OrdinaryUser()
    {
        if (switched_)
        {
            ::setfsuid(0);
            ::setfsgid(0);
        }
    }
    OrdinaryUser(const OrdinaryUser&) = delete;
    OrdinaryUser& operator=(const OrdinaryUser&) = delete;

private:
    bool switched_ = false;
};

// A tmpfs of a few kilobytes mounted on a folder; Mounted() is false where mounting is
// not allowed.
class SmallDisk
{
public:
    SmallDisk(const std::string& folder, const char* size) : folder_(folder)
    {
        ::mkdir(folder_.c_str(), 0777);
        const std::string options = std::string("size=") + size;
        mounted_ = ::mount("tmpfs", folder_.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~SmallDisk()
    {
        if (mounted_)
            ::umount2(folder_.c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool Mounted() const { return mounted_; }

private:
    std::string folder_;
    bool mounted_ = false;
};
// A named pipe at the path; false where the system refuses one.
inline bool MakeFifo(const std::string& path)
{
    return ::mkfifo(path.c_str(), 0666) == 0;
}

// A character device node like /dev/null at the path (root only); false where refused.
inline bool MakeDeviceNode(const std::string& path)
{
    return ::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
}

// What kind of file the path itself is (links not followed): 'f' regular, 'p' pipe,
// 'c' character device, 'l' link, 'd' folder, '-' nothing.
inline char KindOf(const std::string& path)
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
} // namespace KestrinTest
