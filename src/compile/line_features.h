// Placement of the line features that need more than a store: the ordering of the three
// kilometric progressives, the mountains (scenery blocks) and the speed-indicator boards.
// They work on the run state directly; none of them ever writes outside `celle`, the header
// table or the mountain tables, and a write that would is a compile fault (error 25).
#pragma once

#include <cstdint>

#include "base/records.h"
#include "compile/compile_support.h"

namespace scenario {

// The most mountain records a line text may hold (entries 1 to 80 of the mountain tables).
inline constexpr std::int32_t k_max_montagne = 80;

// Puts the progressives of entries 81 ("tre"), 82 ("due") and 83 ("uno") into their final order,
// entry 81 first, and adds 100 to b of every slot whose c is 1.
void progressive_ordina(run_state& state);

// A "montagna" record: the scenery kind `tipo` from `inizio` to `fine` metres.
struct mountain_record {
    std::int32_t inizio = 0;
    std::int32_t fine = 0;
    std::int32_t tipo = 0;
};

// An "indicatori_v" record: three speeds and the stripes for each side.
struct speed_board_record {
    std::int32_t posizione = 0;
    std::int32_t vas = 0, vbs = 0, vcs = 0, strisces = 0;
    std::int32_t vad = 0, vbd = 0, vcd = 0, strisced = 0;
};

// Places the next mountain record: stores it in the mountain tables, writes its scenery kind
// into `sfondo` of its cells and, for a kind above 10, marks every fourth free cell 11. May
// rewrite the record's `tipo` (minus 10 for a marking kind; 3 when the mountain starts within
// 150 m of the previous record's end). Cells beyond either end of `celle` are not written.
void memo_montagna(run_state& state, mountain_record& record);

// Places a speed-indicator board on cell nearest(posizione / 50 + 1), or comes back with
// speed_board_cell_taken (21) and leaves the cell alone when another feature holds it. The caller
// makes sure the cell lies inside `celle`.
placement memo_indicatori_v_max(run_state& state, const speed_board_record& record);

}  // namespace scenario
