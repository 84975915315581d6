// The signal spacing pass: one forward walk over the cells that lays kind-12 value marks (val1
// 180) around every slow order: before the signals ahead of a warning board, at three spacings
// ahead of a start board, every 400 metres inside a slow order below 110, and before the first
// signal after its end board. No index ever leaves the cell array.
#pragma once

#include <cstdint>

#include "base/records.h"

namespace scenario {

// The smaller of x and y (x on a tie).
std::int16_t minimo(std::int16_t x, std::int16_t y);

void signal_spacing_pass(run_state& state);

}  // namespace scenario
