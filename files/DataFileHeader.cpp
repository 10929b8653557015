#include "files/DataFileHeader.h"

#include <QStringList>

#include <algorithm>

namespace kavrin {

namespace {

// Every value starts at character 15 of its line: ";", a blank, the key padded to 12.
QString headerLine(const char* key, const QString& value) {
    return QStringLiteral("; %1").arg(QLatin1String(key), -12) + value + QLatin1Char('\n');
}

// A line break in a one-line value would end the header early and turn the rest of it into
// stream bytes.
QString singleLine(QString value) {
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}

void applyHeaderLine(const QString& line, RecordProperties& properties) {
    const QStringList fields = line.split(QLatin1Char(' '));
    if (fields.size() < 2)
        return;
    const QString& key = fields[1];
    const QString value = fields.mid(2).join(QLatin1Char(' '));
    auto is = [&key](const char* name) {
        return key.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
    };
    if (is("RecordTime")) {
        properties.recordTime = parseRecordTime(value);
    } else if (is("Author")) {
        properties.author = value;
    } else if (is("Title")) {
        properties.title = value;
    } else if (is("Description")) {
        properties.description = value;
        properties.description.replace(QLatin1String("\\n"), QLatin1String("\n"));
    }
}

} // namespace

QByteArray composeHeader(const RecordProperties& properties) {
    QString description = properties.description;
    description.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    QString text = QStringLiteral(";\n");
    text += headerLine("Version", QLatin1String(ProgramVersion));
    text += headerLine("RecordTime", formatRecordTime(properties.recordTime));
    text += headerLine("Author", singleLine(properties.author));
    text += headerLine("Title", singleLine(properties.title));
    text += headerLine("Description", description);
    text += QStringLiteral(";\n");
    return text.toLatin1();
}

uint32_t readHeader(const uint8_t* data, size_t size, RecordProperties& properties) {
    uint32_t headerLength = 0;
    size_t lineStart = 0;
    while (lineStart < size) {
        const uint8_t* end = data + size;
        const uint8_t* newline = std::find(data + lineStart, end, uint8_t('\n'));
        const size_t lineEnd = size_t(newline - data);
        const QString line = QString::fromLatin1(reinterpret_cast<const char*>(data + lineStart),
                                                 qsizetype(lineEnd - lineStart))
                                 .simplified();
        if (!line.startsWith(QLatin1Char(';')))
            break;
        applyHeaderLine(line, properties);
        // A last line without its line feed ends at the end of the data.
        lineStart = std::min(lineEnd + 1, size);
        headerLength = uint32_t(lineStart);
    }
    return headerLength;
}

} // namespace kavrin
