#include "engine/StreamDecoder.h"

namespace kavrin {

void StreamDecoder::reset() {
    runningTime_ = 0;
    timeBase_ = 0;
    timestampFrequency_ = 0;
    synchronised_ = false;
    lastPacketPosition_ = 0;
    decodedInLastCall_ = 0;
    staging_.restartAt(0);
}

// The first absolute target time moves every record not yet processed onto the target's
// own time line, keeping their distances to the packet that brought it.
void StreamDecoder::rebase(uint64_t ticks, uint64_t now) {
    staging_.forEachPendingNewestFirst([ticks, now](EventRecord& record) {
        const uint64_t age = now - record.timestamp;
        record.timestamp = age > ticks ? 0 : ticks - age;
    });
    runningTime_ = ticks;
    timeBase_ = ticks;
}

} // namespace kavrin
