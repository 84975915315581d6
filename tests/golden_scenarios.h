// The small golden scenarios: texts of their own that reach the kinds of record the program's
// scenario does not, each compiled to the binary files kept under tests/golden/scenarios. The
// golden test pins their bytes; the round trip of decompile starts from the same texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/records.h"

namespace scenario::testing {

// A small scenario of its own, compiled the way the program compiles its texts.
struct scenario_case {
    const char* name;  // its folder of golden files, scenarios/NAME
    const char* nome_linea;
    const char* codice_treno;
    std::int32_t crea_geometria;
    std::vector<std::string_view> line;  // Windows-1252 lines, joined with CR LF
    std::vector<std::string_view> train;
    std::int32_t codice_errore;
    std::vector<cell_kind> cell_kinds;  // kinds the cells must hold, so each case keeps its aim
};

inline std::string text_of(const std::vector<std::string_view>& lines) {
    std::string text;
    for (const std::string_view line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

inline const scenario_case k_scenarios[] = {
    // The plan geometry of curves of both hands, gradients, mountains and every general value.
    {"collina",
     "Collina",
     "C1",
     1,
     {"[generale]",
      "lunghezza percorso, 3000",
      "progressiva chilometrica uno, 12000, 500, 1",
      "progressiva chilometrica due, 6000, 0, 0",
      "progressiva chilometrica tre, 0, 0, 0",
      "sfondo uno, 1",
      "sfondo due, 2",
      "sfondo tre, 3",
      "ripetizione segnali 4 codici, 100, 150",
      "[curve]",
      "curvad1, 200, 300",
      "curvas3, 800, 400",
      "curvad6, 1500, 200",
      "curvas2, 2000, 600",
      "[pendenze]",
      "pendenza, 0, 0",
      "pendenza, 500, 12",
      "pendenza, 1200, -30",
      "pendenza, 2100, 5",
      "[montagne]",
      "montagna, 400, 900, 2",
      "montagna, 1600, 2400, 13",
      "[fine]"},
     {"[generale]", "numero vetture, 4", "percentuale massa frenata, 110", "sabbia, 90",
      "orologio, 7 15 0", "[aderenze]", "aderenza, 0, 100", "aderenza, 1500, 80", "[vel_limite]",
      "velocita, 0, 60", "velocita, 1000, 90", "velocita, 2500, 40", "[fine]"},
     0,
     {cell_kind::plain, cell_kind::scenery_mark}},
    // Signals, slow orders with and without approach cells, the marks of the spacing pass, and
    // speed-indicator boards; no geometry.
    {"segnali",
     "Segnali",
     "S2",
     0,
     {"[generale]", "lunghezza percorso, 5000", "ripetizione segnali 4 codici, 50, 50",
      "[cartelli]", "indicatori_vmax, 400, 80, 70, 70, 0, , , , 0",
      "indicatori_vmax, 2600, 50, 40, 40, 1, 45, 60, 60, 1", "[fine]"},
     {"[generale]", "numero vetture, 6", "[aderenze]", "aderenza, 0, 100", "[vel_limite]",
      "velocita, 0, 80", "velocita, 4000, 50", "[rallentamenti]",
      "rallentamento, 3000, 30, 500, 1, 1, 0", "rallentamento, 4400, 50, 200, 1, 0, 2", "[segnali]",
      "segnale, 750, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0", "segnale, 1200, 2, 4, 1, 1, 0, 2, 2, 1, 1, 230",
      "segnale, 2000, 1, 3, 1, 1, 0, 2, 2, 1, 1, 50", "segnale, 3800, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0",
      "[fine]"},
     0,
     {cell_kind::signal, cell_kind::slow_order_end, cell_kind::slow_order_start,
      cell_kind::slow_order_warning, cell_kind::slow_order_approach, cell_kind::speed_board,
      cell_kind::value_mark}},
    // Stations of four kinds, information signs and "abbattimento" marks, then a second signal
    // on one cell: error 16 ends the train pass, and the files are written all the same. The line
    // name and a station name carry an accented letter.
    {"stazioni",
     "Val Città",
     "V3",
     0,
     {"[generale]", "lunghezza percorso, 6000", "sfondo uno, 2", "[cartelli]",
      "indicatori_vmax, 300, 60, 60, 60, 0, , , , 0", "[indicazioni]",
      "cartello_indicatore, 1400, (FERMATA)(A RICHIESTA)",
      "cartello_indicatore, 3900, \"VIA, PIAZZA\"", "[fine]"},
     {"[generale]",
      "numero vetture, 3",
      "percentuale massa frenata, 140",
      "orologio, 23 58 30",
      "[aderenze]",
      "aderenza, 0, 95",
      "[vel_limite]",
      "velocita, 0, 60",
      "[stazioni]",
      "stazione, 1000, 12, 200, 0, 0, 0, 1,1,0, 4,1,1, 20, 23,59,10, Capolinea Nord",
      "stazione, 2500, 27, 200, 0, 0, 0, 0,0,0, 0,0,0, 10, 0,1,0, Ponte",
      "stazione, 4000, 11, 300, 1, 0, 1, 1,1,0, 2,1,1, 30, 0,3,20, Citt\xe0 Alta",
      "stazione, 5400, 5, 200, 0, 0, 0, 0,0,0, 0,0,0, 0, 0,5,0, Deposito",
      "abbattimento, 3000, 70",
      "abbattimento, 3300, 0",
      "[segnali]",
      "segnale, 1700, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0",
      "segnale, 3100, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0",
      "segnale, 3100, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0",
      "segnale, 4700, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0",
      "[fine]"},
     16,
     {cell_kind::station_stop, cell_kind::information_sign, cell_kind::value_mark,
      cell_kind::empty_value_mark, cell_kind::signal, cell_kind::speed_board}},
};

}  // namespace scenario::testing
