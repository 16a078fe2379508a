// SPDX-License-Identifier: MIT
#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace Kestrin
{
void InstallTranslations(const QLocale& locale)
{
    QCoreApplication* application = QCoreApplication::instance();
    // Qt's from its own translations folder (Debian: qt6-translations-l10n); on Windows the
    // zip and the installer put them into translations/ beside the program.
    auto* qt = new QTranslator(application);
    for (const QString& folder :
         {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
          QCoreApplication::applicationDirPath() + QStringLiteral("/translations")})
    {
        if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), folder))
        {
            QCoreApplication::installTranslator(qt);
            break;
        }
    }
    // The window's and Ostrel's, built into the program.
    auto* own = new QTranslator(application);
    if (own->load(locale, QStringLiteral("kestrin"), QStringLiteral("_"), QStringLiteral(":/i18n")))
        QCoreApplication::installTranslator(own);
}
} // namespace Kestrin
