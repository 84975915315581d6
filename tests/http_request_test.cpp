// The loopback server's request head, read without a socket: the heads it accepts and what it
// makes of them, what it waits for, every refusal with the rule that made it, and the bytes of
// the answers built around them.
#include "http/http_request.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "http/http_response.h"
#include "loopback_client.h"

namespace scenario {
namespace {

using tool::head_fault;
using tool::head_reading;
using tool::k_request_head_limit;
using tool::read_request_head;

constexpr std::uint16_t k_port = 8080;
const std::string k_host = "Host: 127.0.0.1:8080\r\n";

// A GET head of exactly `size` bytes, its length made up by one padding header.
std::string head_of_size(std::size_t size) {
    const std::string start = "GET / HTTP/1.1\r\n" + k_host + "X-Pad: ";
    return start + std::string(size - start.size() - 4, 'p') + "\r\n\r\n";
}

TEST(HttpRequest, AcceptsGetAndHeadNamingThisServer) {
    struct accepted_case {
        const char* name;
        std::string received;
        std::uint16_t port;
        std::string method, path, query;
    };
    const std::vector<accepted_case> cases = {
        {"a plain GET", "GET / HTTP/1.1\r\n" + k_host + "\r\n", k_port, "GET", "/", ""},
        {"HEAD", "HEAD /dati HTTP/1.1\r\n" + k_host + "\r\n", k_port, "HEAD", "/dati", ""},
        {"a query", "GET /versione?t=17 HTTP/1.1\r\n" + k_host + "\r\n", k_port, "GET", "/versione",
         "t=17"},
        {"split at the first '?' only", "GET /a?b?c HTTP/1.1\r\n" + k_host + "\r\n", k_port, "GET",
         "/a", "b?c"},
        {"nothing after the '?'", "GET /a? HTTP/1.1\r\n" + k_host + "\r\n", k_port, "GET", "/a",
         ""},
        {"escapes and dots as sent", "GET /%64ati/../x HTTP/1.1\r\n" + k_host + "\r\n", k_port,
         "GET", "/%64ati/../x", ""},
        {"HTTP/1.0 with bare line ends", "GET / HTTP/1.0\nHost: 127.0.0.1:8080\n\n", k_port, "GET",
         "/", ""},
        {"localhost in any case", "GET / HTTP/1.1\r\nhOsT: LocalHost:8080\r\n\r\n", k_port, "GET",
         "/", ""},
        {"blanks and tabs around the Host value",
         "GET / HTTP/1.1\r\nHost: \t127.0.0.1:8080 \t\r\n\r\n", k_port, "GET", "/", ""},
        {"the bare name on port 80", "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n", 80, "GET", "/",
         ""},
        {"localhost alone on port 80", "GET / HTTP/1.1\r\nHost: localhost\r\n\r\n", 80, "GET", "/",
         ""},
        {"one blank line before the request line", "\r\nGET / HTTP/1.1\r\n" + k_host + "\r\n",
         k_port, "GET", "/", ""},
        {"other headers, a tab in a value, a header named like Host",
         "GET / HTTP/1.1\r\nAccept: text/html,\t*/*\r\nHostname: x\r\n" + k_host +
             "X-Empty:\r\n\r\n",
         k_port, "GET", "/", ""},
        {"bytes after the blank line are not read", "GET / HTTP/1.1\r\n" + k_host + "\r\n\x01 x",
         k_port, "GET", "/", ""},
        {"a head of exactly the limit", head_of_size(k_request_head_limit), k_port, "GET", "/", ""},
        {"the limit reached after a whole head", head_of_size(100) + std::string(20000, 'z'),
         k_port, "GET", "/", ""},
    };
    for (const accepted_case& c : cases) {
        SCOPED_TRACE(c.name);
        const head_reading r = read_request_head(c.received, c.port);
        ASSERT_EQ(r.at, head_reading::state::accepted) << tool::fault_name(r.fault);
        EXPECT_EQ(r.fault, head_fault::none);
        EXPECT_EQ(r.request.method, c.method);
        EXPECT_EQ(r.request.path, c.path);
        EXPECT_EQ(r.request.query, c.query);
    }
}

TEST(HttpRequest, WaitsForTheBlankLineWithinTheLimit) {
    const std::string whole = "GET / HTTP/1.1\r\n" + k_host + "\r\n";
    // Every part of a head short of its blank line, and a head that has not ended at the limit.
    std::vector<std::string> cases = {std::string(k_request_head_limit, 'a'), "\n", "\r\n\r"};
    for (std::size_t size = 0; size < whole.size(); ++size) cases.push_back(whole.substr(0, size));
    for (const std::string& received : cases) {
        SCOPED_TRACE(received.substr(0, 60));
        const head_reading r = read_request_head(received, k_port);
        EXPECT_EQ(r.at, head_reading::state::incomplete) << tool::fault_name(r.fault);
        EXPECT_EQ(r.fault, head_fault::none);
    }
}

TEST(HttpRequest, RefusesEachBrokenRuleWithItsOwnFault) {
    const std::string get = "GET / HTTP/1.1\r\n";
    struct refused_case {
        const char* name;
        std::string received;
        head_fault fault;
    };
    const std::vector<refused_case> cases = {
        {"one byte over the limit without an end", std::string(k_request_head_limit + 1, 'a'),
         head_fault::too_large},
        {"a head that ends one byte past the limit", head_of_size(k_request_head_limit + 1),
         head_fault::too_large},
        {"a request line over the limit",
         "GET /" + std::string(k_request_head_limit, 'a') + " HTTP/1.1\r\n" + k_host + "\r\n",
         head_fault::too_large},
        {"nothing but blank lines", "\r\n\r\n", head_fault::no_request_line},
        {"nothing but bare blank lines", "\n\n", head_fault::no_request_line},
        {"not HTTP at all", "ciao\r\n\r\n", head_fault::request_line},
        {"two words", "GET /\r\n" + k_host + "\r\n", head_fault::request_line},
        {"two blanks between words", "GET  / HTTP/1.1\r\n" + k_host + "\r\n",
         head_fault::request_line},
        {"four words", "GET / HTTP/1.1 x\r\n" + k_host + "\r\n", head_fault::request_line},
        {"a blank before the method", " GET / HTTP/1.1\r\n" + k_host + "\r\n",
         head_fault::request_line},
        {"no method", " / HTTP/1.1\r\n" + k_host + "\r\n", head_fault::method_form},
        {"a control character in the method", "G\x01T / HTTP/1.1\r\n" + k_host + "\r\n",
         head_fault::method_form},
        {"an absolute target", "GET http://127.0.0.1:8080/ HTTP/1.1\r\n" + k_host + "\r\n",
         head_fault::target_form},
        {"an asterisk", "GET * HTTP/1.1\r\n" + k_host + "\r\n", head_fault::target_form},
        {"a delete character in the target", "GET /a\x7f HTTP/1.1\r\n" + k_host + "\r\n",
         head_fault::target_form},
        {"a tab in the target", "GET /a\tb HTTP/1.1\r\n" + k_host + "\r\n",
         head_fault::target_form},
        {"HTTP/2.0", "GET / HTTP/2.0\r\n" + k_host + "\r\n", head_fault::version},
        {"the version in lower case", "GET / http/1.1\r\n" + k_host + "\r\n", head_fault::version},
        {"a stray carriage return", "GET / HTTP/1.1\r\r\n" + k_host + "\r\n", head_fault::version},
        {"a header line without a colon", get + k_host + "Pagina\r\n\r\n", head_fault::header_line},
        {"a folded header line", get + k_host + "X-A: 1\r\n 2\r\n\r\n", head_fault::header_line},
        {"a header without a name", get + k_host + ": x\r\n\r\n", head_fault::header_line},
        {"a blank in a header's name", get + "Host : 127.0.0.1:8080\r\n\r\n",
         head_fault::header_line},
        {"a control character in a value", get + k_host + "X-A: a\x01z\r\n\r\n",
         head_fault::header_line},
        {"no Host", get + "\r\n", head_fault::no_host},
        {"two Hosts", get + k_host + "host: localhost:8080\r\n\r\n", head_fault::two_hosts},
        {"another site's name", get + "Host: zelnor.example:8080\r\n\r\n",
         head_fault::foreign_host},
        {"the address without the port", get + "Host: 127.0.0.1\r\n\r\n", head_fault::foreign_host},
        {"another port", get + "Host: 127.0.0.1:80800\r\n\r\n", head_fault::foreign_host},
        {"the port written with a leading zero", get + "Host: 127.0.0.1:08080\r\n\r\n",
         head_fault::foreign_host},
        {"the IPv6 loopback", get + "Host: [::1]:8080\r\n\r\n", head_fault::foreign_host},
        {"an empty Host", get + "Host:\r\n\r\n", head_fault::foreign_host},
        {"POST", "POST / HTTP/1.1\r\n" + k_host + "Content-Length: 3\r\n\r\nabc",
         head_fault::method_not_allowed},
        {"DELETE", "DELETE / HTTP/1.1\r\n" + k_host + "\r\n", head_fault::method_not_allowed},
        {"OPTIONS", "OPTIONS / HTTP/1.1\r\n" + k_host + "\r\n", head_fault::method_not_allowed},
        {"a method in lower case", "get / HTTP/1.1\r\n" + k_host + "\r\n",
         head_fault::method_not_allowed},
        // The Host is checked before the method, and its presence before its name.
        {"POST to another site", "POST / HTTP/1.1\r\nHost: zelnor.example\r\n\r\n",
         head_fault::foreign_host},
        {"POST without a Host", "POST / HTTP/1.1\r\n\r\n", head_fault::no_host},
    };
    for (const refused_case& c : cases) {
        SCOPED_TRACE(c.name);
        const head_reading r = read_request_head(c.received, k_port);
        EXPECT_EQ(r.at, head_reading::state::refused);
        EXPECT_EQ(tool::fault_name(r.fault), tool::fault_name(c.fault));
    }
}

TEST(HttpRequest, EachFaultHasItsStatusAndName) {
    struct fault_case {
        head_fault fault;
        int status;
        const char* name;
    };
    const fault_case cases[] = {
        {head_fault::none, 0, "none"},
        {head_fault::too_large, 431, "too_large"},
        {head_fault::no_request_line, 400, "no_request_line"},
        {head_fault::request_line, 400, "request_line"},
        {head_fault::method_form, 400, "method_form"},
        {head_fault::target_form, 400, "target_form"},
        {head_fault::version, 400, "version"},
        {head_fault::header_line, 400, "header_line"},
        {head_fault::no_host, 400, "no_host"},
        {head_fault::two_hosts, 400, "two_hosts"},
        {head_fault::foreign_host, 403, "foreign_host"},
        {head_fault::method_not_allowed, 405, "method_not_allowed"},
    };
    for (const fault_case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(tool::refusal_status(c.fault), c.status);
        EXPECT_EQ(tool::fault_name(c.fault), c.name);
    }
}

TEST(HttpResponse, AnswersCarryTheirHeadersAndRefuseWhatCannotBeSent) {
    const tool::http_request get{"GET", "/", ""};
    const tool::http_request head{"HEAD", "/", ""};
    struct answer_case {
        const char* name;
        tool::http_request request;
        tool::http_response response;
        int status;
        std::string content_type;
        std::string body;
    };
    const std::vector<answer_case> cases = {
        {"a page",
         get,
         {200, "text/html; charset=utf-8", "<p>x</p>"},
         200,
         "text/html; charset=utf-8",
         "<p>x</p>"},
        {"the handler's 404", get, {404, "text/plain", "no"}, 404, "text/plain", "no"},
        {"a tab in the type",
         get,
         {200, "text/plain;\tcharset=utf-8", "x"},
         200,
         "text/plain;\tcharset=utf-8",
         "x"},
        {"HEAD: the headers only", head, {200, "text/plain", "12345"}, 200, "text/plain", ""},
        {"a status below 200",
         get,
         {199, "text/plain", "x"},
         500,
         "text/plain; charset=utf-8",
         "500 Internal Server Error\n"},
        {"a status above 599",
         get,
         {600, "text/plain", "x"},
         500,
         "text/plain; charset=utf-8",
         "500 Internal Server Error\n"},
        {"a type that would end its line",
         get,
         {200, "text/html\r\nSet-Cookie: a=b", "x"},
         500,
         "text/plain; charset=utf-8",
         "500 Internal Server Error\n"},
        {"a type with a bare line feed",
         get,
         {200, "text/html\nX: y", "x"},
         500,
         "text/plain; charset=utf-8",
         "500 Internal Server Error\n"},
    };
    for (const answer_case& c : cases) {
        SCOPED_TRACE(c.name);
        const testing::http_reply reply =
            testing::parse_reply(tool::answer_bytes(c.request, c.response));
        EXPECT_EQ(reply.status, c.status);
        EXPECT_EQ(reply.header("Content-Type"), c.content_type);
        EXPECT_EQ(reply.body, c.body);
        EXPECT_EQ(reply.header("Content-Length"),
                  std::to_string(c.status == 500 ? c.body.size() : c.response.body.size()));
        EXPECT_EQ(reply.header("Cache-Control"), "no-store");
        EXPECT_EQ(reply.header("X-Content-Type-Options"), "nosniff");
        EXPECT_EQ(reply.header("Connection"), "close");
        EXPECT_EQ(reply.header("Set-Cookie"), "");
    }
    const testing::http_reply refused = testing::parse_reply(tool::refusal_bytes(405));
    EXPECT_EQ(refused.status, 405);
    EXPECT_EQ(refused.header("Allow"), "GET, HEAD");
    EXPECT_EQ(refused.body, "405 Method Not Allowed\n");
    EXPECT_EQ(testing::parse_reply(tool::refusal_bytes(431)).header("Allow"), "");
}

}  // namespace
}  // namespace scenario
