// Every command of the window does something the user can see: each menu item and shortcut,
// the dialogs they open and what the dialogs change in the settings and the views.
#include "AppHarness.h"

#include "app/GoToDialog.h"
#include "app/PaneWidget.h"
#include "app/PropertiesDialog.h"
#include "presentation/models/EventModel.h"
#include "presentation/models/TaskModel.h"
#include "views/EventView.h"
#include "views/LoadView.h"
#include "views/SystemInfoDialog.h"
#include "views/TaskView.h"
#include "views/TimeView.h"
#include "views/TimelineState.h"
#include "views/ZoomLevels.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <QTextEdit>
#include <QToolBar>

using namespace kavrin;
using namespace kavrin::test;

namespace {

// The menu item at "Menu/Submenu/Item", or null (item texts may hold "/" too).
QAction* menuAction(QWidget* menu, const QString& path) {
    for (QAction* action : menu->actions()) {
        const QString text = action->text();
        if (path == text && !action->menu())
            return action;
        if (action->menu() && path.startsWith(text + u'/'))
            return menuAction(action->menu(), path.mid(text.size() + 1));
    }
    return nullptr;
}

const EventNode* nodeAt(KavrinMainWindow& window, int row) {
    return window.eventModel().nodeAt(row);
}

int currentRow(KavrinMainWindow& window) {
    return window.eventView().currentIndex().row();
}

void selectRow(KavrinMainWindow& window, int row) {
    window.eventView().setCurrentIndex(window.eventModel().index(row, 0));
}

uint64_t timestampAt(KavrinMainWindow& window, int row) {
    return nodeAt(window, row)->record.timestamp;
}

// A double click on a row of a list, as the pointer makes it: a click, then the double click.
void doubleClick(QAbstractItemView& list, const QModelIndex& index) {
    const QPoint at = list.visualRect(index).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
}

// The window shown and active, so that its shortcuts take keys.
void showActive(KavrinMainWindow& window) {
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

// The filter classes in menu order: APIs, ISRs, Messages, System Events, Tasks, User Events.
constexpr std::array<EventClass, FilterCount> FilterClasses{
    EventClass::Api,    EventClass::Interrupt, EventClass::Message,
    EventClass::System, EventClass::Task,      EventClass::User,
};

// One command: its menu item (or none for a window shortcut), its key (or none), and what
// it must change. `arm` prepares the window and returns the check of the visible change.
struct Command {
    QString menuPath;
    QString key;
    std::function<std::function<bool()>()> arm;
};

} // namespace

class CommandsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void everyCommandDoesSomethingVisible();
    void goToSelectsTheEventOrTheNearestInTime();
    void goToOpensOnTheTypeAskedFor();
    void preferencesReachTheSettingsFileAndTheViews();
    void timelineRendersAnewOnlyForChangedIndicators();
    void recordingPropertiesAcceptAndCancel();
    void contextsListDoubleClickSelectsTheNextRun();
    void manualOpensOrSaysWhyNot();
    void installedManualAndSamplesAreFound();
    void theProgramsOwnDialogsOpen();
    void aboutOverflowsExplainsFromTheSummary();

private:
    QTemporaryDir recordings_;
    QString apiRecording_;
    QString overflowRecording_;
};

void CommandsTest::initTestCase() {
    QVERIFY(recordings_.isValid());
    apiRecording_ =
        generateRecording(recordings_, QStringLiteral("api.KVDat"), QStringLiteral("api"), 6000);
    overflowRecording_ = generateRecording(recordings_, QStringLiteral("overflow.KVDat"),
                                           QStringLiteral("overflow"), 20000);
    QVERIFY(QFile::exists(apiRecording_));
    QVERIFY(QFile::exists(overflowRecording_));
}

