// The train description writer: the fixed text of the one train of this scenario (make-up,
// clock, adhesion, speed limits, the twenty stations with their times and the thirty-three
// signals), which the train pass reads back and deletes in the same run.
#include "describe/descriptions.h"
#include "base/fixed_text.h"
#include "output/text_files.h"

namespace scenario {

std::span<const std::string_view> train_description_table() {
    // Every row is written out as the file holds it, spaces included; the signal rows follow
    // a rule (one 250 m before and one 200 m beyond each station) that a test rebuilds.
    static constexpr std::string_view table[] = {
        // General block, adhesion and speed limits.
        "[generale]",
        "numero vetture,    6",
        "percentuale massa frenata,    125",
        "sabbia,    125",
        "orologio,    6               29            30 ",
        "[aderenze]",
        "aderenza,   0,    100",
        "[vel_limite]",
        "velocita,       0,    80",
        "velocita,    2200,    60",
        "velocita,   17200,    30",
        "[stazioni]",
        // Twenty stations in ascending position; 17600 m stands for the terminal's switches.
        "stazione,       0, 12,  300,  0, 0, 0,  1,1,0,  4,1,1,    1,   6,30, 0, Cascina Telvo",
        "stazione,    1000, 27,  200,  0, 0, 0,  0,0,0,  0,0,0,   10,   6,31, 0, Trescivenago",
        "stazione,    2000, 27,  200,  0, 0, 0,  0,0,0,  0,0,0,   10,   6,32, 0, Vordano",
        "stazione,    3000, 27,  200,  0, 0, 0,  0,0,0,  0,0,0,   10,   6,33, 0, Urvio",
        "stazione,    4000, 25,  200,  0, 0, 0,  0,0,0,  0,0,0,   30,   6,34, 0, Lostrave FS",
        "stazione,    5000, 25,  200,  0, 0, 0,  0,0,0,  0,0,0,   10,   6,35, 0, Pievo",
        "stazione,    6000, 27,  200,  0, 0, 0,  0,0,0,  0,0,0,   30,   6,36, 0, Lorvio",
        "stazione,    7000, 27,  200,  0, 0, 0,  0,0,0,  0,0,0,   10,   6,37, 0, Cavuzzo",
        "stazione,    8000, 27,  200,  0, 0, 0,  0,0,0,  0,0,0,   10,   6,38, 0, Centrale FS",
        "stazione,    9000, 27,  200,  0, 0, 0,  0,0,0,  0,0,0,   10,   6,39, 0, Gorva",
        "stazione,   10000, 11,  200,  0, 0, 0,  1,1,0,  4,1,1,   20,   6,40, 0, Moravaldi FS",
        "stazione,   11000, 27,  200,  0, 0, 0,  0,0,0,  0,0,0,   10,   6,41, 0, Morsena",
        "stazione,   12000, 27,  200,  0, 0, 0,  0,0,0,  0,0,0,   10,   6,42, 0, Lenvo",
        "stazione,   13000, 27,  200,  0, 0, 0,  0,0,0,  0,0,0,   30,   6,44, 0, Cadrevo",
        "stazione,   14000, 27,  200,  0, 0, 0,  0,0,0,  0,0,0,   10,   6,45, 0, S.Anselvio",
        "stazione,   15000, 27,  200,  0, 0, 0,  0,0,0,  0,0,0,   10,   6,46, 0, S.Arvedino",
        "stazione,   16000, 27,  200,  0, 0, 0,  0,0,0,  0,0,0,   10,   6,47, 0, P.ta Tremia FS",
        "stazione,   17000, 27,  200,  0, 0, 0,  0,0,0,  0,0,0,   20,   6,48, 0, Rovelo",
        "stazione,   17600,  3,  300,  1, 0, 0,  3,1,0,  2,1,1,  130,   0, 0, 0, Scambi di "
        "Brunvicco",
        "stazione,   18300, 11,  300,  1, 0, 0,  1,1,0,  2,1,1,    0,   6,52, 0, Brunvicco",
        // No slow orders. Signals 250 m before and 200 m beyond every station.
        "[rallentamenti]",
        "[segnali]",
        "segnale,     750,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
        "segnale,    1200,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
        "segnale,    1750,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
        "segnale,    2100,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
        "segnale,    2750,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
        "segnale,    3200,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
        "segnale,    3750,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
        "segnale,    4200,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
        "segnale,    4750,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
        "segnale,    5200,   2, 4, 1,  1, 0,    2,  2,1,1, 230",
        "segnale,    5750,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
        "segnale,    6200,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
        "segnale,    6750,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
        "segnale,    7200,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
        "segnale,    7750,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
        "segnale,    8200,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
        "segnale,    8750,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
        "segnale,    9200,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
        "segnale,    9750,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
        "segnale,   10750,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
        "segnale,   11200,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
        "segnale,   11750,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
        "segnale,   12200,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
        "segnale,   12750,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
        "segnale,   13200,   2, 4, 1,  1, 0,    2,  2,1,1, 230",
        "segnale,   13750,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
        "segnale,   14200,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
        "segnale,   14750,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
        "segnale,   15200,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
        "segnale,   15750,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
        "segnale,   16200,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
        "segnale,   16750,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
        "segnale,   17200,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
        // The code section stays empty.
        "[codici]",
        "[fine]",
        k_end_marker,
    };
    return table;
}

void dati_treno(run_state& state) {
    // The compile reads this text back and deletes it within the same run.
    write_fixed_text(state, file_kind::train_description, train_description_table(),
                     platform::file_life::passing);
}

}  // namespace scenario
