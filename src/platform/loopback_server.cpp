// The loopback server's HTTP exchange, the same on both systems over the socket operations of
// sockets.h: one thread waits on the listening socket, the open connections and a wake-up socket
// at once, reads each request head up to its blank line, answers it, and closes the connection.
// A connection that has been open longer than the patience allows is closed wherever it is, so
// a client that sends nothing, or takes nothing, holds only its own connection.
#include "platform/loopback_server.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "platform/sockets.h"

namespace scenario::platform {

network_error::network_error(const std::string& action, const std::string& reason)
    : std::runtime_error("cannot " + action + ": " + reason) {}

namespace {

using clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// After its answer a connection is read (and what comes is dropped) until the client closes
// it, so that request bytes the server never read do not make the system reset the connection
// before the client has the answer; for at most this long and this much.
constexpr milliseconds k_linger{1000};
constexpr std::size_t k_linger_bytes = 65536;
// A wait ends at least this often, even with nothing to do, to look at the stop flag.
constexpr milliseconds k_longest_wait{1000};

std::string_view reason_phrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 204:
            return "No Content";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 303:
            return "See Other";
        case 304:
            return "Not Modified";
        case 400:
            return "Bad Request";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 408:
            return "Request Timeout";
        case 431:
            return "Request Header Fields Too Large";
        case 500:
            return "Internal Server Error";
        case 503:
            return "Service Unavailable";
        default:
            return "";
    }
}

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// Control characters (and blanks, where `blanks` says so) cannot stand in a header or target.
bool clean(std::string_view s, bool blanks) {
    return std::none_of(s.begin(), s.end(), [blanks](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 ? !(blanks && c == '\t') : u == 0x7f || (!blanks && c == ' ');
    });
}

std::string answer(int status, std::string_view content_type, std::string_view body, bool with_body,
                   std::string_view extra_headers = {}) {
    std::string out = "HTTP/1.1 " + std::to_string(status) + " ";
    out += reason_phrase(status);
    out += "\r\n";
    if (!content_type.empty()) {
        out += "Content-Type: ";
        out += content_type;
        out += "\r\n";
    }
    out += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    out += "Cache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\nConnection: close\r\n";
    out += extra_headers;
    out += "\r\n";
    if (with_body) out += body;
    return out;
}

// The server's own answer to a request it will not pass on.
std::string refusal(int status, std::string_view extra_headers = {}) {
    const std::string body =
        std::to_string(status) + " " + std::string(reason_phrase(status)) + "\n";
    return answer(status, "text/plain; charset=utf-8", body, true, extra_headers);
}

// The parts of a request head, or the status that refuses it.
struct parsed_head {
    int refused = 0;
    http_request request;
};

parsed_head refused(int status) {
    parsed_head parsed;
    parsed.refused = status;
    return parsed;
}

// Splits the head (its blank line included) and checks it: the request line, the header lines, and
// one Host naming this server.
parsed_head parse_head(std::string_view head, std::uint16_t port) {
    std::vector<std::string_view> lines;
    while (!head.empty()) {
        const std::size_t end = head.find('\n');
        std::string_view line = head.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        head.remove_prefix(end == std::string_view::npos ? head.size() : end + 1);
    }
    // Blank lines before the request line are allowed and ignored.
    auto first = std::find_if(lines.begin(), lines.end(), [](auto l) { return !l.empty(); });
    if (first == lines.end()) return refused(400);

    const std::string_view request_line = *first;
    const std::size_t space1 = request_line.find(' ');
    const std::size_t space2 =
        request_line.find(' ', space1 == std::string_view::npos ? 0 : space1 + 1);
    if (space1 == std::string_view::npos || space2 == std::string_view::npos ||
        request_line.find(' ', space2 + 1) != std::string_view::npos) {
        return refused(400);
    }
    const std::string_view method = request_line.substr(0, space1);
    const std::string_view target = request_line.substr(space1 + 1, space2 - space1 - 1);
    const std::string_view version = request_line.substr(space2 + 1);
    if (method.empty() || !clean(method, false) || target.empty() || target.front() != '/' ||
        !clean(target, false) || (version != "HTTP/1.1" && version != "HTTP/1.0")) {
        return refused(400);
    }

    std::optional<std::string_view> host;
    for (auto line = first + 1; line != lines.end() && !line->empty(); ++line) {
        const std::size_t colon = line->find(':');
        // A folded line (starting with a blank), a line without a name, a blank in the name.
        if (colon == std::string_view::npos || colon == 0 ||
            !clean(line->substr(0, colon), false) || !clean(line->substr(colon + 1), true)) {
            return refused(400);
        }
        if (equal_ignoring_case(line->substr(0, colon), "host")) {
            if (host) return refused(400);
            host = trim(line->substr(colon + 1));
        }
    }
    if (!host) return refused(400);
    const std::string suffix = ":" + std::to_string(port);
    const bool ours = equal_ignoring_case(*host, "127.0.0.1" + suffix) ||
                      equal_ignoring_case(*host, "localhost" + suffix) ||
                      (port == 80 && (equal_ignoring_case(*host, "127.0.0.1") ||
                                      equal_ignoring_case(*host, "localhost")));
    if (!ours) return refused(403);
    if (method != "GET" && method != "HEAD") return refused(405);

    parsed_head parsed;
    const std::size_t question = target.find('?');
    parsed.request.method = std::string(method);
    parsed.request.path = std::string(target.substr(0, question));
    if (question != std::string_view::npos)
        parsed.request.query = std::string(target.substr(question + 1));
    return parsed;
}

