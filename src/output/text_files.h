// The five text files of a scenario are written from fixed-text tables: rendered in
// Windows-1252 with CR LF line ends and replaced whole.
#pragma once

#include <span>
#include <string_view>

#include "base/records.h"
#include "base/scenario_files.h"
#include "platform/platform.h"

namespace scenario {

// Renders the table and replaces the scenario file of that kind with it; `indice` ends on the
// end marker's index. A lasting text (the crew's documents) is flushed before its rename; a
// passing one (a description text the same run reads back and deletes) is not.
void write_fixed_text(run_state& state, file_kind kind, std::span<const std::string_view> table,
                      platform::file_life life);

}  // namespace scenario
