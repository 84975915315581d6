// Small helpers shared by the line and train passes: keyword tests on Windows-1252 items, the
// rounding every conversion uses, and the warnings and faults collected for scenario authors.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/positions.h"
#include "compile/compiler.h"

namespace scenario {

// The most edits that still make a section header a misspelt "[generale]".
inline constexpr std::size_t k_header_slips = 3;

// Whether the item contains the key anywhere, ignoring case (accented letters included).
bool contains_any_case(std::string_view item, std::string_view key);
// Whether the item contains the key anywhere, with case.
bool contains_exact(std::string_view item, std::string_view key);

// "[" and "]" anywhere in the item: a section header.
bool is_section_header(std::string_view item);

// An optionally signed run of digits: a value item standing on its own.
bool is_whole_number(std::string_view item);

// A value that must fit a signed 16-bit word, or a run-time failure of the compile.
std::int16_t checked_integer(double value);

// The result of whole-number arithmetic done in 64 bits, which must fit a signed 32-bit Long, or a
// run-time failure of the compile.
std::int32_t checked_long(std::int64_t value);

// Whether a record at `position` that needs `room` metres past it lies beyond the cells 0 to
// `last_cell` (beyond_cells of base/positions.h); a sum outside 32 bits is a run-time failure of
// the compile, like every other Long sum.
bool record_beyond_cells(std::int32_t position, std::int32_t room, std::int64_t last_cell);

// Records a warning when diagnostics are being collected.
void warn(compile_diagnostics* diagnostics, warning_code code, text_position at,
          std::vector<diagnostic_argument> arguments = {});

// What a placement did: the fault it found (none when its feature was placed), and the cells its
// feature now holds (a placement that fails part way may have placed some).
struct placement {
    fault_code fault = fault_code::none;
    std::int64_t cell = -1;        // on a fault: the cell found taken
    std::int64_t first_cell = -1;  // on a fault: the cells wanted together, first to last
    std::int64_t last_cell = -1;
    std::int64_t feature_metres = 0;  // on a fault: where the feature would have stood
    std::array<std::int64_t, 7> placed{};
    std::size_t placed_count = 0;

    bool ok() const { return fault == fault_code::none; }
    void add(std::int64_t cell_placed) { placed[placed_count++] = cell_placed; }
    // A fault on one cell wanted alone.
    static placement taken(fault_code code, std::int64_t at, std::int64_t metres) {
        placement p;
        p.fault = code;
        p.cell = p.first_cell = p.last_cell = at;
        p.feature_metres = metres;
        return p;
    }
};

// Remembers which record placed the cells of a placement.
void note_placed(compile_diagnostics* diagnostics, const placement& placed, text_position record);

// Sets the cell a failed placement found taken, the cells it wanted, and what stood there.
void describe_taken(found_fault& fault, const run_state& state,
                    const compile_diagnostics* diagnostics, const placement& failed);

// Whether a warning of this text would still be kept: past the bound, warnings are only counted,
// and what one would say need not be worked out.
bool warning_shown(const compile_diagnostics* diagnostics, description_text text);

// Records a warning with its notes when diagnostics are being collected.
void warn(compile_diagnostics* diagnostics, compile_warning warning);

// Keeps what was found with the code just recorded, when diagnostics are being collected; the
// checking mode keeps every one.
void report_fault(compile_diagnostics* diagnostics, found_fault fault);

// Remembers the record where reading a text stopped, the first time it stops.
void note_stop(compile_diagnostics* diagnostics, text_position at);

// The route length the line text gave (0 before it is read).
std::int32_t route_length_of(const run_state& state);

// A record's position after the end of the route: a feature in the run-off, which no train
// reaches as the author meant. Warned once per record.
void warn_beyond_route_end(compile_diagnostics* diagnostics, const run_state& state,
                           text_position record, source_location value, record_kind kind,
                           std::int64_t metres);

// The checks of records that must come in increasing position: the last record's position and
// where it stands.
struct order_check {
    std::optional<std::int64_t> position;
    std::optional<std::int64_t> end;  // for records with an extent (curves)
    text_position record;
};

// Warns (with a note at the earlier record) when `position` lies before the furthest record's so
// far; remembers the furthest record.
void check_increasing(compile_diagnostics* diagnostics, order_check& previous, text_position record,
                      source_location value, record_kind kind, std::int64_t position);

// Warns when a text that should be Windows-1252 begins with the UTF-8 byte-order mark or holds
// UTF-8 sequences: how its first such word will reach the simulator, and how to save it.
void warn_about_encoding(compile_diagnostics* diagnostics, description_text text,
                         std::string_view bytes);

// Whether the compile is the author's checking compile, which passes over faulty records.
bool checking(const compile_diagnostics* diagnostics);

// Sets the cell a record wanted and, when the cell lies inside `celle`, what stands there and the
// record that put it there.
void wanted_cell(found_fault& fault, const run_state& state, const compile_diagnostics* diagnostics,
                 std::int64_t cell);

// Remembers that the record whose keyword stands at `record` placed the feature of `cell`.
void note_placed(compile_diagnostics* diagnostics, std::int64_t cell, text_position record);

// Keeps a run-time failure met in a text: where the reader stood and what the failure says.
void report_run_time_failure(compile_diagnostics* diagnostics, description_text text,
                             std::optional<source_location> where, const compile_fault& failure);

}  // namespace scenario
