// Arbitrary bytes as an event stream: framing, both passes, the window dropping its front, a
// step back to a checkpoint and a step forward again must neither crash nor leak.
#include "engine/RecordingEngine.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

using namespace kavrin;

namespace {

// At most `count` records; a stream that is not yet synchronised is read on.
int32_t decodeSome(RecordingEngine& engine, MemorySource& source, uint32_t count) {
    int32_t result;
    do {
        result = engine.decoder.decodePackets(source, count);
    } while (result == DecodeUnsynchronised);
    return result;
}

// Decodes up to `count` events and processes them in live slices; a slice that drops the
// window's front ends there, so slices are run until none is left.
void load(RecordingEngine& engine, MemorySource& source, uint32_t count) {
    for (;;) {
        const int32_t result = decodeSome(engine, source, std::min(count, 64u));
        while (engine.liveSlice(std::chrono::milliseconds(1000)).processed != 0) {
        }
        if (result <= 0 || uint32_t(result) >= count)
            return;
        count -= uint32_t(result);
    }
}

// A pass over `count` events from event `first`, as the loader runs it: one that starts at a
// checkpoint continues from its stream position and context state.
void pass(RecordingEngine& engine, std::span<const uint8_t> stream, MemorySource& source,
          uint32_t first, uint32_t count) {
    if (const Checkpoint* checkpoint = engine.checkpoints.find(first)) {
        const size_t position = std::min<size_t>(checkpoint->record.streamPosition, stream.size());
        source =
            MemorySource(stream.data() + position, stream.size() - position, uint32_t(position));
        engine.tracker.restore(checkpoint->state);
    }
    load(engine, source, count);
}

// Back by one step, as the window steps back (reloaded from the checkpoint a step before its
// start, up to a step before its end), then forward by a step again.
void stepBackAndForth(RecordingEngine& engine, std::span<const uint8_t> stream,
                      MemorySource& source) {
    const uint32_t step = engine.window.step;
    if (!engine.store.first() || engine.store.first()->record.index < step)
        return;
    const uint32_t start = (engine.store.first()->record.index - step) / step * step;
    const uint32_t end = std::max(engine.nextIndex - step, start + 1);
    if (!engine.restartWindowAt(start))
        return;
    pass(engine, stream, source, start, std::min(engine.window.size - 1, end - start));
    engine.staging.restartAt(engine.nextIndex);
    pass(engine, stream, source, engine.nextIndex, step);
}

void visitRows(EventStore& store) {
    for (uint32_t row = 0; row < store.rowCount(); row += 7)
        store.nodeAt(row);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One engine for every input, reset as opening a new file resets it: its buffers are
    // allocated once.
    static RecordingEngine engine;
    engine.resetAll();
    engine.window = {128, 32};       // short streams move the window too
    engine.overview.setBinCount(64); // cheap per input, and merges come sooner
    engine.registerBuiltInContexts();

    // Analysis pass; records staged before a bad packet are analysed too.
    MemorySource first(data, size);
    for (uint32_t next = 0;;) {
        const int32_t result = decodeSome(engine, first, 64);
        if (const uint32_t end = engine.staging.base() + engine.staging.count(); end > next) {
            engine.analyse(next, end - 1);
            next = end;
        }
        if (result <= 0)
            break;
    }
    engine.finishAnalysisPass();

    // Load pass from the start; the small window drops its front, with a filter active.
    engine.store.setClassShown(EventClass::Api, false);
    engine.store.rebuildFilter();
    engine.decoder.reset();
    engine.restartForLoadPass();
    MemorySource second(data, size);
    load(engine, second, ~0u);
    stepBackAndForth(engine, {data, size}, second);

    visitRows(engine.store);
    engine.store.setClassShown(EventClass::Api, true);
    engine.store.rebuildFilter();
    visitRows(engine.store);
    if (engine.lastNode)
        engine.store.nodeAtTime(engine.lastNode->record.timestamp / 2);
    engine.contextList.rebuild(engine.tracker);
    for (uint32_t id : engine.contextList.rows())
        (void)engine.tracker.contextName(id);
    return 0;
}
