// SPDX-License-Identifier: MIT
#pragma once
// BrowseBox: a one-line path field with an optional button on each side, a validation
// message shown in place of the text (ErrText), a check that pasted text names an
// existing file or folder (MustExist) and optional suppression of the field's built-in
// right-click menu (CustomMenu).
//
// Conventions of the interface:
// - Property names are the control's published names; getters carry the same name,
//   setters are set<Name> (so forms compiled by uic reach them), and every setter that
//   notifies emits <Name>Changed() and PropertyChanged("<Name>").
// - Colours are OLE colours: 0x00BBGGRR, or 0x800000nn for system colour nn
//   (<Ostrel/OleColor.h>); 16-bit values are short, 32-bit ones int, single precision float.
// - Key codes are Windows virtual-key numbers and Shift is the mask 1 Shift, 2 Ctrl,
//   4 Alt; mouse Button is the mask 1 left, 2 right, 4 middle (<Ostrel/KeyCodes.h> names
//   them all). X and Y are twips in the control's coordinates. Drop effects are 0 none,
//   1 copy, 2 move, 4 link.
// - Events whose arguments the control passes by reference (MouseDown, MouseMove,
//   MouseUp and the OLE drag-and-drop events) take them as non-const references: a
//   handler connected directly (the default for a handler on the control's thread) may
//   change them, and the control goes on with the changed values (an Effect of 0 refuses
//   a drop; AllowedEffects 0 cancels a drag that is starting). The references are valid
//   only during the signal, so these events cannot be queued; QSignalSpy counts them but
//   cannot record their arguments. The other events pass their arguments by value.
// - Data arguments of the drag-and-drop events point to the drag's data and are valid
//   only during the signal; FileList(Data) gives the local files of a dropped file list,
//   in the system's own spelling (backslashes on Windows).
// - Enabled and Font are QWidget's own setEnabled and setFont: the control notices the
//   change however it is made (through a QWidget pointer, a layout, a form designer).
//   Font is the text fields' font; TextHeight and TextWidth measure with the font the
//   control surface had when it was created (its design font).
// - TextWidth throws std::overflow_error for a text with 16,384 or more leading tabs, or
//   a width beyond 32,767 twips (the platform's overflow error).
//
// Paste keys (Ctrl+V, Shift+Insert): when a KeyDown handler puts a path into Text itself
// or calls TakePaste, the field skips its own paste, so the text it left is the final
// text; otherwise the field pastes and, with MustExist, undoes a paste naming no existing
// file or folder at KeyUp.
//
// While ErrText shows a message, the message itself is never edited: the first key that
// would edit it (a character, Backspace, Delete, a paste, ...) removes the message and
// edits the text instead (Change follows), unless the KeyDown handler wrote Text or
// ErrText itself. Key events are raised once, as for any key of the message.
//
// Geometry: every layout (a resize by the container, or the setters of Appearance,
// EnabledLeft, EnabledRight, Font, VisibleLeft and VisibleRight) fixes the control's height
// to one text line + 8 px (ThreeD) or + 6 px (Flat), whatever height was asked for. A resize
// by the container leaves it one pixel narrower than asked (W - TPPX twips): a container
// that resizes the control to width X finds it X - 1 px wide afterwards. A setter keeps the
// width, so a form that sets the geometry and then the properties (uic, Qt Designer) gets
// back the width it saved. A hidden control lays out when it is shown.
//
// Creating one: BrowseBox(parent) is a new instance with the defaults of a fresh control;
// BrowseBox(bag, parent) or FromBag(...) loads the properties of a saved bag instead.
#include "KeyCodes.h"
#include "OleColor.h"
#include "OstrelExport.h"
#include "PropertyBag.h"

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QWidget>
#include <functional>
#include <memory>

class QLineEdit;
class QMimeData;
class QPushButton;

namespace Ostrel
{

class OSTREL_EXPORT BrowseBox : public QWidget
{
    Q_OBJECT
    Q_CLASSINFO("ProgID", "Ostrel.BrowseBox")
    Q_CLASSINFO("DefaultProperty", "Text")

