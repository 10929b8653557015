#pragma once

#include "recorder/ProbeConnection.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string_view>

class QString;

namespace kavrin {

class ProbeLibrary;
class RecordingFile;

// What configure takes; texts longer than their ProbeConnection field are cut.
struct ProbeParameters {
    int32_t hostInterface = 0; // 0 USB, 1 TCP/IP
    uint32_t serialNumber = 0;
    std::string_view host;
    int32_t targetInterface = 1; // 0 JTAG, 1 SWD
    int32_t speed = 8000;        // kHz
    std::string_view device;
    std::string_view searchRanges;
    uint32_t controlBlockAddress = 0; // 0: search for it
};

// Access to the recorder's channels in target memory through the probe library: the live
// channel through the library's channel terminal, and the recorded data of a halted target
// through a search of its memory. Used by one activity at a time: the recorder thread while
// recording, the GUI thread while reading recorded data.
class TargetChannel {
public:
    // Results of openLiveChannel.
    enum LiveResult : int32_t {
        ChannelFound = 0,
        ChannelQueryFailed = -1,
        ConnectFailed = -2,
        NoControlBlock = -3,
        NoKavrinChannel = -4,
    };
    // The allocation message: title, text.
    using Notify = std::function<void(const QString& title, const QString& text)>;

    explicit TargetChannel(ProbeLibrary& probe);
    TargetChannel(ProbeLibrary& probe, Notify notify);

    // ProbeConnection and ControlBlockInfo back to zero (part of the reset of all data).
    void clear();
    // Fills the connection; called after clear(), so what is not stored stays empty: the
    // serial number only for USB and when not 0, the host only for TCP/IP.
    void configure(const ProbeParameters& parameters);

    // Opens a probe session and connects to the target: 0, or -1 at the first failure. With
    // `resumeIfHalted` a target halted while no other program uses the probe is resumed.
    int32_t connect(bool resumeIfHalted);
    // Connects, starts the channel terminal, waits for the control block and looks for the
    // "Kavrin" up-channel: a LiveResult.
    int32_t openLiveChannel();
    // Host-to-target commands on the live channel; a command the channel never takes is
    // dropped after 301 attempts.
    void sendCommandByte(uint8_t code);
    void sendModuleRequest(uint32_t module);
    // Bytes from the live channel into `buffer`: 0 when none wait, negative on failure.
    int32_t readLive(uint8_t* buffer, uint32_t size);
    // Ends the probe session.
    void closeSession();

    // Halts the target, finds the control block and the "Kavrin" channel in its memory and
    // hands the channel's content to `file`: the byte count (0 or more), -1 when nothing
    // could be found or allocated, -2 when a memory read failed. The target stays halted.
    int32_t readRecordedData(RecordingFile& file);

    // Waits that depend on a halted target (the control-block wait of openLiveChannel and
    // halting for readRecordedData) give up after this long, or when cancelled.
    void setHaltedWaitLimit(std::chrono::milliseconds limit) { haltedWaitLimit_ = limit; }
    // Ends such a wait from any thread; the activity then fails with its usual code.
    void cancelWaits() { cancelled_ = true; }
    void allowWaits() { cancelled_ = false; }

    const ProbeConnection& connection() const { return connection_; }
    const ControlBlockInfo& controlBlock() const { return block_; }

    // Results of the steps of readRecordedData, public for their tests.
    int32_t findControlBlock();
    int32_t findKavrinChannel();
    int32_t readChannelBuffer(RecordingFile& file);

private:
    bool readMemory(uint32_t address, uint32_t count, void* out);
    bool headerValid(const uint8_t* header) const;
    // Scans one range for the identifier: 1 found, 0 not, -2 read failed.
    int32_t scanRange(uint32_t start, uint32_t size);
    int32_t checkCandidate(uint32_t address);
    bool waitOver(std::chrono::steady_clock::time_point since) const;
    void writeCommand(const char* bytes, uint32_t count);
    uint8_t* allocate(uint32_t size);

    ProbeLibrary& probe_;
    Notify notify_;
    ProbeConnection connection_;
    ControlBlockInfo block_;
    std::chrono::milliseconds haltedWaitLimit_{10'000};
    std::atomic<bool> cancelled_{false};
};

} // namespace kavrin
