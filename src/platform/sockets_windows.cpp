// Winsock on the loopback address: every socket is non-blocking and not inherited by
// child processes, and waits go through WSAPoll. Each user of sockets holds a `library`, so
// Winsock is started and cleaned up in pairs.
#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "platform/sockets.h"
#include "platform/system_reason.h"

namespace scenario::platform::sockets {
namespace {

SOCKET sock(handle s) { return static_cast<SOCKET>(s); }
handle as_handle(SOCKET s) { return s == INVALID_SOCKET ? k_no_socket : static_cast<handle>(s); }

std::string last_reason() { return system_reason(static_cast<unsigned long>(WSAGetLastError())); }

sockaddr_in loopback_address(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

std::string where(std::uint16_t port) { return "127.0.0.1:" + std::to_string(port); }

// A socket that child processes do not inherit (older systems do not know the flag: then the
// handle is made not inheritable after it is made).
socket new_socket(int type, int protocol) {
    SOCKET s = WSASocketW(AF_INET, type, protocol, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (s == INVALID_SOCKET && WSAGetLastError() == WSAEINVAL) {
        s = WSASocketW(AF_INET, type, protocol, nullptr, 0, 0);
        if (s != INVALID_SOCKET) {
            SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
        }
    }
    if (s == INVALID_SOCKET) throw network_error("open a socket", last_reason());
    return socket(as_handle(s));
}

bool make_non_blocking(handle s) {
    u_long on = 1;
    return ioctlsocket(sock(s), FIONBIO, &on) == 0;
}

}  // namespace

library::library() {
    WSADATA data;
    const int err = WSAStartup(MAKEWORD(2, 2), &data);
    if (err != 0) throw network_error("start Winsock", system_reason(static_cast<unsigned>(err)));
}

library::~library() { WSACleanup(); }

socket& socket::operator=(socket&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = other.handle_;
        other.handle_ = k_no_socket;
    }
    return *this;
}

void socket::close() {
    if (handle_ != k_no_socket) closesocket(sock(handle_));
    handle_ = k_no_socket;
}

socket listen_loopback(std::uint16_t port) {
    socket s = new_socket(SOCK_STREAM, IPPROTO_TCP);
    // No other socket may bind the same port while this one listens, not even with
    // SO_REUSEADDR.
    BOOL on = TRUE;
    setsockopt(sock(s.get()), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on),
               sizeof on);
    const sockaddr_in address = loopback_address(port);
    if (bind(sock(s.get()), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(sock(s.get()), k_listen_queue) != 0 || !make_non_blocking(s.get())) {
        throw network_error("listen on " + where(port), last_reason());
    }
    return s;
}

std::uint16_t local_port(handle s) {
    sockaddr_in address{};
    int size = sizeof address;
    if (getsockname(sock(s), reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        throw network_error("read a socket's address", last_reason());
    }
    return ntohs(address.sin_port);
}

socket accept_waiting(handle listener) {
    for (;;) {
        socket c(as_handle(accept(sock(listener), nullptr, nullptr)));
        if (c) {
            SetHandleInformation(reinterpret_cast<HANDLE>(sock(c.get())), HANDLE_FLAG_INHERIT, 0);
            if (!make_non_blocking(c.get())) continue;
            return c;
        }
        // A connection that went before it was taken is no reason to stop listening.
        const int err = WSAGetLastError();
        if (err == WSAECONNRESET) continue;
        if (err == WSAEWOULDBLOCK) return socket();
        throw network_error("accept a connection", system_reason(static_cast<unsigned long>(err)));
    }
}

socket connect_loopback(std::uint16_t port) {
    socket s = new_socket(SOCK_STREAM, IPPROTO_TCP);
    const sockaddr_in address = loopback_address(port);
    // On the loopback address a connection is made (or refused) at once, so it is made blocking.
    if (connect(sock(s.get()), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        !make_non_blocking(s.get())) {
        throw network_error("connect to " + where(port), last_reason());
    }
    return s;
}

socket wake_socket() {
    socket s = new_socket(SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in address = loopback_address(0);
    int size = sizeof address;
    if (bind(sock(s.get()), reinterpret_cast<const sockaddr*>(&address), size) != 0 ||
        getsockname(sock(s.get()), reinterpret_cast<sockaddr*>(&address), &size) != 0 ||
        connect(sock(s.get()), reinterpret_cast<const sockaddr*>(&address), size) != 0 ||
        !make_non_blocking(s.get())) {
        throw network_error("open a wake-up socket", last_reason());
    }
    return s;
}

void send_wake(handle s) {
    const char byte = 1;
    send(sock(s), &byte, 1, 0);
}

void drain_wake(handle s) {
    char bytes[64];
    while (recv(sock(s), bytes, sizeof bytes, 0) > 0) {
    }
}

transfer receive_some(handle s, char* buffer, std::size_t size) {
    const int n = recv(sock(s), buffer, static_cast<int>(std::min<std::size_t>(size, INT_MAX)), 0);
    if (n > 0) return {outcome::done, static_cast<std::size_t>(n)};
    if (n == 0) return {outcome::closed};
    return {WSAGetLastError() == WSAEWOULDBLOCK ? outcome::would_block : outcome::failed};
}

transfer send_some(handle s, const char* bytes, std::size_t size) {
    const int n = send(sock(s), bytes, static_cast<int>(std::min<std::size_t>(size, INT_MAX)), 0);
    if (n >= 0) return {outcome::done, static_cast<std::size_t>(n)};
    return {WSAGetLastError() == WSAEWOULDBLOCK ? outcome::would_block : outcome::failed};
}

void shutdown_sending(handle s) { shutdown(sock(s), SD_SEND); }

void wait_any(std::span<watch> watches, std::chrono::milliseconds timeout) {
    std::vector<WSAPOLLFD> polled;
    polled.reserve(watches.size());
    for (const watch& w : watches) {
        const SHORT events =
            static_cast<SHORT>((w.read ? POLLRDNORM : 0) | (w.write ? POLLWRNORM : 0));
        polled.push_back(WSAPOLLFD{sock(w.s), events, 0});
    }
    const INT ms = static_cast<INT>(std::clamp<std::chrono::milliseconds::rep>(
        timeout.count(), 0, std::chrono::milliseconds::rep{1} << 30));
    if (WSAPoll(polled.data(), static_cast<ULONG>(polled.size()), ms) == SOCKET_ERROR) {
        throw network_error("wait on sockets", last_reason());
    }
    for (std::size_t i = 0; i < watches.size(); ++i) {
        watches[i].ready = polled[i].revents != 0;
    }
}

}  // namespace scenario::platform::sockets
