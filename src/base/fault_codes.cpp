#include "base/fault_codes.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace scenario {
namespace {

using enum fault_code;
constexpr fault_text k_line = fault_text::line;
constexpr fault_text k_train = fault_text::train;

constexpr std::array k_table = {
    fault_descriptor{route_too_long, k_line, false, true,
                     "lunghezza del percorso oltre il massimo"},
    fault_descriptor{progressive_not_whole, k_line, false, false,
                     "progressiva chilometrica con un valore non multiplo di 50"},
    fault_descriptor{repetition_first, k_line, false, true,
                     "ripetizione segnali: il primo valore non è un multiplo di 50"},
    fault_descriptor{repetition_second, k_line, false, true,
                     "ripetizione segnali: il secondo valore non è un multiplo di 50"},
    fault_descriptor{repetition_digit, k_line, false, true,
                     "ripetizione segnali: la parola chiave non contiene né \"4\" né \"9\""},
    fault_descriptor{sign_cell_taken, k_line, true, true,
                     "cartello di indicazione su una cella già occupata"},
    fault_descriptor{value_mark_cell_taken, k_train, true, true,
                     "abbattimento su una cella già occupata"},
    fault_descriptor{station_position, k_train, true, true,
                     "posizione della stazione non multipla di 50 m"},
    fault_descriptor{platform_length, k_train, true, true,
                     "lunghezza del marciapiede non multipla di 100 m"},
    fault_descriptor{too_many_stations, k_train, false, true,
                     "troppe stazioni per le voci della testata"},
    fault_descriptor{no_cell_before_signal, fault_text::spacing, true, false,
                     "nessuna cella libera per il segno di valore prima di un segnale"},
    fault_descriptor{no_cell_ahead_of_start, fault_text::spacing, true, false,
                     "nessuna cella libera per il segno di valore davanti a un inizio di "
                     "rallentamento"},
    fault_descriptor{no_cell_in_slow_order, fault_text::spacing, true, false,
                     "nessuna cella libera per il segno di valore lungo un rallentamento"},
    fault_descriptor{beyond_cells, fault_text::either, true, false,
                     "posizione fuori dalle celle: il testo non è letto oltre"},
    fault_descriptor{signal_cell_taken, k_train, true, true, "segnale su una cella già occupata"},
    fault_descriptor{warning_board_taken, k_train, true, true,
                     "rallentamento: la cella del cartello di avviso è già occupata"},
    fault_descriptor{start_board_taken, k_train, true, true,
                     "rallentamento: la cella del cartello di inizio è già occupata"},
    fault_descriptor{end_board_taken, k_train, true, true,
                     "rallentamento: la cella del cartello di fine è già occupata"},
    fault_descriptor{approach_cell_taken, k_train, true, true,
                     "rallentamento: una delle celle di approccio è già occupata"},
    fault_descriptor{speed_board_cell_taken, k_line, true, true,
                     "cartello indicatore di velocità su una cella già occupata"},
    fault_descriptor{stations_too_close, k_train, true, true,
                     "marciapiede troppo vicino a quello della stazione precedente"},
    fault_descriptor{stop_too_early, k_train, false, true,
                     "la fermata della stazione cadrebbe nella cella 1 o prima"},
    fault_descriptor{run_time_failure, fault_text::either, false, true,
                     "errore di esecuzione nel compilatore"},
    fault_descriptor{no_line_text, k_line, false, true, "testo della linea mancante"},
    fault_descriptor{no_generale, k_line, false, true, "sezione \"[generale]\" non trovata"},
    fault_descriptor{curve, k_line, false, true,
                     "curva senza classe da 1 a 6, o tracciata oltre l'ultimo punto"},
    fault_descriptor{identity_marker, fault_text::identity, false, false,
                     "la prima parola della cella 1 è già occupata: nessun file binario"},
    fault_descriptor{identity_code, fault_text::identity, false, false,
                     "la seconda parola della cella 1 è già occupata: nessun file binario"},
};

constexpr bool in_increasing_order() {
    for (std::size_t i = 1; i < k_table.size(); ++i) {
        if (value_of(k_table[i - 1].code) >= value_of(k_table[i].code)) return false;
    }
    return true;
}
static_assert(in_increasing_order(), "the fault table is searched by halves");

}  // namespace

std::span<const fault_descriptor> fault_table() { return k_table; }

const fault_descriptor* find_fault(std::int32_t value) {
    const auto at = std::lower_bound(
        k_table.begin(), k_table.end(), value,
        [](const fault_descriptor& row, std::int32_t v) { return value_of(row.code) < v; });
    return at != k_table.end() && value_of(at->code) == value ? &*at : nullptr;
}

const fault_descriptor& describe(fault_code code) {
    const fault_descriptor* row = find_fault(value_of(code));
    if (row == nullptr) std::abort();  // a code without a row is a mistake of this file
    return *row;
}

}  // namespace scenario
