// The loopback server and the tests' client, in-process, so that the same cases run on Linux
// and, in the Windows build, under wine: it answers with the handler's page, refuses on its own
// what it must, keeps going after every refusal, lets no client hold it (nor a crowd of them),
// stops at once, and, on Linux, where descriptors can be made to run out, neither spins when it
// cannot take a connection nor hides a failure that stops it.
#include "http/loopback_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "descriptor_limit.h"
#include "loopback_client.h"
#include "platform/sockets.h"

namespace scenario {
namespace {

using namespace std::chrono_literals;
using clock = std::chrono::steady_clock;
using testing::http_reply;
using testing::loopback_client;
using testing::loopback_get;
using testing::parse_reply;
using tool::http_request;
using tool::http_response;
using tool::loopback_server;

constexpr const char* k_page = "<p>Metrò 2</p>";
constexpr std::size_t k_enormous = 16 << 20;

// A handler that notes each request and serves "/", "/grande" and "/enorme" (larger than any
// socket buffers there are, so that a client that does not read holds it in the middle);
// "/errore" throws, "/rotto" answers with a content type that would split the answer's headers;
// anything else is 404.
struct site {
    std::mutex guard;
    std::vector<http_request> requests;

    http_response operator()(const http_request& r) {
        {
            std::lock_guard lock(guard);
            requests.push_back(r);
        }
        if (r.path == "/") return {200, "text/html; charset=utf-8", k_page};
        if (r.path == "/grande") return {200, "text/plain", std::string(3 << 20, 'x')};
        if (r.path == "/enorme") return {200, "text/plain", std::string(k_enormous, 'x')};
        if (r.path == "/errore") throw std::runtime_error("guasto");
        if (r.path == "/rotto") return {200, "text/html\r\nSet-Cookie: a=b", "x"};
        return {404, "text/plain; charset=utf-8", "non trovato"};
    }
    std::size_t count() {
        std::lock_guard lock(guard);
        return requests.size();
    }
};

tool::http_handler serve(site& s) {
    return [&s](const http_request& r) { return s(r); };
}

// What every answer carries, whoever made it.
void expect_safe_headers(const http_reply& reply, bool head_request) {
    EXPECT_EQ(reply.header("Cache-Control"), "no-store");
    EXPECT_EQ(reply.header("X-Content-Type-Options"), "nosniff");
    EXPECT_EQ(reply.header("Connection"), "close");
    if (!head_request) {
        EXPECT_EQ(reply.header("Content-Length"), std::to_string(reply.body.size()));
    }
}

// Sends the bytes as they are and reads the answer until the server closes the connection.
http_reply exchange(std::uint16_t port, const std::string& request) {
    loopback_client client(port);
    EXPECT_TRUE(client.send(request));
    const loopback_client::received got = client.receive_until_closed(5s);
    EXPECT_TRUE(got.closed);
    return parse_reply(got.bytes);
}

// Whether the condition holds within `patience`, looking every 20 ms.
template <typename condition>
bool eventually(condition holds, std::chrono::milliseconds patience) {
    const auto deadline = clock::now() + patience;
    while (!holds()) {
        if (clock::now() > deadline) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

std::string replace_all(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

TEST(LoopbackServer, AnswersWithTheHandlersPageOnItsLoopbackAddress) {
    site s;
    loopback_server server(0, serve(s));
    ASSERT_NE(server.port(), 0);
    EXPECT_EQ(server.address(), "http://127.0.0.1:" + std::to_string(server.port()) + "/");

    const http_reply reply = loopback_get(server.port(), "/?linea=Metr%C3%B2&treno=2");
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body, k_page);
    EXPECT_EQ(reply.header("Content-Type"), "text/html; charset=utf-8");
    expect_safe_headers(reply, false);
    ASSERT_EQ(s.count(), 1u);
    EXPECT_EQ(s.requests[0].method, "GET");
    EXPECT_EQ(s.requests[0].path, "/");
    EXPECT_EQ(s.requests[0].query, "linea=Metr%C3%B2&treno=2");
}

TEST(LoopbackServer, RefusesOnItsOwnWhatTheHandlerMustNotSee) {
    site s;
    loopback_server server(0, serve(s));
    const std::string port = std::to_string(server.port());
    const std::string host = "Host: 127.0.0.1:" + port + "\r\n";

    // A request head of exactly the limit (its blank line included), and one byte more.
    const std::string short_head = "GET / HTTP/1.1\r\n" + host + "X-Pad: \r\n\r\n";
    const std::string at_limit = replace_all(
        short_head,
        "X-Pad: ", "X-Pad: " + std::string(tool::k_request_head_limit - short_head.size(), 'p'));
    ASSERT_EQ(at_limit.size(), tool::k_request_head_limit);
    const std::string over_limit = replace_all(at_limit, "X-Pad: ", "X-Pad: p");

    struct request_case {
        const char* name;
        std::string request;
        int status;
        bool handled;  // the handler saw it
    };
    const request_case cases[] = {
        {"a path the handler does not know", "GET /manca HTTP/1.1\r\n" + host + "\r\n", 404, true},
        {"the handler throws", "GET /errore HTTP/1.1\r\n" + host + "\r\n", 500, true},
        {"the handler's content type breaks a line", "GET /rotto HTTP/1.1\r\n" + host + "\r\n", 500,
         true},
        {"HTTP/1.0 with bare line ends", "GET / HTTP/1.0\n" + replace_all(host, "\r", "") + "\n",
         200, true},
        {"Host as localhost, any case", "GET / HTTP/1.1\r\nhost: LocalHost:" + port + "\r\n\r\n",
         200, true},
        {"a head of exactly the limit", at_limit, 200, true},
        {"POST", "POST / HTTP/1.1\r\n" + host + "Content-Length: 3\r\n\r\nabc", 405, false},
        {"DELETE", "DELETE / HTTP/1.1\r\n" + host + "\r\n", 405, false},
        {"a method in lower case", "get / HTTP/1.1\r\n" + host + "\r\n", 405, false},
        {"another site's name", "GET / HTTP/1.1\r\nHost: zelnor.example:" + port + "\r\n\r\n", 403,
         false},
        {"the loopback address without the port", "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n", 403,
         false},
        {"another port", "GET / HTTP/1.1\r\nHost: 127.0.0.1:" + port + "0\r\n\r\n", 403, false},
        {"no Host", "GET / HTTP/1.1\r\n\r\n", 400, false},
        {"two Hosts", "GET / HTTP/1.1\r\n" + host + host + "\r\n", 400, false},
        {"a target that is not a path",
         "GET http://127.0.0.1:" + port + "/ HTTP/1.1\r\n" + host + "\r\n", 400, false},
        {"a blank in the target", "GET /a b HTTP/1.1\r\n" + host + "\r\n", 400, false},
        {"another version", "GET / HTTP/2.0\r\n" + host + "\r\n", 400, false},
        {"a header line without a colon", "GET / HTTP/1.1\r\n" + host + "Pagina\r\n\r\n", 400,
         false},
        {"a folded header line", "GET / HTTP/1.1\r\n" + host + "X-A: 1\r\n 2\r\n\r\n", 400, false},
        {"not HTTP at all", "ciao\r\n\r\n", 400, false},
        {"a head one byte over the limit", over_limit, 431, false},
        {"a request line over the limit",
         "GET /" + std::string(tool::k_request_head_limit, 'a') + " HTTP/1.1\r\n" + host + "\r\n",
         431, false},
        {"a head that never ends", "GET / HTTP/1.1\r\n" + host + std::string(20000, 'h'), 431,
         false},
    };
    for (const request_case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::size_t seen = s.count();
        const http_reply reply = exchange(server.port(), c.request);
        EXPECT_EQ(reply.status, c.status);
        EXPECT_EQ(s.count() - seen, c.handled ? 1u : 0u);
        expect_safe_headers(reply, false);
        if (c.status == 405) {
            EXPECT_EQ(reply.header("Allow"), "GET, HEAD");
        }
        if (c.status == 200) {
            EXPECT_EQ(reply.body, k_page);
        }
    }
}

TEST(LoopbackServer, HeadAnswersTheHeadersOfTheSamePage) {
    site s;
    loopback_server server(0, serve(s));
    const http_reply reply = exchange(
        server.port(),
        "HEAD / HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.port()) + "\r\n\r\n");
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body, "");
    EXPECT_EQ(reply.header("Content-Length"), std::to_string(std::string(k_page).size()));
    expect_safe_headers(reply, true);
    ASSERT_EQ(s.count(), 1u);
    EXPECT_EQ(s.requests[0].method, "HEAD");
}

TEST(LoopbackServer, APageLargerThanTheSocketsBuffersArrivesWhole) {
    site s;
    loopback_server server(0, serve(s));
    const http_reply reply = loopback_get(server.port(), "/grande");
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body, std::string(3 << 20, 'x'));
}

TEST(LoopbackServer, ClientsThatSendTooSlowlyAreCutOffWithoutHoldingOthers) {
    site s;
    loopback_server server(0, serve(s), {.head_patience = 600ms, .connections = 8});
    loopback_client idle(server.port());
    loopback_client trickling(server.port());
    const auto start = clock::now();

    // Answered while the two slow clients are still connected.
    EXPECT_EQ(loopback_get(server.port(), "/").status, 200);
    EXPECT_FALSE(idle.receive_until_closed(0ms).closed);

    // One byte of a request every 100 ms does not buy more time than the head's patience.
    std::string trickled;
    bool trickle_closed = false;
    const std::string request =
        "GET / HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.port());
    for (std::size_t i = 0; i < request.size() && !trickle_closed; ++i) {
        trickling.send(request.substr(i, 1), 100ms);
        const auto got = trickling.receive_until_closed(100ms);
        trickled += got.bytes;
        trickle_closed = got.closed;
    }
    EXPECT_TRUE(trickle_closed);
    EXPECT_EQ(parse_reply(trickled).status, 408);
    const auto idle_got = idle.receive_until_closed(3s);
    EXPECT_TRUE(idle_got.closed);
    EXPECT_EQ(parse_reply(idle_got.bytes).status, 408);
    EXPECT_LT(clock::now() - start, 3s);
    EXPECT_EQ(s.count(), 1u);
}

TEST(LoopbackServer, AWaitingConnectionTakesTheSlotOfTheOldestUnfinishedHead) {
    site s;
    loopback_server server(0, serve(s), {.head_patience = 30s, .connections = 2});
    loopback_client oldest(server.port());
    ASSERT_TRUE(oldest.send("GET / HTTP/1.1\r\n"));
    loopback_client younger(server.port());
    // Both taken before the third comes.
    std::this_thread::sleep_for(100ms);

    const auto start = clock::now();
    EXPECT_EQ(loopback_get(server.port(), "/").status, 200);
    EXPECT_LT(clock::now() - start, 1s);
    const auto dropped = oldest.receive_until_closed(1s);
    EXPECT_TRUE(dropped.closed);
    EXPECT_EQ(parse_reply(dropped.bytes).status, 408);
    EXPECT_FALSE(younger.receive_until_closed(0ms).closed);
}

TEST(LoopbackServer, AConnectionTakingItsAnswerIsNotCutShortForAnother) {
    site s;
    loopback_server server(0, serve(s), {.answer_patience = 500ms, .connections = 1});
    // A page larger than the sockets' buffers, asked for and never read: the only slot is busy
    // sending it until the answer's patience runs out.
    loopback_client reader(server.port());
    ASSERT_TRUE(reader.send(
        "GET /enorme HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.port()) + "\r\n\r\n"));
    std::this_thread::sleep_for(100ms);

    const auto start = clock::now();
    EXPECT_EQ(loopback_get(server.port(), "/", 5s).status, 200);
    EXPECT_GE(clock::now() - start, 300ms);
    const auto got = reader.receive_until_closed(1s);
    EXPECT_TRUE(got.closed);
    EXPECT_LT(got.bytes.size(), k_enormous);
}

TEST(LoopbackServer, IdleAndTricklingConnectionsNeverHoldUpAPage) {
    site s;
    loopback_server server(0, serve(s));
    // 25 connections that send nothing and 5 that send a byte a second, opened again whenever
    // the server closes one; the pages are asked for while their heads are young, while the
    // server cuts them off, and after.
    const testing::connection_crowd crowd(server.port(), 25, 5);
    for (int probe = 0; probe < 4; ++probe) {
        SCOPED_TRACE("probe " + std::to_string(probe));
        for (const char* target : {"/", "/manca"}) {
            SCOPED_TRACE(target);
            const auto start = clock::now();
            const http_reply reply = loopback_get(server.port(), target, 5s);
            const auto took = clock::now() - start;
            EXPECT_EQ(reply.status, std::string(target) == "/" ? 200 : 404);
            EXPECT_LT(took, 1s);
        }
        std::this_thread::sleep_for(800ms);
    }
    EXPECT_GT(crowd.closed_by_server(), 0u);
    EXPECT_FALSE(server.failure());
}

TEST(LoopbackServer, StopsAtOnceWhateverItsClientsAreDoing) {
    site s;
    auto server = std::make_unique<loopback_server>(
        0, serve(s), tool::loopback_server_settings{.head_patience = 30s});
    loopback_client idle(server->port());
    loopback_client halfway(server->port());
    ASSERT_TRUE(halfway.send("GET / HTTP/1.1\r\nHo"));
    // Let the server take both connections before it is stopped.
    std::this_thread::sleep_for(100ms);

    const auto start = clock::now();
    server.reset();
    EXPECT_LT(clock::now() - start, 2s);
    EXPECT_TRUE(idle.receive_until_closed(1s).closed);
    EXPECT_TRUE(halfway.receive_until_closed(1s).closed);
}

TEST(LoopbackServer, ATakenPortIsReportedAndAFreedOneCanBeHadAgain) {
    site s;
    std::uint16_t port = 0;
    {
        loopback_server first(0, serve(s));
        port = first.port();
        EXPECT_THROW((loopback_server{port, serve(s)}), platform::network_error);
        // A served connection leaves the port waiting out its close.
        EXPECT_EQ(loopback_get(port, "/").status, 200);
    }
    loopback_server again(port, serve(s));
    EXPECT_EQ(again.port(), port);
    EXPECT_EQ(loopback_get(port, "/").status, 200);
}

// Linux only, and not under the sanitizers: their check of an object's dynamic type opens a
// pipe, which a process out of descriptors cannot, and so fails on any exception thrown there.
#if !defined(_WIN32) && !defined(SCENARIO_SANITIZED)
TEST(LoopbackServer, ASystemOutOfDescriptorsPausesTakingConnectionsInsteadOfSpinning) {
    site s;
    loopback_server server(0, serve(s));
    std::optional<loopback_client> waiting;
    {
        // Room for the client's end of a connection and none for the server's: the system
        // cannot give the server the waiting connection.
        const testing::descriptor_squeeze squeeze(1);
        waiting.emplace(server.port());
        const double before = testing::processor_seconds();
        std::this_thread::sleep_for(1s);
        EXPECT_LT(testing::processor_seconds() - before, 0.1);
    }
    // Descriptors again: the connection that waited is taken and answered.
    ASSERT_TRUE(waiting->send("GET / HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.port()) +
                              "\r\n\r\n"));
    const auto got = waiting->receive_until_closed(5s);
    EXPECT_EQ(parse_reply(got.bytes).status, 200);
    EXPECT_FALSE(server.failure());
}

TEST(LoopbackServer, AWaitThatFailsStopsTheServerWhichSaysWhyAndRefusesNewClients) {
    site s;
    loopback_server server(0, serve(s));
    loopback_client held(server.port());
    std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(server.failure());
    {
        // A wait on more sockets than the process may hold descriptors fails (EINVAL); the
        // server's next wait comes within a second.
        const testing::descriptor_limit limit(1);
        EXPECT_TRUE(eventually([&] { return server.failure().has_value(); }, 5s));
    }
    ASSERT_TRUE(server.failure());
    EXPECT_NE(server.failure()->find("cannot wait on sockets: "), std::string::npos)
        << *server.failure();
    EXPECT_TRUE(held.receive_until_closed(1s).closed);
    EXPECT_THROW(loopback_client{server.port()}, platform::network_error);
}
#endif

}  // namespace
}  // namespace scenario
