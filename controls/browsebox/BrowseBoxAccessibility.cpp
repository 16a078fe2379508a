// SPDX-License-Identifier: MIT
// BrowseBox for assistive technology: the parts named after the control's label, whatever
// form holds it, so that a screen reader says "Source File" in the field and "Browse for
// Source File" on the button; a shown message is the field's description, and the
// keyboard's way to the right button (Alt+Down, Alt+Up) is told in its description and
// tool tip.
#include "BrowseBoxPrivate.h"
#include "PictureButton.h"

#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolTip>

namespace Ostrel
{
namespace
{
// A caption as a reader says it: without the access key's '&' ("&&" is one '&') and without
// a closing ':' or "...".
QString Spoken(const QString& caption)
{
    QString text;
    for (qsizetype i = 0; i < caption.size(); ++i)
    {
        if (caption.at(i) == u'&')
        {
            if (i + 1 < caption.size() && caption.at(i + 1) == u'&')
                text += caption.at(++i);
            continue;
        }
        text += caption.at(i);
    }
    text = text.trimmed();
    while (text.endsWith(u':') || text.endsWith(u'.'))
        text.chop(1);
    return text.trimmed();
}
} // namespace

QString BrowseBox::Private::AccessibleLabel() const
{
    if (!q->accessibleName().isEmpty())
        return Spoken(q->accessibleName());
    for (const QLabel* label : q->window()->findChildren<QLabel*>())
        if (label->buddy() == q)
            return Spoken(label->text());
    return QString();
}

QString BrowseBox::Private::KeyboardHint()
{
    return BrowseBox::tr("Alt+Down or Alt+Up in the field");
}

void BrowseBox::Private::UpdateAccessibility()
{
    const QString name = AccessibleLabel();
    const QString message = TextField[1]->isHidden() ? QString() : TextField[1]->text();
    for (QLineEdit* field : TextField)
    {
        field->setAccessibleName(name);
        field->setAccessibleDescription(message);
    }
    TextFrame->setAccessibleName(name);
    for (int i = 0; i < 2; ++i)
    {
        PictureButton* button = ButtonBox[i];
        const QString tip = button->toolTip();
        QString action = Spoken(tip);
        if (action.isEmpty())
            action = i == 1 ? BrowseBox::tr("Browse") : BrowseBox::tr("Button");
        button->setAccessibleName(name.isEmpty() ? action
                                                 : BrowseBox::tr("%1 for %2").arg(action, name));
        button->setAccessibleDescription(
            i == 1 ? BrowseBox::tr("%1 (%2)").arg(tip.isEmpty() ? action : tip, KeyboardHint())
                   : tip);
    }
}

// The right button's tool tip tells the keyboard's way to it; ToolTipRight stays as set.
bool BrowseBox::Private::ButtonToolTip(int index, QHelpEvent* event) const
{
    const QString tip = ButtonBox[index]->toolTip();
    if (index != 1 || tip.isEmpty())
        return false;
    QToolTip::showText(event->globalPos(), tip + u'\n' + KeyboardHint(), ButtonBox[index]);
    return true;
}
} // namespace Ostrel
