#include "target/ProbeSession.h"

#include "target/DeviceRam.h"
#include "target/IniFile.h"
#include "target/TargetLayout.h"
#include "target/VantarArm.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>

namespace kavrin {

namespace {

constexpr const char* KnownDevices[] = {"STM32F407VG", "STM32H743ZI", "STM32L476RG", "Kavrin-Sim",
                                        "MPS2-AN385"};
constexpr size_t MaxRanges = 8;

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// `text` begins with the word `keyword`, in any letter case; the rest follows in `rest`.
bool startsWithWord(std::string_view text, std::string_view keyword, std::string_view& rest) {
    if (text.size() < keyword.size() ||
        !equalsIgnoringCase(text.substr(0, keyword.size()), keyword))
        return false;
    rest = text.substr(keyword.size());
    return rest.empty() || !std::isalnum(static_cast<unsigned char>(rest.front()));
}

void setError(char* error, int errorSize, std::string_view text) {
    if (!error || errorSize <= 0)
        return;
    const size_t length = std::min(text.size(), size_t(errorSize - 1));
    std::memcpy(error, text.data(), length);
    error[length] = 0;
}

} // namespace

const char* ProbeSession::open() {
    std::lock_guard guard(lock_);
    terminal_.reset();
    gdb_.reset();
    active_ = nullptr;
    open_ = false;
    const char* failure = server_ ? openServer() : openSimulated();
    if (failure)
        return failure;
    terminal_ = std::make_unique<ZtxFrontEnd>(active_->memory());
    open_ = true;
    connected_ = false;
    delivered_ = 0;
    nextPoll_ = nextSearch_ = {};
    device_.clear();
    searchRanges_.clear();
    return nullptr;
}

const char* ProbeSession::openServer() {
    std::string error;
    if (!gdbSettingsSource_(gdbSettings_, error)) {
        openError_ = "GDB server settings: " + error;
        return openError_.c_str();
    }
    auto target = std::make_unique<gdb::GdbTarget>(gdbSettings_);
    if (!target->attach(server_->host, server_->port)) {
        openError_ = "GDB server " + server_->host + ":" + std::to_string(server_->port) + ": " +
                     target->error();
        return openError_.c_str();
    }
    gdb_ = std::move(target);
    active_ = gdb_.get();
    return nullptr;
}

const char* ProbeSession::openSimulated() {
    SimConfig config;
    std::string error;
    if (!configSource_(config, error)) {
        openError_ = "Simulated target: " + error;
        return openError_.c_str();
    }
    if (config.faults.openFails) {
        openError_ = "Cannot open the probe (simulated fault)";
        return openError_.c_str();
    }
    if (!target_ || target_->config().source != config.source)
        target_ = std::make_unique<SimulatedTarget>(config);
    config_ = std::move(config);
    active_ = target_.get();
    return nullptr;
}

void ProbeSession::close() {
    std::lock_guard guard(lock_);
    open_ = false;
    connected_ = false;
    if (terminal_)
        terminal_->stop();
    if (gdb_)
        gdb_->detach();
    gdb_.reset();
    active_ = nullptr;
    server_.reset(); // the next session is over USB unless the IP is selected again
}

int ProbeSession::execCommand(const char* command, char* error, int errorSize) {
    std::lock_guard guard(lock_);
    setError(error, errorSize, "");
    if (!command) {
        setError(error, errorSize, "No command");
        return -1;
    }
    const std::string_view text = trimmed(command);
    std::string_view rest;
    if (startsWithWord(text, "device", rest) && trimmed(rest).starts_with('=')) {
        const std::string_view name = trimmed(trimmed(rest).substr(1));
        // Behind a GDB server any device will do: its name only chooses the RAM searched.
        if (!gdb_ && !name.empty() && deviceIndex(std::string(name).c_str()) < 0) {
            setError(error, errorSize, "Unknown device \"" + std::string(name) + "\"");
            return -1;
        }
        device_ = name;
        return 0;
    }
    if (startsWithWord(text, "SetSkipInitECCRAMOnConnect", rest))
        return 0;
    if (startsWithWord(text, "SetZTXSearchRanges", rest)) {
        if (!parseSearchRanges(rest)) {
            setError(error, errorSize, "Invalid search ranges");
            return -1;
        }
        return 0;
    }
    setError(error, errorSize, "Unknown command \"" + std::string(text) + "\"");
    return -1;
}

// Pairs of start address (hexadecimal, "0x" optional) and size (hexadecimal with "0x",
// else decimal), separated by ",".
bool ProbeSession::parseSearchRanges(std::string_view text) {
    std::vector<RamRegion> ranges;
    size_t at = 0;
    const auto skipBlanks = [&] {
        while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])))
            ++at;
    };
    const auto number = [&](bool hexWithoutPrefix, uint32_t& value) {
        skipBlanks();
        bool hex = hexWithoutPrefix;
        if (text.substr(at, 2) == "0x" || text.substr(at, 2) == "0X") {
            at += 2;
            hex = true;
        }
        const size_t start = at;
        while (at < text.size() && (hex ? std::isxdigit(static_cast<unsigned char>(text[at]))
                                        : std::isdigit(static_cast<unsigned char>(text[at]))))
            ++at;
        const auto parsed =
            parseNumber((hex ? "0x" : "") + std::string(text.substr(start, at - start)));
        if (!parsed)
            return false;
        value = *parsed;
        return true;
    };
    skipBlanks();
    while (at < text.size()) {
        RamRegion range;
        if (!number(true, range.start) || !number(false, range.size))
            return false;
        if (ranges.size() < MaxRanges && range.size > 0)
            ranges.push_back(range);
        skipBlanks();
        if (at < text.size() && text[at] != ',')
            return false;
        if (at < text.size())
            ++at;
    }
    searchRanges_ = std::move(ranges);
    return true;
}

