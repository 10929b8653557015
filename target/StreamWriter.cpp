#include "target/StreamWriter.h"

#include "target/Encoding.h"

namespace kavrin {

namespace {
constexpr uint32_t LevelMask = 0xFF;
constexpr uint32_t IndentShift = 8;
} // namespace

uint32_t StreamWriter::varintSize(uint32_t value) {
    return encoding::varintSize(value);
}

uint32_t StreamWriter::stringSize(std::string_view text) {
    return encoding::stringSize(text);
}

uint32_t StreamWriter::varintsSize(std::span<const uint32_t> values) {
    uint32_t size = 0;
    for (uint32_t value : values)
        size += varintSize(value);
    return size;
}

void StreamWriter::varint(uint32_t value) {
    encoding::putVarint(bytes_, value);
}

void StreamWriter::varints(std::span<const uint32_t> values) {
    for (uint32_t value : values)
        varint(value);
}

void StreamWriter::string(std::string_view text) {
    encoding::putString(bytes_, text);
}

void StreamWriter::raw(std::span<const uint8_t> data) {
    bytes_.insert(bytes_.end(), data.begin(), data.end());
}

void StreamWriter::bare(uint32_t id, uint32_t delta) {
    varint(id);
    varint(delta);
}

void StreamWriter::p1(uint32_t id, uint32_t param1, uint32_t delta) {
    varint(id);
    varint(param1);
    varint(delta);
}

void StreamWriter::p2(uint32_t id, uint32_t param1, uint32_t param2, uint32_t delta) {
    varint(id);
    varint(param1);
    varint(param2);
    varint(delta);
}

void StreamWriter::p2s(uint32_t id, uint32_t param1, uint32_t param2, std::string_view text,
                       uint32_t delta) {
    varint(id);
    varint(param1);
    varint(param2);
    string(text);
    varint(delta);
}

void StreamWriter::taskBlock(uint32_t task, uint32_t reason, uint32_t delta) {
    p2(TaskBlockEvent, task, reason, delta);
}

void StreamWriter::taskInfo(uint32_t task, uint32_t priority, std::string_view name,
                            uint32_t delta) {
    p2s(TaskInfoEvent, task, priority, name, delta);
}

void StreamWriter::targetTimeUs(uint64_t microseconds, uint32_t delta) {
    p2(TargetTimeUsEvent, uint32_t(microseconds), uint32_t(microseconds >> 32), delta);
}

void StreamWriter::systemDescription(std::string_view text, uint32_t delta) {
    varint(SystemDescriptionEvent);
    string(text);
    varint(delta);
}

void StreamWriter::stack(uint32_t task, uint32_t base, uint32_t size, uint32_t used,
                         uint32_t delta) {
    varint(StackEvent);
    varint(task);
    varint(base);
    varint(size);
    varint(used);
    varint(delta);
}

void StreamWriter::moduleDescription(uint32_t moduleIndex, uint32_t eventOffset,
                                     std::string_view text, uint32_t delta) {
    p2s(ModuleDescriptionEvent, moduleIndex, eventOffset, text, delta);
}

void StreamWriter::systemInfo(uint32_t timestampFrequency, uint32_t cpuFrequency,
                              uint32_t taskIdBase, uint32_t taskIdShift, uint32_t delta) {
    const uint32_t values[] = {timestampFrequency, cpuFrequency, taskIdBase, taskIdShift};
    api(SystemInfoEvent, values, delta);
}

void StreamWriter::resourceName(uint32_t resource, std::string_view name, uint32_t delta) {
    p2s(ResourceNameEvent, 0, resource, name, delta);
}

void StreamWriter::logOutput(std::string_view format, uint32_t level, uint32_t indent,
                             std::span<const uint32_t> args, uint32_t delta) {
    const uint32_t options = (level & LevelMask) | ((indent & LevelMask) << IndentShift);
    const uint32_t count = uint32_t(args.size());
    varint(LogOutputEvent);
    varint(stringSize(format) + varintSize(options) + varintSize(count) + varintsSize(args));
    string(format);
    varint(options);
    varint(count);
    varints(args);
    varint(delta);
}

void StreamWriter::moduleInformation(uint32_t moduleCount, uint32_t delta) {
    p2(ModuleInformationEvent, 0, moduleCount, delta);
}

void StreamWriter::api(uint32_t id, std::span<const uint32_t> params, uint32_t delta) {
    varint(id);
    varint(varintsSize(params));
    varints(params);
    varint(delta);
}

void StreamWriter::apiEnd(uint32_t endedId, std::span<const uint8_t> returnBytes, uint32_t delta) {
    varint(ApiEndEvent);
    varint(varintSize(endedId) + uint32_t(returnBytes.size()));
    varint(endedId);
    raw(returnBytes);
    varint(delta);
}

void StreamWriter::apiEndValue(uint32_t endedId, uint32_t value, uint32_t delta) {
    varint(ApiEndEvent);
    varint(varintSize(endedId) + varintSize(value));
    varint(endedId);
    varint(value);
    varint(delta);
}

void StreamWriter::lenPacket(uint32_t id, std::span<const uint8_t> block, uint32_t delta) {
    varint(id);
    varint(uint32_t(block.size()));
    raw(block);
    varint(delta);
}

} // namespace kavrin
