#include "recorder/TargetChannel.h"

#include "recorder/ModalMessage.h"
#include "recorder/ProbeLibrary.h"

#include <QThread>

#include <cstring>
#include <string>

namespace kavrin {

namespace {

enum TerminalCommand : uint32_t { StartTerminal = 0, DescribeChannel = 2, CountChannels = 3 };
constexpr int32_t ControlBlockNotFoundYet = -2;
constexpr uint32_t TargetToHost = 0;
constexpr uint32_t StartRecordSize = 16;
constexpr uint32_t DescriptorRecordSize = 48;
constexpr uint32_t DescriptorNameOffset = 8;
constexpr int ErrorTextSize = 1024;
constexpr int CommandAttempts = 301;
constexpr unsigned long CommandRetryMillis = 10;
constexpr unsigned long ResumeSettleMillis = 500;
// The control-block wait: a running target spends 5 of the budget per query.
constexpr int WaitBudget = 3000;
constexpr int WaitCostWhileRunning = 5;
constexpr unsigned long WaitRunningMillis = 1;
constexpr unsigned long WaitHaltedMillis = 10;
constexpr uint8_t ModuleRequest = 0x80;

void ignoreLog(const char*) {}

void showStopMessage(const QString& title, const QString& text) {
    showModalMessage(QMessageBox::Critical, title, text);
}

} // namespace

TargetChannel::TargetChannel(ProbeLibrary& probe) : TargetChannel(probe, showStopMessage) {}

TargetChannel::TargetChannel(ProbeLibrary& probe, Notify notify)
    : probe_(probe), notify_(std::move(notify)) {}

void TargetChannel::clear() {
    connection_ = ProbeConnection();
    block_ = ControlBlockInfo();
    cancelled_ = false;
}

void TargetChannel::configure(const ProbeParameters& parameters) {
    connection_.hostInterface = parameters.hostInterface;
    if (parameters.hostInterface == 0 && parameters.serialNumber != 0)
        connection_.serialNumber = parameters.serialNumber;
    if (parameters.hostInterface == 1)
        connection_.host.assign(parameters.host);
    connection_.targetInterface = parameters.targetInterface;
    connection_.speed = parameters.speed;
    connection_.device.assign(parameters.device);
    connection_.searchRanges.assign(parameters.searchRanges);
    block_.address = parameters.controlBlockAddress;
    if (block_.address != 0)
        block_.found = true;
}

int32_t TargetChannel::connect(bool resumeIfHalted) {
    if (connection_.hostInterface == 1) {
        if (probe_.VANTARARM_SelectIP(connection_.host.c_str(), 0) == 1)
            return -1;
    } else if (connection_.serialNumber != 0 &&
               probe_.VANTARARM_EMU_SelectByUSBSN(connection_.serialNumber) < 0) {
        return -1;
    }
    if (probe_.VANTARARM_OpenEx(ignoreLog, ignoreLog) != nullptr)
        return -1;
    char error[ErrorTextSize] = {};
    const std::string device = "device = " + std::string(connection_.device.view());
    probe_.VANTARARM_ExecCommand(device.c_str(), error, ErrorTextSize);
    if (error[0] != 0)
        return -1;
    probe_.VANTARARM_TIF_Select(connection_.targetInterface);
    probe_.VANTARARM_SetSpeed(uint32_t(connection_.speed));
    probe_.VANTARARM_ExecCommand("SetSkipInitECCRAMOnConnect = 1", error, ErrorTextSize);
    if (probe_.VANTARARM_Connect() != 0)
        return -1;
    // A target halted by another program sharing the probe is left alone.
    if (resumeIfHalted && probe_.VANTARARM_EMU_GetNumConnections() == 1 &&
        probe_.VANTARARM_IsHalted() == 1) {
        probe_.VANTARARM_Go();
        QThread::msleep(ResumeSettleMillis);
    }
    return 0;
}

bool TargetChannel::waitOver(std::chrono::steady_clock::time_point since) const {
    return cancelled_ || std::chrono::steady_clock::now() - since >= haltedWaitLimit_;
}

int32_t TargetChannel::openLiveChannel() {
    block_.channelName.assign(KavrinChannelName);
    block_.channelIndex = -1;
    if (connect(true) != 0)
        return ConnectFailed;
    if (!connection_.searchRanges.empty()) {
        char error[ErrorTextSize] = {};
        const std::string command =
            " SetZTXSearchRanges " + std::string(connection_.searchRanges.view());
        probe_.VANTARARM_ExecCommand(command.c_str(), error, ErrorTextSize);
    }
    uint8_t start[StartRecordSize] = {};
    std::memcpy(start, &block_.address, sizeof block_.address);
    probe_.VANTAR_ZTXTERMINAL_Control(StartTerminal, block_.found ? start : nullptr);

    // While the target is halted the budget does not run down; the time limit and a cancel
    // end that wait instead.
    const auto since = std::chrono::steady_clock::now();
    int budget = WaitBudget;
    int32_t count = ControlBlockNotFoundYet;
    do {
        uint32_t direction = TargetToHost;
        count = probe_.VANTAR_ZTXTERMINAL_Control(CountChannels, &direction);
        if (probe_.VANTARARM_IsHalted() == 0) {
            QThread::msleep(WaitRunningMillis);
            budget -= WaitCostWhileRunning;
        } else {
            QThread::msleep(WaitHaltedMillis);
        }
    } while (budget > 0 && count == ControlBlockNotFoundYet && !waitOver(since));
    if (count < 0)
        return NoControlBlock;

    for (int32_t i = 0; i < count; ++i) {
        uint8_t record[DescriptorRecordSize] = {};
        const uint32_t direction = TargetToHost;
        std::memcpy(record, &i, sizeof i);
        std::memcpy(record + 4, &direction, sizeof direction);
        if (probe_.VANTAR_ZTXTERMINAL_Control(DescribeChannel, record) < 0)
            return ChannelQueryFailed;
        record[DescriptorRecordSize - 1] = 0;
        if (block_.channelName.view() ==
            reinterpret_cast<const char*>(record + DescriptorNameOffset)) {
            block_.channelIndex = i;
            break;
        }
    }
    return block_.channelIndex >= 0 ? ChannelFound : NoKavrinChannel;
}

void TargetChannel::writeCommand(const char* bytes, uint32_t count) {
    // Bytes a write did not take are written again, so that a module request never arrives
    // without its module number.
    for (int attempt = 0; attempt < CommandAttempts && count > 0 && !cancelled_; ++attempt) {
        if (attempt > 0)
            QThread::msleep(CommandRetryMillis);
        const int taken =
            probe_.VANTAR_ZTXTERMINAL_Write(uint32_t(block_.channelIndex), bytes, count);
        if (taken > 0) {
            const auto moved = std::min(uint32_t(taken), count);
            bytes += moved;
            count -= moved;
        }
    }
}

void TargetChannel::sendCommandByte(uint8_t code) {
    const char byte = char(code);
    writeCommand(&byte, 1);
}

void TargetChannel::sendModuleRequest(uint32_t module) {
    const char bytes[2] = {char(ModuleRequest), char(module & 0xFF)};
    writeCommand(bytes, 2);
}

int32_t TargetChannel::readLive(uint8_t* buffer, uint32_t size) {
    return probe_.VANTAR_ZTXTERMINAL_Read(uint32_t(block_.channelIndex),
                                          reinterpret_cast<char*>(buffer), size);
}

void TargetChannel::closeSession() {
    probe_.VANTARARM_Close();
}

} // namespace kavrin
