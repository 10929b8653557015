#include "target/gdb/TcpStream.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kavrin::gdb {

namespace {

using Clock = std::chrono::steady_clock;

int remaining(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? int(left) : 0;
}

// Waits until the socket is ready for `events`: false on timeout or error.
bool await(int socket, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd entry{socket, events, 0};
        const int ready = ::poll(&entry, 1, remaining(deadline));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

// Connects one address without blocking beyond the deadline: the socket, or -1.
int connectTo(const addrinfo& address, Clock::time_point deadline, std::string& error) {
    const int socket = ::socket(
        address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address.ai_protocol);
    if (socket < 0) {
        error = std::strerror(errno);
        return -1;
    }
    int failure = 0;
    if (::connect(socket, address.ai_addr, address.ai_addrlen) != 0) {
        failure = errno;
        if (failure == EINPROGRESS) {
            socklen_t size = sizeof failure;
            failure = await(socket, POLLOUT, deadline)
                          ? (::getsockopt(socket, SOL_SOCKET, SO_ERROR, &failure, &size), failure)
                          : ETIMEDOUT;
        }
    }
    if (failure != 0) {
        error = std::strerror(failure);
        ::close(socket);
        return -1;
    }
    // Requests are small and each waits for its answer: send them at once.
    const int on = 1;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return socket;
}

} // namespace

bool TcpStream::open(const std::string& host, uint16_t port, std::chrono::milliseconds timeout,
                     std::string& error) {
    close();
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* addresses = nullptr;
    const int resolved =
        ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &addresses);
    if (resolved != 0) {
        error = ::gai_strerror(resolved);
        return false;
    }
    const auto deadline = Clock::now() + timeout;
    for (const addrinfo* address = addresses; address && socket_ < 0; address = address->ai_next)
        socket_ = connectTo(*address, deadline, error);
    ::freeaddrinfo(addresses);
    return socket_ >= 0;
}

void TcpStream::close() {
    if (socket_ >= 0)
        ::close(socket_);
    socket_ = -1;
    begin_ = end_ = 0;
    peerClosed_ = false;
}

bool TcpStream::write(std::string_view data, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (socket_ >= 0 && !data.empty()) {
        const ssize_t sent = ::send(socket_, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            data.remove_prefix(size_t(sent));
        } else if (sent < 0 && errno != EAGAIN && errno != EINTR) {
            peerClosed_ = errno == EPIPE || errno == ECONNRESET;
            return false;
        } else if (!await(socket_, POLLOUT, deadline)) {
            return false;
        }
    }
    return socket_ >= 0;
}

bool TcpStream::fill(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        const ssize_t received = ::recv(socket_, buffer_.data(), buffer_.size(), 0);
        if (received > 0) {
            begin_ = 0;
            end_ = size_t(received);
            return true;
        }
        if (received == 0) {
            peerClosed_ = true;
            return false;
        }
        if (errno != EAGAIN && errno != EINTR) {
            peerClosed_ = errno == ECONNRESET;
            return false;
        }
        if (!await(socket_, POLLIN, deadline))
            return false;
    }
}

std::optional<uint8_t> TcpStream::read(std::chrono::milliseconds timeout) {
    if (socket_ < 0)
        return std::nullopt;
    if (begin_ == end_ && !fill(timeout))
        return std::nullopt;
    return buffer_[begin_++];
}

} // namespace kavrin::gdb
