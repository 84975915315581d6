// What a compiled cell holds, in the words dump, plot and the compile messages share: where a
// cell's feature stands in metres, and what occupies a cell. The name of each kind is in the
// table of base/cell_kinds.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/cell_kinds.h"
#include "base/records.h"

namespace scenario::tool {

// Where the feature on cell n stands, in metres, by the place its kind gives: point features
// (signals, boards, signs) at (n - 1) * 50, the inverse of p / 50 + 1; marks laid by position
// ("abbattimento", scenery) at n * 50; a stop cell at its platform's end, (n + 1) * 50.
double feature_metres(const cella& c, std::size_t n);

// What stands on a cell, for a message: its kind and, where the records say, which station or
// sign it is.
std::string cell_occupant(const run_state& state, std::int64_t cell);
std::string cell_occupant(const run_state& state, const cella& c);

}  // namespace scenario::tool