unsigned char ProbeSession::selectIp(const char* host, int port) {
    std::lock_guard guard(lock_);
    const uint16_t defaultPort = port > 0 && port <= 0xFFFF ? uint16_t(port) : DefaultGdbPort;
    server_ = host ? gdb::parseServerAddress(trimmed(host), defaultPort) : std::nullopt;
    return server_ ? 0 : 1;
}

int ProbeSession::selectByUsbSerial(uint32_t) {
    std::lock_guard guard(lock_);
    server_.reset();
    return 0;
}

void ProbeSession::selectInterface(int) {}

void ProbeSession::setSpeed(uint32_t) {}

int ProbeSession::connect() {
    std::lock_guard guard(lock_);
    if (!open_ || !active_ || broken() || (!gdb_ && config_.faults.connectFails))
        return -1;
    connected_ = true;
    return 0;
}

int ProbeSession::connections() {
    std::lock_guard guard(lock_);
    if (!open_)
        return 0;
    return !gdb_ && config_.faults.secondConnection ? 2 : 1;
}

unsigned char ProbeSession::isHalted() {
    std::lock_guard guard(lock_);
    const ProbeTarget* target = active_ ? active_ : target_.get();
    return target && target->halted() ? 1 : 0;
}

void ProbeSession::go() {
    std::lock_guard guard(lock_);
    if (connected())
        active_->go();
}

void ProbeSession::halt() {
    std::lock_guard guard(lock_);
    if (connected())
        active_->halt();
}

int ProbeSession::readMemory(uint32_t address, uint32_t count, void* data) {
    std::lock_guard guard(lock_);
    if (!connected() || !data || count > uint32_t(INT_MAX))
        return -1;
    const AccessScope access(*active_);
    return active_->memory().read(address, data, count) ? int(count) : -1;
}

std::vector<std::string> ProbeSession::devices() const {
    std::vector<std::string> names(std::begin(KnownDevices), std::end(KnownDevices));
    const std::string& own = config_.scenario.device;
    if (!own.empty() && std::ranges::none_of(names, [&](const std::string& name) {
            return equalsIgnoringCase(name, own);
        }))
        names.push_back(own);
    return names;
}

int ProbeSession::deviceIndex(const char* name) {
    std::lock_guard guard(lock_);
    if (!name)
        return -1;
    const std::vector<std::string> names = devices();
    for (size_t i = 0; i < names.size(); ++i) {
        if (equalsIgnoringCase(names[i], name))
            return int(i);
    }
    return -1;
}

int ProbeSession::deviceInfo(int index, void* record) {
    std::lock_guard guard(lock_);
    if (!record || index < 0 || size_t(index) >= devices().size())
        return -1;
    uint32_t size = 0;
    std::memcpy(&size, record, 4);
    if (size < VANTARARM_DEVICE_INFO_SIZE)
        return -1;
    auto* regionList = static_cast<uint8_t*>(record) + VANTARARM_DEVICE_INFO_RAM_OFFSET;
    const uint32_t ringSize = target_ ? target_->config().ringSize : config_.ringSize;
    const auto regions = gdb_ ? deviceRam(devices()[size_t(index)]) : layout::regions(ringSize);
    for (const RamRegion& region : regions) {
        const uint32_t pair[2] = {region.start, region.size};
        std::memcpy(regionList, pair, sizeof pair);
        regionList += sizeof pair;
    }
    std::memset(regionList, 0, 8);
    return 0;
}

