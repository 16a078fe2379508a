// SPDX-License-Identifier: MIT
#include "Clipboard.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

namespace Kestrin
{
QStringList Clipboard::FileList()
{
    QStringList paths;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data == nullptr || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls())
    {
        if (url.isLocalFile())
            paths << QDir::toNativeSeparators(url.toLocalFile());
    }
    return paths;
}

QString Clipboard::Text()
{
    return QGuiApplication::clipboard()->text();
}
} // namespace Kestrin
