// SPDX-License-Identifier: MIT
#include "TabControl.h"

#include <QRegularExpression>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>
#include <QTabBar>

namespace Kestrin
{
TabControl::TabControl(QWidget* parent) : QWidget(parent), bar_(new QTabBar(this))
{
    bar_->setObjectName(QStringLiteral("TabBar"));
    bar_->setDrawBase(false);
    bar_->setExpanding(false);
    bar_->setUsesScrollButtons(false);
    setFocusProxy(bar_);
    setFocusPolicy(Qt::TabFocus);
    connect(bar_, &QTabBar::currentChanged, this, &TabControl::OnCurrentChanged);
}

int TabControl::AddTab(const QString& caption)
{
    const QSignalBlocker quiet(bar_); // the first tab becoming current is no switch
    const int index = bar_->addTab(caption);
    current_ = bar_->currentIndex();
    bar_->resize(width(), bar_->sizeHint().height());
    UpdateAccessibleName();
    return index;
}

int TabControl::Tabs() const
{
    return bar_->count();
}

QString TabControl::TabCaption(int index) const
{
    return bar_->tabText(index);
}

void TabControl::SetTab(int index)
{
    bar_->setCurrentIndex(index);
}

int TabControl::TabHeight() const
{
    return bar_->sizeHint().height();
}

void TabControl::OnCurrentChanged(int index)
{
    if (index < 0 || index == current_)
        return;
    const int previous = current_;
    current_ = index;
    UpdateAccessibleName();
    update();
    Q_EMIT Click(previous);
}

// The page a screen reader enters is named after the tab shown, without its access key.
void TabControl::UpdateAccessibleName()
{
    QString caption = bar_->tabText(current_);
    caption.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    setAccessibleName(caption);
}

void TabControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    bar_->setGeometry(0, 0, width(), TabHeight());
}

void TabControl::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    const int overlap = style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, this);
    frame.rect = rect().adjusted(0, TabHeight() - overlap, 0, 0);
    frame.shape = QTabBar::RoundedNorth;
    frame.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    frame.tabBarSize = bar_->size();
    frame.tabBarRect = bar_->geometry();
    frame.selectedTabRect = bar_->tabRect(current_).translated(bar_->pos());
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, frame);
}
} // namespace Kestrin
