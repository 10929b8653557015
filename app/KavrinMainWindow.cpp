// Construction of the window and the wiring of engine, models, views and loader.
#include "app/KavrinMainWindow.h"

#include "app/AboutDialog.h"
#include "app/AnnoyingDialog.h"
#include "app/GoToDialog.h"
#include "app/MessageBoxes.h"
#include "app/MessageIndicatorDialog.h"
#include "app/PaneWidget.h"
#include "app/PreferencesDialog.h"
#include "app/PropertiesDialog.h"
#include "files/FileLoadWorker.h"
#include "presentation/models/EventModel.h"
#include "presentation/models/MessageModel.h"
#include "presentation/models/SystemInfoModel.h"
#include "presentation/models/TaskModel.h"
#include "recorder/LiveRecorder.h"
#include "recorder/ModalMessage.h"
#include "views/ColourSchemes.h"
#include "views/EventView.h"
#include "views/LoadView.h"
#include "views/LogPane.h"
#include "views/MessageView.h"
#include "views/OverviewStrip.h"
#include "views/SystemInfoDialog.h"
#include "views/TaskView.h"
#include "views/TimeView.h"
#include "views/TimelineState.h"
#include "views/ZoomLevels.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QProgressDialog>
#include <QScrollBar>
#include <QSplitter>
#include <QTimer>
#include <QTreeView>

