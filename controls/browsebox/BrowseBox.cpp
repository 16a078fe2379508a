#include "BrowseBox.h"

#include "BoxGeometry.h"
#include "BrowseGlyph.h"
#include "DragData.h"
#include "Exists.h"
#include "KeyCodes.h"
#include "MousePointer.h"
#include "OleColor.h"
#include "PasswordStyle.h"
#include "PictureButton.h"
#include "Version.h"
#include "VersionText.h"

#include <QApplication>
#include <QCursor>
#include <QDrag>
#include <QDropEvent>
#include <QFile>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMetaProperty>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QUrl>
#include <limits>

namespace Ostrel
{
static_assert(Kestrin::VersionMinor <= 32667 && Kestrin::VersionRevision <= 22767,
              "the version text cannot show these numbers");

struct BrowseBox::Parts
{
    QWidget* TextFrame = nullptr;
    QLineEdit* TextField[2] = {};
    PictureButton* ButtonBox[2] = {};

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

    // The size the last layout gave the control: its own resize notice is not a new layout.
    QSize LastLayoutSize;
    std::vector<BorderLine> Border;

    // A press on selected text in automatic drag mode waits to see whether a drag follows.
    bool DragArmed = false;
    QPoint DragStart;
    QPointer<QMimeData> DragOverData;

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
};

namespace
{
BrowseBox::AboutPresenter& Presenter()
{
    static BrowseBox::AboutPresenter presenter;
    return presenter;
}

QString VersionString()
{
    return QString::fromStdString(
        VersionText(Kestrin::VersionMajor, Kestrin::VersionMinor, Kestrin::VersionRevision));
}

// Pixels of a twips figure.
int Px(double twips, double tpp)
{
    return RoundHalfEven(twips / tpp);
}

void Place(QWidget* widget, const TwipRect& r, double tppX, double tppY)
{
    widget->setGeometry(Px(r.Left, tppX), Px(r.Top, tppY), std::max(0, Px(r.Width, tppX)),
                        std::max(0, Px(r.Height, tppY)));
}

TwipRect Twips(const QRect& r, double tppX, double tppY)
{
    return {r.x() * tppX, r.y() * tppY, r.width() * tppX, r.height() * tppY};
}

// The widget's own Enabled setting, whatever its parents say.
bool OwnEnabled(const QWidget* widget)
{
    return !widget->testAttribute(Qt::WA_ForceDisabled);
}

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

void SetColor(QWidget* widget, QPalette::ColorRole role, const QColor& color, bool disabledToo)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Active, role, color);
    palette.setColor(QPalette::Inactive, role, color);
    if (disabledToo)
        palette.setColor(QPalette::Disabled, role, color);
    widget->setPalette(palette);
}

// Loading reads a bag value as the target's type. A missing key without a default reads as
// the empty value (False, 0, the empty text); a value of another kind fails the step.
bool ToInt(const QVariant& value, qint64& out)
{
    switch (value.typeId())
    {
    case QMetaType::UnknownType:
        out = 0;
        return true;
    case QMetaType::Bool:
        out = value.toBool() ? -1 : 0; // True is -1 as a number
        return true;
    case QMetaType::Short:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        out = value.toLongLong();
        return true;
    case QMetaType::QString:
    {
        bool ok = false;
        out = value.toString().trimmed().toLongLong(&ok);
        return ok;
    }
    default:
        return false;
    }
}

bool ToInt32(const QVariant& value, qint32& out)
{
    qint64 wide = 0;
    if (!ToInt(value, wide) || wide < std::numeric_limits<qint32>::min() ||
        wide > std::numeric_limits<quint32>::max())
        return false;
    out = static_cast<qint32>(wide); // colours above 0x7FFFFFFF keep their bits
    return true;
}

bool ToInt16(const QVariant& value, short& out)
{
    qint64 wide = 0;
    if (!ToInt(value, wide) || wide < -32768 || wide > 32767)
        return false;
    out = static_cast<short>(wide);
    return true;
}

bool ToBool(const QVariant& value, bool& out)
{
    if (value.typeId() == QMetaType::QString)
    {
        const QString text = value.toString().trimmed();
        if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return out = true, true;
        if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return out = false, true;
    }
    qint64 number = 0;
    if (!ToInt(value, number))
        return false;
    out = number != 0;
    return true;
}

bool ToText(const QVariant& value, QString& out)
{
    switch (value.typeId())
    {
    case QMetaType::UnknownType:
        out.clear();
        return true;
    case QMetaType::QString:
        out = value.toString();
        return true;
    case QMetaType::Bool:
        out = value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        return true;
    case QMetaType::Short:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        out = QString::number(value.toLongLong());
        return true;
    default:
        return false;
    }
}

bool ToPicture(const QVariant& value, QPixmap& out)
{
    if (value.typeId() == QMetaType::QPixmap)
        out = value.value<QPixmap>();
    else if (value.typeId() == QMetaType::QImage)
        out = QPixmap::fromImage(value.value<QImage>());
    else
        return false;
    return true;
}

QVariant ReadOr(const PropertyBag& bag, const char* key, const QVariant& fallback = QVariant())
{
    const QString name = QString::fromLatin1(key);
    return bag.Contains(name) ? bag.Read(name) : fallback;
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
} // namespace

// ---------------------------------------------------------------- creation

BrowseBox::BrowseBox(QWidget* parent) : QWidget(parent), d(std::make_unique<Parts>())
{
    CreateParts();
    InitProperties();
    Layout();
}

BrowseBox::BrowseBox(const PropertyBag& bag, QWidget* parent)
    : QWidget(parent), d(std::make_unique<Parts>())
{
    CreateParts();
    ReadProperties(bag);
    Layout();
}

BrowseBox* BrowseBox::FromBag(const PropertyBag& bag, QWidget* parent)
{
    return new BrowseBox(bag, parent);
}