void CommandsTest::everyCommandDoesSomethingVisible() {
    StartedWindow fixture;
    KavrinMainWindow& window = *fixture.window;
    PromptLog& log = *fixture.log;
    QVERIFY(fixture.open(apiRecording_));
    showActive(window);
    fixture.saveName = fixture.dir.filePath(QStringLiteral("saved.KVDat"));
    const int middle = window.eventModel().rowCount() / 2;
    const MainWindowActions& actions = window.actions();

    std::vector<Command> commands;
    const auto add = [&commands](const QString& path, const QString& key, auto arm) {
        commands.push_back({path, key, arm});
    };
    const auto opensDialog = [&log](const QString& title) {
        return [&log, title] {
            const qsizetype before = log.dialogs.size();
            return std::function<bool()>([&log, title, before] {
                return log.dialogs.size() > before && log.dialogs.last() == title;
            });
        };
    };
    const auto zoomsTo = [&window](int from, int to) {
        return [&window, from, to] {
            window.OnZoomChanged(from);
            return std::function<bool()>([&window, to] { return window.zoomIndex() == to; });
        };
    };
    // To the next row, or to the whole recording when that row spans most of it.
    const auto zoomsOut = [&window] {
        window.OnZoomChanged(9);
        return std::function<bool()>([&window] { return window.zoomIndex() > 9; });
    };
    const auto saves = [&fixture] {
        QFile::remove(fixture.saveName);
        return std::function<bool()>([&fixture] { return QFile::exists(fixture.saveName); });
    };
    const auto movesSelection = [&window, middle] {
        selectRow(window, middle);
        return std::function<bool()>([&window, middle] { return currentRow(window) != middle; });
    };
    const auto changesStatus = [&window] {
        window.statusBar()->clearMessage();
        return std::function<bool()>(
            [&window] { return !window.statusBar()->currentMessage().isEmpty(); });
    };

    // File menu.
    add("&File/&Load Data", "Ctrl+O", opensDialog("Open File"));
    add("&File/&Save Data", "Ctrl+S", saves);
    add("&File/Recording &Properties...", "Ctrl+Shift+P", opensDialog("Recording Properties"));
    add("", "", [&] {
        // Recent file 0 is the recording open now; it is opened anew.
        const qsizetype summaries = log.summaries.size();
        actions.recentFiles[0]->trigger();
        return std::function<bool()>(
            [&, summaries] { return fixture.waitForIdle() && log.summaries.size() > summaries; });
    });
    add("", "", [&] {
        const qsizetype summaries = log.summaries.size();
        actions.sampleFiles[3]->trigger();
        return std::function<bool()>([&, summaries] {
            return fixture.waitForIdle() && log.summaries.size() > summaries &&
                   window.recentFiles().first() == window.sampleFiles()[3];
        });
    });

    // View menu.
    add("&View/Toggle &Reference", "R", [&] {
        const size_t before = window.presentation().display.references.size();
        return std::function<bool()>(
            [&, before] { return window.presentation().display.references.size() != before; });
    });
    add("&View/Clear &All References", "Ctrl+Shift+R", [&] {
        window.setReference();
        return std::function<bool()>(
            [&] { return window.presentation().display.references.empty(); });
    });
    add("&View/&Zoom/Zoom &In", "Ctrl++", zoomsTo(9, 8));
    add("&View/&Zoom/Zoom &Out", "Ctrl+-", zoomsOut);
    for (int row = 0; row < ZoomLevelCount; ++row)
        add(QStringLiteral("&View/&Zoom/") + QLatin1String(ZoomLevels[size_t(row)].label), "",
            zoomsTo(row == 9 ? 10 : 9, row));
    for (int position = 1; position <= CursorPositionCount; ++position)
        add(QStringLiteral("&View/&Cursor/") + QLatin1String(CursorPositions[size_t(position - 1)]),
            QString::number(position), [&window, position] {
                window.setCursor(position == 2 ? 3 : 2);
                return std::function<bool()>(
                    [&window, position] { return window.cursorPosition() == position; });
            });
    const std::array<std::pair<const char*, int>, 5> bins{{{"Single Bin", 1},
                                                           {"&10 Bins", 10},
                                                           {"&50 Bins", 50},
                                                           {"1&00 Bins", 100},
                                                           {"&200 Bins", 200}}};
    for (const auto& [text, count] : bins)
        add(QStringLiteral("&View/CPU &Load/") + QLatin1String(text), "", [&window, count = count] {
            window.loadView().setBinCount(count == 10 ? 50 : 10);
            return std::function<bool()>(
                [&window, count] { return window.loadView().binCount() == count; });
        });
    const QStringList filterNames{"&APIs",          "&ISRs",  "&Messages",
                                  "&System Events", "&Tasks", "&User Events"};
    const QStringList filterKeys{"A", "I", "M", "S", "T", "U"};
    for (int i = 0; i < FilterCount; ++i) {
        const QString filterMenu = QStringLiteral("&View/Event &Filter/Show ");
        add(filterMenu + filterNames[i], QStringLiteral("Shift+") + filterKeys[i], [&, i] {
            const bool before = window.engine().store.classShown(FilterClasses[size_t(i)]);
            return std::function<bool()>([&, i, before] {
                const bool shown = window.engine().store.classShown(FilterClasses[size_t(i)]);
                return shown != before && actions.showFilter[size_t(i)]->isChecked() == shown;
            });
        });
        add(filterMenu + QString(filterNames[i]).remove(u'&') + QStringLiteral(" only"),
            QStringLiteral("Ctrl+Shift+") + filterKeys[i], [&, i] {
                window.noFilterTriggered();
                return std::function<bool()>([&, i] {
                    for (int other = 0; other < FilterCount; ++other)
                        if (actions.showFilter[size_t(other)]->isChecked() != (other == i))
                            return false;
                    return true;
                });
            });
    }
    add("&View/Event &Filter/&Reset All Filters", "Ctrl+Shift+Space", [&] {
        window.isrOnlyFilterTriggered();
        const int rows = window.eventModel().rowCount();
        return std::function<bool()>([&, rows] {
            return window.eventModel().rowCount() > rows &&
                   std::ranges::all_of(actions.showFilter,
                                       [](const QAction* item) { return item->isChecked(); });
        });
    });
    add("&View/Display Target Time", "", [&] {
        actions.displayRecordingTime->setChecked(true);
        return std::function<bool()>([&] { return window.presentation().display.systemTime; });
    });
    add("&View/Display Recording Time", "", [&] {
        actions.displayTargetTime->setChecked(true);
        return std::function<bool()>([&] { return !window.presentation().display.systemTime; });
    });
    const QStringList resolutions{"1 us", "100 ns", "10 ns", "1 ns"};
    for (int i = 0; i < 4; ++i)
        add(QStringLiteral("&View/Resolution: ") + resolutions[i], "", [&window, i] {
            window.OnToggleResolution(i != 0); // another resolution: 1 us, or 1 ns for "1 us"
            return std::function<bool()>(
                [&window, i] { return window.presentation().display.resolution == 6 + i; });
        });
    add("&View/Auto &Scroll", "", [&] {
        const bool before = window.settings().events.autoScroll;
        return std::function<bool()>(
            [&, before] { return window.settings().events.autoScroll != before; });
    });
    add("&View/&Message Indicators...", "Ctrl+M", opensDialog("Message Indicators"));

    // Go menu.
    add("&Go/&Forward", "F", movesSelection);
    add("&Go/&Back", "B", movesSelection);
    add("&Go/&Next", "N", movesSelection);
    add("&Go/&Previous", "P", movesSelection);
    add("&Go/Next Sibling", "Shift+N", movesSelection);
    add("&Go/Previous Sibling", "Shift+P", movesSelection);
    add("&Go/Go to &Event...", "Ctrl+G", opensDialog("Go To ..."));
    add("&Go/Go to &Timestamp...", "Ctrl+Shift+G", opensDialog("Go To ..."));
    for (const char* item : {"&Go/Scroll Back", "&Go/Scroll Forward"})
        add(QLatin1String(item), "", [&window, middle] {
            window.OnZoomChanged(6);
            selectRow(window, middle);
            window.timeline().resetCursor();
            const int64_t offset = window.timeline().scrollOffset();
            return std::function<bool()>(
                [&window, offset] { return window.timeline().scrollOffset() != offset; });
        });

    // Target, Tool, Window and Help menus.
    add("&Target/&Start Recording", "F5", [&] {
        log.connection = std::nullopt; // the configuration dialog is cancelled
        return opensDialog("Configuration")();
    });
    add("&Target/&Read Recorded Data", "Ctrl+F5", opensDialog("Configuration"));
    add("&Target/Stop Recording", "F9", [&] {
        log.connection = ConnectionDialogFields{};
        window.startRecording();
        if (!waitForState(window, RunState::Recording))
            qWarning("the recording did not start");
        return std::function<bool()>(
            [&] { return waitForState(window, RunState::Idle) && window.eventModel().rowCount(); });
    });
    add("T&ool/&Preferences...", "Alt+,", opensDialog("Preferences"));
    const QStringList panes{"Event View",   "System View",   "Time View", "CPU Load View",
                            "Context View", "Terminal View", "Log View"};
    const QStringList paneKeys{"E", "S", "T", "L", "C", "M", "O"};
    for (int pane = 0; pane < PaneCount; ++pane)
        add(QStringLiteral("&Window/") + panes[pane], paneKeys[pane], [&window, pane] {
            const bool hidden = window.pane(Pane(pane)).isHidden();
            return std::function<bool()>(
                [&window, pane, hidden] { return window.pane(Pane(pane)).isHidden() != hidden; });
        });
    add("&Window/Show/Hide &Status Bar", "", [&] {
        const bool hidden = window.statusBar()->isHidden();
        return std::function<bool()>(
            [&, hidden] { return window.statusBar()->isHidden() != hidden; });
    });
    add("&Window/Show/Hide T&ool Bar", "", [&] {
        const bool hidden = window.findChild<QToolBar*>()->isHidden();
        return std::function<bool()>(
            [&, hidden] { return window.findChild<QToolBar*>()->isHidden() != hidden; });
    });
    add("&Help/&Kavrin Manual", "F11", [&] {
        const qsizetype opened = log.opened.size();
        return std::function<bool()>([&, opened] { return log.opened.size() > opened; });
    });
    add("&Help/&About Kavrin", "F12", opensDialog("About Kavrin"));

    // Shortcuts without a menu item.
    for (const char* key : {"+", "=", "Ctrl+="})
        add("", QLatin1String(key), zoomsTo(9, 8));
    add("", "-", zoomsOut);
    add("", "F2", saves);
    add("", "F3", opensDialog("Open File"));
    add("", "Ctrl+P", opensDialog("Preferences"));
    add("", "Ctrl+Alt+C", [&] {
        window.SaveSettings();
        return std::function<bool()>([&] {
            return QSettings(fixture.settingsPath(), QSettings::IniFormat).allKeys().isEmpty();
        });
    });
    add("", "Ctrl+Alt+S", [&] {
        const QModelIndex runCount = window.taskModel().index(0, 3);
        const QString before = runCount.data().toString();
        return std::function<bool()>([&, before] {
            window.UpdateStats();
            const QString after = window.taskModel().index(0, 3).data().toString();
            return before != QStringLiteral("0") && after == QStringLiteral("0");
        });
    });
    add("", "Alt+Shift+Left", changesStatus);
    add("", "Alt+Shift+Right", changesStatus);
    add("&File/E&xit", "Ctrl+Q", [&] {
        QFile::remove(fixture.settingsPath());
        return std::function<bool()>(
            [&] { return !window.isVisible() && QFile::exists(fixture.settingsPath()); });
    });

    for (const Command& command : commands) {
        const QString name = command.menuPath.isEmpty() ? command.key : command.menuPath;
        if (!window.engine().store.first() && window.runState() == RunState::Idle)
            QVERIFY(fixture.open(apiRecording_));
        // The progress dialog of a load takes the activation away.
        showActive(window);
        window.eventView().setFocus();
        const std::function<bool()> changed = command.arm();
        if (!command.menuPath.isEmpty()) {
            QAction* action = menuAction(window.menuBar(), command.menuPath);
            QVERIFY2(action, qPrintable(name));
            QCOMPARE(action->shortcut(), QKeySequence(command.key));
            if (command.key.isEmpty())
                action->trigger();
        }
        if (!command.key.isEmpty()) {
            QWidget* focus = QApplication::focusWidget();
            QTest::keySequence(focus ? focus : &window, QKeySequence(command.key));
        }
        QVERIFY2(QTest::qWaitFor(changed, 5000), qPrintable(name));
    }
    // The two slots without a command change nothing and have no menu item.
    QVERIFY(!menuAction(window.menuBar(), QStringLiteral("&View/Custom Filter")));
}

