#pragma once

#include "engine/ContextTracker.h"
#include "engine/EventStore.h"
#include "presentation/Presentation.h"

#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <vector>

// Readable failure messages for texts.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace kavrin::test {

// Varints as the stream encodes them.
inline std::vector<uint8_t> varints(std::initializer_list<uint32_t> values) {
    std::vector<uint8_t> bytes;
    for (uint32_t value : values) {
        while (value >= 0x80) {
            bytes.push_back(uint8_t(value | 0x80));
            value >>= 7;
        }
        bytes.push_back(uint8_t(value));
    }
    return bytes;
}

// An event node over a payload the test owns; the node does not free it.
struct TestEvent {
    explicit TestEvent(uint32_t id, std::vector<uint8_t> bytes = {}) : payload(std::move(bytes)) {
        node.record.id = id;
        setPayload();
    }
    void setPayload() {
        EventRecord& record = node.record;
        record.payload = payload.empty() ? nullptr : payload.data();
        record.payloadSize = uint32_t(payload.size());
        record.param1 = record.payloadSize;
    }
    EventRecord& record() { return node.record; }

    std::vector<uint8_t> payload;
    EventNode node;
};

// A tracker and presentation at 1 GHz, so that ticks read as nanoseconds.
struct TextFixture {
    TextFixture() {
        presentation.timeBase.setFrequency(1'000'000'000);
        ContextInfo& worker = tracker.contexts[7];
        worker.name = "Worker";
        worker.hasName = true;
        tracker.isrs.registerIsr(3);
    }
    EventTextSources sources() const { return presentation.textSources(tracker); }

    ContextTracker tracker;
    Presentation presentation;
};

} // namespace kavrin::test
