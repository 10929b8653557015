// The recorder thread and the recording file through our probe library: the command bytes
// the target receives, and that every byte received is kept whatever ends the recording.

#include "RecorderHarness.h"

#include "files/DataFileHeader.h"
#include "recorder/RecorderMessages.h"

#include <memory>

using namespace kavrin;
using namespace kavrin::test;

namespace {

QByteArray bytes(std::initializer_list<uint8_t> values) {
    QByteArray result;
    for (uint8_t value : values)
        result.append(char(value));
    return result;
}

// Waits until the target has received exactly `expected` in all.
bool received(const SimScenario& scenario, RecorderHarness& harness, const QByteArray& expected) {
    const bool arrived = eventually([&] { return scenario.commands().size() >= expected.size(); },
                                    [&] { harness.drain(); });
    EXPECT_EQ(scenario.commands().toHex(' '), expected.toHex(' '));
    return arrived && scenario.commands() == expected;
}

void tickTo(RecorderHarness& harness, int seconds) {
    for (int i = 0; i < seconds; ++i)
        harness.recorder.tickSeconds();
}

} // namespace

TEST(RecorderCommands, PeriodicAndModuleRequestsFollowTheSecondsAndTheModuleCount) {
    SimScenario scenario(QStringLiteral("[Target]\nEventRate=5000\n"));
    RecorderHarness harness;
    harness.followModules = false; // only the counts noted here
    harness.prepare();
    tickTo(harness, 59);
    ASSERT_TRUE(harness.start());
    QByteArray expected = bytes({StartCommand});
    ASSERT_TRUE(received(scenario, harness, expected));

    // 60 is a multiple of all three default periods: description, modules, task list, time.
    tickTo(harness, 1);
    expected += bytes({5, 6, 4, 3});
    ASSERT_TRUE(received(scenario, harness, expected));

    harness.recorder.noteModuleCount(3);
    expected += bytes({0x80, 0, 0x80, 1, 0x80, 2});
    ASSERT_TRUE(received(scenario, harness, expected));

    // 62 leaves 2 over the description period: the request between descriptions.
    tickTo(harness, 2);
    expected += bytes({7});
    ASSERT_TRUE(received(scenario, harness, expected));

    // A changed count starts the module requests over at module 0.
    harness.recorder.noteModuleCount(4);
    expected += bytes({0x80, 0, 0x80, 1, 0x80, 2, 0x80, 3});
    ASSERT_TRUE(received(scenario, harness, expected));

    // After stop nothing more: 65 would ask for the description. Two more stops make sure
    // the thread has looked at the seconds count after the first.
    EXPECT_TRUE(harness.recorder.sendRecorderCommand(StopCommand));
    tickTo(harness, 3);
    harness.recorder.noteModuleCount(2);
    EXPECT_TRUE(harness.recorder.sendRecorderCommand(StopCommand));
    EXPECT_TRUE(harness.recorder.sendRecorderCommand(StopCommand));
    expected += bytes({StopCommand, StopCommand, StopCommand});
    EXPECT_TRUE(received(scenario, harness, expected));
    EXPECT_TRUE(harness.recorder.sendRecorderCommand(QuitCommand));
    harness.finish();
    EXPECT_EQ(scenario.commands(), expected);
}

TEST(RecorderCommands, WithoutModuleRequestsNoModuleCommandIsSent) {
    SimScenario scenario(QStringLiteral("[Target]\nEventRate=5000\n"));
    RecorderHarness harness;
    harness.prepare();
    tickTo(harness, 59);
    ASSERT_TRUE(harness.start({5, 30, 60, false}));
    tickTo(harness, 1);
    QByteArray expected = bytes({StartCommand, 5, 4, 3});
    ASSERT_TRUE(received(scenario, harness, expected));
    harness.recorder.noteModuleCount(3);
    tickTo(harness, 2);
    // Two start commands make sure the thread has looked at 62 and the module count.
    EXPECT_TRUE(harness.recorder.sendRecorderCommand(StartCommand));
    EXPECT_TRUE(harness.recorder.sendRecorderCommand(StartCommand));
    expected += bytes({StartCommand, StartCommand});
    EXPECT_TRUE(received(scenario, harness, expected));
    harness.stop();
}