    // In the order the control publishes them.
    Q_PROPERTY(
        AppearanceConstants Appearance READ Appearance WRITE setAppearance NOTIFY AppearanceChanged)
    // Colours reach form designers as QColor; the OLE colour (system colours included) is
    // BackColor() / ForeColor() in code.
    Q_PROPERTY(QColor BackColor READ BackColorAsColor WRITE setBackColor NOTIFY BackColorChanged)
    Q_PROPERTY(bool CustomMenu READ CustomMenu WRITE setCustomMenu NOTIFY CustomMenuChanged)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled NOTIFY EnabledChanged)
    Q_PROPERTY(bool EnabledLeft READ EnabledLeft WRITE setEnabledLeft NOTIFY EnabledLeftChanged)
    Q_PROPERTY(bool EnabledRight READ EnabledRight WRITE setEnabledRight NOTIFY EnabledRightChanged)
    Q_PROPERTY(QFont Font READ Font WRITE setFont NOTIFY FontChanged)
    Q_PROPERTY(QColor ForeColor READ ForeColorAsColor WRITE setForeColor NOTIFY ForeColorChanged)
    Q_PROPERTY(bool Locked READ Locked WRITE setLocked NOTIFY LockedChanged)
    Q_PROPERTY(int MaxLength READ MaxLength WRITE setMaxLength NOTIFY MaxLengthChanged)
    Q_PROPERTY(QPixmap MouseIcon READ MouseIcon WRITE setMouseIcon NOTIFY MouseIconChanged)
    Q_PROPERTY(MousePointerConstants MousePointer READ MousePointer WRITE setMousePointer NOTIFY
                   MousePointerChanged)
    Q_PROPERTY(bool MustExist READ MustExist WRITE setMustExist NOTIFY MustExistChanged)
    Q_PROPERTY(OLEDragConstants OLEDragMode READ OLEDragMode WRITE setOLEDragMode NOTIFY
                   OLEDragModeChanged)
    Q_PROPERTY(OLEDropConstants OLEDropMode READ OLEDropMode WRITE setOLEDropMode NOTIFY
                   OLEDropModeChanged)
    Q_PROPERTY(
        QString PasswordChar READ PasswordChar WRITE setPasswordChar NOTIFY PasswordCharChanged)
    Q_PROPERTY(QPixmap PictureLeft READ PictureLeft WRITE setPictureLeft NOTIFY PictureLeftChanged)
    Q_PROPERTY(
        QPixmap PictureRight READ PictureRight WRITE setPictureRight NOTIFY PictureRightChanged)
    Q_PROPERTY(QString Text READ Text WRITE setText NOTIFY TextChanged USER true)
    Q_PROPERTY(QString ToolTipLeft READ ToolTipLeft WRITE setToolTipLeft NOTIFY ToolTipLeftChanged)
    Q_PROPERTY(
        QString ToolTipRight READ ToolTipRight WRITE setToolTipRight NOTIFY ToolTipRightChanged)
    Q_PROPERTY(bool VisibleLeft READ VisibleLeft WRITE setVisibleLeft NOTIFY VisibleLeftChanged)
    Q_PROPERTY(bool VisibleRight READ VisibleRight WRITE setVisibleRight NOTIFY VisibleRightChanged)
    // Run time only: hidden from form designers, never saved, never notified.
    Q_PROPERTY(qulonglong hDC READ hDC DESIGNABLE false STORED false)
    Q_PROPERTY(qulonglong hWnd READ hWnd DESIGNABLE false STORED false)
    Q_PROPERTY(int SelLength READ SelLength WRITE setSelLength DESIGNABLE false STORED false)
    Q_PROPERTY(int SelStart READ SelStart WRITE setSelStart DESIGNABLE false STORED false)
    Q_PROPERTY(QString SelText READ SelText WRITE setSelText DESIGNABLE false STORED false)
    // Meant to be written; reading gives the message shown now (empty when none).
    Q_PROPERTY(QString ErrText READ ErrText WRITE setErrText DESIGNABLE false STORED false)
    Q_PROPERTY(QString Version READ Version DESIGNABLE false STORED false)

public:
    enum AppearanceConstants
    {
        Flat = 0,
        ThreeD = 1
    };
    Q_ENUM(AppearanceConstants)

