#pragma once

#include "app/AppSettings.h"
#include "app/GoToTarget.h"
#include "app/MainWindowActions.h"
#include "app/RunState.h"
#include "engine/RecordingEngine.h"
#include "files/LoadController.h"
#include "files/LoadSession.h"
#include "files/LoadedDataFile.h"
#include "files/RecordProperties.h"
#include "presentation/Presentation.h"
#include "recorder/ConnectionFields.h"
#include "recorder/DeviceList.h"
#include "recorder/ProbeLibrary.h"
#include "recorder/RecorderShared.h"
#include "views/ViewOptions.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QMessageBox>
#include <QModelIndex>
#include <QThread>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QProgressDialog;
class QScrollBar;
class QSplitter;
class QTimer;
class QTreeView;
class QUrl;

namespace kavrin {

class EventModel;
class EventView;
class FileLoadWorker;
class LiveRecorder;
class LoadView;
class LogPane;
class MessageModel;
class MessageView;
class PaneWidget;
class SystemInfoModel;
class TaskModel;
class TaskView;
class OverviewStrip;
class TimeView;
class TimelineState;
struct RequestPeriods;
struct SuppressibleMessage;

// What the window is started with.
struct StartupOptions {
    QString settingsPath = defaultSettingsPath();
    QString applicationDir; // Sample/, Doc/ and Description/ lie here
    QString startupFile;    // named on the command line
    ConnectionSettings connection;
    // Benchmarks: the program ends once the first load pass is done, before its summary.
    bool quitAfterLoad = false;
};

// Where the window asks the user. Tests replace these; the defaults show dialogs.
struct UserPrompts {
    std::function<bool(const QString& question)> askYesNo;
    std::function<void(const QString& message)> inform;
    std::function<QString()> openFileName;
    std::function<QString()> saveFileName;
    // Title, author and description; false when cancelled.
    std::function<bool(RecordProperties& properties)> editProperties;
    // The recording summary: headline and, when events were lost, the overflow line.
    std::function<void(const QString& headline, const QString& overflowLine)> showSummary;
    // The configuration dialog before a recording; none when cancelled.
    std::function<std::optional<ConnectionDialogFields>(const ConnectionSettings& settings)>
        configureConnection;
    // A message box of the recording session.
    std::function<void(QMessageBox::Icon icon, const QString& title, const QString& text)> notify;
    // A message the user may switch off (it sets the message's flag).
    std::function<void(const SuppressibleMessage& message)> showSuppressible;
    // The About dialog.
    std::function<void()> about;
    // The Preferences dialog; false when cancelled.
    std::function<bool(Preferences& preferences)> editPreferences;
    // The Message Indicators dialog; false when cancelled.
    std::function<bool(TimelineIndicators& indicators)> editMessageIndicators;
    // The Go To dialog opened on `type`; none when cancelled.
    std::function<std::optional<GoToTarget>(GoToType type, const GoToRange& range)> goTo;
    // Opens a document with the desktop's viewer; false when there is none.
    std::function<bool(const QUrl& url)> openUrl;
};

// The program's one window: menus, tool bar, status bar and the seven panes, the recording
// engine with its models, and the loader thread that decodes data files.
class KavrinMainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Prompts left empty show the program's dialogs.
    explicit KavrinMainWindow(StartupOptions options, UserPrompts userPrompts = {},
                              QWidget* parent = nullptr);
    ~KavrinMainWindow() override;

    UserPrompts prompts;

    // For the views, the tests and the start-up sequence.
    RecordingEngine& engine() { return engine_; }
    Presentation& presentation() { return presentation_; }
    const Log& log() const { return log_; }
    RecordProperties& properties() { return properties_; }
    const AppSettings& settings() const { return settings_; }
    const MainWindowActions& actions() const { return actions_; }
    EventModel& eventModel() { return *eventModel_; }
    EventView& eventView() { return *eventView_; }
    MessageModel& messageModel() { return *messageModel_; }
    MessageView& messageView() { return *messageView_; }
    TaskModel& taskModel() { return *taskModel_; }
    SystemInfoModel& systemInfoModel() { return *systemInfoModel_; }
    PaneWidget& pane(Pane which) { return *panes_[size_t(which)]; }
    QSplitter& rowSplitter(int row) { return *rowSplitters_[size_t(row)]; }
    QSplitter& columnSplitter() { return *columnSplitter_; }
    QLabel& eventCountLabel() { return *eventCountLabel_; }
    QComboBox& zoomCombo() { return *zoomCombo_; }
    QComboBox& cursorCombo() { return *cursorCombo_; }
    RunState runState() const { return runState_; }
    bool firstStartOfVersion() const { return firstStart_; }
    bool passRunning() const { return controller_->busy(); }
    LiveRecorder& recorder() { return *recorder_; }
    TimeView& timeView() { return *timeView_; }
    TimelineState& timeline() { return *timeline_; }
    OverviewStrip& overviewStrip() { return *overviewStrip_; }
    LoadView& loadView() { return *loadView_; }
    int zoomIndex() const { return viewOptions_.zoomRow; }
    int cursorPosition() const { return viewOptions_.cursorPosition; }
    const QStringList& recentFiles() const { return settings_.recentFiles; }
    const QStringList& sampleFiles() const { return sampleFiles_; }
    QString targetText() const { return targetText_; }
    void setTargetText(const QString& text);

