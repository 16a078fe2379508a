// SPDX-License-Identifier: MIT
#pragma once
// A status bar of text panels addressed by key. Panels stand side by side in the order
// they were added; fixed panels take the larger of their minimum width and their text's
// width, and the one spring panel takes what is left.
#include <QString>
#include <QWidget>
#include <vector>

class QLabel;

namespace Kestrin
{
class StatusBar : public QWidget
{
    Q_OBJECT

public:
    explicit StatusBar(QWidget* parent = nullptr);

    void AddPanel(const QString& key, bool spring);
    QString PanelText(const QString& key) const;
    void SetPanelText(const QString& key, const QString& text);
    void SetPanelMinWidth(const QString& key, int pixels);
    // In the status bar's own coordinates.
    QRect PanelRect(const QString& key) const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Panel
    {
        QString Key;
        QLabel* Label;
        bool Spring;
        int MinWidth;
    };
    const Panel* Find(const QString& key) const;
    void Arrange();

    std::vector<Panel> panels_;
};
} // namespace Kestrin
