// A small HTTP server on the loopback address, for pages that only the user's own browser may
// read. It never reads a file: every answer to a request it accepts comes from the handler its
// owner gives, and what it refuses on its own is what http_request.h says. It runs over the
// platform's sockets (platform/sockets.h) and is the same on both systems.
//
// No client holds it: a client has a short time for its whole request head and a longer one to
// take its answer, and when every connection it serves at once is taken and another is waiting,
// the oldest one still sending its head gives way. So connections left open and idle, or fed a
// byte now and then, never keep a page from loading.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "http/http_request.h"
#include "http/http_response.h"

namespace scenario::tool {

using http_handler = std::function<http_response(const http_request&)>;

struct loopback_server_settings {
    // How long a client has, from its connection, to send the whole request head.
    std::chrono::milliseconds head_patience{2000};
    // How long a client has to take the whole answer.
    std::chrono::milliseconds answer_patience{10000};
    // Connections served at once. When all are taken and another is waiting, the oldest that has
    // not sent its whole head is closed to make room (or, when none is, the oldest whose answer
    // is all sent); connections still taking their answers are never cut short.
    std::size_t connections = 16;
};

// Listens on 127.0.0.1:port (port 0: a free port the system picks) from construction and serves
// on a thread of its own until destroyed; the destructor wakes that thread and joins it, whatever
// the clients are doing. The handler is called on the server's thread, one request at a time: it
// must guard whatever it shares with other threads. A handler that throws, or answers with a
// status or content type that cannot be sent, gives the client 500. The connection is closed
// after each answer. Throws platform::network_error when the address cannot be had (the port is
// taken).
//
// When the system cannot give it a connection (out of descriptors), the server stops listening
// for a second and tries again. When serving itself fails (a wait on the sockets fails, memory
// runs out), it closes every connection and its listening socket, so that clients are refused
// rather than left waiting, and stops for good: failure() then says why.
class loopback_server {
   public:
    loopback_server(std::uint16_t port, http_handler handler,
                    loopback_server_settings settings = {});
    ~loopback_server();
    loopback_server(loopback_server&&) noexcept;
    loopback_server& operator=(loopback_server&&) noexcept;
    loopback_server(const loopback_server&) = delete;
    loopback_server& operator=(const loopback_server&) = delete;

    std::uint16_t port() const;
    // "http://127.0.0.1:PORT/"
    std::string address() const;

    // Empty while the server serves; once it has stopped for a failure, the failure (the system's
    // words, in English). Safe to call from any thread.
    std::optional<std::string> failure() const;

    struct impl;

   private:
    std::unique_ptr<impl> impl_;
};

}  // namespace scenario::tool
