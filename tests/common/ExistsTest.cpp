#include "Exists.h"

#include "../support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace Kestrin;

TEST(Exists, TellsFilesFoldersLinksAndNothingApart)
{
    KestrinTest::TempFolder temp;
    const auto file = temp.Write("a file.txt", "x");
    std::filesystem::create_directory(temp / "folder");
    std::filesystem::create_symlink(file, temp / "link to file");
    std::filesystem::create_symlink(temp / "gone", temp / "dangling");

    struct Case
    {
        std::string path;
        bool file;
        bool folder;
    } cases[] = {
        {"", false, false},
        {file, true, false},
        {temp / "folder", false, true},
        {temp.Folder() + "folder/", false, true},
        {temp / "link to file", true, false},
        {temp / "dangling", false, false},
        {temp / "missing", false, false},
        {file + "/below a file", false, false},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(FileExists(c.path), c.file) << c.path;
        EXPECT_EQ(FolderExists(c.path), c.folder) << c.path;
    }
}
