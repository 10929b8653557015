#include "recorder/LiveRecorder.h"

#include "recorder/ConnectionFields.h"
#include "recorder/ConnectionSettings.h"

#include "engine/ContextTracker.h"
#include "engine/StreamDecoder.h"

#include <thread>

namespace kavrin {

namespace {
constexpr std::chrono::milliseconds CommandPoll{1};
}

LiveRecorder::LiveRecorder(StreamDecoder& decoder, ProbeLibrary& probe)
    : decoder_(decoder), channel_(probe) {}

LiveRecorder::~LiveRecorder() {
    if (!thread_)
        return;
    shared_.pendingCommand = QuitCommand;
    channel_.cancelWaits();
    thread_->wait();
    decoder_.staging().setConcurrent(false);
}

void LiveRecorder::reset() {
    if (thread_) {
        sendRecorderCommand(QuitCommand);
        waitAndDeleteThread();
    }
    channel_.clear();
    shared_.sessionOpen = false;
    shared_.pendingCommand = NoCommand;
    shared_.moduleCount = 0;
    shared_.moduleCountChanged = false;
    decoder_.reset();
    stream_.release();
    reader_.clear();
}

bool LiveRecorder::configure(const ConnectionSettings& settings) {
    const std::optional<uint32_t> address = parseControlBlockAddress(settings.searchAddress);
    if (!address)
        return false;
    const QByteArray host = settings.host.toLatin1();
    const QByteArray device = settings.device.toLatin1();
    const QByteArray searchRanges = settings.searchRange.toLatin1();
    const auto view = [](const QByteArray& text) {
        return std::string_view(text.constData(), std::size_t(text.size()));
    };
    ProbeParameters parameters;
    parameters.hostInterface = settings.hostInterface;
    parameters.serialNumber = settings.serialNumber;
    parameters.host = view(host);
    parameters.targetInterface = settings.targetInterface;
    parameters.speed = settings.speed;
    parameters.device = view(device);
    parameters.searchRanges = view(searchRanges);
    parameters.controlBlockAddress = *address;
    channel_.configure(parameters);
    return true;
}

bool LiveRecorder::createRecordingFile() {
    return file_.create();
}

void LiveRecorder::startThread(const RequestPeriods& periods) {
    if (thread_)
        return;
    channel_.allowWaits();
    shared_.connecting = true;
    decoder_.staging().setConcurrent(true); // the thread decodes while the window processes
    thread_ = std::make_unique<ZTXThread>(channel_, reader_, decoder_, shared_, periods);
    thread_->start();
}

bool LiveRecorder::connectAttemptOver() {
    return !shared_.connecting.load(std::memory_order_acquire);
}

int32_t LiveRecorder::threadError() const {
    return thread_ ? thread_->error() : 0;
}

bool LiveRecorder::threadEnded() const {
    return thread_ && thread_->isFinished();
}

void LiveRecorder::waitAndDeleteThread() {
    if (!thread_)
        return;
    thread_->wait();
    thread_.reset();
    decoder_.staging().setConcurrent(false);
}

bool LiveRecorder::sendRecorderCommand(RecorderCommand command) {
    if (!thread_)
        return false;
    if (command == QuitCommand)
        channel_.cancelWaits();
    shared_.pendingCommand = command;
    const auto deadline = std::chrono::steady_clock::now() + CommandWait;
    // A thread that has ended takes no more commands: no need to wait for it.
    while (shared_.pendingCommand != NoCommand && !thread_->isFinished() &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(CommandPoll);
    int32_t expected = command;
    if (shared_.pendingCommand.compare_exchange_strong(expected, NoCommand))
        return command == QuitCommand && thread_->isFinished();
    return true;
}

void LiveRecorder::noteModuleCount(uint32_t count) {
    shared_.moduleCount = count;
    shared_.moduleCountChanged = true;
}

void LiveRecorder::followModuleCount(ContextTracker& tracker) {
    if (!tracker.modulesChanged)
        return;
    tracker.modulesChanged = false;
    noteModuleCount(tracker.moduleCount);
}

void LiveRecorder::finishRecordingFile() {
    if (!file_.isOpen())
        return;
    reader_.flush();
    file_.close();
}

int32_t LiveRecorder::readRecordedData() {
    channel_.allowWaits();
    const int32_t result = channel_.readRecordedData(file_);
    file_.close();
    return result;
}

RecordingStream LiveRecorder::streamForSaving() const {
    RecordingStream stream;
    stream.recordingFile = file_.forSaving();
    stream.buffer = stream_.data();
    stream.bufferLength = stream_.size();
    return stream;
}

} // namespace kavrin
