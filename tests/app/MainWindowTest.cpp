// The main window on the offscreen platform: menus, view options, recent files, the first
// background tick, and recordings opened through both passes compared with kavrin-cli.
#include "AppHarness.h"

#include "app/MessageBoxes.h"
#include "app/PaneWidget.h"
#include "presentation/TimeText.h"
#include "presentation/models/EventModel.h"
#include "presentation/models/MessageModel.h"
#include "presentation/models/SystemInfoModel.h"
#include "presentation/models/TaskModel.h"
#include "views/EventView.h"
#include "views/MessageView.h"
#include "views/TimeView.h"
#include "views/TimelineState.h"
#include "views/ZoomLevels.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSplitter>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <thread>

using namespace kavrin;
using namespace kavrin::test;

namespace {

struct MenuItem {
    QString shortcut;
    bool checkable = false;
    bool checked = false;
};

// Every item of every menu, keyed "Menu/Submenu/Item".
QMap<QString, MenuItem> menuItems(QWidget* menu, const QString& path) {
    QMap<QString, MenuItem> items;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator())
            continue;
        const QString key = path + u'/' + action->text();
        if (action->menu())
            items.insert(menuItems(action->menu(), key));
        else
            items.insert(
                key, {action->shortcut().toString(), action->isCheckable(), action->isChecked()});
    }
    return items;
}

QStringList systemInfoLines(const QAbstractItemModel& model) {
    QStringList lines;
    for (int group = 0; group < model.rowCount(); ++group) {
        const QModelIndex groupIndex = model.index(group, 0);
        for (int row = 0; row < model.rowCount(groupIndex); ++row) {
            const QModelIndex name = model.index(row, 0, groupIndex);
            const QString path = groupIndex.data().toString() + u'/' + name.data().toString();
            lines.append(path + u'\t' + escaped(model.index(row, 1, groupIndex).data().toString()));
            for (int child = 0; child < model.rowCount(name); ++child)
                lines.append(path + u'/' + model.index(child, 0, name).data().toString() + u'\t' +
                             model.index(child, 1, name).data().toString());
        }
    }
    return lines;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void menusHoldEveryItemWithItsShortcut();
    void startsWithTheLayoutOfTheFirstRun();
    void zoomControlsStayInAgreement();
    void cursorPositions();
    void recentFilesKeepTenNewestFirst();
    void firstTickOpensTheCommandLineFile();
    void firstTickOffersASampleOnTheFirstRun();
    void generatedRecordingShowsWhatTheCliPrints();
    void filtersChangeTheRowsByClass();
    void resetOfAllDataEmptiesTheLists();
    void fileThatCannotBeOpenedIsReported();
    void savedRecordingReadsBack();
    void windowTitleNamesTheTarget();
    void closingWhileLoadingReleasesTheLoader();
    void windowMovesOverALongRecording();
    void messageBoxesFromAnotherThreadShowOnTheGuiThread();

private:
    QTemporaryDir recordings_;
    QString apiRecording_;
};

void MainWindowTest::initTestCase() {
    QVERIFY(recordings_.isValid());
    apiRecording_ =
        generateRecording(recordings_, QStringLiteral("api.KVDat"), QStringLiteral("api"), 6000);
    QVERIFY(QFile::exists(apiRecording_));
}

