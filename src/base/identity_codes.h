// The scenario identity codes: two checksums of the train code and the line name, stamped with
// two fixed markers into header entry 85 and cell 1 of every scenario written.
#pragma once

#include <cstdint>

#include "base/records.h"

namespace scenario {

// The two fixed markers: header entry 85 v_i1 and cell 1 val1 of every scenario written.
inline constexpr std::int16_t k_header_marker = 610;
inline constexpr std::int16_t k_cell_marker = 5121;

// Sum of the Windows-1252 codes of the first 25 characters of the identity string.
std::int16_t codice_gara_og(const testata& header);
// Position-weighted sum of the same 25 codes.
std::int32_t codice_gara_st(const testata& header);

}  // namespace scenario
