#include "engine/ContextList.h"

#include "engine/ContextTracker.h"
#include "engine/EventRecord.h"

#include <algorithm>

namespace kavrin {
namespace {

bool isInterrupt(const ContextInfo& info) {
    return !info.hasName && info.priority == InterruptPriority;
}

int64_t interruptKey(uint32_t id, const ContextTracker& tracker) {
    const IsrEntry* entry = tracker.isrs.find(id);
    return entry && entry->sortKey >= 0 ? entry->sortKey : int64_t(id) + 1000;
}

} // namespace

int ContextList::schedulerRow() const {
    auto found = std::find(rows_.begin(), rows_.end(), SchedulerContext);
    return found == rows_.end() ? -1 : int(found - rows_.begin());
}

void ContextList::insertAt(int row, uint32_t id, ContextTracker& tracker) {
    rows_.insert(rows_.begin() + row, id);
    tracker.contexts[id].listed = true;
    if (rowInserted)
        rowInserted(row);
}

bool ContextList::rebuild(ContextTracker& tracker) {
    bool inserted = false;
    for (uint32_t id : tracker.contexts.sortedIds()) {
        ContextInfo& info = tracker.contexts[id];
        if (info.listed)
            continue;
        const int scheduler = schedulerRow();
        int row;
        if (id == IdleContext) {
            row = 0;
        } else if (id == SchedulerContext) {
            row = int(rows_.size());
        } else if (scheduler < 0) {
            continue; // the timer and the tasks wait for the scheduler row
        } else if (id == TimerContext) {
            row = scheduler + 1;
        } else if (isInterrupt(info)) {
            const int64_t key = interruptKey(id, tracker);
            row = scheduler;
            for (int r = 0; r < scheduler; ++r) {
                const int64_t rowKey = interruptKey(rows_[size_t(r)], tracker);
                if (rowKey < key && !(key >= 1000 && rowKey < 1000)) {
                    row = r;
                    break;
                }
            }
        } else {
            int firstTask = scheduler + 1;
            if (firstTask < int(rows_.size()) && rows_[size_t(firstTask)] == TimerContext)
                ++firstTask;
            row = int(rows_.size());
            for (int r = firstTask; r < int(rows_.size()); ++r) {
                const int32_t other = tracker.contexts[rows_[size_t(r)]].priority;
                if (reversePriority ? other > info.priority : other < info.priority) {
                    row = r;
                    break;
                }
            }
        }
        insertAt(row, id, tracker);
        inserted = true;
    }
    return inserted;
}

void ContextList::clear(ContextTracker& tracker) {
    for (uint32_t id : rows_)
        if (ContextInfo* info = tracker.contexts.find(id))
            info->listed = false;
    rows_.clear();
}

void ContextList::resetToFixedEntries(ContextTracker& tracker) {
    clear(tracker);
    for (uint32_t id : {IdleContext, SchedulerContext})
        if (ContextInfo* info = tracker.contexts.find(id)) {
            rows_.push_back(id);
            info->listed = true;
        }
}

} // namespace kavrin
