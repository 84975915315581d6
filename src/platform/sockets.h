// The few socket operations the loopback server and its client are built on, for use inside
// src/platform only: TCP sockets on 127.0.0.1, never blocking, and one wait over several of them.
// sockets_linux.cpp and sockets_windows.cpp give them; the HTTP exchange on top of them is the
// same on both systems.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>

namespace scenario::platform::sockets {

// A file descriptor, or a SOCKET on Windows.
using handle = std::intptr_t;
inline constexpr handle k_no_socket = -1;

// Keeps the system's socket library started (Winsock) while it lives; nothing on Linux.
class library {
   public:
    library();
    ~library();
    library(const library&) = delete;
    library& operator=(const library&) = delete;
};

// One socket, closed when it goes.
class socket {
   public:
    socket() = default;
    explicit socket(handle h) : handle_(h) {}
    ~socket() { close(); }
    socket(socket&& other) noexcept : handle_(other.handle_) { other.handle_ = k_no_socket; }
    socket& operator=(socket&& other) noexcept;
    socket(const socket&) = delete;
    socket& operator=(const socket&) = delete;

    handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != k_no_socket; }
    void close();

   private:
    handle handle_ = k_no_socket;
};

// A listening socket bound to 127.0.0.1:port (0: a port the system picks). Throws network_error.
socket listen_loopback(std::uint16_t port);

// The port a socket is bound to.
std::uint16_t local_port(handle s);

// A connection waiting on the listening socket, or an empty socket when none is waiting.
socket accept_waiting(handle listener);

// A connection to 127.0.0.1:port. Throws network_error.
socket connect_loopback(std::uint16_t port);

// A datagram socket connected to itself: a byte sent to it from any thread makes it readable,
// which wakes a wait that includes it.
socket wake_socket();
void send_wake(handle s);
void drain_wake(handle s);

enum class outcome {
    done,         // `bytes` were moved
    would_block,  // nothing to move now
    closed,       // the other side has finished sending
    failed,       // the connection is broken
};
struct transfer {
    outcome result;
    std::size_t bytes = 0;
};

transfer receive_some(handle s, char* buffer, std::size_t size);
// Never raises a signal when the other side has gone.
transfer send_some(handle s, const char* bytes, std::size_t size);
// Tells the other side nothing more is coming, keeping the receiving half open.
void shutdown_sending(handle s);

// What a wait looks for on one socket and what it found: readable, writable, or in error (which
// also counts as ready, so that the next receive or send reports it).
struct watch {
    handle s = k_no_socket;
    bool read = false;
    bool write = false;
    bool ready = false;
};

// Waits until at least one socket is ready or `timeout` has passed.
void wait_any(std::span<watch> watches, std::chrono::milliseconds timeout);

}  // namespace scenario::platform::sockets
