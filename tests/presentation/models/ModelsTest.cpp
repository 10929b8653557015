// The item models over hand-made events: terminal texts, levels and colours, event icons,
// the contexts list's growth, the overflow rows, and the log pane.
#include "engine/RecordingEngine.h"
#include "presentation/Presentation.h"
#include "presentation/models/EventModel.h"
#include "presentation/models/MessageModel.h"
#include "presentation/models/SystemInfoModel.h"
#include "presentation/models/TaskModel.h"

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QIcon>
#include <QSignalSpy>
#include <QTest>

#include <cstring>

using namespace kavrin;

namespace {

constexpr uint32_t ShellTask = 0x100;

// Appends an event to the engine's store as the processing driver would.
EventNode* store(RecordingEngine& engine, uint32_t id, uint64_t timestamp, uint32_t param2 = 0,
                 const char* message = nullptr) {
    EventRecord record;
    record.index = engine.store.total();
    record.id = id;
    record.timestamp = timestamp;
    record.param2 = param2;
    record.context = ShellTask;
    record.contextBefore = ShellTask;
    record.contextAfter = ShellTask;
    if (message) { // as the tracker stores a formatted text: with its terminating NUL
        const auto size = uint32_t(std::strlen(message) + 1);
        record.payload = reinterpret_cast<uint8_t*>(const_cast<char*>(message)); // the node copies
        record.payloadSize = size;
    }
    EventNode* node = engine.store.makeNode(record);
    engine.store.append(node);
    return node;
}

struct Recording {
    Recording() {
        engine.registerBuiltInContexts();
        ContextInfo& shell = engine.tracker.contexts[ShellTask];
        shell.id = ShellTask;
        shell.name = "Shell";
        shell.hasName = true;
        shell.kind = TaskKind;
        presentation.timeBase.setFrequency(1'000'000);
    }
    RecordingEngine engine;
    Presentation presentation;
};

} // namespace

class ModelsTest : public QObject {
    Q_OBJECT

private slots:
    void terminalShowsMessagesWithoutLineBreaks();
    void terminalColoursAndIconsFollowTheLevel();
    void terminalClearsAndIgnoresEventsItListed();
    void terminalListsHeldMessagesInOneInsertion();
    void eventListFollowsTheStore();
    void eventKindsHaveTheirOwnIcons();
    void contextsListGrowsByInsertion();
    void overflowRowsAppearUnderOverflows();
};

void ModelsTest::terminalShowsMessagesWithoutLineBreaks() {
    Recording recording;
    MessageModel model(recording.engine.tracker, recording.presentation);
    QAbstractItemModelTester tester(&model);
    model.addMessage(*store(recording.engine, LogOutputEvent, 2'500'132, 0, "ready\r\n"));
    model.addMessage(*store(recording.engine, LogOutputEvent, 2'600'000, 0, "two\nlines"));
    model.addMessage(*store(recording.engine, LogOutputEvent, 2'700'000, 0));
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.index(0, 2).data().toString(), QStringLiteral("ready"));
    QCOMPARE(model.index(1, 2).data().toString(), QStringLiteral("twolines"));
    QCOMPARE(model.index(2, 2).data().toString(), QStringLiteral("Empty printf string"));
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("02.500 132"));
    QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("Shell"));
    QCOMPARE(model.index(0, 2).data(Qt::ToolTipRole).toString(),
             QStringLiteral("Timestamp:\t02.500 132\nContext:\t\tShell\nMessage:\t\tready"));
    QCOMPARE(model.rowOfEvent(1).row(), 1);
    QVERIFY(!model.rowOfEvent(7).isValid());
}

void ModelsTest::terminalColoursAndIconsFollowTheLevel() {
    Recording recording;
    MessageModel model(recording.engine.tracker, recording.presentation);
    for (uint32_t level : {0u, 1u, 2u, 5u})
        model.addMessage(*store(recording.engine, LogOutputEvent, 10 * level, level, "m"));
    QVERIFY(!model.index(0, 2).data(Qt::ForegroundRole).isValid());
    QCOMPARE(model.index(1, 2).data(Qt::ForegroundRole).value<QBrush>().color(),
             QColor(Qt::darkYellow));
    QCOMPARE(model.index(2, 2).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::red));
    QVERIFY(!model.index(1, 0).data(Qt::ForegroundRole).isValid());
    QSet<qint64> icons;
    for (int row = 0; row < 4; ++row)
        icons.insert(model.index(row, 2).data(Qt::DecorationRole).value<QIcon>().cacheKey());
    QCOMPARE(icons.size(), 4);
    QVERIFY(!model.index(0, 0).data(Qt::DecorationRole).isValid());
    QVERIFY(model.index(0, 1).data(Qt::DecorationRole).canConvert<QIcon>());
}