BrowseBox* BrowseBox::FromBagText(const QString& bagText, QWidget* parent)
{
    return new BrowseBox(PropertyBag::FromText(bagText), parent);
}

BrowseBox::~BrowseBox() = default;

// The parts with their design values.
void BrowseBox::CreateParts()
{
    // Lets queued connections and signal spies carry the drag-and-drop data argument.
    qRegisterMetaType<const QMimeData*>("const QMimeData*");
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setMouseTracking(true);
    setAutoFillBackground(true);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    d->TextFrame = new QWidget(this);
    d->TextFrame->setObjectName(QStringLiteral("TextFrame"));
    d->TextFrame->setAutoFillBackground(true);

    for (int i = 0; i < 2; ++i)
    {
        QLineEdit* field = new QLineEdit(d->TextFrame);
        field->setObjectName(QStringLiteral("TextField%1").arg(i));
        field->setProperty("Index", i);
        field->setFrame(false);
        field->setDragEnabled(false); // drags are started by the control (OLEDragMode)
        field->setAcceptDrops(false); // OLEDropMode 0
        field->setMaxLength(std::numeric_limits<int>::max());
        field->setFocusPolicy(Qt::ClickFocus); // the control is one tab stop
        field->setMouseTracking(true);
        // A single-line field does not get lower than one line of its font.
        field->setMinimumHeight(field->fontMetrics().height());
        field->installEventFilter(this);
        d->TextField[i] = field;

        PictureButton* button = new PictureButton(this);
        button->setObjectName(QStringLiteral("ButtonBox%1").arg(i));
        button->setProperty("Index", i);
        button->setFocusPolicy(Qt::ClickFocus);
        button->setAutoDefault(false);
        button->setMouseTracking(true);
        button->SetPicture(BrowseGlyph());
        button->installEventFilter(this);
        connect(button, &QPushButton::clicked, this, [this, i] { ButtonClicked(i); });
        d->ButtonBox[i] = button;
    }
    d->TextField[1]->hide();
    d->ButtonBox[0]->hide();
    connect(d->TextField[0], &QLineEdit::textChanged, this, [this] { emit Change(); });
    ApplyColors();
}

void BrowseBox::InitProperties()
{
    AppearanceValue = ThreeD;
    d->ButtonBox[1]->setToolTip(QStringLiteral("Browse..."));
    d->FieldBack[0] = d->FieldBack[1] = OleSystemColor(OleColorIndex::Window);
    ApplyColors();
    MustExistValue = true;
    VisibleRightValue = true;
}

// ---------------------------------------------------------------- persistence

void BrowseBox::WriteProperties(PropertyBag& bag) const
{
    bag.Write(QStringLiteral("appearance"), qint32(AppearanceValue));
    bag.Write(QStringLiteral("backcolor"), qint32(d->FrameBack));
    bag.Write(QStringLiteral("custommenu"), CustomMenuValue);
    bag.Write(QStringLiteral("mustexist"), MustExistValue);
    bag.Write(QStringLiteral("enabled"), Enabled());
    bag.Write(QStringLiteral("enabledleft"), EnabledLeft());
    bag.Write(QStringLiteral("enabledright"), EnabledRight());
    bag.Write(QStringLiteral("font"), Font());
    bag.Write(QStringLiteral("forecolor"), qint32(d->FieldFore[0]));
    bag.Write(QStringLiteral("locked"), Locked());
    bag.Write(QStringLiteral("maxlength"), qint32(MaxLength()));
    bag.Write(QStringLiteral("mouseicon"), d->MouseIcon);
    bag.Write(QStringLiteral("mousepointer"), QVariant::fromValue<short>(d->MousePointer));
    bag.Write(QStringLiteral("oledragmode"), QVariant::fromValue<short>(d->DragMode));
    bag.Write(QStringLiteral("oledropmode"), QVariant::fromValue<short>(d->DropMode));
    bag.Write(QStringLiteral("passwordchar"), d->PasswordChar);
    bag.Write(QStringLiteral("pictureleft"), PictureLeft());
    bag.Write(QStringLiteral("pictureright"), PictureRight());
    bag.Write(QStringLiteral("text"), Text());
    bag.Write(QStringLiteral("tooltipleft"), ToolTipLeft());
    bag.Write(QStringLiteral("tooltipright"), ToolTipRight());
    bag.Write(QStringLiteral("visibleleft"), VisibleLeftValue);
    bag.Write(QStringLiteral("visibleright"), VisibleRightValue);
}

PropertyBag BrowseBox::WriteProperties() const
{
    PropertyBag bag;
    WriteProperties(bag);
    return bag;
}

