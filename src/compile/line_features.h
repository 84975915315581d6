// Placement of the line features that need more than a store: the ordering of the three
// kilometric progressives, the mountains (scenery blocks) and the speed-indicator boards.
// They work on the run state directly; none of them ever writes outside `celle`, the header
// table or the mountain tables, and a write that would is a compile fault (error 25).
#pragma once

#include <cstdint>

#include "base/records.h"

namespace scenario {

// The most mountain records a line text may hold (entries 1 to 80 of the mountain tables).
inline constexpr std::int32_t k_max_montagne = 80;

// Puts the progressives of entries 81 ("tre"), 82 ("due") and 83 ("uno") into their final order,
// entry 81 first, and adds 100 to b of every slot whose c is 1.
void progressive_ordina(run_state& state);

// Places the next mountain record: stores it in the mountain tables, writes its scenery kind
// into `sfondo` of its cells and, for a kind above 10, marks every fourth free cell 11. May
// rewrite the caller's `tipo` (minus 10 for a marking kind; 3 when the mountain starts within
// 150 m of the previous record's end). Cells beyond either end of `celle` are not written.
void memo_montagna(run_state& state, std::int32_t& inizio, std::int32_t& fine, std::int32_t& tipo);

// Places a speed-indicator board on cell nearest(posizione / 50 + 1), or sets codice_errore 21
// and leaves the cell alone when another feature holds it. The caller makes sure the cell lies
// inside `celle`.
void memo_indicatori_v_max(run_state& state, std::int32_t posizione, const std::int32_t& vas,
                           const std::int32_t& vbs, const std::int32_t& vcs,
                           const std::int32_t& strisces, const std::int32_t& vad,
                           const std::int32_t& vbd, const std::int32_t& vcd,
                           const std::int32_t& strisced);

}  // namespace scenario
