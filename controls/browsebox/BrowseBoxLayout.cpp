// SPDX-License-Identifier: MIT
// BrowseBox: layout in twips, the border lines and what the first show copies.
#include "BrowseBoxPrivate.h"
#include "PictureButton.h"

#include <QLineEdit>
#include <QPainter>
#include <QResizeEvent>
#include <QShowEvent>
#include <QStyle>

namespace Ostrel
{
namespace
{
void Place(QWidget* widget, const TwipRect& r, double tppX, double tppY)
{
    widget->setGeometry(Px(r.Left, tppX), Px(r.Top, tppY), std::max(0, Px(r.Width, tppX)),
                        std::max(0, Px(r.Height, tppY)));
}
} // namespace

void BrowseBox::Private::Layout(bool resized)
{
    if (LayoutDepth >= 1)
        return;
    ++LayoutDepth;
    const double tx = TwipsPerPixelX();
    const double ty = TwipsPerPixelY();
    QLineEdit* field = TextField[0];

    LayoutInput in;
    // Only a resize by the container takes the layout's one-pixel step (W - TPPX). A property
    // set lays out at the width the control has: a form sets its properties after its
    // geometry (uic, Designer), and loading it must give back the width it saved.
    in.Width = q->width() * tx + (resized ? 0 : RoundHalfEven(tx));
    in.Height = q->height() * ty;
    in.Appearance = Appearance;
    in.VisibleLeft = VisibleLeft;
    in.VisibleRight = VisibleRight;
    in.ButtonWidth =
        ButtonWidthTwips(q->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, q), tx);
    in.TppX = tx;
    in.TppY = ty;
    // Collapsed, the field keeps the height of one line of its font: that is N.
    field->setGeometry(0, 0, 0, 0);
    in.CollapsedFieldWidth = field->width() * tx;
    in.LineHeight = field->height() * ty;

    const LayoutResult r = ComputeLayout(in);
    if (r.PlaceLeft)
        Place(ButtonBox[0], r.LeftButton, tx, ty);
    Place(field, r.Field, tx, ty);
    Place(TextFrame, r.Frame, tx, ty);
    q->resize(std::max(0, Px(r.ControlWidth, tx)), std::max(0, Px(r.ControlHeight, ty)));
    LastLayoutSize = q->size();
    if (r.PlaceRight)
        Place(ButtonBox[1], RightButtonRect(in, r.Frame, q->height() * ty), tx, ty);
    Border = BorderLines(Appearance, q->width() * tx, q->height() * ty, tx, ty);
    q->update();
    --LayoutDepth;
}

QSize BrowseBox::sizeHint() const
{
    const int a = d->Appearance;
    const int height = d->TextField[0]->minimumHeight() + 4 + 2 * (a + 1);
    return QSize(std::max(width(), 120), height);
}

QSize BrowseBox::minimumSizeHint() const
{
    return QSize(40, sizeHint().height());
}

void BrowseBox::paintEvent(QPaintEvent*)
{
    // The lines of the last layout, drawn again on every repaint so that they stay.
    QPainter painter(this);
    const double tx = d->TwipsPerPixelX();
    const double ty = d->TwipsPerPixelY();
    for (const BorderLine& line : d->Border)
    {
        const QColor color = OleColorToColor(line.Color, palette());
        const int x0 = Px(line.X0, tx);
        const int y0 = Px(line.Y0, ty);
        const int x1 = Px(line.X1, tx);
        const int y1 = Px(line.Y1, ty);
        // From the start point up to, not including, the end point.
        if (y0 == y1 && x1 != x0)
            painter.fillRect(x1 > x0 ? QRect(x0, y0, x1 - x0, 1) : QRect(x1 + 1, y0, x0 - x1, 1),
                             color);
        else if (x0 == x1 && y1 != y0)
            painter.fillRect(y1 > y0 ? QRect(x0, y0, 1, y1 - y0) : QRect(x0, y1 + 1, 1, y0 - y1),
                             color);
    }
}

void BrowseBox::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (size() != d->LastLayoutSize)
        d->Layout(true);
}

void BrowseBox::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    d->TextField[0]->setToolTip(toolTip());
    d->UpdateAccessibility();
    for (QWidget* part :
         {static_cast<QWidget*>(d->TextField[0]), static_cast<QWidget*>(d->ButtonBox[0]),
          static_cast<QWidget*>(d->ButtonBox[1])})
        part->setWhatsThis(whatsThis());
}
} // namespace Ostrel
