#pragma once

#include "recorder/RecorderShared.h"

#include "engine/StreamDecoder.h"

#include <atomic>
#include <cstdint>
#include <thread>

namespace kavrin {

class ChannelReader;
class TargetChannel;

// How often the recorder asks the target for what keeps the host's picture complete, in
// seconds; taken when the thread is built. A period below 1 counts as 1.
struct RequestPeriods {
    int systemDescription = 5;
    int taskList = 30;
    int systemTime = 60;
    bool requestModules = true;
};

// Host-to-target command bytes besides start and stop.
enum TargetRequest : uint8_t {
    RequestSystemTime = 3,
    RequestTaskList = 4,
    RequestSystemDescription = 5,
    RequestModuleCount = 6,
    RequestBetweenDescriptions = 7,
};

// Codes a recorder thread ends with besides those of TargetChannel::openLiveChannel.
enum RecorderError : int32_t {
    ChannelReadFailed = -11,
    InvalidPacketReceived = -12,
    IncompletePacketReceived = -13,
    StreamMemoryExhausted = -14,
};

// The recorder thread: owns the probe session while recording. It connects, then loops:
// hands start and stop to the target, decodes the channel's packets one at a time into the
// staging buffer and sends the periodic and module requests. It ends on the quit command or
// on the first fault, with the fault's code in error().
//
// A std::thread rather than a QThread: the end of the thread is then a join the thread
// sanitizer sees, where QThread::wait hands over through Qt's uninstrumented wait condition.
class ZTXThread {
public:
    enum Status : int32_t {
        Ended = 0, // by an error
        Created = 1,
        Connecting = 3,
        Running = 4,
        StartSent = 5,
        StopSent = 7,
    };

    ZTXThread(TargetChannel& channel, ChannelReader& reader, StreamDecoder& decoder,
              RecorderShared& shared, const RequestPeriods& periods);
    // Waits for a started thread to end: tell it to quit first.
    ~ZTXThread();
    ZTXThread(const ZTXThread&) = delete;
    ZTXThread& operator=(const ZTXThread&) = delete;

    void start();
    // Blocks until the thread has ended; what it wrote is then visible to the caller.
    void wait();
    bool isFinished() const { return finished_.load(std::memory_order_acquire); }

    int32_t status() const { return status_; }
    int32_t error() const { return error_; }

private:
    void run();
    void takeCommand();
    void sendPeriodicRequests();
    void sendModuleRequest();
    void decodeLastRead();
    void closeSession();
    int32_t faultCode(int32_t decodeResult) const;

    TargetChannel& channel_;
    ChannelReader& reader_;
    StreamDecoder& decoder_;
    RecorderShared& shared_;
    const int systemDescriptionPeriod_;
    const int taskListPeriod_;
    const int systemTimePeriod_;
    const bool requestModules_;
    std::atomic<int32_t> status_{Created};
    std::atomic<int32_t> error_{0};
    int32_t lastTick_ = 0;
    uint32_t moduleIndex_ = 0;
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

} // namespace kavrin
