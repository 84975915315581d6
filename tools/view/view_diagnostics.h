// The diagnostics of a compile as the page lists them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/json.h"

namespace scenario::tool {

struct compiled_scenario;

// The faults (with their notes) and the warnings of a compile as the page lists them, each with
// "metri": the place the view moves to when it is chosen (the fault's position, else the first
// value of the record at its line), or null. The only place that turns diagnostics into page
// data.
json diagnostics_data(const compiled_scenario& compiled);

}  // namespace scenario::tool
