#pragma once

#include "recorder/ChannelReader.h"
#include "recorder/RecorderShared.h"
#include "recorder/RecordingFile.h"
#include "recorder/StreamBuffer.h"
#include "recorder/TargetChannel.h"
#include "recorder/ZTXThread.h"

#include "files/DataFileWriter.h"

#include <chrono>
#include <memory>

namespace kavrin {

class ContextTracker;
class ProbeLibrary;
class StreamDecoder;
struct ConnectionSettings;

// One live-recording session, as the main window and kavrin-cli drive it on their own thread
// (the GUI thread of the window). It owns the target channel, the stream buffer and channel
// reader, the temporary recording file and the recorder thread. The engine's decoder is
// shared with the thread; the caller drains the staging buffer with the engine's live slice.
//
// A recording:
//   engine.resetAll(); recorder.reset();           // the reset of all data
//   recorder.createRecordingFile();                // false: it runs without a file
//   recorder.configure(settings);                  // false: address not hexadecimal
//   recorder.startThread(periods);
//   until recorder.connectAttemptOver(): wait;     // e.g. on a 10 ms tick
//   recorder.threadError() != 0: show recorderText::connectFailure(code), waitAndDeleteThread()
//   else: engine.registerBuiltInContexts(); sendRecorderCommand(StartCommand)
//   every tick: engine.liveSlice(...); recorder.followModuleCount(engine.tracker);
//               recorder.threadEnded(): broke off, show recorderText::breakOff(threadError())
//   every second: recorder.tickSeconds()
//   to stop: sendRecorderCommand(StopCommand); sendRecorderCommand(QuitCommand);
//            until threadEnded(): wait; waitAndDeleteThread();
//   finally: a last liveSlice; finishRecordingFile(); save with streamForSaving().
// A failed sendRecorderCommand is shown with recorderText::commandNotTaken().
//
// Reading the recorded data of a halted target ("&Read Recorded Data"), on the caller's thread:
//   reset, createRecordingFile, configure as above; r = recorder.readRecordedData();
//   r < 0: show recorderText::readFailed(); else recorderText::readDone(r), then analyse
//   recordingFileName() like any data file.
class LiveRecorder {
public:
    // How long sendRecorderCommand waits for the thread to take a command.
    static constexpr std::chrono::milliseconds CommandWait{3000};

    LiveRecorder(StreamDecoder& decoder, ProbeLibrary& probe);
    // A running thread is told to quit and waited for.
    ~LiveRecorder();
    LiveRecorder(const LiveRecorder&) = delete;
    LiveRecorder& operator=(const LiveRecorder&) = delete;

    // The live-channel part of the reset of all data: connection and control block, session
    // flag, decoder and staging, stream buffer, channel reader and the known module count.
    // A thread still there is told to quit and waited for first.
    void reset();
    // Fills the connection from the settings (after reset). False, with nothing configured,
    // when the search address is not hexadecimal.
    bool configure(const ConnectionSettings& settings);
    // Drops the previous recording file and creates a new one; false when it cannot be
    // opened, and the recording then runs without a file.
    bool createRecordingFile();

    // Starts a recorder thread, unless one exists.
    void startThread(const RequestPeriods& periods);
    bool hasThread() const { return thread_ != nullptr; }
    // The thread's connect attempt is over; does not block.
    bool connectAttemptOver();
    // 0, or the code the thread ended with: TargetChannel::LiveResult or RecorderError.
    int32_t threadError() const;
    bool threadEnded() const;
    void waitAndDeleteThread();

    // Hands StartCommand, StopCommand or QuitCommand to the thread and waits up to CommandWait
    // for it to be taken. False when it was not (the caller shows commandNotTaken()); a quit
    // for a thread that has ended counts as taken.
    bool sendRecorderCommand(RecorderCommand command);
    // Ends the waits for a halted target (connecting, reading recorded data) early.
    void cancelWaits() { channel_.cancelWaits(); }

    // The system-description timer's second: drives the periodic requests.
    void tickSeconds() { ++shared_.secondsCounter; }
    // The target reported a module count different from the one known.
    void noteModuleCount(uint32_t count);
    // noteModuleCount when the tracker saw the module count change; clears its flag.
    void followModuleCount(ContextTracker& tracker);

    // Writes the stream bytes not yet in the recording file and closes it.
    void finishRecordingFile();
    // Reads the recorded data of the halted target into the recording file and closes it:
    // the byte count, or negative (show recorderText::readFailed()). Blocks the caller.
    int32_t readRecordedData();

    // Bytes received so far, readable while the thread runs (for progress and rates).
    uint64_t bytesReceived() const { return reader_.received(); }
    // The stream received so far; read it only while no thread runs.
    const uint8_t* streamData() const { return stream_.data(); }
    uint32_t streamLength() const { return stream_.size(); }
    QString recordingFileName() const { return file_.fileName(); }
    // Where saving takes the stream from: the recording file if it is complete, else memory.
    RecordingStream streamForSaving() const;
    // Leaves the recording file on disk (for example when saving failed).
    void keepRecordingFile() { file_.keep(); }

    const TargetChannel& channel() const { return channel_; }
    // Limits for tests and special uses.
    void setHaltedWaitLimit(std::chrono::milliseconds limit) { channel_.setHaltedWaitLimit(limit); }
    void setStreamLimit(uint64_t bytes) { stream_.setLimit(bytes); }

private:
    StreamDecoder& decoder_;
    RecorderShared shared_;
    TargetChannel channel_;
    StreamBuffer stream_;
    RecordingFile file_;
    ChannelReader reader_{channel_, stream_, file_, shared_};
    std::unique_ptr<ZTXThread> thread_;
};

} // namespace kavrin
