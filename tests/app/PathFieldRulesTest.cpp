// SPDX-License-Identifier: MIT
#include "app/PathFieldRules.h"

#include "app/LocalText.h"
#include "tests/support/QtPrint.h"
#include "tests/support/TempFolder.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#ifdef _WIN32
// DROPFILES (shlobj.h) needs windows.h first.
// clang-format off
#include <windows.h>
#include <shlobj.h>
// clang-format on
#endif

using namespace Kestrin;
using KestrinTest::TempFolder;

namespace
{
struct FolderPartCase
{
    PathStyle Style;
    const char* Path;
    const char* Expected;
};

void SetClipboardUrls(const QStringList& paths)
{
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    QGuiApplication::clipboard()->setMimeData(data);
}
} // namespace

TEST(PathFieldRules, DialogFolderPartInBothStyles)
{
    const FolderPartCase cases[] = {
        {PathStyle::Windows, "C:\\data\\in\\notes.txt", "C:\\data\\in\\"},
        {PathStyle::Windows, "C:\\data\\in\\", "C:\\data\\in\\"}, // all folder
        {PathStyle::Windows, "C:\\notes.txt", "C:\\"},
        {PathStyle::Windows, "data\\in\\notes.txt", "data\\in\\"},
        {PathStyle::Windows, "notes.txt", ""},
        {PathStyle::Windows, "\\\\server\\share\\notes.txt", ""}, // network: no drive
        {PathStyle::Windows, "\\data\\notes.txt", ""},
        {PathStyle::Windows, "C:\\da?ta\\notes.txt", ""}, // rejected by SplitPath
        {PathStyle::Windows, "C:\\data/in\\notes.txt", ""},
        {PathStyle::Windows, "", ""},
        {PathStyle::Posix, "/srv/data/notes.txt", "/srv/data/"},
        {PathStyle::Posix, "/srv/data/", "/srv/data/"},
        {PathStyle::Posix, "/", "/"},
        {PathStyle::Posix, "/notes.txt", "/"},
        {PathStyle::Posix, "data/notes.txt", "data/"},
        {PathStyle::Posix, "notes.txt", ""},
        {PathStyle::Posix, "//server/share/notes.txt", "/server/share/"}, // "//" is "/"
        {PathStyle::Posix, "/srv/da?ta|x/notes.txt", "/srv/da?ta|x/"},    // legal POSIX names
    };
    for (const auto& c : cases)
        EXPECT_EQ(DialogFolderPart(c.Path, c.Style), c.Expected) << c.Path;
}

TEST(PathFieldRules, DialogStartFolderFallsBackWhenTheFolderIsGone)
{
    TempFolder temp;
    const std::string file = temp.Write("in/notes.txt", "x");
    const std::string in = temp / "in/";
    const std::string gone = temp / "gone/notes.txt";
    // Where a dialog opens when the folder is not there: Windows' first drive, else home.
#ifdef _WIN32
    const std::string home = "c:\\";
#else
    const std::string home = PathBytes(QDir::homePath());
#endif
    struct Case
    {
        std::string Path;
        std::string Default;
        std::string Expected;
    } cases[] = {
        {file, "", in},
        {in, "", in},
        {temp / "in/missing.txt", "", in}, // only the folder must exist
        {gone, "", home},
        {gone, temp.Folder(), home}, // the default stands in only for an empty folder part
        {"", "", home},
        {"", temp.Folder(), temp.Folder()},
        {"notes.txt", temp / "gone", home},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DialogStartFolder(c.Path, c.Default), c.Expected) << c.Path;

    // The Windows fallback, for a network path and for a folder that is not there.
    EXPECT_EQ(DialogStartFolder("\\\\server\\share\\notes.txt", "", PathStyle::Windows), "c:\\");
    EXPECT_EQ(DialogStartFolder("C:\\gone\\notes.txt", "", PathStyle::Windows), "c:\\");
}

TEST(PathFieldRules, QuotesAreRemovedOnlyInPairs)
{
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("\"/a b/c.txt\""), QStringLiteral("/a b/c.txt")},
        {QStringLiteral("\"/a/c.txt"), QStringLiteral("\"/a/c.txt")},
        {QStringLiteral("/a/c.txt\""), QStringLiteral("/a/c.txt\"")},
        {QStringLiteral("\""), QString()},
        {QStringLiteral("\"\""), QString()},
        {QStringLiteral("\"\"x\"\""), QStringLiteral("\"x\"")}, // one pair only
        {QStringLiteral("/a/\"q\".txt"), QStringLiteral("/a/\"q\".txt")},
    };
    for (const auto& [entry, expected] : cases)
        EXPECT_EQ(WithoutEnclosingQuotes(entry), expected) << entry.toStdString();
}

TEST(PathFieldRules, AcceptanceRulesOfFileAndFolderFields)
{
    TempFolder temp;
    const QString file = PathText(temp.Write("d/notes.txt", "x"));
    const QString folder = PathText(temp / "d");
    const QString missing = PathText(temp / "d/missing.txt");
    struct Case
    {
        QString Path;
        PathFieldKind Kind;
        QString Expected;
    } cases[] = {
        {file, PathFieldKind::File, file},
        {folder, PathFieldKind::File, QString()},
        {folder + QDir::separator(), PathFieldKind::File, QString()},
        {missing, PathFieldKind::File, QString()},
        {QString(), PathFieldKind::File, QString()},
        {folder, PathFieldKind::Folder, folder + QDir::separator()},
        {folder + QDir::separator(), PathFieldKind::Folder,
         folder + QDir::separator()},             // never a second separator
        {file, PathFieldKind::Folder, QString()}, // "notes.txt/" is no folder
        {missing, PathFieldKind::Folder, QString()},
        {QString(), PathFieldKind::Folder, QString()}, // not the root folder
    };
    for (const auto& c : cases)
        EXPECT_EQ(AcceptedPath(c.Path, c.Kind), c.Expected) << c.Path.toStdString();
}

