// The tests' client of the loopback server: a blocking connection over the platform's sockets,
// the reading of an answer's parts, one GET, and a crowd of connections that hold the server's
// slots without finishing a request. The same on Linux and, in the Windows build, under wine.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace scenario::testing {

// An answer as a client reads it.
struct http_reply {
    int status = 0;    // 0 when the bytes were not an HTTP answer
    std::string head;  // the status line and the header lines
    std::string body;
    // The value of the first header field of that name (compared without case); empty if none.
    std::string header(std::string_view name) const;
};

// Splits the bytes of a whole answer into its parts.
http_reply parse_reply(std::string_view bytes);

// A blocking client connection to 127.0.0.1:port. Throws platform::network_error.
class loopback_client {
   public:
    explicit loopback_client(std::uint16_t port);
    ~loopback_client();
    loopback_client(loopback_client&&) noexcept;
    loopback_client& operator=(loopback_client&&) noexcept;
    loopback_client(const loopback_client&) = delete;
    loopback_client& operator=(const loopback_client&) = delete;

    // Sends all the bytes, waiting up to `patience` for the server to take them; false when it
    // did not (it closed the connection, or stopped reading).
    bool send(std::string_view bytes,
              std::chrono::milliseconds patience = std::chrono::milliseconds(5000));

    struct received {
        std::string bytes;
        bool closed = false;  // the server closed its side; false when `patience` ran out first
    };
    // What the server sends until it closes its side of the connection or `patience` passes.
    received receive_until_closed(std::chrono::milliseconds patience);

    struct impl;

   private:
    std::unique_ptr<impl> impl_;
};

// A GET of the target (path and query) with Host: 127.0.0.1:port, and the answer read until the
// server closes the connection; status 0 when none came within `patience`.
http_reply loopback_get(std::uint16_t port, std::string_view target,
                        std::chrono::milliseconds patience = std::chrono::milliseconds(5000));

// Connections to 127.0.0.1:port kept open while the crowd lives: `idle` ones that send nothing
// and `trickling` ones that send a request head one byte at each beat and never finish it. At
// each beat, on a thread of its own, the crowd opens again every connection the server has
// closed, so the server never has fewer of them to deal with.
class connection_crowd {
   public:
    connection_crowd(std::uint16_t port, std::size_t idle, std::size_t trickling,
                     std::chrono::milliseconds pace = std::chrono::milliseconds(1000));
    ~connection_crowd();
    connection_crowd(const connection_crowd&) = delete;
    connection_crowd& operator=(const connection_crowd&) = delete;

    // How many connections the server has closed so far.
    std::size_t closed_by_server() const { return closed_; }

   private:
    struct member {
        loopback_client client;
        bool trickling = false;
        std::size_t sent = 0;  // bytes of the head sent so far
    };
    void beat();

    std::uint16_t port_;
    std::chrono::milliseconds pace_;
    std::string head_;
    std::vector<member> members_;
    std::atomic<std::size_t> closed_{0};
    std::mutex guard_;
    std::condition_variable wake_;
    bool stopping_ = false;  // under guard_
    std::thread thread_;
};

}  // namespace scenario::testing
