#include "views/TimeNavigation.h"

#include "engine/EventStore.h"

namespace kavrin {

namespace {

const EventRecord* recordAt(EventStore& store, int row) {
    if (row < 0 || uint32_t(row) >= store.rowCount())
        return nullptr;
    const EventNode* node = store.nodeAt(uint32_t(row));
    return node ? &node->record : nullptr;
}

template <class Match> int search(EventStore& store, int from, int step, Match&& match) {
    for (int row = from; const EventRecord* record = recordAt(store, row); row += step)
        if (match(*record))
            return row;
    return NoRow;
}

int sameEvent(EventStore& store, int row, bool sameContext, int step) {
    const EventRecord* selected = recordAt(store, row);
    if (!selected)
        return NoRow;
    const uint32_t id = selected->id;
    const uint32_t context = selected->context;
    return search(store, row + step, step, [&](const EventRecord& record) {
        return record.id == id && (!sameContext || record.context == context);
    });
}

} // namespace

int nextSameEvent(EventStore& store, int row, bool sameContext) {
    return sameEvent(store, row, sameContext, 1);
}

int previousSameEvent(EventStore& store, int row, bool sameContext) {
    return sameEvent(store, row, sameContext, -1);
}

int nextContextChange(EventStore& store, int row) {
    const EventRecord* selected = recordAt(store, row);
    if (!selected)
        return NoRow;
    const uint32_t context = selected->contextAfter;
    return search(store, row + 1, 1,
                  [&](const EventRecord& record) { return record.contextAfter != context; });
}

int previousContextRun(EventStore& store, int row) {
    const EventRecord* before = recordAt(store, row - 1);
    if (!before || !recordAt(store, row))
        return NoRow;
    const uint32_t context = before->contextAfter;
    int start = row - 1;
    while (const EventRecord* earlier = recordAt(store, start - 1)) {
        if (earlier->contextAfter != context)
            break;
        --start;
    }
    return start;
}

int contextRunStart(EventStore& store, int row, uint32_t context, bool later) {
    if (!recordAt(store, row))
        return NoRow;
    const int step = later ? 1 : -1;
    return search(store, row + step, step, [&](const EventRecord& record) {
        return record.contextAfter == context && record.contextBefore != context;
    });
}

} // namespace kavrin
