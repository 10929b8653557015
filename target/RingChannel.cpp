#include "target/RingChannel.h"

#include "target/ControlBlock.h"

#include <algorithm>

namespace kavrin {

bool RingChannel::load(State& state) {
    uint32_t fields[6];
    if (!memory_.read(descriptor_, fields, sizeof fields))
        return false;
    state.buffer = fields[ztx::BufferField / 4];
    state.size = fields[ztx::SizeField / 4];
    state.writeOffset = fields[ztx::WriteOffsetField / 4];
    state.readOffset = fields[ztx::ReadOffsetField / 4];
    return state.buffer != 0 && state.size >= 2 && state.writeOffset < state.size &&
           state.readOffset < state.size;
}

int64_t RingChannel::freeSpace() {
    State state;
    return load(state) ? int64_t(state.size) - 1 - state.used() : -1;
}

int64_t RingChannel::used() {
    State state;
    return load(state) ? int64_t(state.used()) : -1;
}

int32_t RingChannel::produce(const uint8_t* data, uint32_t size) {
    State state;
    if (!load(state))
        return -1;
    const uint32_t count = std::min(size, state.size - 1 - state.used());
    // At most two pieces: up to the end of the buffer, then from its start.
    const uint32_t first = std::min(count, state.size - state.writeOffset);
    if (!memory_.write(state.buffer + state.writeOffset, data, first) ||
        !memory_.write(state.buffer, data + first, count - first))
        return -1;
    const auto writeOffset = uint32_t((uint64_t(state.writeOffset) + count) % state.size);
    if (!memory_.writeWord(descriptor_ + ztx::WriteOffsetField, writeOffset))
        return -1;
    return int32_t(count);
}

int32_t RingChannel::discard(uint32_t size) {
    State state;
    if (!load(state))
        return -1;
    const uint32_t count = std::min(size, state.used());
    const auto readOffset = uint32_t((uint64_t(state.readOffset) + count) % state.size);
    if (!memory_.writeWord(descriptor_ + ztx::ReadOffsetField, readOffset))
        return -1;
    return int32_t(count);
}

int32_t RingChannel::consume(uint8_t* out, uint32_t capacity) {
    State state;
    if (!load(state))
        return -1;
    const uint32_t count = std::min(capacity, state.used());
    const uint32_t first = std::min(count, state.size - state.readOffset);
    if (!memory_.read(state.buffer + state.readOffset, out, first) ||
        !memory_.read(state.buffer, out + first, count - first))
        return -1;
    const auto readOffset = uint32_t((uint64_t(state.readOffset) + count) % state.size);
    if (!memory_.writeWord(descriptor_ + ztx::ReadOffsetField, readOffset))
        return -1;
    return int32_t(count);
}

} // namespace kavrin
