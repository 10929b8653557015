// The window's actions, menus, tool bar and status bar.
#include "app/AppIcons.h"
#include "app/KavrinMainWindow.h"
#include "views/ZoomLevels.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>

namespace kavrin {

namespace {

using Slot = void (KavrinMainWindow::*)();

QAction* makeAction(KavrinMainWindow* window, const char* text, const QKeySequence& shortcut,
                    Slot slot, bool checkable = false) {
    auto* action = new QAction(QString::fromLatin1(text), window);
    action->setShortcut(shortcut);
    action->setCheckable(checkable);
    if (slot)
        QObject::connect(action, &QAction::triggered, window, slot);
    return action;
}

// Filter items in menu order: APIs, ISRs, Messages, System Events, Tasks, User Events.
struct FilterItem {
    const char* show;
    const char* showKey;
    Slot toggled;
    const char* only;
    const char* onlyKey;
    Slot onlyTriggered;
};

constexpr std::array<FilterItem, FilterCount> FilterItems{{
    {"Show &APIs", "Shift+A", &KavrinMainWindow::apiFilterToggled, "Show APIs only", "Ctrl+Shift+A",
     &KavrinMainWindow::apiOnlyFilterTriggered},
    {"Show &ISRs", "Shift+I", &KavrinMainWindow::isrFilterToggled, "Show ISRs only", "Ctrl+Shift+I",
     &KavrinMainWindow::isrOnlyFilterTriggered},
    {"Show &Messages", "Shift+M", &KavrinMainWindow::messageFilterToggled, "Show Messages only",
     "Ctrl+Shift+M", &KavrinMainWindow::messageOnlyFilterTriggered},
    {"Show &System Events", "Shift+S", &KavrinMainWindow::systemFilterToggled,
     "Show System Events only", "Ctrl+Shift+S", &KavrinMainWindow::systemOnlyFilterTriggered},
    {"Show &Tasks", "Shift+T", &KavrinMainWindow::taskFilterToggled, "Show Tasks only",
     "Ctrl+Shift+T", &KavrinMainWindow::taskOnlyFilterTriggered},
    {"Show &User Events", "Shift+U", &KavrinMainWindow::userFilterToggled, "Show User Events only",
     "Ctrl+Shift+U", &KavrinMainWindow::userOnlyFilterTriggered},
}};

struct PaneItem {
    const char* text;
    const char* key;
    Slot toggled;
    AppIcon icon;
};

// In Pane order.
constexpr std::array<PaneItem, PaneCount> PaneItems{{
    {"Event View", "E", &KavrinMainWindow::eventToggled, AppIcon::WindowEvents},
    {"System View", "S", &KavrinMainWindow::systeminfoToggled, AppIcon::WindowSystem},
    {"Time View", "T", &KavrinMainWindow::timeToggled, AppIcon::WindowTime},
    {"CPU Load View", "L", &KavrinMainWindow::loadToggled, AppIcon::WindowLoad},
    {"Context View", "C", &KavrinMainWindow::taskToggled, AppIcon::WindowContexts},
    {"Terminal View", "M", &KavrinMainWindow::messageToggled, AppIcon::WindowTerminal},
    {"Log View", "O", &KavrinMainWindow::logToggled, AppIcon::WindowLog},
}};

constexpr std::array<Slot, CursorPositionCount> CursorSlots{
    &KavrinMainWindow::CursorPos10, &KavrinMainWindow::CursorPos20, &KavrinMainWindow::CursorPos30,
    &KavrinMainWindow::CursorPos40, &KavrinMainWindow::CursorPos50, &KavrinMainWindow::CursorPos60,
    &KavrinMainWindow::CursorPos70, &KavrinMainWindow::CursorPos80, &KavrinMainWindow::CursorPos90,
};

struct BinItem {
    const char* text;
    Slot slot;
};

constexpr std::array<BinItem, 5> BinItems{{
    {"Single Bin", &KavrinMainWindow::set1Bin},
    {"&10 Bins", &KavrinMainWindow::set10Bins},
    {"&50 Bins", &KavrinMainWindow::set50Bins},
    {"1&00 Bins", &KavrinMainWindow::set100Bins},
    {"&200 Bins", &KavrinMainWindow::set200Bins},
}};

constexpr std::array<const char*, 4> ResolutionTexts{"Resolution: 1 us", "Resolution: 100 ns",
                                                     "Resolution: 10 ns", "Resolution: 1 ns"};
constexpr std::array<Slot, 4> ResolutionSlots{
    &KavrinMainWindow::resolution1us, &KavrinMainWindow::resolution100ns,
    &KavrinMainWindow::resolution10ns, &KavrinMainWindow::resolution1ns};

struct WindowShortcut {
    QKeySequence key;
    Slot slot;
};

QActionGroup* exclusiveGroup(QObject* parent) {
    auto* group = new QActionGroup(parent);
    group->setExclusive(true);
    return group;
}

} // namespace

void KavrinMainWindow::createActions() {
    MainWindowActions& a = actions_;
    a.load = makeAction(this, "&Load Data", QKeySequence("Ctrl+O"), &KavrinMainWindow::load);
    a.save = makeAction(this, "&Save Data", QKeySequence("Ctrl+S"), &KavrinMainWindow::save);
    a.properties =
        makeAction(this, "Recording &Properties...", QKeySequence("Ctrl+Shift+P"), nullptr);
    connect(a.properties, &QAction::triggered, this, &KavrinMainWindow::SetProperties);
    a.exit = makeAction(this, "E&xit", QKeySequence("Ctrl+Q"), nullptr);
    connect(a.exit, &QAction::triggered, this, &QWidget::close);

    a.toggleReference =
        makeAction(this, "Toggle &Reference", QKeySequence("R"), &KavrinMainWindow::setReference);
    a.clearReferences = makeAction(this, "Clear &All References", QKeySequence("Ctrl+Shift+R"),
                                   &KavrinMainWindow::clearReferences);
    a.zoomIn = makeAction(this, "Zoom &In", QKeySequence("Ctrl++"), &KavrinMainWindow::zoomIn);
    a.zoomIn->setIcon(appIcon(AppIcon::ZoomIn));
    a.zoomOut = makeAction(this, "Zoom &Out", QKeySequence("Ctrl+-"), &KavrinMainWindow::zoomOut);
    a.zoomOut->setIcon(appIcon(AppIcon::ZoomOut));
    a.zoomGroup = exclusiveGroup(this);
    for (const ZoomLevel& level : ZoomLevels) {
        QAction* action = makeAction(this, level.label, {}, &KavrinMainWindow::OnSetZoom, true);
        action->setData(qint64(level.spanUs));
        a.zoomGroup->addAction(action);
        a.zoomLevels.append(action);
    }
    QActionGroup* cursorGroup = exclusiveGroup(this);
    for (int position = 1; position <= CursorPositionCount; ++position) {
        QAction* action = makeAction(this, CursorPositions[size_t(position - 1)],
                                     QKeySequence(QString::number(position)),
                                     CursorSlots[size_t(position - 1)], true);
        cursorGroup->addAction(action);
        a.cursorPositions.append(action);
    }
    a.cursorPositions[viewOptions_.cursorPosition - 1]->setChecked(true);
    for (const BinItem& item : BinItems)
        a.cpuLoadBins.append(makeAction(this, item.text, {}, item.slot));

    for (int i = 0; i < FilterCount; ++i) {
        const FilterItem& item = FilterItems[size_t(i)];
        a.showFilter[size_t(i)] =
            makeAction(this, item.show, QKeySequence(item.showKey), item.toggled, true);
        a.showFilter[size_t(i)]->setChecked(true);
        a.onlyFilter[size_t(i)] =
            makeAction(this, item.only, QKeySequence(item.onlyKey), item.onlyTriggered);
    }
    a.resetFilters = makeAction(this, "&Reset All Filters", QKeySequence("Ctrl+Shift+Space"),
                                &KavrinMainWindow::noFilterTriggered);

    QActionGroup* timeGroup = exclusiveGroup(this);
    a.displayTargetTime = makeAction(this, "Display Target Time", {}, nullptr, true);
    connect(a.displayTargetTime, &QAction::toggled, this, &KavrinMainWindow::OnToggleSystemTime);
    a.displayRecordingTime = makeAction(this, "Display Recording Time", {}, nullptr, true);
    a.displayRecordingTime->setChecked(true);
    timeGroup->addAction(a.displayTargetTime);
    timeGroup->addAction(a.displayRecordingTime);

    QActionGroup* resolutionGroup = exclusiveGroup(this);
    for (size_t i = 0; i < a.resolutions.size(); ++i) {
        a.resolutions[i] = makeAction(this, ResolutionTexts[i], {}, ResolutionSlots[i], true);
        resolutionGroup->addAction(a.resolutions[i]);
    }
    a.resolutions[1]->setChecked(true);
    a.autoScroll = makeAction(this, "Auto &Scroll", {}, &KavrinMainWindow::AutoScrollToggled, true);
    a.autoScroll->setChecked(settings_.events.autoScroll);
    a.messageIndicators = makeAction(this, "&Message Indicators...", QKeySequence("Ctrl+M"),
                                     &KavrinMainWindow::OnMessageIndicator);

    a.forward = makeAction(this, "&Forward", QKeySequence("F"), &KavrinMainWindow::forward);
    a.back = makeAction(this, "&Back", QKeySequence("B"), &KavrinMainWindow::back);
    a.next = makeAction(this, "&Next", QKeySequence("N"), &KavrinMainWindow::next);
    a.previous = makeAction(this, "&Previous", QKeySequence("P"), &KavrinMainWindow::previous);
    a.nextSibling =
        makeAction(this, "Next Sibling", QKeySequence("Shift+N"), &KavrinMainWindow::contextnext);
    a.previousSibling = makeAction(this, "Previous Sibling", QKeySequence("Shift+P"),
                                   &KavrinMainWindow::contextprevious);
    a.goToEvent =
        makeAction(this, "Go to &Event...", QKeySequence("Ctrl+G"), &KavrinMainWindow::OnGoToEvent);
    a.goToTimestamp = makeAction(this, "Go to &Timestamp...", QKeySequence("Ctrl+Shift+G"),
                                 &KavrinMainWindow::OnGoToTimestamp);
    // Going back in time moves the view content right.
    a.scrollBack = makeAction(this, "Scroll Back", {}, &KavrinMainWindow::scrollRight);
    a.scrollForward = makeAction(this, "Scroll Forward", {}, &KavrinMainWindow::scrollLeft);

    a.startRecording =
        makeAction(this, "&Start Recording", QKeySequence("F5"), &KavrinMainWindow::startRecording);
    a.startRecording->setIcon(appIcon(AppIcon::RecordStart));
    a.stopRecording =
        makeAction(this, "Stop Recording", QKeySequence("F9"), &KavrinMainWindow::stopRecording);
    a.stopRecording->setIcon(appIcon(AppIcon::RecordStop));
    a.readRecordedData = makeAction(this, "&Read Recorded Data", QKeySequence("Ctrl+F5"),
                                    &KavrinMainWindow::startSingleShot);
    a.readRecordedData->setIcon(appIcon(AppIcon::RecordRead));
    a.preferences = makeAction(this, "&Preferences...", QKeySequence(Qt::ALT | Qt::Key_Comma),
                               &KavrinMainWindow::showPreferences);

    for (int pane = 0; pane < PaneCount; ++pane) {
        const PaneItem& item = PaneItems[size_t(pane)];
        QAction* action = makeAction(this, item.text, QKeySequence(item.key), nullptr, true);
        action->setIcon(appIcon(item.icon));
        action->setChecked(true);
        connect(action, &QAction::toggled, this, item.toggled);
        a.panes[size_t(pane)] = action;
    }
    a.statusBar = makeAction(this, "Show/Hide &Status Bar", {}, nullptr, true);
    a.statusBar->setChecked(true);
    connect(a.statusBar, &QAction::toggled, this, &KavrinMainWindow::statusbarToggled);
    a.recordingOverview = makeAction(this, "Recording &Overview", {}, nullptr, true);
    a.recordingOverview->setChecked(true);
    connect(a.recordingOverview, &QAction::toggled, this, &KavrinMainWindow::overviewToggled);
    a.toolBar = makeAction(this, "Show/Hide T&ool Bar", {}, nullptr, true);
    a.toolBar->setChecked(true);
    connect(a.toolBar, &QAction::toggled, this, &KavrinMainWindow::toolbarToggled);
    a.manual =
        makeAction(this, "&Kavrin Manual", QKeySequence("F11"), &KavrinMainWindow::openManual);
    a.about = makeAction(this, "&About Kavrin", QKeySequence("F12"), &KavrinMainWindow::showAbout);

    const std::array<WindowShortcut, 11> shortcuts{{
        {QKeySequence("+"), &KavrinMainWindow::zoomIn},
        {QKeySequence("="), &KavrinMainWindow::zoomIn},
        {QKeySequence("Ctrl+="), &KavrinMainWindow::zoomIn},
        {QKeySequence("-"), &KavrinMainWindow::zoomOut},
        {QKeySequence("F2"), &KavrinMainWindow::save},
        {QKeySequence("F3"), &KavrinMainWindow::load},
        {QKeySequence("Ctrl+P"), &KavrinMainWindow::showPreferences},
        {QKeySequence("Ctrl+Alt+C"), &KavrinMainWindow::ClearSettings},
        {QKeySequence("Ctrl+Alt+S"), &KavrinMainWindow::ResetStats},
        {QKeySequence("Alt+Shift+Left"), &KavrinMainWindow::LoadDataAfter},
        {QKeySequence("Alt+Shift+Right"), &KavrinMainWindow::LoadDataBefore},
    }};
    for (const WindowShortcut& shortcut : shortcuts)
        connect(new QShortcut(shortcut.key, this), &QShortcut::activated, this, shortcut.slot);
}

void KavrinMainWindow::createMenus() {
    MainWindowActions& a = actions_;
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(a.load);
    file->addAction(a.save);
    InitMRUFiles();
    file->addMenu(QStringLiteral("Recent &Files"))
        ->addActions(QList<QAction*>(a.recentFiles.begin(), a.recentFiles.end()));
    InitSampleFiles();
    file->addMenu(QStringLiteral("Sample &Recordings"))
        ->addActions(QList<QAction*>(a.sampleFiles.begin(), a.sampleFiles.end()));
    file->addSeparator();
    file->addAction(a.properties);
    file->addSeparator();
    file->addAction(a.exit);

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->addAction(a.toggleReference);
    view->addAction(a.clearReferences);
    view->addSeparator();
    QMenu* zoom = view->addMenu(QStringLiteral("&Zoom"));
    zoom->addAction(a.zoomIn);
    zoom->addAction(a.zoomOut);
    zoom->addSeparator();
    zoom->addActions(a.zoomLevels);
    view->addMenu(QStringLiteral("&Cursor"))->addActions(a.cursorPositions);
    view->addMenu(QStringLiteral("CPU &Load"))->addActions(a.cpuLoadBins);
    QMenu* filter = view->addMenu(QStringLiteral("Event &Filter"));
    filter->addActions(QList<QAction*>(a.showFilter.begin(), a.showFilter.end()));
    filter->addSeparator();
    filter->addActions(QList<QAction*>(a.onlyFilter.begin(), a.onlyFilter.end()));
    filter->addSeparator();
    filter->addAction(a.resetFilters);
    view->addSeparator();
    view->addAction(a.displayTargetTime);
    view->addAction(a.displayRecordingTime);
    view->addSeparator();
    view->addActions(QList<QAction*>(a.resolutions.begin(), a.resolutions.end()));
    view->addSeparator();
    view->addAction(a.autoScroll);
    view->addAction(a.messageIndicators);
    view->addAction(a.recordingOverview);

    a.goMenu = menuBar()->addMenu(QStringLiteral("&Go"));
    connect(a.goMenu, &QMenu::aboutToShow, this, &KavrinMainWindow::OnShowMenuGo);
    a.goMenu->addActions({a.forward, a.back});
    a.goMenu->addSeparator();
    a.goMenu->addActions({a.next, a.previous, a.nextSibling, a.previousSibling});
    a.goMenu->addSeparator();
    a.goMenu->addActions({a.goToEvent, a.goToTimestamp});
    a.goMenu->addSeparator();
    a.goMenu->addActions({a.scrollBack, a.scrollForward});

    menuBar()
        ->addMenu(QStringLiteral("&Target"))
        ->addActions({a.startRecording, a.stopRecording, a.readRecordedData});
    menuBar()->addMenu(QStringLiteral("T&ool"))->addAction(a.preferences);

    QMenu* window = menuBar()->addMenu(QStringLiteral("&Window"));
    window->addActions(QList<QAction*>(a.panes.begin(), a.panes.end()));
    window->addSeparator();
    window->addActions({a.statusBar, a.toolBar});

    menuBar()->addMenu(QStringLiteral("&Help"))->addActions({a.manual, a.about});
}

void KavrinMainWindow::createToolBar() {
    MainWindowActions& a = actions_;
    QToolBar* bar = addToolBar(QStringLiteral("Standard"));
    bar->setObjectName(QStringLiteral("Standard"));
    bar->setIconSize(QSize(16, 16));
    bar->addActions({a.startRecording, a.stopRecording});
    bar->addSeparator();
    bar->addAction(a.readRecordedData);
    bar->addSeparator();
    bar->addActions(QList<QAction*>(a.panes.begin(), a.panes.end()));
    bar->addSeparator();
    bar->addAction(a.zoomOut);
    zoomCombo_ = new QComboBox;
    zoomCombo_->setFocusPolicy(Qt::NoFocus);
    for (const ZoomLevel& level : ZoomLevels)
        zoomCombo_->addItem(QString::fromLatin1(level.label));
    bar->addWidget(zoomCombo_);
    bar->addAction(a.zoomIn);
    bar->addSeparator();
    cursorCombo_ = new QComboBox;
    cursorCombo_->setFocusPolicy(Qt::NoFocus);
    for (const char* label : CursorPositions)
        cursorCombo_->addItem(QString::fromLatin1(label));
    cursorCombo_->setCurrentIndex(viewOptions_.cursorPosition - 1);
    bar->addWidget(cursorCombo_);
    connect(zoomCombo_, &QComboBox::currentIndexChanged, this, &KavrinMainWindow::OnZoomChanged);
    connect(cursorCombo_, &QComboBox::currentIndexChanged, this, &KavrinMainWindow::OnSetCursor);
}

void KavrinMainWindow::createStatusBar() {
    const auto fixedLabel = [this](const QString& sizeText, const QString& text) {
        auto* label = new QLabel(sizeText);
        label->setMinimumSize(label->sizeHint());
        label->setText(text);
        statusBar()->addPermanentWidget(label);
        return label;
    };
    eventCountLabel_ = fixedLabel(QStringLiteral(" 1 000 000 Events "), QStringLiteral("0 Events"));
    eventCountLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    timeLabel_ =
        fixedLabel(QStringLiteral(" 00:00:00.000.000 "), QStringLiteral(" 00:00:00.000.000 "));
    timeLabel_->setIndent(4);
    stateIconLabel_ = new QLabel;
    stateIconLabel_->setPixmap(appIcon(AppIcon::RecordStop).pixmap(16, 16));
    statusBar()->addPermanentWidget(stateIconLabel_);
    actions_.startRecording->setEnabled(true);
    actions_.readRecordedData->setEnabled(true);
    actions_.stopRecording->setEnabled(false);
}

void KavrinMainWindow::InitMRUFiles() {
    for (int slot = 0; slot < RecentFileSlots; ++slot) {
        auto* action = new QAction(this);
        action->setData(slot);
        const bool used = slot < settings_.recentFiles.size();
        if (used)
            action->setText(settings_.recentFiles[slot]);
        action->setVisible(used);
        connect(action, &QAction::triggered, this, &KavrinMainWindow::LoadMRUFile);
        actions_.recentFiles[size_t(slot)] = action;
    }
}

void KavrinMainWindow::InitSampleFiles() {
    sampleFiles_ = existingSamples();
    for (int slot = 0; slot < RecentFileSlots; ++slot) {
        auto* action = new QAction(this);
        action->setData(slot);
        const bool used = slot < sampleFiles_.size();
        if (used)
            action->setText(sampleFiles_[slot]);
        action->setVisible(used);
        connect(action, &QAction::triggered, this, &KavrinMainWindow::LoadSampleFile);
        actions_.sampleFiles[size_t(slot)] = action;
    }
}

void KavrinMainWindow::UpdateMRUFiles(QString Filename) {
    QStringList& files = settings_.recentFiles;
    if (!Filename.isEmpty() && QFileInfo::exists(Filename)) {
        const QString path = QFileInfo(Filename).canonicalFilePath();
        files.removeAll(path);
        files.prepend(path);
        while (files.size() > RecentFileSlots)
            files.removeLast();
    }
    for (int slot = 0; slot < RecentFileSlots; ++slot) {
        QAction* action = actions_.recentFiles[size_t(slot)];
        const bool used = slot < files.size();
        if (used)
            action->setText(QStringLiteral("&%1  %2").arg(slot).arg(
                QFileInfo(files[slot]).canonicalFilePath()));
        action->setVisible(used);
    }
}

} // namespace kavrin
