// SPDX-License-Identifier: MIT
#pragma once
// Qt values in GoogleTest's failure messages as text, not as arrays of 2-byte objects.
#include <QString>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* out)
{
    *out << '"' << s.toStdString() << '"';
}