    // The reset of all data before a new recording or file.
    void resetAllData();
    // What Go To offers: the stored events and the one selected in the event list.
    GoToRange goToRange();

signals:
    void TriggerLoad(uint ReadOffset, uint NumEvents, bool Append);

public slots:
    // Opening recordings and moving through them (MainWindowLoading.cpp).
    void OnLoadingStarted(uint First, uint Last, bool Appending);
    void OnDataLoaded(uint First, uint Last, bool Appending);
    void OnLoadingFinished(uint First, uint Last, bool Appending);
    void load();
    void LoadFile(QString Filename);
    void AnalyzeFile(QString Filename);
    void LoadMRUFile();
    void LoadSampleFile();
    void LoadDataAfter();
    void LoadDataBefore();
    void DataProcess(uint Count);

    // Saving recordings and their properties (MainWindowSaving.cpp).
    void save();
    void SaveFile(QString Filename);
    bool SetProperties();
    bool GetProperties();

    // The recent and sample files menus (MainWindowMenus.cpp).
    void InitMRUFiles();
    void InitSampleFiles();
    void UpdateMRUFiles(QString Filename);

    // Live recording (MainWindowRecording.cpp).
    void startRecording();
    void stopRecording();
    void startSingleShot();
    void ztxTimerFired();

    // Statistics and the background ticks (MainWindowStatistics.cpp).
    void UpdateStats();
    void ResetStats();
    void statsTimerFired();
    void OnBGTimer();
    void OnSysDescTimer();

    // Go commands, references and scrolling (MainWindowNavigation.cpp).
    void setReference();
    void clearReferences();
    void back();
    void forward();
    void next();
    void previous();
    void contextnext();
    void contextprevious();
    void scrollLeft();
    void scrollRight();
    void OnShowMenuGo();

    // Zoom, cursor, CPU load bins and the label column (MainWindowTimeline.cpp).
    void zoomIn();
    void zoomOut();
    void OnSetZoom();
    void OnZoomChanged(int index);
    void CursorPos10();
    void CursorPos20();
    void CursorPos30();
    void CursorPos40();
    void CursorPos50();
    void CursorPos60();
    void CursorPos70();
    void CursorPos80();
    void CursorPos90();
    void OnSetCursor(int index);
    void setCursor(int position);
    void set1Bin();
    void set10Bins();
    void set50Bins();
    void set100Bins();
    void set200Bins();
    void headerSizeChange(int section, int oldSize, int newSize);

    // The event list's filters, auto-scroll and time display (MainWindowEventList.cpp).
    void isrFilterToggled();
    void taskFilterToggled();
    void apiFilterToggled();
    void userFilterToggled();
    void messageFilterToggled();
    void systemFilterToggled();
    void customFilterToggled();
    void isrOnlyFilterTriggered();
    void taskOnlyFilterTriggered();
    void apiOnlyFilterTriggered();
    void userOnlyFilterTriggered();
    void messageOnlyFilterTriggered();
    void systemOnlyFilterTriggered();
    void noFilterTriggered();
    void AutoScrollToggled();
    void resolution1us();
    void resolution100ns();
    void resolution10ns();
    void resolution1ns();
    void OnToggleResolution(bool on);
    void OnToggleSystemTime(bool on);

    // Showing and hiding panes and bars (MainWindowPanes.cpp).
    void isrToggled();
    void loadToggled();
    void taskToggled();
    void timeToggled();
    void eventToggled();
    void systeminfoToggled();
    void messageToggled();
    void logToggled();
    void statusbarToggled(bool on);
    void toolbarToggled(bool on);
    void overviewToggled(bool on);

    // Dialogs and the manual (MainWindowDialogs.cpp).
    void openManual();
    void showAbout();
    void showPreferences();
    void OnGoTo();
    void OnGoToEvent();
    void OnGoToTimestamp();
    void OnMessageIndicator();

    // The settings file (MainWindowSettings.cpp).
    void SaveSettings();
    void LoadSettings();
    void ImportSettings();
    void ClearSettings();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Building and wiring the window (KavrinMainWindow.cpp).
    void createModels();
    void wireEngine();
    void createCentralLayout();
    void wireViews();
    void startLoader();
    void installDefaultPrompts();
    void installDefaultDialogs();
    void updateTitle();

    // Actions, menus, tool bar and status bar (MainWindowMenus.cpp).
    void createActions();
    void createMenus();
    void createToolBar();
    void createStatusBar();

    // Opening recordings and moving through them (MainWindowLoading.cpp).
    void openRecording(const QString& path);
    bool refuseWhileLoading();
    void passFinished(LoadController::Pass pass, uint first, uint last);
    void endPasses();
    void showLoadSummary(LoadController::Pass pass, uint first, uint last);
    void reportStreamStop();
    void reportNoRecording(const QString& path, const StreamStopInfo& stop);
    void dropNoRecording();
    void showProgress(const QString& label, uint minimum, uint maximum);
    void updateProgress(uint value, uint maximum);
    void closeProgress();

