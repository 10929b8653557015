// The recorder module compiled for the host: its bytes against the stream writer and the
// decoder, its rings as the probe library's channel terminal reads them, its commands.
#include "ModuleHostHarness.h"

#include "engine/ByteSource.h"
#include "engine/PayloadReader.h"
#include "engine/StagingBuffer.h"
#include "engine/StreamDecoder.h"
#include "target/StreamWriter.h"

#include <gtest/gtest.h>

#include <functional>
#include <span>
#include <string>
#include <vector>

using namespace kavrin;
using namespace kavrin::test;

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t TimestampFrequency = 25'000'000;
constexpr uint32_t CpuFrequency = 50'000'000;
constexpr uint32_t TaskIdBase = 0x20000000;
constexpr uint32_t TaskIdShift = 2;
constexpr uint32_t TaskA = 0x101;
constexpr uint32_t TaskB = 0x102;

void describeSystem() {
    kavrin_system_description("N=Host,O=Wren");
}

void listTasks() {
    kavrin_task_info(TaskA, 3, "Alpha");
    kavrin_resource_name(0x20000040, "Lock");
}

const kavrin_system_t System = {TimestampFrequency, CpuFrequency,   TaskIdBase,
                                TaskIdShift,        describeSystem, listTasks};
const kavrin_module_t Module = {"M=WrenConsole", 128};

// Records decoded from a whole stream (shallow copies: ids and numbers only).
struct Decoded {
    StagingBuffer staging;
    StreamDecoder decoder{staging};
    int32_t lastResult = 0;
    std::vector<EventRecord> records;

    explicit Decoded(const Bytes& bytes) {
        MemorySource source(bytes.data(), bytes.size());
        while ((lastResult = decoder.decodePackets(source, 1000)) > 0) {
        }
        for (uint32_t i = 0; i < staging.count(); ++i) {
            EventRecord record;
            staging.copyOut(i, record);
            records.push_back(record);
        }
    }
    std::vector<uint32_t> ids() const {
        std::vector<uint32_t> out;
        for (const EventRecord& record : records)
            out.push_back(record.id);
        return out;
    }
};

class RecorderModule : public ::testing::Test {
protected:
    void SetUp() override {
        modulePort() = ModulePort();
        kavrin_init(&System);
        host = std::make_unique<ModuleHost>();
        ASSERT_GE(host->channel, 0);
    }
    void TearDown() override { EXPECT_EQ(modulePort().lockDepth, 0); }

    // Starts recording and takes the packets of the start away.
    void startQuietly() {
        kavrin_start();
        host->drain();
    }
    void at(uint32_t timestamp) { modulePort().timestamp = timestamp; }
    // What waits in the channel behind a Start packet, for the decoder to synchronise on after
    // startQuietly() took the real one away.
    Bytes drainAfterStart() {
        StreamWriter start;
        start.start(0);
        Bytes bytes = start.bytes();
        const Bytes rest = host->drain();
        bytes.insert(bytes.end(), rest.begin(), rest.end());
        return bytes;
    }

    std::unique_ptr<ModuleHost> host;
};

TEST_F(RecorderModule, TheHostFindsTheControlBlockAndItsChannels) {
    ZtxFrontEnd& terminal = host->terminal;
    EXPECT_EQ(terminal.blockAddress(), ModuleAreaAddress); // the area starts with the block
    ASSERT_EQ(terminal.channelCount(ztx::Up), 2);
    ASSERT_EQ(terminal.channelCount(ztx::Down), 2);
    char name[32];
    for (uint32_t direction : {ztx::Up, ztx::Down}) {
        ASSERT_EQ(terminal.channelName(0, direction, name, sizeof name), 0);
        EXPECT_STREQ(name, "Terminal");
        ASSERT_EQ(terminal.channelName(1, direction, name, sizeof name), 0);
        EXPECT_STREQ(name, "Kavrin");
    }
    // Nothing is written before recording starts; the terminal channel works meanwhile.
    kavrin_isr_enter(15);
    EXPECT_TRUE(host->drain().empty());
    EXPECT_EQ(kavrin_terminal_write("hi", 2), 2u);
    uint8_t text[8] = {};
    EXPECT_EQ(terminal.read(0, text, sizeof text), 2);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(text), 2), "hi");
    const uint8_t typed = 'x';
    EXPECT_EQ(terminal.write(0, &typed, 1), 1);
    char got[4] = {};
    EXPECT_EQ(kavrin_terminal_read(got, sizeof got), 1u);
    EXPECT_EQ(got[0], 'x');
}

