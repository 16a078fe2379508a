// SPDX-License-Identifier: MIT
// BrowseBox: creation, properties and methods. Layout, input, drag and drop and
// persistence live in the BrowseBox*.cpp files beside this one.
#include "BrowseBoxPrivate.h"
#include "BrowseGlyph.h"
#include "MousePointer.h"
#include "OstrelVersion.h"
#include "PasswordStyle.h"
#include "PictureButton.h"
#include "VersionText.h"

#include <Ostrel/BrowseBox.h>
#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMessageBox>
#include <QMetaProperty>
#include <QMimeData>
#include <QStyle>
#include <QUrl>
#include <limits>
#include <stdexcept>

namespace Ostrel
{
static_assert(OstrelVersionMinor <= 32667 && OstrelVersionRevision <= 22767,
              "the version text cannot show these numbers");

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
        VersionText(OstrelVersionMajor, OstrelVersionMinor, OstrelVersionRevision));
}

// The widget's own Enabled setting, whatever its parents say.
bool OwnEnabled(const QWidget* widget)
{
    return !widget->testAttribute(Qt::WA_ForceDisabled);
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

// An explicit colour as an OLE colour (0x00BBGGRR).
uint OleColorOf(const QColor& color)
{
    return uint(color.red()) | uint(color.green()) << 8 | uint(color.blue()) << 16;
}
} // namespace

// ---------------------------------------------------------------- creation

BrowseBox::BrowseBox(QWidget* parent) : QWidget(parent), d(std::make_unique<Private>(this))
{
    d->CreateParts();
    d->InitProperties();
    d->Layout();
}

