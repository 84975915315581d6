// Stamping the identity codes (base/identity_codes.h) into the compiled tables, the last step
// before the binary files are written.
#pragma once

#include <cstdint>

#include "base/records.h"
#include "compile/compiler.h"

namespace scenario {

// Checks that the four identity fields are still zero and stamps them. Returns 0, or the value of
// identity_marker / identity_code (1250 / 1251) when a field was already set (the run must then
// end through errore, writing no binary file); the diagnostics then get what stood on cell 1.
std::int32_t stamp_identity(run_state& state, compile_diagnostics* diagnostics = nullptr);

}  // namespace scenario
