#pragma once

#include "recorder/RecorderShared.h"

#include <array>
#include <atomic>
#include <cstdint>

namespace kavrin {

class RecordingFile;
class StreamBuffer;
class TargetChannel;

// The live recording's byte source for the decoder: hands out the bytes of the last channel
// read one by one, keeps every byte received in the stream buffer and writes the buffer to
// the recording file in pieces of at least FlushSize bytes.
//
// readByte waits while the channel is silent, but not past a quit command: then, and when
// the channel read fails or memory for the stream runs out, the source stops. A byte asked
// for after that is reported by overrun(), and the decoder drops the packet it was reading.
class ChannelReader {
public:
    static constexpr uint32_t BlockSize = 32768;
    static constexpr uint32_t FlushSize = 20480;
    enum class Stop { None, ChannelFailed, OutOfMemory, Quit };

    ChannelReader(TargetChannel& channel, StreamBuffer& stream, RecordingFile& file,
                  const RecorderShared& shared);

    // 1 when a byte waits, 0 when the channel stayed silent (or a command is waiting), -1
    // once the source has stopped.
    int32_t hasData() {
        if (position_ < length_)
            return 1;
        if (stop_ != Stop::None || !refill(true))
            return -1;
        return position_ < length_ ? 1 : 0;
    }
    uint8_t readByte() {
        if (position_ < length_) [[likely]]
            return block_[position_++];
        return waitForByte();
    }
    // Stream offset of the next byte, which is also its offset in the recording file.
    uint32_t position() const;
    // What is left of the last channel read, for the decoder's whole-packet reads.
    const uint8_t* contiguousData() const { return block_.data() + position_; }
    size_t contiguousSize() const { return length_ - position_; }
    void skip(uint32_t n) { position_ += n; }
    // A byte was asked for after the source stopped.
    bool overrun() const { return overrun_; }
    Stop stop() const { return stop_; }
    // Bytes received so far; readable from any thread.
    uint64_t received() const { return received_.load(std::memory_order_relaxed); }

    // No more channel reads: what is left of the last read can still be decoded, then the
    // source has ended.
    void endInput() { stop_ = Stop::Quit; }
    // Writes the bytes not yet in the recording file.
    void flush();
    // Forgets the block, the flushed count and a stop (part of the reset of all data).
    void clear();

private:
    // False when the source stopped.
    bool refill(bool betweenPackets);
    uint8_t waitForByte();
    bool keep(uint32_t count);

    TargetChannel& channel_;
    StreamBuffer& stream_;
    RecordingFile& file_;
    const RecorderShared& shared_;
    std::array<uint8_t, BlockSize> block_;
    uint32_t length_ = 0;
    uint32_t position_ = 0;
    uint32_t flushed_ = 0;
    Stop stop_ = Stop::None;
    bool overrun_ = false;
    std::atomic<uint64_t> received_{0};
};

} // namespace kavrin
