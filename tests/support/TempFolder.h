// SPDX-License-Identifier: MIT
#pragma once
// A fresh folder per test, removed with everything in it afterwards. Paths come out with
// the system's own separator, so "out/a.txt" names the same file on every platform.
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace KestrinTest
{
// A path written with "/" in the system's own spelling ("\" on Windows). Plain byte work:
// std::filesystem would change the bytes of a non-ASCII name on Windows.
inline std::string Native(std::string path)
{
#ifdef _WIN32
    for (auto& c : path)
        if (c == '/')
            c = '\\';
#endif
    return path;
}

// Makes the folder and its missing parents, by the path's bytes as the program opens
// files (support/posix, support/win).
void MakeFolders(const std::string& path);

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
        // Give back write permission that a test may have taken away (on Windows: clear
        // the read-only attribute), so removal succeeds.
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

    // Full path of a name ("a/b.txt") inside the folder, as bytes.
    std::string operator/(const std::string& name) const { return Folder() + Native(name); }
    std::string Path() const { return path_.string(); }
    // Path with a trailing separator, as the window keeps folders.
    std::string Folder() const
    {
        return path_.string() + static_cast<char>(std::filesystem::path::preferred_separator);
    }

    std::string Write(const std::string& name, const std::string& bytes) const
    {
        const auto full = *this / name;
        const auto slash =
            full.find_last_of(static_cast<char>(std::filesystem::path::preferred_separator));
        MakeFolders(full.substr(0, slash));
        // Opened by its bytes, as the program opens files.
        std::ofstream out(full, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return full;
    }

private:
    std::filesystem::path path_;
};

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
} // namespace KestrinTest
