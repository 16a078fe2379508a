// SPDX-License-Identifier: MIT
#include "fwMain.h"

#include "AdvancedDialog.h"
#include "LocalText.h"
#include "MainLayout.h"
#include "MessageBox.h"
#include "ProgressBar.h"
#include "StatusBar.h"
#include "TabControl.h"
#include "WindowPlacement.h"
#include "common/Exists.h"
#include "common/FileError.h"
#include "common/Fixed4.h"
#include "common/ProfileFile.h"
#include "common/Registration.h"
#include "common/SettingsFilePath.h"
#include "common/Version.h"

#include <Ostrel/BrowseBox.h>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QValidator>
#include <algorithm>
#include <cmath>

// The window's saved form data and icon live in a resource compiled into a static
// library, which the linker would otherwise leave out.
static void LoadFormResources()
{
    Q_INIT_RESOURCE(kestrin);
}

namespace Kestrin
{
namespace
{
// The captions in English, the source language; each is shown through tr().
const char* const SourceCaptions[2] = {QT_TRANSLATE_NOOP("Kestrin::fwMain", "Source &File:"),
                                       QT_TRANSLATE_NOOP("Kestrin::fwMain", "Source &File List:")};
const char* const TargetCaptions[2] = {QT_TRANSLATE_NOOP("Kestrin::fwMain", "&Target Folder:"),
                                       QT_TRANSLATE_NOOP("Kestrin::fwMain", "&Target File:")};
const char* const NamingCaptions[2] = {
    QT_TRANSLATE_NOOP("Kestrin::fwMain", "Auto-&numbered"),
    QT_TRANSLATE_NOOP("Kestrin::fwMain", "First lin&e of fragment")};
// The tabs' English captions name their sections of the settings file in every language.
const char* const TabCaptions[2] = {QT_TRANSLATE_NOOP("Kestrin::fwMain", "&Split File"),
                                    QT_TRANSLATE_NOOP("Kestrin::fwMain", "&Join Files")};
// The status panels' keys; a screen reader says them translated (StatusBar).
const char* const PanelNames[3] = {QT_TRANSLATE_NOOP("Kestrin::StatusBar", "Total"),
                                   QT_TRANSLATE_NOOP("Kestrin::StatusBar", "Info"),
                                   QT_TRANSLATE_NOOP("Kestrin::StatusBar", "Time")};
const QString PanelTotal = QString::fromLatin1(PanelNames[0]);
const QString PanelInfo = QString::fromLatin1(PanelNames[1]);
const QString PanelTime = QString::fromLatin1(PanelNames[2]);

constexpr int StartWidthPx = 600;
constexpr int StartHeightPx = 240;
// How long after the window is shown a frame reported by the window manager is still
// centred.
constexpr int FrameWaitMs = 1000;

// Members of a control array carry their index; their settings key is the array's name.
const char* const IndexProperty = "Index";

void NameArrayMember(QObject* control, const QString& arrayName, int index)
{
    control->setObjectName(arrayName + QString::number(index));
    control->setProperty(IndexProperty, index);
}

std::string KeyOf(const QObject* control)
{
    QString name = control->objectName();
    const QVariant index = control->property(IndexProperty);
    if (index.isValid())
        name.chop(QString::number(index.toInt()).size());
    return LocalBytes(name);
}

// The saved form data of a path field.
Ostrel::PropertyBag SavedBag(const QString& name)
{
    QFile file(QStringLiteral(":/form/%1.bag").arg(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return Ostrel::PropertyBag::FromText(QString::fromUtf8(file.readAll()));
}

// Check-box values as stored: 0 cleared, 1 checked, 2 greyed.
int CheckValue(const QCheckBox* box)
{
    switch (box->checkState())
    {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

// A delimiter is one line of text: the settings file keeps one line per value, and a
// single-line edit field takes text only up to its first line break. Text with a line
// break (pasted, dropped, read) keeps what came before the break and what followed the
// insertion, so what Start cuts with is always what is stored at close.
class SingleLineText : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString& input, int& pos) const override
    {
        const auto isBreak = [](QChar c) { return c == u'\r' || c == u'\n'; };
        const auto found = std::find_if(input.cbegin(), input.cend(), isBreak);
        if (found == input.cend())
            return Acceptable;
        const auto cut = static_cast<int>(found - input.cbegin());
        // An insertion ends at the cursor.
        input.remove(cut, (pos > cut ? pos : static_cast<int>(input.size())) - cut);
        pos = cut;
        const auto rest = std::find_if(input.cbegin(), input.cend(), isBreak);
        input.truncate(static_cast<int>(rest - input.cbegin()));
        pos = std::min(pos, static_cast<int>(input.size()));
        return Acceptable;
    }
};

class RaisedWhileInScope
{
public:
    explicit RaisedWhileInScope(bool& flag) : Flag(flag) { Flag = true; }
    ~RaisedWhileInScope() { Flag = false; }
    RaisedWhileInScope(const RaisedWhileInScope&) = delete;
    RaisedWhileInScope& operator=(const RaisedWhileInScope&) = delete;

private:
    bool& Flag;
};

int Pixels(double twips, double twipsPerPixel)
{
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}

QRect PixelRect(const TwipRect& r, double tppx, double tppy)
{
    return QRect(Pixels(r.Left, tppx), Pixels(r.Top, tppy), Pixels(r.Width, tppx),
                 Pixels(r.Height, tppy));
}

// What a push button's caption needs: the text and the style's margins and frame on both
// sides (its size hint adds a minimum width that has nothing to do with the caption).
int RunCaptionWidth(const QPushButton* button)
{
    QString caption = button->text();
    caption.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    const QStyle* style = button->style();
    const int sides = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                      style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
    return button->fontMetrics().horizontalAdvance(caption) + 2 * sides;
}

// The one place that knows the tabs' order: Split Files, then Join Files.
Operation OperationOfTab(int tab)
{
    return tab == 1 ? Operation::Join : Operation::Split;
}
} // namespace

fwMain::fwMain(const Startup& startup, QWidget* parent) : QWidget(parent)
{
    LoadFormResources();
    setObjectName(QStringLiteral("fwMain"));
    CreateControls();
    ConnectEvents();
    Form_Load(startup);
}

fwMain::~fwMain()
{
    // The focus moves while the base class deletes the controls: by then this window is
    // no fwMain any more, and must not hear of it.
    disconnect(qApp, nullptr, this, nullptr);
}

double fwMain::TwipsPerPixelX() const
{
    return 1440.0 / logicalDpiX();
}

double fwMain::TwipsPerPixelY() const
{
    return 1440.0 / logicalDpiY();
}

void fwMain::CreateControls()
{
    ssMain = new TabControl(this);
    ssMain->setObjectName(QStringLiteral("ssMain"));
    ssMain->AddTab(tr(TabCaptions[0]));
    ssMain->AddTab(tr(TabCaptions[1]));
    CreateTabFields();

    fbTarget = new QGroupBox(tr(" Names of Target Files "), ssMain);
    fbTarget->setObjectName(QStringLiteral("fbTarget"));
    obFileName[0] = new QRadioButton(tr(NamingCaptions[0]), fbTarget);
    obFileName[1] = new QRadioButton(tr(NamingCaptions[1]), fbTarget);
    for (int i = 0; i < 2; ++i)
        NameArrayMember(obFileName[i], QStringLiteral("obFileName"), i);

    fbOptions = new QGroupBox(tr(" Options "), ssMain);
    fbOptions->setObjectName(QStringLiteral("fbOptions"));
    chSilent = new QCheckBox(tr("Silent file &overwriting"), fbOptions);
    chSilent->setObjectName(QStringLiteral("chSilent"));
    chFileList = new QCheckBox(tr("Create File &List"), fbOptions);
    chFileList->setObjectName(QStringLiteral("chFileList"));

    chFileName = new QCheckBox(tr("File name as first lin&e of a fragment"), ssMain);
    chFileName->setObjectName(QStringLiteral("chFileName"));

    CreateStartAndStatus();
    ucCorvane = new AdvancedDialog(this);

    // Keyboard order: the tab strip, each label's field in turn, then Start.
    QWidget* const order[] = {ssMain,        ucSource[0],   ucTarget[0],    tbDelimiter[0],
                              obFileName[0], obFileName[1], chSilent,       chFileList,
                              ucSource[1],   ucTarget[1],   tbDelimiter[1], chFileName,
                              bbRun};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    ChooseDesignScale();
    SetMinimumWindowSize();
}

// Each tab's source, target and delimiter, with the labels that name them.
void fwMain::CreateTabFields()
{
    for (int i = 0; i < 2; ++i)
    {
        tlSource[i] = new QLabel(tr(SourceCaptions[i]), ssMain);
        NameArrayMember(tlSource[i], QStringLiteral("tlSource"), i);
        ucSource[i] =
            Ostrel::BrowseBox::FromBag(SavedBag(QStringLiteral("ucSource%1").arg(i)), ssMain);
        NameArrayMember(ucSource[i], QStringLiteral("ucSource"), i);
        tlTarget[i] = new QLabel(tr(TargetCaptions[i]), ssMain);
        NameArrayMember(tlTarget[i], QStringLiteral("tlTarget"), i);
        ucTarget[i] =
            Ostrel::BrowseBox::FromBag(SavedBag(QStringLiteral("ucTarget%1").arg(i)), ssMain);
        NameArrayMember(ucTarget[i], QStringLiteral("ucTarget"), i);
        tlDelimiter[i] = new QLabel(tr("&Delimiter:"), ssMain);
        NameArrayMember(tlDelimiter[i], QStringLiteral("tlDelimiter"), i);
        tbDelimiter[i] = new QLineEdit(ssMain);
        tbDelimiter[i]->setValidator(new SingleLineText(tbDelimiter[i]));
        NameArrayMember(tbDelimiter[i], QStringLiteral("tbDelimiter"), i);

        tlSource[i]->setBuddy(ucSource[i]);
        tlTarget[i]->setBuddy(ucTarget[i]);
        tlDelimiter[i]->setBuddy(tbDelimiter[i]);
    }
    tlSource[1]->setToolTip(tr("One line - one file path"));
    // The saved fields carry Ostrel's English tip; shown in the user's language.
    for (Ostrel::BrowseBox* field : {ucSource[0], ucSource[1], ucTarget[0], ucTarget[1]})
    {
        if (field->ToolTipRight() == QLatin1String("Browse..."))
            field->setToolTipRight(Ostrel::BrowseBox::tr("Browse..."));
    }
}

// Start, the status bar and the progress bar over its panel "Info".
void fwMain::CreateStartAndStatus()
{
    bbRun = new QPushButton(tr("Sta&rt"), this);
    bbRun->setObjectName(QStringLiteral("bbRun"));
    // Only the weight is its own; family and size follow the window.
    QFont bold;
    bold.setBold(true);
    bbRun->setFont(bold);

    pbStatus = new StatusBar(this);
    pbStatus->setObjectName(QStringLiteral("pbStatus"));
    pbStatus->AddPanel(PanelTotal, false);
    pbStatus->AddPanel(PanelInfo, true);
    pbStatus->AddPanel(PanelTime, false);

    pbProgress = new ProgressBar(this);
    pbProgress->setObjectName(QStringLiteral("pbProgress"));
    pbProgress->hide();
    pbProgress->raise(); // lies over panel "Info"
}

// The smallest size that keeps every computed size non-negative.
void fwMain::SetMinimumWindowSize()
{
    const MainLayoutInput in = LayoutInput();
    const MainLayout layout = ComputeMainLayout(in);
    setMinimumSize(static_cast<int>(std::ceil(MinimumScaleWidth(in.TwipsPerPixelX, DesignScaleX) /
                                              in.TwipsPerPixelX)),
                   static_cast<int>(std::ceil(MinimumScaleHeight(layout) / in.TwipsPerPixelY)));
}

void fwMain::ChooseDesignScale()
{
    // The layout's pixel constants follow the window's font as a dialog's units do; where a
    // caption would still not fit its room (a font wider than the average says, another
    // language), across grows until it does. Measured on the controls themselves, with the
    // style and font they are shown with.
    // The average width of the 52 Latin letters, rounded as Windows rounds a dialog's base
    // unit; a font's own average (its OS/2 table) may count wide glyphs a caption never has.
    const QFontMetrics metrics(font());
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const int averageWidth = (letters + 26) / 52; // whole pixels, rounded to nearest
    double x = DesignScale(averageWidth, DesignCharWidth);
    DesignScaleY = DesignScale(metrics.height(), DesignLineHeight);
    const CaptionRooms room = DesignCaptionRooms();
    for (int i = 0; i < 2; ++i)
    {
        for (const QLabel* label : {tlSource[i], tlTarget[i], tlDelimiter[i]})
            x = ScaleToFit(x, label->sizeHint().width(), room.Label);
    }
    for (const QAbstractButton* option :
         {static_cast<QAbstractButton*>(obFileName[0]),
          static_cast<QAbstractButton*>(obFileName[1]), static_cast<QAbstractButton*>(chSilent),
          static_cast<QAbstractButton*>(chFileList)})
        x = ScaleToFit(x, option->sizeHint().width(), room.Option);
    x = ScaleToFit(x, chFileName->sizeHint().width(), room.FileName);
    for (const QGroupBox* frame : {fbTarget, fbOptions})
        x = ScaleToFit(x, frame->minimumSizeHint().width(), room.Frame);
    x = ScaleToFit(x, RunCaptionWidth(bbRun), room.Run);
    DesignScaleX = x;
}

MainLayoutInput fwMain::LayoutInput() const
{
    MainLayoutInput in;
    in.TwipsPerPixelX = TwipsPerPixelX();
    in.TwipsPerPixelY = TwipsPerPixelY();
    in.ScaleWidth = width() * in.TwipsPerPixelX;
    in.ScaleHeight = height() * in.TwipsPerPixelY;
    in.TabHeight = ssMain->TabHeight() * in.TwipsPerPixelY;
    in.FieldHeight = ucSource[0]->height() * in.TwipsPerPixelY;
    in.DesignScaleX = DesignScaleX;
    in.DesignScaleY = DesignScaleY;
    return in;
}

void fwMain::ConnectEvents()
{
    ucSource[0]->installEventFilter(this);
    connect(ssMain, &TabControl::Click, this, &fwMain::ssMain_Click);
    connect(bbRun, &QPushButton::clicked, this, &fwMain::bbRun_Click);
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now)
            {
                for (int i = 0; i < 2; ++i)
                    if (!ucSource[i]->isAncestorOf(now))
                        SourceKeyWentDown[i] = false;
            });
    for (int i = 0; i < 2; ++i)
    {
        tbDelimiter[i]->installEventFilter(this);
        connect(tbDelimiter[i], &QLineEdit::textChanged, this,
                [this, i](const QString& text)
                {
                    // A pasted line break alone is taken out again: no change.
                    if (text == DelimiterText[i])
                        return;
                    DelimiterText[i] = text;
                    tbDelimiter_Change(i);
                });
        connect(obFileName[i], &QRadioButton::clicked, this, [this, i] { obFileName_Click(i); });

        connect(ucSource[i], &Ostrel::BrowseBox::ButtonClick, this,
                [this, i](short button) { ucSource_ButtonClick(i, button); });
        connect(ucSource[i], &Ostrel::BrowseBox::KeyDown, this,
                [this, i](short key, short shift) { ucSource_KeyDown(i, key, shift); });
        connect(ucSource[i], &Ostrel::BrowseBox::KeyUp, this,
                [this, i](short key, short shift) { ucSource_KeyUp(i, key, shift); });
        connect(ucSource[i], &Ostrel::BrowseBox::OLEDragDrop, this,
                [this, i](const QMimeData* dropped, int effect, short button, short shift, float x,
                          float y)
                { ucSource_OLEDragDrop(i, dropped, effect, button, shift, x, y); });
        connect(ucTarget[i], &Ostrel::BrowseBox::ButtonClick, this,
                [this, i](short button) { ucTarget_ButtonClick(i, button); });
        connect(ucTarget[i], &Ostrel::BrowseBox::KeyDown, this,
                [this, i](short key, short shift) { ucTarget_KeyDown(i, key, shift); });
        connect(ucTarget[i], &Ostrel::BrowseBox::OLEDragDrop, this,
                [this, i](const QMimeData* dropped, int effect, short button, short shift, float x,
                          float y)
                { ucTarget_OLEDragDrop(i, dropped, effect, button, shift, x, y); });
    }
}

QString fwMain::SectionOfTab(int tab) const
{
    return QString::fromLatin1(TabCaptions[tab]);
}

void fwMain::Form_Load(const Startup& startup)
{
    if (startup.Register)
        startup.Register(startup.ExecutablePath);
    setWindowTitle(QStringLiteral("%1 %2").arg(QString::fromUtf8(ProgramTitle),
                                               QString::fromStdString(VersionText())));
    SettingsFileValue = SettingsFilePath(startup.ExecutablePath);
    // In the system's own spelling (backslashes on Windows), as every other path the window shows.
    ProgramFolderValue = PathBytes(
        QDir::toNativeSeparators(QFileInfo(PathText(startup.ExecutablePath)).absolutePath()));
    // Read once: every key below comes from this one reading.
    const ProfileFile settings(SettingsFileValue);

    // Every start uses the same size, grown with the layout's scale and kept on the screen
    // (a large font on a small or scaled screen); a minimised window keeps its own.
    if (!(windowState() & Qt::WindowMinimized))
    {
        const QSize size =
            StartSize(QSize(StartWidthPx, StartHeightPx), DesignScaleX, DesignScaleY,
                      screen() ? screen()->availableGeometry().size() : QSize(),
                      QSize(frameGeometry().width() - width(), TitleBarHeightPx()), minimumSize());
        if (width() != size.width())
            resize(size.width(), height());
        if (height() != size.height())
            resize(width(), size.height());
    }

    const std::string form = LocalBytes(objectName());
    PlacementInput place;
    const auto saved = [&](const char* key)
    {
        bool present = false;
        const Fixed4 stored = settings.ReadNumber(form, key, {}, &present);
        return present ? std::optional<Fixed4>(stored) : std::nullopt;
    };
    place.Left = saved("Left");
    place.Top = saved("Top");
    place.TwipsPerPixelX = TwipsPerPixelX();
    place.TwipsPerPixelY = TwipsPerPixelY();
    place.Frame = frameGeometry().size();
    place.TitleBarHeight = TitleBarHeightPx();
    place.Screen = screen() ? screen()->geometry() : QRect(0, 0, 0, 0);
    for (const QScreen* s : QGuiApplication::screens())
        place.Screens.append(s->geometry());
    const Placement placed = PlaceWindow(place);
    RememberedLeft = placed.LeftTwips;
    RememberedTop = placed.TopTwips;
    CentreFrameLeft = placed.CentreLeft;
    CentreFrameTop = placed.CentreTop;
    move(placed.At);

    // The tab switch handling runs exactly once, before any field is filled.
    const bool opening = !startup.OpenFile.empty();
    const int tab = opening ? 0 : RestoreSwitch(settings.ReadNumber(form, KeyOf(ssMain)));
    if (ssMain->Tab() != tab)
        ssMain->SetTab(tab);
    else
        ssMain_Click(1 - tab);

    RestoreControls(settings, opening ? startup.OpenFile : std::string());

    // The updates above ran while later fields were still empty (a restored join tab
    // would otherwise keep Start disabled); one more makes Start match what is shown.
    ReadinessUpdate();
    if (settings.TooLarge())
        pbStatus->SetPanelText(
            PanelInfo,
            tr("Settings not read (file too large): %1").arg(PathText(SettingsFileValue)));
}

void fwMain::Form_Unload()
{
    const double tppx = TwipsPerPixelX();
    const double tppy = TwipsPerPixelY();
    // A minimised or maximised window keeps the position it was loaded with.
    if (IsNormalState())
    {
        RememberedLeft = static_cast<int>(std::nearbyint(pos().x() * tppx));
        RememberedTop = static_cast<int>(std::nearbyint(pos().y() * tppy));
    }
    // Every changed key goes into one reading of the file, which is then written once.
    ProfileFile settings(SettingsFileValue);
    const std::string form = LocalBytes(objectName());
    settings.WriteNumber(form, "Left", EdgePixels(RememberedLeft, tppx));
    settings.WriteNumber(form, "Top", EdgePixels(RememberedTop, tppy));
    settings.WriteNumber(form, KeyOf(ssMain), Fixed4::FromWhole(ssMain->Tab()));

    for (const SavedControl& saved : SavedControls())
        SaveControl(settings, saved);
    settings.Save();
}

std::vector<fwMain::SavedControl> fwMain::SavedControls() const
{
    // In the order they are restored: each restored value runs its control's change event,
    // as the user's would. A new saved value is one more row.
    return {
        {0, ucSource[0], Kept::ExistingFile}, {0, ucTarget[0], Kept::ExistingFolder},
        {0, tbDelimiter[0], Kept::Text},      {0, obFileName[0], Kept::Naming},
        {0, chSilent, Kept::Check},           {0, chFileList, Kept::Check},
        {1, ucSource[1], Kept::ExistingFile}, {1, ucTarget[1], Kept::Path},
        {1, tbDelimiter[1], Kept::Text},      {1, chFileName, Kept::Check},
    };
}

void fwMain::RestoreControls(const ProfileFile& settings, const std::string& openFile)
{
    for (const SavedControl& saved : SavedControls())
    {
        const std::string section = LocalBytes(SectionOfTab(saved.Tab));
        const std::string key = KeyOf(saved.Control);
        if (saved.Kind == Kept::Check || saved.Kind == Kept::Naming)
            RestoreChoice(saved, RestoreSwitch(settings.ReadNumber(section, key)));
        // A file given at start takes the split source's place; one that names no file
        // leaves the field empty, as a restored source that is gone does.
        else if (saved.Control == ucSource[0] && !openFile.empty())
            RestoreText(saved, openFile);
        else
            RestoreText(saved, settings.ReadString(section, key));
    }
}

void fwMain::RestoreText(const SavedControl& saved, const std::string& stored)
{
    if (saved.Kind == Kept::Text)
    {
        static_cast<QLineEdit*>(saved.Control)->setText(FromLocalBytes(stored));
        return;
    }
    const bool present = saved.Kind == Kept::ExistingFile     ? FileExists(stored)
                         : saved.Kind == Kept::ExistingFolder ? FolderExists(stored)
                                                              : true;
    if (present)
        static_cast<Ostrel::BrowseBox*>(saved.Control)->setText(PathText(stored));
}

void fwMain::RestoreChoice(const SavedControl& saved, int stored)
{
    if (saved.Kind == Kept::Naming)
    {
        obFileName[stored]->setChecked(true);
        obFileName_Click(stored);
    }
    else
        static_cast<QCheckBox*>(saved.Control)->setCheckState(stored ? Qt::Checked : Qt::Unchecked);
}

void fwMain::SaveControl(ProfileFile& settings, const SavedControl& saved) const
{
    const std::string section = LocalBytes(SectionOfTab(saved.Tab));
    const std::string key = KeyOf(saved.Control);
    switch (saved.Kind)
    {
    case Kept::Text:
        settings.WriteString(section, key,
                             LocalBytes(static_cast<QLineEdit*>(saved.Control)->text()));
        break;
    case Kept::Check:
        settings.WriteNumber(section, key,
                             Fixed4::FromWhole(CheckValue(static_cast<QCheckBox*>(saved.Control))));
        break;
    case Kept::Naming:
        settings.WriteNumber(section, key, Fixed4::FromWhole(obFileName[1]->isChecked() ? 1 : 0));
        break;
    default:
        settings.WriteString(section, key,
                             PathBytes(static_cast<Ostrel::BrowseBox*>(saved.Control)->Text()));
    }
}

void fwMain::closeEvent(QCloseEvent* event)
{
    // Closing ends the program, also during a run: the run stops before its next item
    // rather than go on (and ask its questions) without a window. What was written stays.
    ClosedDuringRun = Running;
    Form_Unload();
    event->accept();
}

bool fwMain::IsNormalState() const
{
    return !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

void fwMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Form_Resize();
    if (CentreFrameLeft || CentreFrameTop)
    {
        // From when the platform has placed the window; a window manager reports the
        // frame soon after the window is mapped, or never.
        QTimer::singleShot(0, this,
                           [this]
                           {
                               WatchingFrame = true;
                               CentreFrame();
                           });
        QTimer::singleShot(FrameWaitMs, this,
                           [this] { WatchingFrame = CentreFrameLeft = CentreFrameTop = false; });
    }
}

void fwMain::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    if (WatchingFrame)
        CentreFrame();
}

