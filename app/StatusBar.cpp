// SPDX-License-Identifier: MIT
#include "StatusBar.h"

#include <QLabel>
#include <algorithm>

namespace Kestrin
{
namespace
{
constexpr int PanelGap = 2;
}

StatusBar::StatusBar(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

void StatusBar::AddPanel(const QString& key, bool spring)
{
    auto* label = new QLabel(this);
    label->setObjectName(key);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setTextFormat(Qt::PlainText);
    label->setIndent(3);
    // A screen reader says the panel's key, in the user's language, with its text: "Total: 433".
    label->setAccessibleName(tr(key.toUtf8().constData()));
    panels_.push_back({key, label, spring, 0});
    Arrange();
}

const StatusBar::Panel* StatusBar::Find(const QString& key) const
{
    for (const auto& panel : panels_)
    {
        if (panel.Key == key)
            return &panel;
    }
    return nullptr;
}

QString StatusBar::PanelText(const QString& key) const
{
    const Panel* panel = Find(key);
    return panel ? panel->Label->text() : QString();
}

void StatusBar::SetPanelText(const QString& key, const QString& text)
{
    if (const Panel* panel = Find(key))
    {
        if (panel->Label->text() == text)
            return;
        panel->Label->setText(text);
        const QString spoken = tr(key.toUtf8().constData());
        panel->Label->setAccessibleName(
            text.isEmpty() ? spoken : tr("%1: %2", "panel name: text").arg(spoken, text));
        Arrange();
    }
}

void StatusBar::SetPanelMinWidth(const QString& key, int pixels)
{
    for (auto& panel : panels_)
    {
        if (panel.Key == key && panel.MinWidth != pixels)
        {
            panel.MinWidth = pixels;
            Arrange();
        }
    }
}

QRect StatusBar::PanelRect(const QString& key) const
{
    const Panel* panel = Find(key);
    return panel ? panel->Label->geometry() : QRect();
}

void StatusBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Arrange();
}

void StatusBar::Arrange()
{
    if (panels_.empty())
        return;
    std::vector<int> widths;
    int fixed = 0;
    int springs = 0;
    for (const auto& panel : panels_)
    {
        const int textWidth =
            panel.Label->fontMetrics().horizontalAdvance(panel.Label->text()) + 12;
        widths.push_back(panel.Spring ? 0 : std::max(panel.MinWidth, textWidth));
        fixed += widths.back();
        springs += panel.Spring ? 1 : 0;
    }
    const int gaps = PanelGap * static_cast<int>(panels_.size() + 1);
    const int spare = std::max(0, width() - fixed - gaps);
    int left = PanelGap;
    for (std::size_t i = 0; i < panels_.size(); ++i)
    {
        int w = widths[i];
        if (panels_[i].Spring)
            w = std::max(panels_[i].MinWidth, springs > 0 ? spare / springs : 0);
        panels_[i].Label->setGeometry(left, PanelGap, w, std::max(0, height() - PanelGap));
        left += w + PanelGap;
    }
}
} // namespace Kestrin
