// Live recording in the window, through our probe library and its simulated target: a
// recording that is stopped, saved and reopened, every failure message of a session, reading
// recorded data from a halted target, and the overflow notice.
#include "AppHarness.h"

#include "app/RunState.h"
#include "presentation/TimeText.h"
#include "presentation/models/EventModel.h"
#include "presentation/models/TaskModel.h"
#include "recorder/LiveRecorder.h"
#include "views/EventView.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QSettings>

using namespace kavrin;
using namespace kavrin::test;

namespace {

// Saves what the window holds and checks that kavrin-cli reads back the same events.
void savedFileShowsTheSameEvents(StartedWindow& fixture) {
    fixture.saveName = fixture.dir.filePath(QStringLiteral("live.KVDat"));
    fixture.window->save();
    QVERIFY(QFile::exists(fixture.saveName));
    const QStringList shown = modelLines(fixture.window->eventModel());
    QVERIFY(!shown.isEmpty());
    QCOMPARE(cliLines(QStringLiteral("events"), fixture.saveName), shown);
}

// How soon the target's ring overflows depends on how busy the machine is: wait for it.
bool overflowsSeen(KavrinMainWindow& window) {
    return QTest::qWaitFor([&] { return window.engine().tracker.counters.overflowCount > 1; },
                           Patience);
}

} // namespace

class RecordingTest : public QObject {
    Q_OBJECT

private slots:
    void recordsStopsSavesAndReopens();
    void failuresShowTheirMessages_data();
    void failuresShowTheirMessages();
    void brokenRecordingKeepsEveryByte_data();
    void brokenRecordingKeepsEveryByte();
    void recordsAgainAfterTheStreamBufferFilled();
    void invalidSerialNumberStartsNothing();
    void cancelledDialogChangesNothing();
    void readsRecordedDataFromAHaltedTarget();
    void firstOverflowShowsTheNoticeOnce();
    void switchedOffNoticeStaysOffAfterARestart();
};

