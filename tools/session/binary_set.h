// Writing the binary set of a compile.
#pragma once

#include <string>
#include <vector>

#include "session/compile_session.h"

namespace scenario::tool {

// Writes the binary set of a compile into its OUTDIR, one writer at a time, and returns the
// names of the files written; throws tool_failure when they cannot be written.
std::vector<std::string> write_binary_set(const compiled_scenario& compiled);

}  // namespace scenario::tool
