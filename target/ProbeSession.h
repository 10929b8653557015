#pragma once

#include "target/SimConfig.h"
#include "target/SimulatedTarget.h"
#include "target/ZtxFrontEnd.h"
#include "target/gdb/GdbSettings.h"
#include "target/gdb/GdbTarget.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace kavrin {

// The probe library's state: the probe session and the target behind it. Over USB that is the
// simulated target; after VANTARARM_SelectIP it is a GDB server ("HOST[:PORT]", default port
// 3333) for the session that follows, until VANTARARM_Close. The C functions of
// libVantarARM.so forward to one instance; tests make their own.
class ProbeSession {
public:
    // Terminal commands of VANTAR_ZTXTERMINAL_Control.
    enum TerminalCommand : uint32_t { StartTerminal = 0, DescribeChannel = 2, CountChannels = 3 };
    static constexpr uint32_t DescriptorRecordSize = 48;
    static constexpr uint32_t DescriptorNameOffset = 8;

    // The configuration is taken from `configSource` at every open; the target is rebuilt
    // when the configuration changed, else it keeps running between sessions.
    using ConfigSource = std::function<bool(SimConfig& out, std::string& error)>;
    using GdbSettingsSource = std::function<bool(gdb::GdbSettings& out, std::string& error)>;
    static constexpr uint16_t DefaultGdbPort = 3333;
    // A control block not found on a GDB target is searched for again after this long.
    static constexpr std::chrono::milliseconds SearchInterval{200};

    explicit ProbeSession(ConfigSource configSource = simConfigFromEnvironment,
                          GdbSettingsSource gdbSettings = gdb::gdbSettingsFromEnvironment)
        : configSource_(std::move(configSource)), gdbSettingsSource_(std::move(gdbSettings)) {}

    const char* open();
    void close();
    int execCommand(const char* command, char* error, int errorSize);
    unsigned char selectIp(const char* host, int port);
    int selectByUsbSerial(uint32_t serialNumber);
    void selectInterface(int interfaceType);
    void setSpeed(uint32_t kHz);
    int connect();
    int connections();
    unsigned char isHalted();
    void go();
    void halt();
    int readMemory(uint32_t address, uint32_t count, void* data);
    int deviceIndex(const char* name);
    int deviceInfo(int index, void* record);
    int deviceList(char* buffer, int size);
    int terminalControl(uint32_t command, void* parameter);
    int terminalRead(uint32_t channel, char* buffer, uint32_t size);
    int terminalWrite(uint32_t channel, const char* data, uint32_t count);

    SimulatedTarget* target() { return target_.get(); }
    // The GDB server's target while a session over TCP/IP is open.
    gdb::GdbTarget* gdbTarget() { return gdb_.get(); }

private:
    bool connected() const { return open_ && connected_ && active_; }
    // A session over TCP/IP whose connection broke.
    bool broken() const { return gdb_ && !gdb_->usable(); }
    const char* openSimulated();
    const char* openServer();
    std::vector<std::string> devices() const;
    bool parseSearchRanges(std::string_view text);
    int countChannels(uint32_t direction);
    int pollServer(uint32_t channel, char* buffer, uint32_t size);

    std::recursive_mutex lock_;
    ConfigSource configSource_;
    SimConfig config_;
    std::unique_ptr<SimulatedTarget> target_;
    GdbSettingsSource gdbSettingsSource_;
    std::optional<gdb::ServerAddress> server_; // chosen for the next session
    gdb::GdbSettings gdbSettings_;
    std::unique_ptr<gdb::GdbTarget> gdb_;
    ProbeTarget* active_ = nullptr; // the target of the open session
    std::chrono::steady_clock::time_point nextPoll_{};
    std::chrono::steady_clock::time_point nextSearch_{};
    std::unique_ptr<ZtxFrontEnd> terminal_;
    std::string openError_;
    bool open_ = false;
    bool connected_ = false;
    std::string device_;
    std::vector<RamRegion> searchRanges_;
    uint64_t delivered_ = 0; // channel bytes handed to the host in this session
};

} // namespace kavrin
