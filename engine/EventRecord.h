#pragma once

#include <cstdint>

namespace kavrin {

// Event ids of the stream; every id of 29 and above is framed as an API event.
enum EventId : uint32_t {
    SyncEvent = 0,
    OverflowEvent = 1,
    IsrEnterEvent = 2,
    IsrExitEvent = 3,
    TaskRunEvent = 4,
    TaskStopEvent = 5,
    TaskReadyEvent = 6,
    TaskBlockEvent = 7,
    TaskCreateEvent = 8,
    TaskInfoEvent = 9,
    StartEvent = 10,
    StopEvent = 11,
    TargetTimeCyclesEvent = 12,
    TargetTimeUsEvent = 13,
    SystemDescriptionEvent = 14,
    UserStartEvent = 15,
    UserStopEvent = 16,
    SystemIdleEvent = 17,
    IsrExitToSchedulerEvent = 18,
    TimerEnterEvent = 19,
    TimerExitEvent = 20,
    StackEvent = 21,
    ModuleDescriptionEvent = 22,
    ApiNameEvent = 23,
    SystemInfoEvent = 24,
    ResourceNameEvent = 25,
    LogOutputEvent = 26,
    ModuleInformationEvent = 27,
    ApiEndEvent = 28,
    FirstApiEvent = 29,
};
// Ids from here on are API calls (the API events below are names, ends and the like).
inline constexpr uint32_t FirstCallId = 32;

// Context ids: 0 is Idle, the two highest values are the scheduler and the timer context;
// every other value is an interrupt number or a task id.
inline constexpr uint32_t IdleContext = 0;
inline constexpr uint32_t SchedulerContext = 0xFFFFFFFFu;
inline constexpr uint32_t TimerContext = 0xFFFFFFFEu;

// One decoded packet. While staged, `text` and `payload` point into the staging buffer's block
// memory; a stored record's point into the event store's block memory, a checkpoint's are heap
// blocks of its own (deepCopy).
struct EventRecord {
    uint32_t index = 0;
    uint32_t id = 0;
    uint64_t timestamp = 0;
    uint32_t param1 = 0;
    uint32_t param2 = 0;
    char* text = nullptr;       // NUL-terminated Latin-1, or null
    uint8_t* payload = nullptr; // payloadSize bytes, or null
    uint32_t streamPosition = 0;
    uint32_t context = 0;
    uint32_t contextBefore = 0;
    uint32_t contextAfter = 0;
    uint32_t payloadSize = 0; // bytes in `payload`; for Log Output the formatted text's length
};

// Text and payload blocks are plain malloc blocks so that records stay trivially copyable.
char* copyText(const char* text, uint32_t length);
uint8_t* copyBlock(const uint8_t* data, uint32_t size);
void freeRecordBlocks(EventRecord& record);
// A copy that owns copies of the text and payload blocks.
EventRecord deepCopy(const EventRecord& record);

} // namespace kavrin