void MainWindowTest::menusHoldEveryItemWithItsShortcut() {
    WindowFixture fixture;
    const QMap<QString, MenuItem> items =
        menuItems(fixture.window->menuBar(), QStringLiteral("Menu"));
    struct Expected {
        const char* path;
        const char* shortcut;
        bool checkable;
        bool checked;
    };
    const Expected expected[] = {
        {"&File/&Load Data", "Ctrl+O", false, false},
        {"&File/&Save Data", "Ctrl+S", false, false},
        {"&File/Recording &Properties...", "Ctrl+Shift+P", false, false},
        {"&File/E&xit", "Ctrl+Q", false, false},
        {"&View/Toggle &Reference", "R", false, false},
        {"&View/Clear &All References", "Ctrl+Shift+R", false, false},
        {"&View/&Zoom/Zoom &In", "Ctrl++", false, false},
        {"&View/&Zoom/Zoom &Out", "Ctrl+-", false, false},
        {"&View/&Zoom/View 10us", "", true, false},
        {"&View/&Zoom/View 10ms", "", true, true},
        {"&View/&Zoom/View 30s", "", true, false},
        {"&View/&Zoom/Full Recording", "", true, false},
        {"&View/&Cursor/Cursor at 10%", "1", true, false},
        {"&View/&Cursor/Cursor at 20%", "2", true, true},
        {"&View/&Cursor/Cursor at Center", "5", true, false},
        {"&View/&Cursor/Cursor at 90%", "9", true, false},
        {"&View/CPU &Load/Single Bin", "", false, false},
        {"&View/CPU &Load/&10 Bins", "", false, false},
        {"&View/CPU &Load/&50 Bins", "", false, false},
        {"&View/CPU &Load/1&00 Bins", "", false, false},
        {"&View/CPU &Load/&200 Bins", "", false, false},
        {"&View/Event &Filter/Show &APIs", "Shift+A", true, true},
        {"&View/Event &Filter/Show &ISRs", "Shift+I", true, true},
        {"&View/Event &Filter/Show &Messages", "Shift+M", true, true},
        {"&View/Event &Filter/Show &System Events", "Shift+S", true, true},
        {"&View/Event &Filter/Show &Tasks", "Shift+T", true, true},
        {"&View/Event &Filter/Show &User Events", "Shift+U", true, true},
        {"&View/Event &Filter/Show APIs only", "Ctrl+Shift+A", false, false},
        {"&View/Event &Filter/Show ISRs only", "Ctrl+Shift+I", false, false},
        {"&View/Event &Filter/Show Messages only", "Ctrl+Shift+M", false, false},
        {"&View/Event &Filter/Show System Events only", "Ctrl+Shift+S", false, false},
        {"&View/Event &Filter/Show Tasks only", "Ctrl+Shift+T", false, false},
        {"&View/Event &Filter/Show User Events only", "Ctrl+Shift+U", false, false},
        {"&View/Event &Filter/&Reset All Filters", "Ctrl+Shift+Space", false, false},
        {"&View/Display Target Time", "", true, false},
        {"&View/Display Recording Time", "", true, true},
        {"&View/Resolution: 1 us", "", true, false},
        {"&View/Resolution: 100 ns", "", true, true},
        {"&View/Resolution: 10 ns", "", true, false},
        {"&View/Resolution: 1 ns", "", true, false},
        {"&View/Auto &Scroll", "", true, true},
        {"&View/&Message Indicators...", "Ctrl+M", false, false},
        {"&Go/&Forward", "F", false, false},
        {"&Go/&Back", "B", false, false},
        {"&Go/&Next", "N", false, false},
        {"&Go/&Previous", "P", false, false},
        {"&Go/Next Sibling", "Shift+N", false, false},
        {"&Go/Previous Sibling", "Shift+P", false, false},
        {"&Go/Go to &Event...", "Ctrl+G", false, false},
        {"&Go/Go to &Timestamp...", "Ctrl+Shift+G", false, false},
        {"&Go/Scroll Back", "", false, false},
        {"&Go/Scroll Forward", "", false, false},
        {"&Target/&Start Recording", "F5", false, false},
        {"&Target/Stop Recording", "F9", false, false},
        {"&Target/&Read Recorded Data", "Ctrl+F5", false, false},
        {"T&ool/&Preferences...", "Alt+,", false, false},
        {"&Window/Event View", "E", true, true},
        {"&Window/System View", "S", true, false},
        {"&Window/Time View", "T", true, true},
        {"&Window/CPU Load View", "L", true, true},
        {"&Window/Context View", "C", true, true},
        {"&Window/Terminal View", "M", true, true},
        {"&Window/Log View", "O", true, false},
        {"&Window/Show/Hide &Status Bar", "", true, true},
        {"&Window/Show/Hide T&ool Bar", "", true, true},
        {"&Help/&Kavrin Manual", "F11", false, false},
        {"&Help/&About Kavrin", "F12", false, false},
    };
    for (const Expected& item : expected) {
        const QString path = QStringLiteral("Menu/") + QLatin1String(item.path);
        QVERIFY2(items.contains(path), qPrintable(path));
        const MenuItem& found = items[path];
        QCOMPARE(found.shortcut, QString::fromLatin1(item.shortcut));
        QCOMPARE(found.checkable, item.checkable);
        QCOMPARE(found.checked, item.checked);
    }
    int zoomRows = 0;
    for (const QString& path : items.keys())
        zoomRows += path.startsWith(QStringLiteral("Menu/&View/&Zoom/View ")) ||
                    path.endsWith(QStringLiteral("/Full Recording"));
    QCOMPARE(zoomRows, ZoomLevelCount);
    // Exactly one checked item in each exclusive group.
    QCOMPARE(fixture.window->actions().zoomGroup->checkedAction()->text(),
             QStringLiteral("View 10ms"));
}

