#include "engine/EventStore.h"
#include "engine/PayloadReader.h"
#include "presentation/EventText.h"
#include "presentation/TimeText.h"

namespace kavrin {

namespace {

QString latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

// One conversion character; unknown ones write nothing.
void convert(QChar conversion, PayloadReader& reader, const EventTextSources& sources,
             QString& out) {
    switch (conversion.unicode()) {
    case u'd':
        out += QString::number(int32_t(reader.readVarint(0)));
        break;
    case u'u':
        out += QString::number(reader.readVarint(0));
        break;
    case u'x':
        out += QString::number(reader.readVarint(0), 16);
        break;
    case u'p':
        out += QStringLiteral("0x") +
               QString::number(reader.readVarint(0), 16).rightJustified(8, u'0');
        break;
    case u'b':
        out += QStringLiteral("0b") + QString::number(reader.readVarint(0), 2);
        break;
    case u't':
        out += ContextNameText(sources.tracker, reader.readVarint(0));
        break;
    case u'I':
        out += ResourceName(sources.tracker, reader.readVarint(0));
        break;
    case u'D':
        out += SpanText(sources.timeBase, reader.readVarint(0), sources.resolution);
        break;
    case u's':
        out += latin1(reader.readString());
        break;
    case u'B':
        out += latin1(reader.readHexBytes());
        break;
    default:
        break;
    }
}

} // namespace

QString FormatParameters(const EventNode& node, const QString& format,
                         const EventTextSources& sources) {
    PayloadReader reader(node.record);
    QString out;
    const qsizetype size = format.size();
    qsizetype i = 0;
    while (i < size) {
        if (format[i] != u'%') {
            out += format[i++];
            continue;
        }
        if (i + 1 == size)
            break;
        qsizetype wordEnd = format.indexOf(u' ', i + 1);
        if (wordEnd < 0)
            wordEnd = size;
        const QString word = format.mid(i + 1, wordEnd - i - 1);
        if (sources.descriptions.isNamedType(word)) {
            const uint32_t value = reader.readVarint(0);
            const QString* text = sources.descriptions.namedTypeText(word, value);
            out += text ? *text : QString::number(value, 16);
            i = wordEnd + 1; // the blank that ends the type name is swallowed
            continue;
        }
        convert(format[i + 1], reader, sources, out);
        i += 2;
    }
    return out;
}

} // namespace kavrin
