#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace kavrin {

class ContextTracker;

// Row order of the contexts list: Idle first, interrupts by sort key, the scheduler and the
// timer, then the tasks by priority. The item model only presents it.
class ContextList {
public:
    // Inserts the contexts not yet listed at their place; returns whether any was inserted.
    bool rebuild(ContextTracker& tracker);
    // Back to no rows.
    void clear(ContextTracker& tracker);
    // Back to the fixed entries, Idle and Scheduler (when known).
    void resetToFixedEntries(ContextTracker& tracker);

    const std::vector<uint32_t>& rows() const { return rows_; }

    // Set by the module description option "ReversePriority": ascending task order.
    bool reversePriority = false;
    // Told about each insertion, with the new row.
    std::function<void(int row)> rowInserted;

private:
    int schedulerRow() const;
    void insertAt(int row, uint32_t id, ContextTracker& tracker);

    std::vector<uint32_t> rows_;
};

} // namespace kavrin