int fwMain::TitleBarHeightPx() const
{
    // Before the window is shown its frame is not known: the style's title bar stands in.
    const int reported = geometry().top() - frameGeometry().top();
    return reported > 0 ? reported : style()->pixelMetric(QStyle::PM_TitleBarHeight);
}

void fwMain::CentreFrame()
{
    // Loading centres the window by its own size; once the platform reports the frame
    // around it, the frame is what is centred, as the user sees it. Only a frame of a new
    // size is centred again, so a window the user moves stays where it was put.
    const QRect frame = frameGeometry();
    if (!(CentreFrameLeft || CentreFrameTop) || frame.size() == size() ||
        frame.size() == CentredFrameSize || !screen())
        return;
    // A window the user has minimised or maximised meanwhile is left alone.
    if (!IsNormalState())
    {
        CentreFrameLeft = CentreFrameTop = false;
        return;
    }
    CentredFrameSize = frame.size();
    const QPoint at = CentredFrame(frame, screen()->geometry(), CentreFrameLeft, CentreFrameTop);
    RememberedLeft = static_cast<int>(std::nearbyint(at.x() * TwipsPerPixelX()));
    RememberedTop = static_cast<int>(std::nearbyint(at.y() * TwipsPerPixelY()));
    if (at != frame.topLeft())
        move(at);
}

