// The scenario identity codes: two checksums of the train code and the line name, stamped with
// two fixed markers into header entry 85 and cell 1 before the binary files are written.
#pragma once

#include <cstdint>

#include "compile/records.h"

namespace scenario {

// The two fixed markers: header entry 85 v_i1 and cell 1 val1 of every scenario written.
inline constexpr std::int16_t k_header_marker = 610;
inline constexpr std::int16_t k_cell_marker = 5121;

// Sum of the Windows-1252 codes of the first 25 characters of the identity string.
std::int16_t codice_gara_og(const testata& header);
// Position-weighted sum of the same 25 codes.
std::int32_t codice_gara_st(const testata& header);

// Checks that the four identity fields are still zero and stamps them. Returns 0, or 1250 / 1251
// when a field was already set (the run must then end through errore, writing no binary file).
std::int32_t stamp_identity(run_state& state);

}  // namespace scenario
