// SPDX-License-Identifier: MIT
#pragma once
// What the window reads from the clipboard: a copied-files list or plain text.
#include <QString>
#include <QStringList>

namespace Kestrin
{
class Clipboard
{
public:
    // Local paths of the files the clipboard holds as a file list, in order (native
    // separators); empty when it holds none.
    static QStringList FileList();
    static QString Text();
};
} // namespace Kestrin
