// SPDX-License-Identifier: MIT
#include "common/Exists.h"

#include "tests/support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace Kestrin;

TEST(Exists, TellsFilesFoldersLinksAndNothingApart)
{
    KestrinTest::TempFolder temp;
    const auto file = temp.Write("a file.txt", "x");
    std::filesystem::create_directory(temp / "folder");
    // Wine (and Windows without the privilege) makes no symbolic links: then the links
    // are missing paths, which the table expects of "dangling" anyway.
    std::error_code noLinks;
    std::filesystem::create_symlink(file, temp / "link to file", noLinks);
    std::filesystem::create_symlink(temp / "gone", temp / "dangling", noLinks);
    const bool links = !noLinks;
    // A byte that is a character of its own only in the system's code page (the euro sign
    // in Windows-1252); names are bytes here as everywhere in the program.
    const auto codePageName = temp.Write("price \x80.txt", "x");

    struct Case
    {
        std::string path;
        bool file;
        bool folder;
    } cases[] = {
        {"", false, false},
        {file, true, false},
        {codePageName, true, false},
        {temp / "folder", false, true},
        {temp / "folder/", false, true},
        {temp / "link to file", links, false},
        {temp / "dangling", false, false},
        {temp / "missing", false, false},
        {KestrinTest::Native(file + "/below a file"), false, false},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(FileExists(c.path), c.file) << c.path;
        EXPECT_EQ(FolderExists(c.path), c.folder) << c.path;
    }
}
