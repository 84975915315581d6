// The record loop both passes share. A description text is a run of records, each a keyword item
// followed by its values; the scanner finds the next keyword under the rules the format has for
// every text, and runs the records a pass's keyword table names:
//
//   - A keyword item containing "-" is replaced by the next item, a few times in a row (how many,
//     and whether the end of the text is tested between replacements, is the pass's to say).
//   - The last item of a text is never examined as a keyword.
//   - Every row of the table whose words the keyword item contains runs its record, in table
//     order, until one of them stops the pass.
//
// The records it passes over become warnings for authors: a keyword hidden by "-", a keyword
// that is the last item, an item no row knows (empty items, section headers and bare numbers
// aside; with the keyword it was probably meant to be), a line that looks like a comment (the
// format has none), values left on a record's line. It also remembers the values of the current record, with where they stand, to say what
// a record at fault held; it does so only when diagnostics are being collected.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/record_kinds.h"
#include "compile/compile_support.h"
#include "compile/compiler.h"
#include "compile/item_reader.h"

namespace scenario {

enum class keyword_case : std::uint8_t { any, exact };

// One keyword test: the item contains `first` (and `second`, when not empty).
struct keyword_row {
    std::string_view first;
    std::string_view second;
    keyword_case match;
    record_kind record;  // the record an item that passes runs
};

bool passes(const keyword_row& row, std::string_view item);
bool is_keyword(std::span<const keyword_row> rows, std::string_view item);

enum class record_outcome { go_on, soft_stop, hard_stop };

// How the "-" rule replaces a keyword item.
struct dash_rule {
    int most;       // replacements in one turn
    bool end_test;  // whether the end of the text stops the replacements
};

class record_scanner {
   public:
    // Items are read into `voce_letta` (the run state's), from `reader`.
    record_scanner(item_reader& reader, std::string& voce_letta, description_text text,
                   compile_diagnostics* diagnostics);

    // Reads one item into voce_letta as a keyword, noting where it stands.
    void read_keyword();

    // Reads one item as a keyword in the search for "[generale]", remembering the section header
    // nearest it (a misspelt one, within a few edits) for when the search fails.
    void read_keyword_seeking_generale();
    // Where the header nearest "[generale]" stands (the top of the text when none was near),
    // and the header itself, in UTF-8.
    source_location nearest_generale_at() const;
    std::optional<std::string> nearest_generale() const;
    // The checker takes that header for "[generale]": reading goes on at the line after it.
    void restart_after_nearest_generale();

    // In the checking mode a fault is kept and the rest of its record's line passed over: true
    // when it was, and the pass goes on.
    bool passed_over(found_fault& fault);

    // Reads the next record's keyword item; false when the text has ended without one.
    bool next_record(std::span<const keyword_row> rows, dash_rule dashes);

    // Runs the record of every row the keyword passes, through run(record_kind), until one does
    // not go on; an item no row knows becomes a warning.
    template <class Run>
    record_outcome run_records(std::span<const keyword_row> rows, Run&& run) {
        bool known = false;
        for (const keyword_row& row : rows) {
            if (!passes(row, keyword_)) continue;
            if (!known) note_comment_record(row);
            known = true;
            record_outcome result = record_outcome::go_on;
            if (checking(diagnostics_)) {
                // The checker passes over a record it cannot read and goes on with the next.
                try {
                    result = run(row.record);
                } catch (const compile_fault& failure) {
                    pass_over(failure);
                }
            } else {
                result = run(row.record);
            }
            note_record(row);
            if (result != record_outcome::go_on) return result;
        }
        if (known) {
            note_extra_values(rows);
        } else {
            note_unknown(rows);
        }
        return record_outcome::go_on;
    }

    // What a run-time failure met in the current record says of it: the value at fault where
    // the reader found one, else the record; a value that ran into the next record or the end
    // of the text is a value the record lacks.
    found_fault run_time_fault(const compile_fault& failure) const;

    // The keyword item of the current record (kept aside: records read further items).
    const std::string& keyword() const { return keyword_; }
    source_location keyword_at() const { return keyword_at_; }
    text_position record_at() const { return {text_, keyword_at_}; }

    // The values of the current record.
    std::int32_t read_long();
    std::int16_t read_integer();
    std::uint8_t read_byte();
    std::string read_text() { return reader_.read_text(); }

    // A fault found in the current record: the code, the text, the keyword and the numbers read
    // so far.
    found_fault fault(fault_code code) const;
    // The faults of a record at `position` (its first value): a placement that found a cell
    // taken, a position beyond the cells 0 to `last_cell` with the `room` its kind needs, a cell
    // outside the cells.
    found_fault placement_fault(const placement& failed, std::int32_t position,
                                const run_state& state) const;
    found_fault beyond_fault(std::int32_t position, std::int64_t last_cell,
                             std::int32_t room) const;
    found_fault beyond_cell_fault(std::int32_t position, std::int64_t cell) const;
    // Where the record's value number `index` (from 0) stands, when it was read.
    std::optional<source_location> value_at(std::size_t index) const;

    // A warning at the current record's keyword item.
    void warn(warning_code code, std::vector<diagnostic_argument> arguments) const;

   private:
    void note(std::span<const keyword_row> rows, warning_code code) const;
    void note_unknown(std::span<const keyword_row> rows) const;
    void note_record(const keyword_row& row) const;
    void note_comment_record(const keyword_row& row) const;
    void note_extra_values(std::span<const keyword_row> rows) const;
    void pass_over(const compile_fault& failure);
    template <class T>
    T remembered(T value);

    item_reader& reader_;
    std::string& voce_letta_;
    const description_text text_;
    compile_diagnostics* const diagnostics_;

    std::string keyword_;
    source_location keyword_at_;
    std::optional<std::size_t> nearest_generale_offset_;
    std::string nearest_generale_;
    std::size_t nearest_generale_edits_ = 0;
    std::vector<std::int32_t> values_;
    std::vector<std::size_t> value_offsets_;
};

}  // namespace scenario
