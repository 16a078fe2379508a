// SPDX-License-Identifier: MIT
#pragma once
// The procedures behind the window's path fields: where a browse dialog opens, what the
// clipboard offers as a path, and whether a pasted or dropped path fits a field.
#include "common/PathText.h"

#include <QString>
#include <QStringList>
#include <string>

class QWidget;

namespace Kestrin
{
// What a path field holds, and so which paths it accepts from the clipboard or a drop.
enum class PathFieldKind
{
    File,  // an existing file (both source fields and the join target)
    Folder // an existing folder, kept with a final separator (the split target)
};

// The folder part of a path the way the dialog start folder takes it: the drive (or
// root) and the folders, up to and including the last separator; empty for a bare
// name, for a path SplitPath rejects, and for a Windows network path (no drive found).
// A path ending in the separator is all folder.
std::string DialogFolderPart(const std::string& path, PathStyle style = NativePathStyle());

// Where no usable start folder is found: "c:\" in the Windows style, the user's home
// folder in the POSIX style.
std::string DialogFallbackFolder(PathStyle style = NativePathStyle());

// The folder a browse dialog for path opens in: its folder part (defaultFolder when that
// is empty) when it is an existing folder, else the fallback folder.
std::string DialogStartFolder(const std::string& path, const std::string& defaultFolder,
                              PathStyle style = NativePathStyle());

// Fills list with the local files the clipboard holds as a file list, in order, and
// returns their number; returns 0 and leaves list untouched when it holds none.
int ClipboardFileList(QStringList& list);

// Ctrl+V (Ctrl alone) or Shift+Insert (Shift alone), as virtual-key code and Shift mask.
bool IsPasteKey(short keyCode, short shift);

// A name that does not decode into the program's texts: Windows marks the characters
// its code page cannot hold with "?", the POSIX locale decoding with U+FFFD.
bool IsUndecipherableName(const QString& path, PathStyle style = NativePathStyle());
QString UndecipherableNameText(const QString& path);
// The warning about such a name; returns when the user has closed it.
void ReportUndecipherableName(QWidget* parent, const QString& path);

// A path copied together with its quotation marks loses them; a single quotation mark
// becomes the empty text; anything else stays as it is.
QString WithoutEnclosingQuotes(const QString& entry);

// A folder path as the split target keeps it: ending in exactly the separator it had or
// one native separator added.
QString WithFinalSeparator(const QString& folder);

// The acceptance rule of a field: the path as the field is to hold it when it names an
// existing file (File) or, with a final separator, an existing folder (Folder); the
// empty text when it does not.
QString AcceptedPath(const QString& path, PathFieldKind kind);
} // namespace Kestrin
