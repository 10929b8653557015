// Recordings that break off or hold nothing decodable: what the window tells the user and
// what it keeps.
#include "AppHarness.h"

#include "app/MessageBoxes.h"
#include "presentation/models/EventModel.h"
#include "presentation/models/SystemInfoModel.h"
#include "presentation/models/TaskModel.h"
#include "views/SystemInfoDialog.h"

#include <QFile>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSettings>

#include <optional>

using namespace kavrin;
using namespace kavrin::test;

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString writeRecordingFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// The summary headline of a recording that breaks off, taken apart.
struct BreakOff {
    uint32_t loaded = 0;
    uint32_t afterEvent = 0;
    uint32_t offset = 0;
    QString why;
};

std::optional<BreakOff> breakOff(const QString& headline) {
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d+) Events loaded\\.\\nThe recording breaks off after event #(\\d+), "
                       "at file offset (\\d+): (.*)\\.$"));
    const QRegularExpressionMatch match = pattern.match(headline);
    if (!match.hasMatch())
        return std::nullopt;
    return BreakOff{match.captured(1).toUInt(), match.captured(2).toUInt(),
                    match.captured(3).toUInt(), match.captured(4)};
}

// KAVRIN_GRAB=folder keeps a picture of what the user is shown, for a look by eye.
void keepPicture(QWidget& widget, const QString& name) {
    const QString folder = qEnvironmentVariable("KAVRIN_GRAB");
    if (folder.isEmpty())
        return;
    widget.show();
    QCoreApplication::processEvents();
    widget.grab().save(folder + u'/' + name + QStringLiteral(".png"));
}

// What the list behind the summary showed as it opened.
struct SummaryWatch {
    int contextRows = -1;
    QString eventCount;
};

void watchSummary(WindowFixture& fixture, SummaryWatch& watch, const QString& pictureName) {
    KavrinMainWindow& window = *fixture.window;
    auto recordOnly = window.prompts.showSummary;
    window.prompts.showSummary = [&window, &watch, recordOnly,
                                  pictureName](const QString& headline, const QString& overflow) {
        watch.contextRows = window.taskModel().rowCount();
        watch.eventCount =
            window.systemInfoModel().indexOf(SystemInfoRow::EventCount).data().toString();
        SystemInfoDialog dialog(window.systemInfoModel(), headline, overflow);
        keepPicture(dialog, pictureName);
        recordOnly(headline, overflow);
    };
}

// Opens a recording that breaks off: the one summary shown, taken apart.
void openBrokenRecording(WindowFixture& fixture, const QString& path, const QString& pictureName,
                         BreakOff& stop) {
    SummaryWatch watch;
    watchSummary(fixture, watch, pictureName);
    QVERIFY(fixture.open(path));
    QCOMPARE(fixture.log->summaries.size(), 1);
    const std::optional<BreakOff> shown = breakOff(fixture.log->summaries[0]);
    QVERIFY2(shown, qPrintable(fixture.log->summaries[0]));
    // Every event before the break is loaded, and the statistics behind the summary show them.
    QCOMPARE(shown->loaded, fixture.window->engine().nextIndex);
    QCOMPARE(shown->afterEvent, shown->loaded);
    QVERIFY(watch.contextRows > 2);
    stop = *shown;
}

} // namespace

class DamagedRecordingTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void intactRecordingLoadsSuccessfully();
    void recordingCutInsideAPacketSaysSo();
    void corruptedRecordingSaysWhereItBreaksOff();
    void fileWithoutARecordingKeepsThePreviousOne();

private:
    QTemporaryDir recordings_;
    QString recording_;
};

void DamagedRecordingTest::initTestCase() {
    QVERIFY(recordings_.isValid());
    recording_ =
        generateRecording(recordings_, QStringLiteral("api.KVDat"), QStringLiteral("api"), 6000);
    QVERIFY(QFile::exists(recording_));
}

void DamagedRecordingTest::intactRecordingLoadsSuccessfully() {
    WindowFixture fixture;
    KavrinMainWindow& window = *fixture.window;
    SummaryWatch watch;
    watchSummary(fixture, watch, QStringLiteral("summary-intact"));
    QVERIFY(fixture.open(recording_));
    QCOMPARE(
        fixture.log->summaries,
        QStringList{
            QStringLiteral("%1 Events loaded successfully.").arg(window.engine().processedCount)});
    QVERIFY(!logText(window).contains(QStringLiteral("cannot be decoded")));
    // The contexts list and the system information are refreshed before the summary opens.
    QVERIFY(watch.contextRows > 2);
    QCOMPARE(watch.contextRows, window.taskModel().rowCount());
    QCOMPARE(watch.eventCount, QString::number(window.engine().processedCount));
}

