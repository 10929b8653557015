#pragma once

#include "engine/ByteSource.h"
#include "engine/EventRecord.h"
#include "engine/StagingBuffer.h"

#include <cstdint>

namespace kavrin {

// Results of decodePackets besides a positive record count.
enum DecodeResult : int32_t {
    DecodeNoData = 0,
    DecodeInvalidPacket = -2,
    DecodeIncompletePacket = -3,
    DecodeUnsynchronised = -10,
};

inline constexpr uint32_t MaxPacketString = 4095;
inline constexpr uint32_t MaxLenPayload = 2048;
inline constexpr uint32_t MaxEndCount = 10;

// Frames the target's byte stream into records in the staging buffer and keeps the time.
// It owns whole cache lines: it may run on another thread than the one reading its records.
class alignas(64) StreamDecoder {
public:
    explicit StreamDecoder(StagingBuffer& staging) : staging_(staging) {}
    StagingBuffer& staging() { return staging_; }

    // Decodes up to maxRecords packets; see DecodeResult for what a non-positive result means.
    template <ByteSource S> int32_t decodePackets(S& source, uint32_t maxRecords);

    // Clears all decoder state and empties the staging buffer, whose memory is kept for the
    // next pass.
    void reset();

    uint64_t targetTimeBase() const { return timeBase_; }
    uint64_t runningTime() const { return runningTime_; }
    // Resuming at a checkpoint or after the window continues from that time.
    void setRunningTime(uint64_t ticks) { runningTime_ = ticks; }
    bool synchronised() const { return synchronised_; }
    // Resuming mid-recording: packets are taken without waiting for a Start packet.
    void setSynchronised(bool synchronised) { synchronised_ = synchronised; }
    uint32_t timestampFrequency() const { return timestampFrequency_; }
    // Stream offset of the packet the last call stopped in (where an error was met).
    uint32_t lastPacketPosition() const { return lastPacketPosition_; }
    // Records staged by the last call, also when it ended with an error.
    uint32_t decodedInLastCall() const { return decodedInLastCall_; }

private:
    // decodeOne's answer when a packet does not fit the bytes in memory.
    static constexpr int32_t NeedsCheckedRead = -100;

    template <ByteSource S> int32_t decodePacket(S& source, EventRecord& out);
    // Inline where the cursor over memory reads the packet, so that its position stays in a
    // register; the source's own checked reads, the rare case, are a call.
    template <ByteSource S> int32_t decodeOne(S& source, EventRecord& out);
    template <ByteSource S> int32_t decodeChecked(S& source, EventRecord& out);
    void rebase(uint64_t ticks, uint64_t now);

    StagingBuffer& staging_;
    uint64_t runningTime_ = 0;
    uint64_t timeBase_ = 0;
    uint32_t timestampFrequency_ = 0;
    bool synchronised_ = false;
    uint32_t lastPacketPosition_ = 0;
    uint32_t decodedInLastCall_ = 0;
    uint32_t nextIndex_ = 0; // index of the record being decoded
    // Scratch for a packet's string and payload so that events without them allocate nothing.
    char text_[MaxPacketString + 1];
    uint8_t payload_[MaxLenPayload];
};

} // namespace kavrin

#include "engine/StreamDecoderImpl.h"
