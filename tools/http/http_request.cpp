// The request head's reading: found whole within the limit, split into lines, and checked line by
// line; nothing here allocates more than the head's own size, whatever it receives.
#include "http/http_request.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace scenario::tool {
namespace {

struct fault_row {
    head_fault fault;
    int status;
    std::string_view name;
};

constexpr std::array<fault_row, 12> k_faults = {{
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
}};

const fault_row& row_of(head_fault fault) {
    return *std::find_if(k_faults.begin(), k_faults.end(),
                         [fault](const fault_row& r) { return r.fault == fault; });
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

// The position just past the blank line that ends a head, if it is there.
std::optional<std::size_t> head_end(std::string_view received) {
    for (std::size_t i = received.find('\n'); i != std::string_view::npos;
         i = received.find('\n', i + 1)) {
        if (i + 1 < received.size() && received[i + 1] == '\n') return i + 2;
        if (i + 2 < received.size() && received[i + 1] == '\r' && received[i + 2] == '\n')
            return i + 3;
    }
    return std::nullopt;
}

head_reading refused(head_fault fault) {
    head_reading r;
    r.at = head_reading::state::refused;
    r.fault = fault;
    return r;
}

bool names_this_server(std::string_view host, std::uint16_t port) {
    const std::string suffix = ":" + std::to_string(port);
    return equal_ignoring_case(host, "127.0.0.1" + suffix) ||
           equal_ignoring_case(host, "localhost" + suffix) ||
           (port == 80 &&
            (equal_ignoring_case(host, "127.0.0.1") || equal_ignoring_case(host, "localhost")));
}

// Checks a whole head (its blank line included): the request line, the header lines, and one
// Host naming this server.
head_reading check_head(std::string_view head, std::uint16_t port) {
    std::vector<std::string_view> lines;
    while (!head.empty()) {
        const std::size_t end = head.find('\n');
        std::string_view line = head.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        head.remove_prefix(end == std::string_view::npos ? head.size() : end + 1);
    }
    const auto first = std::find_if(lines.begin(), lines.end(), [](auto l) { return !l.empty(); });
    if (first == lines.end()) return refused(head_fault::no_request_line);

    const std::string_view request_line = *first;
    const std::size_t space1 = request_line.find(' ');
    const std::size_t space2 =
        request_line.find(' ', space1 == std::string_view::npos ? 0 : space1 + 1);
    if (space1 == std::string_view::npos || space2 == std::string_view::npos ||
        request_line.find(' ', space2 + 1) != std::string_view::npos) {
        return refused(head_fault::request_line);
    }
    const std::string_view method = request_line.substr(0, space1);
    const std::string_view target = request_line.substr(space1 + 1, space2 - space1 - 1);
    const std::string_view version = request_line.substr(space2 + 1);
    if (method.empty() || !clean(method, false)) return refused(head_fault::method_form);
    if (target.empty() || target.front() != '/' || !clean(target, false)) {
        return refused(head_fault::target_form);
    }
    if (version != "HTTP/1.1" && version != "HTTP/1.0") return refused(head_fault::version);

    std::optional<std::string_view> host;
    for (auto line = first + 1; line != lines.end() && !line->empty(); ++line) {
        const std::size_t colon = line->find(':');
        // A folded line (starting with a blank), a line without a name, a blank in the name.
        if (colon == std::string_view::npos || colon == 0 ||
            !clean(line->substr(0, colon), false) || !clean(line->substr(colon + 1), true)) {
            return refused(head_fault::header_line);
        }
        if (equal_ignoring_case(line->substr(0, colon), "host")) {
            if (host) return refused(head_fault::two_hosts);
            host = trim(line->substr(colon + 1));
        }
    }
    if (!host) return refused(head_fault::no_host);
    if (!names_this_server(*host, port)) return refused(head_fault::foreign_host);
    if (method != "GET" && method != "HEAD") return refused(head_fault::method_not_allowed);

    head_reading accepted;
    accepted.at = head_reading::state::accepted;
    const std::size_t question = target.find('?');
    accepted.request.method = std::string(method);
    accepted.request.path = std::string(target.substr(0, question));
    if (question != std::string_view::npos) {
        accepted.request.query = std::string(target.substr(question + 1));
    }
    return accepted;
}

}  // namespace

int refusal_status(head_fault fault) { return row_of(fault).status; }

std::string_view fault_name(head_fault fault) { return row_of(fault).name; }

head_reading read_request_head(std::string_view received, std::uint16_t port) {
    // A head that ends within the limit ends within its first k_request_head_limit bytes, so
    // nothing past them is searched, however much came.
    const std::optional<std::size_t> end = head_end(received.substr(0, k_request_head_limit));
    if (end) return check_head(received.substr(0, *end), port);
    if (received.size() > k_request_head_limit) return refused(head_fault::too_large);
    return {};
}

}  // namespace scenario::tool
