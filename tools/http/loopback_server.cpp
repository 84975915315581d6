// The loopback server's exchange: one thread waits on the listening socket, the open connections
// and a wake-up socket at once, reads each request head up to its blank line, answers it, and
// closes the connection. Every connection has a deadline for the phase it is in, and it is closed
// wherever it is when the deadline passes, so a client that sends nothing, or takes nothing,
// holds only its own connection, and that only for a while.
#include "http/loopback_server.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <new>
#include <thread>
#include <utility>
#include <vector>

#include "platform/sockets.h"

namespace scenario::tool {
namespace sockets = platform::sockets;

namespace {

using clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// After its answer a connection is read (and what comes is dropped) until the client closes
// it, so that request bytes the server never read do not make the system reset the connection
// before the client has the answer; for at most this long and this much.
constexpr milliseconds k_linger{1000};
constexpr std::size_t k_linger_bytes = 65536;
// A wait ends at least this often, even with nothing to do.
constexpr milliseconds k_longest_wait{1000};
// How long the server leaves its waiting connections alone after the system could not give it
// one (out of descriptors): trying again at once would only fail again, as fast as it can.
constexpr milliseconds k_accept_pause{1000};

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
    void fail(std::string why);
    void serve_once(std::vector<sockets::watch>& watches);
    bool may_take_more() const;
    void take_waiting();
    void make_room();
    void step(connection& c);
    void receive(connection& c);
    void send(connection& c);
    void linger(connection& c);
    void expire(connection& c);
    void answer_with(connection& c, std::string reply);
    std::string respond(const http_request& request);

    sockets::library library;
    sockets::socket listener;
    sockets::socket wake;
    std::uint16_t port = 0;
    http_handler handler;
    loopback_server_settings settings;
    std::atomic<bool> stopping{false};

    mutable std::mutex failure_guard;
    std::optional<std::string> failed;

    // The server thread's own: the open connections, oldest first, and when it may try to take
    // a waiting connection again after the system could not give it one.
    std::vector<connection> open;
    clock::time_point accept_resumes{};

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
    try {
        std::vector<sockets::watch> watches;
        while (!stopping) serve_once(watches);
    } catch (const std::bad_alloc&) {
        fail("memory exhausted");
    } catch (const std::exception& e) {
        fail(e.what());
    }
}

void loopback_server::impl::fail(std::string why) {
    // The clients see their connections closed and new ones refused, not a server that stays
    // silent.
    open.clear();
    listener.close();
    const std::lock_guard<std::mutex> hold(failure_guard);
    failed = std::move(why);
}

void loopback_server::impl::serve_once(std::vector<sockets::watch>& watches) {
    const clock::time_point now = clock::now();
    const bool accepting = now >= accept_resumes && may_take_more();
    watches.clear();
    watches.push_back({wake.get(), true, false});
    watches.push_back({listener.get(), accepting, false});
    clock::time_point soonest = now + k_longest_wait;
    if (now < accept_resumes) soonest = std::min(soonest, accept_resumes);
    for (const connection& c : open) {
        watches.push_back({c.s.get(), c.at != phase::sending, c.at == phase::sending});
        soonest = std::min(soonest, c.deadline);
    }
    const auto wait = std::chrono::ceil<milliseconds>(soonest - now);
    sockets::wait_any(watches, std::max(wait, milliseconds{0}));
    if (watches[0].ready) sockets::drain_wake(wake.get());
    if (stopping) return;
    for (std::size_t i = 0; i < open.size(); ++i) {
        if (watches[i + 2].ready) step(open[i]);
    }
    const clock::time_point later = clock::now();
    for (connection& c : open) {
        if (c.at != phase::finished && later >= c.deadline) expire(c);
    }
    std::erase_if(open, [](const connection& c) { return c.at == phase::finished; });
    if (accepting && watches[1].ready) take_waiting();
}

// Whether a waiting connection could be taken now: a slot is free, or one can be freed.
bool loopback_server::impl::may_take_more() const {
    return open.size() < settings.connections ||
           std::any_of(open.begin(), open.end(), [](const connection& c) {
               return c.at == phase::receiving || c.at == phase::lingering;
           });
}

// Takes the connections waiting now, at most as many as the server serves at once: any more
// would only make room for each other before a byte of theirs was read.
void loopback_server::impl::take_waiting() {
    for (std::size_t taken = 0; taken < settings.connections && may_take_more(); ++taken) {
        sockets::socket s;
        try {
            s = sockets::accept_waiting(listener.get());
        } catch (const platform::network_error&) {
            accept_resumes = clock::now() + k_accept_pause;
            return;
        }
        if (!s) return;
        make_room();
        connection& c = open.emplace_back();
        c.s = std::move(s);
        c.deadline = clock::now() + settings.head_patience;
        // A client that sent its request with its connection is answered at once.
        receive(c);
    }
}

// With every slot taken, reads what the connections still receiving have sent, then closes the
// oldest that has not sent its whole head, or else the oldest that has had its whole answer;
// may_take_more() said one of them is there.
void loopback_server::impl::make_room() {
    if (open.size() < settings.connections) return;
    // A head that has come whole since the last wait is read first, so that a connection about to
    // be answered is never taken for one that keeps its slot idle.
    for (connection& c : open) {
        if (c.at == phase::receiving) receive(c);
    }
    std::erase_if(open, [](const connection& c) { return c.at == phase::finished; });
    if (open.size() < settings.connections) return;
    auto victim = std::find_if(open.begin(), open.end(),
                               [](const connection& c) { return c.at == phase::receiving; });
    if (victim == open.end()) {
        victim = std::find_if(open.begin(), open.end(),
                              [](const connection& c) { return c.at == phase::lingering; });
    }
    if (victim == open.end()) return;
    // The slot is wanted now: no lingering after the one try at saying why.
    if (victim->at == phase::receiving) answer_with(*victim, refusal_bytes(408));
    open.erase(victim);
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
        c.received.append(buffer, t.bytes);
        const head_reading head = read_request_head(c.received, port);
        if (head.at == head_reading::state::incomplete) continue;
        answer_with(c, head.at == head_reading::state::accepted
                           ? respond(head.request)
                           : refusal_bytes(refusal_status(head.fault)));
        return;
    }
}

void loopback_server::impl::answer_with(connection& c, std::string reply) {
    c.reply = std::move(reply);
    c.received.clear();
    c.received.shrink_to_fit();
    c.sent = 0;
    c.at = phase::sending;
    c.deadline = clock::now() + settings.answer_patience;
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
    c.reply.clear();
    c.reply.shrink_to_fit();
    c.at = phase::lingering;
    c.deadline = clock::now() + std::min(settings.answer_patience, k_linger);
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
        answer_with(c, refusal_bytes(408));
        if (c.at == phase::sending) c.at = phase::finished;
        return;
    }
    c.at = phase::finished;
}

std::string loopback_server::impl::respond(const http_request& request) {
    std::optional<http_response> response;
    try {
        response = handler(request);
    } catch (...) {
        return refusal_bytes(500);
    }
    return answer_bytes(request, *response);
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

std::optional<std::string> loopback_server::failure() const {
    const std::lock_guard<std::mutex> hold(impl_->failure_guard);
    return impl_->failed;
}

}  // namespace scenario::tool
