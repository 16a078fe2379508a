// SPDX-License-Identifier: MIT
// BrowseBox: drops on the text fields (OLEDropMode) and drags of the selected text
// (OLEDragMode). The handlers of the drag-and-drop events get their arguments by
// reference; a changed Effect decides the drop, a changed AllowedEffects the drag.
#include "BrowseBoxPrivate.h"
#include "DragData.h"
#include "KeyMapping.h"

#include <QApplication>
#include <QCursor>
#include <QDrag>
#include <QDropEvent>
#include <QLineEdit>

namespace Ostrel
{
namespace
{
int DropEffect(Qt::DropActions actions)
{
    int effect = 0;
    if (actions.testFlag(Qt::CopyAction))
        effect |= 1;
    if (actions.testFlag(Qt::MoveAction))
        effect |= 2;
    if (actions.testFlag(Qt::LinkAction))
        effect |= 4;
    return effect;
}

Qt::DropActions DropActions(int effect)
{
    Qt::DropActions actions;
    if (effect & 1)
        actions |= Qt::CopyAction;
    if (effect & 2)
        actions |= Qt::MoveAction;
    if (effect & 4)
        actions |= Qt::LinkAction;
    return actions;
}

// Accepts the event with the action the handler's Effect names (the proposed one while it
// still allows that), or refuses it when the Effect allows none the source offers.
void ApplyEffect(QDropEvent* event, int effect)
{
    const Qt::DropActions chosen = DropActions(effect) & event->possibleActions();
    if (chosen == Qt::DropActions())
    {
        event->setDropAction(Qt::IgnoreAction);
        event->ignore();
        return;
    }
    if (chosen.testFlag(event->proposedAction()))
        event->acceptProposedAction();
    else
    {
        for (const Qt::DropAction action : {Qt::CopyAction, Qt::MoveAction, Qt::LinkAction})
            if (chosen.testFlag(action))
            {
                event->setDropAction(action);
                break;
            }
        event->accept();
    }
}

// The arguments a drag-over or drop event passes by reference, taken from the Qt event.
struct DropArguments
{
    const QMimeData* Data;
    int Effect;
    short Button;
    short Shift;
    float X;
    float Y;
};

DropArguments ArgumentsOf(const QDropEvent* e, const QPointF& at)
{
    return {e->mimeData(),
            DropEffect(e->possibleActions()),
            MouseButtonMask(e->buttons()),
            ShiftState(e->modifiers()),
            float(at.x()),
            float(at.y())};
}
} // namespace

// Drop mode 1 (manual) raises the events; 2 (automatic) leaves the drop to the field;
// 0 refuses it.
bool BrowseBox::Private::FieldDragMove(int /*index*/, QDragMoveEvent* e, bool enter)
{
    if (DropMode != OLEDropManual)
        return DropMode == OLEDropNone;
    if (enter)
        DragOverData = const_cast<QMimeData*>(e->mimeData());
    DropArguments a = ArgumentsOf(e, FieldPoint(e->position()));
    short state = enter ? 0 : 2;
    Q_EMIT q->OLEDragOver(a.Data, a.Effect, a.Button, a.Shift, a.X, a.Y, state);
    ApplyEffect(e, a.Effect);
    return true;
}

bool BrowseBox::Private::FieldDragLeave(int index)
{
    if (DropMode != OLEDropManual)
        return DropMode == OLEDropNone;
    const QPointF p = FieldPoint(TextField[index]->mapFromGlobal(QCursor::pos()));
    const QMimeData* data = DragOverData.data();
    int effect = 0;
    short button = MouseButtonMask(QApplication::mouseButtons());
    short shift = ShiftState(QApplication::keyboardModifiers());
    float x = float(p.x());
    float y = float(p.y());
    short state = 1;
    Q_EMIT q->OLEDragOver(data, effect, button, shift, x, y, state);
    DragOverData.clear();
    return true;
}

bool BrowseBox::Private::FieldDrop(int index, QDropEvent* e)
{
    if (DropMode != OLEDropManual)
        return DropMode == OLEDropNone;
    // The first file of a dropped file list becomes the field's text before the container
    // hears of the drop.
    const QStringList files = FileList(e->mimeData());
    if (!files.isEmpty())
        TextField[index]->setText(files.first());
    DragOverData.clear();
    DropArguments a = ArgumentsOf(e, FieldPoint(e->position()));
    Q_EMIT q->OLEDragDrop(a.Data, a.Effect, a.Button, a.Shift, a.X, a.Y);
    ApplyEffect(e, a.Effect);
    return true;
}

// Automatic drag mode: the selected text of field 0 is dragged away.
void BrowseBox::Private::StartTextDrag()
{
    QLineEdit* field = TextField[0];
    const QString dragged = field->selectedText();
    const int start = field->selectionStart();
    const QString before = field->text();

    auto* dragData = new DragData;
    dragData->setText(dragged);
    dragData->Render = [this](DragData* source, const QString& mimeType)
    {
        QMimeData* data = source;
        short format = DragData::FormatCode(mimeType);
        Q_EMIT q->OLESetData(data, format);
    };
    // The handler may narrow the effects; none left cancels the drag. The data stays the
    // control's own (a handler fills it, it does not replace it).
    QMimeData* data = dragData;
    int allowed = 1 | 2;
    Q_EMIT q->OLEStartDrag(data, allowed);
    const Qt::DropActions actions = DropActions(allowed) & (Qt::CopyAction | Qt::MoveAction);
    if (actions == Qt::DropActions())
    {
        delete dragData;
        int none = 0;
        Q_EMIT q->OLECompleteDrag(none);
        return;
    }

    QPointer<QDrag> drag = new QDrag(field);
    drag->setMimeData(dragData);
    connect(drag, &QDrag::actionChanged, q,
            [this](Qt::DropAction action)
            {
                int effect = DropEffect(action);
                bool defaultCursors = true;
                Q_EMIT q->OLEGiveFeedback(effect, defaultCursors);
            });
    const Qt::DropAction result =
        drag->exec(actions, actions.testFlag(Qt::MoveAction) ? Qt::MoveAction : Qt::CopyAction);
    // A moved text leaves the field, unless the field changed while it was away.
    if (result == Qt::MoveAction && field->text() == before)
        field->setText(before.left(start) + before.mid(start + dragged.size()));
    int effect = DropEffect(result);
    Q_EMIT q->OLECompleteDrag(effect);
}
} // namespace Ostrel
