#include "cli/Commands.h"
#include "cli/Exporters.h"
#include "cli/TextFields.h"
#include "tests/cli/CliRunHarness.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

using namespace kavrin::cli;
using namespace kavrin::cli::test;

TEST(Export, WalksEveryWindowOfALongRecordingOnce) {
    QTemporaryDir dir;
    const uint32_t events = 1'050'000; // the control scenario has no Sync records
    const QString csv = dir.filePath(QStringLiteral("all.csv"));
    const CommandRun exported = run({QStringLiteral("export"), generate(dir, events),
                                     QStringLiteral("--format"), QStringLiteral("csv"), csv});
    ASSERT_EQ(exported.status, ExitSuccess) << exported.messages.toStdString();

    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readLine(), QByteArray("#,Timestamp,Context,Event,Detail\r\n"));
    uint32_t expected = 1;
    uint32_t wrong = 0;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        if (line.left(line.indexOf(' ')).toUInt() != expected)
            ++wrong;
        ++expected;
    }
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(expected - 1, events);

    // The same events, listed from a window further on, come out alike.
    const CommandRun listed =
        run({QStringLiteral("events"), dir.filePath(QStringLiteral("rec1050000.KVDat")),
             QStringLiteral("--first"), QStringLiteral("1049998")});
    EXPECT_TRUE(listed.out.startsWith("1049999 \t")) << listed.out.left(80).toStdString();
    EXPECT_EQ(listed.out.count('\n'), 2);
}

TEST(Export, ChromeTraceHasOneTrackPerContextWithRunsInOrder) {
    QTemporaryDir dir;
    const QString trace = dir.filePath(QStringLiteral("trace.json"));
    const CommandRun exported = run({QStringLiteral("export"), generate(dir, 5000),
                                     QStringLiteral("--format"), QStringLiteral("chrome"), trace});
    ASSERT_EQ(exported.status, ExitSuccess) << exported.messages.toStdString();
    QFile file(trace);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();

    std::map<qint64, QString> trackNames;
    std::map<qint64, double> trackEnd; // end of the last run per track
    double lastStart = -1;
    int runs = 0, instants = 0, overlaps = 0;
    for (const QJsonValue& value : document.object()[QLatin1String("traceEvents")].toArray()) {
        const QJsonObject event = value.toObject();
        const QString phase = event[QLatin1String("ph")].toString();
        const qint64 tid = event[QLatin1String("tid")].toInteger();
        if (phase == QLatin1String("M") &&
            event[QLatin1String("name")].toString() == QLatin1String("thread_name")) {
            trackNames[tid] =
                event[QLatin1String("args")].toObject()[QLatin1String("name")].toString();
        } else if (phase == QLatin1String("X")) {
            const double start = event[QLatin1String("ts")].toDouble();
            const double duration = event[QLatin1String("dur")].toDouble();
            EXPECT_GE(duration, 0.0);
            EXPECT_GE(start, lastStart); // runs follow each other in time
            if (trackEnd.count(tid) && start < trackEnd[tid])
                ++overlaps;
            trackEnd[tid] = start + duration;
            lastStart = start;
            ++runs;
        } else if (phase == QLatin1String("i")) {
            ++instants;
        }
    }
    EXPECT_EQ(overlaps, 0);
    EXPECT_GT(runs, 100);
    EXPECT_GT(instants, 100);
    EXPECT_EQ(trackNames[0], QStringLiteral("Idle"));
    for (const auto& [tid, end] : trackEnd)
        EXPECT_TRUE(trackNames.count(tid)) << "track without a name: " << tid;
}

TEST(Export, OutputThatCannotBeWrittenIsReported) {
    QTemporaryDir dir;
    const CommandRun exported =
        run({QStringLiteral("export"), generate(dir, 100), QStringLiteral("--format"),
             QStringLiteral("json"), dir.filePath(QStringLiteral("no/such/out.json"))});
    EXPECT_EQ(exported.status, ExitCannotRead);
    EXPECT_TRUE(exported.messages.contains("cannot write")) << exported.messages.toStdString();
}

TEST(CliText, EveryTextStaysOneFieldOfOneLine) {
    EXPECT_EQ(escapeField(QStringLiteral("a\tb\\c\r\nd \u00e9")),
              QStringLiteral("a\\tb\\\\c\\r\\nd \u00e9"));
    EXPECT_EQ(csvField(QStringLiteral("plain")), QByteArray("plain"));
    EXPECT_EQ(csvField(QStringLiteral("a,\"b\"")), QByteArray("\"a,\"\"b\"\"\""));
    EXPECT_EQ(jsonString(QStringLiteral("q\"\\\n\x01\u00e9")),
              QByteArray("\"q\\\"\\\\\\n\\u0001\xc3\xa9\""));
}
