// The names and places of the cell kinds. A cell that points into the header table (a station's
// stop cell, an information sign) is named after the entry it points to.
#include "cell_words.h"

#include "base/windows1252.h"

namespace scenario::tool {

std::string_view cell_kind_name(int kind) {
    switch (kind) {
        case cell_kind::plain:
            return "binario libero";
        case cell_kind::signal:
            return "segnale";
        case cell_kind::slow_order_end:
            return "fine rallentamento";
        case cell_kind::slow_order_start:
            return "inizio rallentamento";
        case cell_kind::slow_order_warning:
            return "avviso di rallentamento";
        case cell_kind::slow_order_approach:
            return "approccio a un rallentamento";
        case cell_kind::speed_board:
            return "cartello indicatore di velocità";
        case cell_kind::station_stop:
            return "fermata di stazione";
        case cell_kind::scenery_mark:
            return "segno di scenario";
        case cell_kind::value_mark:
            return "segno di valore (abbattimento)";
        case cell_kind::empty_value_mark:
            return "segno di abbattimento senza valore";
        case cell_kind::information_sign:
            return "cartello di indicazione";
        default:
            return "tipo sconosciuto";
    }
}

double feature_metres(const cella& c, std::size_t n) {
    const double index = static_cast<double>(n);
    switch (c.tipo_cella) {
        case cell_kind::station_stop:
            return (index + 1) * 50;
        case cell_kind::scenery_mark:
        case cell_kind::value_mark:
        case cell_kind::empty_value_mark:
            return index * 50;
        default:
            return (index - 1) * 50;
    }
}

std::string cell_occupant(const run_state& state, std::int64_t cell) {
    if (cell < 0 || cell >= static_cast<std::int64_t>(state.celle.size())) {
        return "nulla (la cella è fuori dal percorso)";
    }
    const cella& c = state.celle[static_cast<std::size_t>(cell)];
    const std::string kind = " (tipo " + std::to_string(c.tipo_cella) + ")";
    const auto entry_name = [&](std::int16_t entry) -> std::string {
        if (entry < 1 || entry >= k_testata_entries) return "";
        return " \"" + from_windows1252(state.testata[static_cast<std::size_t>(entry)].v_nome) +
               "\"";
    };
    switch (c.tipo_cella) {
        case cell_kind::plain:
            return "nulla" + kind;
        case cell_kind::signal:
            return "un segnale" + kind;
        case cell_kind::slow_order_end:
            return "la fine di un rallentamento" + kind;
        case cell_kind::slow_order_start:
            return "l'inizio di un rallentamento" + kind;
        case cell_kind::slow_order_warning:
            return "il cartello di avviso di un rallentamento" + kind;
        case cell_kind::slow_order_approach:
            return "una cella di approccio a un rallentamento" + kind;
        case cell_kind::speed_board:
            return "un cartello indicatore di velocità" + kind;
        case cell_kind::station_stop:
            return "la fermata della stazione" + entry_name(c.val1) + kind;
        case cell_kind::value_mark:
            return "un segno di valore " + std::to_string(c.val1) + kind;
        case cell_kind::empty_value_mark:
            return "un segno di abbattimento" + kind;
        case cell_kind::information_sign:
            return "il cartello di indicazione" + entry_name(c.val1) + kind;
        default:
            return "un elemento" + kind;
    }
}

}  // namespace scenario::tool
