#include "compile/item_reader.h"

#include <limits>

namespace scenario {
namespace {

bool is_line_end(char c) { return c == '\r' || c == '\n'; }

}  // namespace

void item_reader::skip_separators() {
    while (pos_ < text_.size() && (is_blank(text_[pos_]) || is_line_end(text_[pos_]))) ++pos_;
}

bool item_reader::at_end() {
    skip_separators();
    return pos_ >= text_.size();
}

void item_reader::begin_item() {
    skip_separators();
    if (pos_ >= text_.size()) fail_at_end();
    item_start_ = pos_;
}

// Consumes one line end: CR LF, a lone LF or a lone CR.
void item_reader::consume_line_end() {
    if (pos_ < text_.size() && text_[pos_] == '\r') {
        ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    } else if (pos_ < text_.size() && text_[pos_] == '\n') {
        ++pos_;
    }
}

std::string item_reader::read_text() {
    begin_item();
    std::size_t end = 0;
    std::size_t begin = pos_;
    if (text_[pos_] == '"') {
        begin = ++pos_;
        while (pos_ < text_.size() && text_[pos_] != '"' && !is_line_end(text_[pos_])) ++pos_;
        end = pos_;
        while (pos_ < text_.size() && text_[pos_] != ',' && !is_line_end(text_[pos_])) ++pos_;
    } else {
        while (pos_ < text_.size() && text_[pos_] != ',' && !is_line_end(text_[pos_])) ++pos_;
        end = pos_;
        while (end > begin && is_blank(text_[end - 1])) --end;
    }
    if (pos_ < text_.size()) {
        if (text_[pos_] == ',')
            ++pos_;
        else
            consume_line_end();
    }
    return std::string(text_.substr(begin, end - begin));
}

std::int64_t item_reader::read_number() {
    begin_item();
    const std::size_t begin = pos_;
    while (pos_ < text_.size() && text_[pos_] != ',' && !is_blank(text_[pos_]) &&
           !is_line_end(text_[pos_])) {
        ++pos_;
    }
    const std::string_view item = text_.substr(begin, pos_ - begin);
    while (pos_ < text_.size() && is_blank(text_[pos_])) ++pos_;
    if (pos_ < text_.size()) {
        if (text_[pos_] == ',')
            ++pos_;
        else if (is_line_end(text_[pos_]))
            consume_line_end();
    }
    if (item.empty()) return 0;

    std::size_t i = 0;
    bool negative = false;
    if (item[0] == '-' || item[0] == '+') {
        negative = item[0] == '-';
        i = 1;
    }
    if (i == item.size()) fail(failure_code::not_whole_number, std::string(item));
    std::int64_t value = 0;
    constexpr std::int64_t limit = std::numeric_limits<std::int64_t>::max() / 10 - 9;
    for (; i < item.size(); ++i) {
        const char c = item[i];
        if (c < '0' || c > '9') fail(failure_code::not_whole_number, std::string(item));
        if (value > limit) fail(failure_code::number_too_large, std::string(item));
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

std::int32_t item_reader::read_long() {
    const std::int64_t v = read_number();
    if (v < std::numeric_limits<std::int32_t>::min() ||
        v > std::numeric_limits<std::int32_t>::max())
        fail(failure_code::beyond_long, v);
    return static_cast<std::int32_t>(v);
}

std::int16_t item_reader::read_integer() {
    const std::int64_t v = read_number();
    if (v < -32768 || v > 32767) fail(failure_code::beyond_integer, v);
    return static_cast<std::int16_t>(v);
}

std::uint8_t item_reader::read_byte() {
    const std::int64_t v = read_number();
    if (v < 0 || v > 255) fail(failure_code::beyond_byte, v);
    return static_cast<std::uint8_t>(v);
}

source_location item_reader::location_of(std::size_t offset) const {
    if (offset > text_.size()) offset = text_.size();
    if (offset < known_offset_) {
        known_offset_ = 0;
        known_location_ = {};
    }
    source_location loc = known_location_;
    for (std::size_t i = known_offset_; i < offset; ++i) {
        const char c = text_[i];
        // CR LF counts as one line end: the CR starts the new line, the LF is skipped.
        if (c == '\r' || (c == '\n' && (i == 0 || text_[i - 1] != '\r'))) {
            ++loc.line;
            loc.column = 1;
        } else if (c != '\n') {
            ++loc.column;
        }
    }
    known_offset_ = offset;
    known_location_ = loc;
    return loc;
}

void item_reader::skip_rest_of_line() {
    if (pos_ == 0 || pos_ >= text_.size() || is_line_end(text_[pos_ - 1])) return;
    pos_ = next_line(pos_);
}

std::size_t item_reader::line_start(std::size_t offset) const {
    std::size_t i = offset < text_.size() ? offset : text_.size();
    while (i > 0 && !is_line_end(text_[i - 1])) --i;
    return i;
}

std::size_t item_reader::next_line(std::size_t offset) const {
    std::size_t i = offset;
    while (i < text_.size() && !is_line_end(text_[i])) ++i;
    if (i < text_.size() && text_[i] == '\r') ++i;
    if (i < text_.size() && text_[i] == '\n') ++i;
    return i;
}

std::string_view item_reader::rest_of_line() const {
    if (pos_ == 0 || pos_ > text_.size() || text_[pos_ - 1] != ',') return {};
    std::size_t end = pos_;
    while (end < text_.size() && !is_line_end(text_[end])) ++end;
    return text_.substr(pos_, end - pos_);
}

// The fault says only what went wrong; the item's offset says where.
void item_reader::fail(failure_code code, diagnostic_argument argument) const {
    throw item_fault(code, {std::move(argument)}, item_start_, false);
}

void item_reader::fail_at_end() const {
    throw item_fault(failure_code::text_ends_in_record, {}, text_.size(), true);
}

std::string_view without_blanks(std::string_view text) {
    while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
    return text;
}

std::vector<std::size_t> line_starts(std::string_view text) {
    std::vector<std::size_t> starts{0};
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            starts.push_back(i + 1);
        } else if (text[i] == '\n') {
            starts.push_back(i + 1);
        }
    }
    return starts;
}

}  // namespace scenario
