// The item reader of the description texts. A text is read as a stream of items, not as lines:
//
//   - Blanks (spaces, tabs) and line ends (CR LF, a lone LF or a lone CR) in front of an item
//     are skipped, so empty lines are skipped.
//   - A text item runs from its first non-blank character to the next comma or line end, which
//     is consumed and is not part of the item; trailing blanks are dropped. A text item that
//     begins with a double quote runs to the closing quote (or the line end when there is none)
//     and may contain commas; the quotes are not part of it, and whatever follows up to the next
//     comma or line end is consumed with it.
//   - A numeric item (an optionally signed whole number) ends at the first blank, comma or line
//     end; the blanks after it, and one comma or one line end after those, are consumed. An
//     empty field (a comma after nothing but blanks) reads as 0: "0    ,0" is 0 and 0.
//   - The text is at its end as soon as nothing but blanks and line ends remains.
//
// Reading past the end, a numeric item that is not a whole number, and a value outside the
// field it is read into are compile faults (compile_fault).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compile/compile_fault.h"

namespace scenario {

// The blanks of a text, which the reader skips before an item and drops after a text item:
// spaces and tabs.
constexpr bool is_blank(char c) { return c == ' ' || c == '\t'; }

// The text without the blanks at either end.
std::string_view without_blanks(std::string_view text);

// A place in a text: 1-based line and column (columns count bytes).
struct source_location {
    std::int32_t line = 1;
    std::int32_t column = 1;
    friend bool operator==(const source_location&, const source_location&) = default;
};

// Where each line of a text begins, counting line ends as the reader does (CR LF, CR or LF):
// the first is 0, and a text ending in a line end has an empty last line.
std::vector<std::size_t> line_starts(std::string_view text);

// A fault of one item: it is not what its field takes, or the text ended where an item was due
// (`at_end`). `offset` is where the item begins.
class item_fault : public compile_fault {
   public:
    item_fault(failure_code code, std::vector<diagnostic_argument> arguments, std::size_t offset,
               bool at_end)
        : compile_fault(code, std::move(arguments)), offset_(offset), at_end_(at_end) {}
    std::size_t offset() const { return offset_; }
    bool at_end() const { return at_end_; }

   private:
    std::size_t offset_;
    bool at_end_;
};

class item_reader {
   public:
    // The reader keeps a view of the text, which must outlive it.
    explicit item_reader(std::string_view text) : text_(text) {}

    // True when nothing but blanks and line ends remains. Skips them.
    bool at_end();

    std::string read_text();
    std::int64_t read_number();
    // A number that must fit a signed 32-bit Long, a signed 16-bit Integer or an unsigned Byte.
    std::int32_t read_long();
    std::int16_t read_integer();
    std::uint8_t read_byte();

    // Where the last item read began, and where the reader stands now.
    source_location last_item() const { return location_of(item_start_); }
    source_location here() const { return location_of(pos_); }
    std::size_t last_item_offset() const { return item_start_; }

    std::size_t offset() const { return pos_; }
    // Goes on reading from a byte offset (the checking mode's way past a record at fault).
    void restart_at(std::size_t offset) { pos_ = offset < text_.size() ? offset : text_.size(); }
    // Goes to the start of the next line unless the last item ended its line.
    void skip_rest_of_line();
    // The byte offset where the line holding `offset` begins.
    std::size_t line_start(std::size_t offset) const;
    // The byte offset of the line after the one holding `offset`.
    std::size_t next_line(std::size_t offset) const;
    // What is left of the current line when the last item ended at a comma: the items the
    // record did not take. Empty when the last item ended its line.
    std::string_view rest_of_line() const;

    // Line and column of a byte offset of the text. Cheap for offsets that only grow.
    source_location location_of(std::size_t offset) const;

   private:
    void skip_separators();
    void begin_item();
    void consume_line_end();
    [[noreturn]] void fail(failure_code code, diagnostic_argument argument) const;
    [[noreturn]] void fail_at_end() const;

    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t item_start_ = 0;

    // Cache for location_of: a known offset and its location.
    mutable std::size_t known_offset_ = 0;
    mutable source_location known_location_;
};

}  // namespace scenario
