// What each kind of cell is, in one table: its Italian name, the phrase that says a cell is
// occupied by it, what its value fields hold and where its feature stands on the track. The
// tool's dump, plot and messages read this table; nothing else names the kinds.
#pragma once

#include <cstdint>
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

struct cell_kind_descriptor {
    cell_kind kind;
    std::string_view name;      // "segnale"
    std::string_view occupant;  // "un segnale": "la cella ... è già occupata da un segnale"
    cell_values values;
    cell_place place;
};

// Every kind, in the order of their bytes.
std::span<const cell_kind_descriptor> cell_kind_descriptors();

// The row of a kind; a byte that names no kind gets the row of an unknown kind ("tipo
// sconosciuto", occupied by "un elemento", no values, a point feature).
cell_kind_descriptor describe(cell_kind kind);
inline cell_kind_descriptor describe(const cella& c) { return describe(kind_of(c)); }

}  // namespace scenario
