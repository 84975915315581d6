// Placement of the train's signals and slow orders on the 50-metre cells. The train pass reads a
// "segnale" or "rallentamento" record, makes sure the record's own cells lie inside the cell
// array, and hands the values over; an occupied cell comes back as a recorded fault code.
//
// Every value arrives as a 32-bit whole number. The 16-bit and 8-bit cell fields keep the low
// bits of the value or of the arithmetic result: a value out of range wraps, it is never a fault.
#pragma once

#include <cstdint>

#include "base/records.h"

namespace scenario {

// Whether the index names a cell of the array (0 to n_celle).
bool train_cell_inside(const run_state& state, std::int64_t index);

// A signal at `posizione` on cell posizione / 50 + 1 with its four approach marks on every
// second cell before it. Raises a `tempo` of 1 to 100 to 101. Returns false, with
// codice_errore 16 and nothing written, when the signal's cell is taken. The caller has made
// sure the signal's cell lies inside the array; approach marks below cell 0 are not written.
bool memo_segnale(run_state& state, std::int32_t posizione, std::int32_t& sx, std::int32_t& s1,
                  std::int32_t& s2, std::int32_t& s3, std::int32_t& rapp, std::int32_t& dx,
                  std::int32_t& d1, std::int32_t& d2, std::int32_t& d3, std::int32_t& tempo);

// A slow order from `x` over `l` metres at speed `v`: end and start cells, and beyond 1500
// metres a warning board 1200 metres ahead with (when `f_ta` is not 0) four approach cells.
// Returns false when a cell is taken, with codice_errore 17 (warning board), 18 (start),
// 19 (end) or 20 (approach cells; end, start and board are then already written). The caller
// has made sure the start and end cells lie inside the array.
bool memo_rallentamento(run_state& state, std::int32_t x, std::int32_t& v, std::int32_t& l,
                        std::int32_t& f_tt, std::int32_t f_ta, std::int32_t& d_v);

}  // namespace scenario