void fwMain::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void fwMain::DockStatusBar()
{
    // The status bar keeps to the bottom edge by itself, whatever the window's state.
    const int h = pbStatus->height();
    pbStatus->setGeometry(0, height() - h, width(), h);
}

bool fwMain::eventFilter(QObject* watched, QEvent* event)
{
    // An access key no control took (Start's while it is disabled, say) reaches the
    // delimiter as Alt with a letter: it types nothing there, as in the path fields.
    if (event->type() == QEvent::KeyPress &&
        (watched == tbDelimiter[0] || watched == tbDelimiter[1]))
    {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers().testFlag(Qt::AltModifier) &&
            !key->modifiers().testFlag(Qt::ControlModifier) && !key->text().isEmpty())
            return true;
    }
    // The rows are as high as ucSource(0), which fixes its own height (a hidden field
    // only once it is shown): lay out again when that height turns out different.
    if (watched == ucSource[0] && event->type() == QEvent::Resize && !LayingOut &&
        ucSource[0]->height() != LaidOutFieldHeight && LaidOutFieldHeight >= 0)
        Form_Resize();
    return QWidget::eventFilter(watched, event);
}

void fwMain::Form_Resize()
{
    if (!IsNormalState())
    {
        DockStatusBar();
        return;
    }
    const RaisedWhileInScope layingOut(LayingOut);
    LaidOutFieldHeight = ucSource[0]->height();
    const MainLayoutInput in = LayoutInput();
    const MainLayout layout = ComputeMainLayout(in);
    const double px = in.TwipsPerPixelX;
    const double py = in.TwipsPerPixelY;
    const auto place = [px, py](QWidget* control, const TwipRect& r)
    {
        const QRect target = PixelRect(r, px, py);
        if (control->geometry() != target)
            control->setGeometry(target);
    };

    place(bbRun, layout.bbRun);
    place(ssMain, layout.ssMain);
    for (int i = 0; i < 2; ++i)
    {
        // The path fields fix their own height.
        TwipRect source = layout.ucSource;
        source.Height = ucSource[i]->height() * py;
        TwipRect target = layout.ucTarget;
        target.Height = ucTarget[i]->height() * py;
        place(tlSource[i], layout.tlSource);
        place(ucSource[i], source);
        place(tlTarget[i], layout.tlTarget);
        place(ucTarget[i], target);
        place(tlDelimiter[i], layout.tlDelimiter);
        place(tbDelimiter[i], layout.tbDelimiter);
    }
    place(fbTarget, layout.fbTarget);
    place(obFileName[0], layout.obFileName[0]);
    place(obFileName[1], layout.obFileName[1]);
    place(fbOptions, layout.fbOptions);
    place(chSilent, layout.chSilent);
    place(chFileList, layout.chFileList);
    place(chFileName, layout.chFileName);

    pbStatus->resize(width(), Pixels(layout.StatusHeight, py));
    DockStatusBar();
    pbStatus->SetPanelMinWidth(PanelTotal, Pixels(layout.TotalMinWidth, px));
    pbStatus->SetPanelMinWidth(PanelTime, Pixels(layout.TimeMinWidth, px));

    const QRect info = pbStatus->PanelRect(PanelInfo);
    place(pbProgress,
          ComputeProgressBar(in, pbStatus->height() * py, info.left() * px, info.width() * px));
}