void DamagedRecordingTest::recordingCutInsideAPacketSaysSo() {
    // The summary is switched off: a recording that breaks off is reported all the same.
    QTemporaryDir settingsDir;
    const QString settingsPath = settingsDir.filePath(QStringLiteral("Kavrin.ini"));
    QSettings(settingsPath, QSettings::IniFormat).setValue("Preferences/Dialogs/SystemInfo", false);

    const QByteArray whole = contents(recording_);
    const qsizetype cutAt = whole.size() * 2 / 3 + 1;
    const QString cut =
        writeRecordingFile(recordings_, QStringLiteral("cut.KVDat"), whole.left(cutAt));
    WindowFixture fixture({}, settingsPath);
    KavrinMainWindow& window = *fixture.window;
    QVERIFY(!window.settings().preferences.showSystemInfoDialog);
    BreakOff stop;
    openBrokenRecording(fixture, cut, QStringLiteral("summary-cut-off"), stop);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(stop.why, QStringLiteral("the file ends inside a packet (cut off)"));
    QVERIFY(stop.offset < cutAt && stop.offset + 64 > cutAt);
    QCOMPARE(window.eventModel().rowCount(), int(window.engine().store.total()));
    // The log keeps its warning, and the recording is one of the recent files.
    QVERIFY(logText(window).contains(
        QStringLiteral("Warning: The stream of %1 cannot be decoded from offset %2")
            .arg(cut)
            .arg(stop.offset)));
    QCOMPARE(window.recentFiles().first(), cut);
}

void DamagedRecordingTest::corruptedRecordingSaysWhereItBreaksOff() {
    QByteArray bytes = contents(recording_);
    const qsizetype corruptAt = bytes.size() / 2;
    // Bytes no packet starts with, amid the stream.
    bytes.replace(corruptAt, 64, QByteArray(64, char(0xFF)));
    const QString corrupted =
        writeRecordingFile(recordings_, QStringLiteral("corrupted.KVDat"), bytes);
    WindowFixture fixture;
    BreakOff stop;
    openBrokenRecording(fixture, corrupted, QStringLiteral("summary-corrupted"), stop);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(stop.why, QStringLiteral("the file holds bytes that are no packet (corrupted)"));
    // The packet that runs into the bad bytes is the first that cannot be decoded.
    QVERIFY(stop.offset <= corruptAt && stop.offset + 64 > corruptAt);
    QVERIFY(logText(*fixture.window)
                .contains(QStringLiteral("cannot be decoded from offset %1 (event %2) on: invalid "
                                         "packet")
                              .arg(stop.offset)
                              .arg(stop.afterEvent)));
}

void DamagedRecordingTest::fileWithoutARecordingKeepsThePreviousOne() {
    const QString noise = recordings_.filePath(QStringLiteral("noise.KVDat"));
    runProgram(QStringLiteral("kavrin-gen"),
               {QStringLiteral("--noise"), QStringLiteral("200000"), QStringLiteral("--seed"),
                QStringLiteral("11"), noise});
    // A stream whose Start packet was lost: every packet is dropped.
    const QString bare = recordings_.filePath(QStringLiteral("bare.KVDat"));
    runProgram(QStringLiteral("kavrin-gen"),
               {QStringLiteral("--scenario"), QStringLiteral("api"), QStringLiteral("--events"),
                QStringLiteral("3000"), QStringLiteral("--no-header"), bare});
    const QString noStart =
        writeRecordingFile(recordings_, QStringLiteral("no-start.KVDat"), contents(bare).mid(2));

    WindowFixture fixture;
    KavrinMainWindow& window = *fixture.window;
    QVERIFY(fixture.open(recording_));
    const int rows = window.eventModel().rowCount();
    const QStringList recent = window.recentFiles();
    const QString title = window.properties().title;
    QVERIFY(rows > 0 && !title.isEmpty());

    const QString noRecording = QStringLiteral(" holds no Kavrin recording: no event can be "
                                               "decoded from it (");
    const QString reasons[] = {QStringLiteral("at file offset "),
                               QStringLiteral("the stream has no Start packet).")};
    const QString files[] = {noise, noStart};
    for (int i = 0; i < 2; ++i) {
        fixture.log->messages.clear();
        window.prompts.openFileName = [file = files[i]] { return file; };
        window.load();
        // Decided before anything is dropped: no pass runs, the recording stays on show.
        QVERIFY(!window.passRunning());
        QCOMPARE(fixture.log->messages.size(), 1);
        QVERIFY2(fixture.log->messages[0].startsWith(files[i] + noRecording + reasons[i]),
                 qPrintable(fixture.log->messages[0]));
        QCOMPARE(window.eventModel().rowCount(), rows);
        QCOMPARE(window.properties().title, title);
        QCOMPARE(window.recentFiles(), recent);
        QCOMPARE(fixture.log->summaries.size(), 1);
        QVERIFY(logText(window).contains(QStringLiteral("Warning: ") + files[i] + noRecording));
        QMessageBox box(QMessageBox::Information, QString::fromLatin1(MessageBoxTitle),
                        fixture.log->messages[0], QMessageBox::Ok);
        keepPicture(box, QStringLiteral("no-recording-%1").arg(i));
    }

    // Opened without the check (a read from the target is): the analysis finds no event and the
    // file is not shown as an empty recording either.
    fixture.log->messages.clear();
    QVERIFY(fixture.open(noise));
    QCOMPARE(fixture.log->messages.size(), 1);
    QVERIFY(fixture.log->messages[0].startsWith(noise + noRecording));
    QCOMPARE(fixture.log->summaries.size(), 1);
    QCOMPARE(window.eventModel().rowCount(), 0);
    QCOMPARE(window.recentFiles(), recent);
    QCOMPARE(logText(window).count(QStringLiteral("Events loaded.")), 1); // the first file's
}

QTEST_MAIN(DamagedRecordingTest)
#include "DamagedRecordingTest.moc"
