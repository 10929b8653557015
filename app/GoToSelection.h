#pragma once

#include <cstdint>

namespace kavrin {

class EventModel;

// The event list row that Go To selects; -1 when the list is empty. Past the last row, the
// last row is the nearest (filters may hide the events after it).
// For an event index: the first row whose event index is at least `index`.
int rowOfEventAtOrAfter(const EventModel& model, uint32_t index);
// For a timestamp: the row of an event at exactly that time; else of the two events around
// it the nearer one (the later one on a tie or when there is no earlier one).
int rowNearestTimestamp(const EventModel& model, uint64_t ticks);

} // namespace kavrin
