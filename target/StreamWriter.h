#pragma once

#include "engine/EventRecord.h"

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>
#include <vector>

namespace kavrin {

// Encodes packets of the target's event stream into a growing byte buffer. Every packet
// ends with its timestamp delta in target ticks. The writer encodes what it is given and
// does not enforce the decoder's limits, so tests can also build streams the decoder
// must reject; `raw` appends arbitrary bytes for the same purpose.
class StreamWriter {
public:
    const std::vector<uint8_t>& bytes() const { return bytes_; }
    size_t size() const { return bytes_.size(); }
    // Empties the buffer but keeps its capacity, so a writer can be reused without
    // allocating once it has grown.
    void clear() { bytes_.clear(); }
    void reserve(size_t capacity) { bytes_.reserve(capacity); }

    // Building blocks.
    void varint(uint32_t value);
    void string(std::string_view text);
    void raw(std::span<const uint8_t> data);
    void raw(std::initializer_list<uint8_t> data) { raw(std::span(data.begin(), data.size())); }

    // System events, one method per id.
    void sync(uint32_t delta) { bare(SyncEvent, delta); }
    void overflow(uint32_t droppedSoFar, uint32_t delta) { p1(OverflowEvent, droppedSoFar, delta); }
    void isrEnter(uint32_t interrupt, uint32_t delta) { p1(IsrEnterEvent, interrupt, delta); }
    void isrExit(uint32_t delta) { bare(IsrExitEvent, delta); }
    void isrExitToScheduler(uint32_t delta) { bare(IsrExitToSchedulerEvent, delta); }
    void taskRun(uint32_t task, uint32_t delta) { p1(TaskRunEvent, task, delta); }
    void taskStop(uint32_t delta) { bare(TaskStopEvent, delta); }
    void taskReady(uint32_t task, uint32_t delta) { p1(TaskReadyEvent, task, delta); }
    void taskBlock(uint32_t task, uint32_t reason, uint32_t delta);
    void taskCreate(uint32_t task, uint32_t delta) { p1(TaskCreateEvent, task, delta); }
    void taskInfo(uint32_t task, uint32_t priority, std::string_view name, uint32_t delta);
    void start(uint32_t delta) { bare(StartEvent, delta); }
    void stop(uint32_t delta) { bare(StopEvent, delta); }
    void targetTimeCycles(uint32_t cycles, uint32_t delta) {
        p1(TargetTimeCyclesEvent, cycles, delta);
    }
    void targetTimeUs(uint64_t microseconds, uint32_t delta);
    void systemDescription(std::string_view text, uint32_t delta);
    void userStart(uint32_t measurement, uint32_t delta) { p1(UserStartEvent, measurement, delta); }
    void userStop(uint32_t measurement, uint32_t delta) { p1(UserStopEvent, measurement, delta); }
    void systemIdle(uint32_t delta) { bare(SystemIdleEvent, delta); }
    void timerEnter(uint32_t timer, uint32_t delta) { p1(TimerEnterEvent, timer, delta); }
    void timerExit(uint32_t delta) { bare(TimerExitEvent, delta); }
    void stack(uint32_t task, uint32_t base, uint32_t size, uint32_t used, uint32_t delta);
    void moduleDescription(uint32_t moduleIndex, uint32_t eventOffset, std::string_view text,
                           uint32_t delta);
    void apiName(uint32_t delta) { bare(ApiNameEvent, delta); }
    void systemInfo(uint32_t timestampFrequency, uint32_t cpuFrequency, uint32_t taskIdBase,
                    uint32_t taskIdShift, uint32_t delta);
    void resourceName(uint32_t resource, std::string_view name, uint32_t delta);
    void logOutput(std::string_view format, uint32_t level, uint32_t indent,
                   std::span<const uint32_t> args, uint32_t delta);
    void logOutput(std::string_view format, uint32_t level, uint32_t indent,
                   std::initializer_list<uint32_t> args, uint32_t delta) {
        logOutput(format, level, indent, std::span(args.begin(), args.size()), delta);
    }
    void moduleInformation(uint32_t moduleCount, uint32_t delta);

    // An API or user event (id 29 or above) whose parameters are varints.
    void api(uint32_t id, std::span<const uint32_t> params, uint32_t delta);
    void api(uint32_t id, std::initializer_list<uint32_t> params, uint32_t delta) {
        api(id, std::span(params.begin(), params.size()), delta);
    }
    // The end of API event `endedId`; `returnBytes` is the encoded return value (may be empty).
    void apiEnd(uint32_t endedId, std::span<const uint8_t> returnBytes, uint32_t delta);
    // The end of API event `endedId` returning `value`, encoded as one varint.
    void apiEndValue(uint32_t endedId, uint32_t value, uint32_t delta);

    // A LEN-framed packet with an arbitrary block (System Info, Log Output, API events).
    void lenPacket(uint32_t id, std::span<const uint8_t> block, uint32_t delta);

    static uint32_t varintSize(uint32_t value);
    static uint32_t stringSize(std::string_view text);

private:
    void bare(uint32_t id, uint32_t delta);
    void p1(uint32_t id, uint32_t param1, uint32_t delta);
    void p2(uint32_t id, uint32_t param1, uint32_t param2, uint32_t delta);
    void p2s(uint32_t id, uint32_t param1, uint32_t param2, std::string_view text, uint32_t delta);
    void varints(std::span<const uint32_t> values);
    static uint32_t varintsSize(std::span<const uint32_t> values);

    std::vector<uint8_t> bytes_;
};

} // namespace kavrin
