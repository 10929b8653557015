#include "target/SimulatedTarget.h"

#include "target/ControlBlock.h"
#include "target/RingChannel.h"
#include "target/TargetLayout.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <optional>
#include <string_view>

namespace kavrin {

namespace {
constexpr uint32_t MaxStepsPerSlice = 20'000;
constexpr auto Slice = std::chrono::milliseconds(1);
constexpr auto UnpacedWait = std::chrono::microseconds(100);
constexpr std::string_view Banner = "Tessera RTOS booted, Kavrin recorder ready\n";
constexpr uint8_t InvalidPacket[] = {ApiEndEvent, 0, 0}; // an API end of count 0

enum Command : uint8_t {
    StartCommand = 1,
    StopCommand = 2,
    TimeCommand = 3,
    TaskListCommand = 4,
    SystemDescriptionCommand = 5,
    ModuleCountCommand = 6,
    ModuleCommand = 7,
    ModuleDescriptionCommand = 0x80,
};
} // namespace

SimulatedTarget::SimulatedTarget(SimConfig config)
    : config_(std::move(config)), memory_(layout::regions(config_.ringSize)),
      model_(config_.scenario, config_.seed), halted_(config_.faults.targetHalted) {
    chunk_.reserve(64 * 1024);
    setUpControlBlock();
    nextResync_ = config_.ringSize / 4;
    if (config_.recordAtBoot && !config_.faults.noControlBlock)
        obey(StartCommand);
    thread_ = std::thread([this] { run(); });
}

SimulatedTarget::~SimulatedTarget() {
    quit_ = true;
    thread_.join();
}

void SimulatedTarget::setUpControlBlock() {
    const uint32_t block = config_.controlBlockAddress;
    const std::string_view recorderName =
        config_.faults.noKavrinChannel ? std::string_view("Trace") : ztx::KavrinChannel;
    memory_.write(layout::TerminalName, ztx::TerminalChannel.data(),
                  uint32_t(ztx::TerminalChannel.size()));
    memory_.write(layout::RecorderName, recorderName.data(), uint32_t(recorderName.size()));

    const auto describe = [&](ztx::Direction direction, uint32_t index, uint32_t name,
                              uint32_t buffer, uint32_t size) {
        const uint32_t descriptor =
            ztx::descriptorAddress(block, layout::UpChannels, direction, index);
        const uint32_t fields[6] = {name, buffer, size, 0, 0, 0};
        memory_.write(descriptor, fields, sizeof fields);
        return descriptor;
    };
    describe(ztx::Up, TerminalChannel, layout::TerminalName, layout::TerminalUp,
             layout::TerminalUpSize);
    recorderUp_ = describe(ztx::Up, RecorderChannel, layout::RecorderName, layout::RingArea,
                           config_.ringSize);
    describe(ztx::Down, TerminalChannel, layout::TerminalName, layout::TerminalDown,
             layout::TerminalDownSize);
    recorderDown_ = describe(ztx::Down, RecorderChannel, layout::RecorderName, layout::RecorderDown,
                             layout::RecorderDownSize);
    RingChannel(memory_,
                ztx::descriptorAddress(block, layout::UpChannels, ztx::Up, TerminalChannel))
        .produce(reinterpret_cast<const uint8_t*>(Banner.data()), uint32_t(Banner.size()));

    const int32_t counts[2] = {int32_t(layout::UpChannels), int32_t(layout::DownChannels)};
    memory_.write(block + ztx::UpCountOffset, counts, sizeof counts);
    // The identifier comes last: a host that finds it finds a complete block.
    if (!config_.faults.noControlBlock)
        memory_.write(block, ztx::IdentifierBytes, ztx::IdentifierSize);
    if (const uint32_t decoy = config_.decoyControlBlock) {
        const int32_t tooMany[2] = {ztx::MaxChannels + 1, int32_t(layout::DownChannels)};
        memory_.write(decoy + ztx::UpCountOffset, tooMany, sizeof tooMany);
        memory_.write(decoy, ztx::IdentifierBytes, ztx::IdentifierSize);
    }
}

void SimulatedTarget::run() {
    std::optional<std::chrono::steady_clock::time_point> haltedSince;
    while (!quit_) {
        const auto now = std::chrono::steady_clock::now();
        if (halted_) {
            // A halted core does nothing, and the time it stood still is not made up for.
            haltedSince = haltedSince.value_or(now);
            std::this_thread::sleep_for(Slice);
            continue;
        }
        if (haltedSince) {
            recordingSince_ += now - *haltedSince;
            haltedSince.reset();
        }
        serveCommands();
        const bool ringFull = !produce();
        // Unpaced, the firmware comes back as soon as the host may have made room.
        std::this_thread::sleep_until(now + (ringFull ? UnpacedWait : Slice));
    }
}

void SimulatedTarget::serveCommands() {
    uint8_t commands[64];
    const int32_t count = RingChannel(memory_, recorderDown_).consume(commands, sizeof commands);
    if (count > 0 && !config_.commandLog.empty()) {
        std::ofstream log(config_.commandLog, std::ios::binary | std::ios::app);
        log.write(reinterpret_cast<const char*>(commands), count);
    }
    for (int32_t i = 0; i < count; ++i)
        obey(commands[i]);
}

void SimulatedTarget::obey(uint8_t command) {
    chunk_.clear();
    if (moduleRequest_) {
        moduleRequest_ = false;
        model_.sendModuleDescription(command, chunk_);
        emit();
        return;
    }
    switch (command) {
    case StartCommand:
        if (!model_.recording()) {
            recordingSince_ = std::chrono::steady_clock::now();
            packetsAtStart_ = model_.packetsWritten() + model_.packetsDropped();
        }
        model_.startRecording(chunk_);
        break;
    case StopCommand:
        model_.stopRecording(chunk_);
        break;
    case TimeCommand:
        model_.sendTargetTime(chunk_);
        break;
    case TaskListCommand:
        model_.sendTaskList(chunk_);
        break;
    case SystemDescriptionCommand:
        model_.sendSystemDescription(chunk_);
        break;
    case ModuleCountCommand:
    case ModuleCommand:
        model_.sendModuleCount(chunk_);
        break;
    case ModuleDescriptionCommand:
        moduleRequest_ = true;
        break;
    default:
        break; // unknown commands are ignored
    }
    emit();
}

bool SimulatedTarget::produce() {
    if (!model_.recording())
        return true;
    const auto now = std::chrono::steady_clock::now();
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::microseconds>(now - recordingSince_).count();
    if (config_.durationMillis && elapsed >= int64_t(config_.durationMillis) * 1000) {
        chunk_.clear();
        model_.stopRecording(chunk_);
        emit();
        return true;
    }
    // Paced to the event rate; at rate 0 as fast as the ring has room.
    const uint64_t due =
        packetsAtStart_ + uint64_t(config_.eventRate) * uint64_t(elapsed) / 1'000'000;
    for (uint32_t steps = 0; steps < MaxStepsPerSlice; ++steps) {
        if (config_.eventRate && model_.packetsWritten() + model_.packetsDropped() >= due)
            return true;
        if (!fireStep())
            return false;
    }
    return true;
}

// One step of the firmware; false when the ring is too full to go on at full speed.
bool SimulatedTarget::fireStep() {
    // A step writes well below this; with less room left, its packets are lost instead.
    const int64_t margin = std::min<int64_t>(4096, config_.ringSize / 4);
    const int64_t room = RingChannel(memory_, recorderUp_).freeSpace();
    chunk_.clear();
    if (config_.overwrite) {
        // The ring stays full, emit() drops the oldest bytes; now and then comes a place
        // where a reader of the overwritten ring can begin.
        if (bytesWritten_ >= nextResync_) {
            nextResync_ = bytesWritten_ + config_.ringSize / 4;
            model_.resynchronise(chunk_);
        }
    } else {
        if (config_.eventRate == 0 && room < margin)
            return false;
        model_.setDropping(room < margin);
    }
    model_.step(chunk_);
    emit();
    return true;
}

void SimulatedTarget::emit() {
    const SimFaults& faults = config_.faults;
    if (faults.invalidPacketAfter && !invalidPacketSent_ &&
        bytesWritten_ + chunk_.size() >= faults.invalidPacketAfter) {
        invalidPacketSent_ = true;
        chunk_.raw(InvalidPacket);
    }
    // What does not fit waits for the host to make room, as the recorder module does for
    // the few packets that must not be lost (descriptions, Start, Stop); ordinary steps never
    // get here without room, fireStep saw to that. An overwriting ring drops its oldest bytes.
    RingChannel ring(memory_, recorderUp_);
    const uint8_t* data = chunk_.bytes().data();
    size_t left = chunk_.size();
    while (left > 0 && !quit_) {
        const int32_t written = ring.produce(data, uint32_t(std::min<size_t>(left, INT32_MAX)));
        if (written < 0)
            break;
        data += written;
        left -= size_t(written);
        bytesWritten_ += uint64_t(written);
        if (left > 0 && config_.overwrite)
            ring.discard(uint32_t(std::min<size_t>(left, config_.ringSize)));
        else if (left > 0)
            std::this_thread::sleep_for(Slice);
    }
    eventsLost_ = model_.packetsDropped();
}

} // namespace kavrin