TEST_F(RecorderModule, StartingSendsWhatTheHostNeedsToKnow) {
    kavrin_register_module(&Module);
    at(1000);
    modulePort().micros = 123'456'789;
    kavrin_task_run(TaskB); // what runs when recording begins
    kavrin_start();
    StreamWriter expected;
    expected.start(0);
    expected.systemInfo(TimestampFrequency, CpuFrequency, TaskIdBase, TaskIdShift, 0);
    expected.targetTimeUs(123'456'789, 0);
    expected.targetTimeCycles(uint32_t(123'456'789ull * 50), 0);
    expected.systemDescription("N=Host,O=Wren", 0);
    expected.moduleInformation(1, 0);
    expected.taskInfo(TaskA, 3, "Alpha", 0);
    expected.resourceName(0x20000040, "Lock", 0);
    expected.taskRun(TaskB, 0);
    EXPECT_EQ(host->drain(), expected.bytes());
    EXPECT_TRUE(kavrin_is_recording());
    EXPECT_EQ(kavrin_packets_produced(), 9u);
}

TEST_F(RecorderModule, EveryEventFunctionWritesTheStreamWritersBytes) {
    startQuietly();
    struct Step {
        std::function<void()> module;
        std::function<void(StreamWriter&, uint32_t)> writer;
    };
    const uint8_t block[] = {4, 'a', 'b', 'c', 'd', 7};
    const uint32_t params[] = {1, 300, 70000, 0xFFFFFFFF};
    const uint32_t args[] = {42, 0xFFFFFFFF};
    const std::string longName(300, 'n'); // a string length with the 0xFF escape
    const std::vector<Step> steps = {
        {[] { kavrin_task_create(TaskA); }, [](auto& w, uint32_t d) { w.taskCreate(TaskA, d); }},
        {[] { kavrin_task_info(TaskA, 7, "Alpha"); },
         [](auto& w, uint32_t d) { w.taskInfo(TaskA, 7, "Alpha", d); }},
        {[&] { kavrin_task_info(TaskB, 1, longName.c_str()); },
         [&](auto& w, uint32_t d) { w.taskInfo(TaskB, 1, longName, d); }},
        {[] { kavrin_task_stack(TaskA, 0x20001000, 1024, 300); },
         [](auto& w, uint32_t d) { w.stack(TaskA, 0x20001000, 1024, 300, d); }},
        {[] { kavrin_task_ready(TaskA); }, [](auto& w, uint32_t d) { w.taskReady(TaskA, d); }},
        {[] { kavrin_task_run(TaskA); }, [](auto& w, uint32_t d) { w.taskRun(TaskA, d); }},
        {[] { kavrin_task_stop(); }, [](auto& w, uint32_t d) { w.taskStop(d); }},
        {[] { kavrin_task_block(TaskA, 0x12); },
         [](auto& w, uint32_t d) { w.taskBlock(TaskA, 0x12, d); }},
        {[] { kavrin_idle(); }, [](auto& w, uint32_t d) { w.systemIdle(d); }},
        {[] { kavrin_isr_enter(25); }, [](auto& w, uint32_t d) { w.isrEnter(25, d); }},
        {[] { kavrin_isr_exit(); }, [](auto& w, uint32_t d) { w.isrExit(d); }},
        {[] { kavrin_isr_exit_to_scheduler(); },
         [](auto& w, uint32_t d) { w.isrExitToScheduler(d); }},
        {[] { kavrin_timer_enter(3); }, [](auto& w, uint32_t d) { w.timerEnter(3, d); }},
        {[] { kavrin_timer_exit(); }, [](auto& w, uint32_t d) { w.timerExit(d); }},
        {[] { kavrin_user_start(9); }, [](auto& w, uint32_t d) { w.userStart(9, d); }},
        {[] { kavrin_user_stop(9); }, [](auto& w, uint32_t d) { w.userStop(9, d); }},
        {[] { kavrin_api_call0(33); },
         [](auto& w, uint32_t d) { w.api(33, std::span<const uint32_t>(), d); }},
        {[] { kavrin_api_call1(34, 5); }, [](auto& w, uint32_t d) { w.api(34, {5}, d); }},
        {[] { kavrin_api_call2(35, 5, 6); },
         [](auto& w, uint32_t d) {
             w.api(35, {5, 6}, d);
         }},
        {[] { kavrin_api_call3(36, 5, 6, 7); },
         [](auto& w, uint32_t d) {
             w.api(36, {5, 6, 7}, d);
         }},
        {[&] { kavrin_api_call(200, params, 4); },
         [&](auto& w, uint32_t d) { w.api(200, params, d); }},
        {[&] { kavrin_api_block(128, block, sizeof block); },
         [&](auto& w, uint32_t d) { w.lenPacket(128, block, d); }},
        {[] { kavrin_api_end(33); }, [](auto& w, uint32_t d) { w.apiEnd(33, {}, d); }},
        {[] { kavrin_api_end_value(35, 300); },
         [](auto& w, uint32_t d) { w.apiEndValue(35, 300, d); }},
        {[&] { kavrin_log(KAVRIN_WARNING, "%u of %x", args, 2); },
         [&](auto& w, uint32_t d) { w.logOutput("%u of %x", 1, 0, args, d); }},
        {[&] { kavrin_log_indented(KAVRIN_ERROR, 3, "deep %d", args, 1); },
         [&](auto& w, uint32_t d) { w.logOutput("deep %d", 2, 3, {42}, d); }},
        {[] { kavrin_print(KAVRIN_LOG, "plain 100%"); },
         [](auto& w, uint32_t d) {
             w.logOutput("plain 100%", 0, 0, std::span<const uint32_t>(), d);
         }},
        {[] { kavrin_system_description("I#15=SysTick"); },
         [](auto& w, uint32_t d) { w.systemDescription("I#15=SysTick", d); }},
        {[] { kavrin_resource_name(0x20000100, "Queue"); },
         [](auto& w, uint32_t d) { w.resourceName(0x20000100, "Queue", d); }},
        {[] { kavrin_task_info(TaskA, 1, nullptr); },
         [](auto& w, uint32_t d) { w.taskInfo(TaskA, 1, "", d); }},
    };
    StreamWriter expected;
    uint32_t now = 0;
    for (size_t i = 0; i < steps.size(); ++i) {
        // Deltas of one to five varint bytes.
        const uint32_t delta = i == 3 ? 0xFFFFFFFFu - now : uint32_t(i * i * 977);
        now += delta;
        at(now);
        steps[i].module();
        steps[i].writer(expected, delta);
    }
    EXPECT_EQ(host->drain(), expected.bytes());
    EXPECT_EQ(kavrin_packets_produced(), 9u + steps.size()); // the start's nine packets too
    EXPECT_EQ(kavrin_packets_dropped(), 0u);
}