void RecordingTest::recordsStopsSavesAndReopens() {
    Scenario scenario("[Target]\nScenario=control\nEventRate=100000\n");
    StartedWindow fixture;
    KavrinMainWindow& window = *fixture.window;
    QVERIFY(recordEvents(window, 20'000));
    QCOMPARE(window.runState(), RunState::Recording);
    QVERIFY(!window.actions().startRecording->isEnabled());
    QVERIFY(window.actions().stopRecording->isEnabled());
    QVERIFY(fixture.log->notices.isEmpty());
    // Auto scroll follows the newest events until the user picks another one.
    EventView& list = window.eventView();
    QVERIFY(QTest::qWaitFor(
        [&] { return list.currentIndex().row() > window.eventModel().rowCount() - 5000; },
        Patience));
    list.setCurrentIndex(window.eventModel().index(10, 0));
    QTest::qWait(300);
    QCOMPARE(list.currentIndex().row(), 10);

    window.stopRecording();
    QVERIFY(waitForState(window, RunState::Idle));
    QVERIFY(window.actions().startRecording->isEnabled());
    QVERIFY(window.actions().readRecordedData->isEnabled());
    QVERIFY(!window.actions().stopRecording->isEnabled());
    QVERIFY(fixture.log->notices.isEmpty());
    const RecordingEngine& engine = window.engine();
    QCOMPARE(window.eventCountLabel().text(),
             QStringLiteral(" %1 Events ").arg(GroupedNumber(engine.nextIndex)));
    // The scenario's tasks and interrupts are listed and have run.
    QVERIFY(window.taskModel().rowCount() > 5);
    QVERIFY(engine.tracker.counters.totalTaskRuns > 100);
    QVERIFY(engine.tracker.counters.totalInterrupts > 100);
    // Stopping flushed the last bytes: the recording file holds the whole stream.
    QCOMPARE(QFileInfo(window.recorder().recordingFileName()).size(),
             qint64(window.recorder().streamLength()));
    savedFileShowsTheSameEvents(fixture);
}

void RecordingTest::failuresShowTheirMessages_data() {
    QTest::addColumn<QByteArray>("faults");
    QTest::addColumn<QString>("message");
    const QString notFound =
        QStringLiteral("Failed to start recording.\nZTX Control Block not found.");
    QTest::newRow("no control block") << QByteArray("NoControlBlock=1") << notFound;
    QTest::newRow("channel count fails") << QByteArray("ChannelCountFails=1") << notFound;
    // A control block without the recorder's channel: the module is not configured.
    QTest::newRow("no channel") << QByteArray("NoKavrinChannel=1")
                                << QStringLiteral("Failed to start recording.\nPossible reasons:\n"
                                                  " - Vantar or target not connected.\n - Target "
                                                  "not running.\n - KAVRIN module not "
                                                  "configured.");
    QTest::newRow("connect fails") << QByteArray("ConnectFails=1")
                                   << QStringLiteral("Failed to start recording.\nCould not "
                                                     "connect.");
    QTest::newRow("open fails") << QByteArray("OpenFails=1")
                                << QStringLiteral("Failed to start recording.\nCould not connect.");
    // Another program shares the probe: a halted target is left halted, and the wait for a
    // control block that it has not set up ends after a limit.
    QTest::newRow("halted, second connection")
        << QByteArray("TargetHalted=1\nSecondConnection=1\nNoControlBlock=1") << notFound;
}

void RecordingTest::failuresShowTheirMessages() {
    QFETCH(QByteArray, faults);
    QFETCH(QString, message);
    Scenario scenario("[Target]\nScenario=control\nEventRate=20000\n[Faults]\n" + faults + '\n');
    StartedWindow fixture;
    KavrinMainWindow& window = *fixture.window;
    window.recorder().setHaltedWaitLimit(std::chrono::milliseconds(300));
    window.startRecording();
    QCOMPARE(window.runState(), RunState::Connecting);
    QVERIFY(waitForState(window, RunState::Idle));
    QCOMPARE(fixture.log->notices, QStringList{QStringLiteral("Kavrin|") + message});
    QVERIFY(logText(window).contains(message.split(u'\n').last()));
    QVERIFY(window.actions().startRecording->isEnabled());
    QVERIFY(!window.actions().stopRecording->isEnabled());
    QVERIFY(!window.recorder().hasThread());
}

void RecordingTest::brokenRecordingKeepsEveryByte_data() {
    QTest::addColumn<QByteArray>("faults");
    QTest::addColumn<QString>("message");
    QTest::newRow("connection lost")
        << QByteArray("ConnectionLostAfter=60000")
        << QStringLiteral("Recording stopped.\nPossible reasons:\n - Connection to target "
                          "lost.\n - Host debug session stopped.\nErrCode: -11");
    QTest::newRow("invalid packet") << QByteArray("InvalidPacketAfter=60000")
                                    << QStringLiteral("Invalid packet received.\nRecording "
                                                      "stopped.");
}

void RecordingTest::brokenRecordingKeepsEveryByte() {
    QFETCH(QByteArray, faults);
    QFETCH(QString, message);
    Scenario scenario("[Target]\nScenario=control\nEventRate=50000\n[Faults]\n" + faults + '\n');
    StartedWindow fixture;
    KavrinMainWindow& window = *fixture.window;
    window.startRecording();
    QVERIFY(waitForState(window, RunState::Recording));
    QVERIFY(waitForState(window, RunState::Idle));
    QCOMPARE(fixture.log->notices, QStringList{QStringLiteral("Kavrin|") + message});
    QVERIFY(window.actions().startRecording->isEnabled());
    QVERIFY(window.eventModel().rowCount() > 1000);
    QVERIFY(window.recorder().streamLength() >= 60'000);
    QCOMPARE(QFileInfo(window.recorder().recordingFileName()).size(),
             qint64(window.recorder().streamLength()));
    savedFileShowsTheSameEvents(fixture);
}

// A recording ended by a full stream buffer leaves the target recording; the next recording
// starts it again and shows events.
void RecordingTest::recordsAgainAfterTheStreamBufferFilled() {
    Scenario scenario("[Target]\nScenario=control\nEventRate=100000\n");
    StartedWindow fixture;
    KavrinMainWindow& window = *fixture.window;
    window.recorder().setStreamLimit(300'000);
    window.startRecording();
    QVERIFY(waitForState(window, RunState::Recording));
    QVERIFY(waitForState(window, RunState::Idle));
    QCOMPARE(fixture.log->notices.size(), 1);
    QVERIFY(window.engine().nextIndex > 10'000);
    QVERIFY(recordEvents(window, 10'000));
    QVERIFY(window.engine().nextIndex >= 10'000);
}

void RecordingTest::invalidSerialNumberStartsNothing() {
    Scenario scenario("[Target]\nScenario=control\n");
    StartedWindow fixture;
    fixture.log->connection->serialNumberTicked = true;
    fixture.log->connection->serialNumber = QStringLiteral("12a");
    fixture.window->startRecording();
    QCOMPARE(fixture.log->notices, QStringList{QStringLiteral("Kavrin|Invalid Serial No.")});
    QCOMPARE(fixture.window->runState(), RunState::Idle);
    QVERIFY(!fixture.window->recorder().hasThread());
}

void RecordingTest::cancelledDialogChangesNothing() {
    StartedWindow fixture;
    KavrinMainWindow& window = *fixture.window;
    QTemporaryDir dir;
    QVERIFY(fixture.open(
        generateRecording(dir, QStringLiteral("api.KVDat"), QStringLiteral("api"), 3000)));
    const int rows = window.eventModel().rowCount();
    fixture.log->connection.reset();
    window.startRecording();
    window.startSingleShot();
    QCOMPARE(window.runState(), RunState::Idle);
    QCOMPARE(window.eventModel().rowCount(), rows);
    QVERIFY(fixture.log->notices.isEmpty());
}

void RecordingTest::readsRecordedDataFromAHaltedTarget() {
    // The firmware records from boot into a small ring that it overwrites, so the ring has
    // wrapped by the time the host reads it.
    Scenario scenario("[Target]\nScenario=control\nEventRate=200000\nRingSize=8192\n"
                      "RecordAtBoot=1\nOverwrite=1\n");
    StartedWindow fixture;
    KavrinMainWindow& window = *fixture.window;
    fixture.log->connection->device = QStringLiteral("STM32F407VG"); // its RAM is searched
    window.startSingleShot();
    QCOMPARE(fixture.log->notices.size(), 1);
    const QString notice = fixture.log->notices.first();
    QVERIFY2(notice.endsWith(QStringLiteral(" Bytes recording data read from target system.")),
             qPrintable(notice));
    const int bytes = notice.section(u'|', 1).section(u' ', 0, 0).toInt();
    QVERIFY(bytes > 0 && bytes <= 8192);
    QVERIFY(fixture.waitForIdle());
    QVERIFY(window.eventModel().rowCount() > 10);
}

void RecordingTest::firstOverflowShowsTheNoticeOnce() {
    Scenario scenario("[Target]\nScenario=overflow\nEventRate=100000\n");
    StartedWindow fixture;
    KavrinMainWindow& window = *fixture.window;
    QVERIFY(recordEvents(window, 100'000));
    QVERIFY(overflowsSeen(window));
    QCOMPARE(fixture.log->suppressible, QStringList{overflowExplanationTitle()});
    window.stopRecording();
    QVERIFY(waitForState(window, RunState::Idle));
}

void RecordingTest::switchedOffNoticeStaysOffAfterARestart() {
    Scenario scenario("[Target]\nScenario=overflow\nEventRate=100000\n");
    QTemporaryDir settingsDir;
    const QString settings = settingsDir.filePath(QStringLiteral("Norvan Kavrin V2.37a.ini"));
    {
        StartedWindow fixture(settings);
        // The user ticks "Do not show this message again." and closes the program.
        fixture.window->prompts.showSuppressible =
            [log = fixture.log](const SuppressibleMessage& message) {
                log->suppressible.append(message.title);
                *message.suppressed = true;
            };
        QVERIFY(recordEvents(*fixture.window, 100'000));
        fixture.window->stopRecording();
        QVERIFY(waitForState(*fixture.window, RunState::Idle));
        QCOMPARE(fixture.log->suppressible, QStringList{overflowExplanationTitle()});
        QVERIFY(fixture.window->close());
    }
    QVERIFY(QSettings(settings, QSettings::IniFormat)
                .value(QStringLiteral("Preferences/Dialogs/AnnoyingDialogs/2/DialogSuppressed"))
                .toBool());
    StartedWindow restarted(settings);
    // The restart loads the newest recent file first.
    QVERIFY(restarted.waitForIdle());
    QVERIFY(waitForState(*restarted.window, RunState::Idle));
    QVERIFY(recordEvents(*restarted.window, 100'000));
    QVERIFY(overflowsSeen(*restarted.window));
    QVERIFY(restarted.log->suppressible.isEmpty());
    restarted.window->stopRecording();
    QVERIFY(waitForState(*restarted.window, RunState::Idle));
}

QTEST_MAIN(RecordingTest)
#include "RecordingTest.moc"
