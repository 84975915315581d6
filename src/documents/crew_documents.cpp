#include "documents/crew_documents.h"

#include "describe/fixed_text.h"

namespace scenario {

std::span<const std::string_view> timetable_sheet_table() {
    static constexpr std::string_view table[] = {"", k_end_marker};  // PLACEHOLDER
    return table;
}
std::span<const std::string_view> slow_order_sheet_table() { return timetable_sheet_table(); }
std::span<const std::string_view> notes_table() { return timetable_sheet_table(); }

void dati_scheda(run_state& state) {
    write_fixed_text(state, file_kind::timetable_sheet, timetable_sheet_table());
}
void dati_rallentamenti(run_state& state) {
    write_fixed_text(state, file_kind::slow_order_sheet, slow_order_sheet_table());
}
void dati_note(run_state& state) { write_fixed_text(state, file_kind::notes, notes_table()); }

}  // namespace scenario
