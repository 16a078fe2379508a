// SPDX-License-Identifier: MIT
#include "FileDialog.h"

#include <QFileDialog>
#include <optional>

namespace Kestrin
{
namespace
{
struct Record
{
    std::optional<QString> NextFileName;
    std::optional<QString> NextFolder;
    bool Unattended = false;
    QString LastFolder;
    QString LastFileName;
    QString LastNameFilters;
    bool LastFileMustExist = false;
};

Record& TheRecord()
{
    static Record record;
    return record;
}

std::optional<QString> Take(std::optional<QString>& next)
{
    std::optional<QString> taken;
    taken.swap(next);
    return taken;
}
} // namespace

QString FileDialog::OpenFileName(QWidget* parent, const QString& folder, const QString& fileName,
                                 const QString& nameFilters, bool fileMustExist)
{
    auto& record = TheRecord();
    record.LastFolder = folder;
    record.LastFileName = fileName;
    record.LastNameFilters = nameFilters;
    record.LastFileMustExist = fileMustExist;
    if (auto next = Take(record.NextFileName))
        return *next;
    if (record.Unattended)
        return {};

    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setDirectory(folder);
    if (!nameFilters.isEmpty())
        dialog.setNameFilters(nameFilters.split(QStringLiteral(";;")));
    if (!fileName.isEmpty())
        dialog.selectFile(fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}

QString FileDialog::ExistingFolder(QWidget* parent, const QString& folder)
{
    auto& record = TheRecord();
    record.LastFolder = folder;
    if (auto next = Take(record.NextFolder))
        return *next;
    if (record.Unattended)
        return {};

    const QString chosen = QFileDialog::getExistingDirectory(parent, QString(), folder);
    return chosen.isEmpty() ? QString() : QDir::toNativeSeparators(chosen);
}

void FileDialog::SetNextFileName(const QString& path)
{
    TheRecord().NextFileName = path;
}

void FileDialog::SetNextFolder(const QString& path)
{
    TheRecord().NextFolder = path;
}

void FileDialog::SetUnattended(bool on)
{
    TheRecord().Unattended = on;
}

QString FileDialog::LastFolder()
{
    return TheRecord().LastFolder;
}

QString FileDialog::LastFileName()
{
    return TheRecord().LastFileName;
}

QString FileDialog::LastNameFilters()
{
    return TheRecord().LastNameFilters;
}

bool FileDialog::LastFileMustExist()
{
    return TheRecord().LastFileMustExist;
}
} // namespace Kestrin
