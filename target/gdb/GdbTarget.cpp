#include "target/gdb/GdbTarget.h"

#include "target/gdb/GdbPackets.h"

#include <algorithm>

namespace kavrin::gdb {

namespace {
// Room for "$", "#", the checksum and, in a write, "M", the address, "," the length and ":".
constexpr uint32_t ReadOverhead = 8;
constexpr uint32_t WriteOverhead = 32;
constexpr uint32_t MinimumChunk = 16;

std::string memoryRange(char command, uint32_t address, uint32_t size) {
    return command + hexNumber(address) + ',' + hexNumber(size);
}
} // namespace

GdbTarget::GdbTarget(const GdbSettings& settings)
    : client_(settings.timeout), access_(settings.access) {}

bool GdbTarget::attach(const std::string& host, uint16_t port) {
    error_.clear();
    if (!client_.open(host, port))
        return false;
    const auto supported = client_.request("qSupported");
    if (!supported)
        return false;
    const uint32_t size = packetSize(*supported).value_or(DefaultPacketSize);
    readChunk_ = std::max(MinimumChunk, (size - std::min(size, ReadOverhead)) / 2);
    writeChunk_ = std::max(MinimumChunk, (size - std::min(size, WriteOverhead)) / 2);
    // Servers stop the target when a debugger attaches; "?" says how it stands.
    const auto status = client_.status();
    if (!status)
        return false;
    if (!isStopReply(*status) || status->front() == 'W' || status->front() == 'X') {
        error_ = "the GDB server has no program to debug (\"" + *status + "\")";
        client_.close();
        return false;
    }
    running_ = false;
    client_.takeStopNotice(); // the stop of the attach itself
    return true;
}

void GdbTarget::detach() {
    // QEMU's "D" resumes the machine; a running target is left as it is.
    if (usable() && !running_ && !haltRequested_)
        client_.request("D");
    client_.close();
}

bool GdbTarget::stop() {
    if (!client_.interrupt())
        return false;
    const auto reply = client_.receive();
    if (!reply)
        return false;
    if (!isStopReply(*reply)) {
        error_ = "the GDB server did not stop the target (\"" + *reply + "\")";
        return false;
    }
    running_ = false;
    return true;
}

bool GdbTarget::resume() {
    if (!client_.post("c"))
        return false;
    running_ = true;
    return true;
}

void GdbTarget::halt() {
    haltRequested_ = true;
    pausedForAccess_ = false;
    if (running_ && usable())
        stop();
}

void GdbTarget::go() {
    haltRequested_ = false;
    pausedForAccess_ = false;
    if (!running_ && usable())
        resume();
}

bool GdbTarget::detect(uint32_t address) {
    const auto reply = client_.requestWhileRunning(memoryRange('m', address, 1));
    if (!reply)
        return false;
    if (isStopReply(*reply)) {
        // The server stopped the target and dropped the request.
        access_ = GdbSettings::Access::Halt;
        running_ = false;
        pausedForAccess_ = true;
    } else {
        access_ = GdbSettings::Access::Live;
    }
    return true;
}

bool GdbTarget::prepare(uint32_t address) {
    if (!usable())
        return false;
    if (!running_ || access_ == GdbSettings::Access::Live)
        return true;
    if (access_ == GdbSettings::Access::Detect)
        return detect(address);
    if (!stop())
        return false;
    pausedForAccess_ = true;
    return true;
}

void GdbTarget::endAccess() {
    if (--accessDepth_ > 0)
        return;
    accessDepth_ = 0;
    if (pausedForAccess_ && usable())
        resume();
    pausedForAccess_ = false;
}

std::optional<std::string> GdbTarget::memoryRequest(const std::string& request) {
    auto reply = client_.request(request);
    // A target that stopped on its own (a breakpoint) stays stopped for the debugger.
    if (client_.takeStopNotice()) {
        running_ = false;
        pausedForAccess_ = false;
    }
    return reply;
}

bool GdbTarget::read(uint32_t address, void* out, uint32_t size) {
    beginAccess();
    bool ok = prepare(address);
    auto* bytes = static_cast<uint8_t*>(out);
    while (ok && size > 0) {
        const uint32_t chunk = std::min(size, readChunk_);
        const auto reply = memoryRequest(memoryRange('m', address, chunk));
        // A server may answer with fewer bytes than asked: the rest is asked for next.
        const auto count = reply && !isErrorReply(*reply) && !reply->empty()
                               ? fromHex(*reply, std::span(bytes, chunk))
                               : std::nullopt;
        ok = count.has_value() && *count > 0;
        if (ok) {
            bytes += *count;
            address += uint32_t(*count);
            size -= uint32_t(*count);
        }
    }
    endAccess();
    return ok;
}

bool GdbTarget::write(uint32_t address, const void* data, uint32_t size) {
    beginAccess();
    bool ok = prepare(address);
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (ok && size > 0) {
        const uint32_t chunk = std::min(size, writeChunk_);
        const auto reply =
            memoryRequest(memoryRange('M', address, chunk) + ':' + toHex(std::span(bytes, chunk)));
        ok = reply == "OK";
        bytes += chunk;
        address += chunk;
        size -= chunk;
    }
    endAccess();
    return ok;
}

} // namespace kavrin::gdb
