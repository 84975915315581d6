// libFuzzer target over the language server's framing and dispatch: arbitrary bytes as they
// would come on standard input, cut into pieces at places the input chooses. Beyond the
// sanitizers it holds the server to what an editor relies on: everything it sends is a JSON-RPC
// 2.0 message, an answer carries the id of a request that came (or null), no id gets more
// answers than requests came with it, the framer holds no more than a header and a bounded body, and only `exit` ends it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "lsp/json_rpc.h"
#include "lsp/language_server.h"
#include "lsp/message_framing.h"

namespace scenario::fuzz {
namespace {

using tool::json;

void require(bool condition, const char* what, const json& message) {
    if (condition) return;
    std::fprintf(stderr, "lsp_fuzzer: %s: %s\n", what, tool::rpc::serialized(message).c_str());
    std::abort();
}

// Bodies are bounded far below 64 MiB here, so that a long run holds little.
constexpr std::size_t k_max_body = 1 << 16;

}  // namespace
}  // namespace scenario::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace scenario;
    using namespace scenario::fuzz;
    if (size == 0) return 0;
    // The first byte chooses the size of the pieces the bytes arrive in.
    const std::size_t piece = 1 + data[0] % 64;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    tool::message_framer framer(k_max_body);
    tool::language_server server(tool::language_server::options{std::chrono::milliseconds(0)});
    std::map<std::string, int> requests;  // how many requests came with each id (as JSON)
    std::map<std::string, int> answered;
    bool exit_sent = false;
    std::vector<json> out;
    for (std::size_t at = 0; at < bytes.size() && !server.exited(); at += piece) {
        framer.feed(bytes.substr(at, piece));
        if (framer.pending() > tool::message_framer::k_max_header + k_max_body + piece) {
            std::fprintf(stderr, "lsp_fuzzer: the framer holds %zu bytes\n", framer.pending());
            std::abort();
        }
        while (std::optional<tool::frame> f = framer.next()) {
            if (f->what == tool::frame::kind::body) {
                const json message = json::parse(f->body, nullptr, false);
                // Anything with an id may be answered: a request, or what is invalid as one.
                if (message.is_object() && message.contains("id") &&
                    (message["id"].is_string() || message["id"].is_number_integer())) {
                    ++requests[message["id"].dump()];
                }
                if (message.is_object() && message.value("method", json()) == "exit") {
                    exit_sent = true;
                }
            }
            server.receive(*f, out, tool::language_server::clock::now());
            if (server.exited()) break;
        }
        if (server.compile_due()) server.compile_waiting(out);
        for (const json& m : out) {
            require(m.is_object() && m.value("jsonrpc", "") == "2.0", "not JSON-RPC 2.0", m);
            require(!tool::rpc::serialized(m).empty(), "empty message", m);
            if (m.contains("method")) {
                require(!m.contains("id"), "the server sent a request", m);
                continue;
            }
            require(m.contains("id"), "an answer without an id", m);
            require(m.contains("result") != m.contains("error"), "result and error", m);
            const std::string id = m["id"].dump();
            if (m["id"].is_null()) continue;
            require(requests.count(id) != 0, "an answer to no message", m);
            require(++answered[id] <= requests[id], "more answers than requests", m);
        }
        out.clear();
    }
    if (server.exited() && !exit_sent) {
        std::fprintf(stderr, "lsp_fuzzer: the server ended without exit\n");
        std::abort();
    }
    return 0;
}
