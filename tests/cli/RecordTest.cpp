// kavrin-cli record end to end: the program run against our probe library with a scenario
// for its simulated target, and the file it writes opened again with kavrin-cli.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <thread>

namespace {

struct CliRun {
    int status = -1;
    QString out;
    QString messages;
};

class CliRecord : public ::testing::Test {
protected:
    // A scenario for the simulated target, unique to the test.
    void scenario(const QString& text) {
        QFile file(dir_.filePath(QStringLiteral("scenario.ini")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8() + "\n[Target]\nCommandLog=" +
                   dir_.filePath(QStringLiteral("commands.bin")).toUtf8() + "\n");
    }

    QString out() const { return dir_.filePath(QStringLiteral("out.KVDat")); }

    // Runs kavrin-cli; `meanwhile` gets the running process.
    CliRun run(const QStringList& arguments, const std::function<void(QProcess&)>& meanwhile = {}) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("KAVRIN_SIM_SCENARIO"),
                           dir_.filePath(QStringLiteral("scenario.ini")));
        // A settings file that would break the recording if it were read.
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_.path());
        QDir(dir_.path()).mkpath(QStringLiteral("Norvan"));
        QFile settings(dir_.filePath(QStringLiteral("Norvan/Norvan Kavrin V2.37a.ini")));
        if (settings.open(QIODevice::WriteOnly))
            settings.write("[Vantar]\nDevice=Z80\nSearchAddress=1234\n");
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(KAVRIN_CLI), arguments);
        EXPECT_TRUE(process.waitForStarted());
        if (meanwhile)
            meanwhile(process);
        EXPECT_TRUE(process.waitForFinished(120'000));
        CliRun result;
        result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.messages = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

    CliRun record(const QStringList& options = {}) {
        return run(QStringList{QStringLiteral("record"), out()} + options);
    }

    // The event count of the summary line; -1 without one.
    static qint64 recordedEvents(const CliRun& run) {
        static const QRegularExpression summary(QStringLiteral(
            "Recorded (\\d+) events, (\\d+) bytes in \\d+\\.\\d s, \\d+ events dropped by the "
            "target\\n"));
        const QRegularExpressionMatch match = summary.match(run.messages);
        return match.hasMatch() ? match.captured(1).toLongLong() : -1;
    }

    // "Group/Row" of kavrin-cli info on the recording.
    QString info(const QString& row) {
        const CliRun opened = run({QStringLiteral("info"), out()});
        EXPECT_EQ(opened.status, 0) << opened.messages.toStdString();
        for (const QString& line : opened.out.split(QLatin1Char('\n'))) {
            if (line.startsWith(row + QLatin1Char('\t')))
                return line.mid(row.size() + 1);
        }
        return QStringLiteral("<none>");
    }

    QByteArray commands() const {
        QFile log(dir_.filePath(QStringLiteral("commands.bin")));
        return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
    }

    QTemporaryDir dir_;
};

} // namespace

TEST_F(CliRecord, RecordsForTheDurationAndTheFileOpensWithTheSameEvents) {
    scenario(QStringLiteral("[Target]\nEventRate=20000\n"));
    const CliRun recorded = record({"--duration", "0.8", "--title", "Live run", "--author",
                                    "Tester", "--description", "two\nlines"});
    ASSERT_EQ(recorded.status, 0) << recorded.messages.toStdString();
    EXPECT_TRUE(recorded.out.isEmpty());
    const qint64 events = recordedEvents(recorded);
    ASSERT_GT(events, 1000) << recorded.messages.toStdString();

    EXPECT_EQ(info(QStringLiteral("Events/Count")), QString::number(events));
    EXPECT_EQ(info(QStringLiteral("Recording/Title")), QStringLiteral("Live run"));
    EXPECT_EQ(info(QStringLiteral("Recording/Author")), QStringLiteral("Tester"));
    EXPECT_EQ(info(QStringLiteral("Target System/Device")), QStringLiteral("STM32F407VG"));
    const CliRun first = run({"events", out(), "--count", "1"});
    EXPECT_TRUE(first.out.contains(QStringLiteral(" Start\t"))) << first.out.toStdString();
    // Start first; stop, then nothing but the final quit at the end.
    EXPECT_TRUE(commands().startsWith(char(1)));
    EXPECT_TRUE(commands().endsWith(char(2)));
}