// The position just past the blank line that ends a request head, if it has come.
std::optional<std::size_t> head_end(std::string_view received) {
    for (std::size_t i = received.find('\n'); i != std::string_view::npos;
         i = received.find('\n', i + 1)) {
        if (i + 1 < received.size() && received[i + 1] == '\n') return i + 2;
        if (i + 2 < received.size() && received[i + 1] == '\r' && received[i + 2] == '\n')
            return i + 3;
    }
    return std::nullopt;
}

enum class phase { receiving, sending, lingering, finished };

struct connection {
    sockets::socket s;
    std::string received;
    std::string reply;
    std::size_t sent = 0;
    std::size_t lingered = 0;
    phase at = phase::receiving;
    clock::time_point deadline;
};

}  // namespace

struct loopback_server::impl {
    impl(std::uint16_t port, http_handler handler, loopback_server_settings settings);
    ~impl();

    void serve();
    void serve_once(std::vector<connection>& open, std::vector<sockets::watch>& watches);
    void step(connection& c);
    void receive(connection& c);
    void send(connection& c);
    void linger(connection& c);
    void expire(connection& c);
    void answer_with(connection& c, std::string reply);
    std::string respond(std::string_view head);

    sockets::library library;
    sockets::socket listener;
    sockets::socket wake;
    std::uint16_t port = 0;
    http_handler handler;
    loopback_server_settings settings;
    std::atomic<bool> stopping{false};
    std::thread thread;
};

loopback_server::impl::impl(std::uint16_t requested, http_handler h, loopback_server_settings s)
    : listener(sockets::listen_loopback(requested)),
      wake(sockets::wake_socket()),
      port(sockets::local_port(listener.get())),
      handler(std::move(h)),
      settings(s) {
    settings.connections = std::max<std::size_t>(settings.connections, 1);
    thread = std::thread([this] { serve(); });
}

loopback_server::impl::~impl() {
    stopping = true;
    sockets::send_wake(wake.get());
    thread.join();
}

void loopback_server::impl::serve() {
    std::vector<connection> open;
    std::vector<sockets::watch> watches;
    while (!stopping) {
        try {
            serve_once(open, watches);
        } catch (const std::exception&) {
            // Short of memory, or a wait that failed: the open connections are dropped (their
            // clients see them closed) and the server goes on listening after a pause.
            open.clear();
            std::this_thread::sleep_for(milliseconds{50});
        }
    }
}

void loopback_server::impl::serve_once(std::vector<connection>& open,
                                       std::vector<sockets::watch>& watches) {
    watches.clear();
    watches.push_back({wake.get(), true, false});
    watches.push_back({listener.get(), open.size() < settings.connections, false});
    clock::time_point soonest = clock::now() + k_longest_wait;
    for (const connection& c : open) {
        watches.push_back({c.s.get(), c.at != phase::sending, c.at == phase::sending});
        soonest = std::min(soonest, c.deadline);
    }
    const auto wait = std::chrono::ceil<milliseconds>(soonest - clock::now());
    sockets::wait_any(watches, std::max(wait, milliseconds{0}));
    if (watches[0].ready) sockets::drain_wake(wake.get());
    if (stopping) return;
    for (std::size_t i = 0; i < open.size(); ++i) {
        if (watches[i + 2].ready) step(open[i]);
    }
    const auto now = clock::now();
    for (connection& c : open) {
        if (c.at != phase::finished && now >= c.deadline) expire(c);
    }
    std::erase_if(open, [](const connection& c) { return c.at == phase::finished; });
    if (watches[1].ready) {
        while (open.size() < settings.connections) {
            sockets::socket s = sockets::accept_waiting(listener.get());
            if (!s) break;
            connection& c = open.emplace_back();
            c.s = std::move(s);
            c.deadline = clock::now() + settings.patience;
        }
    }
}

