#include "recorder/ZTXThread.h"

#include "recorder/ChannelReader.h"
#include "recorder/TargetChannel.h"

#include <QThread>

#include <algorithm>

namespace kavrin {

namespace {
constexpr unsigned long SessionCloseMillis = 500;
constexpr unsigned long IdleMillis = 1;
// decodePackets results that end the recording.
constexpr int32_t FirstFault = -9;
constexpr int32_t LastFault = -1;
constexpr int32_t FaultOffset = 10;
} // namespace

ZTXThread::ZTXThread(TargetChannel& channel, ChannelReader& reader, StreamDecoder& decoder,
                     RecorderShared& shared, const RequestPeriods& periods)
    : channel_(channel), reader_(reader), decoder_(decoder), shared_(shared),
      systemDescriptionPeriod_(std::max(periods.systemDescription, 1)),
      taskListPeriod_(std::max(periods.taskList, 1)),
      systemTimePeriod_(std::max(periods.systemTime, 1)), requestModules_(periods.requestModules) {}

ZTXThread::~ZTXThread() {
    wait();
}

void ZTXThread::start() {
    thread_ = std::thread([this] {
        run();
        finished_.store(true, std::memory_order_release);
    });
}

void ZTXThread::wait() {
    if (thread_.joinable())
        thread_.join();
}

void ZTXThread::run() {
    error_ = 0;
    status_ = Connecting;
    int32_t result = 0;
    if (!shared_.sessionOpen) {
        result = channel_.openLiveChannel();
        if (result < 0)
            channel_.closeSession();
        else
            shared_.sessionOpen = true;
    }
    if (result < 0) {
        error_ = result;
        status_ = Ended;
        shared_.connecting.store(false, std::memory_order_release);
        return;
    }
    status_ = Running;
    lastTick_ = shared_.secondsCounter;
    shared_.connecting.store(false, std::memory_order_release);

    while (shared_.pendingCommand != QuitCommand) {
        takeCommand();
        const int32_t decoded = decoder_.decodePackets(reader_, 1);
        if (decoded >= FirstFault && decoded <= LastFault) {
            if (reader_.stop() == ChannelReader::Stop::Quit)
                break;
            error_ = faultCode(decoded);
            closeSession();
            status_ = Ended;
            return;
        }
        // Nothing decoded: a silent channel has been polled already; a full staging buffer
        // needs the processing driver to take records first.
        if (decoded == 0)
            QThread::msleep(IdleMillis);
        sendPeriodicRequests();
        sendModuleRequest();
    }
    decodeLastRead();
    closeSession();
    shared_.pendingCommand = NoCommand;
}

void ZTXThread::decodeLastRead() {
    // The complete packets of the last read reach the engine too, so that the view holds
    // every event the recording file holds.
    reader_.endInput();
    int32_t decoded;
    do {
        decoded = decoder_.decodePackets(reader_, 1);
    } while (decoded > 0 || decoded == DecodeUnsynchronised);
}

int32_t ZTXThread::faultCode(int32_t decodeResult) const {
    switch (reader_.stop()) {
    case ChannelReader::Stop::ChannelFailed:
        return ChannelReadFailed;
    case ChannelReader::Stop::OutOfMemory:
        return StreamMemoryExhausted;
    default:
        return decodeResult - FaultOffset;
    }
}

void ZTXThread::takeCommand() {
    int32_t command = shared_.pendingCommand;
    if (command != StartCommand && command != StopCommand)
        return;
    status_ = command == StartCommand ? StartSent : StopSent;
    channel_.sendCommandByte(uint8_t(command));
    // The GUI may have given up on this command meanwhile and set another.
    shared_.pendingCommand.compare_exchange_strong(command, NoCommand);
}

void ZTXThread::sendPeriodicRequests() {
    // Only the latest count is evaluated: counts skipped meanwhile send nothing.
    const int32_t tick = shared_.secondsCounter;
    if (tick <= lastTick_)
        return;
    lastTick_ = tick;
    if (status_ == StopSent)
        return;
    if (tick % systemDescriptionPeriod_ == 0) {
        channel_.sendCommandByte(RequestSystemDescription);
        if (requestModules_)
            channel_.sendCommandByte(RequestModuleCount);
    } else if (requestModules_ && shared_.moduleCount > 0 && tick % systemDescriptionPeriod_ == 2) {
        channel_.sendCommandByte(RequestBetweenDescriptions);
    }
    if (tick % taskListPeriod_ == 0)
        channel_.sendCommandByte(RequestTaskList);
    if (tick % systemTimePeriod_ == 0)
        channel_.sendCommandByte(RequestSystemTime);
}

void ZTXThread::sendModuleRequest() {
    if (!requestModules_ || status_ == StopSent)
        return;
    if (shared_.moduleCountChanged.exchange(false))
        moduleIndex_ = 0;
    if (moduleIndex_ < shared_.moduleCount) {
        channel_.sendModuleRequest(moduleIndex_);
        ++moduleIndex_;
    }
}

void ZTXThread::closeSession() {
    if (!shared_.sessionOpen)
        return;
    channel_.closeSession();
    QThread::msleep(SessionCloseMillis);
    shared_.sessionOpen = false;
}

} // namespace kavrin