namespace kavrin {

namespace {

const QString ProductName = QStringLiteral("Norvan Kavrin");
const QString Edition;
const QString Version = QStringLiteral("V2.37a");

} // namespace

KavrinMainWindow::KavrinMainWindow(StartupOptions options, UserPrompts userPrompts, QWidget* parent)
    : QMainWindow(parent), prompts(std::move(userPrompts)), options_(std::move(options)),
      recorder_(std::make_unique<LiveRecorder>(engine_.decoder, probe_)) {
    settings_.connection = options_.connection;
    installDefaultPrompts();
    resize(settings_.window.size);
    updateTitle();
    createModels();
    wireEngine();
    createActions();
    createMenus();
    createToolBar();
    createCentralLayout();
    actions_.panes[size_t(Pane::Log)]->setChecked(false);
    actions_.panes[size_t(Pane::SystemInfo)]->setChecked(false);

    statsTimer_ = new QTimer(this);
    connect(statsTimer_, &QTimer::timeout, this, &KavrinMainWindow::statsTimerFired);
    statsTimer_->start(500);
    wireViews();
    selectZoom(DefaultZoom);
    createStatusBar();
    eventView_->setFocus();
    startLoader();

    ImportSettings();
    LoadSettings();
    UpdateMRUFiles({});

    backgroundTimer_ = new QTimer(this);
    connect(backgroundTimer_, &QTimer::timeout, this, &KavrinMainWindow::OnBGTimer);
    backgroundTimer_->start(500);
    // The first tick (the command-line file, above all) comes as soon as the event loop runs,
    // not after a period of waiting.
    QTimer::singleShot(0, this, &KavrinMainWindow::OnBGTimer);
    sysDescTimer_ = new QTimer(this);
    connect(sysDescTimer_, &QTimer::timeout, this, &KavrinMainWindow::OnSysDescTimer);
    sysDescTimer_->start(1000);

    runState_ = RunState::Started;
    log_.message(QStringLiteral("Kavrin started."));
}

KavrinMainWindow::~KavrinMainWindow() {
    log_.message(QStringLiteral("Closing Kavrin."));
    // A pass under way waits for this thread to take its chunks: release it.
    session_.pendingChunks.cancel();
    loaderThread_.quit();
    loaderThread_.wait();
    controller_->stopPrefault(); // the controller, a child, outlives the engine
    // The views must not be told about nodes freed by the engine's destruction.
    engine_.callbacks = {};
    log_.setWriter({});
    // The panes go while the engine and the presentation they read are still there: hidden by
    // the window's own destruction, after its members had gone, the terminal laid out a pass's
    // new rows from freed contexts.
    delete takeCentralWidget();
}

void KavrinMainWindow::installDefaultPrompts() {
    if (!prompts.askYesNo)
        prompts.askYesNo = [](const QString& question) { return kavrin::askYesNo(question); };
    if (!prompts.inform)
        prompts.inform = [](const QString& message) { showMessage(message); };
    if (!prompts.openFileName)
        prompts.openFileName = [this] {
            return QFileDialog::getOpenFileName(
                this, {}, {}, QStringLiteral("Kavrin Data (*.KVDat *.kavrin *.bin)"));
        };
    if (!prompts.saveFileName)
        prompts.saveFileName = [this] {
            return QFileDialog::getSaveFileName(this, {}, {},
                                                QStringLiteral("Kavrin Data (*.KVDat)"));
        };
    if (!prompts.editProperties)
        prompts.editProperties = [this](RecordProperties& properties) {
            const SystemInfoTable& info = presentation_.systemInfo;
            return editRecordProperties(this, properties, info.rowText(SystemInfoRow::Name),
                                        info.rowText(SystemInfoRow::Device));
        };
    if (!prompts.showSummary)
        prompts.showSummary = [this](const QString& headline, const QString& overflowLine) {
            SystemInfoDialog dialog(*systemInfoModel_, headline, overflowLine, this);
            dialog.explainOverflows = [this] { showOverflowExplanation(); };
            dialog.exec();
        };
    if (!prompts.configureConnection)
        prompts.configureConnection = [this](const ConnectionSettings&) {
            return showConnectionDialog();
        };
    if (!prompts.notify)
        prompts.notify = [](QMessageBox::Icon icon, const QString& title, const QString& text) {
            showModalMessage(icon, title, text);
        };
    if (!prompts.showSuppressible)
        prompts.showSuppressible = [this](const SuppressibleMessage& message) {
            AnnoyingDialog dialog(message, this);
            dialog.exec();
        };
    installDefaultDialogs();
}

void KavrinMainWindow::installDefaultDialogs() {
    if (!prompts.about)
        prompts.about = [this] {
            AboutDialog dialog(this);
            dialog.exec();
        };
    if (!prompts.editPreferences)
        prompts.editPreferences = [this](Preferences& preferences) {
            PreferencesDialog dialog(preferences, this);
            if (dialog.exec() != QDialog::Accepted)
                return false;
            preferences = dialog.values();
            return true;
        };
    if (!prompts.editMessageIndicators)
        prompts.editMessageIndicators = [this](TimelineIndicators& indicators) {
            MessageIndicatorDialog dialog(indicators.indicatorLevel, indicators.indicatorZoom,
                                          this);
            if (dialog.exec() != QDialog::Accepted)
                return false;
            indicators.indicatorLevel = dialog.level();
            indicators.indicatorZoom = dialog.zoom();
            return true;
        };
    if (!prompts.goTo)
        prompts.goTo = [this](GoToType type, const GoToRange& range) -> std::optional<GoToTarget> {
            GoToDialog dialog(type, range, presentation_.timeBase, presentation_.display.resolution,
                              this);
            if (dialog.exec() != QDialog::Accepted)
                return std::nullopt;
            return dialog.target();
        };
    if (!prompts.openUrl)
        prompts.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

void KavrinMainWindow::createModels() {
    eventModel_ = new EventModel(engine_, presentation_, this);
    messageModel_ = new MessageModel(engine_.tracker, presentation_, this);
    taskModel_ = new TaskModel(engine_, presentation_, this);
    systemInfoModel_ = new SystemInfoModel(presentation_.systemInfo, this);
    // The lists' context icons in the colours of the timeline's lanes.
    const ContextColour laneColour = [](const ContextTracker& tracker, uint32_t id) {
        const ContextInfo* info = tracker.contexts.find(id);
        return QColor::fromRgb(colourScheme(info ? info->colourCode : 0, id).middle & 0xFFFFFFu);
    };
    eventModel_->setContextColours(laneColour);
    messageModel_->setContextColours(laneColour);
}

void KavrinMainWindow::wireEngine() {
    kavrin::wireEngine(
        engine_, presentation_, log_, [this](const QString& identity) { setTargetText(identity); },
        options_.applicationDir);
    engine_.registerBuiltInContexts();
    EngineCallbacks& callbacks = engine_.callbacks;
    // While recording, the list learns of new rows on the statistics tick, and while a file
    // is loaded, when the pass ends: a tree view lays out all its rows for every insertion,
    // which at 100 slices a second costs more than the slices themselves.
    callbacks.rowsAppended = [this](uint32_t, uint32_t) {
        if (runState_ != RunState::Recording && runState_ != RunState::Loading)
            eventModel_->rowsAppended();
    };
    // While recording, the list is reset on the statistics tick too (the model noted the drop
    // and shows no row until then).
    callbacks.fullRepaint = [this] {
        if (runState_ != RunState::Recording)
            eventModel_->storeReset();
        timeline_->reset();
    };
    callbacks.logOutputStored = [this](EventNode* node) { messageModel_->addMessage(*node); };
    callbacks.nodesDropping = [this](EventNode*) { eventModel_->nodesDropping(); };
}

void KavrinMainWindow::createCentralLayout() {
    columnSplitter_ = new QSplitter(Qt::Vertical);
    columnSplitter_->setChildrenCollapsible(false);
    columnSplitter_->setOpaqueResize(true);
    columnSplitter_->setContentsMargins(0, 0, 0, 0);
    for (QSplitter*& row : rowSplitters_) {
        row = new QSplitter(Qt::Horizontal);
        row->setChildrenCollapsible(false);
        row->setOpaqueResize(true);
        columnSplitter_->addWidget(row);
    }
    const auto addPane = [this](Pane which, const QString& title, int row, QWidget* content,
                                int stretch) {
        auto* pane = new PaneWidget(title);
        pane->addContent(content, stretch);
        panes_[size_t(which)] = pane;
        rowSplitters_[size_t(row)]->addWidget(pane);
    };

    eventView_ = new EventView;
    eventView_->setModel(eventModel_);
    addPane(Pane::Events, QStringLiteral("Events"), 0, eventView_, 0);
    messageView_ = new MessageView;
    messageView_->setModel(messageModel_);
    messageView_->setEventList(eventView_, eventModel_);
    addPane(Pane::Messages, QStringLiteral("Terminal"), 0, messageView_, 0);

    timeline_ = new TimelineState(engine_, presentation_, viewOptions_, this);
    timeView_ = new TimeView(engine_, presentation_, viewOptions_, *timeline_);
    overviewStrip_ = new OverviewStrip(engine_, presentation_, *timeline_);
    addPane(Pane::Time, QStringLiteral("Timeline"), 1, overviewStrip_, 0);
    panes_[size_t(Pane::Time)]->addContent(timeView_, 100);
    timeScrollBar_ = new QScrollBar(Qt::Horizontal);
    timeScrollBar_->setTracking(true);
    panes_[size_t(Pane::Time)]->addContent(timeScrollBar_);
    timeView_->setScrollBar(timeScrollBar_);
    loadView_ = new LoadView(engine_, presentation_, viewOptions_, *timeline_);
    addPane(Pane::Load, QStringLiteral("CPU Load"), 2, loadView_, 100);

    taskView_ = new TaskView;
    taskView_->setModel(taskModel_);
    taskModel_->setFont(taskView_->font());
    taskView_->setEventList(eventView_, eventModel_);
    addPane(Pane::Contexts, QStringLiteral("Contexts"), 3, taskView_, 0);
    systemInfoView_ = new QTreeView;
    systemInfoView_->setModel(systemInfoModel_);
    systemInfoView_->setColumnWidth(0, 150);
    systemInfoView_->expandAll();
    addPane(Pane::SystemInfo, QStringLiteral("System"), 3, systemInfoView_, 0);

    logPane_ = new LogPane;
    addPane(Pane::Log, QStringLiteral("Log"), 4, logPane_, 100);
    log_.setWriter([pane = logPane_](const QString& line) { pane->appendLine(line); });

    for (int row = 0; row < SplitterRowCount; ++row)
        rowSplitters_[size_t(row)]->setSizes(settings_.window.paneWidths[size_t(row)]);
    columnSplitter_->setSizes(settings_.window.rowHeights + QList<int>{height()});
    setCentralWidget(columnSplitter_);
}

void KavrinMainWindow::wireViews() {
    QItemSelectionModel* eventSelection = eventView_->selectionModel();
    connect(eventView_, &QAbstractItemView::doubleClicked, timeline_, &TimelineState::resetCursor);
    connect(eventSelection, &QItemSelectionModel::currentChanged, timeView_,
            &TimeView::OnSelectionChange);
    connect(eventSelection, &QItemSelectionModel::currentChanged, taskView_, &TaskView::selectTask);
    connect(taskView_, &QTreeView::doubleClicked, taskView_, &TaskView::OnDoubleClick);
    connect(taskView_, &TaskView::contextChosen, this, &KavrinMainWindow::selectNextRun);
    connect(taskView_->header(), &QHeaderView::sectionResized, this,
            &KavrinMainWindow::headerSizeChange);
    eventView_->stepTimeline = [this](int direction) {
        if (const std::optional<ViewWindow> window = timeline_->viewWindow())
            timeline_->scrollBy(direction * int64_t(window->spanNs / 50));
    };

    connect(timeline_, &TimelineState::selectRow, this, [this](int row) {
        const QModelIndex index = eventModel_->index(row, 0);
        if (index.isValid())
            eventView_->setCurrentIndex(index);
    });
    connect(timeline_, &TimelineState::logOutputSelected, this, [this](const EventNode* node) {
        const QModelIndex message = messageModel_->rowOfEvent(node->record.index);
        if (message.isValid() && messageView_->currentIndex().row() != message.row())
            messageView_->setCurrentIndex(message);
    });
    connect(timeline_, &TimelineState::zoomRowChanged, this, &KavrinMainWindow::showZoom);
    // A cursor chosen in the timeline (click, context menu) goes through setCursor too.
    connect(timeline_, &TimelineState::cursorPositionChanged, this,
            qOverload<int>(&KavrinMainWindow::setCursor));
    connect(overviewStrip_, &OverviewStrip::moveRequested, this, &KavrinMainWindow::moveToOverview);
    connect(timeView_, &TimeView::referencesChanged, eventModel_, &EventModel::refresh);
    connect(timeline_, &TimelineState::paneTitlesChanged, this,
            [this](const QString& timeline, const QString& cpuLoad) {
                panes_[size_t(Pane::Time)]->setTitle(timeline);
                panes_[size_t(Pane::Load)]->setTitle(cpuLoad);
            });
    connect(loadView_, &LoadView::paneTitleChanged, panes_[size_t(Pane::Load)],
            &PaneWidget::setTitle);
    connect(systemInfoModel_, &QAbstractItemModel::rowsInserted, systemInfoView_,
            [this](const QModelIndex& parent) { systemInfoView_->expand(parent); });
}

void KavrinMainWindow::startLoader() {
    controller_ = new LoadController(session_, properties_, this);
    worker_ = std::make_unique<FileLoadWorker>(session_);
    // By name, as the loader's interface is defined by its signatures.
    connect(this, SIGNAL(TriggerLoad(uint, uint, bool)), worker_.get(),
            SLOT(LoadData(uint, uint, bool)), Qt::QueuedConnection);
    worker_->moveToThread(&loaderThread_);
    loaderThread_.start(QThread::InheritPriority);
    connect(worker_.get(), SIGNAL(LoadingStarted(uint, uint, bool)), this,
            SLOT(OnLoadingStarted(uint, uint, bool)), Qt::QueuedConnection);
    connect(worker_.get(), SIGNAL(DataLoaded(uint, uint, bool)), this,
            SLOT(OnDataLoaded(uint, uint, bool)), Qt::QueuedConnection);
    connect(worker_.get(), SIGNAL(LoadingFinished(uint, uint, bool)), this,
            SLOT(OnLoadingFinished(uint, uint, bool)), Qt::QueuedConnection);

    // Opening a file, the analysis and the load pass read every record once, right after it is
    // decoded: on this thread the records are still in the cache then, where handing them over
    // between cores cost more than the second core gained (the load pass took 66 instead of
    // 89 ms), and the views see the figures on the thread that writes them.
    openingWorker_ = std::make_unique<FileLoadWorker>(session_);
    openingWorker_->setChunkSizeAfterTimeBase(FileLoadWorker::InlineChunkSize);
    connect(openingWorker_.get(), &FileLoadWorker::LoadingStarted, this,
            &KavrinMainWindow::OnLoadingStarted);
    connect(openingWorker_.get(), &FileLoadWorker::DataLoaded, this,
            &KavrinMainWindow::OnDataLoaded);
    connect(openingWorker_.get(), &FileLoadWorker::LoadingFinished, this,
            &KavrinMainWindow::OnLoadingFinished);
    connect(controller_, &LoadController::TriggerLoad, this,
            [this](uint first, uint count, bool append) {
                const LoadController::Pass pass = controller_->pass();
                if (pass == LoadController::Pass::Analysis || pass == LoadController::Pass::Load)
                    openingWorker_->LoadDataInSlices(first, count, append);
                else
                    emit TriggerLoad(first, count, append);
            });
    connect(controller_, &LoadController::TriggerLoad, timeline_, &TimelineState::passStarted);
    connect(controller_, &LoadController::windowFillsAhead, timeline_,
            &TimelineState::reserveAhead);
    connect(controller_, &LoadController::logInfo, this,
            [this](const QString& text) { log_.message(text); });
    connect(controller_, &LoadController::propertiesRead, this, &KavrinMainWindow::showProperties);
    connect(controller_, &LoadController::contextListReset, taskModel_, &TaskModel::reset);
    connect(controller_, &LoadController::updateStatsRequested, this,
            &KavrinMainWindow::UpdateStats);
    connect(controller_, &LoadController::statsReset, taskModel_, &TaskModel::update);
    connect(controller_, &LoadController::progressStarted, this, &KavrinMainWindow::showProgress);
    connect(controller_, &LoadController::progressChanged, this, &KavrinMainWindow::updateProgress);
    connect(controller_, &LoadController::progressFinished, this, &KavrinMainWindow::closeProgress);
    connect(controller_, &LoadController::windowChanged, this, [this] {
        if (runState_ != RunState::Loading)
            eventModel_->rowsAppended();
    });
    connect(controller_, &LoadController::passFinished, this, &KavrinMainWindow::passFinished);
}

void KavrinMainWindow::setTargetText(const QString& text) {
    targetText_ = text;
    updateTitle();
}

void KavrinMainWindow::updateTitle() {
    QString title = QStringLiteral("%1 %2 %3").arg(ProductName, Edition, Version);
    if (!targetText_.isEmpty())
        title += QStringLiteral(" - ") + targetText_;
    setWindowTitle(title);
}

void KavrinMainWindow::closeEvent(QCloseEvent* event) {
    if (runState_ == RunState::Recording &&
        !prompts.askYesNo(
            QStringLiteral("Kavrin is still recording. Do you really want to quit?"))) {
        event->ignore();
        return;
    }
    finishRecordingNow();
    SaveSettings();
    event->accept();
}

} // namespace kavrin
