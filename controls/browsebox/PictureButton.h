// SPDX-License-Identifier: MIT
#pragma once
// A graphical push button: its picture is drawn at its own size, centred and clipped by the
// button, shifted by a pixel while pressed and greyed while disabled. A small button shows
// the middle of a large picture instead of a blurred reduction.
#include <QPixmap>
#include <QPushButton>

namespace Ostrel
{
class PictureButton : public QPushButton
{
    Q_OBJECT

public:
    explicit PictureButton(QWidget* parent = nullptr);

    QPixmap Picture() const { return PictureValue; }
    void SetPicture(const QPixmap& picture);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    // The control raises a button's mouse events itself (it watches the button); one the
    // button ignored would reach the control's surface and be raised a second time.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPixmap PictureValue;
};
} // namespace Ostrel