void MainWindowTest::startsWithTheLayoutOfTheFirstRun() {
    WindowFixture fixture;
    KavrinMainWindow& window = *fixture.window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Norvan Kavrin  V2.37a"));
    QCOMPARE(window.size(), QSize(1100, 800));
    QVERIFY(window.pane(Pane::Log).isHidden());
    QVERIFY(window.pane(Pane::SystemInfo).isHidden());
    QVERIFY(!window.pane(Pane::Events).isHidden());
    QCOMPARE(window.pane(Pane::Events).title(), QStringLiteral("Events"));
    QCOMPARE(window.pane(Pane::Messages).title(), QStringLiteral("Terminal"));
    QCOMPARE(window.rowSplitter(0).count(), 2);
    QCOMPARE(window.rowSplitter(3).count(), 2);
    QCOMPARE(window.columnSplitter().count(), SplitterRowCount);
    QCOMPARE(window.eventCountLabel().text(), QStringLiteral("0 Events"));
    QVERIFY(!window.actions().stopRecording->isEnabled());
    QVERIFY(window.actions().startRecording->isEnabled());
    QVERIFY(logText(window).contains(QStringLiteral("Kavrin started.")));
    QVERIFY(window.firstStartOfVersion());
    QCOMPARE(window.recentFiles(), window.sampleFiles());
}

void MainWindowTest::zoomControlsStayInAgreement() {
    WindowFixture fixture;
    KavrinMainWindow& window = *fixture.window;
    const auto agree = [&window](int index) {
        return window.zoomIndex() == index && window.zoomCombo().currentIndex() == index &&
               window.actions().zoomLevels[index]->isChecked();
    };
    window.zoomCombo().setCurrentIndex(3);
    QVERIFY(agree(3));
    window.actions().zoomLevels[15]->trigger();
    QVERIFY(agree(15));
    window.zoomIn();
    QVERIFY(agree(14));
    // Without events zooming out steps to the next row; the ends stay put.
    window.zoomOut();
    window.zoomOut();
    QVERIFY(agree(16));
    window.OnZoomChanged(0);
    window.zoomIn();
    QVERIFY(agree(0));
    window.OnZoomChanged(FullRecordingZoom);
    window.zoomOut();
    QVERIFY(agree(FullRecordingZoom));
    // With a recording, zooming in from the whole recording picks a row shorter than it.
    QVERIFY(fixture.open(apiRecording_));
    QVERIFY(agree(FullRecordingZoom));
    window.zoomIn();
    QVERIFY(window.zoomIndex() < FullRecordingZoom);
    QVERIFY(agree(window.zoomIndex()));
}

