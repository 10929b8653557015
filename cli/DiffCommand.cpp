#include "cli/DiffCommand.h"

#include "cli/Commands.h"
#include "cli/Recording.h"
#include "cli/TextFields.h"
#include "presentation/RowTexts.h"

#include <array>
#include <cmath>

namespace kavrin::cli {

namespace {

// One compared figure of a context.
struct Figure {
    const char* header;
    int decimals;
    std::optional<double> (*value)(const RecordingFigures&, const ContextFigures&);
};

const std::array<Figure, 5> Figures{{
    {"Run Count", 0,
     [](const RecordingFigures&, const ContextFigures& c) -> std::optional<double> {
         return double(c.runCount);
     }},
    {"Frequency/Hz", 3,
     [](const RecordingFigures& r, const ContextFigures& c) { return r.runsPerSecond(c); }},
    {"Max Run Time/us", 3,
     [](const RecordingFigures& r, const ContextFigures& c) {
         const std::optional<double> ns = r.nanoseconds(c.maxRunTime);
         return ns ? std::optional(*ns / 1000.0) : std::nullopt;
     }},
    {"Total Run Time/us", 3,
     [](const RecordingFigures& r, const ContextFigures& c) {
         const std::optional<double> ns = r.nanoseconds(c.totalRunTime);
         return ns ? std::optional(*ns / 1000.0) : std::nullopt;
     }},
    {"Load/%", 3,
     [](const RecordingFigures& r, const ContextFigures& c) { return r.loadPercent(c); }},
}};

QString number(std::optional<double> value, int decimals) {
    return value ? QString::number(*value, 'f', decimals) : QString();
}

QString signedNumber(double value, int decimals) {
    const QString text = QString::number(value, 'f', decimals);
    return value >= 0 && !text.startsWith(u'-') ? u'+' + text : text;
}

// The mark of a figure that changed by more than `threshold` percent of its value in A.
QString changeMark(const Figure& figure, double a, double b, double threshold) {
    const double change = b - a;
    if (a == 0)
        return change == 0 ? QString() : QLatin1String(figure.header) + QStringLiteral(" new");
    const double percent = change * 100.0 / std::fabs(a);
    if (std::fabs(percent) <= threshold)
        return {};
    return QLatin1String(figure.header) + u' ' + signedNumber(percent, 2) + u'%';
}

QStringList contextLine(const QString& name, const RecordingFigures& a, const ContextFigures* inA,
                        const RecordingFigures& b, const ContextFigures* inB,
                        std::optional<double> threshold, bool* marked) {
    QStringList line{name};
    QStringList marks;
    for (const Figure& figure : Figures) {
        const std::optional<double> valueA = inA ? figure.value(a, *inA) : std::nullopt;
        const std::optional<double> valueB = inB ? figure.value(b, *inB) : std::nullopt;
        line << number(valueA, figure.decimals) << number(valueB, figure.decimals);
        if (!valueA || !valueB) {
            line << QString();
            continue;
        }
        line << signedNumber(*valueB - *valueA, figure.decimals);
        if (threshold)
            if (const QString mark = changeMark(figure, *valueA, *valueB, *threshold);
                !mark.isEmpty())
                marks << mark;
    }
    if (!inA || !inB)
        marks << (inA ? QStringLiteral("only in A") : QStringLiteral("only in B"));
    if (threshold && !marks.isEmpty())
        *marked = true;
    line << marks.join(QStringLiteral(", "));
    return line;
}

// The system information rows whose values differ: "info", the row, A's value, B's value.
std::vector<QStringList> differingInfo(const Recording& a, const Recording& b) {
    const std::vector<SystemInfoLine> linesA = SystemInfoLines(a.presentation().systemInfo);
    const std::vector<SystemInfoLine> linesB = SystemInfoLines(b.presentation().systemInfo);
    const auto valueIn = [](const std::vector<SystemInfoLine>& lines,
                            const QString& path) -> std::optional<QString> {
        for (const SystemInfoLine& line : lines)
            if (line.path == path)
                return line.value;
        return std::nullopt;
    };
    std::vector<QStringList> rows;
    for (const SystemInfoLine& line : linesA) {
        const std::optional<QString> other = valueIn(linesB, line.path);
        if (other != line.value)
            rows.push_back({QStringLiteral("info"), line.path, line.value, other.value_or("")});
    }
    for (const SystemInfoLine& line : linesB)
        if (!valueIn(linesA, line.path))
            rows.push_back({QStringLiteral("info"), line.path, QString(), line.value});
    return rows;
}

} // namespace

std::vector<QStringList> diffContexts(const RecordingFigures& a, const RecordingFigures& b,
                                      std::optional<double> threshold, bool* marked) {
    QStringList header{QStringLiteral("Context")};
    for (const Figure& figure : Figures)
        for (const char* column : {" A", " B", " Diff"})
            header << QLatin1String(figure.header) + QLatin1String(column);
    header << QStringLiteral("Marks");
    std::vector<QStringList> lines{header};
    *marked = false;
    for (const ContextFigures& context : a.contexts)
        lines.push_back(
            contextLine(context.name, a, &context, b, b.find(context.name), threshold, marked));
    for (const ContextFigures& context : b.contexts)
        if (!a.find(context.name))
            lines.push_back(contextLine(context.name, a, nullptr, b, &context, threshold, marked));
    return lines;
}

int diffRecordings(const Recording& a, const CliOptions& options, std::FILE* out,
                   std::FILE* messages) {
    Recording b(options.resolution, false, messages);
    QString error;
    if (!b.open(options.secondFile, &error)) {
        std::fprintf(messages, "kavrin-cli: %s\n", error.toUtf8().constData());
        return ExitCannotRead;
    }
    for (const QString& problem : {b.streamStopText(), b.readErrorText()})
        if (!problem.isEmpty())
            std::fprintf(messages, "kavrin-cli: %s\n", problem.toUtf8().constData());
    if (!b.readErrorText().isEmpty())
        return ExitCannotRead;

    bool marked = false;
    for (const QStringList& line :
         diffContexts(a.analysedFigures(), b.analysedFigures(), options.threshold, &marked))
        writeFields(out, std::span(line.constData(), size_t(line.size())));
    for (const QStringList& line : differingInfo(a, b))
        writeFields(out, std::span(line.constData(), size_t(line.size())));
    return marked ? ExitFailed : ExitSuccess;
}

} // namespace kavrin::cli
