// The target channel through our probe library: reading the recorded data of a halted target
// with its own control-block search, and every way the live connect can fail.

#include "RecorderHarness.h"

#include "recorder/RecorderMessages.h"

using namespace kavrin;
using namespace kavrin::test;

namespace {

constexpr uint32_t DefaultBlock = 0x20000400;
constexpr char Recording[] = "[Target]\nRecordAtBoot=1\nRingSize=262144\nEventRate=2000\n";

// Reads the recorded data of the scenario's target as "&Read Recorded Data" does.
int32_t readRecorded(RecorderHarness& harness) {
    harness.prepare();
    return harness.recorder.readRecordedData();
}

// Builds the scenario's target and lets it run for a while before anything is read.
void bootTarget(RecorderHarness& harness) {
    harness.probe.library.VANTARARM_OpenEx(nullptr, nullptr);
    harness.probe.library.VANTARARM_Close();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
}

} // namespace

TEST(ReadRecordedData, UnwrappedBufferIsReadFromItsStartAfterARamSearch) {
    SimScenario scenario{QLatin1String(Recording)};
    RecorderHarness harness;
    const int32_t bytes = readRecorded(harness);
    ASSERT_GT(bytes, 0);
    EXPECT_EQ(harness.recorder.channel().controlBlock().address, DefaultBlock);
    const QByteArray file = harness.recordingFile();
    EXPECT_EQ(file.size(), bytes);
    const DecodedStream decoded(file);
    EXPECT_EQ(decoded.firstId, uint32_t(StartEvent));
    EXPECT_GT(decoded.records, 1u);
    EXPECT_EQ(harness.probe.library.VANTARARM_IsHalted(), 1); // the target stays halted
}

TEST(ReadRecordedData, IdentifierAcrossABlockBoundaryIsFound) {
    // The search reads 2,048-byte blocks from 0x20000000: this identifier starts 8 bytes
    // before the end of the first.
    SimScenario scenario(QLatin1String(Recording) + "ControlBlockAddress=0x200007F8\n");
    RecorderHarness harness;
    EXPECT_GT(readRecorded(harness), 0);
    EXPECT_EQ(harness.recorder.channel().controlBlock().address, 0x200007F8u);
}

TEST(ReadRecordedData, HeaderClaimingSixtyFiveChannelsIsSkipped) {
    // The search meets the decoy first.
    SimScenario scenario(QLatin1String(Recording) +
                         "ControlBlockAddress=0x20000C00\nDecoyControlBlock=0x20000100\n");
    RecorderHarness harness;
    EXPECT_GT(readRecorded(harness), 0);
    EXPECT_EQ(harness.recorder.channel().controlBlock().address, 0x20000C00u);

    // The decoy is really there: configured, its header is read as it stands.
    harness.settings.searchAddress = QStringLiteral("20000100");
    EXPECT_EQ(readRecorded(harness), 0);
    EXPECT_EQ(harness.recorder.channel().controlBlock().upChannelCount(), 65);
}

TEST(ReadRecordedData, ConfiguredAddressIsUsedWithoutSearch) {
    SimScenario scenario(QLatin1String(Recording) + "ControlBlockAddress=0x10000100\n");
    RecorderHarness harness;
    harness.settings.searchAddress = QStringLiteral("0x10000100");
    EXPECT_GT(readRecorded(harness), 0);
    EXPECT_EQ(harness.recorder.channel().controlBlock().address, 0x10000100u);

    // Where no block lies the channel search still runs there, finds nothing and reads 0.
    harness.settings.searchAddress = QStringLiteral("20000200");
    EXPECT_EQ(readRecorded(harness), 0);
    EXPECT_TRUE(harness.recordingFile().isEmpty());
}

TEST(ReadRecordedData, SearchRangesLimitTheSearch) {
    SimScenario scenario{QLatin1String(Recording)};
    RecorderHarness harness;
    harness.settings.searchRange = QStringLiteral("0x20000000 0x300, 0x10000000 4096");
    EXPECT_EQ(readRecorded(harness), 0);
    harness.settings.searchRange = QStringLiteral("0x20000000 0x300, 0x20000300 4096");
    EXPECT_GT(readRecorded(harness), 0);
    harness.settings.searchRange = QStringLiteral("0x20000000");
    EXPECT_EQ(readRecorded(harness), -1);
    harness.settings.searchRange.clear();
    harness.settings.device = QStringLiteral("Z80"); // unknown: no session at all
    EXPECT_EQ(readRecorded(harness), -1);
}

TEST(ReadRecordedData, WrappedBufferIsReadFromTheFirstTenZeroBytes) {
    SimScenario scenario(
        QStringLiteral("[Target]\nRecordAtBoot=1\nOverwrite=1\nRingSize=4096\nEventRate=200000\n"));
    RecorderHarness harness;
    bootTarget(harness);
    const int32_t bytes = readRecorded(harness);
    ASSERT_GT(bytes, 10);
    EXPECT_LT(bytes, 4096);
    const QByteArray file = harness.recordingFile();
    ASSERT_EQ(file.size(), bytes);
    EXPECT_EQ(file.left(10), QByteArray(10, '\0'));
    EXPECT_GT(DecodedStream(file).records, 0u); // a Start follows the zeros
}

