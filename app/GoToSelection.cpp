#include "app/GoToSelection.h"

#include "engine/EventStore.h"
#include "presentation/models/EventModel.h"

#include <algorithm>

namespace kavrin {

namespace {

// The first row for which `before(node)` is false; rows are in event order, so both event
// indexes and timestamps never decrease along them.
template <typename Before> int firstRowNotBefore(const EventModel& model, Before before) {
    int first = 0;
    int count = model.rowCount();
    while (count > 0) {
        const int half = count / 2;
        const EventNode* node = model.nodeAt(first + half);
        if (node && before(*node)) {
            first += half + 1;
            count -= half + 1;
        } else {
            count = half;
        }
    }
    return first;
}

} // namespace

int rowOfEventAtOrAfter(const EventModel& model, uint32_t index) {
    const int rows = model.rowCount();
    if (rows == 0)
        return -1;
    const int row = firstRowNotBefore(
        model, [index](const EventNode& node) { return node.record.index < index; });
    return std::min(row, rows - 1);
}

int rowNearestTimestamp(const EventModel& model, uint64_t ticks) {
    const int rows = model.rowCount();
    if (rows == 0)
        return -1;
    const int later = firstRowNotBefore(
        model, [ticks](const EventNode& node) { return node.record.timestamp < ticks; });
    if (later == rows)
        return rows - 1;
    if (later == 0)
        return 0;
    const uint64_t after = model.nodeAt(later)->record.timestamp - ticks;
    const uint64_t before = ticks - model.nodeAt(later - 1)->record.timestamp;
    return before < after ? later - 1 : later;
}

} // namespace kavrin
