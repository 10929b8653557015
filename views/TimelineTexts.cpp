#include "views/TimelineTexts.h"

#include "engine/ContextTracker.h"
#include "engine/EventStore.h"
#include "presentation/Presentation.h"
#include "views/TimelineIndex.h"

#include <vector>

namespace kavrin {

namespace {

constexpr int OpenCallsLookBack = 4096;

QString hex8(uint32_t value) {
    return QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0'));
}

QString identityLines(const ContextTracker& tracker, const ContextInfo& info, uint32_t id) {
    const QString runs = QStringLiteral("Run Count      : %1\n").arg(info.runCount);
    switch (info.kind) {
    case TaskKind: {
        const uint32_t raw = (id << tracker.taskIdShift) + tracker.taskIdBase;
        QString text = info.hasName ? QStringLiteral("Task           : %1 (%2)\n")
                                          .arg(QString::fromLatin1(info.name.c_str()), hex8(raw))
                                    : QStringLiteral("Task           : %1\n").arg(hex8(raw));
        text += QStringLiteral("Priority       : %1\n").arg(info.priority);
        if (info.stackSize != 0 || info.stackBase != 0)
            text += QStringLiteral("Stack          : %1 @ 0x%2\n")
                        .arg(info.stackSize)
                        .arg(hex8(info.stackBase));
        return text + runs;
    }
    case InterruptKind:
        return QStringLiteral("Interrupt      : %1\n").arg(ContextNameText(tracker, id)) +
               QStringLiteral("Id             : %1\n").arg(id) +
               QStringLiteral("Frequency      : %1 Hz\n").arg(info.lastIntervalRuns) + runs;
    case SchedulerKind:
        return QStringLiteral("Scheduler\n") + runs;
    case TimerKind:
        return QStringLiteral("Timer\n") + runs;
    case IdleKind:
        return QStringLiteral("Idle\n") + runs;
    default:
        return QStringLiteral("Unknown context!\n");
    }
}

bool isOverflow(const TimelineIndex& index, size_t position) {
    return index.node(position)->record.id == OverflowEvent;
}

QString openCalls(const TimelineIndex& index, size_t position, const ContextTracker& tracker,
                  const Presentation& presentation, uint64_t firstNs) {
    const EventRecord& hovered = index.node(position)->record;
    const uint32_t context = hovered.contextAfter;
    std::vector<size_t> open;
    const size_t stop = position > OpenCallsLookBack ? position - OpenCallsLookBack : 0;
    for (size_t p = position + 1; p-- > stop;) {
        const EventNode* node = index.node(p);
        if (node->record.id == OverflowEvent)
            break;
        if (node->record.id >= FirstCallId && node->record.context == context &&
            (node->endTime == 0 || node->endTime > hovered.timestamp))
            open.push_back(p);
    }
    QString text = QStringLiteral("\n\nActive Functions:");
    const EventTextSources sources = presentation.textSources(tracker);
    for (auto it = open.rbegin(); it != open.rend(); ++it) {
        const EventNode& node = *index.node(*it);
        const ApiDescription* api = presentation.descriptions.api(node.record.id);
        if (!api) {
            text += QStringLiteral("\n  Unknown function");
            continue;
        }
        text += QStringLiteral("\n  #%1 @ %4 - %2(%3);")
                    .arg(node.record.index + 1)
                    .arg(api->name, FormatParameters(node, api->parameterFormat, sources),
                         DisplayedTime(index.timeNs(*it), firstNs, presentation));
    }
    return text;
}

} // namespace

QString NsSpanText(uint64_t ns, int resolution) {
    TimeBase nanoseconds;
    nanoseconds.setFrequency(1'000'000'000);
    return SpanText(nanoseconds, ns, resolution);
}

QString OffsetText(int64_t ns, int resolution) {
    const QString span = NsSpanText(uint64_t(ns < 0 ? -ns : ns), resolution);
    return ns == 0 ? span : (ns < 0 ? QStringLiteral("-") : QStringLiteral("+")) + span;
}

QString TimelinePaneTitle(uint64_t spanNs, int resolution) {
    return QStringLiteral("Timeline   Width: %1").arg(NsSpanText(spanNs, resolution));
}

QString CpuLoadPaneTitle(uint64_t spanNs, int bins, int resolution) {
    return QStringLiteral("CPU Load   Number of bins: %1, Bin width: %2")
        .arg(bins)
        .arg(NsSpanText(spanNs / uint64_t(bins), resolution));
}

QString DisplayedTime(uint64_t ns, uint64_t firstNs, const Presentation& presentation) {
    const uint64_t shown = presentation.display.systemTime || ns < firstNs ? ns : ns - firstNs;
    return ClockText(presentation.timeBase, shown, presentation.display.resolution);
}

QString ContextHoverText(const ContextTracker& tracker, uint32_t contextId,
                         const Presentation& presentation, uint64_t recordingTicks) {
    const ContextInfo* info = tracker.contexts.find(contextId);
    if (!info)
        return QStringLiteral("Unknown context!\n");
    QString text = identityLines(tracker, *info, contextId);
    if (!presentation.timeBase.valid)
        return text;
    const TimeBase& timeBase = presentation.timeBase;
    const int digits = presentation.display.resolution;
    const double share =
        recordingTicks == 0 ? 0.0 : double(info->totalRunTime) * 100.0 / double(recordingTicks);
    const uint32_t shortest = info->minRunTime == 0xFFFFFFFFu ? 0 : info->minRunTime;
    text += QStringLiteral("Run Time, Total: %1 (%2%)\n")
                .arg(SpanText(timeBase, info->totalRunTime, digits))
                .arg(share, 0, 'f', 2);
    text += QStringLiteral("           Last: %1\n            Min: %2\n            Max: %3")
                .arg(SpanText(timeBase, info->lastRunTime, digits),
                     SpanText(timeBase, shortest, digits),
                     SpanText(timeBase, info->maxRunTime, digits));
    return text;
}

QString EventHoverText(const TimelineIndex& index, size_t position, bool onEventLane,
                       const ContextTracker& tracker, const Presentation& presentation,
                       uint64_t firstNs) {
    if (isOverflow(index, position) || (position > 0 && isOverflow(index, position - 1)))
        return QStringLiteral(
            "Kavrin Overflow!\nEvents within the marked area could not be recorded.\nThe active "
            "context after an overflow might not be valid.\nFall-back context: \"Idle\".");
    if (!onEventLane)
        return {};
    const EventNode& node = *index.node(position);
    const QString text = QStringLiteral("Last Event:\n  #%1 @ %2 - %3 (%4)")
                             .arg(node.record.index + 1)
                             .arg(DisplayedTime(index.timeNs(position), firstNs, presentation),
                                  EventName(node, presentation.descriptions),
                                  EventDetail(node, presentation.textSources(tracker)));
    return text + openCalls(index, position, tracker, presentation, firstNs);
}

} // namespace kavrin
