// SPDX-License-Identifier: MIT
#pragma once
// Kestrin's one window: two tabs of path, delimiter and option controls, the Start
// button, the status bar and the progress bar. It restores its settings while it loads,
// keeps the run's prepared lists ready as fields change, drives runs, and stores its
// settings when it is closed.
#include "engine/RunHost.h"
#include "engine/Workbench.h"

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMimeData;
class QPushButton;
class QRadioButton;

namespace Ostrel
{
class BrowseBox;
}

namespace Kestrin
{
class AdvancedDialog;
class FileError;
class ProfileFile;
struct MainLayoutInput;
class ProgressBar;
class StatusBar;
class TabControl;

class fwMain : public QWidget, public RunHost
{
    Q_OBJECT

public:
    struct Startup
    {
        // The program file: the settings file lies beside it, registration records it.
        std::string ExecutablePath;
        // Program registration, the first step of loading.
        std::function<void(const std::string& executablePath)> Register;
        // A file named on the command line (kestrin FILE, "Open with" of a file manager):
        // the split source of this start, on the split tab, in place of the restored one.
        std::string OpenFile;
    };

    // Creates every control and loads the window (registration, caption, size,
    // position, tab and fields from the settings file); show() it afterwards.
    explicit fwMain(const Startup& startup, QWidget* parent = nullptr);
    ~fwMain() override;

    const std::string& SettingsFile() const { return SettingsFileValue; }
    bool RunInProgress() const { return Running; }

    // Event procedures.
    void tbDelimiter_Change(int Index); // the readiness update, for the current tab
    void obFileName_Click(int Index);
    void bbRun_Click();
    void ssMain_Click(int PreviousTab);
    // Any change that can alter what Start would do ends here.
    void ReadinessUpdate();

    // Path-field events.
    void ucSource_ButtonClick(int Index, short Button);
    void ucSource_KeyDown(int Index, short KeyCode, short Shift);
    void ucSource_KeyUp(int Index, short KeyCode, short Shift);
    void ucSource_OLEDragDrop(int Index, const QMimeData* Data, int Effect, short Button,
                              short Shift, float X, float Y);
    void ucTarget_ButtonClick(int Index, short Button);
    void ucTarget_KeyDown(int Index, short KeyCode, short Shift);
    void ucTarget_OLEDragDrop(int Index, const QMimeData* Data, int Effect, short Button,
                              short Shift, float X, float Y);

    // RunHost: what a run asks of the window.
    Answer AskQuestion(const std::string& text, QuestionStyle style) override;
    int ProgressValue() override;
    void SetProgressValue(int value) override;
    void ProcessEvents() override;
    void WaitOneSecond() override;
    std::string JoinDelimiter() override;
    bool FileNameLine() override;
    bool StopRequested() override;

    double TwipsPerPixelX() const;
    double TwipsPerPixelY() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();
    void CreateTabFields();
    void CreateStartAndStatus();
    void SetMinimumWindowSize();
    void ChooseDesignScale();
    MainLayoutInput LayoutInput() const;
    void ConnectEvents();
    void Form_Load(const Startup& startup);
    void Form_Unload();
    void Form_Resize();
    void DockStatusBar();
    bool IsNormalState() const;
    int TitleBarHeightPx() const;
    void CentreFrame();
    void ReportError(const FileError& error);
    void ReportError(const QString& text);
    QString SectionOfTab(int tab) const;

    // A control whose value the settings file keeps, and how the value is kept.
    enum class Kept
    {
        ExistingFile,   // a path, restored only while the file is there
        ExistingFolder, // a path, restored only while the folder is there
        Path,           // a path, restored as it was
        Text,
        Check,
        Naming, // the option pair obFileName, kept as the index of the chosen one
    };
    struct SavedControl
    {
        int Tab; // its section: the caption of this tab
        QWidget* Control;
        Kept Kind;
    };
    std::vector<SavedControl> SavedControls() const;
    void RestoreControls(const ProfileFile& settings, const std::string& openFile);
    void RestoreText(const SavedControl& saved, const std::string& stored);
    void RestoreChoice(const SavedControl& saved, int stored);
    void SaveControl(ProfileFile& settings, const SavedControl& saved) const;

    // Controls; arrays are indexed by tab (0 split, 1 join).
    TabControl* ssMain = nullptr;
    QLabel* tlSource[2] = {};
    Ostrel::BrowseBox* ucSource[2] = {};
    QLabel* tlTarget[2] = {};
    Ostrel::BrowseBox* ucTarget[2] = {};
    QLabel* tlDelimiter[2] = {};
    QLineEdit* tbDelimiter[2] = {};
    QGroupBox* fbTarget = nullptr;
    QRadioButton* obFileName[2] = {};
    QGroupBox* fbOptions = nullptr;
    QCheckBox* chSilent = nullptr;
    QCheckBox* chFileList = nullptr;
    QCheckBox* chFileName = nullptr;
    QPushButton* bbRun = nullptr;
    StatusBar* pbStatus = nullptr;
    ProgressBar* pbProgress = nullptr;
    AdvancedDialog* ucCorvane = nullptr;

    // Window values.
    std::string SettingsFileValue;
    int RememberedLeft = 0; // twips
    int RememberedTop = 0;  // twips
    Workbench Prepared;     // Fragments and FileList, and the runs over them
    // Where the browse dialogs open when there is no path to go by.
    std::string ProgramFolderValue;
    bool Running = false;
    // What each delimiter field held when it last changed.
    QString DelimiterText[2];
    // A key went down in ucSource(i) since it last got the focus: only then is a key
    // released there the user's (the release of an access key that moved the focus into
    // the field is not).
    bool SourceKeyWentDown[2] = {};
    // Set when the window is closed during a run: the run ends before its next item.
    bool ClosedDuringRun = false;
    // Axes centred while loading, to be centred again by the frame once it is known.
    bool CentreFrameLeft = false;
    bool CentreFrameTop = false;
    bool WatchingFrame = false;
    QSize CentredFrameSize;
    bool LayingOut = false;
    int LaidOutFieldHeight = -1; // pixels
    // Pixels per design pixel of the layout, across and down, for the window's font.
    double DesignScaleX = 1;
    double DesignScaleY = 1;
};
} // namespace Kestrin
