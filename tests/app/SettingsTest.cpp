// The settings file, its import from a previous version, clearing, and the command line.
#include "AppHarness.h"

#include "app/AppSettings.h"
#include "app/CommandLine.h"
#include "app/PaneWidget.h"
#include "views/TimeView.h"

#include <QAction>
#include <QFile>
#include <QProcess>
#include <QSettings>

#include <fstream>
#include <string>

using namespace kavrin;
using namespace kavrin::test;

namespace {

void writeIni(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

QString settingsPath(const QTemporaryDir& dir) {
    return dir.filePath(QStringLiteral("Norvan/Norvan Kavrin V2.37a.ini"));
}

} // namespace

class SettingsTest : public QObject {
    Q_OBJECT

private slots:
    void commandLine_data();
    void commandLine();
    void startedProgramHasTheUsersEnvironment_data();
    void startedProgramHasTheUsersEnvironment();
    void launcherStartsTheWindowBesideIt();
    void settingsFileLiesInTheUserConfigFolder();
    void everyWrittenKeyReadsBack();
    void readOnlyKeysAreAppliedButNeverWritten();
    void badValuesKeepTheCurrentOnes();
    void importOffersTheNewestPreviousVersion();
    void windowAppliesAHandEditedFile();
    void windowImportsOnYesAndClearsOnRequest();
};

void SettingsTest::commandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("targetInterface");
    QTest::addColumn<int>("speed");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("searchRange");

    const QString m3 = QStringLiteral("Cortex-M3");
    QTest::newRow("nothing") << QStringList{} << QString() << 1 << 8000 << m3 << QString();
    QTest::newRow("file then -jtag")
        << QStringList{"a.KVDat", "-jtag"} << "a.KVDat" << 0 << 8000 << m3 << QString();
    QTest::newRow("later file wins")
        << QStringList{"a.KVDat", "-swd", "b.bin"} << "b.bin" << 1 << 8000 << m3 << QString();
    QTest::newRow("-device last") << QStringList{"-device"} << QString() << 1 << 8000 << QString()
                                  << QString();
    QTest::newRow("-speed without digits")
        << QStringList{"-speed", "fast"} << QString() << 1 << 0 << m3 << QString();
    QTest::newRow("-speed leading digits")
        << QStringList{"-speed", "4000kHz"} << QString() << 1 << 4000 << m3 << QString();
    QTest::newRow("-speed last") << QStringList{"-speed"} << QString() << 1 << 8000 << m3
                                 << QString();
    QTest::newRow("value taken even with a dash")
        << QStringList{"-searchrange", "-jtag"} << QString() << 1 << 8000 << m3 << "-jtag";
    QTest::newRow("-tarnboard") << QStringList{"-jtag", "-tarnboard", "-unknown"} << QString() << 1
                                << 2000 << "MK66FN2M0XXX18" << QString();
}

void SettingsTest::commandLine() {
    QFETCH(QStringList, arguments);
    ConnectionSettings connection;
    const QString file = parseCommandLine(QStringList{"kavrin"} + arguments, connection);
    QTEST(file, "file");
    QTEST(connection.targetInterface, "targetInterface");
    QTEST(connection.speed, "speed");
    QTEST(connection.device, "device");
    QTEST(connection.searchRange, "searchRange");
}

