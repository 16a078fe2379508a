// SPDX-License-Identifier: MIT
#include "common/PathText.h"

#include <gtest/gtest.h>

using namespace Kestrin;

TEST(SplitPath, BreaksUpPathsInBothStyles)
{
    struct Case
    {
        PathStyle style;
        std::string path;
        bool accepted;
        PathParts parts;
    } cases[] = {
        {PathStyle::Windows,
         R"(C:\data\in\notes.txt)",
         true,
         {R"(C:\)", R"(data\in\)", "notes.txt", ".txt"}},
        {PathStyle::Windows, R"(C:\notes.txt)", true, {R"(C:\)", "", "notes.txt", ".txt"}},
        {PathStyle::Windows,
         R"(data\archive.tar.gz)",
         true,
         {"", R"(data\)", "archive.tar.gz", ".gz"}},
        {PathStyle::Windows, R"(C:\x\name.txt  )", true, {R"(C:\)", R"(x\)", "name.txt  ", ".txt"}},
        {PathStyle::Windows, R"(C:\x\README)", true, {R"(C:\)", R"(x\)", "README", ""}},
        {PathStyle::Windows, R"(C:\x\)", true, {R"(C:\)", R"(x\)", "", ""}},
        {PathStyle::Windows, R"(C:\a?b.txt)", false, {}},
        {PathStyle::Windows, R"(C:\a*.txt)", false, {}},
        {PathStyle::Windows, R"(C:\a/b.txt)", false, {}},
        {PathStyle::Windows, R"(C:\a\b:c)", false, {}},
        {PathStyle::Windows, "", false, {}},
        {PathStyle::Posix, "/data/in/notes.txt", true, {"/", "data/in/", "notes.txt", ".txt"}},
        {PathStyle::Posix, "notes.txt", true, {"", "", "notes.txt", ".txt"}},
        {PathStyle::Posix, "out/a b \"q\" ?.txt", true, {"", "out/", "a b \"q\" ?.txt", ".txt"}},
        {PathStyle::Posix, "/srv/Makefile", true, {"/", "srv/", "Makefile", ""}},
        {PathStyle::Posix, std::string("/a\0b", 4), false, {}},
        // Repeated separators count as one.
        {PathStyle::Posix, "/abs/t4//b/list.txt", true, {"/", "abs/t4/b/", "list.txt", ".txt"}},
        {PathStyle::Posix, "//srv///x.txt", true, {"/", "srv/", "x.txt", ".txt"}},
        {PathStyle::Posix, "out//a.b", true, {"", "out/", "a.b", ".b"}},
        {PathStyle::Posix, "/out//", true, {"/", "out/", "", ""}},
    };
    for (const auto& c : cases)
    {
        PathParts parts{"unchanged", "unchanged", "unchanged", "unchanged"};
        const auto result = SplitPath(c.path, parts, c.style);
        if (!c.accepted)
        {
            EXPECT_EQ(result, "") << c.path;
            EXPECT_EQ(parts.Drive, "unchanged") << c.path;
            EXPECT_EQ(parts.Name, "unchanged") << c.path;
            continue;
        }
        EXPECT_EQ(result, c.path);
        EXPECT_EQ(parts.Drive, c.parts.Drive) << c.path;
        EXPECT_EQ(parts.Folder, c.parts.Folder) << c.path;
        EXPECT_EQ(parts.Name, c.parts.Name) << c.path;
        EXPECT_EQ(parts.Extension, c.parts.Extension) << c.path;
        // The program's own calls leave the style to the system it runs on.
        PathParts native;
        if (c.style == NativePathStyle())
        {
            EXPECT_EQ(SplitPath(c.path, native), c.path);
            EXPECT_EQ(native.Folder, c.parts.Folder) << c.path;
        }
    }
}

TEST(PathText, BaseNamesFoldersAndTheirSeparators)
{
    EXPECT_EQ(BaseName("archive.tar.gz"), "archive.tar");
    EXPECT_EQ(BaseName("notes.txt"), "notes");
    EXPECT_EQ(BaseName("Makefile"), "Makefile");

    EXPECT_EQ(FolderWithSeparator(R"(C:\out)", PathStyle::Windows), R"(C:\out\)");
    EXPECT_EQ(FolderWithSeparator(R"(C:\out\)", PathStyle::Windows), R"(C:\out\)");
    EXPECT_EQ(FolderWithSeparator("/tmp/out", PathStyle::Posix), "/tmp/out/");
    EXPECT_EQ(FolderWithSeparator("", PathStyle::Posix), "");

    EXPECT_EQ(FolderPart(R"(C:\new\deep\file.txt)", PathStyle::Windows), R"(C:\new\deep\)");
    EXPECT_EQ(FolderPart("file.txt", PathStyle::Posix), "");

    EXPECT_TRUE(IsAbsolutePath(R"(C:\x)", PathStyle::Windows));
    EXPECT_FALSE(IsAbsolutePath(R"(\\server\x)", PathStyle::Windows));
    EXPECT_TRUE(IsAbsolutePath("/x", PathStyle::Posix));
    EXPECT_FALSE(IsAbsolutePath("x/y", PathStyle::Posix));
}

TEST(PathText, FolderPathStepsWalkFromTheOutside)
{
    using Steps = std::vector<std::string>;
    EXPECT_EQ(FolderPathSteps(R"(C:\new\deep\)", PathStyle::Windows),
              (Steps{R"(C:\new)", R"(C:\new\deep)"}));
    // Windows style stops at the first empty component.
    EXPECT_EQ(FolderPathSteps(R"(C:\a\\b\)", PathStyle::Windows), (Steps{R"(C:\a)"}));
    // Relative folders, as the command line takes them, start with their first component.
    EXPECT_EQ(FolderPathSteps(R"(out\)", PathStyle::Windows), (Steps{"out"}));
    EXPECT_EQ(FolderPathSteps(R"(blocker\sub)", PathStyle::Windows),
              (Steps{"blocker", R"(blocker\sub)"}));
    EXPECT_EQ(FolderPathSteps(R"(\\server\share\)", PathStyle::Windows), Steps{});
    EXPECT_EQ(FolderPathSteps("/srv/a//b/", PathStyle::Posix),
              (Steps{"/srv", "/srv/a", "/srv/a/b"}));
    EXPECT_EQ(FolderPathSteps("rel/sub", PathStyle::Posix), (Steps{"rel", "rel/sub"}));
    EXPECT_EQ(FolderPathSteps("", PathStyle::Posix), Steps{});
}
