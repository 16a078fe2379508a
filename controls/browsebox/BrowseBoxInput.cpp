// SPDX-License-Identifier: MIT
// BrowseBox: focus, the keys of the text fields, the parts' and the surface's mouse events.
#include "BrowseBoxPrivate.h"
#include "KeyMapping.h"
#include "PictureButton.h"
#include "common/CodePage.h"
#include "common/Exists.h"

#include <QApplication>
#include <QCursor>
#include <QFile>
#include <QFocusEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <memory>

namespace Ostrel
{
namespace
{
TwipRect Twips(const QRect& r, double tppX, double tppY)
{
    return {r.x() * tppX, r.y() * tppY, r.width() * tppX, r.height() * tppY};
}

// A path as the bytes the file system names it by. Windows: the ANSI code page with no
// best-fit look-alike ("\u0101.txt" is not "a.txt"), as the program converts.
std::string PathBytes(const QString& path)
{
#ifdef _WIN32
    return Kestrin::BytesFromText(std::u16string_view(
        reinterpret_cast<const char16_t*>(path.utf16()), static_cast<std::size_t>(path.size())));
#else
    return QFile::encodeName(path).toStdString();
#endif
}

// Alt with a character: an access key. One that reaches a field was taken by no control
// (its control disabled, or no caption has the letter); it types nothing, as on Windows,
// where it is a system key. Ctrl+Alt is AltGr there, which types.
bool IsAccessKeyChord(const QKeyEvent& k)
{
    return k.modifiers().testFlag(Qt::AltModifier) &&
           !k.modifiers().testFlag(Qt::ControlModifier) && !k.text().isEmpty();
}

bool IsTabKey(const QKeyEvent& k)
{
    return (k.key() == Qt::Key_Tab || k.key() == Qt::Key_Backtab) &&
           !(k.modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

bool IsPasteKey(short code, short shift)
{
    return ((shift & ShiftMask::Ctrl) && code == VirtualKey::V) ||
           (code == VirtualKey::Insert && shift == ShiftMask::Shift);
}

// A key that changes a line edit's text: a printable character, or one of its editing keys.
bool EditsText(const QKeyEvent& k)
{
    static const QKeySequence::StandardKey edits[] = {QKeySequence::Paste,
                                                      QKeySequence::Cut,
                                                      QKeySequence::Undo,
                                                      QKeySequence::Redo,
                                                      QKeySequence::Backspace,
                                                      QKeySequence::Delete,
                                                      QKeySequence::DeleteEndOfWord,
                                                      QKeySequence::DeleteStartOfWord,
                                                      QKeySequence::DeleteEndOfLine,
                                                      QKeySequence::DeleteCompleteLine};
    for (const auto edit : edits)
        if (k.matches(edit))
            return true;
    if (k.key() == Qt::Key_Backspace || k.key() == Qt::Key_Delete)
        return true;
    const QString text = k.text();
    return !text.isEmpty() && text.at(0).isPrint() &&
           !(k.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

bool IsUserInput(QEvent::Type type)
{
    switch (type)
    {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::DragLeave:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}
} // namespace

// ---------------------------------------------------------------- focus

// Entering the control: the part under the pointer if it is a usable button, else the
// text, else the message.
void BrowseBox::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    const double tx = d->TwipsPerPixelX();
    const double ty = d->TwipsPerPixelY();
    const QPoint pointer = QCursor::pos() - mapToGlobal(QPoint(0, 0));
    const double px = RoundHalfEven(pointer.x() * tx);
    const double py = RoundHalfEven(pointer.y() * ty);
    const FocusCandidate left{Twips(d->ButtonBox[0]->geometry(), tx, ty),
                              d->PartUsable(d->ButtonBox[0])};
    const FocusCandidate right{Twips(d->ButtonBox[1]->geometry(), tx, ty),
                               d->PartUsable(d->ButtonBox[1])};
    QWidget* target = nullptr;
    switch (EnterFocusTarget(px, py, left, right, d->PartUsable(d->TextField[0]),
                             d->PartUsable(d->TextField[1])))
    {
    case FocusPart::LeftButton:
        target = d->ButtonBox[0];
        break;
    case FocusPart::RightButton:
        target = d->ButtonBox[1];
        break;
    case FocusPart::Field0:
        target = d->TextField[0];
        break;
    case FocusPart::Field1:
        target = d->TextField[1];
        break;
    case FocusPart::None:
        break;
    }
    if (target != nullptr)
        target->setFocus(event->reason());
}

bool BrowseBox::focusNextPrevChild(bool next)
{
    // A focused part being hidden hands the focus to the field that takes its place.
    QWidget* focus = QApplication::focusWidget();
    if (focus != nullptr && isAncestorOf(focus) && focus->isHidden())
        for (QLineEdit* field : d->TextField)
            if (field != focus && d->PartUsable(field))
            {
                field->setFocus(Qt::OtherFocusReason);
                return true;
            }

    // The control is one tab stop: Tab and Shift+Tab leave it as a whole.
    QWidget* candidate = this;
    for (;;)
    {
        candidate = next ? candidate->nextInFocusChain() : candidate->previousInFocusChain();
        if (candidate == nullptr || candidate == this)
            break;
        if (isAncestorOf(candidate) || candidate->window() != window())
            continue;
        if ((candidate->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && candidate->isVisible() &&
            candidate->isEnabled())
        {
            candidate->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return QWidget::focusNextPrevChild(next);
}

// ---------------------------------------------------------------- mouse events

void BrowseBox::Private::RaiseMouse(Mouse kind, Qt::MouseButtons buttons,
                                    Qt::KeyboardModifiers modifiers, const QPointF& twips)
{
    short button = MouseButtonMask(buttons);
    short shift = ShiftState(modifiers);
    float x = float(twips.x());
    float y = float(twips.y());
    switch (kind)
    {
    case Mouse::Down:
        Q_EMIT q->MouseDown(button, shift, x, y);
        break;
    case Mouse::Move:
        Q_EMIT q->MouseMove(button, shift, x, y);
        break;
    case Mouse::Up:
        Q_EMIT q->MouseUp(button, shift, x, y);
        break;
    }
}

// Both fields report in the control's coordinates through field 0's place, which the
// message shares while it is shown.
QPointF BrowseBox::Private::FieldPoint(const QPointF& local) const
{
    return QPointF((TextFrame->x() + TextField[0]->x() + local.x()) * TwipsPerPixelX(),
                   (TextFrame->y() + TextField[0]->y() + local.y()) * TwipsPerPixelY());
}

QPointF BrowseBox::Private::ButtonPoint(int index, const QPointF& local) const
{
    const QWidget* button = ButtonBox[index];
    return QPointF((button->x() + local.x()) * TwipsPerPixelX(),
                   (button->y() + local.y()) * TwipsPerPixelY());
}

// The bare surface (the border area); the parts raise their own events.
void BrowseBox::mousePressEvent(QMouseEvent* event)
{
    QWidget::mousePressEvent(event);
    d->RaiseMouse(Private::Mouse::Down, event->button(), event->modifiers(),
                  QPointF(event->position().x() * d->TwipsPerPixelX(),
                          event->position().y() * d->TwipsPerPixelY()));
}

void BrowseBox::mouseMoveEvent(QMouseEvent* event)
{
    QWidget::mouseMoveEvent(event);
    d->RaiseMouse(Private::Mouse::Move, event->buttons(), event->modifiers(),
                  QPointF(event->position().x() * d->TwipsPerPixelX(),
                          event->position().y() * d->TwipsPerPixelY()));
}

void BrowseBox::mouseReleaseEvent(QMouseEvent* event)
{
    QWidget::mouseReleaseEvent(event);
    d->RaiseMouse(Private::Mouse::Up, event->button(), event->modifiers(),
                  QPointF(event->position().x() * d->TwipsPerPixelX(),
                          event->position().y() * d->TwipsPerPixelY()));
}

// ---------------------------------------------------------------- parts' events

bool BrowseBox::eventFilter(QObject* watched, QEvent* event)
{
    // Qt lets filters see the mouse events of disabled widgets; a disabled control raises
    // nothing a user does.
    if (!isEnabled() && IsUserInput(event->type()))
        return false;
    for (int i = 0; i < 2; ++i)
    {
        if (watched == d->TextField[i])
            return d->FieldEvent(i, event) || QWidget::eventFilter(watched, event);
        if (watched == d->ButtonBox[i])
            return d->ButtonEvent(i, event) || QWidget::eventFilter(watched, event);
    }
    return QWidget::eventFilter(watched, event);
}

void BrowseBox::Private::ButtonClicked(int index)
{
    Q_EMIT q->ButtonClick(static_cast<short>(index));
    FocusTextAfterButton();
}

void BrowseBox::Private::FocusTextAfterButton()
{
    if (PartUsable(TextField[0]))
        TextField[0]->setFocus(Qt::OtherFocusReason);
}

bool BrowseBox::Private::ButtonEvent(int index, QEvent* event)
{
    const QWidget* button = ButtonBox[index];
    switch (event->type())
    {
    case QEvent::ToolTip:
        return ButtonToolTip(index, static_cast<QHelpEvent*>(event));
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: // the second press of a double-click (Qt sends no press)
    {
        const auto* m = static_cast<QMouseEvent*>(event);
        RaiseMouse(Mouse::Down, m->button(), m->modifiers(), ButtonPoint(index, m->position()));
        break;
    }
    case QEvent::MouseMove:
    {
        const auto* m = static_cast<QMouseEvent*>(event);
        RaiseMouse(Mouse::Move, m->buttons(), m->modifiers(), ButtonPoint(index, m->position()));
        break;
    }
    case QEvent::MouseButtonRelease:
    {
        const auto* m = static_cast<QMouseEvent*>(event);
        const QPointF local = m->position();
        // Released off the button: no click follows, so the text gets the focus back here.
        if (local.x() < 0 || local.x() > button->width() || local.y() < 0 ||
            local.y() > button->height())
            FocusTextAfterButton();
        RaiseMouse(Mouse::Up, m->button(), m->modifiers(), ButtonPoint(index, local));
        break;
    }
    default:
        break;
    }
    return false;
}

void BrowseBox::Private::SuppressEditMenu(int index)
{
    QLineEdit* field = TextField[index];
    const int start = field->hasSelectedText() ? field->selectionStart() : field->cursorPosition();
    const int length = static_cast<int>(field->selectedText().size());
    // The built-in menu's event is swallowed in FieldContextMenu; the press itself must not
    // disturb the selection the container's own menu may act on.
    field->setFocus(Qt::MouseFocusReason);
    if (length > 0)
        field->setSelection(start, length);
    else
        field->setCursorPosition(start);
}

bool BrowseBox::Private::FieldEvent(int index, QEvent* event)
{
    switch (event->type())
    {
    case QEvent::FontChange:
        TextField[index]->setMinimumHeight(TextField[index]->fontMetrics().height());
        return false;
    case QEvent::KeyPress:
        return FieldKeyPress(index, static_cast<QKeyEvent*>(event));
    case QEvent::KeyRelease:
        return FieldKeyRelease(index, static_cast<QKeyEvent*>(event));
    case QEvent::MouseButtonPress:
        return FieldMousePress(index, static_cast<QMouseEvent*>(event));
    case QEvent::MouseMove:
        return FieldMouseMove(index, static_cast<QMouseEvent*>(event));
    case QEvent::MouseButtonRelease:
        return FieldMouseRelease(index, static_cast<QMouseEvent*>(event));
    case QEvent::MouseButtonDblClick:
        return FieldDoubleClick(index, static_cast<QMouseEvent*>(event));
    case QEvent::ContextMenu:
        return FieldContextMenu(static_cast<QContextMenuEvent*>(event));
    case QEvent::DragEnter:
    case QEvent::DragMove:
        return FieldDragMove(index, static_cast<QDragMoveEvent*>(event),
                             event->type() == QEvent::DragEnter);
    case QEvent::DragLeave:
        return FieldDragLeave(index);
    case QEvent::Drop:
        return FieldDrop(index, static_cast<QDropEvent*>(event));
    default:
        return false;
    }
}

bool BrowseBox::Private::FieldKeyPress(int index, QKeyEvent* k)
{
    QLineEdit* field = TextField[index];
    // Tab and Shift+Tab move the focus on; they are not keys of the field.
    if (IsTabKey(*k))
        return false;
    // A key of the message handed on to the text: its events were raised already.
    if (ForwardingKey)
        return false;
    const short code = VirtualKeyCode(*k);
    const short shift = ShiftState(k->modifiers());
    const bool pasteKey = IsPasteKey(code, shift);
    if (index == 0 && (shift & ShiftMask::Ctrl) && code == VirtualKey::A)
        field->setSelection(0, static_cast<int>(field->text().size()));
    if (pasteKey)
        TextBeforePaste = TextField[0]->text();
    const quint64 textWrites = TextWrites;
    const quint64 messageWrites = MessageWrites;
    PasteTaken = false;
    PasteKeyDown = pasteKey;
    Q_EMIT q->KeyDown(code, shift);
    PasteKeyDown = false;
    // A container that dealt with a paste key itself (put a path in the field, or refused
    // the clipboard) wants the field's text as it left it: the field's own paste would
    // insert the clipboard text into it.
    if (pasteKey && (PasteTaken || TextWrites != textWrites))
        return true;
    if (IsAccessKeyChord(*k))
        return true; // neither an edit nor a KeyPress
    const short ascii = KeyAscii(*k);
    if (index == 1 && EditsText(*k))
    {
        // The message is never edited: what the field shows is what it holds. The first
        // edit removes it and goes to the text instead, unless the container answered the
        // key with a message or a text of its own, or the text cannot be edited.
        if (ascii != 0)
            Q_EMIT q->KeyPress(ascii);
        QLineEdit* text = TextField[0];
        if (TextWrites != textWrites || MessageWrites != messageWrites || !text->isEnabled() ||
            text->isReadOnly())
            return true;
        if (!field->isHidden())
            q->setErrText(QString());
        const std::unique_ptr<QEvent> copy(k->clone());
        ForwardingKey = true;
        QApplication::sendEvent(text, copy.get());
        ForwardingKey = false;
        return true;
    }
    if (ascii != 0)
        Q_EMIT q->KeyPress(ascii);
    return false;
}

bool BrowseBox::Private::FieldKeyRelease(int index, QKeyEvent* k)
{
    if (k->isAutoRepeat() || IsTabKey(*k))
        return false;
    const short code = VirtualKeyCode(*k);
    const short shift = ShiftState(k->modifiers());
    // The release of a key whose press removed the message: the text's rules apply.
    if (index == 0 || TextField[index]->isHidden())
    {
        if (shift == ShiftMask::Alt && (code == VirtualKey::Up || code == VirtualKey::Down))
        {
            // The keyboard's way to the right button, shown or not.
            ButtonClicked(1);
        }
        else if (IsPasteKey(code, shift) && MustExist && !PasteTaken)
        {
            QLineEdit* text = TextField[0];
            const std::string path = PathBytes(text->text());
            if (!Kestrin::FileExists(path) && !Kestrin::FolderExists(path))
                text->setText(TextBeforePaste);
        }
    }
    Q_EMIT q->KeyUp(code, shift);
    return false;
}

bool BrowseBox::Private::FieldMousePress(int index, QMouseEvent* m)
{
    QLineEdit* field = TextField[index];
    if (m->button() == Qt::RightButton && m->modifiers() == Qt::NoModifier && CustomMenu)
        SuppressEditMenu(index);
    DoubleClickRelease = false;
    RaiseMouse(Mouse::Down, m->button(), m->modifiers(), FieldPoint(m->position()));
    if (index == 0 && DragMode == OLEDragAutomatic && m->button() == Qt::LeftButton &&
        field->hasSelectedText())
    {
        const int at = field->cursorPositionAt(m->position().toPoint());
        const int start = field->selectionStart();
        if (at >= start && at < start + field->selectedText().size())
        {
            // Keep the selection: it may be dragged away.
            DragArmed = true;
            DragStart = m->position().toPoint();
            field->setFocus(Qt::MouseFocusReason);
            return true;
        }
    }
    return false;
}

bool BrowseBox::Private::FieldMouseMove(int /*index*/, QMouseEvent* m)
{
    RaiseMouse(Mouse::Move, m->buttons(), m->modifiers(), FieldPoint(m->position()));
    if (DragArmed && (m->buttons() & Qt::LeftButton) &&
        (m->position().toPoint() - DragStart).manhattanLength() >=
            QApplication::startDragDistance())
    {
        DragArmed = false;
        StartTextDrag();
        return true;
    }
    return DragArmed;
}

bool BrowseBox::Private::FieldMouseRelease(int index, QMouseEvent* m)
{
    QLineEdit* field = TextField[index];
    RaiseMouse(Mouse::Up, m->button(), m->modifiers(), FieldPoint(m->position()));
    // The release that ends a double-click raised DblClick already; the first release of
    // the pair raised the Click.
    const bool secondOfDouble = DoubleClickRelease && m->button() == Qt::LeftButton;
    DoubleClickRelease = false;
    if (m->button() == Qt::LeftButton && !secondOfDouble &&
        field->rect().contains(m->position().toPoint()))
        Q_EMIT q->Click();
    if (DragArmed)
    {
        // No drag followed: the press places the cursor after all.
        DragArmed = false;
        field->setCursorPosition(field->cursorPositionAt(m->position().toPoint()));
        return true;
    }
    return false;
}

// The second press of a double-click: Qt delivers it as this event alone, no press before it.
bool BrowseBox::Private::FieldDoubleClick(int index, QMouseEvent* m)
{
    RaiseMouse(Mouse::Down, m->button(), m->modifiers(), FieldPoint(m->position()));
    if (CustomMenu && m->button() == Qt::RightButton && m->modifiers() == Qt::NoModifier)
        SuppressEditMenu(index);
    if (m->button() == Qt::LeftButton)
    {
        DoubleClickRelease = true;
        Q_EMIT q->DblClick();
    }
    return false;
}

// With CustomMenu the container shows its own menu from MouseDown or MouseUp.
bool BrowseBox::Private::FieldContextMenu(const QContextMenuEvent* c) const
{
    return CustomMenu && c->reason() == QContextMenuEvent::Mouse &&
           c->modifiers() == Qt::NoModifier;
}
} // namespace Ostrel
