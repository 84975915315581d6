// The line description writer: the fixed text of the line "Metrò 2 - Zelnor" that the compiler
// reads back later in the same run. Its grammar is documented with the line pass
// (compile/line_pass.h); this file only holds the content.
#include "describe/descriptions.h"
#include "base/fixed_text.h"
#include "output/text_files.h"

namespace scenario {

std::span<const std::string_view> line_description_table() {
    // Spaces, commas and empty fields are part of the content: the compiler reads the three
    // empty speeds of every board as 0, and "0    ,0" as two zeros.
    static constexpr std::string_view table[] = {
        "[generale]",
        "lunghezza percorso,    22000",
        "progressiva chilometrica uno,    0,    0,    0",
        "progressiva chilometrica due,    0,    0,    0",
        "progressiva chilometrica tre,    0,    0,    0",
        "sfondo uno,    1",
        "sfondo due,    0",
        "sfondo tre,    0",
        "ripetizione segnali 4 codici,    0    ,0",
        "[curve]",
        "curvas6,  2400,  200",
        "curvad5,  4200,  300",
        "curvad5,  5200,  300",
        "curvas4,  6300,  300",
        "curvad4,  8250,  600",
        "curvas6,  10200,  600",
        "curvas3,  11200,  400",
        "curvad5,  12200,  300",
        "curvas2,  12600,  1300",
        "curvad4,  14150,  300",
        "curvad6,  15200,  200",
        "curvas3,  15400,  1000",
        "[pendenze]",
        "pendenza,   0,    0",
        "pendenza,  2100,   -25",
        "pendenza,  2900,   0",
        "[montagne]",
        "montagna,   2200,  2250,  2",
        "[cartelli]",
        "indicatori_vmax,  400,  80,  80,  80,  0,  ,  ,  ,  0",
        "indicatori_vmax,  1800,  60,  60,  60,  0,  ,  ,  ,  0",
        "indicatori_vmax,  16300,  30,  30,  30,  0,  ,  ,  ,  0",
        "[indicazioni]",
        "cartello_indicatore,  2150,   (INIZIO TRATTA)(SOTTERRANEA  )",
        "cartello_indicatore,  2200,   (DA ORA FINO ALLA)(FINE TRATTA     )(IN SOTTERANEA   )",
        "[fine]",
        k_end_marker,
    };
    return table;
}

void dati_linea(run_state& state) {
    // The compile reads this text back and deletes it within the same run.
    write_fixed_text(state, file_kind::line_description, line_description_table(),
                     platform::file_life::passing);
}

}  // namespace scenario
