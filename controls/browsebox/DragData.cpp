// SPDX-License-Identifier: MIT
#include "DragData.h"

namespace Ostrel
{
short DragData::FormatCode(const QString& mimeType)
{
    if (mimeType == QLatin1String("text/plain"))
        return 1;
    if (mimeType.startsWith(QLatin1String("image/")))
        return 2;
    if (mimeType == QLatin1String("text/uri-list"))
        return 15;
    if (mimeType == QLatin1String("text/rtf") || mimeType == QLatin1String("application/rtf"))
        return -16639;
    return 0;
}

QVariant DragData::retrieveData(const QString& mimeType, QMetaType type) const
{
    if (!Rendering && Render && hasFormat(mimeType))
    {
        Rendering = true; // reading the data below, or in the handler, comes back here
        const QVariant stored =
            QMimeData::retrieveData(mimeType, QMetaType::fromType<QByteArray>());
        if (stored.toByteArray().isEmpty())
            Render(const_cast<DragData*>(this), mimeType);
        Rendering = false;
    }
    return QMimeData::retrieveData(mimeType, type);
}
} // namespace Ostrel