    // The platform's mouse-pointer codes.
    enum MousePointerConstants
    {
        Default = 0,
        Arrow = 1,
        Crosshair = 2,
        IBeam = 3,
        IconPointer = 4,
        SizePointer = 5,
        SizeNESW = 6,
        SizeNS = 7,
        SizeNWSE = 8,
        SizeWE = 9,
        UpArrow = 10,
        Hourglass = 11,
        NoDrop = 12,
        ArrowHourglass = 13,
        ArrowQuestion = 14,
        SizeAll = 15,
        Custom = 99 // the MouseIcon
    };
    Q_ENUM(MousePointerConstants)

    enum OLEDragConstants
    {
        OLEDragManual = 0,
        OLEDragAutomatic = 1
    };
    Q_ENUM(OLEDragConstants)

    enum OLEDropConstants
    {
        OLEDropNone = 0,
        OLEDropManual = 1,
        OLEDropAutomatic = 2
    };
    Q_ENUM(OLEDropConstants)

    // A new instance: the defaults of a freshly placed control.
    explicit BrowseBox(QWidget* parent = nullptr);
    // An instance loaded from a saved bag (the new-instance defaults are not applied).
    explicit BrowseBox(const PropertyBag& bag, QWidget* parent = nullptr);
    static BrowseBox* FromBag(const PropertyBag& bag, QWidget* parent = nullptr);
    static BrowseBox* FromBagText(const QString& bagText, QWidget* parent = nullptr);
    ~BrowseBox() override;

    // Persistence. WriteProperties writes the 23 keys, always all and always in order;
    // ReadProperties runs the loading steps, skipping any step whose key is missing or
    // unusable, then copies the container's tool tip and what's-this settings (extender).
    void WriteProperties(PropertyBag& bag) const;
    PropertyBag WriteProperties() const;
    void ReadProperties(const PropertyBag& bag);

    // Properties.
    AppearanceConstants Appearance() const;
    void setAppearance(AppearanceConstants value);
    uint BackColor() const;
    void setBackColor(uint value);
    QColor BackColorAsColor() const;
    void setBackColor(const QColor& value);
    bool CustomMenu() const;
    void setCustomMenu(bool value);
    bool Enabled() const; // the control's own setting, whatever its parents say
    bool EnabledLeft() const;
    void setEnabledLeft(bool value);
    bool EnabledRight() const;
    void setEnabledRight(bool value);
    QFont Font() const; // the text fields' font; set with QWidget::setFont
    uint ForeColor() const;
    void setForeColor(uint value);
    QColor ForeColorAsColor() const;
    void setForeColor(const QColor& value);
    bool Locked() const;
    void setLocked(bool value);
    int MaxLength() const; // 0 is no limit
    void setMaxLength(int value);
    QPixmap MouseIcon() const;
    void setMouseIcon(const QPixmap& value);
    MousePointerConstants MousePointer() const;
    void setMousePointer(MousePointerConstants value);
    bool MustExist() const;
    void setMustExist(bool value);
    OLEDragConstants OLEDragMode() const;
    void setOLEDragMode(OLEDragConstants value);
    OLEDropConstants OLEDropMode() const;
    void setOLEDropMode(OLEDropConstants value);
    QString PasswordChar() const; // empty or one character
    void setPasswordChar(const QString& value);
    QPixmap PictureLeft() const;
    void setPictureLeft(const QPixmap& value);
    QPixmap PictureRight() const;
    void setPictureRight(const QPixmap& value);
    QString Text() const;
    void setText(const QString& value);
    QString ToolTipLeft() const;
    void setToolTipLeft(const QString& value);
    QString ToolTipRight() const;
    void setToolTipRight(const QString& value);
    bool VisibleLeft() const; // the left button's own current visibility
    void setVisibleLeft(bool value);
    bool VisibleRight() const;
    void setVisibleRight(bool value);
    qulonglong hDC() const;
    qulonglong hWnd() const;
    int SelLength() const;
    void setSelLength(int value);
    int SelStart() const;
    void setSelStart(int value);
    QString SelText() const;
    void setSelText(const QString& value);
    QString ErrText() const;
    void setErrText(const QString& value);
    QString Version() const;