TEST_F(CliRecord, StopsAtTheEventCount) {
    scenario(QStringLiteral("[Target]\nEventRate=20000\n"));
    const CliRun recorded = record({"--events", "3000", "--device", "Kavrin-Sim"});
    ASSERT_EQ(recorded.status, 0) << recorded.messages.toStdString();
    const qint64 events = recordedEvents(recorded);
    EXPECT_GE(events, 3000);
    EXPECT_EQ(info(QStringLiteral("Events/Count")), QString::number(events));
}

TEST_F(CliRecord, InterruptStopsCleanly) {
    scenario(QStringLiteral("[Target]\nEventRate=20000\n"));
    const CliRun recorded = run({"record", out()}, [](QProcess& process) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        ::kill(pid_t(process.processId()), SIGINT);
    });
    ASSERT_EQ(recorded.status, 0) << recorded.messages.toStdString();
    const qint64 events = recordedEvents(recorded);
    ASSERT_GT(events, 0);
    EXPECT_EQ(info(QStringLiteral("Events/Count")), QString::number(events));
}

TEST_F(CliRecord, UsageErrors) {
    scenario(QString());
    const QList<QStringList> wrong = {
        {"record"},
        {"record", "a.KVDat", "b.KVDat"},
        {"record", "a.KVDat", "--usb", "5", "--ip", "host"},
        {"record", "a.KVDat", "--address", "10", "--search", "0 10"},
        {"record", "a.KVDat", "--address", "xyz"},
        {"record", "a.KVDat", "--interface", "USB"},
        {"record", "a.KVDat", "--duration", "0"},
        {"record", "a.KVDat", "--events", "many"},
        {"events", "a.KVDat", "--duration", "3"},
    };
    for (const QStringList& arguments : wrong) {
        const CliRun result = run(arguments);
        EXPECT_EQ(result.status, 1) << arguments.join(' ').toStdString();
        EXPECT_TRUE(result.messages.startsWith(QStringLiteral("kavrin-cli: ")));
    }
    EXPECT_TRUE(commands().isEmpty());
}

TEST_F(CliRecord, UnwritableOutputIsRefusedBeforeRecording) {
    scenario(QString());
    const CliRun result = run({"record", dir_.filePath("missing/out.KVDat"), "--duration", "1"});
    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(result.messages.contains(QStringLiteral("cannot write")))
        << result.messages.toStdString();
    EXPECT_TRUE(commands().isEmpty());
}

TEST_F(CliRecord, NoRecordingStartedWritesNothing) {
    scenario(QStringLiteral("[Faults]\nNoControlBlock=1\n"));
    CliRun result = record({"--duration", "1"});
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.messages, QStringLiteral("kavrin-cli: Failed to start recording. ZTX "
                                              "Control Block not found.\n"));
    EXPECT_FALSE(QFile::exists(out()));

    scenario(QStringLiteral("[Faults]\nNoKavrinChannel=1\n"));
    result = record({"--duration", "1"});
    EXPECT_EQ(result.status, 3);
    EXPECT_TRUE(result.messages.contains(QStringLiteral("KAVRIN module not configured")));
    EXPECT_FALSE(QFile::exists(out()));
}

TEST_F(CliRecord, FaultKeepsEverythingReceived) {
    scenario(QStringLiteral("[Target]\nEventRate=100000\n[Faults]\nConnectionLostAfter=60000\n"));
    CliRun result = record({"--duration", "20"});
    EXPECT_EQ(result.status, 4);
    EXPECT_TRUE(result.messages.contains(QStringLiteral("Connection to target lost.")))
        << result.messages.toStdString();
    EXPECT_TRUE(result.messages.contains(QStringLiteral("ErrCode: -11")));
    EXPECT_TRUE(result.messages.contains(QStringLiteral(", 60000 bytes in ")));
    const qint64 events = recordedEvents(result);
    EXPECT_EQ(info(QStringLiteral("Events/Count")), QString::number(events));
    EXPECT_EQ(info(QStringLiteral("ZTX/Trace Size")), QStringLiteral("60.00 kB"));

    scenario(QStringLiteral("[Target]\nEventRate=100000\n[Faults]\nInvalidPacketAfter=4000\n"));
    result = record({"--duration", "20"});
    EXPECT_EQ(result.status, 4);
    EXPECT_TRUE(result.messages.contains(QStringLiteral("Invalid packet received.")));
    EXPECT_EQ(info(QStringLiteral("Events/Count")), QString::number(recordedEvents(result)));
}