void CommandsTest::goToSelectsTheEventOrTheNearestInTime() {
    WindowFixture fixture;
    KavrinMainWindow& window = *fixture.window;
    PromptLog& log = *fixture.log;
    QVERIFY(fixture.open(apiRecording_));
    const int rows = window.eventModel().rowCount();
    selectRow(window, 40);
    const auto goTo = [&](GoToType type, uint64_t value, bool byTime) {
        log.goTo = GoToTarget{type, value};
        if (byTime)
            window.OnGoToTimestamp();
        else
            window.OnGoToEvent();
        return currentRow(window);
    };

    // What the dialog is offered: the stored events and the selected one.
    const EventStore& store = window.engine().store;
    goTo(GoToType::Event, nodeAt(window, 100)->record.index, false);
    QCOMPARE(log.goToRange.firstIndex, store.first()->record.index);
    QCOMPARE(log.goToRange.lastIndex, store.last()->record.index);
    QCOMPARE(log.goToRange.lastTicks, store.last()->record.timestamp);
    QCOMPARE(log.goToRange.selectedIndex, nodeAt(window, 40)->record.index);
    QVERIFY(log.goToRange.hasEvents);
    QCOMPARE(currentRow(window), 100);
    QCOMPARE(window.timeline().selectedRow(), 100);

    // A time exactly at an event, nearer to one of two events, between them, past the end.
    int k = 1;
    while (k + 1 < rows && !(timestampAt(window, k - 1) < timestampAt(window, k) &&
                             timestampAt(window, k + 1) - timestampAt(window, k) >= 4 &&
                             (timestampAt(window, k + 1) - timestampAt(window, k)) % 2 == 0))
        ++k;
    QVERIFY(k + 1 < rows);
    const uint64_t a = timestampAt(window, k);
    const uint64_t b = timestampAt(window, k + 1);
    QCOMPARE(goTo(GoToType::TargetTimestamp, a, true), k);
    QCOMPARE(goTo(GoToType::TargetTimestamp, a + 1, true), k);
    QCOMPARE(goTo(GoToType::TargetTimestamp, b - 1, true), k + 1);
    QCOMPARE(goTo(GoToType::TargetTimestamp, (a + b) / 2, true), k + 1);
    QCOMPARE(goTo(GoToType::RecordingTimestamp, b, true), k + 1);
    QCOMPARE(window.timeline().selectedRow(), k + 1);
    QCOMPARE(goTo(GoToType::TargetTimestamp, store.last()->record.timestamp + 1000, true),
             rows - 1);

    // Under a filter an event number that is hidden selects the next row shown, or the last.
    window.taskOnlyFilterTriggered();
    const int shown = window.eventModel().rowCount();
    int gap = 0;
    while (gap + 1 < shown &&
           nodeAt(window, gap + 1)->record.index == nodeAt(window, gap)->record.index + 1)
        ++gap;
    QVERIFY(gap + 1 < shown);
    QCOMPARE(goTo(GoToType::Event, nodeAt(window, gap)->record.index + 1, false), gap + 1);
    QCOMPARE(goTo(GoToType::Event, store.last()->record.index + 5, false), shown - 1);

    // Cancelled: the selection stays.
    selectRow(window, 3);
    log.goTo = std::nullopt;
    window.OnGoToEvent();
    QCOMPARE(currentRow(window), 3);
}

