// A description text as the editor holds it: UTF-8, with the editor's line ends (CR LF, LF or
// CR, as the item reader counts them too). Positions come and go in the unit the client and the
// server agreed on; the compiler counts bytes of the text as it would be saved in Windows-1252,
// where every character of the editor's text is one byte.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace scenario::tool {

// The unit of a position's character offset.
enum class position_encoding { utf8, utf16, utf32 };

std::string_view encoding_name(position_encoding encoding);

struct text_point {
    std::int64_t line = 0;  // from 0
    std::int64_t character = 0;
    friend bool operator==(const text_point&, const text_point&) = default;
};

struct text_range {
    text_point start;
    text_point end;
};

class editor_text {
   public:
    explicit editor_text(std::string utf8 = {});

    const std::string& utf8() const { return text_; }
    std::size_t line_count() const { return starts_.size(); }
    // Line n (from 0) without its line end; empty past the last line.
    std::string_view line(std::size_t n) const;

    // The byte offset in the UTF-8 text of a position; one past the end of a line (or the text)
    // is clamped to it, as the protocol asks.
    std::size_t offset_of(text_point at, position_encoding encoding) const;
    // A position from a line and a count of characters (code points) from its start: how the
    // compiler's byte columns of the saved text come back to the editor.
    text_point point_at(std::size_t line, std::size_t characters, position_encoding encoding) const;
    // How many characters (code points) of its line stand before a byte offset.
    std::size_t characters_before(std::size_t line, std::size_t offset) const;

    // Replaces the bytes of a range with new text.
    void replace(std::size_t from, std::size_t to, std::string_view text);

   private:
    void find_lines();

    std::string text_;
    std::vector<std::size_t> starts_;  // where each line begins
};

// A character that has no Windows-1252 byte: saving the text would turn it into "?".
struct lost_character {
    std::size_t line = 0;        // from 0
    std::size_t characters = 0;  // characters before it on its line
    char32_t code = 0;
};

struct saved_text {
    std::string bytes;  // Windows-1252
    std::vector<lost_character> lost;
};

// The text as the editor would save it in Windows-1252. U+0080 to U+009F stand for the bytes
// 0x80 to 0x9F: an editor that read the file as Latin-1 shows them so and writes them back so.
saved_text as_saved(std::string_view utf8);

}  // namespace scenario::tool
