// SPDX-License-Identifier: MIT
#pragma once
// Lists of ASCII names for the tables of the tests, which are built, like everything of
// ours, without Qt's implicit conversion from 8-bit strings.
#include <QString>
#include <QStringList>
#include <initializer_list>

inline QStringList Latin1List(std::initializer_list<const char*> texts)
{
    QStringList list;
    for (const char* text : texts)
        list << QString::fromLatin1(text);
    return list;
}
