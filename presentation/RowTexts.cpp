#include "presentation/RowTexts.h"

#include "engine/ContextTracker.h"
#include "engine/EventStore.h"
#include "presentation/TextHelpers.h"

namespace kavrin {

namespace {

const QString RightMargin = QStringLiteral("    ");

class ContextTexts {
public:
    ContextTexts(uint32_t id, const ContextInfo& info, const Presentation& presentation)
        : id_(id), info_(info), presentation_(presentation) {}

    QString time(uint64_t ticks) const {
        return SpanText(presentation_.timeBase, ticks, presentation_.display.resolution);
    }
    QString timeColumn(uint64_t ticks) const { return time(ticks) + RightMargin; }
    QString extremeColumn(uint32_t ticks, uint64_t index) const {
        return time(ticks) + QStringLiteral(" (#%1) ").arg(index + 1) + RightMargin;
    }
    // Share of one second; empty while the frequency is unknown.
    QString percentColumn(uint32_t ticks) const {
        const uint64_t frequency = presentation_.timeBase.frequency;
        if (frequency == 0)
            return {};
        return QString::asprintf("%5.2f%%", double(ticks) * 100.0 / double(frequency));
    }
    QString typeColumn() const {
        if (id_ == IdleContext || id_ == SchedulerContext || id_ == TimerContext)
            return {};
        if (!info_.hasName && info_.priority == InterruptPriority)
            return QStringLiteral(" #%1").arg(id_);
        return QStringLiteral(" @%1").arg(info_.priority);
    }
    QString stackColumn() const {
        QString text;
        if (info_.stackSize != 0)
            text = QStringLiteral("%1 ").arg(info_.stackSize);
        if (info_.stackBase != 0)
            text += QStringLiteral("@ ") + prefixedHex8(info_.stackBase);
        return text;
    }

private:
    uint32_t id_;
    const ContextInfo& info_;
    const Presentation& presentation_;
};

} // namespace

std::array<QString, EventColumnCount> EventRowTexts(const EventNode& node, uint64_t windowStart,
                                                    const ContextTracker& tracker,
                                                    const Presentation& presentation) {
    const EventRecord& record = node.record;
    return {
        QString::number(uint64_t(record.index) + 1) + u' ',
        EventTimeText(node, windowStart, presentation.timeBase, presentation.display),
        u' ' + ContextNameText(tracker, record.context),
        u' ' + EventName(node, presentation.descriptions),
        EventDetail(node, presentation.textSources(tracker)),
    };
}

std::array<QString, ContextColumnCount> ContextRowTexts(const ContextTracker& tracker, uint32_t id,
                                                        const Presentation& presentation) {
    static const ContextInfo unknown;
    const ContextInfo* found = tracker.contexts.find(id);
    const ContextInfo& info = found ? *found : unknown;
    const ContextTexts texts(id, info, presentation);
    // Like "Min Run Time", the smallest interval stays empty until an interval has closed.
    const bool intervalClosed = info.intervalCount != 0;
    return {
        ContextNameText(tracker, id),
        texts.typeColumn(),
        texts.stackColumn(),
        QString::number(info.runCount),
        QStringLiteral("%1 Hz").arg(info.lastIntervalRuns),
        texts.timeColumn(info.lastRunTime),
        info.minRunTime < 0xFFFFFFFFu ? texts.extremeColumn(info.minRunTime, info.minRunIndex)
                                      : QString(),
        info.maxRunTime != 0 ? texts.extremeColumn(info.maxRunTime, info.maxRunIndex) : QString(),
        texts.timeColumn(info.totalRunTime),
        texts.timeColumn(info.lastIntervalRunTime),
        texts.percentColumn(info.lastIntervalRunTime),
        intervalClosed ? texts.timeColumn(info.minIntervalRunTime) : QString(),
        intervalClosed ? texts.percentColumn(info.minIntervalRunTime) : QString(),
        texts.timeColumn(info.maxIntervalRunTime),
        texts.percentColumn(info.maxIntervalRunTime),
    };
}

std::vector<SystemInfoLine> SystemInfoLines(const SystemInfoTable& table) {
    std::vector<SystemInfoLine> lines;
    for (const SystemInfoGroup& group : systemInfoGroups()) {
        for (int row = int(group.first); row <= int(group.last); ++row) {
            const auto infoRow = SystemInfoRow(row);
            const QString path = QLatin1String(group.title) + u'/' + systemInfoRowName(infoRow);
            lines.push_back({path, table.rowText(infoRow)});
            if (infoRow != SystemInfoRow::Overflows)
                continue;
            for (const OverflowRow& overflow : table.overflowRows())
                lines.push_back({path + u'/' + overflow.name, overflow.text});
        }
    }
    return lines;
}

} // namespace kavrin