// Each step stands alone: a missing or unusable value skips it and the next one runs.
void BrowseBox::ReadProperties(const PropertyBag& bag)
{
    const quint32 window = OleSystemColor(OleColorIndex::Window);
    const quint32 windowText = OleSystemColor(OleColorIndex::WindowText);
    qint32 number = 0;
    short small = 0;
    bool flag = false;
    QString text;
    QPixmap picture;

    if (ToInt32(ReadOr(bag, "Appearance", 1), number))
        AppearanceValue = number;
    if (ToInt32(ReadOr(bag, "BackColor", qint32(window)), number))
        setBackColor(quint32(number));
    if (ToBool(ReadOr(bag, "CustomMenu", false), flag))
        CustomMenuValue = flag;
    if (ToBool(ReadOr(bag, "MustExist", true), flag))
        MustExistValue = flag;
    if (ToBool(ReadOr(bag, "Enabled", true), flag))
        QWidget::setEnabled(flag);
    if (ToBool(ReadOr(bag, "EnabledLeft"), flag))
        d->ButtonBox[0]->setEnabled(flag);
    if (ToBool(ReadOr(bag, "EnabledRight", true), flag))
        d->ButtonBox[1]->setEnabled(flag);
    for (int i = 0; i < 2; ++i)
    {
        const QVariant font = ReadOr(bag, "Font");
        if (font.typeId() == QMetaType::QFont)
            d->TextField[i]->setFont(font.value<QFont>());
        if (ToInt32(ReadOr(bag, "ForeColor", qint32(windowText)), number) &&
            OleColorToColor(quint32(number), palette()).isValid())
            d->FieldFore[i] = quint32(number);
        if (ToBool(ReadOr(bag, "Locked"), flag))
            d->TextField[i]->setReadOnly(flag);
        if (ToInt32(ReadOr(bag, "MaxLength"), number) && number >= 0)
        {
            d->MaxLength[i] = number;
            d->TextField[i]->setMaxLength(number == 0 ? std::numeric_limits<int>::max() : number);
        }
    }
    ApplyColors();
    if (ToPicture(ReadOr(bag, "MouseIcon", QPixmap()), picture))
        setMouseIcon(picture);
    if (ToInt16(ReadOr(bag, "MousePointer", QVariant::fromValue<short>(0)), small))
        setMousePointer(small);
    if (ToInt16(ReadOr(bag, "OLEDragMode", QVariant::fromValue<short>(0)), small))
        setOLEDragMode(small);
    if (ToInt16(ReadOr(bag, "OLEDropMode", QVariant::fromValue<short>(0)), small))
        setOLEDropMode(small);
    if (ToText(ReadOr(bag, "PasswordChar"), text))
        setPasswordChar(text);
    if (ToPicture(ReadOr(bag, "PictureLeft", QPixmap()), picture))
        setPictureLeft(picture);
    if (ToPicture(ReadOr(bag, "PictureRight", QPixmap()), picture))
        setPictureRight(picture);
    if (ToText(ReadOr(bag, "Text"), text))
        d->TextField[0]->setText(text);
    if (ToText(ReadOr(bag, "ToolTipLeft"), text))
        d->ButtonBox[0]->setToolTip(text);
    if (ToText(ReadOr(bag, "ToolTipRight", QStringLiteral("Browse...")), text))
        d->ButtonBox[1]->setToolTip(text);
    if (ToBool(ReadOr(bag, "VisibleLeft"), flag))
        setVisibleLeft(flag);
    if (ToBool(ReadOr(bag, "VisibleRight", true), flag))
        setVisibleRight(flag);

    // The container's own settings for this control: its tool tip and what's-this text,
    // and a help context number if it keeps one as the "HelpContextID" property.
    d->TextField[0]->setToolTip(toolTip());
    for (QWidget* part : {static_cast<QWidget*>(d->TextField[0]),
                          static_cast<QWidget*>(d->ButtonBox[1]), d->TextFrame})
    {
        part->setProperty("HelpContextID", property("HelpContextID"));
        part->setWhatsThis(whatsThis());
    }
}

// ---------------------------------------------------------------- properties

void BrowseBox::Notify(const char* name)
{
    const QMetaObject* meta = metaObject();
    const int index = meta->indexOfProperty(name);
    if (index >= 0 && meta->property(index).hasNotifySignal())
        meta->property(index).notifySignal().invoke(this, Qt::DirectConnection);
    emit PropertyChanged(QString::fromLatin1(name));
}

BrowseBox::AppearanceConstants BrowseBox::Appearance() const
{
    return static_cast<AppearanceConstants>(AppearanceValue);
}

void BrowseBox::setAppearance(AppearanceConstants value)
{
    if (static_cast<int>(value) == AppearanceValue)
        return;
    AppearanceValue = static_cast<int>(value);
    Layout();
    Notify("Appearance");
}

uint BrowseBox::BackColor() const
{
    return d->FrameBack;
}

void BrowseBox::setBackColor(uint value)
{
    if (!OleColorToColor(value, palette()).isValid())
        return; // not a colour: the parts refuse it
    d->FrameBack = d->FieldBack[0] = d->FieldBack[1] = value;
    ApplyColors();
    Notify("BackColor");
}

bool BrowseBox::CustomMenu() const
{
    return CustomMenuValue;
}

void BrowseBox::setCustomMenu(bool value)
{
    CustomMenuValue = value;
    Notify("CustomMenu");
}

bool BrowseBox::Enabled() const
{
    return OwnEnabled(this);
}

void BrowseBox::setEnabled(bool value)
{
    if (value == Enabled())
        return;
    QWidget::setEnabled(value);
    Notify("Enabled");
}

bool BrowseBox::EnabledLeft() const
{
    return OwnEnabled(d->ButtonBox[0]);
}

void BrowseBox::setEnabledLeft(bool value)
{
    d->ButtonBox[0]->setEnabled(value);
    Layout();
    Notify("EnabledLeft");
}

bool BrowseBox::EnabledRight() const
{
    return OwnEnabled(d->ButtonBox[1]);
}

void BrowseBox::setEnabledRight(bool value)
{
    d->ButtonBox[1]->setEnabled(value);
    Layout();
    Notify("EnabledRight");
}

QFont BrowseBox::Font() const
{
    return d->TextField[0]->font();
}

void BrowseBox::setFont(const QFont& value)
{
    // An ANSI font would take the character set of the system code page here
    // (CodePageCharset); Qt fonts carry no character set, so the font is used as given.
    d->TextField[0]->setFont(value);
    d->TextField[1]->setFont(value);
    Layout();
    Notify("Font");
}

uint BrowseBox::ForeColor() const
{
    return d->FieldFore[0];
}

void BrowseBox::setForeColor(uint value)
{
    if (!OleColorToColor(value, palette()).isValid())
        return;
    d->FieldFore[0] = value;
    ApplyColors();
    Notify("ForeColor");
}

bool BrowseBox::Locked() const
{
    return d->TextField[0]->isReadOnly();
}

