// The manual built beside the programs: one page or more per chapter, and a troubleshooting
// chapter that names the messages the recording session shows.
#include "AppHarness.h"

#include "recorder/RecorderMessages.h"
#include "recorder/TargetChannel.h"
#include "recorder/ZTXThread.h"

#include <QRegularExpression>

using namespace kavrin;
using namespace kavrin::test;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

// Level-1 headings outside code blocks.
QStringList chapters(const QString& markdown) {
    QStringList found;
    bool code = false;
    for (const QString& line : markdown.split(u'\n')) {
        if (line.startsWith(QStringLiteral("```")))
            code = !code;
        else if (!code && line.startsWith(QStringLiteral("# ")))
            found.append(line.mid(2));
    }
    return found;
}

// The source's text with line breaks and emphasis as plain blanks, as a reader sees it.
QString plain(QString text) {
    text.replace(u'\n', u' ');
    return text.simplified();
}

} // namespace

class ManualTest : public QObject {
    Q_OBJECT

private slots:
    void everyChapterHasItsPages();
    void troubleshootingNamesTheRecordingMessages();
};

void ManualTest::everyChapterHasItsPages() {
    const QByteArray pdf = readAll(binDir() + QStringLiteral("/Doc/Manual_Kavrin.pdf"));
    QVERIFY(pdf.startsWith("%PDF-"));
    const QRegularExpression pageTree(QStringLiteral("/Type\\s*/Pages\\b[^>]*?/Count\\s+(\\d+)"));
    const QRegularExpressionMatch tree = pageTree.match(QString::fromLatin1(pdf));
    QVERIFY(tree.hasMatch());
    const int pages = tree.captured(1).toInt();
    const qsizetype pageObjects =
        QString::fromLatin1(pdf).count(QRegularExpression(QStringLiteral("/Type\\s*/Page\\b")));
    QCOMPARE(pageObjects, qsizetype(pages));

    const QStringList titles =
        chapters(QString::fromUtf8(readAll(QStringLiteral(KAVRIN_MANUAL_SOURCE))));
    QVERIFY(titles.contains(QStringLiteral("Getting started")));
    QVERIFY(titles.contains(QStringLiteral("Troubleshooting")));
    QVERIFY2(pages >= titles.size(),
             qPrintable(QStringLiteral("%1 pages for %2 chapters").arg(pages).arg(titles.size())));
}

void ManualTest::troubleshootingNamesTheRecordingMessages() {
    const QString manual = QString::fromUtf8(readAll(QStringLiteral(KAVRIN_MANUAL_SOURCE)));
    const QString troubleshooting =
        plain(manual.mid(manual.indexOf(QStringLiteral("\n# Troubleshooting"))));
    const QStringList messages{
        recorderText::connectFailure(TargetChannel::NoControlBlock),
        recorderText::connectFailure(TargetChannel::ConnectFailed),
        recorderText::connectFailure(TargetChannel::ChannelQueryFailed),
        recorderText::connectFailure(0),
        recorderText::breakOff(IncompletePacketReceived),
        recorderText::breakOff(InvalidPacketReceived),
        recorderText::breakOff(StreamMemoryExhausted),
        recorderText::breakOff(0),
        recorderText::commandNotTaken(),
        recorderText::recorderNotStarted(),
        recorderText::readFailed(),
        recorderText::invalidSerialNumber(),
        recorderText::invalidControlBlockAddress(),
    };
    for (const QString& message : messages) {
        // Up to the list of possible reasons, as the manual quotes it.
        const QString start = plain(message).section(QStringLiteral("Possible"), 0, 0).trimmed();
        QVERIFY2(troubleshooting.contains(start), qPrintable(start));
    }
}

QTEST_MAIN(ManualTest)
#include "ManualTest.moc"
