// SPDX-License-Identifier: MIT
// The registry layer over a hive file of our own (see RegistryHive.h). Same contract as the
// Windows registry: reads give the default on any failure, writes compare first and report a
// non-zero code when they fail, and nothing is ever shown to the user.
#include "RegistryHive.h"
#include "common/ConfigFolders.h"
#include "common/FileError.h"
#include "common/FileReplacement.h"
#include "common/ProfileDocument.h"
#include "common/Registration.h"
#include "common/Version.h"

#include <cerrno>
#include <exception>
#include <filesystem>

namespace Kestrin
{
namespace
{
constexpr const char* HiveFileName = "HKEY_LOCAL_MACHINE.ini";

std::string& SystemFolderOverride()
{
    static std::string folder;
    return folder;
}

std::string& UserFolderOverride()
{
    static std::string folder;
    return folder;
}

std::string SystemFolder()
{
    const auto& folder = SystemFolderOverride();
    return folder.empty() ? MachineStateFolder : folder;
}

std::string UserFolder()
{
    const auto& folder = UserFolderOverride();
    return folder.empty() ? UserConfigFolder() : folder;
}

std::string ValueLabel(const std::string& valueName)
{
    return valueName.empty() ? "@" : valueName;
}

long NonZero(int code)
{
    return code != 0 ? code : EIO;
}
} // namespace

std::string RegistryHivePath()
{
    // The machine-wide folder is the package's: used where it exists, never made here.
    const auto system = SystemFolder();
    std::error_code error;
    if (std::filesystem::is_directory(system, error) && FolderIsWritable(system))
        return system + "/" + HiveFileName;
    const auto user = UserFolder();
    if (!user.empty() && FolderIsWritable(user))
        return user + "/" + HiveFileName;
    // Nothing can be written; reads still see what the machine-wide hive holds.
    return system + "/" + HiveFileName;
}

void SetRegistryFolders(const std::string& systemFolder, const std::string& userFolder)
{
    SystemFolderOverride() = systemFolder;
    UserFolderOverride() = userFolder;
}

bool IsWow64()
{
    return false;
}

std::string RegReadString(const std::string& subKey, const std::string& valueName,
                          const std::string& defaultText)
{
    try
    {
        std::string bytes;
        if (ReadProfileBytes(RegistryHivePath(), bytes) != ProfileFileState::Read)
            return defaultText;
        const auto value = ProfileDocument(bytes, "\n").Value(subKey, ValueLabel(valueName));
        return value ? *value : defaultText;
    }
    catch (const std::exception&)
    {
        return defaultText;
    }
}

long RegWriteString(const std::string& subKey, const std::string& valueName,
                    const std::string& text)
{
    if (RegReadString(subKey, valueName) == text)
        return 0;
    try
    {
        const auto path = RegistryHivePath();
        std::error_code error;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
        if (error)
            return NonZero(error.value());
        std::string bytes;
        const ProfileFileState state = ReadProfileBytes(path, bytes);
        if (state == ProfileFileState::Unreadable)
            return EACCES;
        if (state == ProfileFileState::TooLarge) // kept as it is, not replaced
            return EFBIG;
        ProfileDocument hive(bytes, "\n");
        if (!hive.SetValue(subKey, ValueLabel(valueName), "\"" + text + "\""))
            return EINVAL;
        ReplaceFileBytes(path, hive.Bytes());
        return 0;
    }
    catch (const FileError& error)
    {
        return NonZero(error.Number());
    }
    catch (const std::exception&)
    {
        return EIO;
    }
}
} // namespace Kestrin
