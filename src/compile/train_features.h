// Placement of the train's signals and slow orders on the 50-metre cells. The train pass reads a
// "segnale" or "rallentamento" record, makes sure the record's own cells lie inside the cell
// array, and hands the record over; an occupied cell comes back as the placement's fault.
//
// Every value arrives as a 32-bit whole number. The 16-bit and 8-bit cell fields keep the low
// bits of the value or of the arithmetic result: a value out of range wraps, it is never a fault.
#pragma once

#include <cstdint>

#include "base/records.h"
#include "compile/compile_support.h"

namespace scenario {

// Whether the index names a cell of the array (0 to n_celle).
bool train_cell_inside(const run_state& state, std::int64_t index);

// A "segnale" record: aspects and their repetition for the left (s) and right (d) side.
struct signal_record {
    std::int32_t posizione = 0;
    std::int32_t sx = 0, s1 = 0, s2 = 0, s3 = 0, rapp = 0;
    std::int32_t dx = 0, d1 = 0, d2 = 0, d3 = 0, tempo = 0;
};

// A "rallentamento" record: from `x` over `l` metres at speed `v`.
struct slow_order_record {
    std::int32_t x = 0;
    std::int32_t v = 0;
    std::int32_t l = 0;
    std::int32_t f_tt = 0;
    std::int32_t f_ta = 0;  // not 0: four approach cells before the warning board
    std::int32_t d_v = 0;
};

// A signal at `posizione` on cell posizione / 50 + 1 with its four approach marks on every
// second cell before it. Raises a `tempo` of 1 to 100 to 101 in the record. Comes back with
// signal_cell_taken (16), nothing written, when the signal's cell is taken. The caller has made
// sure the signal's cell lies inside the array; approach marks below cell 0 are not written.
placement memo_segnale(run_state& state, signal_record& record);

// A slow order: end and start cells, and beyond 1500 metres a warning board 1200 metres ahead
// with (when `f_ta` is not 0) four approach cells. Comes back with the fault of the first cell
// found taken: warning_board_taken (17), start_board_taken (18), end_board_taken (19) or
// approach_cell_taken (20; end, start and board are then already written). The caller has made
// sure the start and end cells lie inside the array.
placement memo_rallentamento(run_state& state, const slow_order_record& record);

}  // namespace scenario
