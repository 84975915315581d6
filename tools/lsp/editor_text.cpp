#include "lsp/editor_text.h"

#include <algorithm>

#include "base/windows1252.h"
#include "compile/item_reader.h"

namespace scenario::tool {
namespace {

constexpr char32_t k_malformed = 0xFFFFFFFF;

// How many units of the encoding a character takes.
std::int64_t units_of(char32_t cp, std::size_t bytes, position_encoding encoding) {
    switch (encoding) {
        case position_encoding::utf8:
            return static_cast<std::int64_t>(bytes);
        case position_encoding::utf16:
            return cp >= 0x10000 && cp != k_malformed ? 2 : 1;
        case position_encoding::utf32:
            return 1;
    }
    return 1;
}

}  // namespace

std::string_view encoding_name(position_encoding encoding) {
    switch (encoding) {
        case position_encoding::utf8:
            return "utf-8";
        case position_encoding::utf16:
            return "utf-16";
        case position_encoding::utf32:
            return "utf-32";
    }
    return "utf-16";
}

editor_text::editor_text(std::string utf8) : text_(std::move(utf8)) { find_lines(); }

void editor_text::find_lines() { starts_ = line_starts(text_); }

std::string_view editor_text::line(std::size_t n) const {
    if (n >= starts_.size()) return {};
    std::size_t end = n + 1 < starts_.size() ? starts_[n + 1] : text_.size();
    while (end > starts_[n] && (text_[end - 1] == '\n' || text_[end - 1] == '\r')) --end;
    return std::string_view(text_).substr(starts_[n], end - starts_[n]);
}

std::size_t editor_text::offset_of(text_point at, position_encoding encoding) const {
    if (at.line < 0) return 0;
    if (static_cast<std::size_t>(at.line) >= starts_.size()) return text_.size();
    const std::size_t begin = starts_[static_cast<std::size_t>(at.line)];
    const std::string_view content = line(static_cast<std::size_t>(at.line));
    std::size_t pos = 0;
    std::int64_t units = 0;
    while (pos < content.size() && units < at.character) {
        const std::size_t from = pos;
        const char32_t cp = next_utf8_code_point(content, pos);
        const std::int64_t width = units_of(cp, pos - from, encoding);
        // A position inside a character (half of a surrogate pair) stands at its start.
        if (units + width > at.character) {
            pos = from;
            break;
        }
        units += width;
    }
    return begin + pos;
}

text_point editor_text::point_at(std::size_t line_number, std::size_t characters,
                                 position_encoding encoding) const {
    const std::string_view content = line(line_number);
    std::size_t pos = 0;
    std::int64_t units = 0;
    std::size_t n = 0;
    for (; n < characters && pos < content.size(); ++n) {
        const std::size_t from = pos;
        const char32_t cp = next_utf8_code_point(content, pos);
        units += units_of(cp, pos - from, encoding);
    }
    // Past the end of the line (the place after its last character): one unit a character.
    units += static_cast<std::int64_t>(characters - n);
    return {static_cast<std::int64_t>(line_number), units};
}

std::size_t editor_text::characters_before(std::size_t line_number, std::size_t offset) const {
    if (line_number >= starts_.size()) return 0;
    const std::string_view content = line(line_number);
    const std::size_t stop = std::min(offset - std::min(offset, starts_[line_number]),
                                      content.size());
    std::size_t pos = 0;
    std::size_t n = 0;
    while (pos < stop) {
        next_utf8_code_point(content, pos);
        ++n;
    }
    return n;
}

void editor_text::replace(std::size_t from, std::size_t to, std::string_view text) {
    from = std::min(from, text_.size());
    to = std::clamp(to, from, text_.size());
    text_.replace(from, to - from, text);
    find_lines();
}

saved_text as_saved(std::string_view utf8) {
    saved_text saved;
    saved.bytes.reserve(utf8.size());
    std::size_t line = 0;
    std::size_t characters = 0;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const char32_t cp = next_utf8_code_point(utf8, pos);
        if (cp >= 0x80 && cp <= 0x9F) {
            saved.bytes += static_cast<char>(cp);
        } else if (const std::optional<char> byte = windows1252_byte(cp)) {
            saved.bytes += *byte;
        } else {
            saved.bytes += '?';
            saved.lost.push_back({line, characters, cp});
        }
        ++characters;
        // Line ends as the item reader counts them: CR LF, CR or LF.
        if (cp == '\n' || (cp == '\r' && (pos >= utf8.size() || utf8[pos] != '\n'))) {
            ++line;
            characters = 0;
        }
    }
    return saved;
}

}  // namespace scenario::tool