    // Saving (MainWindowSaving.cpp).
    void showProperties();

    // A click or drag in the overview strip (MainWindowOverview.cpp).
    void moveToOverview(quint64 ticks, uint eventIndex);
    void showOverviewTarget();

    // Live recording (MainWindowRecording.cpp).
    std::optional<ConnectionDialogFields> showConnectionDialog();
    bool readConfigurationDialog();
    void recordingMessage(QMessageBox::Icon icon, const QString& text);
    RequestPeriods requestPeriods() const;
    bool refuseUnlessIdle();
    void finishRecordingNow();
    void sendRecorderCommand(RecorderCommand command);
    void showRecordingControls(bool recording);
    QTimer* channelTimer();
    void connectingTick();
    void recordingTick();
    void stoppingTick();
    void stoppedTick();
    void takeInLastRecords();
    void noticeFirstOverflow();
    void followNewestEvents();
    void showLiveTime();

    // Statistics and the background ticks (MainWindowStatistics.cpp).
    void firstTick();
    // " %1 Events ", or for a file's window also the range of the recording it holds.
    void showEventCount();
    uint64_t traceSize() const;

    // The contexts list's double click: that context's next run after the selected event
    // (MainWindowNavigation.cpp).
    void selectNextRun(uint32_t context);

    // Zoom (MainWindowTimeline.cpp).
    void selectZoom(int index);
    void showZoom(int index);

    // The event list's filters and time display (MainWindowEventList.cpp).
    void setFilters(const std::array<bool, FilterClassCount>& shown);
    void toggleFilter(EventClass eventClass);
    void onlyFilter(EventClass eventClass);
    void applyFilterChecks();
    void setResolution(int resolution);

    // Panes (MainWindowPanes.cpp).
    void togglePane(Pane which);
    void showPane(Pane which, bool shown);

    // Dialogs (MainWindowDialogs.cpp).
    void goTo(GoToType type);
    void showOverflowExplanation();
    QString manualPath() const;

    // Settings (MainWindowSettings.cpp).
    void applySettings(const ReadResult& read);
    // The one way preferences reach the views: after reading the settings file and after
    // the Preferences dialog.
    void applyPreferences();
    void gatherSettings();
    QStringList existingSamples() const;

    StartupOptions options_;
    AppSettings settings_;
    Log log_;
    RecordingEngine engine_;
    Presentation presentation_;
    RecordProperties properties_;
    LoadedDataFile dataFile_;
    LoadSession session_{engine_, dataFile_};
    LoadController* controller_ = nullptr;
    QThread loaderThread_;
    std::unique_ptr<FileLoadWorker> worker_;
    std::unique_ptr<FileLoadWorker> openingWorker_; // on this thread
    ProbeLibrary probe_;
    DeviceListCache deviceCache_;
    std::unique_ptr<LiveRecorder> recorder_;

    EventModel* eventModel_ = nullptr;
    MessageModel* messageModel_ = nullptr;
    TaskModel* taskModel_ = nullptr;
    SystemInfoModel* systemInfoModel_ = nullptr;
    EventView* eventView_ = nullptr;
    MessageView* messageView_ = nullptr;
    TaskView* taskView_ = nullptr;
    QTreeView* systemInfoView_ = nullptr;
    LogPane* logPane_ = nullptr;
    QScrollBar* timeScrollBar_ = nullptr;
    TimelineState* timeline_ = nullptr;
    TimeView* timeView_ = nullptr;
    OverviewStrip* overviewStrip_ = nullptr;
    LoadView* loadView_ = nullptr;
    std::array<PaneWidget*, PaneCount> panes_{};
    QSplitter* columnSplitter_ = nullptr;
    std::array<QSplitter*, SplitterRowCount> rowSplitters_{};

    MainWindowActions actions_;
    QComboBox* zoomCombo_ = nullptr;
    QComboBox* cursorCombo_ = nullptr;
    QLabel* eventCountLabel_ = nullptr;
    QLabel* timeLabel_ = nullptr;
    QLabel* stateIconLabel_ = nullptr;
    std::unique_ptr<QProgressDialog> progress_; // no parent: a window closed while loading frees it
    QElapsedTimer progressUpdated_;

    QTimer* backgroundTimer_ = nullptr;
    QTimer* sysDescTimer_ = nullptr;
    QTimer* statsTimer_ = nullptr;
    QTimer* channelTimer_ = nullptr;

    RunState runState_ = RunState::Created;
    bool firstStart_ = false;
    QStringList sampleFiles_;
    QString targetText_;
    ViewOptions viewOptions_;
    bool overflowNoticeShown_ = false; // since the recording started
    int followedRow_ = -1;             // the row auto scroll selected last
    GoToType lastGoToType_ = GoToType::Event;
    // Where the overview asked to go while the window was being moved: centred once it is.
    struct OverviewTarget {
        uint64_t ticks;
        uint32_t eventIndex;
    };
    std::optional<OverviewTarget> overviewTarget_;
};

} // namespace kavrin
