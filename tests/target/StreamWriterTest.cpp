#include "target/StreamWriter.h"
#include "engine/PayloadReader.h"
#include "engine/StagingBuffer.h"
#include "engine/StreamDecoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kavrin;

namespace {

using Bytes = std::vector<uint8_t>;

// Decodes a whole stream and returns shallow copies of the staged records.
struct Decoded {
    StagingBuffer staging;
    StreamDecoder decoder{staging};
    int32_t lastResult = 0;

    explicit Decoded(const Bytes& bytes) {
        MemorySource source(bytes.data(), bytes.size());
        while ((lastResult = decoder.decodePackets(source, 1000)) > 0) {
        }
    }
    EventRecord record(uint32_t index) {
        EventRecord out;
        EXPECT_EQ(staging.copyOut(index, out), 0);
        return out;
    }
};

} // namespace

TEST(StreamWriterEncoding, VarintsUseSevenBitGroupsLowFirst) {
    StreamWriter w;
    w.varint(0);
    w.varint(127);
    w.varint(128);
    w.varint(300);
    w.varint(0xFFFFFFFF);
    EXPECT_EQ(w.bytes(), (Bytes{0x00, 0x7F, 0x80, 0x01, 0xAC, 0x02, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F}));
    EXPECT_EQ(StreamWriter::varintSize(127), 1u);
    EXPECT_EQ(StreamWriter::varintSize(128), 2u);
    EXPECT_EQ(StreamWriter::varintSize(0xFFFFFFFF), 5u);
}

TEST(StreamWriterEncoding, StringsEscapeLengthsFrom255) {
    StreamWriter shortText;
    shortText.string("abc");
    EXPECT_EQ(shortText.bytes(), (Bytes{3, 'a', 'b', 'c'}));

    for (size_t length : {254u, 255u, 300u}) {
        StreamWriter w;
        w.string(std::string(length, 'x'));
        ASSERT_EQ(w.size(), StreamWriter::stringSize(std::string(length, 'x')));
        if (length < 255) {
            EXPECT_EQ(w.bytes()[0], length);
            EXPECT_EQ(w.size(), length + 1);
        } else {
            EXPECT_EQ(w.bytes()[0], 0xFF);
            EXPECT_EQ(w.bytes()[1], length >> 8);
            EXPECT_EQ(w.bytes()[2], length & 0xFF);
            EXPECT_EQ(w.size(), length + 3);
        }
    }
    StreamWriter w300;
    w300.string(std::string(300, 'y'));
    EXPECT_EQ((Bytes{w300.bytes()[0], w300.bytes()[1], w300.bytes()[2]}),
              (Bytes{0xFF, 0x01, 0x2C}));
}

TEST(StreamWriterEncoding, PacketsCarryIdPayloadAndDelta) {
    StreamWriter w;
    w.taskBlock(5, 300, 7);
    w.apiEndValue(40, 2, 1);
    w.apiEnd(40, {}, 0);
    w.api(41, {1, 128}, 3);
    w.stack(2, 0x1000, 512, 100, 4);
    EXPECT_EQ(w.bytes(), (Bytes{7,  5, 0xAC, 0x02, 7,       // Task Block
                                28, 2, 40,   2,    1,       // END: count 2, id, value
                                28, 1, 40,   0,             // END without return value
                                41, 3, 1,    0x80, 0x01, 3, // LEN of three bytes
                                21, 2, 0x80, 0x20, 0x80, 0x04, 100, 4}));
}

TEST(StreamWriterEncoding, LogOutputBlockHoldsFormatOptionsAndArguments) {
    StreamWriter w;
    w.logOutput("v=%d", 2, 3, {5, 300}, 9);
    // Block: string(5) + options 0x0302 (2 bytes) + count (1) + args (1 + 2).
    EXPECT_EQ(w.bytes(), (Bytes{26, 11, 4, 'v', '=', '%', 'd', 0x82, 0x06, 2, 5, 0xAC, 0x02, 9}));
}

TEST(StreamWriterRoundTrip, DecoderReadsBackEveryPacketClass) {
    StreamWriter w;
    w.start(99);
    w.systemInfo(1'000'000, 72'000'000, 0x20000000, 4, 1);
    w.taskInfo(0x20000010, 5, "Worker", 2);
    w.systemDescription(std::string(300, 'd'), 3);
    w.stack(0x20000010, 0x2000, 1024, 200, 4);
    w.logOutput("n=%u", 1, 2, {42}, 5);
    w.api(50, {7, 0xFFFFFFFF}, 6);
    w.apiEndValue(50, 3, 7);
    w.targetTimeUs(0x123456789ull, 8);
    w.overflow(17, 9);
    w.stop(10);

    Decoded d(w.bytes());
    EXPECT_EQ(d.lastResult, 0);
    ASSERT_EQ(d.staging.count(), 11u);

    EXPECT_EQ(d.record(0).id, StartEvent);
    EXPECT_EQ(d.decoder.timestampFrequency(), 1'000'000u);

    const EventRecord info = d.record(2);
    EXPECT_EQ(info.param1, 0x20000010u);
    EXPECT_EQ(info.param2, 5u);
    EXPECT_STREQ(info.text, "Worker");
    // The first delta never counts; Target Time (us) later shifts all staged times alike.
    EXPECT_EQ(info.timestamp - d.record(0).timestamp, 3u);
    EXPECT_EQ(std::string(d.record(3).text), std::string(300, 'd'));

    const EventRecord stack = d.record(4);
    ASSERT_NE(stack.payload, nullptr);
    uint32_t words[2];
    std::memcpy(words, stack.payload, sizeof words);
    EXPECT_EQ(words[0], 1024u);
    EXPECT_EQ(words[1], 200u);

    PayloadReader log(d.record(5));
    EXPECT_EQ(log.readString(), "n=%u");
    EXPECT_EQ(log.readVarint(0), 0x0201u);
    EXPECT_EQ(log.readVarint(0), 1u);
    EXPECT_EQ(log.readVarint(0), 42u);
    EXPECT_TRUE(log.atEnd());

    PayloadReader api(d.record(6));
    EXPECT_EQ(api.readVarint(0), 7u);
    EXPECT_EQ(api.readVarint(0), 0xFFFFFFFFu);

    const EventRecord end = d.record(7);
    EXPECT_EQ(end.param2, 50u);
    EXPECT_EQ(end.payloadSize, 1u);
    EXPECT_EQ(end.payload[0], 3);

    EXPECT_EQ(d.record(8).param1, 0x23456789u);
    EXPECT_EQ(d.record(8).param2, 0x1u);
    EXPECT_EQ(d.record(9).param1, 17u);
    EXPECT_EQ(d.record(10).id, StopEvent);
}

TEST(StreamWriterRoundTrip, RawBytesBuildStreamsTheDecoderRejects) {
    StreamWriter w;
    w.start(0);
    w.raw({28, 0, 4, 0}); // END with count 0
    Decoded d(w.bytes());
    EXPECT_EQ(d.lastResult, DecodeInvalidPacket);
    EXPECT_EQ(d.staging.count(), 1u);
}
