// What each kind of cell is, in one table: its Italian name, the phrase that says a cell is
// occupied by it, what its value fields hold, where its feature stands on the track, the record
// that lays it with the items each value field holds, and which cells before it the feature
// marks with `preavviso`. The tool's dump, plot and messages read this table; nothing else names
// the kinds.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "base/records.h"

namespace scenario {

// What the value fields of a cell of a kind hold.
enum class cell_values : std::uint8_t {
    none,            // nothing the kind defines (plain track, scenery marks, an empty value mark)
    signal_aspects,  // val1..val3 the aspect pairs (left × 10 + right), val4 the repetition and
                     // sides (rapp × 10 + sx × 3 + dx), tempo_segnale the signal time
    slow_order,      // val1 the speed (approach cells: 1..4 from the warning board), val2 the d_v
                     // word, val3 f_tt
    board_speeds,    // val1..val3 speed words (first side × 20 + other side / 5), val4 the
                     // stripes (first side × 10 + other side)
    station_entry,   // val1 the header entry of the station that stops there
    value,           // val1 the value
    sign_entry,      // val1 the header entry that holds the sign's text
};

// Where the feature of a cell stands, as a position in metres.
enum class cell_place : std::uint8_t {
    point,         // a point feature: (n - 1) × 50, the inverse of p / 50 + 1
    fill,          // laid by position like the fills: n × 50, the inverse of p / 50
    platform_end,  // a station's stop: the end of its platform, (n + 1) × 50
};

// The value fields of a cell.
enum class cell_field : std::uint8_t { val1, val2, val3, val4, tempo_segnale };

// How a value field holds the items of the record that laid the cell.
enum class value_code : std::uint8_t {
    number,       // the item itself
    kmh,          // the item, a speed in km/h
    tens,         // first × 10 + second (each from 0 to 9)
    sides,        // rapp × 10 + sx × 3 + dx (sx and dx from 0 to 2): the items rapp, sx, dx
    board_speed,  // first × 20 + second / 5: two speeds in km/h, read back as multiples of 5
    entry,        // the header entry of the station or of the sign's text
    count,        // not an item: the cell's number in a row of cells (1 to 4)
    flag,         // not an item: not 0 when the item named is not 0
};

// One value field of a kind and the record's items it holds, as many as the code has.
struct cell_value_field {
    cell_field field;
    value_code code;
    std::array<std::string_view, 3> items;
};

// The approach marks a feature lays in `preavviso` of the cells before its own, j = 1 to 4
// counting away from it.
enum class approach_marks : std::uint8_t {
    none,
    every_second_cell,  // a signal on cell i: cell i - 2j gets (sx × 3 + dx) × 10 + j
    every_cell,         // a station's stop on cell i: cell i - j gets 80 + j
};

inline constexpr int k_stop_mark_base = 80;  // the approach marks of a stop are 81 to 84

// The value of the marks the signal spacing pass lays around slow orders (kind 12, the kind of
// an "abbattimento"); a mark of an "abbattimento" it finds in place is lowered to it.
inline constexpr std::int16_t k_spacing_mark_value = 180;

struct cell_kind_descriptor {
    cell_kind kind;
    std::string_view name;      // "segnale"
    std::string_view occupant;  // "un segnale": "la cella ... è già occupata da un segnale"
    cell_values values;
    cell_place place;
    std::string_view record;  // the keyword of the record that lays the kind: "segnale"
    std::span<const cell_value_field> fields;
    std::span<const std::string_view> items;  // the items the fields hold, in the record's order
    approach_marks marks = approach_marks::none;
    std::string_view mark_owner = "";  // "del segnale": whose approach marks they are
    // Whether a record names this very cell's position; approach cells and scenery marks lie
    // where the cells of a record's stretch fall.
    bool record_position = true;
};

// Every kind, in the order of their bytes.
std::span<const cell_kind_descriptor> cell_kind_descriptors();

// The row of a kind; a byte that names no kind gets the row of an unknown kind ("tipo
// sconosciuto", occupied by "un elemento", no values, a point feature).
cell_kind_descriptor describe(cell_kind kind);
inline cell_kind_descriptor describe(const cella& c) { return describe(kind_of(c)); }

// The value of one field of a cell.
std::int32_t field_value(const cella& c, cell_field field);

// The record's items a cell field holds, decoded by the field's code: as many values as the code
// has items (a count or a flag gives one). Nothing when the value cannot be one the code makes
// (a pair of tens outside 0 to 99, for one).
std::optional<std::array<std::int32_t, 3>> decode_field(const cell_value_field& field,
                                                        std::int32_t value);

// How many items a code holds.
int items_of(value_code code);

// The approach mark a feature on cell `c` lays on the j-th cell before it (j = 1 to 4); nothing
// when the kind lays none or its sides cannot be read back.
std::optional<std::uint8_t> approach_mark(const cella& c, int j);

// The distance in cells from a feature back to its j-th approach mark: 2j or j; 0 for a kind
// that lays none.
int approach_mark_distance(approach_marks marks, int j);

}  // namespace scenario
