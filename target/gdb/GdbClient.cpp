#include "target/gdb/GdbClient.h"

#include "target/gdb/GdbPackets.h"

namespace kavrin::gdb {

namespace {
constexpr char Start = '$';
constexpr char End = '#';
constexpr char Notification = '%';
constexpr char Acknowledge = '+';
constexpr char Reject = '-';
constexpr char InterruptByte = 0x03;
constexpr const char* ConnectionClosed = "the GDB server closed the connection";
} // namespace

bool GdbClient::open(const std::string& host, uint16_t port) {
    error_.clear();
    std::string reason;
    if (stream_.open(host, port, timeout_, reason))
        return true;
    error_ = "cannot connect to " + host + ":" + std::to_string(port) + ": " + reason;
    return false;
}

void GdbClient::fail(std::string reason) {
    if (error_.empty())
        error_ = std::move(reason);
    stream_.close();
}

std::optional<uint8_t> GdbClient::next() {
    if (!usable())
        return std::nullopt;
    const auto byte = stream_.read(timeout_);
    if (!byte)
        fail(stream_.peerClosed() ? ConnectionClosed : "the GDB server does not answer");
    return byte;
}

bool GdbClient::put(std::string_view bytes) {
    if (!usable())
        return false;
    if (!stream_.write(bytes, timeout_)) {
        fail(stream_.peerClosed() ? ConnectionClosed : "cannot send to the GDB server");
        return false;
    }
    return true;
}

std::optional<std::string> GdbClient::packetAfterStart() {
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        std::string body;
        std::optional<uint8_t> byte;
        while ((byte = next()) && *byte != End)
            body.push_back(char(*byte));
        const auto high = next();
        const auto low = next();
        if (!byte || !high || !low)
            return std::nullopt;
        const std::string sum{char(*high), char(*low)};
        const auto payload = decodeBody(body);
        if (parseHexNumber(sum) == checksum(body) && payload) {
            if (!put(std::string_view(&Acknowledge, 1)))
                return std::nullopt;
            return payload;
        }
        // Asked again; the server resends the whole packet.
        if (!put(std::string_view(&Reject, 1)))
            return std::nullopt;
        while ((byte = next()) && *byte != Start) {
        }
        if (!byte)
            return std::nullopt;
    }
    fail("the GDB server's packets arrive corrupted");
    return std::nullopt;
}

std::optional<std::string> GdbClient::receive() {
    for (;;) {
        const auto byte = next();
        if (!byte)
            return std::nullopt;
        if (*byte == Notification) {
            // Asynchronous notifications (non-stop mode) are not used: skip one whole.
            std::optional<uint8_t> skipped;
            while ((skipped = next()) && *skipped != End) {
            }
            if (!skipped || !next() || !next())
                return std::nullopt;
            continue;
        }
        if (*byte != Start)
            continue; // stray acknowledgements
        auto payload = packetAfterStart();
        if (!payload || !isConsoleOutput(*payload))
            return payload;
    }
}

GdbClient::Ack GdbClient::send(std::string_view payload, Stops stops, std::string& answer) {
    const std::string packet = frame(payload);
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        if (!put(packet))
            return Ack::Failed;
        for (;;) {
            const auto byte = next();
            if (!byte)
                return Ack::Failed;
            if (*byte == Acknowledge)
                return Ack::Taken;
            if (*byte == Reject)
                break;
            if (*byte != Start)
                continue;
            auto arrived = packetAfterStart();
            if (!arrived)
                return Ack::Failed;
            if (!isStopReply(*arrived))
                continue; // console output, or a late answer to nothing we wait for
            if (stops == Stops::DropRequest) {
                answer = std::move(*arrived);
                return Ack::Answered;
            }
            stopNotice_ = true;
        }
    }
    fail("the GDB server keeps rejecting our packets");
    return Ack::Failed;
}

std::optional<std::string> GdbClient::exchange(std::string_view payload, Stops stops) {
    std::string answer;
    switch (send(payload, stops, answer)) {
    case Ack::Taken:
        break;
    case Ack::Answered:
        return answer;
    case Ack::Failed:
        return std::nullopt;
    }
    for (;;) {
        auto reply = receive();
        if (!reply || stops == Stops::Answer || !isStopReply(*reply))
            return reply;
        stopNotice_ = true;
    }
}

std::optional<std::string> GdbClient::request(std::string_view payload) {
    return exchange(payload, Stops::Noticed);
}

std::optional<std::string> GdbClient::requestWhileRunning(std::string_view payload) {
    return exchange(payload, Stops::DropRequest);
}

std::optional<std::string> GdbClient::status() {
    return exchange("?", Stops::Answer);
}

bool GdbClient::post(std::string_view payload) {
    std::string answer;
    return send(payload, Stops::Noticed, answer) == Ack::Taken;
}

bool GdbClient::interrupt() {
    return put(std::string_view(&InterruptByte, 1));
}

} // namespace kavrin::gdb
