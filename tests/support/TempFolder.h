#pragma once
// A fresh folder per test, removed with everything in it afterwards.
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <sys/stat.h>

namespace KestrinTest
{
class TempFolder
{
public:
    TempFolder()
    {
        std::random_device seed;
        const auto base = std::filesystem::temp_directory_path();
        for (;;)
        {
            path_ = base / ("kestrin-test-" + std::to_string(seed()));
            if (std::filesystem::create_directory(path_))
                break;
        }
    }
    ~TempFolder()
    {
        std::error_code ignored;
        // Give back write permission that a test may have taken away, so removal succeeds.
        for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ignored))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Full path of a name inside the folder, as bytes.
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    std::string Path() const { return path_.string(); }
    // Path with a trailing separator, as the window keeps folders.
    std::string Folder() const { return path_.string() + "/"; }

    std::string Write(const std::string& name, const std::string& bytes) const
    {
        const auto full = (path_ / name);
        std::filesystem::create_directories(full.parent_path());
        std::ofstream out(full, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return full.string();
    }

private:
    std::filesystem::path path_;
};

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Permission bits of a path (0 when it cannot be read).
inline unsigned ModeOf(const std::string& path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}
} // namespace KestrinTest
