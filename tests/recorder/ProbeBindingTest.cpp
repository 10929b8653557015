#include "recorder/ModalMessage.h"
#include "recorder/ProbeLibrary.h"
#include "recorder/ProbeLibraryPath.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <thread>

using namespace kavrin;

namespace {

struct Message {
    QString title;
    QString text;
};

// A binding for an executable at `executable`, with its InstallPath and messages recorded.
struct Binding {
    Binding(const QString& executable, const std::optional<QString>& installPath)
        : library(
              executable,
              [this, installPath] {
                  ++installPathReads;
                  return installPath;
              },
              [this](const QString& title, const QString& text) {
                  messages.push_back({title, text});
              }) {}

    QList<Message> messages;
    int installPathReads = 0;
    ProbeLibrary library;
};

void placeLibrary(const QString& folder) {
    QVERIFY(QFile::copy(QStringLiteral(PARTIAL_PROBE_LIBRARY), folder + "/libVantarARM.so"));
}

} // namespace

class ProbeBindingTest : public QObject {
    Q_OBJECT

private slots:
    void splitsAndJoinsPaths_data();
    void splitsAndJoinsPaths();
    void libraryBesideTheExecutableWins();
    void installedLibraryComesLast();
    void installPathNamesTheFolderOrItsLastComponentIsReplaced();
    void missingLibraryIsReportedOnEveryCall();
    void missingFunctionIsReportedOnEveryCallOthersWork();
    void bindsOurProbeLibrary();
    void installPathComesFromTheVantarSettings();
    void messageFromAnotherThreadShowsOnTheGuiThread();
};

void ProbeBindingTest::splitsAndJoinsPaths_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("drive");
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("library");
    QTest::newRow("windows") << "C:\\Prog\\Vantar\\tool.exe"
                             << "C:"
                             << "\\Prog\\Vantar\\"
                             << "tool"
                             << "exe"
                             << "C:\\Prog\\Vantar\\libVantarARM.so";
    QTest::newRow("folder") << "/opt/vantar/"
                            << ""
                            << "/opt/vantar/"
                            << ""
                            << ""
                            << "/opt/vantar/libVantarARM.so";
    QTest::newRow("no separator at the end") << "/opt/vantar"
                                             << ""
                                             << "/opt/"
                                             << "vantar"
                                             << ""
                                             << "/opt/libVantarARM.so";
    QTest::newRow("dot in a folder") << "/a.b/c"
                                     << ""
                                     << "/a.b/"
                                     << "c"
                                     << ""
                                     << "/a.b/libVantarARM.so";
    QTest::newRow("bare name") << "kavrin"
                               << ""
                               << ""
                               << "kavrin"
                               << ""
                               << "/libVantarARM.so";
    QTest::newRow("colon after a separator") << "/x:y/z.q"
                                             << ""
                                             << "/x:y/"
                                             << "z"
                                             << "q"
                                             << "/x:y/libVantarARM.so";
    QTest::newRow("relative") << "bin/kavrin"
                              << ""
                              << "bin/"
                              << "kavrin"
                              << ""
                              << "/bin/libVantarARM.so";
}

void ProbeBindingTest::splitsAndJoinsPaths() {
    QFETCH(QString, path);
    QFETCH(QString, drive);
    QFETCH(QString, directory);
    QFETCH(QString, name);
    QFETCH(QString, extension);
    QFETCH(QString, library);
    const SplitPath parts = splitPath(path);
    QCOMPARE(parts.drive, drive);
    QCOMPARE(parts.directory, directory);
    QCOMPARE(parts.name, name);
    QCOMPARE(parts.extension, extension);
    QCOMPARE(probeLibraryBeside(path), library);
    if (!name.isEmpty() && !extension.isEmpty())
        QCOMPARE(joinPath(parts.drive, parts.directory, parts.name, parts.extension), path);
}

void ProbeBindingTest::libraryBesideTheExecutableWins() {
    QTemporaryDir beside;
    QTemporaryDir installed;
    placeLibrary(beside.path());
    placeLibrary(installed.path());
    Binding binding(beside.filePath("kavrin"), installed.path() + "/");
    QCOMPARE(binding.library.VANTARARM_Connect(), 42);
    QCOMPARE(binding.library.fileName(), beside.filePath("libVantarARM.so"));
    QCOMPARE(binding.installPathReads, 0);
    QVERIFY(binding.messages.isEmpty());
}