void fwMain::ssMain_Click(int /*PreviousTab*/)
{
    const int tab = ssMain->Tab();
    for (int i = 0; i < ssMain->Tabs(); ++i)
    {
        const bool shown = i == tab;
        tlSource[i]->setVisible(shown);
        ucSource[i]->setVisible(shown);
        tlTarget[i]->setVisible(shown);
        ucTarget[i]->setVisible(shown);
        tlDelimiter[i]->setVisible(shown);
        tbDelimiter[i]->setVisible(shown);
    }
    fbTarget->setVisible(tab == 0);
    fbOptions->setVisible(tab == 0);
    chFileName->setVisible(tab == 1);
    tbDelimiter_Change(tab);
}

void fwMain::ReadinessUpdate()
{
    tbDelimiter_Change(ssMain->Tab());
}

void fwMain::tbDelimiter_Change(int /*Index*/)
{
    // Always for the tab shown, whichever field changed.
    bbRun->setEnabled(false);
    pbStatus->SetPanelText(PanelTotal, QString());
    ReadinessRequest request;
    request.What = OperationOfTab(ssMain->Tab());
    request.Source = PathBytes(ucSource[ssMain->Tab()]->Text());
    request.SplitDelimiter = LocalBytes(tbDelimiter[0]->text());
    request.NamingSelected = obFileName[0]->isChecked() || obFileName[1]->isChecked();
    request.JoinTarget = PathBytes(ucTarget[1]->Text());
    try
    {
        const Readiness readiness = Prepared.Update(request);
        bbRun->setEnabled(readiness.StartEnabled);
        pbStatus->SetPanelText(PanelTotal, FromLocalBytes(readiness.Total));
    }
    catch (const FileError& error)
    {
        // Start stays disabled and "Total" empty; the lists are as they were.
        ReportError(error);
        return;
    }
    catch (const std::exception& error)
    {
        ReportError(FromLocalBytes(error.what()));
        return;
    }
    pbStatus->SetPanelText(PanelInfo, QString());
    pbStatus->SetPanelText(PanelTime, QString());
}

