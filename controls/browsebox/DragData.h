// SPDX-License-Identifier: MIT
#pragma once
// The data of a drag that starts in the text field. A format put in with empty data is
// offered but rendered late: when a drop target asks for it, Render is called first (the
// control raises OLESetData from it) so the container can fill it in.
#include <QMimeData>
#include <functional>

namespace Ostrel
{
class DragData : public QMimeData
{
    Q_OBJECT

public:
    std::function<void(DragData* data, const QString& mimeType)> Render;

    // The format code a container knows: 1 text, 2 bitmap, 15 file list, -16639 rich
    // text; 0 for any other.
    static short FormatCode(const QString& mimeType);

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    mutable bool Rendering = false;
};
} // namespace Ostrel
