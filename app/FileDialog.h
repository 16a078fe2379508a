// SPDX-License-Identifier: MIT
#pragma once
// The program's open-file and folder dialogs. Tests queue the chosen path (an empty
// one cancels), or let unanswered dialogs cancel, so no modal loop ever blocks them.
#include <QString>

class QWidget;

namespace Kestrin
{
class FileDialog
{
public:
    // The chosen file's full path, or the empty text when cancelled.
    static QString OpenFileName(QWidget* parent, const QString& folder, const QString& fileName,
                                const QString& nameFilters, bool fileMustExist);
    // The chosen folder, or the empty text when cancelled.
    static QString ExistingFolder(QWidget* parent, const QString& folder);

    // Test hooks.
    static void SetNextFileName(const QString& path);
    static void SetNextFolder(const QString& path);
    static void SetUnattended(bool on);
    static QString LastFolder();      // where the last dialog was to open
    static QString LastFileName();    // the file name the last file dialog preselected
    static QString LastNameFilters(); // the filters the last file dialog offered
    static bool LastFileMustExist();
};
} // namespace Kestrin