void MainWindowTest::cursorPositions() {
    WindowFixture fixture;
    KavrinMainWindow& window = *fixture.window;
    QCOMPARE(window.cursorPosition(), 2);
    QCOMPARE(window.cursorCombo().currentIndex(), 1);
    window.CursorPos50();
    QCOMPARE(window.cursorCombo().currentText(), QStringLiteral("Cursor at Center"));
    QVERIFY(window.actions().cursorPositions[4]->isChecked());
    window.cursorCombo().setCurrentIndex(8);
    QCOMPARE(window.cursorPosition(), 9);
    QVERIFY(window.actions().cursorPositions[8]->isChecked());
    window.setCursor(0);
    window.setCursor(10);
    QCOMPARE(window.cursorPosition(), 9);

    // A cursor chosen in the timeline reaches the menu, the combo box and the settings.
    QVERIFY(fixture.open(apiRecording_));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    TimeView& time = window.timeView();
    const QRect lanes = time.contentsRect();
    const int left = lanes.left() + DefaultNameColumnWidth + LaneLeftMargin;
    QTest::mouseClick(&time, Qt::LeftButton, {},
                      QPoint(left + window.timeline().window().drawingWidth * 4 / 10 + 2,
                             lanes.top() + lanes.height() / 2));
    QCOMPARE(window.cursorPosition(), 4);
    QCOMPARE(window.cursorCombo().currentIndex(), 3);
    QVERIFY(window.actions().cursorPositions[3]->isChecked());
    window.SaveSettings();
    QCOMPARE(QSettings(fixture.dir.filePath(QStringLiteral("Norvan/Norvan Kavrin V2.37a.ini")),
                       QSettings::IniFormat)
                 .value(QStringLiteral("Event/CursorPosition"))
                 .toInt(),
             4);
}

void MainWindowTest::recentFilesKeepTenNewestFirst() {
    WindowFixture fixture;
    KavrinMainWindow& window = *fixture.window;
    QStringList files;
    for (int i = 0; i < 11; ++i) {
        files.append(fixture.dir.filePath(QStringLiteral("file%1.KVDat").arg(i)));
        QFile file(files.last());
        QVERIFY(file.open(QIODevice::WriteOnly));
        window.UpdateMRUFiles(files.last());
    }
    QCOMPARE(window.recentFiles().size(), RecentFileSlots);
    QCOMPARE(window.recentFiles().first(), files[10]);
    QVERIFY(!window.recentFiles().contains(files[0]));
    window.UpdateMRUFiles(files[5]);
    QCOMPARE(window.recentFiles().first(), files[5]);
    QCOMPARE(window.actions().recentFiles[0]->text(), QStringLiteral("&0  ") + files[5]);
    QVERIFY(window.actions().recentFiles[9]->isVisible() ||
            !window.actions().recentFiles[9]->text().isEmpty());
    // A file that does not exist is not listed.
    window.UpdateMRUFiles(fixture.dir.filePath(QStringLiteral("missing.KVDat")));
    QCOMPARE(window.recentFiles().first(), files[5]);
}

void MainWindowTest::firstTickOpensTheCommandLineFile() {
    WindowFixture fixture(apiRecording_);
    QTRY_VERIFY_WITH_TIMEOUT(fixture.window->runState() != RunState::Started, 5000);
    QVERIFY(fixture.waitForIdle());
    // The command-line file wins over the first-run question.
    QVERIFY(fixture.log->questions.isEmpty());
    QVERIFY(fixture.window->eventModel().rowCount() > 0);
    QCOMPARE(fixture.window->recentFiles().first(), apiRecording_);
}

void MainWindowTest::firstTickOffersASampleOnTheFirstRun() {
    if (WindowFixture probe; probe.window->sampleFiles().isEmpty())
        QSKIP("the build has no sample recordings");
    {
        WindowFixture declined;
        QTRY_COMPARE_WITH_TIMEOUT(declined.log->questions.size(), 1, 5000);
        QVERIFY(declined.log->questions[0].contains(QStringLiteral("load a sample recording?")));
        QCOMPARE(declined.window->eventModel().rowCount(), 0);
    }
    WindowFixture accepted;
    accepted.log->answer = true;
    QTRY_COMPARE_WITH_TIMEOUT(accepted.log->questions.size(), 1, 5000);
    QVERIFY(accepted.waitForIdle());
    QVERIFY(accepted.window->eventModel().rowCount() > 0);

    // Later starts reload the newest recent file without asking.
    accepted.window->SaveSettings();
    WindowFixture later({},
                        accepted.dir.filePath(QStringLiteral("Norvan/Norvan Kavrin V2.37a.ini")));
    QTRY_VERIFY_WITH_TIMEOUT(later.window->runState() != RunState::Started, 5000);
    QVERIFY(later.waitForIdle());
    QVERIFY(later.log->questions.isEmpty());
    QVERIFY(!later.window->firstStartOfVersion());
    QVERIFY(later.window->eventModel().rowCount() > 0);
}

