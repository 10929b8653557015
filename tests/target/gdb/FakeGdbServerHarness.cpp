#include "FakeGdbServerHarness.h"

#include "target/gdb/GdbPackets.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <optional>
#include <vector>

namespace kavrin::test {

namespace {

constexpr int PollMillis = 10;
constexpr char StopReply[] = "T02thread:01;";

// Runs of four or more equal characters as "c*n"; counts that would give "#" or "$" are
// avoided.
std::string runLengthEncoded(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        size_t run = 1;
        while (i + run < text.size() && text[i + run] == text[i] && run < 98)
            ++run;
        if (run < 4) {
            out.append(run, text[i]);
        } else {
            size_t repeats = run - 1;
            if (29 + repeats == '#' || 29 + repeats == '$')
                repeats = 5;
            out.push_back(text[i]);
            out.push_back('*');
            out.push_back(char(29 + repeats));
            run = repeats + 1;
        }
        i += run;
    }
    return out;
}

// The packet as sent; a wrong checksum when `corrupt`.
std::string packet(const std::string& body, bool corrupt) {
    std::string framed = "$" + body + "#";
    const uint8_t sum = uint8_t(gdb::checksum(body) + (corrupt ? 1 : 0));
    const char digits[] = "0123456789abcdef";
    return framed + digits[sum >> 4] + digits[sum & 15];
}

bool send(int client, const std::string& bytes) {
    return ::send(client, bytes.data(), bytes.size(), MSG_NOSIGNAL) == ssize_t(bytes.size());
}

} // namespace

FakeGdbServer::FakeGdbServer(MemoryAccess& memory, Behaviour behaviour)
    : memory_(memory), behaviour_(behaviour) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), size);
    ::listen(listener_, 1);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
}

FakeGdbServer::~FakeGdbServer() {
    quit_ = true;
    thread_.join();
    ::close(listener_);
}

FakeGdbServer::Counts FakeGdbServer::counts() const {
    std::lock_guard guard(lock_);
    return counts_;
}

void FakeGdbServer::disconnect() {
    disconnect_ = true;
    while (connected_)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void FakeGdbServer::serve() {
    while (!quit_) {
        pollfd entry{listener_, POLLIN, 0};
        if (::poll(&entry, 1, PollMillis) <= 0)
            continue;
        const int client = ::accept(listener_, nullptr, nullptr);
        if (client < 0)
            continue;
        // A debugger attaching stops the target, and QEMU says so at once.
        running_ = false;
        send(client, packet(StopReply, false));
        const int on = 1;
        ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        connected_ = true;
        serveClient(client);
        ::close(client);
        connected_ = false;
    }
}

// Reads the client's bytes until it leaves or the server is told to end.
bool FakeGdbServer::serveClient(int client) {
    enum class State { Idle, Body, Sum1, Sum2 } state = State::Idle;
    std::string body;
    std::string sum;
    while (!quit_ && !disconnect_) {
        pollfd entry{client, POLLIN, 0};
        if (::poll(&entry, 1, PollMillis) <= 0)
            continue;
        char byte;
        if (::recv(client, &byte, 1, 0) != 1)
            return false;
        if (behaviour_.answersBeforeSilence >= 0 && answers_ >= behaviour_.answersBeforeSilence)
            continue;
        if (running_ && (behaviour_.haltsOnAnyByte || byte == 0x03)) {
            // The target stops; with QEMU the byte that stopped it is lost.
            running_ = false;
            {
                std::lock_guard guard(lock_);
                ++counts_.stops;
            }
            lastPacket_ = packet(StopReply, false);
            send(client, lastPacket_);
            continue;
        }
        switch (state) {
        case State::Idle:
            if (byte == '$') {
                body.clear();
                state = State::Body;
            } else if (byte == '-') {
                std::lock_guard guard(lock_);
                ++counts_.rejected;
                send(client, lastPacket_);
            }
            break;
        case State::Body:
            if (byte == '#')
                state = State::Sum1;
            else
                body.push_back(byte);
            break;
        case State::Sum1:
            sum = byte;
            state = State::Sum2;
            break;
        case State::Sum2:
            sum.push_back(byte);
            state = State::Idle;
            if (gdb::parseHexNumber(sum) != gdb::checksum(body)) {
                send(client, "-");
                break;
            }
            respond(client, *gdb::decodeBody(body));
            break;
        }
    }
    return true;
}

void FakeGdbServer::answer(int client, const std::string& payload) {
    ++answers_;
    const bool corrupt = behaviour_.corruptAnswers > 0;
    if (corrupt)
        --behaviour_.corruptAnswers;
    std::string body;
    for (size_t i = 0; i < payload.size(); ++i) {
        // A repeat count stands as it is.
        const bool count = i > 0 && payload[i - 1] == '*';
        if (behaviour_.escapeZeros && payload[i] == '0' && !count)
            body += {'}', char(payload[i] ^ 0x20)};
        else
            body.push_back(payload[i]);
    }
    lastPacket_ = packet(body, false);
    send(client, corrupt ? packet(body, true) : lastPacket_);
}

std::string FakeGdbServer::memoryAnswer(const std::string& payload) {
    {
        std::lock_guard guard(lock_);
        ++counts_.memoryRequests;
    }
    const size_t comma = payload.find(',');
    const size_t colon = payload.find(':');
    const auto address = gdb::parseHexNumber(payload.substr(1, comma - 1));
    auto size = gdb::parseHexNumber(payload.substr(comma + 1, colon - comma - 1));
    if (!address || !size)
        return "E01";
    if (payload[0] == 'M') {
        std::vector<uint8_t> bytes(*size);
        const auto count = gdb::fromHex(payload.substr(colon + 1), bytes);
        return count == *size && memory_.write(*address, bytes.data(), *size) ? "OK" : "E14";
    }
    if (behaviour_.readLimit)
        size = std::min(*size, behaviour_.readLimit);
    std::vector<uint8_t> bytes(*size);
    if (!memory_.read(*address, bytes.data(), *size))
        return "E14";
    const std::string hex = gdb::toHex(bytes);
    return behaviour_.runLength ? runLengthEncoded(hex) : hex;
}

// What a request changes happens before its acknowledgement, so that a client that has the
// acknowledgement sees the change.
void FakeGdbServer::respond(int client, const std::string& payload) {
    std::optional<std::string> reply;
    const bool memoryRequest = payload.starts_with('m') || payload.starts_with('M');
    if (payload.starts_with("qSupported")) {
        reply = "PacketSize=" + gdb::hexNumber(behaviour_.packetSize) + ";vContSupported+";
    } else if (payload == "?") {
        reply = StopReply;
    } else if (payload == "c") {
        running_ = true;
        std::lock_guard guard(lock_);
        ++counts_.continues;
    } else if (payload == "D") {
        reply = "OK";
        running_ = true;
        std::lock_guard guard(lock_);
        ++counts_.detaches;
    } else if (memoryRequest) {
        reply = memoryAnswer(payload);
    } else {
        reply = ""; // not supported
    }
    send(client, "+");
    if (memoryRequest && behaviour_.consoleOutput)
        send(client, packet("O" + gdb::toHex(std::vector<uint8_t>{'h', 'i', '\n'}), false));
    if (reply)
        answer(client, *reply);
}

} // namespace kavrin::test
