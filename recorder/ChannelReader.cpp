#include "recorder/ChannelReader.h"

#include "recorder/RecordingFile.h"
#include "recorder/StreamBuffer.h"
#include "recorder/TargetChannel.h"

#include <QThread>

namespace kavrin {

namespace {
// A silent channel is polled this often, 1 ms apart, before the recorder loop goes on.
constexpr int SilentPolls = 100;
constexpr unsigned long PollMillis = 1;
} // namespace

ChannelReader::ChannelReader(TargetChannel& channel, StreamBuffer& stream, RecordingFile& file,
                             const RecorderShared& shared)
    : channel_(channel), stream_(stream), file_(file), shared_(shared) {}

uint32_t ChannelReader::position() const {
    return stream_.size() - length_ + position_;
}

void ChannelReader::clear() {
    length_ = 0;
    position_ = 0;
    flushed_ = 0;
    stop_ = Stop::None;
    overrun_ = false;
    received_ = 0;
}

bool ChannelReader::refill(bool betweenPackets) {
    position_ = 0;
    length_ = 0;
    int32_t result = 0;
    // A waiting command ends the polling early so that it is acted on at once; inside a
    // packet only a quit can be.
    const auto commandWaits = [&] {
        const int32_t command = shared_.pendingCommand.load(std::memory_order_relaxed);
        return command == QuitCommand || (betweenPackets && command != NoCommand);
    };
    for (int poll = 0; poll < SilentPolls; ++poll) {
        result = channel_.readLive(block_.data(), BlockSize);
        if (result != 0 || commandWaits())
            break;
        QThread::msleep(PollMillis);
    }
    // A library that claims more than the block holds is failing too.
    if (result < 0 || uint32_t(result) > BlockSize) {
        stop_ = Stop::ChannelFailed;
        return false;
    }
    return keep(uint32_t(result));
}

bool ChannelReader::keep(uint32_t count) {
    if (count == 0)
        return true;
    received_.store(received_.load(std::memory_order_relaxed) + count, std::memory_order_relaxed);
    if (!stream_.append(block_.data(), count)) {
        // Out of memory: the recording file still gets every byte received.
        flush();
        file_.write(block_.data(), count);
        stop_ = Stop::OutOfMemory;
        return false;
    }
    length_ = count;
    if (stream_.size() - flushed_ >= FlushSize)
        flush();
    return true;
}

uint8_t ChannelReader::waitForByte() {
    // Inside a packet: wait for the rest of it, unless the GUI asks the thread to quit.
    while (stop_ == Stop::None && refill(false)) {
        if (position_ < length_)
            return block_[position_++];
        if (shared_.pendingCommand.load(std::memory_order_relaxed) == QuitCommand)
            stop_ = Stop::Quit;
    }
    overrun_ = true;
    return 0;
}

void ChannelReader::flush() {
    file_.write(stream_.data() + flushed_, stream_.size() - flushed_);
    flushed_ = stream_.size();
}

} // namespace kavrin