void fwMain::obFileName_Click(int /*Index*/)
{
    bbRun->setEnabled(Prepared.OptionClickEnablesStart());
}

void fwMain::bbRun_Click()
{
    // Start stays enabled during a run; a click that arrives while the run lets
    // events through must not start a second run over the same files.
    if (Running)
        return;
    const RaisedWhileInScope running(Running);

    pbProgress->show();
    RunRequest request;
    request.What = OperationOfTab(ssMain->Tab());
    request.Source = PathBytes(ucSource[ssMain->Tab()]->Text());
    request.Target = PathBytes(ucTarget[ssMain->Tab()]->Text());
    request.FirstLineNames = obFileName[1]->isChecked();
    request.Silent = CheckValue(chSilent) == 1;
    request.FileList = CheckValue(chFileList) == 1;
    try
    {
        const RunEnd end = Prepared.Run(request, *this);
        if (end == RunEnd::Finished || end == RunEnd::NothingFound)
        {
            // A join that found none of its files wrote an empty target: say why.
            pbStatus->SetPanelText(PanelInfo, end == RunEnd::Finished
                                                  ? tr("Done.")
                                                  : tr("Done. No listed file found."));
            pbProgress->hide();
        }
    }
    catch (const FileError& error)
    {
        // The run is over: what was written stays, "Done." is not claimed.
        pbProgress->hide();
        ReportError(error);
    }
    catch (const std::exception& error)
    {
        pbProgress->hide();
        ReportError(FromLocalBytes(error.what()));
    }
}

