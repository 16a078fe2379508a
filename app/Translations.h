// SPDX-License-Identifier: MIT
#pragma once
// The window in the user's language: Qt's own texts (the message boxes' buttons, the file
// dialogs) and the window's and Ostrel's texts, where a translation for the locale exists.
// English, the source language, needs none.
#include <QLocale>

namespace Kestrin
{
void InstallTranslations(const QLocale& locale);
} // namespace Kestrin
