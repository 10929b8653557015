#include "engine/RecordingEngine.h"

#include <algorithm>
#include <memory>

namespace kavrin {
namespace {

constexpr uint32_t IdleColourCode = 0xF1A;
constexpr uint32_t IdleDisplayValue = 26;
constexpr uint32_t SchedulerColourCode = 0xF0F;
constexpr uint32_t SchedulerDisplayValue = 15;
// The clock is read once per this many events of a live slice.
constexpr uint32_t BudgetCheckInterval = 64;

} // namespace

RecordingEngine::RecordingEngine() {
    store.beforeDrop = [this](EventNode* firstKept) {
        const uint32_t keptIndex = firstKept ? firstKept->record.index : nextIndex;
        tracker.releaseNodesBefore(keptIndex);
        if (callbacks.nodesDropping)
            callbacks.nodesDropping(firstKept);
        firstNode = firstKept;
        if (!firstKept)
            lastNode = nullptr;
    };
}

void RecordingEngine::resetAll() {
    decoder.reset();
    staging.trim();
    store.clear();
    checkpoints.clear();
    tracker.reset();
    statistics.clear();
    contextList.clear(tracker);
    contextList.reversePriority = false;
    overview.clear();
    nextIndex = 0;
    firstIndex = 0;
    lastTimestamp = 0;
    processedCount = 0;
    largestProcessedCount = 0;
    countedEnd = 0;
    firstNode = nullptr;
    lastNode = nullptr;
    lastRecordTime = 0;
}

void RecordingEngine::registerBuiltInContexts() {
    auto builtIn = [this](uint32_t id, ContextKind kind, const char* name, uint32_t displayValue,
                          uint32_t colourCode) {
        ContextInfo& info = tracker.contexts[id];
        info.id = id;
        info.kind = kind;
        info.name = name;
        info.hasName = true;
        info.displayValue = displayValue;
        info.colourCode = colourCode;
    };
    builtIn(IdleContext, IdleKind, "Idle", IdleDisplayValue, IdleColourCode);
    builtIn(SchedulerContext, SchedulerKind, "Scheduler", SchedulerDisplayValue,
            SchedulerColourCode);
    contextList.rebuild(tracker);
}

bool RecordingEngine::takeCheckpointRecord(uint32_t index, EventRecord& out) {
    const Checkpoint* checkpoint = checkpoints.find(index);
    if (checkpoint)
        out = checkpoint->record; // borrowed from the checkpoint, as from the staging buffer
    return checkpoint != nullptr;
}

void RecordingEngine::appendInterpreted(const EventRecord& record, PassKind pass) {
    EventNode* node = store.makeNode(record);
    if (lastNode && lastNode->record.index > record.index) {
        store.insertBefore(node);
        if (!firstNode || record.index < firstNode->record.index)
            firstNode = node;
    } else {
        lastNode = node;
        if (!firstNode)
            firstNode = node;
        store.append(node);
    }
    if (record.id == LogOutputEvent && callbacks.logOutputStored)
        callbacks.logOutputStored(node);
    if (pass != PassKind::Replay)
        statistics.closeIntervalIfDue(record, tracker);
    if (const uint32_t frequency = tracker.timestampFrequency; frequency != 0)
        store.indexTime(record.timestamp, frequency, node);
}

void RecordingEngine::checkpointIfDue(const EventRecord& record) {
    if (!checkpoints.has(record.index))
        checkpoints.take(record, tracker.snapshot(),
                         record.index == 0 ? record.timestamp : lastRecordTime);
}

void RecordingEngine::processEvent(EventRecord& record, bool atStep) {
    if (atStep)
        checkpointIfDue(record);
    lastRecordTime = record.timestamp;
    // Events before `countedEnd` were counted when the window first held them.
    const PassKind pass = record.index < countedEnd ? PassKind::Replay : PassKind::Load;
    countedEnd = std::max(countedEnd, record.index + 1);
    largestProcessedCount = std::max(largestProcessedCount, countedEnd); // live: events so far
    if (record.id == SyncEvent) {
        processedCount = record.index + 1;
        largestProcessedCount = std::max(largestProcessedCount, processedCount);
        return;
    }
    tracker.interpret(record, pass);
    if (keepOverview)
        overview.add(record); // only events past those of the analysis pass count
    // A Log Output's payload is now its formatted text, a heap block of the tracker's making.
    const std::unique_ptr<uint8_t, FreeBlock> formattedLog(
        record.id == LogOutputEvent ? record.payload : nullptr);
    lastTimestamp = std::max(lastTimestamp, record.timestamp); // a live recording's uptime
    if (record.id == OverflowEvent && lastNode)
        lastNode->record.contextAfter = IdleContext; // Idle is the fall-back after an overflow
    appendInterpreted(record, pass);                 // the store copies text and payload
    tracker.accountSwitch(record, pass);
    tracker.linkSpans(record, lastNode);
    if (record.id == IsrEnterEvent && record.context != IdleContext)
        tracker.contexts[record.context].priority = InterruptPriority;
}

bool RecordingEngine::processNext(SliceResult& result) {
    EventRecord record;
    const bool atStep = nextIndex % window.step == 0;
    if (!takeRecord(nextIndex, atStep, record))
        return false;
    processEvent(record, atStep); // borrows the staged blocks; the store keeps copies
    if (dropDue()) {
        firstIndex += store.dropFront(window.step);
        result.dropped = true;
    }
    staging.consumed(nextIndex);
    ++nextIndex;
    ++result.processed;
    return true;
}

void RecordingEngine::announce(const SliceResult& result, uint32_t rowsBefore) {
    if (result.processed == 0)
        return;
    if (result.dropped) {
        store.renumber();
        if (callbacks.fullRepaint)
            callbacks.fullRepaint();
    } else if (callbacks.rowsAppended && store.rowCount() > rowsBefore) {
        callbacks.rowsAppended(rowsBefore, store.rowCount() - 1);
    }
}

// Dropping the front of the window costs a good part of a slice, so a drop begins a slice of
// its own and ends it: no slice does both a drop and a budget's worth of events.
SliceResult RecordingEngine::liveSlice(std::chrono::milliseconds budget) {
    const auto deadline = std::chrono::steady_clock::now() + budget;
    const uint32_t rowsBefore = store.rowCount();
    SliceResult result;
    while (!(result.processed != 0 && dropDue()) && processNext(result) && !result.dropped) {
        if (result.processed % BudgetCheckInterval == 0 &&
            std::chrono::steady_clock::now() >= deadline) {
            result.budgetExpired = true;
            break;
        }
    }
    announce(result, rowsBefore);
    return result;
}

SliceResult RecordingEngine::dataProcess(uint32_t count) {
    const uint32_t rowsBefore = store.rowCount();
    SliceResult result;
    while (result.processed < count && processNext(result)) {
    }
    announce(result, rowsBefore);
    return result;
}

void RecordingEngine::analyse(uint32_t first, uint32_t last) {
    if (!keepOverview)
        return analyseRange<false>(first, last);
    // Events the summary holds already (a pass over them again) go through without it.
    const uint32_t fresh = std::max(first, overview.nextIndex());
    if (first < fresh)
        analyseRange<false>(first, std::min(last, fresh - 1));
    if (fresh <= last)
        analyseRange<true>(fresh, last);
}

// The loop is made once with the summary and once without, so that neither pays for the test.
template <bool WithOverview> void RecordingEngine::analyseRange(uint32_t first, uint32_t last) {
    EventRecord stepRecord;
    OverviewCursor cursor = overview.startFeed(tracker.activity);
    // The next index at a window step, counted instead of divided for every event.
    uint64_t step = (uint64_t(first) + window.step - 1) / window.step * window.step;
    // The engine's running figures, kept in registers and stored once the range is done.
    uint64_t recordTime = lastRecordTime;
    uint64_t interpretedTime = lastTimestamp;
    // Each record is read once: it is interpreted where it was staged.
    const uint32_t end = staging.visitStaged(first, last, [&](EventRecord& staged, uint32_t index) {
        EventRecord* current = &staged;
        // Checkpoints all through the file let the window move anywhere without decoding what
        // lies before. The load pass takes the first one: it starts where the file does.
        if (index == step) {
            step += window.step;
            if (takeCheckpointRecord(index, stepRecord))
                current = &stepRecord;
            lastRecordTime = recordTime;
            if (index != 0)
                checkpointIfDue(*current);
        }
        EventRecord& record = *current;
        recordTime = record.timestamp;
        if (record.id != SyncEvent) {
            tracker.interpret(record, PassKind::Analysis);
            if constexpr (WithOverview)
                overview.feed(record, cursor, tracker.activity);
            statistics.closeIntervalIfDue(record, tracker);
            interpretedTime = record.timestamp;
            // Most events switch nothing: the summary follows a switch in the tracker's branch.
            if (record.contextBefore != record.contextAfter) {
                tracker.accountSwitch(record, PassKind::Analysis);
                if constexpr (WithOverview)
                    overview.followSwitch(record.contextAfter, cursor);
            }
            if (record.id == IsrEnterEvent && record.context != IdleContext)
                tracker.contexts[record.context].priority = InterruptPriority;
        } else if constexpr (WithOverview) {
            overview.skip(index, cursor, tracker.activity);
        }
    });
    lastRecordTime = recordTime;
    lastTimestamp = interpretedTime;
    if (end > first) {
        processedCount = end;
        largestProcessedCount = std::max(largestProcessedCount, processedCount);
        staging.consumed(end - 1);
    }
    if constexpr (WithOverview)
        overview.finishFeed(cursor, tracker.activity, end);
}

void RecordingEngine::restartForLoadPass() {
    tracker.restartRunState();
    statistics.restartIntervals();
    lastRecordTime = 0;
    countedEnd = 0;
}

bool RecordingEngine::restartWindowAt(uint32_t index) {
    if (!checkpoints.find(index))
        return false;
    if (callbacks.nodesDropping)
        callbacks.nodesDropping(nullptr);
    tracker.clearNodeReferences();
    store.clear();
    firstNode = nullptr;
    lastNode = nullptr;
    firstIndex = index;
    nextIndex = index;
    return resumeAtCheckpoint(index);
}

void RecordingEngine::finishAnalysisPass() {
    tracker.returnToIdle();
    statistics.resetStats(tracker);
    contextList.rebuild(tracker);
}

bool RecordingEngine::resumeAtCheckpoint(uint32_t index) {
    const Checkpoint* checkpoint = checkpoints.find(index);
    if (!checkpoint)
        return false;
    staging.restartAt(index);
    decoder.setRunningTime(checkpoint->lastTime);
    lastRecordTime = checkpoint->lastTime;
    return true;
}

} // namespace kavrin