void MainWindowTest::generatedRecordingShowsWhatTheCliPrints() {
    WindowFixture fixture;
    KavrinMainWindow& window = *fixture.window;
    QAbstractItemModelTester eventTester(&window.eventModel());
    QAbstractItemModelTester messageTester(&window.messageModel());
    QAbstractItemModelTester taskTester(&window.taskModel());
    QAbstractItemModelTester infoTester(&window.systemInfoModel());
    QVERIFY(fixture.open(apiRecording_));

    QCOMPARE(modelLines(window.eventModel()), cliLines(QStringLiteral("events"), apiRecording_));
    QCOMPARE(modelLines(window.taskModel()), cliLines(QStringLiteral("contexts"), apiRecording_));
    QCOMPARE(systemInfoLines(window.systemInfoModel()),
             cliLines(QStringLiteral("info"), apiRecording_));

    // The terminal lists every Log Output event of the window, in order.
    window.messageOnlyFilterTriggered();
    const int messages = window.eventModel().rowCount();
    QVERIFY(messages > 0);
    QCOMPARE(window.messageModel().rowCount(), messages);

    // Choosing a message selects its event in the event list.
    window.noFilterTriggered();
    window.messageView().setCurrentIndex(window.messageModel().index(messages - 1, 0));
    const EventNode* selected = window.eventModel().nodeAt(window.eventView().currentIndex().row());
    QVERIFY(selected);
    QCOMPARE(selected->record.id, uint32_t(LogOutputEvent));

    QCOMPARE(fixture.log->summaries.size(), 1);
    QVERIFY(fixture.log->summaries[0].startsWith(
        QStringLiteral("%1 Events loaded successfully.").arg(window.engine().processedCount)));
    QVERIFY(logText(window).contains(QStringLiteral("Events analyzed.")));
    QCOMPARE(window.eventCountLabel().text(),
             QStringLiteral(" %1 Events (1 - %1) ").arg(GroupedNumber(window.engine().nextIndex)));

    // KAVRIN_GRAB=folder keeps a picture of the window for a look by eye.
    if (const QString folder = qEnvironmentVariable("KAVRIN_GRAB"); !folder.isEmpty())
        window.grab().save(folder + QStringLiteral("/main-window.png"));
}

void MainWindowTest::filtersChangeTheRowsByClass() {
    WindowFixture fixture;
    KavrinMainWindow& window = *fixture.window;
    QVERIFY(fixture.open(apiRecording_));
    const EventStore& store = window.engine().store;
    std::array<int, FilterClassCount + 1> perClass{};
    for (const EventNode* node = store.first(); node; node = node->next)
        ++perClass[size_t(eventClassOf(node->record.id))];
    const int total = window.eventModel().rowCount();
    QCOMPARE(total, int(store.total()));

    struct Case {
        void (KavrinMainWindow::*only)();
        EventClass eventClass;
    };
    const Case cases[] = {
        {&KavrinMainWindow::apiOnlyFilterTriggered, EventClass::Api},
        {&KavrinMainWindow::isrOnlyFilterTriggered, EventClass::Interrupt},
        {&KavrinMainWindow::messageOnlyFilterTriggered, EventClass::Message},
        {&KavrinMainWindow::systemOnlyFilterTriggered, EventClass::System},
        {&KavrinMainWindow::taskOnlyFilterTriggered, EventClass::Task},
        {&KavrinMainWindow::userOnlyFilterTriggered, EventClass::User},
    };
    const int alwaysShown = perClass[size_t(EventClass::AlwaysShown)];
    for (const Case& filter : cases) {
        (window.*filter.only)();
        QCOMPARE(window.eventModel().rowCount(), perClass[size_t(filter.eventClass)] + alwaysShown);
    }
    // Hiding one class removes exactly its rows; "Show ISRs only" then reset checks all six.
    window.noFilterTriggered();
    window.taskFilterToggled();
    QCOMPARE(window.eventModel().rowCount(), total - perClass[size_t(EventClass::Task)]);
    QVERIFY(!window.actions().showFilter[4]->isChecked());
    window.isrOnlyFilterTriggered();
    window.noFilterTriggered();
    for (QAction* action : window.actions().showFilter)
        QVERIFY(action->isChecked());
    QCOMPARE(window.eventModel().rowCount(), total);
}