void loopback_server::impl::step(connection& c) {
    switch (c.at) {
        case phase::receiving:
            receive(c);
            break;
        case phase::sending:
            send(c);
            break;
        case phase::lingering:
            linger(c);
            break;
        case phase::finished:
            break;
    }
}

void loopback_server::impl::receive(connection& c) {
    char buffer[4096];
    for (;;) {
        const sockets::transfer t = sockets::receive_some(c.s.get(), buffer, sizeof buffer);
        if (t.result == sockets::outcome::would_block) return;
        if (t.result != sockets::outcome::done) {
            // Gone before its request was whole: there is no one to answer.
            c.at = phase::finished;
            return;
        }
        const std::size_t searched_from = c.received.size() < 3 ? 0 : c.received.size() - 3;
        c.received.append(buffer, t.bytes);
        std::optional<std::size_t> end =
            head_end(std::string_view(c.received).substr(searched_from));
        if (end) *end += searched_from;
        if (end && *end <= k_request_head_limit) {
            answer_with(c, respond(std::string_view(c.received).substr(0, *end)));
            return;
        }
        if (end || c.received.size() > k_request_head_limit) {
            answer_with(c, refusal(431));
            return;
        }
    }
}

void loopback_server::impl::answer_with(connection& c, std::string reply) {
    c.reply = std::move(reply);
    c.received.clear();
    c.sent = 0;
    c.at = phase::sending;
    c.deadline = clock::now() + settings.patience;
    send(c);
}

void loopback_server::impl::send(connection& c) {
    while (c.sent < c.reply.size()) {
        const sockets::transfer t =
            sockets::send_some(c.s.get(), c.reply.data() + c.sent, c.reply.size() - c.sent);
        if (t.result == sockets::outcome::would_block) return;
        if (t.result != sockets::outcome::done) {
            c.at = phase::finished;
            return;
        }
        c.sent += t.bytes;
    }
    sockets::shutdown_sending(c.s.get());
    c.at = phase::lingering;
    c.deadline = clock::now() + std::min(settings.patience, k_linger);
    linger(c);
}

void loopback_server::impl::linger(connection& c) {
    char buffer[4096];
    for (;;) {
        const sockets::transfer t = sockets::receive_some(c.s.get(), buffer, sizeof buffer);
        if (t.result == sockets::outcome::would_block) return;
        c.lingered += t.bytes;
        if (t.result != sockets::outcome::done || c.lingered > k_linger_bytes) {
            c.at = phase::finished;
            return;
        }
    }
}

void loopback_server::impl::expire(connection& c) {
    if (c.at == phase::receiving) {
        // One try at telling the client why; a connection that cannot take it is closed anyway.
        answer_with(c, refusal(408));
        if (c.at == phase::sending) c.at = phase::finished;
        return;
    }
    c.at = phase::finished;
}

std::string loopback_server::impl::respond(std::string_view head) {
    const parsed_head parsed = parse_head(head, port);
    if (parsed.refused == 405) return refusal(405, "Allow: GET, HEAD\r\n");
    if (parsed.refused != 0) return refusal(parsed.refused);
    std::optional<http_response> response;
    try {
        response = handler(parsed.request);
    } catch (...) {
        return refusal(500);
    }
    if (response->status < 200 || response->status > 599 || !clean(response->content_type, true)) {
        return refusal(500);
    }
    return answer(response->status, response->content_type, response->body,
                  parsed.request.method != "HEAD");
}

loopback_server::loopback_server(std::uint16_t port, http_handler handler,
                                 loopback_server_settings settings)
    : impl_(std::make_unique<impl>(port, std::move(handler), settings)) {}

loopback_server::~loopback_server() = default;
loopback_server::loopback_server(loopback_server&&) noexcept = default;
loopback_server& loopback_server::operator=(loopback_server&&) noexcept = default;

std::uint16_t loopback_server::port() const { return impl_->port; }

std::string loopback_server::address() const {
    return "http://127.0.0.1:" + std::to_string(impl_->port) + "/";
}

}  // namespace scenario::platform
