#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kavrin::gdb {

// How the probe library uses a GDB server, read from the environment:
//   KAVRIN_GDB_ACCESS   how memory is reached while the target runs: "detect" (default: try a
//                       read while it runs; a server that stops the target instead, as QEMU
//                       does, is then used with "halt"), "halt" (stop the target for each poll
//                       and let it go again), "live" (the server reads while it runs, as
//                       OpenOCD does)
//   KAVRIN_GDB_POLL_MS  the shortest time between two reads of the recorder's channel (ms)
//   KAVRIN_GDB_TIMEOUT_MS  how long to wait for the server before giving up (ms)
struct GdbSettings {
    enum class Access { Detect, Halt, Live };
    static constexpr std::chrono::milliseconds DefaultPollPeriod{5};
    static constexpr std::chrono::milliseconds DefaultTimeout{3000};

    Access access = Access::Detect;
    std::chrono::milliseconds pollPeriod = DefaultPollPeriod;
    std::chrono::milliseconds timeout = DefaultTimeout;
};

// False with the reason when a variable holds something else than described.
bool gdbSettingsFromEnvironment(GdbSettings& out, std::string& error);

// A server address "HOST[:PORT]" ("[v6 address]:PORT" for IPv6); `defaultPort` when the text
// names none. None for an empty host or a port outside 1..65535.
struct ServerAddress {
    std::string host;
    uint16_t port = 0;
};
std::optional<ServerAddress> parseServerAddress(std::string_view text, uint16_t defaultPort);

} // namespace kavrin::gdb