int ProbeSession::deviceList(char* buffer, int size) {
    std::lock_guard guard(lock_);
    if (!buffer || size < 1)
        return -1;
    int used = 0;
    int count = 0;
    for (const std::string& name : devices()) {
        if (used + int(name.size()) + 2 > size)
            break; // the name, its NUL and the closing empty name must fit
        std::memcpy(buffer + used, name.c_str(), name.size() + 1);
        used += int(name.size()) + 1;
        ++count;
    }
    buffer[used] = 0;
    return count;
}

int ProbeSession::terminalControl(uint32_t command, void* parameter) {
    std::lock_guard guard(lock_);
    if (!connected() || broken())
        return -1;
    const AccessScope access(*active_);
    switch (command) {
    case StartTerminal: {
        std::optional<uint32_t> address;
        uint32_t configured = 0;
        if (parameter)
            std::memcpy(&configured, parameter, 4);
        if (configured)
            address = configured;
        if (!searchRanges_.empty())
            terminal_->start(address, searchRanges_);
        else
            terminal_->start(address, gdb_ ? deviceRam(device_) : target_->memory().regions());
        return 0;
    }
    case DescribeChannel: {
        if (!parameter)
            return -1;
        int32_t index = 0;
        uint32_t direction = 0;
        std::memcpy(&index, parameter, 4);
        std::memcpy(&direction, static_cast<uint8_t*>(parameter) + 4, 4);
        char* name = static_cast<char*>(parameter) + DescriptorNameOffset;
        return terminal_->channelName(index, direction, name,
                                      DescriptorRecordSize - DescriptorNameOffset);
    }
    case CountChannels: {
        if (!parameter || (!gdb_ && config_.faults.channelCountFails))
            return -1;
        uint32_t direction = 0;
        std::memcpy(&direction, parameter, 4);
        return countChannels(direction);
    }
    default:
        return -1;
    }
}

// Searching a GDB target's RAM takes many requests: a block not found is looked for again
// only after a while, however often the host asks.
int ProbeSession::countChannels(uint32_t direction) {
    const auto now = std::chrono::steady_clock::now();
    if (gdb_ && !terminal_->blockAddress() && now < nextSearch_)
        return ZtxFrontEnd::NotFoundYet;
    const int32_t count = terminal_->channelCount(direction);
    if (gdb_ && count == ZtxFrontEnd::NotFoundYet)
        nextSearch_ = now + SearchInterval;
    return count;
}

// A GDB target is read at most once per poll period: with a server that stops the target for
// each read, the period is what the recording costs the target's run time.
int ProbeSession::pollServer(uint32_t channel, char* buffer, uint32_t size) {
    if (broken())
        return -1;
    const auto now = std::chrono::steady_clock::now();
    if (now < nextPoll_)
        return 0;
    nextPoll_ = now + gdbSettings_.pollPeriod;
    const AccessScope access(*gdb_);
    return terminal_->read(channel, reinterpret_cast<uint8_t*>(buffer),
                           std::min<uint32_t>(size, INT32_MAX));
}

int ProbeSession::terminalRead(uint32_t channel, char* buffer, uint32_t size) {
    std::lock_guard guard(lock_);
    if (!connected() || !terminal_->started() || !buffer)
        return -1;
    if (gdb_)
        return pollServer(channel, buffer, size);
    const uint32_t lostAfter = config_.faults.connectionLostAfter;
    if (lostAfter && delivered_ >= lostAfter)
        return -1;
    // Delivery ends after the first of the two limits: by failing or by silence.
    const uint32_t silentAfter = config_.faults.silentAfter;
    const uint64_t limit = std::min<uint64_t>(lostAfter ? lostAfter : UINT64_MAX,
                                              silentAfter ? silentAfter : UINT64_MAX);
    if (delivered_ >= limit)
        return 0;
    const auto capacity = uint32_t(std::min<uint64_t>(size, limit - delivered_));
    const int32_t count = terminal_->read(channel, reinterpret_cast<uint8_t*>(buffer),
                                          std::min<uint32_t>(capacity, INT32_MAX));
    if (count > 0)
        delivered_ += uint64_t(count);
    return count;
}

int ProbeSession::terminalWrite(uint32_t channel, const char* data, uint32_t count) {
    std::lock_guard guard(lock_);
    if (!connected() || !terminal_->started() || !data || broken())
        return -1;
    const AccessScope access(*active_);
    return terminal_->write(channel, reinterpret_cast<const uint8_t*>(data),
                            std::min<uint32_t>(count, INT32_MAX));
}

} // namespace kavrin
