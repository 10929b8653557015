#include "views/LogPane.h"

#include "presentation/Log.h"

#include <QTest>

using namespace kavrin;

class LogPaneTest : public QObject {
    Q_OBJECT

private slots:
    void logPaneWritesByLevel();
};

void LogPaneTest::logPaneWritesByLevel() {
    const Log detached;
    detached.error(QStringLiteral("before the pane exists")); // dropped without harm

    LogPane pane;
    Log log([&pane](const QString& line) { pane.appendLine(line); }, LogNothing);
    log.error(QStringLiteral("e"));
    QStringList lines = pane.toPlainText().split(u'\n');
    QCOMPARE(lines[0], QStringLiteral("Norvan Kavrin V2.37a"));
    QCOMPARE(lines[1], QStringLiteral("Compiled on Jun 17 2016"));
    QVERIFY(lines[2].startsWith(QStringLiteral("Logging started @ ")));
    QCOMPARE(lines.size(), 4); // the header's own line feed ends it

    log.setLevel(DefaultLogLevel);
    log.error(QStringLiteral("broken <b>stream</b>"));
    log.warning(QStringLiteral("w"));
    log.message(QStringLiteral("m"));
    log.diagnostic(QStringLiteral("d"));
    lines = pane.toPlainText().split(u'\n');
    QCOMPARE(lines.mid(4), (QStringList{"Error: broken <b>stream</b>", "Warning: w", "m"}));
}

QTEST_MAIN(LogPaneTest)
#include "LogPaneTest.moc"
