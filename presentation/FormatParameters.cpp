#include "engine/EventStore.h"
#include "engine/PayloadReader.h"
#include "presentation/EventText.h"
#include "presentation/TextHelpers.h"
#include "presentation/TimeText.h"

namespace kavrin {

namespace {

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
        out += hexText(reader.readVarint(0));
        break;
    case u'p':
        out += prefixedHex8(reader.readVarint(0));
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
        out += latin1Text(reader.readString());
        break;
    case u'B':
        out += latin1Text(reader.readHexBytes());
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
            out += text ? *text : hexText(value);
            i = wordEnd + 1; // the blank that ends the type name is swallowed
            continue;
        }
        convert(format[i + 1], reader, sources, out);
        i += 2;
    }
    return out;
}

} // namespace kavrin
