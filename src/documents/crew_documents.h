// The three crew documents left for the driver beside the simulator: the timetable sheet, the
// slow-order sheet and the scenario notes. Fixed texts; nothing reads them back.
#pragma once

#include <span>
#include <string_view>

#include "base/records.h"

namespace scenario {

// The tables of lines (UTF-8), each closed by the end marker.
std::span<const std::string_view> timetable_sheet_table();
std::span<const std::string_view> slow_order_sheet_table();
std::span<const std::string_view> notes_table();

void dati_scheda(run_state& state);
void dati_rallentamenti(run_state& state);
void dati_note(run_state& state);

}  // namespace scenario
