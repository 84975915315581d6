// POSIX sockets on the loopback address: every socket is created non-blocking and
// closed on exec, waits go through poll, and sends never raise SIGPIPE.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "platform/sockets.h"

namespace scenario::platform::sockets {
namespace {

std::string reason(int err) { return std::strerror(err); }

int fd(handle s) { return static_cast<int>(s); }

sockaddr_in loopback_address(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

std::string where(std::uint16_t port) { return "127.0.0.1:" + std::to_string(port); }

bool again(int err) { return err == EAGAIN || err == EWOULDBLOCK; }

}  // namespace

library::library() = default;
library::~library() = default;

socket& socket::operator=(socket&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = other.handle_;
        other.handle_ = k_no_socket;
    }
    return *this;
}

void socket::close() {
    if (handle_ != k_no_socket) ::close(fd(handle_));
    handle_ = k_no_socket;
}

socket listen_loopback(std::uint16_t port) {
    socket s(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!s) throw network_error("open a socket", reason(errno));
    // The connections of an earlier server on this port, waiting out their close, must not keep
    // a new one from listening on it; a port another socket is listening on stays taken.
    const int on = 1;
    ::setsockopt(fd(s.get()), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const sockaddr_in address = loopback_address(port);
    if (::bind(fd(s.get()), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        throw network_error("listen on " + where(port), reason(errno));
    }
    if (::listen(fd(s.get()), k_listen_queue) != 0) {
        throw network_error("listen on " + where(port), reason(errno));
    }
    return s;
}

std::uint16_t local_port(handle s) {
    sockaddr_in address{};
    socklen_t size = sizeof address;
    if (::getsockname(fd(s), reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        throw network_error("read a socket's address", reason(errno));
    }
    return ntohs(address.sin_port);
}

socket accept_waiting(handle listener) {
    for (;;) {
        const int c = ::accept4(fd(listener), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (c >= 0) return socket(c);
        // A connection that went before it was taken is no reason to stop listening.
        if (errno == EINTR || errno == ECONNABORTED || errno == EPROTO) continue;
        if (again(errno)) return socket();
        throw network_error("accept a connection", reason(errno));
    }
}

socket connect_loopback(std::uint16_t port) {
    socket s(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!s) throw network_error("open a socket", reason(errno));
    const sockaddr_in address = loopback_address(port);
    // On the loopback address a connection is made (or refused) at once, so it is made blocking.
    while (::connect(fd(s.get()), reinterpret_cast<const sockaddr*>(&address), sizeof address) !=
           0) {
        if (errno != EINTR) throw network_error("connect to " + where(port), reason(errno));
    }
    const int flags = ::fcntl(fd(s.get()), F_GETFL);
    if (flags < 0 || ::fcntl(fd(s.get()), F_SETFL, flags | O_NONBLOCK) != 0) {
        throw network_error("connect to " + where(port), reason(errno));
    }
    return s;
}

socket wake_socket() {
    socket s(::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!s) throw network_error("open a socket", reason(errno));
    sockaddr_in address = loopback_address(0);
    socklen_t size = sizeof address;
    if (::bind(fd(s.get()), reinterpret_cast<const sockaddr*>(&address), size) != 0 ||
        ::getsockname(fd(s.get()), reinterpret_cast<sockaddr*>(&address), &size) != 0 ||
        ::connect(fd(s.get()), reinterpret_cast<const sockaddr*>(&address), size) != 0) {
        throw network_error("open a wake-up socket", reason(errno));
    }
    return s;
}

void send_wake(handle s) {
    const char byte = 1;
    ::send(fd(s), &byte, 1, MSG_NOSIGNAL);
}

void drain_wake(handle s) {
    char bytes[64];
    while (::recv(fd(s), bytes, sizeof bytes, 0) > 0) {
    }
}

transfer receive_some(handle s, char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::recv(fd(s), buffer, size, 0);
        if (n > 0) return {outcome::done, static_cast<std::size_t>(n)};
        if (n == 0) return {outcome::closed};
        if (errno == EINTR) continue;
        return {again(errno) ? outcome::would_block : outcome::failed};
    }
}

transfer send_some(handle s, const char* bytes, std::size_t size) {
    for (;;) {
        const ssize_t n = ::send(fd(s), bytes, size, MSG_NOSIGNAL);
        if (n >= 0) return {outcome::done, static_cast<std::size_t>(n)};
        if (errno == EINTR) continue;
        return {again(errno) ? outcome::would_block : outcome::failed};
    }
}

void shutdown_sending(handle s) { ::shutdown(fd(s), SHUT_WR); }

void wait_any(std::span<watch> watches, std::chrono::milliseconds timeout) {
    std::vector<pollfd> polled;
    polled.reserve(watches.size());
    for (const watch& w : watches) {
        const short events = static_cast<short>((w.read ? POLLIN : 0) | (w.write ? POLLOUT : 0));
        polled.push_back(pollfd{fd(w.s), events, 0});
    }
    const int ms = static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(
        timeout.count(), 0, std::chrono::milliseconds::rep{1} << 30));
    if (::poll(polled.data(), polled.size(), ms) < 0) {
        if (errno == EINTR) return;
        throw network_error("wait on sockets", reason(errno));
    }
    for (std::size_t i = 0; i < watches.size(); ++i) {
        watches[i].ready = polled[i].revents != 0;
    }
}

}  // namespace scenario::platform::sockets
