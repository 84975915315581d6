// The driver's slow-order form ("ORDINE DI RALLENTAMENTO") for train 26. The train runs without
// slow orders, so all 26 rows of the form stay blank; the form is printed whole all the same, as
// the driver expects to find it beside the timetable sheet.
#include <iterator>

#include "base/fixed_text.h"
#include "output/text_files.h"
#include "documents/crew_documents.h"

namespace scenario {
namespace {

constexpr std::string_view k_rule_row =
    " |___|____________________________|____________|__________|_________|____________|";
constexpr std::string_view k_blank_row =
    " |   |                            |            |          |         |            |";

// One line of the document per line of source: the formatter must never split one.
// clang-format off
constexpr std::string_view k_slow_order_sheet[] = {
    "",
    "                               Modulo M. 3",
    "                           ORDINE DI RALLENTAMENTO",
    " ________________________________________________________________________________",
    "  Linea 2 ",
    "",
    "  Si ordina al macchinista del treno 26 di effettuare i seguenti rallentamenti",
    "  _______________________________________________________________________________",
    " |   |                            |Inizio dopo |          |         |            |",
    " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|",
    " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |",
    k_rule_row,
    k_blank_row,
    k_blank_row,
    k_blank_row,
    k_blank_row,
    k_blank_row,
    k_blank_row,
    k_blank_row,
    k_blank_row,
    k_blank_row,
    k_blank_row,
    k_blank_row,
    k_blank_row,
    k_blank_row,
    k_blank_row,
    k_blank_row,
    k_blank_row,
    k_blank_row,
    k_blank_row,
    k_blank_row,
    k_blank_row,
    k_blank_row,
    k_blank_row,
    k_blank_row,
    k_blank_row,
    k_blank_row,
    k_blank_row,
    k_rule_row,
    "",
    "              Prescrizioni specifiche",
    " A - Da rispettare con tutto il treno (per i treni viaggiatori)",
    " B - Interessa anche la stazione di.......",
    // The printed form has the key in this order, C after D, and its misspelling: kept as printed.
    " D - Rallentamneto N. ... e N. ...  sono contigui",
    " C - Da rispettare dalle ore ....  alle ore ..... di tutti",
    "     i giorni esclusi i seguenti:.........",
    k_end_marker,
};
// clang-format on

static_assert(std::size(k_slow_order_sheet) == 47, "46 lines and the end marker");

}  // namespace

std::span<const std::string_view> slow_order_sheet_table() { return k_slow_order_sheet; }

void dati_rallentamenti(run_state& state) {
    write_fixed_text(state, file_kind::slow_order_sheet, slow_order_sheet_table(),
                     platform::file_life::lasting);
}

}  // namespace scenario
