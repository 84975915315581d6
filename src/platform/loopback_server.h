// A small HTTP server on the loopback address, for pages that only the user's own browser may
// read, and the blocking client that checks it. The server never reads a file itself: every
// answer to a request it accepts comes from the handler its owner gives. What it refuses on its
// own: methods other than GET and HEAD (405), a request head larger than k_request_head_limit
// (431), a malformed request (400), and a Host header that names anything but this server's
// loopback address (403), which keeps pages of other sites that resolve their own names to
// 127.0.0.1 from reading it.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace scenario::platform {

// A socket operation that failed, with what was being done and the operating system's reason.
class network_error : public std::runtime_error {
   public:
    network_error(const std::string& action, const std::string& reason);
};

// A request the server accepted: GET or HEAD, with the target split at its first '?'. The path
// and the query are as the client sent them, not decoded.
struct http_request {
    std::string method;
    std::string path;   // starts with '/'
    std::string query;  // without the '?'; empty when there is none
};

// The handler's answer. A HEAD request is answered with the headers of the same answer.
struct http_response {
    int status = 200;  // 200 to 599
    std::string content_type = "text/html; charset=utf-8";
    std::string body;
};

using http_handler = std::function<http_response(const http_request&)>;

// The largest request line and header lines the server reads.
inline constexpr std::size_t k_request_head_limit = 8192;

struct loopback_server_settings {
    // How long a client has to send its request, and then to take the answer, before the server
    // closes its connection.
    std::chrono::milliseconds patience{10000};
    // Connections served at once; more wait in the system's queue.
    std::size_t connections = 8;
};

// Listens on 127.0.0.1:port (port 0: a free port the system picks) from construction and serves
// on a thread of its own until destroyed; the destructor wakes that thread and joins it, whatever
// the clients are doing. The handler is called on the server's thread, one request at a time: it
// must guard whatever it shares with other threads. A handler that throws, or answers with a
// status or content type that cannot be sent, gives the client 500. Every answer carries
// Content-Length, Cache-Control: no-store, X-Content-Type-Options: nosniff and
// Connection: close, and the connection is closed after it. Throws network_error when the
// address cannot be had (the port is taken).
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

    struct impl;

   private:
    std::unique_ptr<impl> impl_;
};

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

// A blocking client connection to 127.0.0.1:port, for tests and checks. Throws network_error.
class loopback_client {
   public:
    explicit loopback_client(std::uint16_t port);
    ~loopback_client();
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

}  // namespace scenario::platform
