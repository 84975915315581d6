// The data of one compile as the page draws it: a JSON document of the plan, the profile, every
// feature with the record that made it, and the diagnostics.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/json.h"

namespace scenario::tool {

struct compiled_scenario;

// The data the page draws, as a JSON document (members described in view_data.cpp).
json view_data(const compiled_scenario& compiled);

// view_data as compact JSON text, escaped by script_safe_json: what the page embeds and what
// live mode serves as "dati".
std::string view_data_json(const compiled_scenario& compiled);

}  // namespace scenario::tool
