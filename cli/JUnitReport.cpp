#include "cli/JUnitReport.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamWriter>

#include <algorithm>

namespace kavrin::cli {

namespace {

// Names come from the target's stream; XML has no place for most control characters.
QString xmlText(QString text) {
    for (QChar& c : text)
        if (c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r')
            c = u'?';
    return text;
}

} // namespace

bool writeJUnitReport(const QString& path, const QString& recording,
                      const std::vector<RuleResult>& results, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    const auto failures = std::count_if(results.begin(), results.end(),
                                        [](const RuleResult& result) { return !result.passed; });
    QXmlStreamWriter xml(&file);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("testsuite"));
    xml.writeAttribute(QStringLiteral("name"),
                       QStringLiteral("kavrin-cli check ") + QFileInfo(recording).fileName());
    xml.writeAttribute(QStringLiteral("tests"), QString::number(results.size()));
    xml.writeAttribute(QStringLiteral("failures"), QString::number(failures));
    xml.writeAttribute(QStringLiteral("errors"), QStringLiteral("0"));
    for (const RuleResult& result : results) {
        xml.writeStartElement(QStringLiteral("testcase"));
        xml.writeAttribute(QStringLiteral("classname"), QStringLiteral("kavrin.check"));
        xml.writeAttribute(QStringLiteral("name"), xmlText(result.rule));
        if (!result.passed) {
            xml.writeStartElement(QStringLiteral("failure"));
            xml.writeAttribute(QStringLiteral("message"),
                               QStringLiteral("measured ") + result.measured);
            xml.writeCharacters(xmlText(result.rule) + QStringLiteral(": measured ") +
                                result.measured);
            xml.writeEndElement();
        } else {
            xml.writeTextElement(QStringLiteral("system-out"),
                                 QStringLiteral("measured ") + result.measured);
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    if (xml.hasError() || !file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace kavrin::cli
