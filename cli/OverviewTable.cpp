#include "cli/OverviewTable.h"

#include "cli/TextFields.h"
#include "engine/RecordingEngine.h"
#include "presentation/Presentation.h"

#include <QStringList>

#include <algorithm>
#include <vector>

namespace kavrin::cli {

namespace {

// Summary slot of every row of the contexts list (contextCount() when it has none).
std::vector<size_t> slotsInListOrder(const RecordingEngine& engine) {
    const OverviewSummary& summary = engine.overview;
    std::vector<size_t> contextSlots;
    for (const uint32_t id : engine.contextList.rows()) {
        size_t slot = 0;
        while (slot < summary.contextCount() && summary.contextId(slot) != id)
            ++slot;
        contextSlots.push_back(slot);
    }
    return contextSlots;
}

QString startText(const OverviewSummary& summary, const Presentation& presentation,
                  OverviewRange range) {
    const uint64_t ticks = summary.binStart(range.first);
    if (!presentation.timeBase.valid)
        return QString::number(ticks); // without a frequency only ticks are known
    return ClockTextFromTicks(presentation.timeBase, ticks, presentation.display.resolution);
}

} // namespace

void printOverview(const RecordingEngine& engine, const Presentation& presentation,
                   std::optional<uint32_t> bins, std::FILE* out) {
    const OverviewSummary& summary = engine.overview;
    const std::vector<size_t> contextSlots = slotsInListOrder(engine);
    QStringList header{QStringLiteral("Start")};
    for (const uint32_t id : engine.contextList.rows())
        header << ContextNameText(engine.tracker, id);
    writeFields(out, header);

    const uint32_t used = summary.usedBins();
    const uint32_t groups = std::min(bins.value_or(used), used);
    for (uint32_t group = 0; group < groups; ++group) {
        const OverviewRange range = overviewGroup(group, groups, used);
        const uint64_t covered = summary.coveredTicks(range);
        QStringList fields{startText(summary, presentation, range)};
        for (const size_t slot : contextSlots) {
            const uint64_t ran = slot < summary.contextCount() ? summary.runTime(slot, range) : 0;
            const double percent = covered ? 100.0 * double(ran) / double(covered) : 0.0;
            fields << QString::number(percent, 'f', 2);
        }
        writeFields(out, fields);
    }
}

} // namespace kavrin::cli