TEST(RecorderCommands, PeriodsOfZeroCountAsOne) {
    SimScenario scenario(QStringLiteral("[Target]\nEventRate=5000\n"));
    RecorderHarness harness;
    harness.followModules = false;
    harness.prepare();
    ASSERT_TRUE(harness.start({0, 0, 0, true}));
    tickTo(harness, 1);
    EXPECT_TRUE(received(scenario, harness, bytes({StartCommand, 5, 6, 4, 3})));
    harness.stop();
}

TEST(RecordingFile, StopWritesTheLastBytesToTheFile) {
    SimScenario scenario(QStringLiteral("[Target]\nEventRate=50000\n"));
    RecorderHarness harness;
    harness.prepare();
    ASSERT_TRUE(harness.start());
    ASSERT_TRUE(
        eventually([&] { return harness.engine.nextIndex > 20'000; }, [&] { harness.drain(); }));
    EXPECT_TRUE(harness.recorder.sendRecorderCommand(StopCommand));
    EXPECT_TRUE(harness.recorder.sendRecorderCommand(QuitCommand));
    harness.recorder.waitAndDeleteThread();
    const QByteArray stream = harness.stream();
    ASSERT_GT(stream.size(), qsizetype(ChannelReader::FlushSize));
    EXPECT_TRUE(stream.startsWith(harness.recordingFile())); // whole pieces only so far

    harness.finish();
    EXPECT_EQ(harness.recordingFile(), stream);
    EXPECT_EQ(DecodedStream(stream).records, harness.engine.nextIndex);
    EXPECT_NE(harness.recorder.streamForSaving().recordingFile, nullptr);
}

TEST(RecordingFile, LostConnectionKeepsEveryByteAndSavesThem) {
    SimScenario scenario(QStringLiteral("[Target]\nEventRate=100000\n"
                                        "[Faults]\nConnectionLostAfter=60000\n"));
    RecorderHarness harness;
    harness.prepare();
    ASSERT_TRUE(harness.start());
    ASSERT_TRUE(harness.threadEnds());
    EXPECT_EQ(harness.recorder.threadError(), ChannelReadFailed);
    EXPECT_TRUE(recorderText::breakOff(ChannelReadFailed).endsWith(QStringLiteral("ErrCode: -11")));
    harness.finish();

    const QByteArray stream = harness.stream();
    EXPECT_EQ(stream.size(), 60000);
    EXPECT_EQ(harness.recordingFile(), stream);

    RecordProperties properties;
    properties.clear();
    properties.title = QStringLiteral("Lost");
    const QString saved = scenario.filePath(QStringLiteral("lost.KVDat"));
    ASSERT_TRUE(saveDataFile(saved, &properties, harness.recorder.streamForSaving()).saved);
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), composeHeader(properties) + stream);
    EXPECT_EQ(DecodedStream(stream).records, harness.engine.nextIndex);
}

TEST(RecordingFile, InvalidPacketKeepsEveryByteReceived) {
    SimScenario scenario(QStringLiteral("[Target]\nEventRate=100000\n"
                                        "[Faults]\nInvalidPacketAfter=3000\n"));
    RecorderHarness harness;
    harness.prepare();
    ASSERT_TRUE(harness.start());
    ASSERT_TRUE(harness.threadEnds());
    EXPECT_EQ(harness.recorder.threadError(), InvalidPacketReceived);
    harness.finish();
    const QByteArray stream = harness.stream();
    EXPECT_GT(stream.size(), 3000);
    EXPECT_EQ(harness.recordingFile(), stream);
    const DecodedStream decoded(stream);
    EXPECT_EQ(decoded.result, DecodeInvalidPacket);
    EXPECT_EQ(decoded.records, harness.engine.nextIndex);
}

TEST(RecordingFile, OutOfMemoryForTheStreamStopsWithEverythingInTheFile) {
    SimScenario scenario(QStringLiteral("[Target]\nEventRate=100000\n"));
    RecorderHarness harness;
    harness.prepare();
    harness.recorder.setStreamLimit(50'000);
    ASSERT_TRUE(harness.start());
    ASSERT_TRUE(harness.threadEnds());
    EXPECT_EQ(harness.recorder.threadError(), StreamMemoryExhausted);
    EXPECT_TRUE(recorderText::breakOff(StreamMemoryExhausted).contains(QStringLiteral("memory")));
    harness.finish();
    const QByteArray stream = harness.stream();
    const QByteArray file = harness.recordingFile();
    EXPECT_LE(stream.size(), 50'000);
    EXPECT_GT(file.size(), stream.size()); // the read that did not fit is in the file
    EXPECT_TRUE(file.startsWith(stream));
    EXPECT_EQ(harness.recorder.streamForSaving().recordingFile != nullptr, true);
}

TEST(RecorderThread, QuitEndsAThreadWaitingInsideAPacket) {
    // The channel goes silent after 5,012 bytes, inside a Task Ready packet of the
    // scenario's stream: the decoder waits in readByte for the rest of it. (Silence inside
    // the raw bytes of a LEN packet ends the recording by itself as an incomplete packet.)
    SimScenario scenario(QStringLiteral("[Target]\nEventRate=100000\n"
                                        "[Faults]\nSilentAfter=5012\n"));
    RecorderHarness harness;
    harness.prepare();
    ASSERT_TRUE(harness.start());
    ASSERT_TRUE(eventually([&] { return harness.recorder.bytesReceived() == 5012; },
                           [&] { harness.drain(); }));
    EXPECT_TRUE(harness.recorder.sendRecorderCommand(QuitCommand));
    ASSERT_TRUE(harness.threadEnds());
    EXPECT_EQ(harness.recorder.threadError(), 0);
    harness.finish();
    const QByteArray stream = harness.stream();
    EXPECT_EQ(stream.size(), 5012);
    EXPECT_EQ(harness.recordingFile(), stream);
    const DecodedStream decoded(stream);
    EXPECT_EQ(decoded.result, DecodeIncompletePacket); // it really was inside a packet
    EXPECT_EQ(decoded.records, harness.engine.nextIndex);
}

TEST(RecorderThread, QuitStillDecodesThePacketsOfTheLastRead) {
    // Quit while the target sends as fast as the host reads: the packets already received
    // reach the engine too, so the view and the recording file hold the same events.
    SimScenario scenario(QStringLiteral("[Target]\nEventRate=0\nRingSize=262144\n"));
    RecorderHarness harness;
    harness.prepare();
    ASSERT_TRUE(harness.start());
    ASSERT_TRUE(eventually([&] { return harness.recorder.bytesReceived() > 1'000'000; },
                           [&] { harness.drain(); }));
    EXPECT_TRUE(harness.recorder.sendRecorderCommand(QuitCommand));
    ASSERT_TRUE(harness.threadEnds());
    EXPECT_EQ(harness.recorder.threadError(), 0);
    harness.finish();
    const QByteArray stream = harness.stream();
    EXPECT_EQ(harness.recordingFile(), stream);
    EXPECT_EQ(DecodedStream(stream).records, harness.engine.nextIndex);
}

TEST(RecorderThread, DestroyingTheRecorderWhileRecordingEndsItsThread) {
    // The window closes during a recording: the recorder tells its thread to quit and joins it
    // before the channel, the stream and the decoder it uses go away.
    SimScenario scenario(QStringLiteral("[Target]\nEventRate=100000\n"));
    auto harness = std::make_unique<RecorderHarness>();
    harness->prepare();
    ASSERT_TRUE(harness->start());
    ASSERT_TRUE(eventually([&] { return harness->recorder.bytesReceived() > 0; },
                           [&] { harness->drain(); }));
    harness.reset();
}
