// SPDX-License-Identifier: MIT
#include "PathFieldRules.h"

#include "Clipboard.h"
#include "LocalText.h"
#include "MessageBox.h"
#include "common/Exists.h"

#include <Ostrel/KeyCodes.h>
#include <QCoreApplication>
#include <QDir>

namespace Kestrin
{
namespace
{

// What the file system's decoding leaves for bytes the locale encoding cannot read.
constexpr char16_t ReplacementCharacter = 0xFFFD;
} // namespace

std::string DialogFolderPart(const std::string& path, PathStyle style)
{
    std::string whole = path;
    // A placeholder name makes the whole path count as folders.
    if (!whole.empty() && whole.back() == PathSeparator(style))
        whole += "-.-";
    PathParts parts;
    if (SplitPath(whole, parts, style).empty())
        return {};
    return parts.Drive + parts.Folder;
}

std::string DialogFallbackFolder(PathStyle style)
{
    if (style == PathStyle::Windows)
        return "c:\\";
    return PathBytes(QDir::homePath());
}

std::string DialogStartFolder(const std::string& path, const std::string& defaultFolder,
                              PathStyle style)
{
    std::string folder = DialogFolderPart(path, style);
    if (folder.empty())
        folder = defaultFolder;
    if (!FolderExists(folder))
        return DialogFallbackFolder(style);
    return folder;
}

int ClipboardFileList(QStringList& list)
{
    // Unlike a fixed Windows name buffer, a file URL carries the whole path: names are
    // neither cut at a length nor stripped of their own leading or trailing blanks.
    const QStringList files = Clipboard::FileList();
    if (files.isEmpty())
        return 0;
    list = files;
    return static_cast<int>(list.size());
}

bool IsPasteKey(short keyCode, short shift)
{
    using namespace Ostrel;
    return (keyCode == VirtualKey::V && shift == ShiftMask::Ctrl) ||
           (keyCode == VirtualKey::Insert && shift == ShiftMask::Shift);
}

bool IsUndecipherableName(const QString& path, PathStyle style)
{
    // Windows names files in the ANSI code page: a letter outside it has no bytes there and
    // would come back as '?'.
    if (style == PathStyle::Windows)
        return path.contains(QLatin1Char('?')) ||
               (style == NativePathStyle() && PathText(PathBytes(path)) != path);
    return path.contains(QChar(ReplacementCharacter));
}

QString UndecipherableNameText(const QString& path)
{
    return QCoreApplication::translate("Kestrin::PathFieldRules",
                                       "Undecipherable file/folder name:\r\n\r\n%1\r\n\r\n"
                                       "Rename it before opening in this application.")
        .arg(path);
}

void ReportUndecipherableName(QWidget* parent, const QString& path)
{
    MessageBox::Show(parent, UndecipherableNameText(path), MessageBox::OkExclamation);
}

QString WithoutEnclosingQuotes(const QString& entry)
{
    const QChar quote = QLatin1Char('"');
    if (entry.startsWith(quote) && entry.endsWith(quote))
        return entry.size() < 2 ? QString() : entry.mid(1, entry.size() - 2);
    return entry;
}

QString WithFinalSeparator(const QString& folder)
{
    if (folder.endsWith(QDir::separator()) || folder.endsWith(QLatin1Char('/')))
        return folder;
    return folder + QDir::separator();
}

QString AcceptedPath(const QString& path, PathFieldKind kind)
{
    // An empty entry (a pasted lone quotation mark) would become the bare separator, the
    // root folder: no one means that.
    if (path.isEmpty())
        return {};
    if (kind == PathFieldKind::File)
        return FileExists(PathBytes(path)) ? path : QString();
    const QString folder = WithFinalSeparator(path);
    return FolderExists(PathBytes(folder)) ? folder : QString();
}
} // namespace Kestrin
