// SPDX-License-Identifier: MIT
#pragma once
// A path shown in a Qt widget as the bytes the file system names it by: one conversion for
// the window and for Ostrel, which both hand such paths to common/ (which has no Qt).
#include <QFile>
#include <QString>
#include <string>

#ifdef _WIN32
#include "common/CodePage.h"
#endif

namespace Kestrin
{
// Windows: the ANSI code page as the engine converts, where a letter it lacks becomes "?",
// never a best-fit look-alike (Qt's toLocal8Bit turns "\u0101.txt" into "a.txt", another
// file). Elsewhere: the file system's encoding, as Qt names files.
inline std::string PathBytes(const QString& path)
{
#ifdef _WIN32
    return BytesFromText(std::u16string_view(reinterpret_cast<const char16_t*>(path.utf16()),
                                             static_cast<std::size_t>(path.size())));
#else
    return QFile::encodeName(path).toStdString();
#endif
}
} // namespace Kestrin
