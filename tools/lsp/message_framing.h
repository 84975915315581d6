// The framing of the editor protocol: each message is a header block ("Content-Length: N",
// other fields ignored, lines ended by CR LF, an empty line after them) and N bytes of JSON.
// Bytes go in as they arrive, in pieces of any size; whole bodies come out. A body above the
// bound is never held: its bytes are passed over as they come.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace scenario::tool {

struct frame {
    enum class kind {
        body,        // a whole message body
        bad_header,  // a header block without a usable Content-Length (or far too long)
        too_large,   // a body above the bound, passed over
    };
    kind what = kind::body;
    std::string body;
};

class message_framer {
   public:
    static constexpr std::size_t k_max_body = std::size_t{64} << 20;
    // A header block is a few dozen bytes; past this many without its empty line it is noise.
    static constexpr std::size_t k_max_header = 8192;

    explicit message_framer(std::size_t max_body = k_max_body) : max_body_(max_body) {}

    void feed(std::string_view bytes);
    // The next whole frame, when the bytes fed so far hold one.
    std::optional<frame> next();

    // Bytes held for frames not yet whole.
    std::size_t pending() const { return buffer_.size() - start_; }

   private:
    std::optional<frame> read_header();

    std::size_t max_body_;
    std::string buffer_;
    std::size_t start_ = 0;  // where the unread bytes begin in buffer_
    std::optional<std::size_t> body_size_;  // reading a body of this many bytes
    std::size_t skipping_ = 0;              // bytes of a refused body still to pass over
};

// One message as it goes out: its header block and its body.
std::string framed(std::string_view body);

}  // namespace scenario::tool
