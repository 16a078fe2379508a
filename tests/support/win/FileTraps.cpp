// SPDX-License-Identifier: MIT
// The traps on Windows: a handle that shares nothing (a real sharing violation), file
// attributes, named pipes, CreateProcess. Windows has nothing to mount and no user to
// switch to from a test; those traps report so.
#include "tests/support/FileTraps.h"

#include "tests/support/TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <random>
#include <windows.h>

namespace KestrinTest
{
namespace
{
constexpr DWORD KeptAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

HANDLE AsHandle(std::intptr_t native)
{
    return reinterpret_cast<HANDLE>(native);
}

// One argument as the C runtime's command-line parser reads it back: quoted when it holds
// blanks or quotation marks (or is empty), backslashes doubled only before a quotation mark.
std::string Quoted(const std::string& argument)
{
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos)
        return argument;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument)
    {
        if (c == '\\')
        {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

HANDLE Inheritable(const std::string& path, bool write)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return ::CreateFileA(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                         write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}
} // namespace

const unsigned ReadOnlyFlags = FILE_ATTRIBUTE_READONLY;

bool FileLock::Lock()
{
    const HANDLE handle = ::CreateFileA(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    native_ = reinterpret_cast<std::intptr_t>(handle);
    locked_ = true;
    return true;
}

void FileLock::Unlock()
{
    if (locked_)
        ::CloseHandle(AsHandle(native_));
    native_ = -1;
    locked_ = false;
}

UnreadableFile::UnreadableFile(const std::string& path) : path_(path), lock_(path)
{
    lock_.Lock();
}

UnreadableFile::~UnreadableFile() = default;

OrdinaryUser::OrdinaryUser() = default;
OrdinaryUser::~OrdinaryUser() = default;

SmallDisk::SmallDisk(const std::string& folder, const char*, const char*)
    : folder_(folder), why_("no file system can be mounted from a test on Windows")
{
}
SmallDisk::~SmallDisk() = default;

PipeInPlace::PipeInPlace(const std::string&)
{
    std::random_device seed;
    path_ = "\\\\.\\pipe\\kestrin-test-" + std::to_string(seed());
    const HANDLE pipe =
        ::CreateNamedPipeA(path_.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT,
                           PIPE_UNLIMITED_INSTANCES, 4096, 4096, 0, nullptr);
    native_ = reinterpret_cast<std::intptr_t>(pipe);
}

PipeInPlace::~PipeInPlace()
{
    if (AsHandle(native_) != INVALID_HANDLE_VALUE)
        ::CloseHandle(AsHandle(native_));
}

bool PipeInPlace::StillAPipe() const
{
    return AsHandle(native_) != INVALID_HANDLE_VALUE &&
           ::GetFileType(AsHandle(native_)) == FILE_TYPE_PIPE;
}

namespace
{
bool UnderWine()
{
    const HMODULE ntdll = ::GetModuleHandleA("ntdll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

void RemoveAll(const std::string& path)
{
    std::error_code ignored;
    for (auto it = std::filesystem::recursive_directory_iterator(path, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored))
        ::SetFileAttributesA(it->path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::filesystem::remove_all(path, ignored);
}
} // namespace

ExampleFolder::ExampleFolder(const std::string& temporaryFolder, const std::string& name)
    : path_(UnderWine() ? "C:\\" + name : temporaryFolder + "\\" + name)
{
    RemoveAll(path_);
}

ExampleFolder::~ExampleFolder()
{
    RemoveAll(path_);
}

void MakeFolders(const std::string& path)
{
    // Outermost first; what exists already is passed by.
    for (std::size_t at = path.find('\\', 3);; at = path.find('\\', at + 1))
    {
        ::CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
        if (at == std::string::npos)
            break;
    }
}

bool MakeFifo(const std::string&)
{
    return false;
}

bool MakeDeviceNode(const std::string&)
{
    return false;
}

std::vector<NotAFile> NotFiles()
{
    return {{"nul.txt", [](const std::string&) { return true; }, 'c'}};
}

char KindOf(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return '-';
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return 'l';
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return 'd';
    const HANDLE handle = ::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return '?';
    const DWORD type = ::GetFileType(handle);
    ::CloseHandle(handle);
    return type == FILE_TYPE_DISK ? 'f' : type == FILE_TYPE_PIPE ? 'p' : 'c';
}

unsigned FlagsOf(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ? 0 : attributes & KeptAttributes;
}

bool SetFlags(const std::string& path, unsigned flags)
{
    return ::SetFileAttributesA(path.c_str(), flags == 0 ? FILE_ATTRIBUTE_NORMAL : flags) != 0;
}

std::vector<NamedFlags> FlagsWorthKeeping()
{
    return {{"plain", 0},
            {"read-only", FILE_ATTRIBUTE_READONLY},
            {"hidden", FILE_ATTRIBUTE_HIDDEN},
            {"system and hidden", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN},
            {"read-only, hidden and system", KeptAttributes}};
}

int RunProgram(const std::string& program, const std::vector<std::string>& arguments,
               const std::string& folder, const std::string& input, const std::string& output,
               const std::string& errors)
{
    std::string commandLine = Quoted(program);
    for (const auto& argument : arguments)
        commandLine += " " + Quoted(argument);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = Inheritable(input, false);
    startup.hStdOutput = Inheritable(output, true);
    startup.hStdError = Inheritable(errors, true);
    PROCESS_INFORMATION process{};
    const BOOL started = ::CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE,
                                          0, nullptr, folder.c_str(), &startup, &process);
    for (const HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError})
        if (handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle);
    if (!started)
        return -1;
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    const BOOL known = ::GetExitCodeProcess(process.hProcess, &status);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return known ? static_cast<int>(status) : -1;
}

void SetEnvironment(const char* name, const char* value)
{
    // Both copies: the C runtime's (getenv) and the system's (GetEnvironmentVariable).
    ::_putenv_s(name, value ? value : "");
    ::SetEnvironmentVariableA(name, value);
}
} // namespace KestrinTest