void MainWindowTest::resetOfAllDataEmptiesTheLists() {
    WindowFixture fixture;
    KavrinMainWindow& window = *fixture.window;
    QVERIFY(fixture.open(apiRecording_));
    window.taskOnlyFilterTriggered();
    window.resetAllData();
    QCOMPARE(window.eventModel().rowCount(), 0);
    QCOMPARE(window.messageModel().rowCount(), 0);
    QCOMPARE(window.messageModel().headerData(2, Qt::Horizontal).toString(),
             QStringLiteral("Message"));
    for (QAction* action : window.actions().showFilter)
        QVERIFY(action->isChecked());
    QCOMPARE(window.taskModel().rowCount(), 2); // Idle and Scheduler
    QCOMPARE(window.systemInfoModel().indexOf(SystemInfoRow::Name).data().toString(), QString());
}

void MainWindowTest::fileThatCannotBeOpenedIsReported() {
    WindowFixture fixture;
    KavrinMainWindow& window = *fixture.window;
    const QString missing = fixture.dir.filePath(QStringLiteral("gone.KVDat"));
    QVERIFY(fixture.open(missing));
    QCOMPARE(fixture.log->messages.size(), 1);
    QVERIFY(fixture.log->messages[0].startsWith(QStringLiteral("Cannot open ") + missing));
    QVERIFY(logText(window).contains(QStringLiteral("Error: Cannot open")));
    QCOMPARE(window.runState(), RunState::Started);
    QVERIFY(!window.recentFiles().contains(missing));
}

void MainWindowTest::savedRecordingReadsBack() {
    WindowFixture fixture;
    KavrinMainWindow& window = *fixture.window;
    QVERIFY(fixture.open(apiRecording_));
    const int rows = window.eventModel().rowCount();
    window.properties().title = QStringLiteral("Bench run");
    window.properties().description = QStringLiteral("first\nsecond");
    fixture.saveName = fixture.dir.filePath(QStringLiteral("copy"));
    window.save();
    const QString saved = fixture.saveName + QStringLiteral(".KVDat");
    QVERIFY(QFile::exists(saved));
    QCOMPARE(window.recentFiles().first(), saved);

    QVERIFY(fixture.open(saved));
    QCOMPARE(window.eventModel().rowCount(), rows);
    QCOMPARE(window.properties().title, QStringLiteral("Bench run"));
    QCOMPARE(window.properties().description, QStringLiteral("first\nsecond"));
    QCOMPARE(window.systemInfoModel().indexOf(SystemInfoRow::Description).data().toString(),
             QStringLiteral("first second"));

    // A folder that does not exist cannot take the file: the user hears of it.
    fixture.saveName = fixture.dir.filePath(QStringLiteral("no/such/folder/x.KVDat"));
    window.save();
    QCOMPARE(fixture.log->messages.size(), 1);
    QVERIFY(fixture.log->messages[0].startsWith(QStringLiteral("The recording was not saved")));
}

void MainWindowTest::windowTitleNamesTheTarget() {
    WindowFixture fixture;
    fixture.window->setTargetText(QStringLiteral("Motor [Tessera] on STM32"));
    QCOMPARE(fixture.window->windowTitle(),
             QStringLiteral("Norvan Kavrin  V2.37a - Motor [Tessera] on STM32"));
}

