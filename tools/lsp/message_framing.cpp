#include "lsp/message_framing.h"

#include <algorithm>
#include <cctype>

namespace scenario::tool {
namespace {

constexpr std::string_view k_end_of_header = "\r\n\r\n";

bool same_words(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// The Content-Length of a header block, when it has exactly one made of digits alone. A value
// too long to count is kept as the largest size, which the bound then refuses.
std::optional<std::size_t> content_length(std::string_view header) {
    std::optional<std::size_t> length;
    while (!header.empty()) {
        const std::size_t end = header.find("\r\n");
        const std::string_view line = header.substr(0, end);
        header = end == std::string_view::npos ? std::string_view() : header.substr(end + 2);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) return std::nullopt;
        if (!same_words(trimmed(line.substr(0, colon)), "Content-Length")) continue;
        const std::string_view value = trimmed(line.substr(colon + 1));
        if (length || value.empty()) return std::nullopt;
        std::size_t n = 0;
        for (const char c : value) {
            if (c < '0' || c > '9') return std::nullopt;
            const std::size_t digit = static_cast<std::size_t>(c - '0');
            n = n > (SIZE_MAX - digit) / 10 ? SIZE_MAX : n * 10 + digit;
        }
        length = n;
    }
    return length;
}

}  // namespace

void message_framer::feed(std::string_view bytes) {
    if (skipping_ > 0) {
        const std::size_t passed = std::min(skipping_, bytes.size());
        skipping_ -= passed;
        bytes.remove_prefix(passed);
    }
    // Read bytes are dropped before new ones are kept, so that a stream of many messages
    // never makes the buffer grow.
    if (start_ > 0 && start_ >= buffer_.size() / 2) {
        buffer_.erase(0, start_);
        start_ = 0;
    }
    buffer_.append(bytes);
}

std::optional<frame> message_framer::read_header() {
    const std::string_view unread = std::string_view(buffer_).substr(start_);
    const std::size_t end = unread.find(k_end_of_header);
    if (end == std::string_view::npos) {
        if (unread.size() <= k_max_header) return std::nullopt;
        // No header block is this long: drop it, keeping the last bytes, which may begin the
        // empty line.
        start_ = buffer_.size() - (k_end_of_header.size() - 1);
        return frame{frame::kind::bad_header, {}};
    }
    const std::optional<std::size_t> length = content_length(unread.substr(0, end));
    start_ += end + k_end_of_header.size();
    if (!length) return frame{frame::kind::bad_header, {}};
    if (*length > max_body_) {
        const std::size_t held = std::min(*length, buffer_.size() - start_);
        start_ += held;
        skipping_ = *length - held;
        return frame{frame::kind::too_large, {}};
    }
    body_size_ = *length;
    return std::nullopt;
}

std::optional<frame> message_framer::next() {
    for (;;) {
        if (!body_size_) {
            if (skipping_ > 0) return std::nullopt;
            std::optional<frame> refused = read_header();
            if (refused) return refused;
            if (!body_size_) return std::nullopt;
        }
        if (buffer_.size() - start_ < *body_size_) return std::nullopt;
        frame whole{frame::kind::body, buffer_.substr(start_, *body_size_)};
        start_ += *body_size_;
        body_size_.reset();
        return whole;
    }
}

std::string framed(std::string_view body) {
    std::string message = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    message += body;
    return message;
}

}  // namespace scenario::tool