void CommandsTest::goToOpensOnTheTypeAskedFor() {
    WindowFixture fixture;
    KavrinMainWindow& window = *fixture.window;
    PromptLog& log = *fixture.log;
    window.OnGoToTimestamp();
    QCOMPARE(int(log.goToType), int(GoToType::RecordingTimestamp));
    QVERIFY(!log.goToRange.hasEvents);
    window.OnGoTo();
    QCOMPARE(int(log.goToType), int(GoToType::RecordingTimestamp));
    window.OnToggleSystemTime(true);
    window.OnGoToTimestamp();
    QCOMPARE(int(log.goToType), int(GoToType::TargetTimestamp));
    window.OnGoToEvent();
    QCOMPARE(int(log.goToType), int(GoToType::Event));
    // The type chosen in the dialog is the one used next.
    log.goTo = GoToTarget{GoToType::TargetTimestamp, 0};
    window.OnGoToEvent();
    window.OnGoTo();
    QCOMPARE(int(log.goToType), int(GoToType::TargetTimestamp));
    QVERIFY(log.messages.last().contains(QStringLiteral("shows no events")));
}

void CommandsTest::preferencesReachTheSettingsFileAndTheViews() {
    const Preferences chosen = unusualPreferences();
    WindowFixture fixture;
    KavrinMainWindow& window = *fixture.window;
    // Cancelled: nothing changes, whatever the dialog held.
    fixture.log->preferences = [&chosen](Preferences& preferences) {
        preferences = chosen;
        return false;
    };
    window.showPreferences();
    QCOMPARE(window.settings().preferences, Preferences{});

    fixture.log->preferences = [&chosen](Preferences& preferences) {
        preferences = chosen;
        return true;
    };
    window.showPreferences();
    QCOMPARE(window.settings().preferences, chosen);
    QCOMPARE(window.timeView().options().preferences, chosen.timeline);
    QCOMPARE(window.log().level(), 4u);
    window.SaveSettings();

    QSettings file(fixture.settingsPath(), QSettings::IniFormat);
    file.beginGroup(QStringLiteral("Preferences"));
    const QList<std::pair<const char*, QVariant>> keys{
        {"LoadDataOnStart", false},
        {"SaveRecordProperties", false},
        {"InvertWheelControl", true},
        {"LogLevel", 4},
        {"ExistingTaskHighlight", 0},
        {"TaskReadyHighlight", 0},
        {"TimelineEventMarker", 0},
        {"IndicatorLevel", 2},
        {"IndicatorZoom", 21},
        {"SysDescFreq", 15},
        {"TaskListFreq", 86400},
        {"SysTimeFreq", 1},
        {"RequestModules", false},
        {"Dialogs/SystemInfo", false},
        {"Dialogs/RecordingProperties", false},
        {"Dialogs/AnnoyingDialogs/2/DialogSuppressed", true},
    };
    for (const auto& [key, value] : keys)
        QVERIFY2(file.value(QLatin1String(key)).toString() == value.toString(), key);

    // The next start reads them back into the settings and the views.
    WindowFixture next({}, fixture.settingsPath());
    QCOMPARE(next.window->settings().preferences, chosen);
    QCOMPARE(next.window->timeView().options().preferences, chosen.timeline);
    QCOMPARE(next.window->log().level(), 4u);
}

