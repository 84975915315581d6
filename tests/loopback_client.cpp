// The tests' client of the loopback server, over the platform's sockets, and the crowd of
// connections that never finish a request.
#include "loopback_client.h"

#include <algorithm>

#include "platform/sockets.h"

namespace scenario::testing {
namespace sockets = platform::sockets;

namespace {

using clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

milliseconds left_until(clock::time_point deadline) {
    return std::max(std::chrono::ceil<milliseconds>(deadline - clock::now()), milliseconds{0});
}

}  // namespace

std::string http_reply::header(std::string_view name) const {
    std::string_view rest = head;
    while (!rest.empty()) {
        const std::size_t end = rest.find("\r\n");
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 2);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || !equal_ignoring_case(line.substr(0, colon), name)) {
            continue;
        }
        std::string_view value = line.substr(colon + 1);
        while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
        while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
        return std::string(value);
    }
    return {};
}

http_reply parse_reply(std::string_view bytes) {
    http_reply reply;
    const std::size_t end = bytes.find("\r\n\r\n");
    if (end == std::string_view::npos || bytes.substr(0, 9) != "HTTP/1.1 " || end < 12) {
        return reply;
    }
    int status = 0;
    for (std::size_t i = 9; i < 12; ++i) {
        if (bytes[i] < '0' || bytes[i] > '9') return reply;
        status = status * 10 + (bytes[i] - '0');
    }
    reply.status = status;
    reply.head = std::string(bytes.substr(0, end));
    reply.body = std::string(bytes.substr(end + 4));
    return reply;
}

struct loopback_client::impl {
    sockets::library library;
    sockets::socket s;
};

loopback_client::loopback_client(std::uint16_t port) : impl_(std::make_unique<impl>()) {
    impl_->s = sockets::connect_loopback(port);
}

loopback_client::~loopback_client() = default;
loopback_client::loopback_client(loopback_client&&) noexcept = default;
loopback_client& loopback_client::operator=(loopback_client&&) noexcept = default;

bool loopback_client::send(std::string_view bytes, milliseconds patience) {
    const auto deadline = clock::now() + patience;
    while (!bytes.empty()) {
        const sockets::transfer t = sockets::send_some(impl_->s.get(), bytes.data(), bytes.size());
        if (t.result == sockets::outcome::done) {
            bytes.remove_prefix(t.bytes);
            continue;
        }
        if (t.result != sockets::outcome::would_block || clock::now() >= deadline) return false;
        sockets::watch w{impl_->s.get(), false, true};
        sockets::wait_any({&w, 1}, left_until(deadline));
    }
    return true;
}

loopback_client::received loopback_client::receive_until_closed(milliseconds patience) {
    const auto deadline = clock::now() + patience;
    received got;
    char buffer[4096];
    for (;;) {
        const sockets::transfer t = sockets::receive_some(impl_->s.get(), buffer, sizeof buffer);
        if (t.result == sockets::outcome::done) {
            got.bytes.append(buffer, t.bytes);
            continue;
        }
        // A connection the server reset after its answer is closed all the same.
        if (t.result != sockets::outcome::would_block) {
            got.closed = true;
            return got;
        }
        if (clock::now() >= deadline) return got;
        sockets::watch w{impl_->s.get(), true, false};
        sockets::wait_any({&w, 1}, left_until(deadline));
    }
}

http_reply loopback_get(std::uint16_t port, std::string_view target, milliseconds patience) {
    loopback_client client(port);
    const std::string request = "GET " + std::string(target) +
                                " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                                "\r\nConnection: close\r\n\r\n";
    if (!client.send(request, patience)) return {};
    return parse_reply(client.receive_until_closed(patience).bytes);
}

connection_crowd::connection_crowd(std::uint16_t port, std::size_t idle, std::size_t trickling,
                                   std::chrono::milliseconds pace)
    : port_(port),
      pace_(pace),
      head_("GET / HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\nX-Lento: ") {
    for (std::size_t i = 0; i < idle + trickling; ++i) {
        members_.push_back({loopback_client(port), i >= idle, 0});
    }
    thread_ = std::thread([this] {
        std::unique_lock<std::mutex> hold(guard_);
        while (!stopping_) {
            hold.unlock();
            beat();
            hold.lock();
            wake_.wait_for(hold, pace_, [this] { return stopping_; });
        }
    });
}

connection_crowd::~connection_crowd() {
    {
        const std::lock_guard<std::mutex> hold(guard_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void connection_crowd::beat() {
    for (member& m : members_) {
        if (m.client.receive_until_closed(milliseconds{0}).closed) {
            ++closed_;
            try {
                m.client = loopback_client(port_);
            } catch (const platform::network_error&) {
                continue;  // the server is going; the next beat tries again
            }
            m.sent = 0;
        }
        if (!m.trickling) continue;
        // The head goes on with its last header's value for ever.
        const char byte = m.sent < head_.size() ? head_[m.sent] : 'a';
        if (m.client.send(std::string_view(&byte, 1), milliseconds{0})) ++m.sent;
    }
}

}  // namespace scenario::testing
