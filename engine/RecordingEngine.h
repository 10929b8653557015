#pragma once

#include "engine/Checkpoints.h"
#include "engine/ContextList.h"
#include "engine/ContextTracker.h"
#include "engine/EventStore.h"
#include "engine/OverviewSummary.h"
#include "engine/StagingBuffer.h"
#include "engine/Statistics.h"
#include "engine/StreamDecoder.h"

#include <chrono>
#include <cstdint>
#include <functional>

namespace kavrin {

// How many events the window holds, and by how many it moves; checkpoints are spaced by the
// step. Tests and fuzzers use small ones so that short streams move the window.
struct WindowGeometry {
    uint32_t size = 1'000'000;
    uint32_t step = 100'000;
};

// What the views are told after the driver ran.
struct EngineCallbacks {
    // Rows first..last (inclusive) were appended at the end of the list.
    std::function<void(uint32_t firstRow, uint32_t lastRow)> rowsAppended;
    // Events were dropped from the front or inserted in front: repaint everything.
    std::function<void()> fullRepaint;
    // A Log Output event was stored (for the terminal).
    std::function<void(EventNode* node)> logOutputStored;
    // Nodes before `firstKept` are about to be freed (null: all of them).
    std::function<void(EventNode* firstKept)> nodesDropping;
};

// Outcome of one live slice.
struct SliceResult {
    uint32_t processed = 0;
    bool dropped = false;
    bool budgetExpired = false;
};

// Owns the decoder, staging buffer, store, tracker and statistics of one recording, and
// moves records from staging through the tracker into the store.
class RecordingEngine {
public:
    RecordingEngine();
    RecordingEngine(const RecordingEngine&) = delete;
    RecordingEngine& operator=(const RecordingEngine&) = delete;

    // Clears all data: decoder, staging, store, checkpoints, tracker, statistics, list.
    void resetAll();
    // Idle and Scheduler, registered after a reset before the first event is processed.
    void registerBuiltInContexts();

    // Live slice: processes staged records until none is left or the budget is spent; a slice
    // that drops the window's front ends after the drop (call again for the rest).
    SliceResult liveSlice(std::chrono::milliseconds budget);
    // Processes up to `count` staged records; returns how many, and whether any dropped.
    SliceResult dataProcess(uint32_t count);
    // Analysis pass over staged records first..last: interpret and measure, store nothing.
    void analyse(uint32_t first, uint32_t last);

    // Prepares a load pass of a file that was analysed: run state back to before event 0.
    void restartForLoadPass();
    // Decoding resumes at checkpoint `index`, with its time; false if there is none.
    bool resumeAtCheckpoint(uint32_t index);
    // Empties the window so that the next event processed is `index`, and resumes decoding
    // at its checkpoint; false (nothing changed) if there is none.
    bool restartWindowAt(uint32_t index);
    // After an analysis pass: the running context back to Idle and the statistics cleared,
    // ready for the load pass.
    void finishAnalysisPass();

    StagingBuffer staging;
    StreamDecoder decoder{staging};
    EventStore store;
    Checkpoints checkpoints;
    ContextTracker tracker;
    Statistics statistics;
    ContextList contextList;
    EngineCallbacks callbacks;
    WindowGeometry window;
    // The whole recording at a glance, filled by the analysis pass or while recording.
    OverviewSummary overview;
    bool keepOverview = true;

    uint32_t nextIndex = 0;
    uint32_t firstIndex = 0;
    uint64_t lastTimestamp = 0; // newest event interpreted: the uptime the recording reached
    uint32_t processedCount = 0;
    uint32_t largestProcessedCount = 0; // what "Events/Count" shows: it never goes down
    // Events below this index have been counted in the statistics; a window reloaded over
    // them replays them without counting.
    uint32_t countedEnd = 0;
    EventNode* firstNode = nullptr;
    EventNode* lastNode = nullptr;
    // Timestamp of the record processed last, Sync records included.
    uint64_t lastRecordTime = 0;

private:
    // A record at a window step (`atStep`) comes from its checkpoint if there is one.
    bool takeRecord(uint32_t index, bool atStep, EventRecord& out) {
        if (staging.copyOut(index, out) != 0)
            return false;
        if (atStep)
            takeCheckpointRecord(index, out);
        return true;
    }
    // Copies the record of the checkpoint at `index`, if there is one.
    bool takeCheckpointRecord(uint32_t index, EventRecord& out);
    // At a window step: where decoding can resume, and with which tracker state.
    void checkpointIfDue(const EventRecord& record);
    // Interprets the record in place and stores a copy of it, text and payload included;
    // `atStep`: the record's index is at a window step.
    void processEvent(EventRecord& record, bool atStep);
    void appendInterpreted(const EventRecord& record, PassKind pass);
    bool processNext(SliceResult& result);
    template <bool WithOverview> void analyseRange(uint32_t first, uint32_t last);
    // Processing the event at nextIndex fills the window: the oldest events go.
    bool dropDue() const { return nextIndex - firstIndex >= window.size - 1; }
    void announce(const SliceResult& result, uint32_t rowsBefore);
};

} // namespace kavrin