TEST(ReadRecordedData, WrappedBufferWithoutTenZeroBytesHandsNothingOn) {
    // The host reads 10,000 bytes live, then its reads fail; the firmware fills the ring from
    // there on, wrapping it, with no run of ten zero bytes in it.
    SimScenario scenario(QStringLiteral("[Target]\nRingSize=4096\nEventRate=100000\n"
                                        "[Faults]\nConnectionLostAfter=10000\n"));
    RecorderHarness harness;
    harness.prepare();
    ASSERT_TRUE(harness.start());
    ASSERT_TRUE(harness.threadEnds());
    EXPECT_EQ(harness.recorder.threadError(), ChannelReadFailed);
    harness.finish();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(readRecorded(harness), 0);
    EXPECT_TRUE(harness.recordingFile().isEmpty());
}

namespace {

int32_t connectCode(const QString& scenarioText, RecorderHarness& harness) {
    SimScenario scenario(scenarioText);
    harness.prepare();
    const int32_t code = harness.connect();
    if (code == 0) {
        EXPECT_TRUE(harness.recorder.sendRecorderCommand(QuitCommand));
    }
    harness.recorder.waitAndDeleteThread();
    return code;
}

} // namespace

TEST(LiveConnect, EachFailureEndsTheThreadWithItsCode) {
    RecorderHarness harness;
    const QString faults = QStringLiteral("[Faults]\n");
    EXPECT_EQ(connectCode(faults + "OpenFails=1\n", harness), TargetChannel::ConnectFailed);
    EXPECT_EQ(connectCode(faults + "ConnectFails=1\n", harness), TargetChannel::ConnectFailed);
    EXPECT_EQ(connectCode(faults + "NoControlBlock=1\n", harness), TargetChannel::NoControlBlock);
    EXPECT_EQ(connectCode(faults + "ChannelCountFails=1\n", harness),
              TargetChannel::NoControlBlock);
    EXPECT_EQ(connectCode(faults + "NoKavrinChannel=1\n", harness), TargetChannel::NoKavrinChannel);
    harness.settings.device = QStringLiteral("Z80");
    EXPECT_EQ(connectCode(faults, harness), TargetChannel::ConnectFailed);

    EXPECT_EQ(recorderText::connectFailure(TargetChannel::NoControlBlock),
              QStringLiteral("Failed to start recording.\nZTX Control Block not found."));
    EXPECT_TRUE(recorderText::connectFailure(TargetChannel::NoKavrinChannel)
                    .startsWith(QStringLiteral("Failed to start recording.\nPossible reasons:")));
}

TEST(LiveConnect, HaltedTargetIsResumedUnlessAnotherProgramSharesTheProbe) {
    RecorderHarness harness;
    EXPECT_EQ(connectCode(QStringLiteral("[Faults]\nTargetHalted=1\n"), harness), 0);
    EXPECT_EQ(harness.probe.library.VANTARARM_IsHalted(), 0);
    EXPECT_EQ(
        connectCode(QStringLiteral("[Faults]\nTargetHalted=1\nSecondConnection=1\n"), harness), 0);
    EXPECT_EQ(harness.probe.library.VANTARARM_IsHalted(), 1);
}

TEST(LiveConnect, WaitForTheControlBlockOfAHaltedTargetIsBoundedAndCancellable) {
    const QString halted =
        QStringLiteral("[Faults]\nTargetHalted=1\nSecondConnection=1\nNoControlBlock=1\n");
    RecorderHarness harness;
    harness.recorder.setHaltedWaitLimit(std::chrono::milliseconds(300));
    EXPECT_EQ(connectCode(halted, harness), TargetChannel::NoControlBlock);

    harness.recorder.setHaltedWaitLimit(std::chrono::minutes(10));
    SimScenario scenario(halted + "; cancelled\n");
    harness.prepare();
    harness.recorder.startThread({});
    harness.recorder.cancelWaits();
    ASSERT_TRUE(eventually([&] { return harness.recorder.connectAttemptOver(); }));
    EXPECT_EQ(harness.recorder.threadError(), TargetChannel::NoControlBlock);
    harness.recorder.waitAndDeleteThread();
}

TEST(LiveConnect, TextsLongerThanTheirFieldsAreCut) {
    SimScenario scenario(QString{});
    RecorderHarness harness;
    harness.settings.hostInterface = 1;
    harness.settings.host = QString(300, QLatin1Char('h'));
    harness.settings.device = QString(200, QLatin1Char('d'));
    harness.settings.searchRange = QString(400, QLatin1Char('1'));
    harness.prepare();
    const ProbeConnection& connection = harness.recorder.channel().connection();
    EXPECT_EQ(connection.host.view(), std::string(127, 'h'));
    EXPECT_EQ(connection.device.view(), std::string(127, 'd'));
    EXPECT_EQ(connection.searchRanges.view(), std::string(255, '1'));
    EXPECT_EQ(readRecorded(harness), -1); // the long device is unknown: no session
}