void ModelsTest::terminalClearsAndIgnoresEventsItListed() {
    Recording recording;
    MessageModel model(recording.engine.tracker, recording.presentation);
    QAbstractItemModelTester tester(&model);
    EventNode* first = store(recording.engine, LogOutputEvent, 1, 0, "a");
    model.addMessage(*first);
    // A window that comes back over an event already listed does not list it twice.
    model.addMessage(*first);
    QCOMPARE(model.rowCount(), 1);
    model.clear();
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Timestamp"));
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Context"));
    QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Message"));
}

// A file pass holds the terminal's rows and lists them when it ends.
void ModelsTest::terminalListsHeldMessagesInOneInsertion() {
    Recording recording;
    MessageModel model(recording.engine.tracker, recording.presentation);
    QAbstractItemModelTester tester(&model);
    model.addMessage(*store(recording.engine, LogOutputEvent, 1, 0, "before"));
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.holdRows(true);
    for (uint64_t time = 2; time < 5; ++time)
        model.addMessage(*store(recording.engine, LogOutputEvent, time, 0, "held"));
    QCOMPARE(model.rowCount(), 1);
    QVERIFY(!model.rowOfEvent(2).isValid());
    QCOMPARE(inserted.count(), 0);
    model.holdRows(false);
    QCOMPARE(model.rowCount(), 4);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted[0][1].toInt(), 1);
    QCOMPARE(inserted[0][2].toInt(), 3);
    QCOMPARE(model.rowOfEvent(3).row(), 3);
    QCOMPARE(model.index(3, 2).data().toString(), QStringLiteral("held"));
    // Held rows that are cleared are never listed.
    model.holdRows(true);
    model.addMessage(*store(recording.engine, LogOutputEvent, 6, 0, "dropped"));
    model.clear();
    model.holdRows(false);
    QCOMPARE(model.rowCount(), 0);
}

void ModelsTest::eventListFollowsTheStore() {
    Recording recording;
    EventModel model(recording.engine, recording.presentation);
    QAbstractItemModelTester tester(&model);
    for (int i = 0; i < 5; ++i)
        store(recording.engine, TaskRunEvent, uint64_t(i) * 100);
    model.rowsAppended();
    QCOMPARE(model.rowCount(), 5);
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("1 "));
    QCOMPARE(model.index(4, 0).data().toString(), QStringLiteral("5 "));
    QCOMPARE(model.index(0, 2).data().toString(), QStringLiteral(" Shell"));
    QCOMPARE(model.index(0, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
             Qt::AlignRight | Qt::AlignVCenter);
    QCOMPARE(model.index(0, 4).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
             Qt::AlignLeft | Qt::AlignVCenter);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("# "));
    QCOMPARE(model.index(0, 3).data(Qt::SizeHintRole).toSize(), QSize(-1, 16));

    // Nodes freed and the store refilled: the rows start over, and no text of a freed node
    // is shown again.
    const QString before = model.index(2, 1).data().toString();
    model.nodesDropping();
    recording.engine.store.clear();
    store(recording.engine, TaskStopEvent, 7);
    model.rowsAppended();
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.index(0, 3).data().toString().trimmed(), QStringLiteral("Task Stop"));
    QVERIFY(model.rowOfEvent(0) == 0);
    QVERIFY(!before.isEmpty());
}

