// SPDX-License-Identifier: MIT
#include "AdvancedDialog.h"

#include "FileDialog.h"

#include <QRegularExpression>
#include <QStringList>
#include <QWidget>

namespace Kestrin
{
AdvancedDialog::AdvancedDialog(QWidget* dialogParent)
    : QObject(dialogParent), dialogParent_(dialogParent)
{
    setObjectName(QStringLiteral("ucCorvane"));
}

int AdvancedDialog::ShowFileDialog()
{
    const QString chosen =
        FileDialog::OpenFileName(dialogParent_, initdir, filename, QtNameFilters(filter),
                                 (fileflags & FlagFileMustExist) != 0);
    if (chosen.isEmpty())
        return 0;
    filename = chosen;
    return 1;
}

int AdvancedDialog::ShowFolderDialog()
{
    const QString chosen = FileDialog::ExistingFolder(dialogParent_, initdir);
    if (chosen.isEmpty())
        return 0;
    initdir = chosen;
    return 1;
}

QString AdvancedDialog::QtNameFilters(const QString& pairs)
{
    const QStringList parts = pairs.split(QLatin1Char('|'));
    QStringList filters;
    static const QRegularExpression ownPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    for (int i = 0; i + 1 < parts.size(); i += 2)
    {
        QString description = parts[i];
        description.remove(ownPatterns);
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        if (patterns.isEmpty())
            continue;
#ifndef Q_OS_WIN
        for (QString& pattern : patterns)
        {
            if (pattern.trimmed() == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        }
#endif
        filters << QStringLiteral("%1 (%2)").arg(description.trimmed(), patterns.join(u' '));
    }
    return filters.join(QStringLiteral(";;"));
}
} // namespace Kestrin
