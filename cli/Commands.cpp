#include "cli/Commands.h"

#include "cli/CheckCommand.h"
#include "cli/DiffCommand.h"
#include "cli/EventWalk.h"
#include "cli/Exporters.h"
#include "cli/OverviewTable.h"
#include "cli/RecordCommand.h"
#include "cli/Recording.h"
#include "cli/TextFields.h"

#include <cerrno>
#include <cstring>
#include <limits>

namespace kavrin::cli {

namespace {

void complain(std::FILE* messages, const QString& text) {
    std::fprintf(messages, "kavrin-cli: %s\n", text.toUtf8().constData());
}

int printEvents(Recording& recording, const CliOptions& options, std::FILE* out) {
    const EventStore& store = recording.engine().store;
    if (!store.first())
        return ExitSuccess;
    const uint32_t from = options.first.value_or(store.first()->record.index);
    const uint32_t limit = options.count.value_or(std::numeric_limits<uint32_t>::max());
    forEachEvent(recording, from, limit, options.count.has_value(), [&](const EventNode& node) {
        writeFields(out, EventRowTexts(node, store.firstTimestamp(), recording.engine().tracker,
                                       recording.presentation()));
    });
    return ExitSuccess;
}

int printContexts(const Recording& recording, std::FILE* out) {
    const RecordingEngine& engine = recording.engine();
    for (uint32_t id : engine.contextList.rows())
        writeFields(out, ContextRowTexts(engine.tracker, id, recording.presentation()));
    return ExitSuccess;
}

int printInfo(const Recording& recording, std::FILE* out) {
    for (const SystemInfoLine& line : SystemInfoLines(recording.presentation().systemInfo)) {
        const QString fields[] = {line.path, line.value};
        writeFields(out, fields);
    }
    return ExitSuccess;
}

int exportEvents(Recording& recording, const CliOptions& options, std::FILE* messages) {
    std::FILE* out = std::fopen(options.output.toLocal8Bit().constData(), "wb");
    if (!out) {
        complain(messages, QStringLiteral("cannot write %1: %2")
                               .arg(options.output, QString::fromLocal8Bit(std::strerror(errno))));
        return ExitCannotRead;
    }
    const std::unique_ptr<EventExporter> exporter = makeExporter(options.format, recording, out);
    exporter->begin();
    forEveryEvent(recording, [&](const EventNode& node) {
        exporter->event(node, EventRowTexts(node, recording.engine().store.firstTimestamp(),
                                            recording.engine().tracker, recording.presentation()));
    });
    exporter->end();
    const bool written = !std::ferror(out);
    if (std::fclose(out) != 0 || !written) {
        complain(messages, QStringLiteral("cannot write %1").arg(options.output));
        return ExitCannotRead;
    }
    return ExitSuccess;
}

} // namespace

int runCommand(const CliOptions& options, std::FILE* out, std::FILE* messages) {
    if (options.command == Command::Record)
        return recordFromTarget(options, messages);
    Recording recording(options.resolution, options.systemTime, messages);
    QString error;
    if (!recording.open(options.file, &error)) {
        complain(messages, error);
        return ExitCannotRead;
    }
    if (const QString stop = recording.streamStopText(); !stop.isEmpty())
        complain(messages, stop);

    int status = ExitSuccess;
    switch (options.command) {
    case Command::Events:
        status = printEvents(recording, options, out);
        break;
    case Command::Contexts:
        status = printContexts(recording, out);
        break;
    case Command::Info:
        status = printInfo(recording, out);
        break;
    case Command::Export:
        status = exportEvents(recording, options, messages);
        break;
    case Command::Overview:
        printOverview(recording.engine(), recording.presentation(), options.bins, out);
        break;
    case Command::Check:
        status = checkRecording(recording, options, out, messages);
        break;
    case Command::Diff:
        status = diffRecordings(recording, options, out, messages);
        break;
    case Command::Record:
    case Command::Help:
        break;
    }
    if (const QString readError = recording.readErrorText(); !readError.isEmpty()) {
        complain(messages, readError);
        return ExitCannotRead;
    }
    return status;
}

} // namespace kavrin::cli
