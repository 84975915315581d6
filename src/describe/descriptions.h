// The two description writers: the line description and the train description of the scenario,
// fixed texts that the compiler reads back and deletes in the same run.
#pragma once

#include <span>
#include <string_view>

#include "base/records.h"

namespace scenario {

// The tables of lines (UTF-8), each closed by the end marker.
std::span<const std::string_view> line_description_table();
std::span<const std::string_view> train_description_table();

void dati_linea(run_state& state);
void dati_treno(run_state& state);

}  // namespace scenario
