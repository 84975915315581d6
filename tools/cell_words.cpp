// The names and places of the cell kinds. A cell that points into the header table (a station's
// stop cell, an information sign) is named after the entry it points to.
#include "cell_words.h"

#include "output/windows1252.h"

namespace scenario::tool {

std::string_view cell_kind_name(int kind) {
    switch (kind) {
        case 0:
            return "binario libero";
        case 1:
            return "segnale";
        case 2:
            return "fine rallentamento";
        case 3:
            return "inizio rallentamento";
        case 4:
            return "avviso di rallentamento";
        case 5:
            return "approccio a un rallentamento";
        case 6:
            return "cartello indicatore di velocità";
        case 10:
            return "fermata di stazione";
        case 11:
            return "segno di scenario";
        case 12:
            return "segno di valore (abbattimento)";
        case 13:
            return "segno di abbattimento senza valore";
        case 14:
            return "cartello di indicazione";
        default:
            return "tipo sconosciuto";
    }
}

double feature_metres(const cella& c, std::size_t n) {
    const double index = static_cast<double>(n);
    switch (c.tipo_cella) {
        case 10:
            return (index + 1) * 50;
        case 11:
        case 12:
        case 13:
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
        case 0:
            return "nulla" + kind;
        case 1:
            return "un segnale" + kind;
        case 2:
            return "la fine di un rallentamento" + kind;
        case 3:
            return "l'inizio di un rallentamento" + kind;
        case 4:
            return "il cartello di avviso di un rallentamento" + kind;
        case 5:
            return "una cella di approccio a un rallentamento" + kind;
        case 6:
            return "un cartello indicatore di velocità" + kind;
        case 10:
            return "la fermata della stazione" + entry_name(c.val1) + kind;
        case 12:
            return "un segno di valore " + std::to_string(c.val1) + kind;
        case 13:
            return "un segno di abbattimento" + kind;
        case 14:
            return "il cartello di indicazione" + entry_name(c.val1) + kind;
        default:
            return "un elemento" + kind;
    }
}

}  // namespace scenario::tool
