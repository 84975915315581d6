// Stamping the identity codes (base/identity_codes.h) into the compiled tables, the last step
// before the binary files are written.
#pragma once

#include <cstdint>

#include "base/records.h"

namespace scenario {

// Checks that the four identity fields are still zero and stamps them. Returns 0, or 1250 / 1251
// when a field was already set (the run must then end through errore, writing no binary file).
std::int32_t stamp_identity(run_state& state);

}  // namespace scenario
