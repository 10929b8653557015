// Arbitrary bytes as an event stream: framing, both passes, and the window moving back to a
// checkpoint must neither crash nor leak.
#include "engine/RecordingEngine.h"

#include <cstddef>
#include <cstdint>

namespace {

int32_t decodeSome(kavrin::RecordingEngine& engine, kavrin::MemorySource& source) {
    int32_t result;
    do {
        result = engine.decoder.decodePackets(source, 64);
    } while (result == kavrin::DecodeUnsynchronised);
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kavrin;
    RecordingEngine engine;
    engine.window = {512, 64}; // short streams move the window too
    engine.registerBuiltInContexts();

    // Analysis pass.
    MemorySource first(data, size);
    uint32_t next = 0;
    while (decodeSome(engine, first) > 0) {
        const uint32_t end = engine.staging.base() + engine.staging.count();
        engine.analyse(next, end - 1);
        next = end;
    }
    engine.statistics.resetStats(engine.tracker);
    engine.contextList.rebuild(engine.tracker);

    // Load pass from the start; the small window drops its front.
    engine.restartForLoadPass();
    engine.decoder.reset();
    MemorySource second(data, size);
    while (decodeSome(engine, second) > 0)
        while (engine.liveSlice(std::chrono::milliseconds(1000)).processed != 0) {
        }
    engine.store.setClassShown(EventClass::Api, false);
    engine.store.rebuildFilter();
    for (uint32_t row = 0; row < engine.store.rowCount(); row += 7)
        engine.store.nodeAt(row);
    if (engine.lastNode)
        engine.store.nodeAtTime(engine.lastNode->record.timestamp / 2);
    engine.contextList.rebuild(engine.tracker);
    for (uint32_t id : engine.contextList.rows())
        (void)engine.tracker.contextName(id);
    return 0;
}