BrowseBox::BrowseBox(const PropertyBag& bag, QWidget* parent)
    : QWidget(parent), d(std::make_unique<Private>(this))
{
    d->CreateParts();
    ReadProperties(bag);
    d->Layout();
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
void BrowseBox::Private::CreateParts()
{
    // Lets queued connections and signal spies carry the drag-and-drop data argument.
    qRegisterMetaType<const QMimeData*>("const QMimeData*");
    q->setFocusPolicy(Qt::StrongFocus);
    q->setAttribute(Qt::WA_InputMethodEnabled, false);
    q->setMouseTracking(true);
    q->setAutoFillBackground(true);
    q->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    DesignFont = q->font();

    TextFrame = new QWidget(q);
    TextFrame->setObjectName(QStringLiteral("TextFrame"));
    TextFrame->setAutoFillBackground(true);

    for (int i = 0; i < 2; ++i)
    {
        QLineEdit* field = new QLineEdit(TextFrame);
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
        field->installEventFilter(q);
        TextField[i] = field;

        PictureButton* button = new PictureButton(q);
        button->setObjectName(QStringLiteral("ButtonBox%1").arg(i));
        button->setProperty("Index", i);
        button->setFocusPolicy(Qt::ClickFocus);
        button->setAutoDefault(false);
        button->setMouseTracking(true);
        button->SetPicture(BrowseGlyph());
        button->installEventFilter(q);
        connect(button, &QPushButton::clicked, q, [this, i] { ButtonClicked(i); });
        ButtonBox[i] = button;
    }
    TextField[1]->hide();
    ButtonBox[0]->hide();
    connect(TextField[0], &QLineEdit::textChanged, q, [this] { Q_EMIT q->Change(); });
    ApplyColors();
}

void BrowseBox::Private::InitProperties()
{
    Appearance = ThreeD;
    ButtonBox[1]->setToolTip(BrowseBox::tr("Browse..."));
    FieldBack[0] = FieldBack[1] = OleSystemColor(OleColorIndex::Window);
    ApplyColors();
    MustExist = true;
    VisibleRight = true;
}

// ---------------------------------------------------------------- properties

void BrowseBox::Private::Notify(Persisted property)
{
    const char* name = PersistedName(property);
    const QMetaObject* meta = q->metaObject();
    const int index = meta->indexOfProperty(name);
    if (index >= 0 && meta->property(index).hasNotifySignal())
        meta->property(index).notifySignal().invoke(q, Qt::DirectConnection);
    Q_EMIT q->PropertyChanged(QString::fromLatin1(name));
}

BrowseBox::AppearanceConstants BrowseBox::Appearance() const
{
    return static_cast<AppearanceConstants>(d->Appearance);
}

void BrowseBox::setAppearance(AppearanceConstants value)
{
    if (static_cast<int>(value) == d->Appearance)
        return;
    d->Appearance = static_cast<int>(value);
    d->Layout();
    d->Notify(Persisted::Appearance);
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
    d->ApplyColors();
    d->Notify(Persisted::BackColor);
}

QColor BrowseBox::BackColorAsColor() const
{
    return OleColorToColor(d->FrameBack, palette());
}

void BrowseBox::setBackColor(const QColor& value)
{
    if (value.isValid())
        setBackColor(OleColorOf(value));
}

bool BrowseBox::CustomMenu() const
{
    return d->CustomMenu;
}

void BrowseBox::setCustomMenu(bool value)
{
    d->CustomMenu = value;
    d->Notify(Persisted::CustomMenu);
}

bool BrowseBox::Enabled() const
{
    return OwnEnabled(this);
}

bool BrowseBox::EnabledLeft() const
{
    return OwnEnabled(d->ButtonBox[0]);
}

void BrowseBox::setEnabledLeft(bool value)
{
    d->ButtonBox[0]->setEnabled(value);
    d->Layout();
    d->Notify(Persisted::EnabledLeft);
}

bool BrowseBox::EnabledRight() const
{
    return OwnEnabled(d->ButtonBox[1]);
}

void BrowseBox::setEnabledRight(bool value)
{
    d->ButtonBox[1]->setEnabled(value);
    d->Layout();
    d->Notify(Persisted::EnabledRight);
}

QFont BrowseBox::Font() const
{
    return d->TextField[0]->font();
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
    d->ApplyColors();
    d->Notify(Persisted::ForeColor);
}

QColor BrowseBox::ForeColorAsColor() const
{
    return OleColorToColor(d->FieldFore[0], palette());
}

void BrowseBox::setForeColor(const QColor& value)
{
    if (value.isValid())
        setForeColor(OleColorOf(value));
}

bool BrowseBox::Locked() const
{
    return d->TextField[0]->isReadOnly();
}

void BrowseBox::setLocked(bool value)
{
    d->TextField[0]->setReadOnly(value);
    d->Notify(Persisted::Locked);
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
    d->Notify(Persisted::MaxLength);
}

QPixmap BrowseBox::MouseIcon() const
{
    return d->MouseIcon;
}

void BrowseBox::setMouseIcon(const QPixmap& value)
{
    d->MouseIcon = value;
    d->ApplyMousePointers();
    d->Notify(Persisted::MouseIcon);
}

BrowseBox::MousePointerConstants BrowseBox::MousePointer() const
{
    return static_cast<MousePointerConstants>(d->MousePointer);
}

void BrowseBox::setMousePointer(MousePointerConstants value)
{
    if (!IsMousePointerCode(value))
        return;
    d->MousePointer = static_cast<short>(value);
    d->ApplyMousePointers();
    d->Notify(Persisted::MousePointer);
}

bool BrowseBox::MustExist() const
{
    return d->MustExist;
}

void BrowseBox::setMustExist(bool value)
{
    d->MustExist = value;
    d->Notify(Persisted::MustExist);
}

BrowseBox::OLEDragConstants BrowseBox::OLEDragMode() const
{
    return static_cast<OLEDragConstants>(d->DragMode);
}

void BrowseBox::setOLEDragMode(OLEDragConstants value)
{
    if (value != OLEDragManual && value != OLEDragAutomatic)
        return;
    d->DragMode = static_cast<short>(value);
    d->Notify(Persisted::OLEDragMode);
}

BrowseBox::OLEDropConstants BrowseBox::OLEDropMode() const
{
    return static_cast<OLEDropConstants>(d->DropMode);
}

void BrowseBox::setOLEDropMode(OLEDropConstants value)
{
    if (value < OLEDropNone || value > OLEDropAutomatic)
        return;
    d->DropMode = static_cast<short>(value);
    for (QLineEdit* field : d->TextField)
        field->setAcceptDrops(value != OLEDropNone);
    d->Notify(Persisted::OLEDropMode);
}

QString BrowseBox::PasswordChar() const
{
    return d->PasswordChar;
}

void BrowseBox::setPasswordChar(const QString& value)
{
    if (value.size() > 1)
        return; // one character or none
    d->ApplyPasswordChar(value);
    d->Notify(Persisted::PasswordChar);
}

void BrowseBox::Private::ApplyPasswordChar(const QString& value)
{
    QLineEdit* field = TextField[0];
    if (QStyle* old = field->style(); qobject_cast<PasswordStyle*>(old) != nullptr)
    {
        field->setStyle(nullptr);
        old->deleteLater();
    }
    PasswordChar = value;
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
}

QPixmap BrowseBox::PictureLeft() const
{
    return d->ButtonBox[0]->Picture();
}

void BrowseBox::setPictureLeft(const QPixmap& value)
{
    d->ButtonBox[0]->SetPicture(value);
    d->Notify(Persisted::PictureLeft);
}

QPixmap BrowseBox::PictureRight() const
{
    return d->ButtonBox[1]->Picture();
}

void BrowseBox::setPictureRight(const QPixmap& value)
{
    d->ButtonBox[1]->SetPicture(value);
    d->Notify(Persisted::PictureRight);
}

QString BrowseBox::Text() const
{
    return d->TextField[0]->text();
}

void BrowseBox::setText(const QString& value)
{
    ++d->TextWrites;
    d->TextField[0]->setText(value);
    d->Notify(Persisted::Text);
}

QString BrowseBox::ToolTipLeft() const
{
    return d->ButtonBox[0]->toolTip();
}

void BrowseBox::setToolTipLeft(const QString& value)
{
    d->ButtonBox[0]->setToolTip(value);
    d->UpdateAccessibility();
    d->Notify(Persisted::ToolTipLeft);
}

QString BrowseBox::ToolTipRight() const
{
    return d->ButtonBox[1]->toolTip();
}

void BrowseBox::setToolTipRight(const QString& value)
{
    d->ButtonBox[1]->setToolTip(value);
    d->UpdateAccessibility();
    d->Notify(Persisted::ToolTipRight);
}

bool BrowseBox::VisibleLeft() const
{
    return !d->ButtonBox[0]->isHidden();
}

void BrowseBox::setVisibleLeft(bool value)
{
    d->VisibleLeft = value;
    d->ButtonBox[0]->setVisible(value);
    d->Layout();
    d->Notify(Persisted::VisibleLeft);
}

bool BrowseBox::VisibleRight() const
{
    return !d->ButtonBox[1]->isHidden();
}

void BrowseBox::setVisibleRight(bool value)
{
    d->VisibleRight = value;
    d->ButtonBox[1]->setVisible(value);
    d->Layout();
    d->Notify(Persisted::VisibleRight);
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
    d->UpdateAccessibility();
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
    const QFontMetrics metrics(d->DesignFont, this);
    return RoundToInt16(d->TwipsPerPixelY() * double(lines) * metrics.height());
}

short BrowseBox::TextWidth(const QString& Value) const
{
    qsizetype leadingTabs = 0;
    while (leadingTabs < Value.size() && Value.at(leadingTabs) == u'\t')
        ++leadingTabs;
    // Twice the count is 16-bit arithmetic where the control comes from.
    if (leadingTabs >= 16384)
        throw std::overflow_error("TextWidth: 16,384 or more leading tabs");
    QString rest = Value;
    rest.remove(u'\t');
    rest.remove(u'\r');
    const QFontMetrics metrics(d->DesignFont, this);
    int widest = 0;
    for (const QString& line : rest.split(u'\n'))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    const int baseUnit = QFontMetrics(QApplication::font()).averageCharWidth();
    const double twips =
        d->TwipsPerPixelX() * (2.0 * double(leadingTabs) * baseUnit) + d->TwipsPerPixelX() * widest;
    if (RoundHalfEven(twips) > 32767)
        throw std::overflow_error("TextWidth: wider than 32,767 twips");
    return RoundToInt16(twips);
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
            files << QDir::toNativeSeparators(url.toLocalFile()); // as the shell names them
    return files;
}

void BrowseBox::SetAboutPresenter(AboutPresenter presenter)
{
    Presenter() = std::move(presenter);
}

QString BrowseBox::AboutTitle()
{
    return tr("About...");
}

QString BrowseBox::AboutText()
{
    return QString::fromUtf8(OstrelFileDescription) + tr("\n\nVersion") + VersionString();
}

double BrowseBox::Private::TwipsPerPixelX() const
{
    return 1440.0 / std::max(1, q->logicalDpiX());
}

double BrowseBox::Private::TwipsPerPixelY() const
{
    return 1440.0 / std::max(1, q->logicalDpiY());
}

bool BrowseBox::Private::PartUsable(const QWidget* part) const
{
    return part->isVisibleTo(q) && part->isEnabled();
}

void BrowseBox::Private::ApplyColors()
{
    const QPalette& source = q->palette();
    const QColor frame = OleColorToColor(FrameBack, source);
    if (frame.isValid())
        SetColor(TextFrame, QPalette::Window, frame, true);
    for (int i = 0; i < 2; ++i)
    {
        const QColor back = OleColorToColor(FieldBack[i], source);
        const QColor fore = OleColorToColor(FieldFore[i], source);
        if (back.isValid())
            SetColor(TextField[i], QPalette::Base, back, true);
        if (fore.isValid())
            SetColor(TextField[i], QPalette::Text, fore, false);
    }
}

// Pointer codes go to the surface, both fields and the right button; the custom icon to
// the surface, field 0 and the right button.
void BrowseBox::Private::ApplyMousePointers()
{
    ApplyMousePointer(q, MousePointer, MouseIcon);
    ApplyMousePointer(TextField[0], MousePointer, MouseIcon);
    ApplyMousePointer(TextField[1], MousePointer, QPixmap());
    ApplyMousePointer(ButtonBox[1], MousePointer, MouseIcon);
}

// Enabled and Font are QWidget's own: whoever changes them, the control follows here.
void BrowseBox::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    switch (event->type())
    {
    case QEvent::PaletteChange:
        d->ApplyColors(); // system colours follow the palette
        break;
    case QEvent::LanguageChange:
        d->UpdateAccessibility();
        break;
    case QEvent::EnabledChange:
        // A parent's change leaves the control's own setting, and its value, as they were.
        if (Enabled() != d->NotifiedEnabled)
        {
            d->NotifiedEnabled = Enabled();
            d->Notify(Persisted::Enabled);
        }
        break;
    case QEvent::FontChange:
        // Only a font set on the control itself is the Font property; one it merely
        // inherits from its container leaves the fields' fonts (a loaded one) alone.
        if (testAttribute(Qt::WA_SetFont))
        {
            // An ANSI font would take the character set of the system code page here
            // (CodePageCharset); Qt fonts carry no character set, so it is used as given.
            for (QLineEdit* field : d->TextField)
                field->setFont(font());
            d->Layout();
            d->Notify(Persisted::Font);
        }
        break;
    default:
        break;
    }
}
} // namespace Ostrel
