#pragma once

#include "SimTargetHarness.h"

#include "engine/RecordingEngine.h"
#include "recorder/ConnectionSettings.h"
#include "recorder/LiveRecorder.h"

#include <QFile>

#include <gtest/gtest.h>

namespace kavrin::test {

// One engine and live-recording session over the build's probe library, driven as the main
// window drives them.
struct RecorderHarness {
    RecorderHarness() { settings.device = QStringLiteral("STM32F407VG"); }

    // The reset of all data, a new recording file and the connection settings.
    void prepare() {
        engine.resetAll();
        recorder.reset();
        ASSERT_TRUE(recorder.createRecordingFile());
        ASSERT_TRUE(recorder.configure(settings));
    }

    // Starts the thread and waits for its connect attempt: its error code.
    int32_t connect(const RequestPeriods& periods = {}) {
        recorder.startThread(periods);
        EXPECT_TRUE(eventually([this] { return recorder.connectAttemptOver(); }));
        return recorder.threadError();
    }

    // Connects and sends the start command; false with a test failure when that fails.
    bool start(const RequestPeriods& periods = {}) {
        const int32_t code = connect(periods);
        EXPECT_EQ(code, 0);
        if (code != 0)
            return false;
        engine.registerBuiltInContexts();
        EXPECT_TRUE(recorder.sendRecorderCommand(StartCommand));
        return true;
    }

    // The engine's live slice, as the channel-poll timer runs it.
    void drain() {
        engine.liveSlice(std::chrono::milliseconds(8));
        if (followModules)
            recorder.followModuleCount(engine.tracker);
    }

    bool threadEnds() {
        return eventually([this] { return recorder.threadEnded(); }, [this] { drain(); });
    }

    // Stop and quit, as the window's stop does, then the last records and the final flush.
    void stop() {
        EXPECT_TRUE(recorder.sendRecorderCommand(StopCommand));
        EXPECT_TRUE(recorder.sendRecorderCommand(QuitCommand));
        finish();
    }

    void finish() {
        recorder.waitAndDeleteThread();
        while (engine.liveSlice(std::chrono::milliseconds(10'000)).processed > 0) {
        }
        recorder.finishRecordingFile();
    }

    QByteArray recordingFile() const {
        QFile file(recorder.recordingFileName());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QByteArray stream() const {
        return QByteArray(reinterpret_cast<const char*>(recorder.streamData()),
                          qsizetype(recorder.streamLength()));
    }

    BuildProbeLibrary probe;
    RecordingEngine engine;
    LiveRecorder recorder{engine.decoder, probe.library};
    ConnectionSettings settings;
    bool followModules = true; // the module count the target reports reaches the recorder
};

// Records per id, and the last decode result, of a stream decoded from its start.
struct DecodedStream {
    explicit DecodedStream(const QByteArray& bytes) {
        StagingBuffer staging;
        StreamDecoder decoder(staging);
        MemorySource source(reinterpret_cast<const uint8_t*>(bytes.constData()),
                            size_t(bytes.size()));
        while ((result = decoder.decodePackets(source, 100'000)) > 0 ||
               result == DecodeUnsynchronised) {
        }
        records = staging.count();
        EventRecord record; // a shallow copy: the staging buffer frees its blocks
        if (records > 0 && staging.copyOut(0, record) == 0)
            firstId = record.id;
    }
    int32_t result = 0;
    uint32_t records = 0;
    uint32_t firstId = 0xFFFFFFFF;
};

} // namespace kavrin::test
