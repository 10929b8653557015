#pragma once

#include <cstdint>

namespace kavrin {

class EventStore;

// The Go commands over the rows of the event list (filter applied). Each returns the row to
// select, or NoRow when there is nothing to go to.
inline constexpr int NoRow = -1;

// next() / contextnext(): the first later row with the same event id (and context).
int nextSameEvent(EventStore& store, int row, bool sameContext);
// previous() / contextprevious(): the same search backwards from the row before.
int previousSameEvent(EventStore& store, int row, bool sameContext);
// forward(): the first later row whose context after differs (the next context change).
int nextContextChange(EventStore& store, int row);
// back(): the earliest row of the run of equal contexts-after that ends at the row before.
int previousContextRun(EventStore& store, int row);
// Lane arrows: the start of `context`'s next (or previous) run after (before) `row`, i.e. an
// event after which the context becomes active.
int contextRunStart(EventStore& store, int row, uint32_t context, bool later);

} // namespace kavrin
