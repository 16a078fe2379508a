// SPDX-License-Identifier: MIT
#include "PasswordStyle.h"

namespace Ostrel
{
PasswordStyle::PasswordStyle(QChar character) : Character(character) {}

int PasswordStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                             QStyleHintReturn* returnData) const
{
    if (hint == QStyle::SH_LineEdit_PasswordCharacter)
        return Character.unicode();
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}
} // namespace Ostrel