void BrowseBox::setLocked(bool value)
{
    d->TextField[0]->setReadOnly(value);
    Notify("Locked");
}

int BrowseBox::MaxLength() const
{
    return d->MaxLength[0];
}

void BrowseBox::setMaxLength(int value)
{
    if (value < 0)
        return;
    d->MaxLength[0] = value;
    d->TextField[0]->setMaxLength(value == 0 ? std::numeric_limits<int>::max() : value);
    Notify("MaxLength");
}

QPixmap BrowseBox::MouseIcon() const
{
    return d->MouseIcon;
}

void BrowseBox::setMouseIcon(const QPixmap& value)
{
    d->MouseIcon = value;
    ApplyMousePointers();
    Notify("MouseIcon");
}

short BrowseBox::MousePointer() const
{
    return d->MousePointer;
}

void BrowseBox::setMousePointer(short value)
{
    if (!IsMousePointerCode(value))
        return;
    d->MousePointer = value;
    ApplyMousePointers();
    Notify("MousePointer");
}

bool BrowseBox::MustExist() const
{
    return MustExistValue;
}

void BrowseBox::setMustExist(bool value)
{
    MustExistValue = value;
    Notify("MustExist");
}

short BrowseBox::OLEDragMode() const
{
    return d->DragMode;
}

void BrowseBox::setOLEDragMode(short value)
{
    if (value != 0 && value != 1)
        return;
    d->DragMode = value;
    Notify("OLEDragMode");
}

short BrowseBox::OLEDropMode() const
{
    return d->DropMode;
}

void BrowseBox::setOLEDropMode(short value)
{
    if (value < 0 || value > 2)
        return;
    d->DropMode = value;
    for (QLineEdit* field : d->TextField)
        field->setAcceptDrops(value != 0);
    Notify("OLEDropMode");
}

QString BrowseBox::PasswordChar() const
{
    return d->PasswordChar;
}

void BrowseBox::setPasswordChar(const QString& value)
{
    if (value.size() > 1)
        return; // one character or none
    QLineEdit* field = d->TextField[0];
    if (QStyle* old = field->style(); qobject_cast<PasswordStyle*>(old) != nullptr)
    {
        field->setStyle(nullptr);
        old->deleteLater();
    }
    d->PasswordChar = value;
    if (value.isEmpty())
    {
        field->setEchoMode(QLineEdit::Normal);
    }
    else
    {
        auto* style = new PasswordStyle(value.at(0));
        style->setParent(field);
        field->setStyle(style);
        field->setEchoMode(QLineEdit::Password);
    }
    Notify("PasswordChar");
}

QPixmap BrowseBox::PictureLeft() const
{
    return d->ButtonBox[0]->Picture();
}

void BrowseBox::setPictureLeft(const QPixmap& value)
{
    d->ButtonBox[0]->SetPicture(value);
    Notify("PictureLeft");
}

QPixmap BrowseBox::PictureRight() const
{
    return d->ButtonBox[1]->Picture();
}

void BrowseBox::setPictureRight(const QPixmap& value)
{
    d->ButtonBox[1]->SetPicture(value);
    Notify("PictureRight");
}

QString BrowseBox::Text() const
{
    return d->TextField[0]->text();
}

void BrowseBox::setText(const QString& value)
{
    ++d->TextWrites;
    d->TextField[0]->setText(value);
    Notify("Text");
}

QString BrowseBox::ToolTipLeft() const
{
    return d->ButtonBox[0]->toolTip();
}

void BrowseBox::setToolTipLeft(const QString& value)
{
    d->ButtonBox[0]->setToolTip(value);
    Notify("ToolTipLeft");
}

QString BrowseBox::ToolTipRight() const
{
    return d->ButtonBox[1]->toolTip();
}

void BrowseBox::setToolTipRight(const QString& value)
{
    d->ButtonBox[1]->setToolTip(value);
    Notify("ToolTipRight");
}

bool BrowseBox::VisibleLeft() const
{
    return !d->ButtonBox[0]->isHidden();
}

void BrowseBox::setVisibleLeft(bool value)
{
    VisibleLeftValue = value;
    d->ButtonBox[0]->setVisible(value);
    Layout();
    Notify("VisibleLeft");
}

bool BrowseBox::VisibleRight() const
{
    return !d->ButtonBox[1]->isHidden();
}

void BrowseBox::setVisibleRight(bool value)
{
    VisibleRightValue = value;
    d->ButtonBox[1]->setVisible(value);
    Layout();
    Notify("VisibleRight");
}

// Qt paints through a QPainter for each paint event; there is no device context that
// outlives one, so there is none to report.
qulonglong BrowseBox::hDC() const
{
    return 0;
}

// The handle of the native window the control is drawn in (0 before it exists); asking
// for a handle of its own would turn the control into a native window.
qulonglong BrowseBox::hWnd() const
{
    return static_cast<qulonglong>(effectiveWinId());
}

int BrowseBox::SelLength() const
{
    return static_cast<int>(d->TextField[0]->selectedText().size());
}

void BrowseBox::setSelLength(int value)
{
    if (value < 0)
        return;
    QLineEdit* field = d->TextField[0];
    const int start = SelStart();
    field->setSelection(start, std::min<int>(value, int(field->text().size()) - start));
}

int BrowseBox::SelStart() const
{
    const QLineEdit* field = d->TextField[0];
    return field->hasSelectedText() ? field->selectionStart() : field->cursorPosition();
}

void BrowseBox::setSelStart(int value)
{
    if (value < 0)
        return;
    QLineEdit* field = d->TextField[0];
    field->deselect();
    field->setCursorPosition(std::min<int>(value, int(field->text().size())));
}

QString BrowseBox::SelText() const
{
    return d->TextField[0]->selectedText();
}

