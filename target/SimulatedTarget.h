#pragma once

#include "target/FirmwareModel.h"
#include "target/ProbeTarget.h"
#include "target/SimConfig.h"
#include "target/TargetMemory.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

namespace kavrin {

// The target board: RAM holding the recorder's control block and channels, and the firmware
// running on its own thread in real time. The firmware writes the event stream into the
// "Kavrin" up-channel, obeys the host's command bytes from the matching down-channel and
// loses events (reporting them as overflows) while the host reads too slowly.
class SimulatedTarget final : public ProbeTarget {
public:
    // Channel numbers: the terminal first, then the recorder's channel, both ways.
    static constexpr uint32_t TerminalChannel = 0;
    static constexpr uint32_t RecorderChannel = 1;

    explicit SimulatedTarget(SimConfig config);
    ~SimulatedTarget() override;
    SimulatedTarget(const SimulatedTarget&) = delete;
    SimulatedTarget& operator=(const SimulatedTarget&) = delete;

    TargetMemory& memory() override { return memory_; }
    const SimConfig& config() const { return config_; }

    bool halted() const override { return halted_; }
    void halt() override { halted_ = true; }
    void go() override { halted_ = false; }

    // Events the firmware lost because the host read too slowly; readable while it runs.
    uint32_t eventsLost() const { return eventsLost_; }

private:
    void setUpControlBlock();
    void run();
    void serveCommands();
    void obey(uint8_t command);
    // False when the ring was too full to go on.
    bool produce();
    bool fireStep();
    void emit();

    SimConfig config_;
    TargetMemory memory_;
    FirmwareModel model_;
    StreamWriter chunk_;
    uint32_t recorderUp_ = 0; // descriptor addresses
    uint32_t recorderDown_ = 0;
    bool moduleRequest_ = false; // 0x80 seen, its module number comes next
    bool invalidPacketSent_ = false;
    uint64_t nextResync_ = 0; // stream bytes at which the overwrite mode resynchronises
    std::chrono::steady_clock::time_point recordingSince_;
    uint64_t packetsAtStart_ = 0;

    std::atomic<bool> halted_;
    std::atomic<bool> quit_{false};
    uint64_t bytesWritten_ = 0; // into the recorder's channel
    std::atomic<uint32_t> eventsLost_{0};
    std::thread thread_;
};

} // namespace kavrin
