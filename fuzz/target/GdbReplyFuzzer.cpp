// A GDB server's replies are untrusted: the input is everything a server sends over a
// loopback connection (acknowledgements, packets, run-lengths, escapes, stop replies, console
// output), and the client asks its questions over it until it gives up.
#include "target/gdb/GdbClient.h"
#include "target/gdb/GdbPackets.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>

namespace {

// A listening loopback socket, made once; its port.
struct Listener {
    int socket = -1;
    uint16_t port = 0;
    Listener() {
        socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (socket < 0 || ::bind(socket, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(socket, 4) != 0 ||
            ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            std::abort();
        port = ntohs(address.sin_port);
    }
};

void parseAsPayload(std::string_view payload) {
    using namespace kavrin::gdb;
    std::array<uint8_t, 64> bytes{};
    (void)fromHex(payload, bytes);
    (void)parseHexNumber(payload);
    (void)packetSize(payload);
    (void)isStopReply(payload);
    (void)isErrorReply(payload);
    (void)isConsoleOutput(payload);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kavrin::gdb;
    static const Listener listener;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (const auto body = decodeBody(input))
        parseAsPayload(*body);
    parseAsPayload(input);

    // The server's side: the whole input (what fits the socket buffer), then end of stream.
    GdbClient client(std::chrono::milliseconds(50));
    if (!client.open("127.0.0.1", listener.port))
        std::abort();
    const int server = ::accept(listener.socket, nullptr, nullptr);
    if (server < 0)
        std::abort();
    (void)::send(server, data, std::min<size_t>(size, 32768), MSG_NOSIGNAL | MSG_DONTWAIT);
    ::shutdown(server, SHUT_WR);

    for (int question = 0; question < 8 && client.usable(); ++question) {
        std::optional<std::string> answer;
        switch (question % 4) {
        case 0:
            answer = client.request("qSupported:multiprocess-");
            break;
        case 1:
            answer = client.request("m20000000,40");
            break;
        case 2:
            answer = client.status();
            break;
        default:
            answer = client.requestWhileRunning("m20000000,4");
            break;
        }
        if (answer)
            parseAsPayload(*answer);
    }
    client.close();
    ::close(server);
    return 0;
}