void BrowseBox::setSelText(const QString& value)
{
    d->TextField[0]->insert(value);
}

QString BrowseBox::ErrText() const
{
    return d->TextField[1]->isHidden() ? QString() : d->TextField[1]->text();
}

// The message takes the place of the text; the text itself is never touched, so removing
// the message shows it unchanged.
void BrowseBox::setErrText(const QString& value)
{
    ++d->MessageWrites;
    QLineEdit* text = d->TextField[0];
    QLineEdit* message = d->TextField[1];
    QString trimmed = value;
    while (trimmed.startsWith(u' '))
        trimmed.remove(0, 1);
    while (trimmed.endsWith(u' '))
        trimmed.chop(1);
    message->setText(trimmed);
    message->setToolTip(text->toolTip());
    message->setGeometry(text->geometry());
    const bool show = !message->text().isEmpty();
    // The part coming into view is shown before the other one is hidden, so that a
    // focused part hands its focus over instead of losing it (focusNextPrevChild).
    if (show)
    {
        message->setVisible(true);
        text->setVisible(false);
    }
    else
    {
        text->setVisible(true);
        message->setVisible(false);
    }
}

QString BrowseBox::Version() const
{
    return VersionString();
}

void BrowseBox::TakePaste()
{
    if (d->PasteKeyDown)
        d->PasteTaken = true;
}

// ---------------------------------------------------------------- methods

void BrowseBox::AboutBox()
{
    if (Presenter())
        Presenter()(this, AboutTitle(), AboutText());
    else
        QMessageBox::information(this, AboutTitle(), AboutText(), QMessageBox::Ok);
}

QVariant BrowseBox::SetToolTipText()
{
    return SetToolTipText(toolTip());
}

QVariant BrowseBox::SetToolTipText(const QVariant& Value)
{
    d->TextField[0]->setToolTip(Value.toString());
    return QVariant();
}

short BrowseBox::TextHeight(const QString& Value) const
{
    const qsizetype lines = std::max<qsizetype>(1, Value.count(u'\n') + 1);
    return RoundToInt16(TwipsPerPixelY() * double(lines) * fontMetrics().height());
}

short BrowseBox::TextWidth(const QString& Value) const
{
    qsizetype leadingTabs = 0;
    while (leadingTabs < Value.size() && Value.at(leadingTabs) == u'\t')
        ++leadingTabs;
    QString rest = Value;
    rest.remove(u'\t');
    rest.remove(u'\r');
    int widest = 0;
    for (const QString& line : rest.split(u'\n'))
        widest = std::max(widest, fontMetrics().horizontalAdvance(line));
    const int baseUnit = QFontMetrics(QApplication::font()).averageCharWidth();
    return RoundToInt16(TwipsPerPixelX() * (2.0 * double(leadingTabs) * baseUnit) +
                        TwipsPerPixelX() * widest);
}

// ---------------------------------------------------------------- parts and helpers

QWidget* BrowseBox::TextFrame() const
{
    return d->TextFrame;
}

QLineEdit* BrowseBox::TextField(int index) const
{
    return index >= 0 && index < 2 ? d->TextField[index] : nullptr;
}

QPushButton* BrowseBox::ButtonBox(int index) const
{
    return index >= 0 && index < 2 ? d->ButtonBox[index] : nullptr;
}

QStringList BrowseBox::FileList(const QMimeData* Data)
{
    QStringList files;
    if (Data == nullptr || !Data->hasUrls())
        return files;
    for (const QUrl& url : Data->urls())
        if (url.isLocalFile())
            files << url.toLocalFile();
    return files;
}

void BrowseBox::SetAboutPresenter(AboutPresenter presenter)
{
    Presenter() = std::move(presenter);
}

QString BrowseBox::AboutTitle()
{
    return QStringLiteral("About...");
}

QString BrowseBox::AboutText()
{
    return QStringLiteral("Ostrel path field control library\n\nVersion") + VersionString();
}

double BrowseBox::TwipsPerPixelX() const
{
    return 1440.0 / std::max(1, logicalDpiX());
}

double BrowseBox::TwipsPerPixelY() const
{
    return 1440.0 / std::max(1, logicalDpiY());
}

bool BrowseBox::PartUsable(const QWidget* part) const
{
    return part->isVisibleTo(this) && part->isEnabled();
}

void BrowseBox::ApplyColors()
{
    const QPalette& source = palette();
    const QColor frame = OleColorToColor(d->FrameBack, source);
    if (frame.isValid())
        SetColor(d->TextFrame, QPalette::Window, frame, true);
    for (int i = 0; i < 2; ++i)
    {
        const QColor back = OleColorToColor(d->FieldBack[i], source);
        const QColor fore = OleColorToColor(d->FieldFore[i], source);
        if (back.isValid())
            SetColor(d->TextField[i], QPalette::Base, back, true);
        if (fore.isValid())
            SetColor(d->TextField[i], QPalette::Text, fore, false);
    }
}

// Pointer codes go to the surface, both fields and the right button; the custom icon to
// the surface, field 0 and the right button.
void BrowseBox::ApplyMousePointers()
{
    ApplyMousePointer(this, d->MousePointer, d->MouseIcon);
    ApplyMousePointer(d->TextField[0], d->MousePointer, d->MouseIcon);
    ApplyMousePointer(d->TextField[1], d->MousePointer, QPixmap());
    ApplyMousePointer(d->ButtonBox[1], d->MousePointer, d->MouseIcon);
}

// ---------------------------------------------------------------- layout and border

