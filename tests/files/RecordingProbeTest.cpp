#include "StreamFilesHarness.h"

#include "engine/EventRecord.h"
#include "files/RecordingProbe.h"

using namespace kavrin;
using namespace kavrin::test;

TEST(RecordingProbe, RecordingsAndFilesItCannotJudgeAreLeftToThePasses) {
    QTemporaryDir dir;
    EXPECT_FALSE(noRecordingIn(writeStream(dir, "good.KVDat", smallRecording(), true)));
    // Only a header: an empty recording, loaded as one.
    EXPECT_FALSE(noRecordingIn(writeStream(dir, "header.KVDat", StreamWriter(), true)));
    EXPECT_FALSE(noRecordingIn(dir.filePath(QStringLiteral("missing.KVDat"))));

    // Damage after the first event is the passes' to report.
    StreamWriter broken = smallRecording();
    broken.raw({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_FALSE(noRecordingIn(writeStream(dir, "broken.KVDat", broken, true)));
}

TEST(RecordingProbe, StreamBytesWithoutAnEventAreNoRecording) {
    QTemporaryDir dir;
    StreamWriter noStart;
    for (int i = 0; i < 50; ++i)
        noStart.taskRun(3, 10);
    const QString noStartPath = writeStream(dir, "no-start.KVDat", noStart, true);
    const uint32_t headerLength = uint32_t(readFile(noStartPath).size() - noStart.size());
    const std::optional<StreamStopInfo> stop = noRecordingIn(noStartPath);
    ASSERT_TRUE(stop);
    EXPECT_EQ(stop->reason, StreamStop::NoStartPacket);
    EXPECT_EQ(stop->offset, headerLength);
    // Without a verdict within the limit the passes decide.
    EXPECT_FALSE(noRecordingIn(noStartPath, headerLength + 20));

    // Dropped packets, then bytes that are no packet.
    StreamWriter garbage = noStart;
    garbage.raw({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x02});
    const std::optional<StreamStopInfo> bad =
        noRecordingIn(writeStream(dir, "garbage.bin", garbage, false));
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->reason, StreamStop::InvalidPacket);
    EXPECT_EQ(bad->offset, uint32_t(noStart.size()));
    EXPECT_EQ(bad->eventIndex, 0u);
    EXPECT_FALSE(bad->cutOff);

    // A Start packet cut off inside its time delta.
    StreamWriter cutStart;
    cutStart.varint(StartEvent);
    cutStart.raw({0x80});
    const std::optional<StreamStopInfo> cut =
        noRecordingIn(writeStream(dir, "cut-start.bin", cutStart, false));
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->reason, StreamStop::IncompletePacket);
    EXPECT_TRUE(cut->cutOff);
}
