#include "EngineHarness.h"
#include "engine/PayloadReader.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

namespace kavrin {
namespace {

using test::decodeAll;

struct DecoderTest : ::testing::Test {
    StagingBuffer staging;
    StreamDecoder decoder{staging};
    StreamWriter writer;
    std::optional<MemorySource> stream;

    // Decodes on from where the last call stopped.
    int32_t decode(uint32_t max = 1000) {
        if (!stream)
            stream.emplace(writer.bytes().data(), writer.size());
        return decoder.decodePackets(*stream, max);
    }
    EventRecord staged(uint32_t index) {
        EventRecord record;
        EXPECT_EQ(staging.copyOut(index, record), 0);
        return record;
    }
};

TEST_F(DecoderTest, PacketsBeforeStartAreDroppedAndStartOpensAtZero) {
    writer.taskRun(5, 100);
    writer.isrEnter(3, 50);
    writer.start(77);
    writer.taskRun(5, 10);
    EXPECT_EQ(decode(), DecodeUnsynchronised);
    EXPECT_EQ(decode(), DecodeUnsynchronised);
    EXPECT_EQ(decode(), 2);
    EXPECT_EQ(staged(0).id, StartEvent);
    EXPECT_EQ(staged(0).timestamp, 0u); // the first delta of a recording counts as 0
    EXPECT_EQ(staged(1).timestamp, 10u);
    EXPECT_EQ(staged(1).param1, 5u);
}

TEST_F(DecoderTest, FieldsOfEveryPayloadClass) {
    writer.start(0);
    writer.taskInfo(7, 12, std::string(300, 'n'), 1);
    writer.stack(7, 0x20000000, 1024, 96, 1);
    writer.api(40, {1, 300, 0xFFFFFFFF}, 1);
    writer.apiEndValue(40, 9, 1);
    writer.targetTimeCycles(0xFFFFFFFF, 0xFFFFFFFF);
    ASSERT_EQ(decode(), 6);
    const EventRecord info = staged(1);
    EXPECT_EQ(info.param1, 7u);
    EXPECT_EQ(info.param2, 12u);
    EXPECT_EQ(std::string(info.text), std::string(300, 'n'));
    const EventRecord stack = staged(2);
    ASSERT_EQ(stack.payloadSize, 8u);
    uint32_t words[2];
    std::memcpy(words, stack.payload, 8);
    EXPECT_EQ(words[0], 1024u);
    EXPECT_EQ(words[1], 96u);
    const EventRecord api = staged(3);
    PayloadReader reader(api);
    EXPECT_EQ(reader.readVarint(0), 1u);
    EXPECT_EQ(reader.readVarint(0), 300u);
    EXPECT_EQ(reader.readVarint(0), 0xFFFFFFFFu);
    EXPECT_EQ(reader.readVarint(42), 42u); // past the block: the default
    const EventRecord end = staged(4);
    EXPECT_EQ(end.param2, 40u);
    EXPECT_EQ(end.payloadSize, 1u);
    EXPECT_EQ(staged(5).timestamp, 4ull + 0xFFFFFFFFull); // 64-bit running time
}

TEST_F(DecoderTest, LengthLimitsAndMalformedPackets) {
    writer.start(0);
    writer.lenPacket(40, std::vector<uint8_t>(2048, 1), 1);
    ASSERT_EQ(decode(), 2);

    StreamWriter tooLong;
    tooLong.lenPacket(40, std::vector<uint8_t>(2049, 1), 1);
    MemorySource source(tooLong.bytes().data(), tooLong.size());
    EXPECT_EQ(decoder.decodePackets(source, 10), DecodeInvalidPacket);

    for (uint8_t count : {0, 11}) {
        const std::vector<uint8_t> badEnd = {28, count, 40, 1, 1};
        MemorySource endSource(badEnd.data(), badEnd.size());
        EXPECT_EQ(decoder.decodePackets(endSource, 10), DecodeInvalidPacket) << int(count);
    }
    // A varint of six bytes cannot be valid.
    const std::vector<uint8_t> longVarint = {4, 0x80, 0x80, 0x80, 0x80, 0x80, 0x01, 0};
    MemorySource varintSource(longVarint.data(), longVarint.size());
    EXPECT_EQ(decoder.decodePackets(varintSource, 10), DecodeInvalidPacket);
}

TEST_F(DecoderTest, TruncatedPacketsAreIncompleteAndEarlierRecordsStay) {
    writer.start(0);
    writer.taskRun(1, 5);
    const size_t complete = writer.size();
    writer.lenPacket(40, std::vector<uint8_t>(20, 1), 1);
    MemorySource source(writer.bytes().data(), complete + 6);
    EXPECT_EQ(decoder.decodePackets(source, 100), DecodeIncompletePacket);
    EXPECT_EQ(decoder.decodedInLastCall(), 2u);
    EXPECT_EQ(staging.count(), 2u);
    EXPECT_EQ(decoder.lastPacketPosition(), complete);

    // A source that ends inside a varint or string: reported, not misread.
    StagingBuffer otherStaging;
    StreamDecoder other(otherStaging);
    StreamWriter names;
    names.start(0);
    names.taskInfo(1, 2, "name", 3);
    MemorySource cut(names.bytes().data(), names.size() - 3);
    EXPECT_EQ(other.decodePackets(cut, 100), DecodeIncompletePacket);
    EXPECT_EQ(other.decodedInLastCall(), 1u);
}

TEST_F(DecoderTest, FrequencyFromFirstSystemInfoAndRebaseOnFirstTargetTime) {
    writer.start(0);
    writer.targetTimeUs(5, 10); // no frequency yet: stored, no rebase
    writer.systemInfo(1'000'000, 48'000'000, 0, 0, 10);
    writer.systemInfo(7, 48'000'000, 0, 0, 10); // only the first one counts
    writer.taskRun(3, 100);
    writer.targetTimeUs(1'000'000, 30); // 1 s = 1,000,000 ticks
    writer.taskRun(4, 20);
    writer.targetTimeUs(2'000'000, 5); // later ones only advance the time
    ASSERT_EQ(decode(), 8);
    EXPECT_EQ(decoder.timestampFrequency(), 1'000'000u);
    EXPECT_EQ(decoder.targetTimeBase(), 1'000'000u);
    // Every staged record keeps its distance to the rebasing packet (now = 160).
    EXPECT_EQ(staged(0).timestamp, 1'000'000u - 160);
    EXPECT_EQ(staged(4).timestamp, 1'000'000u - 30);
    EXPECT_EQ(staged(5).timestamp, 1'000'000u);
    EXPECT_EQ(staged(6).timestamp, 1'000'020u);
    EXPECT_EQ(staged(7).timestamp, 1'000'025u);
}

TEST_F(DecoderTest, RebaseOfAVeryLongUptimeDoesNotWrap) {
    writer.start(0);
    writer.systemInfo(4'000'000'000u, 0, 0, 0, 0);
    const uint64_t tenYearsUs = 10ull * 365 * 24 * 3600 * 1'000'000;
    writer.targetTimeUs(tenYearsUs, 0);
    ASSERT_EQ(decode(), 3);
    EXPECT_EQ(decoder.targetTimeBase(), tenYearsUs * 4000);
}

TEST_F(DecoderTest, EmptySystemInfoLeavesFrequencyUnsetAndFullBufferStops) {
    writer.start(0);
    writer.lenPacket(SystemInfoEvent, {}, 1);
    writer.taskRun(1, 1);
    writer.taskRun(2, 1);
    ASSERT_EQ(decode(), 4);
    EXPECT_EQ(decoder.timestampFrequency(), 0u);
}

// Hands out bytes one at a time, never a run of them: the decoder's checked reads.
class ByteByByteSource {
public:
    ByteByByteSource(const uint8_t* data, size_t size) : inner_(data, size) {}
    int32_t hasData() const { return inner_.hasData(); }
    uint8_t readByte() { return inner_.readByte(); }
    uint32_t position() const { return inner_.position(); }
    bool overrun() const { return inner_.overrun(); }

private:
    MemorySource inner_;
};

struct Decoded {
    std::vector<EventRecord> records;
    std::vector<std::string> texts;
    std::vector<std::vector<uint8_t>> payloads;
    std::vector<int32_t> results;
    uint32_t lastPacketPosition = 0;
};

template <class Source> Decoded decodeThrough(Source& source) {
    StagingBuffer staging;
    StreamDecoder decoder(staging);
    Decoded out;
    int32_t result;
    do {
        result = decoder.decodePackets(source, 7);
        out.results.push_back(result);
    } while (result > 0 || result == DecodeUnsynchronised);
    out.lastPacketPosition = decoder.lastPacketPosition();
    for (uint32_t i = 0; i < staging.count(); ++i) {
        EventRecord record;
        staging.copyOut(i, record);
        out.texts.emplace_back(record.text ? record.text : "(none)");
        out.payloads.emplace_back(record.payload, record.payload + record.payloadSize);
        record.text = nullptr;
        record.payload = nullptr;
        out.records.push_back(record);
    }
    return out;
}

void expectSame(const Decoded& fast, const Decoded& checked, size_t cut) {
    ASSERT_EQ(fast.results, checked.results) << "cut at " << cut;
    EXPECT_EQ(fast.lastPacketPosition, checked.lastPacketPosition) << "cut at " << cut;
    ASSERT_EQ(fast.records.size(), checked.records.size()) << "cut at " << cut;
    EXPECT_EQ(fast.texts, checked.texts) << "cut at " << cut;
    EXPECT_EQ(fast.payloads, checked.payloads) << "cut at " << cut;
    auto fields = [](const EventRecord& r) {
        return std::tuple(r.index, r.id, r.timestamp, r.param1, r.param2, r.streamPosition,
                          r.payloadSize);
    };
    for (size_t i = 0; i < fast.records.size(); ++i)
        EXPECT_EQ(fields(fast.records[i]), fields(checked.records[i]))
            << "record " << i << ", cut at " << cut;
}

// Packets are read whole from memory when it holds enough bytes, else byte by byte; both
// ways give the same records, wherever the stream ends and whatever a packet holds.
TEST(DecoderReadsTest, WholePacketReadsMatchByteReadsAtEveryCut) {
    StreamWriter writer;
    writer.taskRun(9, 3); // before Start: dropped
    writer.start(0);
    writer.systemInfo(1'000'000, 48'000'000, 0, 0, 10);
    writer.taskInfo(7, 12, std::string(300, 'n'), 1); // a length in three bytes
    writer.taskInfo(8, 13, "short", 1);
    writer.stack(7, 0x20000000, 1024, 96, 1);
    writer.api(40, {1, 300, 0xFFFFFFFF}, 0xFFFFFFFF);
    writer.apiEndValue(40, 9, 1);
    writer.logOutput("value %d", 1, 0, {42}, 90);
    writer.lenPacket(41, std::vector<uint8_t>(100, 7), 2);
    writer.targetTimeUs(1'000'000, 30);
    for (uint32_t i = 0; i < 20; ++i) {
        writer.isrEnter(16 + i % 3, 300);
        writer.isrExit(60);
        writer.taskBlock(1 + i % 4, 1, 1500 + i);
    }
    const std::vector<uint8_t>& bytes = writer.bytes();
    for (size_t cut = 0; cut <= bytes.size(); ++cut) {
        MemorySource memory(bytes.data(), cut);
        ByteByByteSource byteByByte(bytes.data(), cut);
        expectSame(decodeThrough(memory), decodeThrough(byteByByte), cut);
    }

    // A bad varint or an oversized payload deep inside a long stream.
    for (const std::vector<uint8_t>& bad :
         {std::vector<uint8_t>{4, 0x80, 0x80, 0x80, 0x80, 0x80, 1, 0},
          std::vector<uint8_t>{40, 0x81, 0x10, 1}}) {
        StreamWriter broken = writer;
        broken.raw(bad);
        for (int i = 0; i < 10; ++i)
            broken.taskRun(1, 1);
        MemorySource memory(broken.bytes().data(), broken.size());
        ByteByByteSource byteByByte(broken.bytes().data(), broken.size());
        const Decoded fast = decodeThrough(memory);
        EXPECT_EQ(fast.results.back(), DecodeInvalidPacket);
        expectSame(fast, decodeThrough(byteByByte), broken.size());
    }
}

// Staged texts and payloads stay intact while more are staged behind them, over many chunks
// of the buffer's block memory, and the memory is used again once all were consumed.
TEST(DecoderReadsTest, StagedBlocksStayValidUntilConsumed) {
    StreamWriter writer;
    writer.start(0);
    const uint32_t names = 3000; // about 900 kB of text
    for (uint32_t i = 0; i < names; ++i)
        writer.taskInfo(i, 1, std::string(290, char('a' + i % 26)) + std::to_string(i), 1);
    StagingBuffer staging;
    StreamDecoder decoder(staging);
    MemorySource source(writer.bytes().data(), writer.size());
    ASSERT_EQ(decoder.decodePackets(source, names + 1), int32_t(names + 1));
    EventRecord record;
    for (uint32_t i = 0; i < names; ++i) {
        ASSERT_EQ(staging.copyOut(i + 1, record), 0);
        ASSERT_EQ(std::string(record.text),
                  std::string(290, char('a' + i % 26)) + std::to_string(i));
    }
    const char* firstText = nullptr;
    staging.copyOut(1, record);
    firstText = record.text;
    staging.consumed(names);
    MemorySource again(writer.bytes().data(), writer.size());
    StreamDecoder second(staging);
    ASSERT_EQ(second.decodePackets(again, 2), 2);
    staging.copyOut(names + 2, record);
    EXPECT_EQ(std::string(record.text), std::string(290, 'a') + "0");
    EXPECT_EQ(record.text, firstText); // the same memory, not more of it
}

TEST(PayloadReaderTest, StringsAndHexBytesStayInsideTheBlock) {
    const uint8_t block[] = {3, 'a', 'b', 'c', 0xFF, 0x00, 0x10, 'x', 'y'};
    PayloadReader reader(block, sizeof block);
    EXPECT_EQ(reader.readString(), "abc");
    EXPECT_EQ(reader.readString(), "xy"); // claims 16 bytes, two remain
    EXPECT_TRUE(reader.atEnd());
    EXPECT_EQ(reader.readString(), "");

    const uint8_t hex[] = {3, 0x0A, 0xFF, 0x00};
    PayloadReader hexReader(hex, sizeof hex);
    EXPECT_EQ(hexReader.readHexBytes(), "a ff 0 ");
    EXPECT_EQ(hexReader.readHexBytes(), "");

    // The record's length field never widens the block.
    EventRecord record;
    uint8_t two[] = {0x81, 0x01};
    record.payload = two;
    record.payloadSize = 2;
    record.param1 = 100;
    PayloadReader recordReader(record);
    EXPECT_EQ(recordReader.readVarint(0), 129u);
    EXPECT_EQ(recordReader.readVarint(7), 7u);
}

TEST(StagingBufferTest, ConsumingTheLastRecordEmptiesTheBuffer) {
    StagingBuffer staging;
    for (int i = 0; i < 3; ++i) {
        ASSERT_NE(staging.nextSlot(), nullptr);
        staging.commit();
    }
    EventRecord record;
    EXPECT_EQ(staging.copyOut(3, record), -1);
    staging.consumed(1);
    ASSERT_NE(staging.nextSlot(), nullptr); // not the last one: nothing moves
    EXPECT_EQ(staging.base(), 0u);
    staging.consumed(2);
    staging.nextSlot();
    EXPECT_EQ(staging.base(), 3u);
    EXPECT_EQ(staging.count(), 0u);
    EXPECT_EQ(staging.peakCount(), 3u);
    staging.restartAt(500);
    EXPECT_EQ(staging.base(), 500u);
    EXPECT_EQ(staging.copyOut(500, record), -1);
}

// Visits cross the buffer's blocks in order and stop where the staged records do.
TEST(StagingBufferTest, VisitsInPlaceAcrossBlocks) {
    StagingBuffer staging;
    staging.restartAt(10);
    const uint32_t staged = 2 * StagingBuffer::GrowthStep + 5;
    for (uint32_t i = 0; i < staged; ++i) {
        EventRecord* slot = staging.nextSlot();
        ASSERT_NE(slot, nullptr);
        slot->param1 = 10 + i;
        staging.commit();
    }
    std::vector<uint32_t> seen;
    auto note = [&](EventRecord& record, uint32_t index) {
        EXPECT_EQ(record.param1, index);
        seen.push_back(index);
    };
    EXPECT_EQ(staging.visitStaged(11, 10 + staged + 100, note), 10 + staged);
    ASSERT_EQ(seen.size(), staged - 1);
    EXPECT_EQ(seen.front(), 11u);
    EXPECT_EQ(seen.back(), 10 + staged - 1);
    seen.clear();
    EXPECT_EQ(staging.visitStaged(5, 20, note), 5u); // before the buffer's first record
    EXPECT_EQ(staging.visitStaged(10 + staged, 10 + staged + 3, note), 10 + staged);
    EXPECT_TRUE(seen.empty());
}

TEST(StagingBufferTest, StopsAtCapacity) {
    StagingBuffer staging;
    for (uint32_t i = 0; i < StagingBuffer::Capacity; ++i) {
        ASSERT_NE(staging.nextSlot(), nullptr);
        staging.commit();
    }
    EXPECT_TRUE(staging.full());
    EXPECT_EQ(staging.nextSlot(), nullptr);
    StreamDecoder decoder(staging);
    StreamWriter writer;
    writer.start(0);
    MemorySource source(writer.bytes().data(), writer.size());
    EXPECT_EQ(decoder.decodePackets(source, 10), 0);
    EXPECT_EQ(source.consumed(), 0u); // nothing read while full
}

} // namespace
} // namespace kavrin