void BrowseBox::Layout()
{
    if (LayoutDepth >= 1)
        return;
    ++LayoutDepth;
    const double tx = TwipsPerPixelX();
    const double ty = TwipsPerPixelY();
    QLineEdit* field = d->TextField[0];

    LayoutInput in;
    in.Width = width() * tx;
    in.Height = height() * ty;
    in.Appearance = AppearanceValue;
    in.VisibleLeft = VisibleLeftValue;
    in.VisibleRight = VisibleRightValue;
    in.ButtonWidth =
        ButtonWidthTwips(style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this), tx);
    in.TppX = tx;
    in.TppY = ty;
    // Collapsed, the field keeps the height of one line of its font: that is N.
    field->setGeometry(0, 0, 0, 0);
    in.CollapsedFieldWidth = field->width() * tx;
    in.LineHeight = field->height() * ty;

    const LayoutResult r = ComputeLayout(in);
    if (r.PlaceLeft)
        Place(d->ButtonBox[0], r.LeftButton, tx, ty);
    Place(field, r.Field, tx, ty);
    Place(d->TextFrame, r.Frame, tx, ty);
    resize(std::max(0, Px(r.ControlWidth, tx)), std::max(0, Px(r.ControlHeight, ty)));
    d->LastLayoutSize = size();
    if (r.PlaceRight)
        Place(d->ButtonBox[1], RightButtonRect(in, r.Frame, height() * ty), tx, ty);
    d->Border = BorderLines(AppearanceValue, width() * tx, height() * ty, tx, ty);
    update();
    --LayoutDepth;
}

QSize BrowseBox::sizeHint() const
{
    const int a = AppearanceValue;
    const int height = d->TextField[0]->minimumHeight() + 4 + 2 * (a + 1);
    return QSize(std::max(width(), 120), height);
}

QSize BrowseBox::minimumSizeHint() const
{
    return QSize(40, sizeHint().height());
}

void BrowseBox::paintEvent(QPaintEvent*)
{
    // The lines of the last layout, drawn again on every repaint so that they stay.
    QPainter painter(this);
    const double tx = TwipsPerPixelX();
    const double ty = TwipsPerPixelY();
    for (const BorderLine& line : d->Border)
    {
        const QColor color = OleColorToColor(line.Color, palette());
        const int x0 = Px(line.X0, tx);
        const int y0 = Px(line.Y0, ty);
        const int x1 = Px(line.X1, tx);
        const int y1 = Px(line.Y1, ty);
        // From the start point up to, not including, the end point.
        if (y0 == y1 && x1 != x0)
            painter.fillRect(x1 > x0 ? QRect(x0, y0, x1 - x0, 1) : QRect(x1 + 1, y0, x0 - x1, 1),
                             color);
        else if (x0 == x1 && y1 != y0)
            painter.fillRect(y1 > y0 ? QRect(x0, y0, 1, y1 - y0) : QRect(x0, y1 + 1, 1, y0 - y1),
                             color);
    }
}

void BrowseBox::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (size() != d->LastLayoutSize)
        Layout();
}

void BrowseBox::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        ApplyColors(); // system colours follow the palette
}

void BrowseBox::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    d->TextField[0]->setToolTip(toolTip());
    for (QWidget* part :
         {static_cast<QWidget*>(d->TextField[0]), static_cast<QWidget*>(d->ButtonBox[0]),
          static_cast<QWidget*>(d->ButtonBox[1])})
        part->setWhatsThis(whatsThis());
}

// ---------------------------------------------------------------- focus

// Entering the control: the part under the pointer if it is a usable button, else the
// text, else the message.
void BrowseBox::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    const double tx = TwipsPerPixelX();
    const double ty = TwipsPerPixelY();
    const QPoint pointer = QCursor::pos() - mapToGlobal(QPoint(0, 0));
    const double px = RoundHalfEven(pointer.x() * tx);
    const double py = RoundHalfEven(pointer.y() * ty);
    const FocusCandidate left{Twips(d->ButtonBox[0]->geometry(), tx, ty),
                              PartUsable(d->ButtonBox[0])};
    const FocusCandidate right{Twips(d->ButtonBox[1]->geometry(), tx, ty),
                               PartUsable(d->ButtonBox[1])};
    QWidget* target = nullptr;
    switch (EnterFocusTarget(px, py, left, right, PartUsable(d->TextField[0]),
                             PartUsable(d->TextField[1])))
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
            if (field != focus && PartUsable(field))
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

// ---------------------------------------------------------------- surface mouse events

void BrowseBox::mousePressEvent(QMouseEvent* event)
{
    QWidget::mousePressEvent(event);
    emit MouseDown(MouseButtonMask(event->button()), ShiftState(event->modifiers()),
                   float(event->position().x() * TwipsPerPixelX()),
                   float(event->position().y() * TwipsPerPixelY()));
}

void BrowseBox::mouseMoveEvent(QMouseEvent* event)
{
    QWidget::mouseMoveEvent(event);
    emit MouseMove(MouseButtonMask(event->buttons()), ShiftState(event->modifiers()),
                   float(event->position().x() * TwipsPerPixelX()),
                   float(event->position().y() * TwipsPerPixelY()));
}

void BrowseBox::mouseReleaseEvent(QMouseEvent* event)
{
    QWidget::mouseReleaseEvent(event);
    emit MouseUp(MouseButtonMask(event->button()), ShiftState(event->modifiers()),
                 float(event->position().x() * TwipsPerPixelX()),
                 float(event->position().y() * TwipsPerPixelY()));
}

// ---------------------------------------------------------------- parts' events

bool BrowseBox::eventFilter(QObject* watched, QEvent* event)
{
    for (int i = 0; i < 2; ++i)
    {
        if (watched == d->TextField[i])
            return FieldEvent(i, event) || QWidget::eventFilter(watched, event);
        if (watched == d->ButtonBox[i])
            return ButtonEvent(i, event) || QWidget::eventFilter(watched, event);
    }
    return QWidget::eventFilter(watched, event);
}

void BrowseBox::ButtonClicked(int index)
{
    emit ButtonClick(static_cast<short>(index));
    FocusTextAfterButton();
}

