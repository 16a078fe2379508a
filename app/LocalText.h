// SPDX-License-Identifier: MIT
#pragma once
// The window's edge between Qt texts and the bytes the engine and the settings file
// work with: texts in the locale encoding, paths in the file system's encoding.
#include <QFile>
#include <QString>
#include <string>

namespace Kestrin
{
inline std::string LocalBytes(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}

inline QString FromLocalBytes(const std::string& bytes)
{
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

inline std::string PathBytes(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

inline QString PathText(const std::string& bytes)
{
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}
} // namespace Kestrin
