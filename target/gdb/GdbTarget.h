#pragma once

#include "target/MemoryAccess.h"
#include "target/ProbeTarget.h"
#include "target/gdb/GdbClient.h"
#include "target/gdb/GdbSettings.h"

#include <cstdint>
#include <string>

namespace kavrin::gdb {

// A target behind a GDB server: run control, and memory access that works whether or not the
// server can reach memory while the target runs. A server that cannot (QEMU stops the whole
// machine on any byte it receives) has the target halted for an access and resumed after it;
// between beginAccess() and endAccess() that happens at most once. A target this class
// halted for an access is always resumed; only halt() leaves it halted.
class GdbTarget final : public ProbeTarget, public MemoryAccess {
public:
    static constexpr uint32_t DefaultPacketSize = 256;

    explicit GdbTarget(const GdbSettings& settings);

    // Connects, learns the server's packet size and whether the target is halted.
    bool attach(const std::string& host, uint16_t port);
    // Ends the connection. A target stopped by halt() stays stopped, any other runs on.
    void detach();
    bool usable() const { return error_.empty() && client_.usable(); }
    const std::string& error() const { return error_.empty() ? client_.error() : error_; }

    MemoryAccess& memory() override { return *this; }
    bool halted() const override { return !running_; }
    // Stops the target until go(); a failure leaves the target unusable.
    void halt() override;
    void go() override;

    bool read(uint32_t address, void* out, uint32_t size) override;
    bool write(uint32_t address, const void* data, uint32_t size) override;
    void beginAccess() override { ++accessDepth_; }
    void endAccess() override;

    // How memory is reached while the target runs, once known.
    GdbSettings::Access access() const { return access_; }
    uint32_t readChunk() const { return readChunk_; }

private:
    // Makes memory reachable; `address` serves the detection read.
    bool prepare(uint32_t address);
    bool detect(uint32_t address);
    bool stop();
    bool resume();
    // One answer to a memory request; a stop reply instead marks the target halted.
    std::optional<std::string> memoryRequest(const std::string& request);

    GdbClient client_;
    std::string error_;
    GdbSettings::Access access_;
    uint32_t readChunk_ = DefaultPacketSize / 2;
    uint32_t writeChunk_ = DefaultPacketSize / 4;
    bool running_ = false;
    bool haltRequested_ = false;
    bool pausedForAccess_ = false;
    int accessDepth_ = 0;
};

} // namespace kavrin::gdb