void BrowseBox::FocusTextAfterButton()
{
    if (PartUsable(d->TextField[0]))
        d->TextField[0]->setFocus(Qt::OtherFocusReason);
}

bool BrowseBox::ButtonEvent(int index, QEvent* event)
{
    QWidget* button = d->ButtonBox[index];
    const auto place = [&](const QMouseEvent* m)
    {
        return QPointF((button->x() + m->position().x()) * TwipsPerPixelX(),
                       (button->y() + m->position().y()) * TwipsPerPixelY());
    };
    switch (event->type())
    {
    case QEvent::MouseButtonPress:
    {
        const auto* m = static_cast<QMouseEvent*>(event);
        const QPointF p = place(m);
        emit MouseDown(MouseButtonMask(m->button()), ShiftState(m->modifiers()), float(p.x()),
                       float(p.y()));
        break;
    }
    case QEvent::MouseMove:
    {
        const auto* m = static_cast<QMouseEvent*>(event);
        const QPointF p = place(m);
        emit MouseMove(MouseButtonMask(m->buttons()), ShiftState(m->modifiers()), float(p.x()),
                       float(p.y()));
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
        const QPointF p = place(m);
        emit MouseUp(MouseButtonMask(m->button()), ShiftState(m->modifiers()), float(p.x()),
                     float(p.y()));
        break;
    }
    default:
        break;
    }
    return false;
}

void BrowseBox::SuppressEditMenu(int index)
{
    QLineEdit* field = d->TextField[index];
    const int start = field->hasSelectedText() ? field->selectionStart() : field->cursorPosition();
    const int length = static_cast<int>(field->selectedText().size());
    // The built-in menu's event is swallowed in FieldEvent; the press itself must not
    // disturb the selection the container's own menu may act on.
    field->setFocus(Qt::MouseFocusReason);
    if (length > 0)
        field->setSelection(start, length);
    else
        field->setCursorPosition(start);
}

