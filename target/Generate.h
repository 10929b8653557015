#pragma once

#include "target/FirmwareModel.h"

#include <cstdint>
#include <limits>

namespace kavrin {

// Runs `model` for a recording of exactly `events` packets (at least 2): Start first, Stop
// last, the host's periodic requests answered in between. Whenever `out` holds `flushSize`
// bytes or more, and once at the end, `flush(out)` is called; it returns false to give up
// (for example on a write error), and then so does this.
template <class Flush>
bool generateRecording(FirmwareModel& model, uint64_t events, StreamWriter& out, size_t flushSize,
                       Flush&& flush) {
    model.setHostRequests(true);
    model.setPacketLimit(events - 1); // the last one is the Stop packet
    model.startRecording(out);
    while (!model.limitReached()) {
        model.step(out);
        if (out.size() >= flushSize && !flush(out))
            return false;
    }
    model.setPacketLimit(events);
    model.stopRecording(out);
    return flush(out);
}

// The whole recording in `out`.
inline void generateRecording(FirmwareModel& model, uint64_t events, StreamWriter& out) {
    generateRecording(model, events, out, std::numeric_limits<size_t>::max(),
                      [](StreamWriter&) { return true; });
}

} // namespace kavrin
