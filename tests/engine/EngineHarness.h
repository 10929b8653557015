#pragma once

#include "engine/RecordingEngine.h"
#include "target/StreamWriter.h"

#include <vector>

namespace kavrin::test {

// Decodes a whole stream into the engine's staging buffer; returns the last decode result.
inline int32_t decodeAll(RecordingEngine& engine, const std::vector<uint8_t>& bytes,
                         uint32_t batch = 1'000'000) {
    MemorySource source(bytes.data(), bytes.size());
    int32_t result;
    do {
        result = engine.decoder.decodePackets(source, batch);
    } while (result > 0 || result == DecodeUnsynchronised);
    return result;
}

// A fresh engine that has decoded and stored the whole stream.
struct LoadedEngine {
    explicit LoadedEngine(const StreamWriter& writer) {
        engine.registerBuiltInContexts();
        lastResult = decodeAll(engine, writer.bytes());
        engine.dataProcess(engine.staging.count());
    }
    const EventRecord& record(uint32_t index) {
        for (EventNode* node = engine.store.first(); node; node = node->next)
            if (node->record.index == index)
                return node->record;
        static const EventRecord none;
        return none;
    }
    RecordingEngine engine;
    int32_t lastResult = 0;
};

} // namespace kavrin::test