    // Called from a KeyDown handler of a paste key: the container has dealt with the
    // paste (taken a path or refused the clipboard), so the field pastes nothing itself.
    void TakePaste();

    // Methods.
    Q_INVOKABLE void AboutBox();
    // Without Value, the container's tool tip for this control (QWidget::toolTip()).
    Q_INVOKABLE QVariant SetToolTipText();
    Q_INVOKABLE QVariant SetToolTipText(const QVariant& Value);
    Q_INVOKABLE short TextHeight(const QString& Value) const;
    Q_INVOKABLE short TextWidth(const QString& Value) const;

    // The parts, also reachable by object name: "TextFrame", "TextField0", "TextField1",
    // "ButtonBox0", "ButtonBox1". Index 0 is the text and the left button, 1 the message
    // and the right button.
    QWidget* TextFrame() const;
    QLineEdit* TextField(int index) const;
    QPushButton* ButtonBox(int index) const;

    // The local files of a dropped or copied file list, in order; empty when there is none.
    static QStringList FileList(const QMimeData* Data);

    // How AboutBox shows its message; tests answer it without a modal loop.
    using AboutPresenter =
        std::function<void(QWidget* parent, const QString& title, const QString& text)>;
    static void SetAboutPresenter(AboutPresenter presenter);
    static QString AboutTitle();
    static QString AboutText();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // The control's events, in declaration order.
    void ButtonClick(short Button);
    void Change();
    void Click();
    void DblClick();
    void KeyDown(short KeyCode, short Shift);
    void KeyUp(short KeyCode, short Shift);
    void KeyPress(short KeyAscii);
    void MouseDown(short& Button, short& Shift, float& X, float& Y);
    void MouseMove(short& Button, short& Shift, float& X, float& Y);
    void MouseUp(short& Button, short& Shift, float& X, float& Y);
    void OLECompleteDrag(int& Effect);
    void OLEDragDrop(const QMimeData*& Data, int& Effect, short& Button, short& Shift, float& X,
                     float& Y);
    // State 0 enter, 1 leave (Data null), 2 over.
    void OLEDragOver(const QMimeData*& Data, int& Effect, short& Button, short& Shift, float& X,
                     float& Y, short& State);
    void OLEGiveFeedback(int& Effect, bool& DefaultCursors);
    void OLESetData(QMimeData*& Data, short& DataFormat);
    void OLEStartDrag(QMimeData*& Data, int& AllowedEffects);

    // Change notifications for the container (a design-time change marks its form).
    void PropertyChanged(const QString& PropertyName);
    void AppearanceChanged();
    void BackColorChanged();
    void CustomMenuChanged();
    void EnabledChanged();
    void EnabledLeftChanged();
    void EnabledRightChanged();
    void FontChanged();
    void ForeColorChanged();
    void LockedChanged();
    void MaxLengthChanged();
    void MouseIconChanged();
    void MousePointerChanged();
    void MustExistChanged();
    void OLEDragModeChanged();
    void OLEDropModeChanged();
    void PasswordCharChanged();
    void PictureLeftChanged();
    void PictureRightChanged();
    void TextChanged();
    void ToolTipLeftChanged();
    void ToolTipRightChanged();
    void VisibleLeftChanged();
    void VisibleRightChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct Private;
    friend struct Private;

    std::unique_ptr<Private> d;
};
} // namespace Ostrel
