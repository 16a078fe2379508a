// SPDX-License-Identifier: MIT
#pragma once
// Real obstacles for file tests, one implementation per platform (support/posix,
// support/win): files nobody may open, what a replacement must keep of a file, things in
// the file system that are not files, tiny disks, and other programs. Where a platform
// offers no such obstacle the trap says so and the test skips with the reason.
#include <cstdint>
#include <string>
#include <vector>

namespace KestrinTest
{
// Makes opening an existing file for writing fail with access denied until Unlock: on
// POSIX the immutable flag (root only: an owner may always give itself write permission
// back); on Windows a second handle that holds the file open sharing nothing, a real
// sharing violation (reads are refused too). False when the system offers no way here.
class FileLock
{
public:
    explicit FileLock(std::string path) : path_(std::move(path)) {}
    ~FileLock() { Unlock(); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool Lock();
    void Unlock();

private:
    std::string path_;
    std::intptr_t native_ = -1; // the Windows handle
    bool locked_ = false;
};

// Takes reading away from an existing file while it lives: no permission bits on POSIX
// (checked as an OrdinaryUser), a handle that shares nothing on Windows.
class UnreadableFile
{
public:
    explicit UnreadableFile(const std::string& path);
    ~UnreadableFile();
    UnreadableFile(const UnreadableFile&) = delete;
    UnreadableFile& operator=(const UnreadableFile&) = delete;

private:
    std::string path_;
    unsigned mode_ = 0;
    FileLock lock_;
};

// File permissions checked as an ordinary user on this thread, also when the tests run
// as root (whom permission bits do not stop). Nothing to switch on Windows.
class OrdinaryUser
{
public:
    OrdinaryUser();
    ~OrdinaryUser();
    OrdinaryUser(const OrdinaryUser&) = delete;
    OrdinaryUser& operator=(const OrdinaryUser&) = delete;

private:
    bool switched_ = false;
};

// A folder "locked" in `folder` that refuses new files, holding one file of `content`
// (read-only when asked), all made and then worked in as an OrdinaryUser for the trap's
// life, so that the permission bits also hold for root. POSIX only: on Windows a folder
// refuses new files through its ACL, which Wine does not enforce, and the tests skip.
class FolderRefusingNewFiles
{
public:
    FolderRefusingNewFiles(const std::string& folder, const std::string& name,
                           const std::string& content, bool readOnlyFile);
    // The file, and another name in the locked folder.
    const std::string& File() const { return file_; }
    std::string Other(const std::string& name) const { return locked_ + name; }

private:
    std::string locked_; // with its final separator; made open to all first
    OrdinaryUser user_;
    std::string file_;
};

// A small file system mounted on a folder: tmpfs of `size`, or an ext2 image of `size`
// (no room can be reserved there beforehand, as on many network file systems) made with
// mkfs.ext2 and mounted through a loop device. Mounted() is false where mounting is not
// allowed or the tools are missing, and always on Windows; Why() says why.
class SmallDisk
{
public:
    SmallDisk(const std::string& folder, const char* size, const char* kind = "tmpfs");
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool Mounted() const { return mounted_; }
    const std::string& Why() const { return why_; }

private:
    std::string folder_;
    std::string image_;
    bool mounted_ = false;
    std::string why_;
};

// A path that names something other than a file or a folder, and that must stay so: a
// FIFO in the folder on POSIX, a named pipe (\\.\pipe\...) on Windows.
class PipeInPlace
{
public:
    explicit PipeInPlace(const std::string& folder);
    ~PipeInPlace();
    PipeInPlace(const PipeInPlace&) = delete;
    PipeInPlace& operator=(const PipeInPlace&) = delete;

    const std::string& Path() const { return path_; }
    // Still a pipe, not turned into a file.
    bool StillAPipe() const;

private:
    std::string path_;
    std::intptr_t native_ = -1;
};

// A folder for the design's own examples: "C:\work" itself when the tests run under Wine,
// whose C: drive belongs to the test prefix; elsewhere a folder of that name inside the
// test's temporary folder. Removed with its contents, before and after.
class ExampleFolder
{
public:
    ExampleFolder(const std::string& temporaryFolder, const std::string& name);
    ~ExampleFolder();
    ExampleFolder(const ExampleFolder&) = delete;
    ExampleFolder& operator=(const ExampleFolder&) = delete;
    // The folder's path with the system's separator, without a trailing one.
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// A named pipe (FIFO) at the path; false where the system refuses one, and on Windows,
// whose pipes live outside the folders (see PipeInPlace).
bool MakeFifo(const std::string& path);
// A character device node like /dev/null at the path (root only); false where refused,
// and on Windows, whose devices ("nul") are in every folder already.
bool MakeDeviceNode(const std::string& path);
// What kind of file the path itself is (links not followed): 'f' regular, 'p' pipe,
// 'c' character device, 'l' link, 'd' folder, '-' nothing.
char KindOf(const std::string& path);

// What a test can put at a path that is not a file and that a writer must refuse: a FIFO
// and a device node where the system lets a test make them (Make false: it refused); on
// Windows the NUL device, which "nul" with any extension names in every folder.
struct NotAFile
{
    const char* Name;
    bool (*Make)(const std::string& path);
    char Kind; // as KindOf gives it
};
std::vector<NotAFile> NotFiles();

// What a whole-file replacement must keep of a file: its permission bits on POSIX; its
// read-only, hidden and system attributes on Windows. 0 when it cannot be read.
unsigned FlagsOf(const std::string& path);
bool SetFlags(const std::string& path, unsigned flags);
// Flags worth keeping, each with a name: read-only among them (ReadOnlyFlags).
struct NamedFlags
{
    const char* Name;
    unsigned Flags;
};
std::vector<NamedFlags> FlagsWorthKeeping();
extern const unsigned ReadOnlyFlags;

// Runs a program in a folder with standard input, output and error from and to files;
// its exit status, or -1 when it could not be started or did not exit.
int RunProgram(const std::string& program, const std::vector<std::string>& arguments,
               const std::string& folder, const std::string& input, const std::string& output,
               const std::string& errors);

// Sets (or, for nullptr, removes) a variable of this process's environment.
void SetEnvironment(const char* name, const char* value);
} // namespace KestrinTest

// Skips the rest of a test on Windows, naming why it cannot apply there.
#ifdef _WIN32
#define KESTRIN_SKIP_ON_WINDOWS(reason) GTEST_SKIP() << (reason)
#else
#define KESTRIN_SKIP_ON_WINDOWS(reason) static_cast<void>(0)
#endif
