#pragma once

#include "cli/Recording.h"
#include "engine/EventStore.h"

#include <cstdint>

namespace kavrin::cli {

// The first stored event whose index is `index` or more.
inline const EventNode* storedFrom(const EventStore& store, uint32_t index) {
    const EventNode* node = store.last();
    if (!node || node->record.index < index)
        return nullptr;
    // New events arrive at the end of the window: search from there.
    while (node->previous && node->previous->record.index >= index)
        node = node->previous;
    return node;
}

// Calls `visit` for up to `limit` stored events from index `from`, moving the window on when
// `moveOn` is set.
template <class Visit>
void forEachEvent(Recording& recording, uint32_t from, uint32_t limit, bool moveOn, Visit visit) {
    if (limit == 0 || !recording.moveTo(from))
        return;
    const EventStore& store = recording.engine().store;
    uint32_t visited = 0;
    uint32_t next = from;
    do {
        for (const EventNode* node = storedFrom(store, next); node && visited < limit;
             node = node->next, ++visited) {
            visit(*node);
            next = node->record.index + 1;
        }
    } while (visited < limit && moveOn && next != 0 && recording.stepForward());
}

// Calls `visit` for every event of the recording, in index order.
template <class Visit> void forEveryEvent(Recording& recording, Visit visit) {
    recording.rewind();
    forEachEvent(recording, 0, UINT32_MAX, true, visit);
}

} // namespace kavrin::cli