void CommandsTest::timelineRendersAnewOnlyForChangedIndicators() {
    WindowFixture fixture;
    KavrinMainWindow& window = *fixture.window;
    PromptLog& log = *fixture.log;
    QVERIFY(fixture.open(apiRecording_));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    TimeView& time = window.timeView();
    time.grab();
    const uint64_t rendered = time.laneRenders();
    const auto grabbedRenders = [&time] {
        time.grab();
        return time.laneRenders();
    };
    QCOMPARE(grabbedRenders(), rendered);

    // Confirmed without a change, or with only the wheel changed: the cached lanes stay.
    log.preferences = [](Preferences&) { return true; };
    window.showPreferences();
    QCOMPARE(grabbedRenders(), rendered);
    log.preferences = [](Preferences& preferences) {
        preferences.timeline.invertWheelControl = true;
        return true;
    };
    window.showPreferences();
    QCOMPARE(grabbedRenders(), rendered);
    QVERIFY(time.options().preferences.invertWheelControl);

    log.preferences = [](Preferences& preferences) {
        preferences.timeline.existingTaskHighlight = 0;
        return true;
    };
    window.showPreferences();
    QCOMPARE(grabbedRenders(), rendered + 1);

    // Message Indicators: both values reach the settings and the timeline.
    log.indicators = [](TimelineIndicators&) { return true; };
    window.OnMessageIndicator();
    QCOMPARE(grabbedRenders(), rendered + 1);
    log.indicators = [](TimelineIndicators& indicators) {
        indicators.indicatorLevel = 3;
        indicators.indicatorZoom = 21;
        indicators.existingTaskHighlight = 1; // not the dialog's to change
        return true;
    };
    window.OnMessageIndicator();
    QCOMPARE(window.settings().preferences.timeline.indicatorLevel, 3);
    QCOMPARE(window.settings().preferences.timeline.indicatorZoom, 21);
    QCOMPARE(window.settings().preferences.timeline.existingTaskHighlight, 0u);
    QCOMPARE(time.options().preferences.indicatorLevel, 3);
    QCOMPARE(grabbedRenders(), rendered + 2);
    log.indicators = [](TimelineIndicators& indicators) {
        indicators.indicatorLevel = 0;
        return false;
    };
    window.OnMessageIndicator();
    QCOMPARE(time.options().preferences.indicatorLevel, 3);
}

