#include "BrowseBox.h"

#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

namespace Ostrel
{
struct BrowseBox::Parts
{
    QWidget* TextFrame = nullptr;
    QLineEdit* TextField[2] = {};
    QPushButton* ButtonBox[2] = {};
    QPixmap Picture[2];
    QPixmap MouseIcon;
    short MousePointer = 0;
    short DragMode = 0;
    short DropMode = 0;
    uint BackColor = 0x80000005u;
    uint ForeColor = 0x80000008u;
    int MaxLength = 0;
};

namespace
{
BrowseBox::AboutPresenter& Presenter()
{
    static BrowseBox::AboutPresenter presenter;
    return presenter;
}
} // namespace

BrowseBox::BrowseBox(QWidget* parent) : QWidget(parent), d(std::make_unique<Parts>())
{
    CreateParts();
    InitProperties();
}

BrowseBox::BrowseBox(const PropertyBag& bag, QWidget* parent)
    : QWidget(parent), d(std::make_unique<Parts>())
{
    CreateParts();
    ReadProperties(bag);
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

void BrowseBox::CreateParts()
{
    d->TextFrame = new QWidget(this);
    d->TextFrame->setObjectName(QStringLiteral("TextFrame"));
    for (int i = 0; i < 2; ++i)
    {
        d->TextField[i] = new QLineEdit(d->TextFrame);
        d->TextField[i]->setObjectName(QStringLiteral("TextField%1").arg(i));
        d->TextField[i]->setFrame(false);
        d->ButtonBox[i] = new QPushButton(this);
        d->ButtonBox[i]->setObjectName(QStringLiteral("ButtonBox%1").arg(i));
        const int index = i;
        connect(d->ButtonBox[i], &QPushButton::clicked, this,
                [this, index] { emit ButtonClick(short(index)); });
    }
    d->TextField[1]->hide();
    connect(d->TextField[0], &QLineEdit::textChanged, this, [this] { emit Change(); });
}

void BrowseBox::InitProperties()
{
    AppearanceValue = ThreeD;
    d->ButtonBox[1]->setToolTip(QStringLiteral("Browse..."));
    MustExistValue = true;
    VisibleRightValue = true;
    d->ButtonBox[0]->hide();
}

void BrowseBox::WriteProperties(PropertyBag&) const {}
PropertyBag BrowseBox::WriteProperties() const
{
    PropertyBag bag;
    WriteProperties(bag);
    return bag;
}
void BrowseBox::ReadProperties(const PropertyBag&) {}

void BrowseBox::Notify(const char* name)
{
    emit PropertyChanged(QString::fromLatin1(name));
}

BrowseBox::AppearanceConstants BrowseBox::Appearance() const
{
    return AppearanceConstants(AppearanceValue);
}
void BrowseBox::setAppearance(AppearanceConstants value)
{
    AppearanceValue = value;
    emit AppearanceChanged();
    Notify("Appearance");
}
uint BrowseBox::BackColor() const
{
    return d->BackColor;
}
void BrowseBox::setBackColor(uint value)
{
    d->BackColor = value;
    emit BackColorChanged();
    Notify("BackColor");
}
bool BrowseBox::CustomMenu() const
{
    return CustomMenuValue;
}
void BrowseBox::setCustomMenu(bool value)
{
    CustomMenuValue = value;
    emit CustomMenuChanged();
    Notify("CustomMenu");
}
bool BrowseBox::Enabled() const
{
    return isEnabled();
}
void BrowseBox::setEnabled(bool value)
{
    QWidget::setEnabled(value);
    emit EnabledChanged();
    Notify("Enabled");
}
bool BrowseBox::EnabledLeft() const
{
    return d->ButtonBox[0]->isEnabled();
}
void BrowseBox::setEnabledLeft(bool value)
{
    d->ButtonBox[0]->setEnabled(value);
    emit EnabledLeftChanged();
    Notify("EnabledLeft");
}
bool BrowseBox::EnabledRight() const
{
    return d->ButtonBox[1]->isEnabled();
}
void BrowseBox::setEnabledRight(bool value)
{
    d->ButtonBox[1]->setEnabled(value);
    emit EnabledRightChanged();
    Notify("EnabledRight");
}
QFont BrowseBox::Font() const
{
    return d->TextField[0]->font();
}
void BrowseBox::setFont(const QFont& value)
{
    d->TextField[0]->setFont(value);
    d->TextField[1]->setFont(value);
    emit FontChanged();
    Notify("Font");
}
uint BrowseBox::ForeColor() const
{
    return d->ForeColor;
}
void BrowseBox::setForeColor(uint value)
{
    d->ForeColor = value;
    emit ForeColorChanged();
    Notify("ForeColor");
}
bool BrowseBox::Locked() const
{
    return d->TextField[0]->isReadOnly();
}
void BrowseBox::setLocked(bool value)
{
    d->TextField[0]->setReadOnly(value);
    emit LockedChanged();
    Notify("Locked");
}
int BrowseBox::MaxLength() const
{
    return d->MaxLength;
}
void BrowseBox::setMaxLength(int value)
{
    d->MaxLength = value;
    emit MaxLengthChanged();
    Notify("MaxLength");
}
QPixmap BrowseBox::MouseIcon() const
{
    return d->MouseIcon;
}
void BrowseBox::setMouseIcon(const QPixmap& value)
{
    d->MouseIcon = value;
    emit MouseIconChanged();
    Notify("MouseIcon");
}
short BrowseBox::MousePointer() const
{
    return d->MousePointer;
}
void BrowseBox::setMousePointer(short value)
{
    d->MousePointer = value;
    emit MousePointerChanged();
    Notify("MousePointer");
}
bool BrowseBox::MustExist() const
{
    return MustExistValue;
}
void BrowseBox::setMustExist(bool value)
{
    MustExistValue = value;
    emit MustExistChanged();
    Notify("MustExist");
}
short BrowseBox::OLEDragMode() const
{
    return d->DragMode;
}
void BrowseBox::setOLEDragMode(short value)
{
    d->DragMode = value;
    emit OLEDragModeChanged();
    Notify("OLEDragMode");
}
short BrowseBox::OLEDropMode() const
{
    return d->DropMode;
}
void BrowseBox::setOLEDropMode(short value)
{
    d->DropMode = value;
    emit OLEDropModeChanged();
    Notify("OLEDropMode");
}
QString BrowseBox::PasswordChar() const
{
    return QString();
}
void BrowseBox::setPasswordChar(const QString&)
{
    emit PasswordCharChanged();
    Notify("PasswordChar");
}
QPixmap BrowseBox::PictureLeft() const
{
    return d->Picture[0];
}
void BrowseBox::setPictureLeft(const QPixmap& value)
{
    d->Picture[0] = value;
    emit PictureLeftChanged();
    Notify("PictureLeft");
}
QPixmap BrowseBox::PictureRight() const
{
    return d->Picture[1];
}
void BrowseBox::setPictureRight(const QPixmap& value)
{
    d->Picture[1] = value;
    emit PictureRightChanged();
    Notify("PictureRight");
}
QString BrowseBox::Text() const
{
    return d->TextField[0]->text();
}
void BrowseBox::setText(const QString& value)
{
    d->TextField[0]->setText(value);
    emit TextChanged();
    Notify("Text");
}
QString BrowseBox::ToolTipLeft() const
{
    return d->ButtonBox[0]->toolTip();
}
void BrowseBox::setToolTipLeft(const QString& value)
{
    d->ButtonBox[0]->setToolTip(value);
    emit ToolTipLeftChanged();
    Notify("ToolTipLeft");
}
QString BrowseBox::ToolTipRight() const
{
    return d->ButtonBox[1]->toolTip();
}
void BrowseBox::setToolTipRight(const QString& value)
{
    d->ButtonBox[1]->setToolTip(value);
    emit ToolTipRightChanged();
    Notify("ToolTipRight");
}
bool BrowseBox::VisibleLeft() const
{
    return d->ButtonBox[0]->isVisibleTo(this);
}
void BrowseBox::setVisibleLeft(bool value)
{
    VisibleLeftValue = value;
    d->ButtonBox[0]->setVisible(value);
    emit VisibleLeftChanged();
    Notify("VisibleLeft");
}
bool BrowseBox::VisibleRight() const
{
    return d->ButtonBox[1]->isVisibleTo(this);
}
void BrowseBox::setVisibleRight(bool value)
{
    VisibleRightValue = value;
    d->ButtonBox[1]->setVisible(value);
    emit VisibleRightChanged();
    Notify("VisibleRight");
}
qulonglong BrowseBox::hDC() const
{
    return 0;
}
qulonglong BrowseBox::hWnd() const
{
    return 0;
}
int BrowseBox::SelLength() const
{
    return int(d->TextField[0]->selectedText().size());
}
void BrowseBox::setSelLength(int value)
{
    d->TextField[0]->setSelection(SelStart(), value);
}
int BrowseBox::SelStart() const
{
    return d->TextField[0]->cursorPosition();
}
void BrowseBox::setSelStart(int value)
{
    d->TextField[0]->setCursorPosition(value);
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
    return d->TextField[1]->text();
}
void BrowseBox::setErrText(const QString& value)
{
    d->TextField[1]->setText(value.trimmed());
}
QString BrowseBox::Version() const
{
    return QString();
}

void BrowseBox::AboutBox() {}
QVariant BrowseBox::SetToolTipText()
{
    return SetToolTipText(toolTip());
}
QVariant BrowseBox::SetToolTipText(const QVariant& Value)
{
    d->TextField[0]->setToolTip(Value.toString());
    return QVariant();
}
short BrowseBox::TextHeight(const QString&) const
{
    return 0;
}
short BrowseBox::TextWidth(const QString&) const
{
    return 0;
}

QWidget* BrowseBox::TextFrame() const
{
    return d->TextFrame;
}
QLineEdit* BrowseBox::TextField(int index) const
{
    return d->TextField[index & 1];
}
QPushButton* BrowseBox::ButtonBox(int index) const
{
    return d->ButtonBox[index & 1];
}

QStringList BrowseBox::FileList(const QMimeData* Data)
{
    QStringList files;
    if (Data == nullptr)
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
    return QString();
}

QSize BrowseBox::sizeHint() const
{
    return QSize(200, 24);
}
QSize BrowseBox::minimumSizeHint() const
{
    return QSize(40, 24);
}

bool BrowseBox::eventFilter(QObject* watched, QEvent* event)
{
    return QWidget::eventFilter(watched, event);
}
bool BrowseBox::focusNextPrevChild(bool next)
{
    return QWidget::focusNextPrevChild(next);
}
void BrowseBox::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
}
void BrowseBox::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
}
void BrowseBox::mouseMoveEvent(QMouseEvent* event)
{
    QWidget::mouseMoveEvent(event);
}
void BrowseBox::mousePressEvent(QMouseEvent* event)
{
    QWidget::mousePressEvent(event);
}
void BrowseBox::mouseReleaseEvent(QMouseEvent* event)
{
    QWidget::mouseReleaseEvent(event);
}
void BrowseBox::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
}
void BrowseBox::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
}
void BrowseBox::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
}
void BrowseBox::Layout() {}
double BrowseBox::TwipsPerPixelX() const
{
    return 15.0;
}
double BrowseBox::TwipsPerPixelY() const
{
    return 15.0;
}
} // namespace Ostrel