// PREFIX/bin/kavrin finds PREFIX/lib/kavrin/libVantarARM.so after the places above.
void ProbeBindingTest::installedLibraryComesLast() {
    QTemporaryDir prefix;
    QTemporaryDir empty;
    QVERIFY(QDir(prefix.path()).mkpath("bin") && QDir(prefix.path()).mkpath("lib/kavrin"));
    const QString executable = prefix.path() + "/bin/kavrin";
    QCOMPARE(installedProbeLibrary(executable), prefix.path() + "/lib/kavrin/libVantarARM.so");
    placeLibrary(prefix.path() + "/lib/kavrin");
    Binding binding(executable, empty.path() + "/");
    QCOMPARE(binding.library.VANTARARM_Connect(), 42);
    QCOMPARE(binding.library.fileName(), prefix.path() + "/lib/kavrin/libVantarARM.so");
    QCOMPARE(binding.installPathReads, 1);
    QVERIFY(binding.messages.isEmpty());
}

void ProbeBindingTest::installPathNamesTheFolderOrItsLastComponentIsReplaced() {
    QTemporaryDir empty;
    QTemporaryDir installed;
    placeLibrary(installed.path());
    {
        Binding binding(empty.filePath("kavrin"), installed.path() + "/");
        QCOMPARE(binding.library.VANTARARM_EMU_GetNumConnections(), 7);
        QCOMPARE(binding.library.fileName(), installed.filePath("libVantarARM.so"));
        QCOMPARE(binding.installPathReads, 1);
    }
    {
        // Without a separator at the end, the last component is a file name to replace.
        Binding binding(empty.filePath("kavrin"), installed.filePath("Vantar"));
        QCOMPARE(binding.library.VANTARARM_EMU_GetNumConnections(), 7);
        QVERIFY(binding.messages.isEmpty());
    }
    {
        Binding binding(empty.filePath("kavrin"), installed.filePath("Vantar") + "/");
        QCOMPARE(binding.library.VANTARARM_EMU_GetNumConnections(), 0);
        QCOMPARE(binding.messages.size(), 1);
        QCOMPARE(binding.messages[0].title, QStringLiteral("Vantar ARM Error"));
        QCOMPARE(binding.messages[0].text,
                 "Target DLL " + installed.filePath("Vantar") + "/libVantarARM.so not found !");
    }
}

void ProbeBindingTest::missingLibraryIsReportedOnEveryCall() {
    QTemporaryDir empty;
    {
        // Settings that cannot be read: the path beside the program is the one reported.
        Binding binding(empty.filePath("kavrin"), std::nullopt);
        QCOMPARE(binding.library.VANTARARM_Connect(), 0);
        QCOMPARE(binding.messages.size(), 1);
        QCOMPARE(binding.messages[0].text,
                 "Target DLL " + empty.filePath("libVantarARM.so") + " not found !");
    }
    Binding binding(empty.filePath("kavrin"), QString());
    QCOMPARE(binding.library.VANTARARM_OpenEx(nullptr, nullptr), nullptr); // reads as success
    QCOMPARE(binding.library.VANTARARM_Connect(), 0);
    binding.library.VANTARARM_Go();
    QCOMPARE(binding.messages.size(), 3);
    for (const Message& message : binding.messages)
        QCOMPARE(message.text, QStringLiteral("Target DLL  not found !"));
    QVERIFY(!binding.library.loaded());
    QCOMPARE(binding.installPathReads, 3);
}

void ProbeBindingTest::missingFunctionIsReportedOnEveryCallOthersWork() {
    QTemporaryDir beside;
    placeLibrary(beside.path());
    Binding binding(beside.filePath("kavrin"), QString());
    QCOMPARE(binding.library.VANTAR_GetpFunc(4), nullptr);
    QCOMPARE(binding.library.VANTAR_GetpFunc(4), nullptr);
    QCOMPARE(binding.messages.size(), 2);
    QCOMPARE(binding.messages[1].title, QStringLiteral("Vantar ARM Error"));
    QCOMPARE(binding.messages[1].text,
             QStringLiteral("DLL function VANTAR_GetpFunc(...) not found !"));
    QCOMPARE(binding.library.VANTAR_ZTXTERMINAL_Control(3, nullptr), 103);
    QCOMPARE(binding.library.VANTARARM_ReadMemEx(0x20000000, 24, nullptr, 0), 24);
    QCOMPARE(binding.library.VANTARARM_IsHalted(), 1);
    QCOMPARE(binding.messages.size(), 2);
}

