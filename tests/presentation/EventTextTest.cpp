#include "PresentationHarness.h"

#include <gtest/gtest.h>

namespace kavrin {
namespace {

using test::TestEvent;
using test::varints;

class EventTextTest : public ::testing::Test, public test::TextFixture {
protected:
    QString format(const QString& text, std::vector<uint8_t> payload) {
        TestEvent event(40, std::move(payload));
        return FormatParameters(event.node, text, sources());
    }
    QString detail(TestEvent& event) { return EventDetail(event.node, sources()); }
    QString name(TestEvent& event) { return EventName(event.node, presentation.descriptions); }
    DescriptionTables& descriptions() { return presentation.descriptions; }
};

TEST_F(EventTextTest, FormatParametersConversions) {
    tracker.resourceNames[0x2000] = "Sem1";
    std::vector<uint8_t> payload = varints({0xFFFFFFFB, 300, 255, 0x1234, 5, 7, 0x2000, 1500});
    payload.insert(payload.end(), {2, 'h', 'i', 2, 0x0A, 0xFF});
    EXPECT_EQ(format("%d %u %x %p %b %t %I %D %s %B%q|", payload),
              "-5 300 ff 0x00001234 0b101 Worker Sem1 1.5 us hi a ff |");
    EXPECT_EQ(format("%b", varints({0})), "0b0");
    EXPECT_EQ(format("%t %t", varints({0, 3})), "Idle ISR #3");
}

TEST_F(EventTextTest, FormatParametersOnAnExhaustedPayload) {
    EXPECT_EQ(format("%u %u", varints({5})), "5 0");
    EXPECT_EQ(format("[%s][%B]%d", {}), "[][]0");
    EXPECT_EQ(format("100%%", {}), "100");
    EXPECT_EQ(format("a%", {}), "a");
    // A string and a byte block that claim more bytes than the block holds are cut.
    EXPECT_EQ(format("%s", {10, 'a', 'b'}), "ab");
    // The payload reader stops at the block even when the length field claims more.
    TestEvent event(40, varints({9}));
    event.record().param1 = 1000;
    EXPECT_EQ(FormatParameters(event.node, "%u %u", sources()), "9 0");
}

// The block's own length byte may claim more than the payload holds.
TEST_F(EventTextTest, ByteBlockStopsAtThePayloadEnd) {
    EXPECT_EQ(format("%B", {5, 0x01}), "1 ");
}

TEST_F(EventTextTest, FormatParametersNamedTypes) {
    descriptions().namedTypes["State"][1] = "Busy";
    EXPECT_EQ(format("%State now", varints({1})), "Busynow");
    EXPECT_EQ(format("%State now", varints({26})), "1anow");
    EXPECT_EQ(format("s=%State", varints({1})), "s=Busy");
    EXPECT_EQ(format("%State", {}), "0");                  // no text for the default 0: hex
    EXPECT_EQ(format("%Stately", varints({1})), "tately"); // not the type: "S" converts nothing
}

TEST(TaskStateText, ReasonsAndFlags) {
    EXPECT_EQ(TaskStateText(4), "Wait for timeout");
    EXPECT_EQ(TaskStateText(0), "Ready ");
    EXPECT_EQ(TaskStateText(0x0C), "Wait for event with timeout ");
    EXPECT_EQ(TaskStateText(0x0B), "Wait for event , suspended ");
    EXPECT_EQ(TaskStateText(0x30), "Wait for Queue not empty ");
    EXPECT_EQ(TaskStateText(0xA7), "Wait for Memory pool with timeout , suspended ");
    EXPECT_EQ(TaskStateText(0x28), "Reason=40");
    EXPECT_EQ(TaskStateText(0xF8), "Reason=248");
}

TEST_F(EventTextTest, TaskBlockText) {
    TestEvent block(TaskBlockEvent);
    block.record().param1 = 7;
    block.record().param2 = 0x0C;
    EXPECT_EQ(detail(block), "Worker, Reason=12");
    descriptions().operatingSystem = "Halvix";
    EXPECT_EQ(detail(block), "Worker, Wait for event with timeout ");
    block.record().param2 = 0x28;
    EXPECT_EQ(detail(block), "Worker, Reason=40");
    descriptions().taskStateMask = 0x0F;
    descriptions().taskStates[8] = "Delayed";
    EXPECT_EQ(detail(block), "Worker, Delayed");
}

TEST_F(EventTextTest, NamesThroughTheTaskIdBaseAndShift) {
    tracker.setTaskIdMapping(0x20000000, 2);
    EXPECT_EQ(ContextNameText(tracker, 0x20001000), "400");
    EXPECT_EQ(ResourceName(tracker, 0x20001000), "0x00000400");
    EXPECT_EQ(ResourceName(tracker, 0x1234), "0x00001234"); // below the base: not mapped
    tracker.resourceNames[0x400] = "Pool";
    EXPECT_EQ(ResourceName(tracker, 0x20001000), "Pool");
    tracker.resourceNames[0x20001000] = "Direct";
    EXPECT_EQ(ResourceName(tracker, 0x20001000), "Direct");
    ContextInfo& main = tracker.contexts[0x400];
    main.name = "Main";
    main.hasName = true;
    EXPECT_EQ(ContextNameText(tracker, 0x20001000), "Main");
    tracker.setTaskIdMapping(0, 0);
    EXPECT_EQ(ResourceName(tracker, 0x20002000), "0x20002000");
}

TEST_F(EventTextTest, EventNames) {
    TestEvent event(LogOutputEvent);
    const std::pair<uint32_t, const char*> levels[] = {
        {0x100, "Log"}, {1, "Warning"}, {0x32, "Error"}, {7, "Log Level 7"}};
    for (auto [options, text] : levels) {
        event.record().param2 = options;
        EXPECT_EQ(name(event), text);
    }
    descriptions().apis[50].name = "osSend";
    event.record().id = ApiEndEvent;
    event.record().param2 = 50;
    EXPECT_EQ(name(event), "osSend");
    event.record().param2 = 51;
    EXPECT_EQ(name(event), "#51");
    event.record().id = 50;
    EXPECT_EQ(name(event), "osSend");
    for (uint32_t id : {23u, 29u, 32u, 4000000000u}) {
        event.record().id = id;
        EXPECT_EQ(name(event), QStringLiteral("#%1").arg(id));
    }
}

TEST_F(EventTextTest, SpanDetails) {
    TestEvent run(TaskRunEvent);
    run.record().timestamp = 1000;
    EXPECT_EQ(detail(run), "");
    run.node.endTime = 2500;
    EXPECT_EQ(detail(run), "Runs for 1.5 us (1 500 cycles)");

    TestEvent idle(SystemIdleEvent);
    EXPECT_EQ(detail(idle), "");
    idle.node.endTime = 999;
    EXPECT_EQ(detail(idle), "Idle for 999 ns (999 cycles)");

    TestEvent ready(TaskReadyEvent);
    ready.record().param1 = 7;
    EXPECT_EQ(detail(ready), "Worker");
    ready.node.endTime = 2000;
    EXPECT_EQ(detail(ready), "Worker, runs after 2.0 us (2 000 cycles)");
    ready.record().context = 7;
    EXPECT_EQ(detail(ready), " runs after 2.0 us (2 000 cycles)");

    TestEvent timer(TimerEnterEvent);
    timer.record().param1 = 0xAB;
    EXPECT_EQ(detail(timer), "#0xab");
    timer.node.endTime = 10;
    EXPECT_EQ(detail(timer), "#0xab runs for 10 ns (10 cycles)");
}

TEST_F(EventTextTest, SystemEventDetails) {
    TestEvent info(TaskInfoEvent);
    char name[] = "T%1x";
    info.record().text = name;
    info.record().param1 = 0x5A;
    info.record().param2 = 3;
    EXPECT_EQ(detail(info), "T%1x (0x5a), Prio=3");

    TestEvent time(TargetTimeUsEvent);
    time.record().param1 = uint32_t(3'723'004'500);
    EXPECT_EQ(detail(time), "01:02:03.004 500");

    TestEvent stop(UserStopEvent);
    stop.record().param1 = 2;
    stop.record().param2 = 1500;
    EXPECT_EQ(detail(stop), "#2 Run time:   1.5 us"); // the duration keeps its blanks

    TestEvent stack(StackEvent);
    const uint32_t words[2] = {512, 77};
    stack.payload.assign(reinterpret_cast<const uint8_t*>(words),
                         reinterpret_cast<const uint8_t*>(words) + sizeof words);
    stack.setPayload();
    stack.record().param1 = 7;
    stack.record().param2 = 0x2000F00;
    EXPECT_EQ(detail(stack), "0x7: 512 @ 0x02000f00");
    stack.payload.resize(2); // too short for the size word
    stack.setPayload();
    stack.record().param1 = 7;
    EXPECT_EQ(detail(stack), "0x7: 0 @ 0x02000f00");
}

TEST_F(EventTextTest, SystemInfoDetailOnlyShowsTheValues) {
    TestEvent empty(SystemInfoEvent);
    EXPECT_EQ(detail(empty), "TSFreq=168000000, CPUFreq=168000000, TaskBase=0x0, TaskShift=0");
    TestEvent full(SystemInfoEvent, varints({1000, 48000000, 0x20000000, 2}));
    EXPECT_EQ(detail(full), "TSFreq=1000, CPUFreq=48000000, TaskBase=0x20000000, TaskShift=2");
    EXPECT_EQ(presentation.timeBase.frequency, 1'000'000'000u);
    EXPECT_EQ(tracker.taskIdBase, 0u);
}

TEST_F(EventTextTest, LogOutputDetail) {
    TestEvent log(LogOutputEvent, {'h', 'e', 'l', 'l', 'o', 0});
    EXPECT_EQ(detail(log), "hello");
    TestEvent unterminated(LogOutputEvent, {'a', 'b'});
    EXPECT_EQ(detail(unterminated), "ab");
    TestEvent empty(LogOutputEvent, {0});
    EXPECT_EQ(detail(empty), "Empty printf string");
    TestEvent none(LogOutputEvent);
    EXPECT_EQ(detail(none), "Empty printf string");
}

TEST_F(EventTextTest, ApiReturnText) {
    TestEvent end(ApiEndEvent);
    end.record().param2 = 50;
    EXPECT_EQ(detail(end), "returns.");
    end.payload = varints({0x1F});
    end.setPayload();
    EXPECT_EQ(detail(end), "returns 0x1f.");
    descriptions().apis[50].name = "osSend";
    EXPECT_EQ(detail(end), "returns 0x1f."); // described by an item only: no return format
    descriptions().namedTypes["Result"][0x1F] = "Full";
    descriptions().apis[50].returnFormat = QStringLiteral("gives %Result");
    end.node.endTime = 1000;
    EXPECT_EQ(detail(end), "gives Full after 1.0 us.");
    descriptions().apis[50].returnFormat = QString();
    EXPECT_EQ(detail(end), " after 1.0 us.");
}

TEST_F(EventTextTest, ApiParameterText) {
    TestEvent call(60, {0x01, 0xAB});
    EXPECT_EQ(detail(call), "01 AB ");
    call.record().param1 = 40; // claims more than the block holds
    EXPECT_EQ(detail(call), "01 AB ");
    call.record().param1 = 0;
    EXPECT_EQ(detail(call), "");
    descriptions().apis[60] = {QStringLiteral("osCall"), QStringLiteral("v=%u"), {}};
    call.payload = varints({300});
    call.setPayload();
    EXPECT_EQ(detail(call), "v=300");
    TestEvent apiName(ApiNameEvent);
    EXPECT_EQ(detail(apiName), "");
}

} // namespace
} // namespace kavrin
