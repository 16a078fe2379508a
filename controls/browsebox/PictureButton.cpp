// SPDX-License-Identifier: MIT
#include "PictureButton.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace Ostrel
{
PictureButton::PictureButton(QWidget* parent) : QPushButton(parent) {}

void PictureButton::SetPicture(const QPixmap& picture)
{
    PictureValue = picture;
    update();
}

QSize PictureButton::sizeHint() const
{
    return QSize(16, 16);
}

void PictureButton::mousePressEvent(QMouseEvent* event)
{
    QPushButton::mousePressEvent(event);
    event->accept();
}

void PictureButton::mouseMoveEvent(QMouseEvent* event)
{
    QPushButton::mouseMoveEvent(event);
    event->accept();
}

void PictureButton::mouseReleaseEvent(QMouseEvent* event)
{
    QPushButton::mouseReleaseEvent(event);
    event->accept();
}

void PictureButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButtonBevel, option);
    if (PictureValue.isNull())
        return;

    QPixmap shown = PictureValue;
    if (!isEnabled())
        shown = style()->generatedIconPixmap(QIcon::Disabled, PictureValue, &option);
    // Centred in whole pixels, the odd pixel of a larger picture falling to the right and
    // bottom, as a graphical button places its picture.
    const QSize size = shown.deviceIndependentSize().toSize();
    QPoint topLeft((width() - size.width()) / 2, (height() - size.height()) / 2);
    if (isDown())
        topLeft += QPoint(1, 1);
    painter.setClipRect(rect().adjusted(1, 1, -1, -1));
    painter.drawPixmap(topLeft, shown);
}
} // namespace Ostrel