// The window's program is started with the large-page heap where the system offers large pages
// on request, by `kavrin` or, started directly, by itself once more; it keeps its arguments and
// gives the programs it starts the environment it was given.
void SettingsTest::startedProgramHasTheUsersEnvironment_data() {
    QTest::addColumn<bool>("launched");
    QTest::addColumn<QByteArray>("tunables"); // empty: not set
    QTest::addColumn<bool>("withSetting");
    std::ifstream modeFile("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string mode;
    std::getline(modeFile, mode);
    const bool onRequest = mode.find("[madvise]") != std::string::npos;
    for (const bool launched : {false, true}) {
        const char* how = launched ? "launched, " : "restarted, ";
        QTest::addRow("%snone set", how) << launched << QByteArray() << onRequest;
        QTest::addRow("%sothers set", how)
            << launched << QByteArray("glibc.malloc.arena_max=2") << onRequest;
        QTest::addRow("%sthe user's own", how)
            << launched << QByteArray("glibc.malloc.hugetlb=0") << false;
    }
}

void SettingsTest::startedProgramHasTheUsersEnvironment() {
    QFETCH(bool, launched);
    QFETCH(QByteArray, tunables);
    QFETCH(bool, withSetting);
    QProcess probe;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("GLIBC_TUNABLES"));
    environment.remove(QStringLiteral("LD_PRELOAD"));
    if (!tunables.isEmpty())
        environment.insert(QStringLiteral("GLIBC_TUNABLES"), QString::fromLatin1(tunables));
    probe.setProcessEnvironment(environment);
    const QStringList arguments{QStringLiteral("a.KVDat"), QStringLiteral("-swd")};
    probe.start(QStringLiteral(KAVRIN_HEAP_PROBE),
                launched ? QStringList{QStringLiteral("launch")} + arguments : arguments);
    QVERIFY(probe.waitForFinished(10'000));
    const QList<QByteArray> lines = probe.readAllStandardOutput().trimmed().split('\n');
    QCOMPARE(lines, (QList<QByteArray>{"restarted=" + QByteArray::number(withSetting ? 1 : 0),
                                       "tunables=" + (tunables.isEmpty() ? "(unset)" : tunables),
                                       "saved=0", "args=a.KVDat -swd"}));
}

// `kavrin` opens the file in the window's program; alone, it says what it misses.
void SettingsTest::launcherStartsTheWindowBesideIt() {
    QTemporaryDir config;
    QProcess window;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    environment.insert(QStringLiteral("KAVRIN_QUIT_AFTER_LOAD"), QStringLiteral("1"));
    window.setProcessEnvironment(environment);
    window.start(QStringLiteral(KAVRIN_LAUNCHER), {binDir() + "/Sample/ApiAndLog.KVDat"});
    QVERIFY(window.waitForFinished(300'000));
    QCOMPARE(window.exitStatus(), QProcess::NormalExit);
    QCOMPARE(window.exitCode(), 0);

    QTemporaryDir alone;
    const QString launcher = alone.filePath(QStringLiteral("kavrin"));
    QVERIFY(QFile::copy(QStringLiteral(KAVRIN_LAUNCHER), launcher));
    QProcess missing;
    missing.start(launcher, {});
    QVERIFY(missing.waitForFinished(10'000));
    QCOMPARE(missing.exitCode(), 127);
    QCOMPARE(missing.readAllStandardError(),
             "kavrin: cannot start " + alone.filePath(QStringLiteral("kavrin-window")).toUtf8() +
                 ": No such file or directory\n");
}

void SettingsTest::settingsFileLiesInTheUserConfigFolder() {
    QTemporaryDir dir;
    const QByteArray before = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    QCOMPARE(defaultSettingsPath(), settingsPath(dir));
    qputenv("XDG_CONFIG_HOME", before);
}

void SettingsTest::everyWrittenKeyReadsBack() {
    QTemporaryDir dir;
    QFile recent(dir.filePath(QStringLiteral("r.KVDat")));
    QVERIFY(recent.open(QIODevice::WriteOnly));
    recent.close();

    AppSettings written;
    written.window.size = QSize(900, 700);
    written.window.position = QPoint(30, 40);
    written.window.panesShown = {false, true, true, false, true, false, true};
    written.window.rowHeights = {10, 20, 30, 40, 50};
    written.window.paneWidths[3] = {100, 200};
    written.connection.hostInterface = 1;
    written.connection.serialNumber = 123456;
    written.connection.host = QStringLiteral("10.0.0.2");
    written.connection.device = QStringLiteral("STM32F4");
    written.connection.searchAddress = QStringLiteral("0x20000010");
    written.events.autoScroll = false;
    written.events.displaySystemTime = true;
    written.events.cursorPosition = 7;
    written.recentFiles = {recent.fileName(), dir.filePath(QStringLiteral("gone.KVDat"))};
    written.preferences.logLevel = 4;
    written.preferences.sysDescFreq = 9;
    written.preferences.showSystemInfoDialog = false;
    written.preferences.dialogSuppressed = {false, true};
    {
        QSettings file(settingsPath(dir), QSettings::IniFormat);
        writeSettings(file, written);
    }

    AppSettings read;
    QSettings file(settingsPath(dir), QSettings::IniFormat);
    const ReadResult result = readSettings(file, read);
    QVERIFY(result.positionStored);
    QVERIFY(result.recentFilesStored);
    QCOMPARE(read.window.size, written.window.size);
    QCOMPARE(read.window.position, written.window.position);
    QCOMPARE(read.window.panesShown, written.window.panesShown);
    QCOMPARE(read.window.rowHeights, written.window.rowHeights);
    QCOMPARE(read.window.paneWidths, written.window.paneWidths);
    QCOMPARE(read.connection.hostInterface, 1);
    QCOMPARE(read.connection.serialNumber, 123456u);
    QCOMPARE(read.connection.host, written.connection.host);
    QCOMPARE(read.connection.device, written.connection.device);
    QCOMPARE(read.connection.searchAddress, written.connection.searchAddress);
    QCOMPARE(read.events.autoScroll, false);
    QCOMPARE(read.events.displaySystemTime, true);
    QCOMPARE(read.events.cursorPosition, 7);
    // Recent files that no longer exist are dropped.
    QCOMPARE(read.recentFiles, QStringList{recent.fileName()});
    QCOMPARE(read.preferences.logLevel, 4u);
    QCOMPARE(read.preferences.sysDescFreq, 9);
    QCOMPARE(read.preferences.showSystemInfoDialog, false);
    QCOMPARE(read.preferences.dialogSuppressed, written.preferences.dialogSuppressed);
    // Arrays follow the toolkit's convention.
    QCOMPARE(file.value(QStringLiteral("Window/Col0/size")).toInt(), 5);
    QCOMPARE(file.value(QStringLiteral("Window/Col0/1/Size")).toInt(), 10);
    QCOMPARE(file.value(QStringLiteral("Preferences/Dialogs/AnnoyingDialogs/2/DialogSuppressed"))
                 .toBool(),
             true);
}

void SettingsTest::readOnlyKeysAreAppliedButNeverWritten() {
    QTemporaryDir dir;
    writeIni(settingsPath(dir), "[Event]\nShowTasks=false\nPrecision=8\nShowAPIs=false\n");
    AppSettings settings;
    {
        QSettings file(settingsPath(dir), QSettings::IniFormat);
        readSettings(file, settings);
    }
    QCOMPARE(settings.events.showTasks, false);
    QCOMPARE(settings.events.showApis, false);
    QCOMPARE(settings.events.precision, 8u);

    const QString written = dir.filePath(QStringLiteral("written.ini"));
    QSettings file(written, QSettings::IniFormat);
    writeSettings(file, settings);
    file.sync();
    for (const char* key : {"Event/ShowTasks", "Event/ShowAPIs", "Event/ShowISRs",
                            "Event/ShowUserEvents", "Event/Precision"})
        QVERIFY2(!file.contains(QLatin1String(key)), key);
    QVERIFY(file.contains(QStringLiteral("Event/CursorPosition")));
}

void SettingsTest::badValuesKeepTheCurrentOnes() {
    QTemporaryDir dir;
    writeIni(settingsPath(dir), "[Event]\nCursorPosition=0\nPrecision=12\n"
                                "[Vantar]\nSpeed=fast\n[Preferences]\nLogLevel=9\n");
    AppSettings settings;
    settings.connection.speed = 2000; // from the command line
    QSettings file(settingsPath(dir), QSettings::IniFormat);
    const ReadResult result = readSettings(file, settings);
    QCOMPARE(settings.events.cursorPosition, 2);
    QCOMPARE(settings.events.precision, 7u);
    QCOMPARE(settings.connection.speed, 2000);
    QCOMPARE(settings.preferences.logLevel, 3u);
    QVERIFY(!result.recentFilesStored);
    QVERIFY(!result.positionStored);
}

void SettingsTest::importOffersTheNewestPreviousVersion() {
    QTemporaryDir dir;
    const QString own = settingsPath(dir);
    QVERIFY(!previousSettingsFile(own));
    writeIni(dir.filePath(QStringLiteral("Norvan/Norvan Kavrin V2.30.ini")), "[Window]\n");
    writeIni(dir.filePath(QStringLiteral("Norvan/Norvan Kavrin V2.36b.ini")), "[Window]\n");
    const std::optional<QString> previous = previousSettingsFile(own);
    QVERIFY(previous);
    QCOMPARE(settingsFileVersion(*previous), QStringLiteral(" V2.36b"));
    QCOMPARE(settingsFileVersion(QStringLiteral("Norvan Kavrin Vnext.ini")), QString());

    // This version's own file is never offered, even before it holds a window size...
    writeIni(own, "[Data]\n");
    QCOMPARE(QFileInfo(*previousSettingsFile(own)).fileName(),
             QStringLiteral("Norvan Kavrin V2.36b.ini"));
    // ...and once it does, this version has run before.
    writeIni(own, "[Window]\nSize=@Size(800 600)\n");
    QVERIFY(!previousSettingsFile(own));
}

void SettingsTest::windowAppliesAHandEditedFile() {
    QTemporaryDir dir;
    writeIni(settingsPath(dir), "[Event]\nShowTasks=false\nPrecision=8\nCursorPosition=5\n"
                                "[Window]\nLogWindow=true\nEventsWindow=false\n"
                                "[Preferences]\nLoadDataOnStart=false\nInvertWheelControl=true\n"
                                "TaskReadyHighlight=0\nIndicatorLevel=2\nIndicatorZoom=5\n");
    {
        WindowFixture fixture({}, settingsPath(dir));
        KavrinMainWindow& window = *fixture.window;
        // The timeline draws and scrolls as the preferences say.
        const TimelinePreferences& timeline = window.timeView().options().preferences;
        QVERIFY(timeline.invertWheelControl);
        QCOMPARE(timeline.taskReadyHighlight, 0u);
        QCOMPARE(timeline.indicatorLevel, 2);
        QCOMPARE(timeline.indicatorZoom, 5);
        QVERIFY(!window.actions().showFilter[4]->isChecked()); // Show &Tasks
        QVERIFY(window.actions().resolutions[2]->isChecked()); // Resolution: 10 ns
        QCOMPARE(window.presentation().display.resolution, 8);
        QCOMPARE(window.cursorPosition(), 5);
        QVERIFY(!window.pane(Pane::Log).isHidden());
        QVERIFY(window.actions().panes[size_t(Pane::Log)]->isChecked());
        QVERIFY(window.pane(Pane::Events).isHidden());
        QVERIFY(!window.actions().panes[size_t(Pane::Events)]->isChecked());
        window.close();
    }
    QSettings file(settingsPath(dir), QSettings::IniFormat);
    // Closing wrote the file, but not the read-only keys back.
    QCOMPARE(file.value(QStringLiteral("Event/ShowTasks")).toString(), QStringLiteral("false"));
    QCOMPARE(file.value(QStringLiteral("Event/CursorPosition")).toInt(), 5);
    QCOMPARE(file.value(QStringLiteral("Window/Size")).toSize(), QSize(1100, 800));
    QCOMPARE(file.value(QStringLiteral("Window/LogWindow")).toBool(), true);
}

void SettingsTest::windowImportsOnYesAndClearsOnRequest() {
    QTemporaryDir dir;
    writeIni(dir.filePath(QStringLiteral("Norvan/Norvan Kavrin V2.36b.ini")),
             "[Event]\nCursorPosition=8\n[Preferences]\nLoadDataOnStart=false\n");
    {
        WindowFixture declined({}, settingsPath(dir));
        QCOMPARE(declined.log->questions.size(), 1);
        QCOMPARE(declined.log->questions[0],
                 QStringLiteral("This is the first time you are running this version of "
                                "Kavrin.\n\nImport settings of previous version V2.36b?"));
        QCOMPARE(declined.window->cursorPosition(), 2);
    }
    QVERIFY(!QFile::exists(settingsPath(dir)));

    {
        StartupOptions options;
        options.settingsPath = settingsPath(dir);
        options.applicationDir = binDir();
        UserPrompts prompts;
        prompts.askYesNo = [](const QString&) { return true; };
        KavrinMainWindow window(options, prompts);
        QCOMPARE(window.cursorPosition(), 8);
        QVERIFY(QFile::exists(settingsPath(dir)));

        window.SaveSettings();
        window.ClearSettings();
        QSettings file(settingsPath(dir), QSettings::IniFormat);
        QVERIFY(file.allKeys().isEmpty());
        // Clearing keeps the values in use and refills the recent files with the samples.
        QCOMPARE(window.cursorPosition(), 8);
        QCOMPARE(window.recentFiles(), window.sampleFiles());
    }
}

QTEST_MAIN(SettingsTest)
#include "SettingsTest.moc"
