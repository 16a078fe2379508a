// SPDX-License-Identifier: MIT
#pragma once
// Lets a line edit show a password character of its own choosing instead of the style's.
#include <QProxyStyle>

namespace Ostrel
{
class PasswordStyle : public QProxyStyle
{
    Q_OBJECT

public:
    explicit PasswordStyle(QChar character);

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override;

private:
    QChar Character;
};
} // namespace Ostrel