bool BrowseBox::FieldEvent(int index, QEvent* event)
{
    QLineEdit* field = d->TextField[index];
    const double tx = TwipsPerPixelX();
    const double ty = TwipsPerPixelY();
    // Both fields report in the control's coordinates through field 0's place, which the
    // message shares while it is shown.
    const auto place = [&](const QPointF& local)
    {
        return QPointF((d->TextFrame->x() + d->TextField[0]->x() + local.x()) * tx,
                       (d->TextFrame->y() + d->TextField[0]->y() + local.y()) * ty);
    };

    switch (event->type())
    {
    case QEvent::FontChange:
        field->setMinimumHeight(field->fontMetrics().height());
        return false;

    case QEvent::KeyPress:
    {
        auto* k = static_cast<QKeyEvent*>(event);
        // Tab and Shift+Tab move the focus on; they are not keys of the field.
        if ((k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) &&
            !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            return false;
        // A key of the message handed on to the text: its events were raised already.
        if (d->ForwardingKey)
            return false;
        const short code = VirtualKeyCode(*k);
        const short shift = ShiftState(k->modifiers());
        const bool pasteKey = ((shift & ShiftMask::Ctrl) && code == VirtualKey::V) ||
                              (code == VirtualKey::Insert && shift == ShiftMask::Shift);
        if (index == 0 && (shift & ShiftMask::Ctrl) && code == VirtualKey::A)
            field->setSelection(0, static_cast<int>(field->text().size()));
        if (pasteKey)
            TextBeforePaste = d->TextField[0]->text();
        const quint64 textWrites = d->TextWrites;
        const quint64 messageWrites = d->MessageWrites;
        d->PasteTaken = false;
        d->PasteKeyDown = pasteKey;
        emit KeyDown(code, shift);
        d->PasteKeyDown = false;
        // A container that dealt with a paste key itself (put a path in the field, or
        // refused the clipboard) wants the field's text as it left it: the field's own
        // paste would insert the clipboard text into it.
        if (pasteKey && (d->PasteTaken || d->TextWrites != textWrites))
            return true;
        const short ascii = KeyAscii(*k);
        if (index == 1 && EditsText(*k))
        {
            // The message is never edited: what the field shows is what it holds. The
            // first edit removes it and goes to the text instead, unless the container
            // answered the key with a message or a text of its own, or the text cannot
            // be edited.
            if (ascii != 0)
                emit KeyPress(ascii);
            QLineEdit* text = d->TextField[0];
            if (d->TextWrites != textWrites || d->MessageWrites != messageWrites ||
                !text->isEnabled() || text->isReadOnly())
                return true;
            if (!field->isHidden())
                setErrText(QString());
            const std::unique_ptr<QEvent> copy(k->clone());
            d->ForwardingKey = true;
            QApplication::sendEvent(text, copy.get());
            d->ForwardingKey = false;
            return true;
        }
        if (ascii != 0)
            emit KeyPress(ascii);
        return false;
    }

    case QEvent::KeyRelease:
    {
        auto* k = static_cast<QKeyEvent*>(event);
        if (k->isAutoRepeat() || ((k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) &&
                                  !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier))))
            return false;
        const short code = VirtualKeyCode(*k);
        const short shift = ShiftState(k->modifiers());
        // The release of a key whose press removed the message: the text's rules apply.
        if (index == 0 || field->isHidden())
        {
            if (shift == ShiftMask::Alt && (code == VirtualKey::Up || code == VirtualKey::Down))
            {
                // The keyboard's way to the right button, shown or not.
                ButtonClicked(1);
            }
            else if (((shift == ShiftMask::Shift && code == VirtualKey::Insert) ||
                      ((shift & ShiftMask::Ctrl) && code == VirtualKey::V)) &&
                     MustExistValue && !d->PasteTaken)
            {
                QLineEdit* text = d->TextField[0];
                const std::string path = QFile::encodeName(text->text()).toStdString();
                if (!Kestrin::FileExists(path) && !Kestrin::FolderExists(path))
                    text->setText(TextBeforePaste);
            }
        }
        emit KeyUp(code, shift);
        return false;
    }

    case QEvent::MouseButtonPress:
    {
        auto* m = static_cast<QMouseEvent*>(event);
        const short shift = ShiftState(m->modifiers());
        if (m->button() == Qt::RightButton && shift == 0 && CustomMenuValue)
            SuppressEditMenu(index);
        const QPointF p = place(m->position());
        emit MouseDown(MouseButtonMask(m->button()), shift, float(p.x()), float(p.y()));
        if (index == 0 && d->DragMode == 1 && m->button() == Qt::LeftButton &&
            field->hasSelectedText())
        {
            const int at = field->cursorPositionAt(m->position().toPoint());
            const int start = field->selectionStart();
            if (at >= start && at < start + field->selectedText().size())
            {
                // Keep the selection: it may be dragged away.
                d->DragArmed = true;
                d->DragStart = m->position().toPoint();
                field->setFocus(Qt::MouseFocusReason);
                return true;
            }
        }
        return false;
    }

    case QEvent::MouseMove:
    {
        auto* m = static_cast<QMouseEvent*>(event);
        const QPointF p = place(m->position());
        emit MouseMove(MouseButtonMask(m->buttons()), ShiftState(m->modifiers()), float(p.x()),
                       float(p.y()));
        if (d->DragArmed && (m->buttons() & Qt::LeftButton) &&
            (m->position().toPoint() - d->DragStart).manhattanLength() >=
                QApplication::startDragDistance())
        {
            d->DragArmed = false;
            StartTextDrag();
            return true;
        }
        return d->DragArmed;
    }

    case QEvent::MouseButtonRelease:
    {
        auto* m = static_cast<QMouseEvent*>(event);
        const QPointF p = place(m->position());
        emit MouseUp(MouseButtonMask(m->button()), ShiftState(m->modifiers()), float(p.x()),
                     float(p.y()));
        if (m->button() == Qt::LeftButton && field->rect().contains(m->position().toPoint()))
            emit Click();
        if (d->DragArmed)
        {
            // No drag followed: the press places the cursor after all.
            d->DragArmed = false;
            field->setCursorPosition(field->cursorPositionAt(m->position().toPoint()));
            return true;
        }
        return false;
    }

    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            emit DblClick();
        return false;

    case QEvent::ContextMenu:
    {
        // With CustomMenu the container shows its own menu from MouseDown or MouseUp.
        const auto* c = static_cast<QContextMenuEvent*>(event);
        return CustomMenuValue && c->reason() == QContextMenuEvent::Mouse &&
               c->modifiers() == Qt::NoModifier;
    }

    case QEvent::DragEnter:
    case QEvent::DragMove:
    {
        if (d->DropMode != 1)
            return d->DropMode == 0; // automatic: the field's own handling
        auto* e = static_cast<QDragMoveEvent*>(event);
        e->acceptProposedAction();
        const bool enter = event->type() == QEvent::DragEnter;
        if (enter)
            d->DragOverData = const_cast<QMimeData*>(e->mimeData());
        const QPointF p = place(e->position());
        emit OLEDragOver(e->mimeData(), DropEffect(e->possibleActions()),
                         MouseButtonMask(e->buttons()), ShiftState(e->modifiers()), float(p.x()),
                         float(p.y()), short(enter ? 0 : 2));
        return true;
    }

    case QEvent::DragLeave:
    {
        if (d->DropMode != 1)
            return d->DropMode == 0;
        const QPoint local = field->mapFromGlobal(QCursor::pos());
        const QPointF p = place(local);
        emit OLEDragOver(d->DragOverData.data(), 0, MouseButtonMask(QApplication::mouseButtons()),
                         ShiftState(QApplication::keyboardModifiers()), float(p.x()), float(p.y()),
                         short(1));
        d->DragOverData.clear();
        return true;
    }

    case QEvent::Drop:
    {
        if (d->DropMode != 1)
            return d->DropMode == 0;
        auto* e = static_cast<QDropEvent*>(event);
        // The first file of a dropped file list becomes the field's text before the
        // container hears of the drop.
        const QStringList files = FileList(e->mimeData());
        if (!files.isEmpty())
            field->setText(files.first());
        e->acceptProposedAction();
        d->DragOverData.clear();
        const QPointF p = place(e->position());
        emit OLEDragDrop(e->mimeData(), DropEffect(e->possibleActions()),
                         MouseButtonMask(e->buttons()), ShiftState(e->modifiers()), float(p.x()),
                         float(p.y()));
        return true;
    }

    default:
        return false;
    }
}

// Automatic drag mode: the selected text of field 0 is dragged away.
void BrowseBox::StartTextDrag()
{
    QLineEdit* field = d->TextField[0];
    const QString dragged = field->selectedText();
    const int start = field->selectionStart();
    const QString before = field->text();

    auto* dragData = new DragData;
    dragData->setText(dragged);
    dragData->Render = [this](DragData* source, const QString& mimeType)
    { emit OLESetData(source, DragData::FormatCode(mimeType)); };
    emit OLEStartDrag(dragData, 1 | 2);

    QPointer<QDrag> drag = new QDrag(field);
    drag->setMimeData(dragData);
    connect(drag, &QDrag::actionChanged, this,
            [this](Qt::DropAction action) { emit OLEGiveFeedback(DropEffect(action), true); });
    const Qt::DropAction result = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
    // A moved text leaves the field, unless the field changed while it was away.
    if (result == Qt::MoveAction && field->text() == before)
        field->setText(before.left(start) + before.mid(start + dragged.size()));
    emit OLECompleteDrag(DropEffect(result));
}
} // namespace Ostrel
