// The driver's timetable sheet for train 26: a header box, the classification and braked-mass
// boxes, a short explanation and the timetable grid with its five filled rows. The times and
// chainages are the sheet's own and need not match the train description.
#include <iterator>

#include "base/fixed_text.h"
#include "output/text_files.h"
#include "documents/crew_documents.h"

namespace scenario {
namespace {

// The grid's rule row and its empty row: every "|" of the grid stands in their columns.
constexpr std::string_view k_rule_row =
    " |_____|_____|__________|_____|____________________________|________________|_____|";
constexpr std::string_view k_empty_row =
    " |     |     |          |     |                            |                |     |";

// One line of the document per line of source: the formatter must never split one.
// clang-format off
constexpr std::string_view k_timetable_sheet[] = {
    "",
    "",
    "  ___________________                                               ______________",
    " |                   |                    SCHEDA                   |              |",
    " |   TRENO n.26      |                   da: Zelnor Cascina Telvo  |    V80  C    |",
    " |___________________|                    a: Zelnor Brunvicco      |     135%     |",
    "                                                                   |______________|",
    "  ___________________                ___________________",
    " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       ",
    " |   Metropolitana   |              |      380T         |",
    " |___________________|              |___________________|",
    "",
    "  Questo treno essendo una metropolitana è a schema libero, si conosce solo l'ora di partenza",
    "  e l'ora di arrivo, ho inserito anche le variazioni di velocità e l'ora di arrivo partenza in",
    "  una stazione principale, il treno ferma in TUTTE le stazioni del percorso tranne che alla ",
    "  fermata che simula gli scambi della stazione di Brunvicco",
    "  ________________________________________________________________________________",
    " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |",
    " | Lim.|Marc.|          |  Rs |                            |                |     |",
    k_rule_row,
    k_empty_row,
    " | 80  |     | 0        |     | Cascina Telvo              | 6.30           |     |",
    k_empty_row,
    " | 60  |     | 2.200    |     | Inizio tratto sottoterra   | 6.34.30        |     |",
    k_empty_row,
    " |     |     | 6.000    |     | Lorvio                     | 6.41           |     |",
    k_empty_row,
    " | 30  |     | 17.200   |     | Scambi 'Brunvicco'         | 7.01           |     |",
    k_empty_row,
    " |     |     | 18.200   |     | Brunvicco                  | 7.04           |     |",
    // Twenty-one empty rows leave room for the driver's own notes below the timetable.
    k_empty_row,
    k_empty_row,
    k_empty_row,
    k_empty_row,
    k_empty_row,
    k_empty_row,
    k_empty_row,
    k_empty_row,
    k_empty_row,
    k_empty_row,
    k_empty_row,
    k_empty_row,
    k_empty_row,
    k_empty_row,
    k_empty_row,
    k_empty_row,
    k_empty_row,
    k_empty_row,
    k_empty_row,
    k_empty_row,
    k_empty_row,
    k_rule_row,
    "",
    k_end_marker,
};
// clang-format on

static_assert(std::size(k_timetable_sheet) == 54, "53 lines and the end marker");

}  // namespace

std::span<const std::string_view> timetable_sheet_table() { return k_timetable_sheet; }

void dati_scheda(run_state& state) {
    write_fixed_text(state, file_kind::timetable_sheet, timetable_sheet_table(),
                     platform::file_life::lasting);
}

}  // namespace scenario
