// A tiny streaming JSON writer for the tool's --json output: objects, arrays, strings with
// proper escaping, whole numbers, doubles and null. Commas are placed by the writer; the caller
// only says what comes next. Strings must be UTF-8: bytes that are not valid UTF-8 become
// U+FFFD, so the output is always valid JSON. Names held as Windows-1252 bytes go through
// windows1252_text first.
#pragma once

#include <charconv>
#include <cmath>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "base/windows1252.h"

namespace scenario::tool {

class json_writer {
   public:
    explicit json_writer(std::ostream& out) : out_(out) {}

    void begin_object() { open('{'); }
    void end_object() { close('}'); }
    void begin_array() { open('['); }
    void end_array() { close(']'); }

    // The name of the next member of the current object.
    void key(std::string_view name) {
        separate();
        write_string(name);
        out_ << ':';
        after_key_ = true;
    }

    void value(std::string_view utf8) {
        separate();
        write_string(utf8);
    }
    void value(const char* utf8) { value(std::string_view(utf8)); }
    void value(const std::string& utf8) { value(std::string_view(utf8)); }
    void value(std::int64_t number) {
        separate();
        out_ << number;
    }
    void value(std::int32_t number) { value(static_cast<std::int64_t>(number)); }
    void value(std::uint64_t number) {
        separate();
        out_ << number;
    }
    void value(bool flag) {
        separate();
        out_ << (flag ? "true" : "false");
    }
    // The shortest text that reads back as the same double; JSON has no NaN or infinity.
    void value(double number) {
        separate();
        if (!std::isfinite(number)) {
            out_ << "null";
            return;
        }
        char buffer[32];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
        out_.write(buffer, result.ptr - buffer);
    }
    void null() {
        separate();
        out_ << "null";
    }

    // A member in one call.
    template <typename T>
    void member(std::string_view name, const T& v) {
        key(name);
        value(v);
    }
    void null_member(std::string_view name) {
        key(name);
        null();
    }
    // A text held as Windows-1252 bytes.
    void windows1252_member(std::string_view name, std::string_view bytes) {
        key(name);
        value(from_windows1252(bytes));
    }

   private:
    void open(char bracket) {
        separate();
        out_ << bracket;
        first_.push_back(true);
    }
    void close(char bracket) {
        first_.pop_back();
        out_ << bracket;
        if (first_.empty()) out_ << '\n';
    }
    // A comma before every element but the first of its container; none after a key.
    void separate() {
        if (after_key_) {
            after_key_ = false;
            return;
        }
        if (first_.empty()) return;
        if (!first_.back()) out_ << ',';
        first_.back() = false;
    }

    void write_string(std::string_view text) {
        out_ << '"';
        std::size_t i = 0;
        while (i < text.size()) {
            const std::size_t length = utf8_sequence_length(text, i);
            if (length == 0) {
                out_ << "\\ufffd";
                ++i;
                continue;
            }
            if (length > 1) {
                out_ << text.substr(i, length);
                i += length;
                continue;
            }
            write_ascii(text[i++]);
        }
        out_ << '"';
    }

    void write_ascii(char c) {
        switch (c) {
            case '"':
                out_ << "\\\"";
                return;
            case '\\':
                out_ << "\\\\";
                return;
            case '\b':
                out_ << "\\b";
                return;
            case '\f':
                out_ << "\\f";
                return;
            case '\n':
                out_ << "\\n";
                return;
            case '\r':
                out_ << "\\r";
                return;
            case '\t':
                out_ << "\\t";
                return;
            default:
                break;
        }
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            constexpr char hex[] = "0123456789abcdef";
            out_ << "\\u00" << hex[byte >> 4] << hex[byte & 0xF];
        } else {
            out_ << c;
        }
    }

    // The length of the well-formed UTF-8 sequence at text[i], or 0 when it is malformed
    // (overlong forms, surrogates and code points above U+10FFFF included).
    static std::size_t utf8_sequence_length(std::string_view text, std::size_t i) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) return 1;
        std::size_t length = 0;
        char32_t cp = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            cp = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            cp = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            cp = lead & 0x07;
        } else {
            return 0;
        }
        if (i + length > text.size()) return 0;
        for (std::size_t k = 1; k < length; ++k) {
            const auto cont = static_cast<unsigned char>(text[i + k]);
            if ((cont & 0xC0) != 0x80) return 0;
            cp = (cp << 6) | (cont & 0x3F);
        }
        const bool overlong = (length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000);
        const bool surrogate = cp >= 0xD800 && cp <= 0xDFFF;
        if (overlong || surrogate || cp > 0x10FFFF) return 0;
        return length;
    }

    std::ostream& out_;
    std::vector<bool> first_;
    bool after_key_ = false;
};

}  // namespace scenario::tool
