// The request head of the loopback server, read from the bytes a connection has sent so far: the
// only parser that faces a socket, so it is pure (bytes in, a verdict out, no state), takes any
// bytes at all, and is fuzzed (fuzz/http_request_fuzzer.cpp). The server accepts GET and HEAD
// whose one Host header names this server's loopback address; it refuses on its own a head
// larger than k_request_head_limit (431), a malformed one (400), a Host naming anything else
// (403), which keeps pages of other sites that resolve their own names to 127.0.0.1 from reading
// it, and any other method (405).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace scenario::tool {

// A request the server accepted: GET or HEAD, with the target split at its first '?'. The path
// and the query are as the client sent them, not decoded.
struct http_request {
    std::string method;
    std::string path;   // starts with '/'
    std::string query;  // without the '?'; empty when there is none
};

// The largest request head the server reads: the request line, the header lines and the blank
// line that ends them.
inline constexpr std::size_t k_request_head_limit = 8192;

// Why a head is refused, in the order the checks are made; refusal_status gives the answer's
// status for each.
enum class head_fault {
    none,
    too_large,           // 431: no blank line within the limit, or a head that ends past it
    no_request_line,     // 400: nothing but blank lines
    request_line,        // 400: not three words parted by single blanks
    method_form,         // 400: an empty method, or a control character in it
    target_form,         // 400: a target that is not a path, or holds a control character
    version,             // 400: neither HTTP/1.1 nor HTTP/1.0
    header_line,         // 400: no name and colon, a blank in the name, a folded line
    no_host,             // 400
    two_hosts,           // 400
    foreign_host,        // 403: a Host that names anything but this server
    method_not_allowed,  // 405: a method other than GET and HEAD
};

int refusal_status(head_fault fault);
// The fault's name as written above ("too_large"), for messages and test traces.
std::string_view fault_name(head_fault fault);

// What the bytes received so far make of a request head.
struct head_reading {
    enum class state {
        incomplete,  // no blank line yet, and within the limit: wait for more
        accepted,    // `request` holds the request
        refused,     // `fault` says why
    };
    state at = state::incomplete;
    head_fault fault = head_fault::none;
    http_request request;
};

// Reads the head at the start of `received` (blank lines before the request line are skipped;
// lines end in CR LF or LF; whatever follows the blank line is not looked at), for a server on
// 127.0.0.1:port: Host must be "127.0.0.1:port" or "localhost:port" (without case), or either
// name alone on port 80.
head_reading read_request_head(std::string_view received, std::uint16_t port);

}  // namespace scenario::tool
