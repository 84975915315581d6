// The signal spacing pass: one forward walk over the cells that lays kind-12 value marks (val1
// 180) around every slow order: before the signals ahead of a warning board, at three spacings
// ahead of a start board, every 400 metres inside a slow order below 110, and before the first
// signal after its end board. No index ever leaves the cell array.
#pragma once

#include <cstdint>

#include "base/records.h"
#include "compile/compiler.h"

namespace scenario {

// The smaller of x and y (x on a tie).
std::int16_t minimo(std::int16_t x, std::int16_t y);

// Records 11, 12 or 13 with the cell's position in metres when a mark finds no free cell (the
// last such fault stands); the diagnostics then get the code and the cell.
void signal_spacing_pass(run_state& state, compile_diagnostics* diagnostics = nullptr);

}  // namespace scenario