TEST(PathFieldRules, PasteKeysAreCtrlVAndShiftInsertAlone)
{
    struct Case
    {
        short Key;
        short Shift;
        bool Paste;
    } cases[] = {
        {86, 2, true},  {45, 1, true},  {86, 3, false}, {86, 6, false}, {86, 0, false},
        {45, 2, false}, {45, 3, false}, {45, 0, false}, {46, 1, false}, {67, 2, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsPasteKey(c.Key, c.Shift), c.Paste) << c.Key << "/" << c.Shift;
}

TEST(PathFieldRules, UndecipherableNames)
{
    const QString replaced = QStringLiteral("/tmp/a") + QChar(0xFFFD) + QStringLiteral("b.txt");
    EXPECT_TRUE(IsUndecipherableName(replaced, PathStyle::Posix));
    EXPECT_FALSE(IsUndecipherableName(QStringLiteral("/tmp/what?.txt"), PathStyle::Posix));
    EXPECT_TRUE(IsUndecipherableName(QStringLiteral("C:\\a?b.txt"), PathStyle::Windows));
#ifdef _WIN32
    // A letter outside the ANSI code page has no bytes in a file name.
    EXPECT_TRUE(IsUndecipherableName(QStringLiteral("C:\\a\u0416b.txt"), PathStyle::Windows));
    EXPECT_FALSE(IsUndecipherableName(QStringLiteral("C:\\ab.txt"), PathStyle::Windows));
    // No best-fit look-alike at the window's edge either: "\u0101" as "a" would name another
    // file. The code page's own letters keep their bytes.
    EXPECT_EQ(PathBytes(QStringLiteral("C:\\x\\\u0101.txt")), "C:\\x\\?.txt");
    EXPECT_EQ(LocalBytes(QStringLiteral("\u0101#")), "?#");
    EXPECT_EQ(PathText(PathBytes(QStringLiteral("C:\\\u00e9t\u00e9.txt"))),
              QStringLiteral("C:\\\u00e9t\u00e9.txt"));
#else
    // Bytes the locale cannot decode arrive as U+FFFD, from a name or from a file URL.
    EXPECT_TRUE(IsUndecipherableName(PathText("/tmp/a\xff"
                                              "b.txt"),
                                     PathStyle::Posix));
    EXPECT_TRUE(IsUndecipherableName(QUrl::fromEncoded("file:///tmp/a%FFb.txt").toLocalFile(),
                                     PathStyle::Posix));
#endif

    EXPECT_EQ(UndecipherableNameText(QStringLiteral("/x/y")),
              QStringLiteral("Undecipherable file/folder name:\r\n\r\n/x/y\r\n\r\n"
                             "Rename it before opening in this application."));
}

TEST(PathFieldRules, ClipboardFileListTakesLocalFilesInOrder)
{
    QStringList list{QStringLiteral("untouched")};

    QGuiApplication::clipboard()->setText(QStringLiteral("/tmp/some text"));
    EXPECT_EQ(ClipboardFileList(list), 0);
    EXPECT_EQ(list, QStringList{QStringLiteral("untouched")});

    auto* web = new QMimeData;
    web->setUrls({QUrl(QStringLiteral("https://example.org/a.txt"))});
    QGuiApplication::clipboard()->setMimeData(web);
    EXPECT_EQ(ClipboardFileList(list), 0);
    EXPECT_EQ(list, QStringList{QStringLiteral("untouched")});

    // Names keep their own blanks, and a long path is not cut; they come in the system's
    // own spelling.
    const QString base = QDir::toNativeSeparators(QDir::tempPath()) + QDir::separator();
    const QString longName = base + QString(300, QLatin1Char('n'));
    const QStringList files{base + QStringLiteral("b file .txt"), base + QStringLiteral("a.txt"),
                            longName};
    SetClipboardUrls(files);
    EXPECT_EQ(ClipboardFileList(list), 3);
    EXPECT_EQ(list, files);
}

#ifdef _WIN32
// Files copied in Explorer: a CF_HDROP list of wide names on the system clipboard, as the
// shell puts it there. Only the windows platform reads the system clipboard (the offscreen
// one keeps its own); CTest runs this case once more on it.
TEST(PathFieldRules, FilesCopiedInExplorerArriveAsAFileList)
{
    if (QGuiApplication::platformName() != QLatin1String("windows"))
        GTEST_SKIP() << "the system clipboard is read on the windows platform only, not on "
                     << QGuiApplication::platformName().toStdString();
    TempFolder temp;
    const QStringList files{PathText(temp.Write("b file .txt", "b")),
                            PathText(temp.Write("a.txt", "a"))};
    std::wstring names;
    for (const QString& file : files)
        names += file.toStdWString() + L'\0';
    names += L'\0';
    const SIZE_T size = sizeof(DROPFILES) + names.size() * sizeof(wchar_t);
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    ASSERT_NE(block, nullptr);
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(drop + 1, names.data(), names.size() * sizeof(wchar_t));
    ::GlobalUnlock(block);
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    const bool set = ::SetClipboardData(CF_HDROP, block) != nullptr;
    ::CloseClipboard();
    ASSERT_TRUE(set);

    QStringList list;
    EXPECT_EQ(ClipboardFileList(list), 2);
    EXPECT_EQ(list, files);
}
#endif
