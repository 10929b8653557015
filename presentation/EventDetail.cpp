#include "engine/ContextTracker.h"
#include "engine/EventStore.h"
#include "engine/PayloadReader.h"
#include "presentation/EventText.h"
#include "presentation/TextHelpers.h"
#include "presentation/TimeText.h"

#include <algorithm>
#include <cstring>

namespace kavrin {

namespace {

constexpr uint32_t DefaultTimestampFrequency = 168'000'000;

QString recordText(const EventRecord& record) {
    return record.text ? QString::fromLatin1(record.text) : QString();
}

// The event's span as the details show it.
struct Span {
    bool known;
    QString duration; // simplified duration text
    QString cycles;   // grouped cycle count
};

Span spanOf(const EventNode& node, const EventTextSources& sources) {
    const uint64_t start = node.record.timestamp;
    if (node.endTime == 0)
        return {false, {}, {}};
    return {true,
            DurationText(sources.timeBase, node.endTime, start, sources.resolution).simplified(),
            GroupedNumber(uint32_t(node.endTime) - uint32_t(start))};
}

QString runsFor(const Span& span) {
    if (!span.known)
        return {};
    return QStringLiteral("Runs for %1 (%2 cycles)").arg(span.duration, span.cycles);
}

QString taskReadyText(const EventNode& node, const Span& span, const EventTextSources& sources) {
    const EventRecord& record = node.record;
    const QString task = record.param1 != record.context
                             ? ContextNameText(sources.tracker, record.param1)
                             : QString();
    if (!span.known)
        return task;
    return QStringLiteral("%1 runs after %2 (%3 cycles)")
        .arg(task.isEmpty() ? task : task + u',', span.duration, span.cycles);
}

QString taskBlockText(const EventRecord& record, const EventTextSources& sources) {
    const QString task = ContextNameText(sources.tracker, record.param1);
    const DescriptionTables& descriptions = sources.descriptions;
    if (const QString* state = descriptions.taskStateText(record.param2))
        return QStringLiteral("%1, %2").arg(task, *state);
    if (descriptions.operatingSystem == u"Halvix" || descriptions.operatingSystem == u"FreeRTOS")
        return QStringLiteral("%1, %2").arg(task, TaskStateText(record.param2));
    return QStringLiteral("%1, Reason=%2").arg(task, QString::number(record.param2));
}

QString targetTimeText(const EventRecord& record, const EventTextSources& sources) {
    const uint64_t us = (uint64_t(record.param2) << 32) | record.param1;
    return ClockText(sources.timeBase, us * 1000, Resolution1us).simplified();
}

QString stackText(const EventRecord& record) {
    uint32_t stackSize = 0;
    if (record.payload && record.payloadSize >= sizeof stackSize)
        std::memcpy(&stackSize, record.payload, sizeof stackSize);
    return QStringLiteral("0x%1: %2 @ %3")
        .arg(hexText(record.param1))
        .arg(stackSize)
        .arg(prefixedHex8(record.param2));
}

QString systemInfoText(const EventRecord& record) {
    PayloadReader reader(record);
    const uint32_t timestampFrequency = reader.readVarint(DefaultTimestampFrequency);
    const uint32_t cpuFrequency = reader.readVarint(timestampFrequency);
    const uint32_t taskBase = reader.readVarint(0);
    const uint32_t taskShift = reader.readVarint(0);
    return QStringLiteral("TSFreq=%1, CPUFreq=%2, TaskBase=0x%3, TaskShift=%4")
        .arg(timestampFrequency)
        .arg(cpuFrequency)
        .arg(hexText(taskBase))
        .arg(taskShift);
}

QString logText(const EventRecord& record) {
    const char* text = reinterpret_cast<const char*>(record.payload);
    const size_t length = text ? strnlen(text, record.payloadSize) : 0;
    if (length == 0)
        return QStringLiteral("Empty printf string");
    return QString::fromLatin1(text, qsizetype(length));
}

QString apiReturnText(const EventNode& node, const Span& span, const EventTextSources& sources) {
    const EventRecord& record = node.record;
    QString text;
    const ApiDescription* api = sources.descriptions.api(record.param2);
    if (!record.payload || record.payloadSize == 0)
        text = QStringLiteral("returns");
    else if (api && api->returnFormat)
        text = FormatParameters(node, *api->returnFormat, sources);
    else
        text = QStringLiteral("returns 0x") + hexText(PayloadReader(record).readVarint(0));
    if (!span.known)
        return text + u'.';
    return text + QStringLiteral(" after %1.").arg(span.duration);
}

QString apiParameterText(const EventNode& node, const EventTextSources& sources) {
    const EventRecord& record = node.record;
    if (const ApiDescription* api = sources.descriptions.api(record.id))
        return FormatParameters(node, api->parameterFormat, sources);
    const uint32_t length = record.payload ? std::min(record.param1, record.payloadSize) : 0;
    QString text;
    text.reserve(qsizetype(length) * 3);
    for (uint32_t i = 0; i < length; ++i)
        text += QString::number(record.payload[i], 16).toUpper().rightJustified(2, u'0') + u' ';
    return text;
}

} // namespace

QString EventDetail(const EventNode& node, const EventTextSources& sources) {
    const EventRecord& record = node.record;
    const Span span = spanOf(node, sources);
    switch (record.id) {
    case OverflowEvent:
        return QStringLiteral("TotalDrop=%1").arg(record.param1);
    case IsrEnterEvent:
    case TaskRunEvent:
        return runsFor(span);
    case IsrExitEvent:
    case IsrExitToSchedulerEvent:
        return QStringLiteral("Returns to ") +
               ContextNameText(sources.tracker, record.contextAfter);
    case SyncEvent:
    case TaskStopEvent:
    case StartEvent:
    case StopEvent:
    case TimerExitEvent:
    case ApiNameEvent:
        return {};
    case TaskReadyEvent:
        return taskReadyText(node, span, sources);
    case TaskBlockEvent:
        return taskBlockText(record, sources);
    case TaskCreateEvent:
        return ContextNameText(sources.tracker, record.param1);
    case TaskInfoEvent:
        // One arg() call: names from the stream may hold "%1".
        return QStringLiteral("%1 (0x%2), Prio=%3")
            .arg(recordText(record), hexText(record.param1), QString::number(record.param2));
    case TargetTimeCyclesEvent:
        return QString::number(record.param1);
    case TargetTimeUsEvent:
        return targetTimeText(record, sources);
    case SystemDescriptionEvent:
    case ModuleDescriptionEvent:
        return recordText(record);
    case UserStartEvent:
        return QStringLiteral("#%1 Run count: %2").arg(record.param1).arg(record.param2);
    case UserStopEvent:
        return QStringLiteral("#%1 Run time: ").arg(record.param1) +
               DurationText(sources.timeBase, record.param2, 0, sources.resolution);
    case SystemIdleEvent:
        return span.known
                   ? QStringLiteral("Idle for %1 (%2 cycles)").arg(span.duration, span.cycles)
                   : QString();
    case TimerEnterEvent:
        if (span.known)
            return QStringLiteral("#0x%1 runs for %2 (%3 cycles)")
                .arg(hexText(record.param1), span.duration, span.cycles);
        return QStringLiteral("#0x%1").arg(hexText(record.param1));
    case StackEvent:
        return stackText(record);
    case SystemInfoEvent:
        return systemInfoText(record);
    case ResourceNameEvent:
        return QStringLiteral("%2 (0x%1)").arg(hexText(record.param2), recordText(record));
    case LogOutputEvent:
        return logText(record);
    case ModuleInformationEvent:
        return QStringLiteral("Registered modules: %1").arg(record.param2);
    case ApiEndEvent:
        return apiReturnText(node, span, sources);
    default:
        return apiParameterText(node, sources);
    }
}

} // namespace kavrin
