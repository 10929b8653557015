#include "engine/RecordingEngine.h"
#include "target/Generate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

using namespace kavrin;

namespace {

StreamWriter recording(std::string_view scenarioName, uint64_t events, uint64_t seed = 1) {
    Scenario scenario;
    EXPECT_TRUE(builtInScenario(scenarioName, scenario));
    FirmwareModel model(std::move(scenario), seed);
    StreamWriter out;
    generateRecording(model, events, out);
    return out;
}

// A recording decoded and processed by the engine, with what the tracker reported.
struct Analysed {
    RecordingEngine engine;
    int32_t lastResult = 0;
    uint32_t diagnostics = 0;
    std::map<uint32_t, uint32_t> eventsById;
    std::map<uint32_t, uint32_t> isrEntries;
    uint32_t apiEvents = 0;
    uint32_t apiEventsEnded = 0;

    explicit Analysed(const StreamWriter& stream) {
        engine.tracker.hooks.diagnostic = [this](const std::string&) { ++diagnostics; };
        engine.registerBuiltInContexts();
        MemorySource source(stream.bytes().data(), stream.size());
        while ((lastResult = engine.decoder.decodePackets(source, 100'000)) > 0)
            engine.dataProcess(engine.staging.count());
        for (EventNode* node = engine.store.first(); node; node = node->next) {
            ++eventsById[node->record.id];
            if (node->record.id == IsrEnterEvent)
                ++isrEntries[node->record.param1];
            if (node->record.id > 32) {
                ++apiEvents;
                apiEventsEnded += node->endTime != 0;
            }
        }
    }
    const ContextInfo& context(uint32_t id) { return engine.tracker.contexts[id]; }
    const ContextInfo* task(const std::string& name) {
        const ContextInfo* found = nullptr;
        engine.tracker.contexts.forEach([&](uint32_t, ContextInfo& info) {
            if (info.name == name)
                found = &info;
        });
        return found;
    }
    uint64_t span() const {
        return engine.lastNode->record.timestamp - engine.store.first()->record.timestamp;
    }
    uint64_t totalRunTime() {
        uint64_t sum = 0;
        engine.tracker.contexts.forEach(
            [&](uint32_t, ContextInfo& info) { sum += info.totalRunTime; });
        return sum;
    }
};

} // namespace

TEST(GeneratedStream, SameSeedSameBytesOtherSeedOtherBytes) {
    const StreamWriter first = recording("control", 20'000, 7);
    EXPECT_EQ(first.bytes(), recording("control", 20'000, 7).bytes());
    EXPECT_NE(first.bytes(), recording("control", 20'000, 8).bytes());
}

TEST(GeneratedStream, ControlLoopDecodesIntoItsTasksInterruptsAndTimer) {
    Analysed a(recording("control", 200'000));
    EXPECT_EQ(a.lastResult, DecodeNoData);
    EXPECT_EQ(a.engine.nextIndex, 200'000u);
    EXPECT_EQ(a.eventsById[StartEvent], 1u);
    EXPECT_EQ(a.eventsById[StopEvent], 1u);
    EXPECT_EQ(a.diagnostics, 0u) << "every task switch goes through the scheduler";

    // Five tasks with their names and priorities, three interrupts, the timer, Idle and
    // the scheduler: eleven contexts.
    const std::pair<const char*, int32_t> tasks[] = {
        {"Control", 20}, {"Sensor", 15}, {"Comm", 10}, {"Monitor", 5}, {"Logger", 2}};
    for (const auto& [name, priority] : tasks) {
        const ContextInfo* info = a.task(name);
        ASSERT_NE(info, nullptr) << name;
        EXPECT_EQ(info->priority, priority) << name;
        EXPECT_EQ(info->kind, TaskKind) << name;
        EXPECT_GT(info->runCount, 0u) << name;
    }
    for (uint32_t irq : {15u, 34u, 53u}) {
        EXPECT_EQ(a.context(irq).kind, InterruptKind) << irq;
        EXPECT_GT(a.context(irq).runCount, 0u) << irq;
    }
    EXPECT_GT(a.context(TimerContext).runCount, 0u);
    EXPECT_GT(a.context(IdleContext).totalRunTime, 0u);
    EXPECT_GE(a.engine.tracker.contexts.size(), 11u);
    const ContextInfo* control = a.task("Control");
    ASSERT_NE(control, nullptr);

    // The control task and SysTick run once per millisecond, and the task measures each job.
    const double seconds = double(a.span()) / a.engine.decoder.timestampFrequency();
    EXPECT_NEAR(a.isrEntries[15] / seconds, 1000.0, 20.0);
    EXPECT_NEAR(a.engine.tracker.userMeasurements[1].count / seconds, 1000.0, 20.0);
    EXPECT_GE(control->runCount, a.engine.tracker.userMeasurements[1].count);
    // All contexts together account for (almost) the whole recording: nothing is lost.
    EXPECT_NEAR(double(a.totalRunTime()), double(a.span()), a.span() * 0.01);
    // API calls end in their context, so nearly every call gets its span.
    EXPECT_GT(a.apiEvents, 1000u);
    EXPECT_GT(a.apiEventsEnded, a.apiEvents * 8 / 10);
}

TEST(GeneratedStream, BusySystemNestsManyInterrupts) {
    Analysed a(recording("busy", 200'000));
    EXPECT_EQ(a.lastResult, DecodeNoData);
    EXPECT_EQ(a.diagnostics, 0u);
    for (uint32_t irq : {15u, 44u, 27u, 36u, 51u, 22u})
        EXPECT_GT(a.context(irq).runCount, 0u) << irq;
    EXPECT_GT(a.eventsById[IsrEnterEvent], a.eventsById[TaskRunEvent] * 3 / 2);

    // Interrupts nest up to four deep and every one of them is left again (the recording
    // may end inside one).
    int depth = 0;
    int deepest = 0;
    for (EventNode* node = a.engine.store.first(); node; node = node->next) {
        if (node->record.id == IsrEnterEvent)
            deepest = std::max(deepest, ++depth);
        else if (node->record.id == IsrExitEvent || node->record.id == IsrExitToSchedulerEvent)
            --depth;
        ASSERT_GE(depth, 0);
    }
    EXPECT_EQ(deepest, 4);
    EXPECT_LE(depth, 4);
    EXPECT_EQ(a.engine.tracker.isrNesting, depth);
}

TEST(GeneratedStream, ApiScenarioLogsAtThreeLevelsAndEndsItsCalls) {
    Analysed a(recording("api", 100'000));
    EXPECT_EQ(a.lastResult, DecodeNoData);
    EXPECT_EQ(a.diagnostics, 0u);
    std::map<uint32_t, uint32_t> logsByLevel;
    for (EventNode* node = a.engine.store.first(); node; node = node->next) {
        if (node->record.id == LogOutputEvent)
            ++logsByLevel[node->record.param2 & 0xFF];
    }
    EXPECT_GT(logsByLevel[0], 0u);
    EXPECT_GT(logsByLevel[1], 0u);
    EXPECT_GT(logsByLevel[2], 0u);
    EXPECT_GT(a.eventsById[tessera::FsOpen], 0u);
    EXPECT_GT(a.eventsById[ApiEndEvent], a.apiEvents / 2);
    EXPECT_GT(a.apiEventsEnded, a.apiEvents * 8 / 10);
    EXPECT_EQ(a.engine.tracker.resourceNames[0x200021C0], "run.log");
}

TEST(GeneratedStream, OverflowScenarioCountsTheEventsItLost) {
    Scenario scenario;
    builtInScenario("overflow", scenario);
    FirmwareModel model(std::move(scenario), 3);
    StreamWriter out;
    generateRecording(model, 200'000, out);
    ASSERT_GT(model.packetsDropped(), 0u);

    Analysed a(out);
    EXPECT_EQ(a.lastResult, DecodeNoData);
    const uint32_t overflows = a.eventsById[OverflowEvent];
    EXPECT_GT(overflows, 2u);
    EXPECT_EQ(a.engine.tracker.counters.overflowCount, overflows);
    // The running count of the last overflow packet is every event lost before it.
    uint32_t lastCount = 0;
    for (EventNode* node = a.engine.store.first(); node; node = node->next) {
        if (node->record.id == OverflowEvent) {
            EXPECT_GT(node->record.param1, lastCount);
            lastCount = node->record.param1;
        }
    }
    EXPECT_LE(lastCount, model.packetsDropped());
    EXPECT_GE(lastCount + model.scenario().overflowBurst, model.packetsDropped());
}

TEST(GeneratedStream, AnswersToTheHostAreNeverLost) {
    // A firmware that loses nearly everything still starts, describes itself and stops.
    Scenario scenario;
    builtInScenario("control", scenario);
    scenario.overflowEvery = 1;
    scenario.overflowBurst = 1000;
    FirmwareModel model(std::move(scenario), 5);
    StreamWriter out;
    generateRecording(model, 100, out);
    ASSERT_GT(model.packetsDropped(), 1000u);

    Analysed a(out);
    EXPECT_EQ(a.lastResult, DecodeNoData);
    EXPECT_EQ(a.engine.store.first()->record.id, StartEvent);
    EXPECT_EQ(a.eventsById[SystemInfoEvent], 1u);
    EXPECT_GE(a.eventsById[TaskInfoEvent], 5u);
    EXPECT_EQ(a.eventsById[TaskInfoEvent] % 5, 0u); // whole task lists
    EXPECT_GE(a.eventsById[SystemDescriptionEvent], 2u);
    EXPECT_EQ(a.eventsById[StopEvent], 1u);
    EXPECT_EQ(a.engine.lastNode->record.id, StopEvent);
}