void fwMain::ReportError(const FileError& error)
{
    const QString reason = FromLocalBytes(error.Description());
    if (error.Path().empty())
        ReportError(reason);
    else
        ReportError(QStringLiteral("%1\n%2").arg(PathText(error.Path()), reason));
}

void fwMain::ReportError(const QString& text)
{
    MessageBox::Show(this, text, MessageBox::OkExclamation);
}

Answer fwMain::AskQuestion(const std::string& text, QuestionStyle style)
{
    switch (MessageBox::Show(this, FromLocalBytes(text),
                             style == QuestionStyle::YesNoCancel ? MessageBox::YesNoCancelQuestion
                                                                 : MessageBox::YesNoQuestion))
    {
    case MessageBox::Yes:
        return Answer::Yes;
    case MessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

int fwMain::ProgressValue()
{
    return pbProgress->value();
}

void fwMain::SetProgressValue(int value)
{
    pbProgress->SetValueAndRepaint(value);
}

void fwMain::ProcessEvents()
{
    QCoreApplication::processEvents();
}

void fwMain::WaitOneSecond()
{
    QEventLoop loop;
    QTimer::singleShot(1000, &loop, &QEventLoop::quit);
    loop.exec();
}

std::string fwMain::JoinDelimiter()
{
    return LocalBytes(tbDelimiter[1]->text());
}

bool fwMain::FileNameLine()
{
    return CheckValue(chFileName) == 1;
}

bool fwMain::StopRequested()
{
    return ClosedDuringRun;
}
} // namespace Kestrin
