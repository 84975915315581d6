// The fault codes a compile records in `codice_errore`, and the one table that says what each
// means. The compiler records them, the tool words them and the fuzzer checks them through this
// table: a new code is one enumerator and one row.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace scenario {

// The values are those written to `codice_errore` (and, for 1250 and 1251, shown in the error
// box); they never change.
enum class fault_code : std::int32_t {
    none = 0,
    route_too_long = 1,           // "lunghezza percorso" past the longest route
    progressive_not_whole = 2,    // a kilometric progressive not a multiple of 50
    repetition_first = 3,         // "ripetizione segnali": first value not a multiple of 50
    repetition_second = 4,        // "ripetizione segnali": second value not a multiple of 50
    repetition_digit = 5,         // "ripetizione segnali": neither "4" nor "9" in the keyword
    sign_cell_taken = 6,          // information sign on an occupied cell
    value_mark_cell_taken = 7,    // "abbattimento" on an occupied cell
    station_position = 8,         // station position not a multiple of 50
    platform_length = 9,          // platform length not a multiple of 100
    too_many_stations = 10,       // stations reach the header entries of the sign texts
    no_cell_before_signal = 11,   // spacing pass: no free cell before a signal
    no_cell_ahead_of_start = 12,  // spacing pass: no free cell ahead of a start board
    no_cell_in_slow_order = 13,   // spacing pass: no free cell inside a slow order
    beyond_cells = 15,            // a record's position beyond the cells: reading stops
    signal_cell_taken = 16,       // signal on an occupied cell
    warning_board_taken = 17,     // slow order: warning board cell occupied
    start_board_taken = 18,       // slow order: start board cell occupied
    end_board_taken = 19,         // slow order: end board cell occupied
    approach_cell_taken = 20,     // slow order: one of the four approach cells occupied
    speed_board_cell_taken = 21,  // speed-indicator board on an occupied cell
    stations_too_close = 22,      // platform too close to the previous one
    stop_too_early = 24,          // a station's stop cell would be cell 1 or before
    run_time_failure = 25,        // the compile ended on a fault of the text it cannot record
    no_line_text = 101,           // the line text does not exist
    no_generale = 102,            // no "[generale]" in the line text
    curve = 103,                  // curve without a class, or traced past the last point
    identity_marker = 1250,       // cell 1 or header entry 85 already holds a value (first word)
    identity_code = 1251,         // cell 1 or header entry 85 already holds a value (second word)
};

constexpr std::int32_t value_of(fault_code code) { return static_cast<std::int32_t>(code); }

// Where a fault belongs, for the author who has to mend it.
enum class fault_text : std::uint8_t {
    line,      // the line text
    train,     // the train text
    either,    // whichever text was being read when it was found
    spacing,   // found by the signal spacing pass over the train's signals and slow orders
    identity,  // found when the identity codes are stamped, on what cell 1 holds
};

struct fault_descriptor {
    fault_code code;
    fault_text text;
    bool carries_position;     // whether `posizione_errore` is set with the code (metres)
    bool ends_pass;            // the pass stops there; after the line pass, no train pass runs
    std::string_view meaning;  // one line of Italian, for authors
};

// Every code a compile can record, in increasing order; `none` is not among them.
std::span<const fault_descriptor> fault_table();

// The row of a recorded value; nullptr for a value no compile records (0 included).
const fault_descriptor* find_fault(std::int32_t value);

// The row of a code; `none` has no row and must not be asked for.
const fault_descriptor& describe(fault_code code);

}  // namespace scenario
