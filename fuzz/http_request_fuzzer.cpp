// libFuzzer target over the loopback server's request head (fuzz_input.h: the port, then what a
// client has sent). The reading is the only parser that faces a socket, so beyond the sanitizers
// it must hold to what the server relies on: an accepted request is GET or HEAD with a clean
// path, a refusal has a status and an answer, the verdict depends on nothing after the head, and
// a head cut short is waited for, never judged otherwise.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "http/http_request.h"
#include "http/http_response.h"

namespace scenario::fuzz {
namespace {

using tool::head_fault;
using tool::head_reading;

void require(bool condition, const char* what, const head_reading& r) {
    if (condition) return;
    std::fprintf(stderr, "http_request_fuzzer: %s (fault %s, method \"%s\", path \"%s\")\n", what,
                 std::string(tool::fault_name(r.fault)).c_str(), r.request.method.c_str(),
                 r.request.path.c_str());
    std::abort();
}

bool same(const head_reading& a, const head_reading& b) {
    return a.at == b.at && a.fault == b.fault && a.request.method == b.request.method &&
           a.request.path == b.request.path && a.request.query == b.request.query;
}

// No byte that would end a line, part words or hide in a log: what reaches the handler is a
// path and a query of visible characters.
bool visible(std::string_view s) {
    for (const char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u == 0x7f) return false;
    }
    return true;
}

void read_one(std::string_view data) {
    const http_input input = split_http_input(data);
    const std::string_view received = input.received;
    const head_reading r = tool::read_request_head(received, input.port);

    switch (r.at) {
        case head_reading::state::incomplete:
            require(r.fault == head_fault::none, "a fault on an unfinished head", r);
            require(received.size() <= tool::k_request_head_limit,
                    "waits for a head already past the limit", r);
            break;
        case head_reading::state::accepted: {
            require(r.fault == head_fault::none, "a fault on an accepted head", r);
            require(r.request.method == "GET" || r.request.method == "HEAD",
                    "accepted a method other than GET and HEAD", r);
            require(!r.request.path.empty() && r.request.path.front() == '/',
                    "accepted a path that does not start with '/'", r);
            require(r.request.path.find('?') == std::string::npos, "a '?' left in the path", r);
            require(visible(r.request.path) && visible(r.request.query),
                    "accepted a target with a blank or a control character", r);
            require(received.substr(0, tool::k_request_head_limit)
                            .find(r.request.method + " " + r.request.path) != std::string::npos,
                    "a request line that is not in the head", r);
            const std::string answer = tool::answer_bytes(r.request, {200, "text/plain", "x"});
            require(answer.rfind("HTTP/1.1 200 OK\r\n", 0) == 0, "the handler's answer lost", r);
            break;
        }
        case head_reading::state::refused: {
            const int status = tool::refusal_status(r.fault);
            require(status == 400 || status == 403 || status == 405 || status == 431,
                    "a refusal without a refusing status", r);
            require(r.request.method.empty() && r.request.path.empty(),
                    "a refused head handed a request on", r);
            const std::string answer = tool::refusal_bytes(status);
            require(answer.rfind("HTTP/1.1 " + std::to_string(status) + " ", 0) == 0,
                    "a refusal answered with another status", r);
            break;
        }
    }

    // What comes after the head changes nothing: more bytes after a judged head, and any cut of
    // a head, are judged the same or waited for.
    if (r.at != head_reading::state::incomplete && r.fault != head_fault::too_large) {
        const std::string longer = std::string(received) + "\r\n\r\nGET / HTTP/1.1\r\n\r\n";
        require(same(tool::read_request_head(longer, input.port), r),
                "bytes after the head changed the verdict", r);
    }
    const std::size_t cut =
        received.empty() ? 0 : static_cast<unsigned char>(data.back()) % (received.size() + 1);
    const head_reading part = tool::read_request_head(received.substr(0, cut), input.port);
    require(part.at == head_reading::state::incomplete || same(part, r) ||
                (part.fault == head_fault::too_large && r.fault == head_fault::too_large),
            "a head cut short was judged otherwise than the whole", part);
}

}  // namespace
}  // namespace scenario::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    scenario::fuzz::read_one(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
