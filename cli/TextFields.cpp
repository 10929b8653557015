#include "cli/TextFields.h"

namespace kavrin::cli {

QString escapeField(const QString& text) {
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            escaped += QLatin1String("\\\\");
            break;
        case '\t':
            escaped += QLatin1String("\\t");
            break;
        case '\r':
            escaped += QLatin1String("\\r");
            break;
        case '\n':
            escaped += QLatin1String("\\n");
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

void writeFields(std::FILE* out, std::span<const QString> fields) {
    QString line;
    for (const QString& field : fields) {
        if (!line.isEmpty() || &field != &fields.front())
            line += QLatin1Char('\t');
        line += escapeField(field);
    }
    line += QLatin1Char('\n');
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
}

} // namespace kavrin::cli
