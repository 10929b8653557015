#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace kavrin::gdb {

// A TCP connection with bounded waits: nothing here blocks longer than the timeout given.
class TcpStream {
public:
    TcpStream() = default;
    ~TcpStream() { close(); }
    TcpStream(const TcpStream&) = delete;
    TcpStream& operator=(const TcpStream&) = delete;

    // False with the reason in `error` when no address of `host` accepts within `timeout`.
    bool open(const std::string& host, uint16_t port, std::chrono::milliseconds timeout,
              std::string& error);
    void close();
    bool isOpen() const { return socket_ >= 0; }

    // All of `data`, or false when the connection failed.
    bool write(std::string_view data, std::chrono::milliseconds timeout);
    // The next byte; none when nothing came within `timeout` or the connection ended.
    std::optional<uint8_t> read(std::chrono::milliseconds timeout);
    // Whether the last failed read or write ended because the peer closed the connection.
    bool peerClosed() const { return peerClosed_; }

private:
    bool fill(std::chrono::milliseconds timeout);

    int socket_ = -1;
    std::array<uint8_t, 65536> buffer_{};
    size_t begin_ = 0;
    size_t end_ = 0;
    bool peerClosed_ = false;
};

} // namespace kavrin::gdb
