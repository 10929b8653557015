#include "engine/ContextTracker.h"
#include "presentation/EventText.h"
#include "presentation/TextHelpers.h"

#include <array>

namespace kavrin {

namespace {

const std::string* resourceNameOf(const ContextTracker& tracker, uint32_t id) {
    auto found = tracker.resourceNames.find(id);
    return found == tracker.resourceNames.end() ? nullptr : &found->second;
}

} // namespace

QString ContextNameText(const ContextTracker& tracker, uint32_t id) {
    return latin1Text(tracker.contextName(id));
}

QString ResourceName(const ContextTracker& tracker, uint32_t id) {
    if (const std::string* name = resourceNameOf(tracker, id))
        return latin1Text(*name);
    const uint32_t base = tracker.taskIdBase;
    const uint32_t shift = tracker.taskIdShift;
    if (id <= base || (base == 0 && shift == 0))
        return prefixedHex8(id);
    // A raw address maps to a compact id once; compact ids are not mapped again.
    const uint32_t compact = tracker.compactTaskId(id);
    if (const std::string* name = resourceNameOf(tracker, compact))
        return latin1Text(*name);
    return prefixedHex8(compact);
}

QString TaskStateText(uint32_t value) {
    if (value == 4)
        return QStringLiteral("Wait for timeout");
    static constexpr std::array<const char*, 21> reasons{
        "Ready ",
        "Wait for event ",
        "Wait for sema zero ",
        "Waiting ",
        "Wait for sema not zero ",
        nullptr,
        "Wait for Queue not empty ",
        "Wait for mailbox not full ",
        "Wait for mailbox not empty ",
        "Wait for event object ",
        "Wait for Queue not full ",
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        "Wait for Memory pool ",
    };
    const uint32_t reason = (value >> 3) & 31;
    if (reason >= reasons.size() || reasons[reason] == nullptr)
        return QStringLiteral("Reason=%1").arg(value);
    QString text = QLatin1String(reasons[reason]);
    if (value & 4)
        text += QStringLiteral("with timeout ");
    if (value & 3)
        text += QStringLiteral(", suspended ");
    return text;
}

} // namespace kavrin