TEST_F(RecorderModule, TheTargetTimeAndTheStreamDecode) {
    modulePort().micros = 5'000'000'123ull; // beyond 32 bits of microseconds
    at(0xFFFFFF00);                         // the timestamp counter wraps while recording
    kavrin_start();
    at(0x100);
    kavrin_target_time();
    kavrin_stop();
    kavrin_isr_enter(15); // not recorded any more
    const Decoded decoded(host->drain());
    EXPECT_EQ(decoded.lastResult, 0);
    ASSERT_GE(decoded.records.size(), 4u);
    const EventRecord& stop = decoded.records.back();
    EXPECT_EQ(stop.id, uint32_t(StopEvent));
    const EventRecord& cycles = decoded.records[decoded.records.size() - 2];
    const EventRecord& micros = decoded.records[decoded.records.size() - 3];
    EXPECT_EQ(micros.id, uint32_t(TargetTimeUsEvent));
    EXPECT_EQ(uint64_t(micros.param2) << 32 | micros.param1, 5'000'000'123ull);
    EXPECT_EQ(cycles.param1, uint32_t(5'000'000'123ull * 50));
    EXPECT_EQ(decoded.records.back().timestamp - decoded.records.front().timestamp,
              0x200u); // across the wrap
    EXPECT_FALSE(kavrin_is_recording());
}

TEST_F(RecorderModule, TheRingWrapsWithoutLosingAByte) {
    kavrin_start();
    Bytes stream;
    uint32_t now = 0;
    // Read in odd pieces while writing, so that packets straddle the ring's end many times.
    for (uint32_t round = 0; round < 400; ++round) {
        for (uint32_t i = 0; i < 40; ++i) {
            at(now += 333);
            kavrin_api_call2(40, round, i * 100'000);
        }
        const Bytes piece = host->drain(37 + round % 101);
        stream.insert(stream.end(), piece.begin(), piece.end());
    }
    const Decoded decoded(stream);
    EXPECT_EQ(decoded.lastResult, 0);
    EXPECT_EQ(decoded.records.size(), 9u + 400u * 40u);
    EXPECT_EQ(kavrin_packets_dropped(), 0u);
    PayloadReader last(decoded.records.back());
    EXPECT_EQ(last.readVarint(0), 399u);
    EXPECT_EQ(last.readVarint(0), 3'900'000u);
}

TEST_F(RecorderModule, AFullRingDropsAndThenReportsTheCount) {
    kavrin_start();
    uint32_t now = 0;
    while (kavrin_packets_dropped() < 50) {
        at(now += 10);
        kavrin_isr_enter(17);
    }
    EXPECT_LT(kavrin_free_space(), 3u);
    const uint32_t dropped = kavrin_packets_dropped();
    Bytes stream = host->drain();
    at(now += 10);
    kavrin_log_counters();
    kavrin_isr_exit();
    const Bytes rest = host->drain();
    stream.insert(stream.end(), rest.begin(), rest.end());

    const Decoded decoded(stream);
    EXPECT_EQ(decoded.lastResult, 0);
    const size_t count = decoded.records.size();
    ASSERT_GE(count, 3u);
    EXPECT_EQ(decoded.records[count - 3].id, uint32_t(OverflowEvent));
    EXPECT_EQ(decoded.records[count - 3].param1, dropped);
    EXPECT_EQ(decoded.records[count - 1].id, uint32_t(IsrExitEvent));
    // The counters' message counts the packets before it: its index on the host plus the
    // packets dropped is what the module produced before it.
    const EventRecord& counters = decoded.records[count - 2];
    ASSERT_EQ(counters.id, uint32_t(LogOutputEvent));
    PayloadReader reader(counters);
    EXPECT_EQ(reader.readString(), "Kavrin: %u packets produced, %u dropped");
    EXPECT_EQ(reader.readVarint(99), 0u); // level 0
    EXPECT_EQ(reader.readVarint(99), 2u);
    const uint32_t produced = reader.readVarint(0);
    EXPECT_EQ(reader.readVarint(0), dropped);
    EXPECT_EQ(counters.index + dropped, produced);
    EXPECT_EQ(produced + 2, kavrin_packets_produced());
}

TEST_F(RecorderModule, OversizedBlocksAreDroppedAndLongFormatsCut) {
    startQuietly();
    const std::vector<uint8_t> big(2049, 1);
    kavrin_api_block(50, big.data(), uint32_t(big.size()));
    EXPECT_EQ(kavrin_packets_dropped(), 1u);
    const std::string format(3000, 'f');
    const uint32_t args[] = {1, 2, 3, 4, 5, 6}; // more than the configured four
    kavrin_log(KAVRIN_LOG, format.c_str(), args, 6);
    const Decoded decoded(drainAfterStart());
    EXPECT_EQ(decoded.lastResult, 0);
    ASSERT_EQ(decoded.ids(), (std::vector<uint32_t>{StartEvent, OverflowEvent, LogOutputEvent}));
    const EventRecord& log = decoded.records.back();
    EXPECT_EQ(log.param1, 2048u); // cut to what the host accepts
    PayloadReader reader(log);
    EXPECT_EQ(reader.readString().size(), 2048u - 3 - 1 - 1 - 4);
    EXPECT_EQ(reader.readVarint(99), 0u);
    EXPECT_EQ(reader.readVarint(99), 4u);
}

TEST_F(RecorderModule, AGarbledReadOffsetLosesPacketsButNeverWritesOutside) {
    startQuietly();
    // The host writes a read offset beyond the ring.
    const uint32_t readOffsetField =
        ztx::descriptorAddress(ModuleAreaAddress, 2, ztx::Up, 1) + ztx::ReadOffsetField;
    uint32_t saved = 0;
    ASSERT_TRUE(host->memory.readWord(readOffsetField, saved));
    ASSERT_TRUE(host->memory.writeWord(readOffsetField, 0xFFFFFFF0));
    kavrin_isr_enter(15);
    EXPECT_EQ(kavrin_packets_dropped(), 1u);
    ASSERT_TRUE(host->memory.writeWord(readOffsetField, saved));
    kavrin_isr_exit();
    const Decoded decoded(drainAfterStart());
    EXPECT_EQ(decoded.ids(), (std::vector<uint32_t>{StartEvent, OverflowEvent, IsrExitEvent}));
}

TEST_F(RecorderModule, CommandBytesAreAnswered) {
    kavrin_register_module(&Module);
    kavrin_register_module(&Module);
    host->command({1});
    EXPECT_TRUE(kavrin_is_recording());
    host->drain();

    host->command({5, 4, 3, 6, 7, 42}); // 42 is no command and is ignored
    EXPECT_EQ(Decoded(drainAfterStart()).ids(),
              (std::vector<uint32_t>{StartEvent, SystemDescriptionEvent, TaskInfoEvent,
                                     ResourceNameEvent, TargetTimeUsEvent, TargetTimeCyclesEvent,
                                     ModuleInformationEvent, ModuleInformationEvent}));

    // A module request split over two polls, one for a module that does not exist.
    host->command({0x80});
    host->command({1, 0x80, 7});
    StreamWriter expected;
    expected.moduleDescription(1, 128, "M=WrenConsole", 0);
    EXPECT_EQ(host->drain(), expected.bytes());

    host->command({2});
    EXPECT_FALSE(kavrin_is_recording());
    StreamWriter stop;
    stop.stop(0);
    EXPECT_EQ(host->drain(), stop.bytes());
    host->command({5, 4});
    EXPECT_TRUE(host->drain().empty());
}

TEST_F(RecorderModule, AStartWhileRecordingStartsAgainForANewHost) {
    startQuietly();
    kavrin_isr_enter(15);
    host->drain(); // the session that read this broke off; the target kept recording
    host->command({1});
    EXPECT_TRUE(kavrin_is_recording());
    const Decoded decoded(host->drain());
    ASSERT_FALSE(decoded.records.empty());
    EXPECT_EQ(decoded.records.front().id, uint32_t(StartEvent));
    EXPECT_EQ(decoded.records.front().timestamp, 0u);
}

TEST_F(RecorderModule, AStartThatDoesNotFitIsRetriedByPoll) {
    // The ring is full of bytes an earlier host left unread.
    kavrin_start();
    while (kavrin_free_space() >= 3)
        kavrin_isr_enter(15); // three bytes
    while (kavrin_free_space() >= 2)
        kavrin_isr_exit(); // two, as the Start packet
    kavrin_stop();
    host->command({1});
    EXPECT_FALSE(kavrin_is_recording());
    host->drain();
    kavrin_poll();
    EXPECT_TRUE(kavrin_is_recording());
    EXPECT_EQ(Decoded(host->drain()).records.front().id, uint32_t(StartEvent));
}

} // namespace
