// The few socket operations a loopback server and its clients are built on: TCP sockets on
// 127.0.0.1, never blocking, and one wait over several of them. sockets_linux.cpp and
// sockets_windows.cpp give them; everything above them (the HTTP exchange of the tool's server,
// the tests' client) is the same on both systems and lives outside src/platform.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

namespace scenario::platform {

// A socket operation that failed, with what was being done and the operating system's reason.
class network_error : public std::runtime_error {
   public:
    network_error(const std::string& action, const std::string& reason)
        : std::runtime_error("cannot " + action + ": " + reason) {}
};

}  // namespace scenario::platform

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

// A listening socket bound to 127.0.0.1:port (0: a port the system picks), whose queue holds this
// many connections not yet taken. Throws network_error.
inline constexpr int k_listen_queue = 64;
socket listen_loopback(std::uint16_t port);

// The port a socket is bound to.
std::uint16_t local_port(handle s);

// A connection waiting on the listening socket, or an empty socket when none is waiting (or the
// one that was went away before it was taken). Throws network_error when the system cannot take
// one: out of descriptors or memory, which may pass, or a listener that no longer works.
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
