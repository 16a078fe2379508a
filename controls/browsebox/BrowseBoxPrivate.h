// SPDX-License-Identifier: MIT
#pragma once
// The state and the inner workings of a BrowseBox, shared by the files that implement it
// (BrowseBox.cpp: creation and properties; BrowseBoxLayout.cpp; BrowseBoxInput.cpp: keys,
// mouse and focus; BrowseBoxDragDrop.cpp; BrowseBoxPersistence.cpp). Not installed.
#include "BoxGeometry.h"
#include "OleColorMapping.h"

#include <Ostrel/BrowseBox.h>
#include <QFont>
#include <QPointer>
#include <QSize>
#include <array>
#include <vector>

class QContextMenuEvent;
class QDragMoveEvent;
class QDropEvent;
class QHelpEvent;
class QKeyEvent;
class QMouseEvent;

namespace Ostrel
{
class PictureButton;

// The 23 properties a BrowseBox saves, in the order it saves them.
enum class Persisted
{
    Appearance,
    BackColor,
    CustomMenu,
    MustExist,
    Enabled,
    EnabledLeft,
    EnabledRight,
    Font,
    ForeColor,
    Locked,
    MaxLength,
    MouseIcon,
    MousePointer,
    OLEDragMode,
    OLEDropMode,
    PasswordChar,
    PictureLeft,
    PictureRight,
    Text,
    ToolTipLeft,
    ToolTipRight,
    VisibleLeft,
    VisibleRight,
};
constexpr int PersistedCount = 23;

struct BrowseBox::Private
{
    explicit Private(BrowseBox* owner) : q(owner) {}

    BrowseBox* q;

    // The parts.
    QWidget* TextFrame = nullptr;
    QLineEdit* TextField[2] = {};
    PictureButton* ButtonBox[2] = {};

    // The control's own state.
    int Appearance = 0;
    bool CustomMenu = false;
    bool MustExist = false;
    bool VisibleLeft = false;
    bool VisibleRight = false;
    short LayoutDepth = 0;
    QString TextBeforePaste;

    // Property values the parts cannot hold themselves.
    quint32 FrameBack = OleSystemColor(OleColorIndex::Window);
    quint32 FieldBack[2] = {OleSystemColor(OleColorIndex::Window),
                            OleSystemColor(OleColorIndex::Window)};
    quint32 FieldFore[2] = {OleSystemColor(OleColorIndex::WindowText),
                            OleSystemColor(OleColorIndex::WindowText)};
    int MaxLength[2] = {0, 0};
    QString PasswordChar;
    QPixmap MouseIcon;
    short MousePointer = 0;
    short DragMode = 0;
    short DropMode = 0;
    // The surface's design font, which TextHeight and TextWidth measure with.
    QFont DesignFont;
    // The Enabled value last notified, so that a change made through QWidget is told once.
    bool NotifiedEnabled = true;

    // The size the last layout gave the control: its own resize notice is not a new layout.
    QSize LastLayoutSize;
    std::vector<BorderLine> Border;

    // A press on selected text in automatic drag mode waits to see whether a drag follows.
    bool DragArmed = false;
    QPoint DragStart;
    QPointer<QMimeData> DragOverData;
    // A double-click's press was seen: its release raises no second Click.
    bool DoubleClickRelease = false;

    // Counts writes of Text and ErrText, so a key can tell whether its KeyDown handler set
    // them, even to what the field already held.
    quint64 TextWrites = 0;
    quint64 MessageWrites = 0;
    // Set by TakePaste during a paste key's KeyDown; the key-up check then has nothing to
    // undo, as the field pasted nothing itself.
    bool PasteTaken = false;
    bool PasteKeyDown = false;
    // A key of the message field handed on to the text field (its events were raised).
    bool ForwardingKey = false;

    // Creation (BrowseBox.cpp).
    void CreateParts();
    void InitProperties();
    void Notify(Persisted property);
    void ApplyColors();
    void ApplyMousePointers();
    void ApplyPasswordChar(const QString& value);
    bool PartUsable(const QWidget* part) const;
    double TwipsPerPixelX() const;
    double TwipsPerPixelY() const;

    // Accessibility (BrowseBoxAccessibility.cpp): the parts' names and descriptions follow
    // the control's label, its message and the buttons' tool tips.
    QString AccessibleLabel() const;
    static QString KeyboardHint();
    void UpdateAccessibility();
    bool ButtonToolTip(int index, QHelpEvent* event) const;

    // Layout (BrowseBoxLayout.cpp); resized: run for a resize by the container.
    void Layout(bool resized = false);

    // Input and focus (BrowseBoxInput.cpp).
    bool FieldEvent(int index, QEvent* event);
    bool FieldKeyPress(int index, QKeyEvent* event);
    bool FieldKeyRelease(int index, QKeyEvent* event);
    bool FieldMousePress(int index, QMouseEvent* event);
    bool FieldMouseMove(int index, QMouseEvent* event);
    bool FieldMouseRelease(int index, QMouseEvent* event);
    bool FieldDoubleClick(int index, QMouseEvent* event);
    bool FieldContextMenu(const QContextMenuEvent* event) const;
    bool ButtonEvent(int index, QEvent* event);
    void ButtonClicked(int index);
    void FocusTextAfterButton();
    void SuppressEditMenu(int index);
    // The point of a part's event in the control's twips.
    QPointF FieldPoint(const QPointF& local) const;
    QPointF ButtonPoint(int index, const QPointF& local) const;
    // Raises MouseDown, MouseMove or MouseUp with the event's buttons, modifiers and point.
    enum class Mouse
    {
        Down,
        Move,
        Up
    };
    void RaiseMouse(Mouse kind, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers,
                    const QPointF& twips);

    // Persistence (BrowseBoxPersistence.cpp): one entry per saved property, in saving
    // order, with the value it saves and how a loaded value is applied.
    struct PersistedEntry
    {
        Persisted Id;
        const char* Name;
        QVariant (*Save)(const BrowseBox& box);
        // The value a missing key loads as; an invalid QVariant is "none".
        QVariant (*LoadDefault)();
        // Applies a loaded value; false when the value is unusable (the step is skipped).
        bool (*Load)(Private& d, const QVariant& value);
    };
    static const PersistedEntry (&PersistedTable())[PersistedCount];
    // The table's parts, in its order.
    static std::array<PersistedEntry, 7> PersistedBoxEntries();
    static std::array<PersistedEntry, 4> PersistedFieldEntries();
    static std::array<PersistedEntry, 4> PersistedMouseEntries();
    static std::array<PersistedEntry, 8> PersistedPartEntries();
    // The published name of a persisted property (its bag key, its notify name).
    static const char* PersistedName(Persisted property);

    // Drag and drop (BrowseBoxDragDrop.cpp).
    bool FieldDragMove(int index, QDragMoveEvent* event, bool enter);
    bool FieldDragLeave(int index);
    bool FieldDrop(int index, QDropEvent* event);
    void StartTextDrag();
};

// Pixels of a twips figure.
inline int Px(double twips, double tpp)
{
    return RoundHalfEven(twips / tpp);
}
} // namespace Ostrel
