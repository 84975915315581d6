// Where a cell's feature stands and what occupies a cell, read from the table of the cell kinds
// (base/cell_kinds.h). A cell that points into the header table (a station's stop cell, an
// information sign) is named after the entry it points to.
#include "model/cell_words.h"

#include "base/cell_kinds.h"
#include "base/positions.h"
#include "base/windows1252.h"

namespace scenario::tool {

double feature_metres(const cella& c, std::size_t n) {
    const auto cell = static_cast<std::int64_t>(n);
    switch (describe(c).place) {
        case cell_place::platform_end:
            return static_cast<double>(cell_first_metre(cell + 1));
        case cell_place::fill:
            return static_cast<double>(cell_first_metre(cell));
        case cell_place::point:
            break;
    }
    return static_cast<double>(point_position(cell));
}

std::string cell_occupant(const run_state& state, std::int64_t cell) {
    if (cell < 0 || cell >= static_cast<std::int64_t>(state.celle.size())) {
        return "nulla (la cella è fuori dal percorso)";
    }
    return cell_occupant(state, state.celle[static_cast<std::size_t>(cell)]);
}

std::string cell_occupant(const run_state& state, const cella& c) {
    const cell_kind_descriptor kind = describe(c);
    const auto entry_name = [&](std::int16_t entry) -> std::string {
        if (entry < 1 || entry >= k_testata_entries) return "";
        return " \"" + from_windows1252(state.testata[static_cast<std::size_t>(entry)].v_nome) +
               "\"";
    };
    std::string which;
    switch (kind.values) {
        case cell_values::station_entry:
        case cell_values::sign_entry:
            which = entry_name(c.val1);
            break;
        case cell_values::value:
            which = " " + std::to_string(c.val1);
            break;
        default:
            break;
    }
    return std::string(kind.occupant) + which + " (tipo " + std::to_string(c.tipo_cella) + ")";
}

}  // namespace scenario::tool
