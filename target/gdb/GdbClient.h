#pragma once

#include "target/gdb/TcpStream.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace kavrin::gdb {

// The packet exchange of the GDB remote serial protocol over TCP: framing, checksums,
// acknowledgements ("+", "-" and resending), escapes and run-lengths in answers, and the
// interrupt byte. Every wait is bounded by the timeout; a server that stops answering makes
// the call fail and the client unusable, with the reason in error().
class GdbClient {
public:
    static constexpr int Attempts = 3; // sends of a packet the server rejects, and re-asks

    explicit GdbClient(std::chrono::milliseconds timeout) : timeout_(timeout) {}

    bool open(const std::string& host, uint16_t port);
    void close() { stream_.close(); }
    bool usable() const { return stream_.isOpen() && error_.empty(); }
    const std::string& error() const { return error_; }

    // Sends `payload` and returns the server's answer. Stop replies that the server sends on
    // its own meanwhile (when a debugger attaches, or the target hits a breakpoint) are
    // skipped and noted: takeStopNotice().
    std::optional<std::string> request(std::string_view payload);
    // The same while the target runs. A server that stops its target on any byte it receives
    // (QEMU) drops the request and sends a stop reply instead of the acknowledgement: that
    // stop reply is the answer, and the caller asks again.
    std::optional<std::string> requestWhileRunning(std::string_view payload);
    // "?": the stop reply that says why the target stands.
    std::optional<std::string> status();
    // Sends `payload` and waits only for its acknowledgement (for "c", whose answer comes
    // when the target stops).
    bool post(std::string_view payload);
    // The interrupt byte 0x03: a running target stops and a stop reply follows.
    bool interrupt();
    // The next packet, skipping console output.
    std::optional<std::string> receive();
    // Whether a stop reply came on its own since the last call.
    bool takeStopNotice() { return std::exchange(stopNotice_, false); }

private:
    enum class Ack { Taken, Answered, Failed };
    // How a stop reply is taken: as a notice, as the answer, or as the answer only when it
    // comes instead of the acknowledgement.
    enum class Stops { Noticed, Answer, DropRequest };
    std::optional<std::string> exchange(std::string_view payload, Stops stops);
    // Writes the packet until it is acknowledged; with DropRequest a stop reply arriving first
    // lands in `answer`.
    Ack send(std::string_view payload, Stops stops, std::string& answer);
    // The packet whose "$" was just read; re-asked with "-" while its checksum is wrong.
    std::optional<std::string> packetAfterStart();
    std::optional<uint8_t> next();
    bool put(std::string_view bytes);
    void fail(std::string reason);

    std::chrono::milliseconds timeout_;
    TcpStream stream_;
    std::string error_;
    bool stopNotice_ = false;
};

} // namespace kavrin::gdb