void CommandsTest::recordingPropertiesAcceptAndCancel() {
    WindowFixture fixture;
    KavrinMainWindow& window = *fixture.window;
    QVERIFY(fixture.open(apiRecording_));
    window.properties().author.clear();
    QString offeredAuthor;
    fixture.log->properties = [&offeredAuthor](RecordProperties& properties) {
        offeredAuthor = properties.author;
        properties.title = QStringLiteral("Bench run");
        properties.author = QStringLiteral("bob");
        properties.description = QStringLiteral("first\nsecond");
        return true;
    };
    QVERIFY(window.SetProperties());
    QCOMPARE(offeredAuthor, loginName());
    const SystemInfoTable& info = window.presentation().systemInfo;
    QCOMPARE(info.rowText(SystemInfoRow::Title), QStringLiteral("Bench run"));
    QCOMPARE(info.rowText(SystemInfoRow::Author), QStringLiteral("bob"));
    QCOMPARE(info.rowText(SystemInfoRow::Description), QStringLiteral("first second"));

    fixture.log->properties = [](RecordProperties& properties) {
        properties.title = QStringLiteral("typed, then cancelled");
        return false;
    };
    QVERIFY(!window.SetProperties());
    QCOMPARE(window.properties().title, QStringLiteral("Bench run"));
    QCOMPARE(info.rowText(SystemInfoRow::Title), QStringLiteral("Bench run"));

    // Saved with the accepted properties.
    fixture.saveName = fixture.dir.filePath(QStringLiteral("props.KVDat"));
    window.save();
    QFile saved(fixture.saveName);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray header = saved.read(400);
    QVERIFY(header.contains("; Title       Bench run\n"));
    QVERIFY(header.contains("; Description first\\nsecond\n"));
}

