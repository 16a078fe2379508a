// SPDX-License-Identifier: MIT
#pragma once
// The window's invisible dialog component: file and folder dialogs driven through a
// few properties that keep their values from one use to the next.
#include <QObject>
#include <QString>

class QWidget;

namespace Kestrin
{
class AdvancedDialog : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString filename MEMBER filename)
    Q_PROPERTY(int fileflags MEMBER fileflags)
    Q_PROPERTY(QString filter MEMBER filter)
    Q_PROPERTY(QString initdir MEMBER initdir)
    Q_PROPERTY(int filterindex MEMBER filterindex)
    Q_PROPERTY(QString dialogtitle MEMBER dialogtitle)

public:
    // Open-file dialog flags with their Windows meaning; only "file must exist"
    // changes what the dialog accepts here.
    static constexpr int FlagHideReadOnly = 0x4;
    static constexpr int FlagPathMustExist = 0x800;
    static constexpr int FlagFileMustExist = 0x1000;
    static constexpr int FlagShareAware = 0x4000;

    // dialogParent: the window that owns the component and its modal dialogs.
    explicit AdvancedDialog(QWidget* dialogParent);

    // Shows the open-file dialog in initdir with filename preselected; on confirm
    // filename holds the chosen file's full path. 1 when confirmed, 0 when cancelled.
    int ShowFileDialog();
    // Shows the folder dialog in initdir; on confirm initdir holds the chosen folder.
    // 1 when confirmed, 0 when cancelled.
    int ShowFolderDialog();

    // "Description|pattern|..." pairs as Qt name filters joined by ";;". A description's
    // own "(...)" is replaced by the patterns; "*.*" matches every file on POSIX, where
    // names need no dot.
    static QString QtNameFilters(const QString& pairs);

    // The values saved with the window; the others keep those of the last use.
    QString filename;
    int fileflags = 22532;
    QString filter;
    QString initdir;
    int filterindex = 1;
    QString dialogtitle;

private:
    QWidget* dialogParent_;
};
} // namespace Kestrin
