// The five text files of a scenario are written from fixed-text tables: rendered in
// Windows-1252 with CR LF line ends and replaced whole.
#pragma once

#include <span>
#include <string_view>

#include "base/records.h"
#include "base/scenario_files.h"

namespace scenario {

// Renders the table and replaces the scenario file of that kind with it; `indice` ends on the
// end marker's index.
void write_fixed_text(run_state& state, file_kind kind, std::span<const std::string_view> table);

}  // namespace scenario