void CommandsTest::contextsListDoubleClickSelectsTheNextRun() {
    WindowFixture fixture;
    KavrinMainWindow& window = *fixture.window;
    QVERIFY(fixture.open(apiRecording_));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    selectRow(window, 0);
    auto* contexts = window.findChild<TaskView*>();
    // A task's row: a context that runs more than once.
    int taskRow = -1;
    for (int row = 0; row < window.taskModel().rowCount() && taskRow < 0; ++row)
        if (window.taskModel().index(row, 3).data().toString().toInt() > 2 &&
            window.taskModel().contextAt(row) != IdleContext)
            taskRow = row;
    QVERIFY(taskRow >= 0);
    const uint32_t context = window.taskModel().contextAt(taskRow);
    const QModelIndex index = window.taskModel().index(taskRow, 0);
    contexts->scrollTo(index);

    int previous = 0;
    for (int run = 0; run < 2; ++run) {
        doubleClick(*contexts, index);
        const int row = currentRow(window);
        QVERIFY(row > previous);
        const EventRecord& record = nodeAt(window, row)->record;
        QCOMPARE(record.contextAfter, context);
        QVERIFY(record.contextBefore != context);
        QCOMPARE(window.timeline().selectedRow(), row);
        previous = row;
    }
    // After the last run the status bar says so.
    selectRow(window, window.eventModel().rowCount() - 1);
    window.statusBar()->clearMessage();
    doubleClick(*contexts, contexts->currentIndex());
    QVERIFY(!window.statusBar()->currentMessage().isEmpty());
}

void CommandsTest::manualOpensOrSaysWhyNot() {
    const QString manual = binDir() + QStringLiteral("/Doc/Manual_Kavrin.pdf");
    QVERIFY(QFile::exists(manual));
    WindowFixture fixture;
    KavrinMainWindow& window = *fixture.window;
    window.openManual();
    QCOMPARE(fixture.log->opened, QStringList{manual});
    QVERIFY(logText(window).contains(QStringLiteral("Opened the manual ") + manual));

    fixture.log->viewer = false;
    window.openManual();
    QCOMPARE(fixture.log->messages.size(), 1);
    QVERIFY(fixture.log->messages.last().startsWith(
        QStringLiteral("No viewer for PDF documents is available")));
    QVERIFY(logText(window).contains(QStringLiteral("Error: No viewer for PDF documents")));

    QTemporaryDir elsewhere;
    WindowFixture without({}, {}, {}, elsewhere.path());
    without.window->openManual();
    QVERIFY(without.log->opened.isEmpty());
    QCOMPARE(without.log->messages.size(), 1);
    QVERIFY(without.log->messages.last().contains(QStringLiteral("is missing")));
}

