// SPDX-License-Identifier: MIT
#pragma once
// The window's edge between Qt texts and the bytes the engine and the settings file
// work with: texts in the locale encoding, paths in the file system's encoding.
#include <QFile>
#include <QString>
#include <string>

#ifdef _WIN32
#include "common/CodePage.h"
#endif

namespace Kestrin
{
#ifdef _WIN32
// The ANSI code page as the engine converts: a letter it lacks becomes "?", never a
// best-fit look-alike (Qt's toLocal8Bit turns "\u0101.txt" into "a.txt", another file).
inline std::string LocalBytes(const QString& text)
{
    return BytesFromText(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                             static_cast<std::size_t>(text.size())));
}

inline QString FromLocalBytes(const std::string& bytes)
{
    const std::u16string text = TextFromBytes(bytes);
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// File names are in the same code page.
inline std::string PathBytes(const QString& path)
{
    return LocalBytes(path);
}

inline QString PathText(const std::string& bytes)
{
    return FromLocalBytes(bytes);
}
#else
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
#endif
} // namespace Kestrin
