// What a compile tells an author beyond the code it records, as data: the fault it found with
// everything it knows of it, the warnings (each a code, its arguments and the places it
// concerns), the records it ran and which record placed each feature. The tool words it all;
// nothing here builds a sentence.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "base/fault_codes.h"
#include "base/record_kinds.h"
#include "base/records.h"
#include "compile/compile_fault.h"
#include "compile/description_source.h"
#include "compile/item_reader.h"

namespace scenario {

// Where something was found in a description text.
struct text_position {
    description_text text = description_text::line;
    source_location where;
    friend bool operator==(const text_position&, const text_position&) = default;
};

// What a warning says, with the arguments it carries (in this order: n a number, t a text in
// UTF-8 as the author reads it, r a record kind). The tool words each code; nothing here is
// worded.
enum class warning_code : std::uint8_t {
    // The encoding of a text.
    byte_order_mark,  // -: the text begins with the byte-order mark of UTF-8
    utf8_text,        // t: the first word that holds UTF-8, its bytes as they are
    // Items the record scanner passes over.
    hidden_by_dash,          // t: the keyword item the "-" rule replaced
    last_item,               // t: the last item of the text, never examined
    unknown_item,            // t: an item no record knows
    unknown_item_near,       // tr: the item, and the record whose keyword is nearest it
    comment_ignored,         // t: an item that looks like a comment and is no keyword
    comment_read_as_record,  // tr: the keyword's word a comment holds, and the record it runs
    // Items left on a record's line: the record, how many values it took, the rest of the line.
    extra_values,  // rnt
    // The same, when the rest begins with digits: also the last value read and those digits,
    // which may be the decimals of a number written with a comma.
    decimal_comma,  // rntnt
    // The train text without "[generale]": nothing of it is compiled.
    train_without_generale,       // -
    train_without_generale_near,  // t: the section header nearest "[generale]"
    // Records out of place: the record, its position, the position of the record further along
    // written before it (with the note earlier_record).
    out_of_order,  // rnn
    // A curve that starts before the previous one ends: its start, the previous one's end (with
    // the note previous_curve).
    curves_overlap,  // nn
    // A feature in the run-off: the record, where the feature stands, the route length.
    beyond_route_end,  // rnn
    // A value the file holds otherwise than written: the value written, the value held.
    board_speed_rounded,       // nn: a speed of a speed-indicator board, in steps of 5 km/h
    gradient_wrapped,          // nn: a gradient outside -100 to 155 per mille
    speed_limit_rounded,       // nn: a speed limit, in steps of 5 km/h
    adhesion_wrapped,          // nn: an adhesion outside 0 to 255
    signal_time_wrapped,       // nn: a signal time outside 0 to 255
    slow_order_speed_wrapped,  // nn: a slow order's speed outside 16 bits
    abatement_value_wrapped,   // nn: an "abbattimento" value above 32767
};

// What a note at another record says, with its arguments. The compiler attaches the notes of a
// warning; the notes of a fault are made, by whoever words it, from what the fault says of other
// records (the one that filled the cell, the station before, ...).
enum class note_code : std::uint8_t {
    // At a warning.
    earlier_record,  // n: the position of the record written before
    previous_curve,  // nn: where the previous curve starts and ends
    // At a fault.
    cells_filled,               // n+: the cells this record filled, that the fault's feature wanted
    earlier_station,            // -: the station before the one at fault
    slow_order_after_signal,    // -: the slow order whose warning board follows the signal at fault
    progressive_not_whole_too,  // -: another progressive with a value not a multiple of 50
};

// The arguments a code carries, one letter each: "n", "t", "r" or "d" (diagnostic_argument's
// alternatives, in order); a "+" after the last letter stands for one or more of it.
std::string_view arguments_of(warning_code code);
std::string_view arguments_of(note_code code);

// Another record a diagnostic concerns.
struct diagnostic_note {
    note_code code = note_code::earlier_record;
    text_position at;
    std::vector<diagnostic_argument> arguments;
};

struct compile_warning {
    warning_code code = warning_code::byte_order_mark;
    text_position at;
    std::vector<diagnostic_argument> arguments;
    std::vector<diagnostic_note> notes;
};

// Whether the arguments of a warning and of its notes are those their codes carry.
bool well_formed(const diagnostic_note& note);
bool well_formed(const compile_warning& warning);

// A record a pass ran: where its keyword item stands, its kind and the numbers it read.
struct compiled_record {
    text_position at;
    record_kind kind;
    std::vector<std::int32_t> values;
};

// What ended a compile with error 25, as the compile_fault said it.
struct run_time_failure {
    failure_code code = failure_code::text_ends_in_record;
    std::vector<diagnostic_argument> arguments;
};

// Whether its arguments are those its code carries.
bool well_formed(const run_time_failure& failure);

// What the compiler found when it recorded a code, as data: the printer decides the words. Only
// what applies to the code is set.
struct found_fault {
    fault_code code = fault_code::none;
    // The text it was found in: absent for the spacing pass and the identity codes.
    std::optional<description_text> text;
    // The keyword item of the record at fault, or where the reader stood at a run-time failure;
    // absent for the checks made after every record was read.
    std::optional<source_location> where;
    std::optional<source_location> value_at;  // the one value at fault, when one is
    std::vector<std::int32_t> values;         // the record's numbers, as far as they were read
    std::optional<std::int32_t> position;     // metres, as recorded in posizione_errore
    // The cell the record wanted and, when it was taken, what stood there and which record put
    // it there.
    std::optional<std::int64_t> cell;
    std::optional<std::int64_t> first_cell;  // with last_cell: the cells wanted together
    std::optional<std::int64_t> last_cell;
    std::optional<std::int32_t> feature_metres;  // where the feature would have stood
    std::optional<cella> occupant;
    std::optional<text_position> occupant_record;
    // The bound the record passed: the last position its kind may have (15), the longest route
    // (1), the least gap between platforms (22), the most stations (10).
    std::optional<std::int32_t> limit;
    std::vector<std::int32_t> entries;            // the header entries it concerns
    std::optional<text_position> earlier_record;  // the station record before (22)
    std::optional<run_time_failure> failure;      // what ended the compile (error 25)
    // Error 25 met because the record's values ran into the next record or the end of the text.
    bool missing_value = false;
    // Error 102: the section header nearest "[generale]", where the search passed it.
    std::optional<std::string> nearest_header;
    // The spacing pass: the record of the signal or slow order whose marks do not fit.
    std::optional<text_position> board_record;
    // Error 12: the cells of each group ahead of the start board that had no free cell for the
    // mark, each with the record that filled it (none for a mark the pass itself laid).
    struct filled_cell {
        std::int64_t cell = 0;
        std::optional<text_position> record;
    };
    std::vector<filled_cell> filled_cells;
};

// A fault known only by its code and, when given, its text.
inline found_fault bare_fault(fault_code code, std::optional<description_text> text = {}) {
    found_fault fault;
    fault.code = code;
    fault.text = text;
    return fault;
}

// What an author needs beyond the recorded code: the fault as found (the one that set the last
// code; the identity fault apart), the warnings the program itself never shows, and which record
// placed each feature on the cells. Filling it never changes the compiled records.
struct compile_diagnostics {
    // A text full of mistakes must not cost memory in proportion: past this many warnings of one
    // text, the others are only counted.
    static constexpr std::size_t k_max_warnings_per_text = 100;
    // The records run, in the order they ran, up to this many (a drawing has no use for more).
    static constexpr std::size_t k_max_records = 500000;
    // The faults the checking mode keeps, at most (one text can hold a fault on every line).
    static constexpr std::size_t k_max_faults = 1000;

    // The checking mode, for authors: a record at fault is passed over and the pass goes on, so
    // that one compile finds every fault of both texts; each is kept in `faults`. The state it
    // compiles is the checker's own: it is never written and says nothing of what the program
    // records.
    bool checking = false;
    std::vector<found_fault> faults;

    std::optional<found_fault> fault;
    std::optional<found_fault> identity_fault;  // 1250 or 1251: no binary file written
    // Where reading stopped for good in each text (a hard or soft stop, a run-time failure): the
    // record there and the records after it did not reach the compiled tables.
    std::optional<source_location> stopped_at[2];
    bool train_skipped = false;  // the line text stopped the compile before the train pass
    std::vector<compile_warning> warnings;
    std::size_t warnings_kept[2] = {0, 0};     // for the line text and the train text
    std::size_t warnings_dropped[2] = {0, 0};  // beyond k_max_warnings_per_text
    std::vector<compiled_record> records;

    // Which record placed the feature a cell holds (the keyword item of that record).
    void note_placed(std::int64_t cell, text_position record);
    std::optional<text_position> placed_by(std::int64_t cell) const;

   private:
    std::vector<std::optional<text_position>> placed_by_;
};

}  // namespace scenario