// PREFIX/bin/kavrin finds what an installation put in PREFIX/share/kavrin.
void CommandsTest::installedManualAndSamplesAreFound() {
    QTemporaryDir prefix;
    QDir folder(prefix.path());
    QVERIFY(folder.mkpath(QStringLiteral("bin")) &&
            folder.mkpath(QStringLiteral("share/kavrin/Doc")) &&
            folder.mkpath(QStringLiteral("share/kavrin/Sample")));
    const QString manual = prefix.path() + QStringLiteral("/share/kavrin/Doc/Manual_Kavrin.pdf");
    const QString sample = prefix.path() + QStringLiteral("/share/kavrin/Sample/Overflows.KVDat");
    QVERIFY(QFile::copy(binDir() + QStringLiteral("/Doc/Manual_Kavrin.pdf"), manual));
    QVERIFY(QFile::copy(binDir() + QStringLiteral("/Sample/Overflows.KVDat"), sample));

    WindowFixture installed({}, {}, {}, prefix.path() + QStringLiteral("/bin"));
    installed.window->openManual();
    QCOMPARE(installed.log->opened, QStringList{manual});
    QCOMPARE(installed.window->sampleFiles(), QStringList{QFileInfo(sample).canonicalFilePath()});
}

void CommandsTest::theProgramsOwnDialogsOpen() {
    WindowFixture fixture({}, {}, [](UserPrompts& prompts) {
        prompts.about = nullptr;
        prompts.editPreferences = nullptr;
        prompts.editMessageIndicators = nullptr;
        prompts.goTo = nullptr;
        prompts.editProperties = nullptr;
    });
    KavrinMainWindow& window = *fixture.window;
    QVERIFY(fixture.open(apiRecording_));
    {
        ModalDialogs cancel([](QDialog& dialog) { dialog.reject(); });
        window.showAbout();
        window.showPreferences();
        window.OnMessageIndicator();
        window.OnGoToEvent();
        window.OnGoToTimestamp();
        QVERIFY(!window.SetProperties());
        QCOMPARE(cancel.titles, QStringList({"About Kavrin", "Preferences | Norvan Kavrin V2.37a",
                                             "Message Indicators | Norvan Kavrin V2.37a",
                                             "Go To ... | Norvan Kavrin V2.37a",
                                             "Go To ... | Norvan Kavrin V2.37a",
                                             "Recording Properties | Norvan Kavrin V2.37a"}));
    }
    {
        // Event 5 through the real Go To dialog.
        ModalDialogs accept([](QDialog& dialog) {
            static_cast<GoToDialog&>(dialog).eventField()->setText(QStringLiteral("5"));
            clickButton(dialog, QStringLiteral("&OK"));
        });
        window.OnGoToEvent();
    }
    QCOMPARE(nodeAt(window, currentRow(window))->record.index, 4u);
    {
        // The log level through the real Preferences dialog.
        ModalDialogs accept([](QDialog& dialog) {
            dialog.findChildren<QComboBox*>().first()->setCurrentIndex(2);
            clickButton(dialog, QStringLiteral("&OK"));
        });
        window.showPreferences();
    }
    QCOMPARE(window.log().level(), 2u);
}

void CommandsTest::aboutOverflowsExplainsFromTheSummary() {
    WindowFixture fixture({}, {}, [](UserPrompts& prompts) { prompts.showSummary = nullptr; });
    QStringList lines;
    ModalDialogs summary([&lines](QDialog& dialog) {
        if (auto* info = qobject_cast<SystemInfoDialog*>(&dialog)) {
            for (const QLabel* label : info->findChildren<QLabel*>())
                lines.append(label->text());
            clickButton(dialog, QStringLiteral("&About Overflows"));
        }
        dialog.accept();
    });
    QVERIFY(fixture.open(overflowRecording_));
    QVERIFY(fixture.window->engine().tracker.counters.overflowCount > 0);
    QVERIFY(lines.filter(QStringLiteral(" Overflows, ")).size() == 1);
    QCOMPARE(fixture.log->suppressible, QStringList{overflowExplanationTitle()});
}

QTEST_MAIN(CommandsTest)
#include "CommandsTest.moc"