void ProbeBindingTest::bindsOurProbeLibrary() {
    // Our libVantarARM.so beside the programs, with the simulated target behind it.
    Binding binding(QStringLiteral(PROGRAM_FOLDER "/kavrin"), QString());
    QCOMPARE(binding.library.VANTARARM_OpenEx(nullptr, nullptr), nullptr);
    char error[1024];
    QCOMPARE(binding.library.VANTARARM_ExecCommand("device = Z80", error, sizeof error), -1);
    QCOMPARE(QString::fromLatin1(error), QStringLiteral("Unknown device \"Z80\""));
    QCOMPARE(binding.library.VANTARARM_Connect(), 0);
    QCOMPARE(binding.library.VANTARARM_EMU_GetNumConnections(), 1);
    QVERIFY(binding.library.VANTAR_GetpFunc(4) != nullptr);
    binding.library.VANTARARM_Close();
    QVERIFY(binding.messages.isEmpty());
}

void ProbeBindingTest::installPathComesFromTheVantarSettings() {
    QTemporaryDir settingsFolder;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder.path());
    QCOMPARE(ProbeLibrary::installPathSetting(), QString());
    // Settings that cannot be read give no value at all.
    QFile unreadable(settingsFolder.filePath("Norvan/Vantar.ini"));
    QVERIFY(QDir().mkpath(settingsFolder.filePath("Norvan")));
    QVERIFY(unreadable.open(QIODevice::WriteOnly));
    unreadable.write("[General]\nInstallPath=/x/\n");
    unreadable.close();
    QVERIFY(unreadable.setPermissions(QFileDevice::WriteOwner));
    if (!QFileInfo(unreadable).isReadable()) // the superuser reads anything
        QCOMPARE(ProbeLibrary::installPathSetting(), std::nullopt);
    QVERIFY(unreadable.remove());
    {
        QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Norvan", "Vantar");
        settings.setValue("InstallPath", "/opt/norvan/vantar/");
    }
    QCOMPARE(ProbeLibrary::installPathSetting(), QStringLiteral("/opt/norvan/vantar/"));
    QVERIFY(QFile::exists(settingsFolder.filePath("Norvan/Vantar.ini")));
}

void ProbeBindingTest::messageFromAnotherThreadShowsOnTheGuiThread() {
    // The box runs its own event loop on the GUI thread; a timer there looks at it and
    // closes it.
    struct Seen {
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        Qt::WindowModality modality = Qt::NonModal;
        bool onTop = false;
        qsizetype buttons = 0;
        bool onGuiThread = false;
    } seen;
    QTimer closer;
    closer.setInterval(5);
    connect(&closer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        closer.stop();
        seen = {box->windowTitle(),
                box->text(),
                box->icon(),
                box->windowModality(),
                box->windowFlags().testFlag(Qt::WindowStaysOnTopHint),
                box->buttons().size(),
                box->thread() == QApplication::instance()->thread()};
        box->button(QMessageBox::Ok)->click();
    });
    closer.start();

    std::atomic<bool> done = false;
    std::thread worker([&] {
        showModalMessage(QMessageBox::Warning, "Vantar ARM Error",
                         "DLL function X(...) not found !");
        done = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(done, 20000);
    worker.join();
    QCOMPARE(seen.title, QStringLiteral("Vantar ARM Error"));
    QCOMPARE(seen.text, QStringLiteral("DLL function X(...) not found !"));
    QCOMPARE(seen.icon, QMessageBox::Warning);
    QCOMPARE(seen.modality, Qt::ApplicationModal);
    QVERIFY(seen.onTop);
    QCOMPARE(seen.buttons, 1);
    QVERIFY(seen.onGuiThread);
}

QTEST_MAIN(ProbeBindingTest)
#include "ProbeBindingTest.moc"