void MainWindowTest::closingWhileLoadingReleasesTheLoader() {
    const QString large = generateRecording(recordings_, QStringLiteral("large.KVDat"),
                                            QStringLiteral("busy"), 400'000);
    for (int wait : {0, 20, 200}) {
        WindowFixture fixture;
        fixture.window->resetAllData();
        fixture.window->AnalyzeFile(large);
        // Opening or saving another recording meanwhile is refused, not raced.
        fixture.window->load();
        fixture.window->save();
        QCOMPARE(fixture.log->messages.size(), 2);
        QVERIFY(fixture.log->messages[0].startsWith(QStringLiteral("A recording is still")));
        QTest::qWait(wait);
        // Returns only when the loader thread has ended.
        fixture.window.reset();
    }
}

void MainWindowTest::windowMovesOverALongRecording() {
    const QString longRecording = generateRecording(recordings_, QStringLiteral("long.KVDat"),
                                                    QStringLiteral("overflow"), 1'300'000);
    WindowFixture fixture;
    KavrinMainWindow& window = *fixture.window;
    // The panes are not painted during a pass, and painted again once it ends.
    const auto panesPaint = [&window] { return window.centralWidget()->updatesEnabled(); };
    QVERIFY(fixture.open(longRecording));
    QVERIFY(panesPaint());
    QVERIFY(window.engine().store.total() <= window.engine().window.size);
    const uint32_t lastBefore = window.engine().store.last()->record.index;
    // The status bar names the part of the recording the window holds.
    QCOMPARE(window.eventCountLabel().text(),
             QStringLiteral(" 900 000 Events (100 001 - 1 000 000) "));

    window.LoadDataAfter();
    QVERIFY(QTest::qWaitFor([&] { return !panesPaint(); }, 60'000));
    QVERIFY(fixture.waitForIdle());
    QVERIFY(panesPaint());
    QVERIFY(window.engine().store.last()->record.index > lastBefore);
    QVERIFY(window.engine().store.last()->record.index >= 1'000'000);
    QCOMPARE(window.eventModel().rowCount(), int(window.engine().store.total()));
    QVERIFY(fixture.log->summaries.last().startsWith(
        QStringLiteral("100000 Events loaded successfully.")));
    QCOMPARE(window.eventCountLabel().text(),
             QStringLiteral(" 900 000 Events (200 001 - 1 100 000) "));
    const QStringList contexts = modelLines(window.taskModel());
    const QStringList info = systemInfoLines(window.systemInfoModel());
    QVERIFY(info.filter(QStringLiteral("ZTX/Overflows/#")).size() > 1);

    const uint32_t firstAfter = window.engine().store.first()->record.index;
    window.LoadDataBefore();
    QVERIFY(fixture.waitForIdle());
    QVERIFY(panesPaint());
    QVERIFY(window.engine().store.first()->record.index < firstAfter);
    QCOMPARE(window.eventModel().rowCount(), int(window.engine().store.total()));
    QCOMPARE(window.eventModel().index(0, 0).data().toString(),
             QStringLiteral("%1 ").arg(window.engine().store.first()->record.index + 1));
    QCOMPARE(window.eventCountLabel().text(),
             QStringLiteral(" 900 000 Events (100 001 - 1 000 000) "));
    // Events counted before are not counted again, whichever way the window moves.
    QCOMPARE(modelLines(window.taskModel()), contexts);
    QCOMPARE(systemInfoLines(window.systemInfoModel()), info);
    window.LoadDataAfter();
    QVERIFY(fixture.waitForIdle());
    QCOMPARE(window.eventCountLabel().text(),
             QStringLiteral(" 900 000 Events (200 001 - 1 100 000) "));
    QCOMPARE(modelLines(window.taskModel()), contexts);
    QCOMPARE(systemInfoLines(window.systemInfoModel()), info);

    // The Go menu names the current event.
    window.eventView().setCurrentIndex(window.eventModel().index(0, 0));
    window.OnShowMenuGo();
    QVERIFY(window.actions().next->text().startsWith(QStringLiteral("Next ")));
    QVERIFY(window.actions().nextSibling->text().contains(QStringLiteral(" in ")));
}

void MainWindowTest::messageBoxesFromAnotherThreadShowOnTheGuiThread() {
    QThread* shownOn = nullptr;
    QString title;
    // Answers the box as soon as it is up; the box runs its own event loop meanwhile.
    QTimer answerer;
    connect(&answerer, &QTimer::timeout, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        shownOn = box->thread();
        title = box->windowTitle();
        box->button(QMessageBox::Yes)->click();
    });
    answerer.start(10);
    std::atomic<int> answer{-1};
    std::thread asker([&answer] { answer = askYesNo(QStringLiteral("Quit?")) ? 1 : 0; });
    const bool answered = QTest::qWaitFor([&answer] { return answer >= 0; }, 10'000);
    asker.join();
    QVERIFY(answered);
    QCOMPARE(answer.load(), 1);
    QCOMPARE(shownOn, QThread::currentThread());
    QCOMPARE(title, QStringLiteral("Norvan Kavrin V2.37a"));
}

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