void ModelsTest::eventKindsHaveTheirOwnIcons() {
    Recording recording;
    EventModel model(recording.engine, recording.presentation);
    const uint32_t kinds[] = {SyncEvent,       OverflowEvent,   IsrEnterEvent,  IsrExitEvent,
                              TaskRunEvent,    TaskStopEvent,   TaskReadyEvent, TaskBlockEvent,
                              SystemIdleEvent, TimerEnterEvent, TimerExitEvent, ApiEndEvent};
    for (uint32_t id : kinds)
        store(recording.engine, id, 1);
    for (uint32_t level : {0u, 1u, 2u})
        store(recording.engine, LogOutputEvent, 1, level, "x");
    store(recording.engine, 40, 1)->endTime = 5; // API call whose end is known
    store(recording.engine, 40, 1);              // and one still running
    store(recording.engine, IsrExitToSchedulerEvent, 1);
    model.rowsAppended();
    QSet<qint64> icons;
    const int distinctKinds = model.rowCount() - 1;
    for (int row = 0; row < distinctKinds; ++row) {
        const QIcon icon = model.index(row, 3).data(Qt::DecorationRole).value<QIcon>();
        QVERIFY(!icon.isNull());
        icons.insert(icon.cacheKey());
    }
    QCOMPARE(icons.size(), distinctKinds);
    // Both interrupt exits share one picture.
    QCOMPARE(model.index(distinctKinds, 3).data(Qt::DecorationRole).value<QIcon>().cacheKey(),
             model.index(3, 3).data(Qt::DecorationRole).value<QIcon>().cacheKey());
}

void ModelsTest::contextsListGrowsByInsertion() {
    Recording recording;
    RecordingEngine& engine = recording.engine;
    TaskModel model(engine, recording.presentation);
    QAbstractItemModelTester tester(&model);
    engine.contextList.rebuild(engine.tracker);
    model.update();
    QCOMPARE(model.rowCount(), 3); // Idle, Scheduler, Shell
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("Idle"));
    QCOMPARE(model.index(2, 1).data().toString(), QStringLiteral(" @0"));

    ContextInfo& isr = engine.tracker.contexts[15];
    isr.id = 15;
    isr.kind = InterruptKind;
    isr.priority = InterruptPriority;
    engine.tracker.contexts[ShellTask].runCount = 4;
    engine.contextList.rebuild(engine.tracker);
    model.update();
    QCOMPARE(model.rowCount(), 4);
    QCOMPARE(model.rowOfContext(ShellTask), 3);
    QCOMPARE(model.index(3, 3).data().toString(), QStringLiteral("4"));
    QCOMPARE(model.index(model.rowOfContext(15), 1).data().toString(), QStringLiteral(" #15"));
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Name"));
    QCOMPARE(model.headerData(10, Qt::Horizontal).toString(), QString());
    QCOMPARE(model.headerData(15, Qt::Horizontal).toString(), QStringLiteral("##"));
    QCOMPARE(model.index(0, 3).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
             Qt::AlignRight | Qt::AlignVCenter);
    QCOMPARE(model.index(0, 10).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
             Qt::AlignLeft | Qt::AlignVCenter);

    engine.contextList.clear(engine.tracker);
    model.reset();
    QCOMPARE(model.rowCount(), 0);
}

void ModelsTest::overflowRowsAppearUnderOverflows() {
    SystemInfoTable table;
    SystemInfoModel model(table);
    QAbstractItemModelTester tester(&model);
    QCOMPARE(model.rowCount(), 6);
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("Target System"));
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Detail"));
    table.addOverflowRow(40, 5);
    table.addOverflowRow(90, 7);
    const QModelIndex overflows = model.indexOf(SystemInfoRow::Overflows, 0);
    QCOMPARE(overflows.data().toString(), QStringLiteral("Overflows"));
    QCOMPARE(model.rowCount(overflows), 2);
    QCOMPARE(model.index(1, 0, overflows).data().toString(), QStringLiteral("#90"));
    QCOMPARE(model.index(1, 1, overflows).data().toString(), QStringLiteral("7 Events dropped"));
    table.setRowText(SystemInfoRow::Dropped, QStringLiteral("14"));
    QCOMPARE(model.indexOf(SystemInfoRow::Dropped).data().toString(), QStringLiteral("14"));
    table.clearOverflowRows();
    QCOMPARE(model.rowCount(overflows), 0);
    QCOMPARE(model.index(0, 0, overflows), QModelIndex());
}

QTEST_MAIN(ModelsTest)
#include "ModelsTest.moc"
