#pragma once

#include "target/SimConfig.h"
#include "target/SimulatedTarget.h"
#include "target/ZtxFrontEnd.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace kavrin {

// The probe library's state: the probe session and the simulated target behind it. The C
// functions of libVantarARM.so forward to one instance; tests make their own.
class ProbeSession {
public:
    // Terminal commands of VANTAR_ZTXTERMINAL_Control.
    enum TerminalCommand : uint32_t { StartTerminal = 0, DescribeChannel = 2, CountChannels = 3 };
    static constexpr uint32_t DescriptorRecordSize = 48;
    static constexpr uint32_t DescriptorNameOffset = 8;

    // The configuration is taken from `configSource` at every open; the target is rebuilt
    // when the configuration changed, else it keeps running between sessions.
    using ConfigSource = std::function<bool(SimConfig& out, std::string& error)>;
    explicit ProbeSession(ConfigSource configSource = simConfigFromEnvironment)
        : configSource_(std::move(configSource)) {}

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

private:
    bool connected() const { return open_ && connected_ && target_; }
    std::vector<std::string> devices() const;
    bool parseSearchRanges(std::string_view text);

    std::recursive_mutex lock_;
    ConfigSource configSource_;
    SimConfig config_;
    std::unique_ptr<SimulatedTarget> target_;
    std::unique_ptr<ZtxFrontEnd> terminal_;
    std::string openError_;
    bool open_ = false;
    bool connected_ = false;
    std::string device_;
    std::vector<RamRegion> searchRanges_;
    uint64_t delivered_ = 0; // channel bytes handed to the host in this session
};

} // namespace kavrin
