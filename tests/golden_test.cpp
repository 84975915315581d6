// The bytes of every file the scenario package writes, pinned by the golden files of
// tests/golden: the files a run leaves, the two description texts, and the binary files of small
// scenarios that reach the other kinds of record. Everything runs in-process, so the Windows
// build checks the same bytes. SCENARIO_UPDATE_GOLDEN=1 rewrites the golden files (see
// golden_files.h).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compile/description_source.h"
#include "describe/descriptions.h"
#include "golden_files.h"
#include "output/binary_files.h"
#include "run/run_sequence.h"
#include "base/scenario_files.h"
#include "testkit/test_support.h"

namespace scenario {
namespace {

using testing::golden_form;
using testing::read_bytes;
using testing::source_goldens;

struct golden_file {
    file_kind kind;
    const char* golden;
    golden_form form;
};

// The line geometry file runs to hundreds of kilobytes: only its digest is kept.
constexpr golden_file k_run_files[] = {
    {file_kind::notes, "run/note.txt", golden_form::whole},
    {file_kind::slow_order_sheet, "run/rallentamenti.txt", golden_form::whole},
    {file_kind::timetable_sheet, "run/scheda_treno.txt", golden_form::whole},
    {file_kind::line_geometry, "run/linea.dat", golden_form::digest},
    {file_kind::header_table, "run/treno.sim", golden_form::whole},
    {file_kind::cells, "run/treno.dat", golden_form::whole},
};

TEST(GoldenProgramRun, LeavesTheSixFilesOfTheGoldenFiles) {
    testing::scratch_directory dir;
    Form1 form;
    form.interactive = false;
    form.state = testing::state_in(dir.path());
    ASSERT_EQ(form.Form_Load(), k_exit_ok);
    EXPECT_EQ(form.state.codice_errore, 0);

    EXPECT_EQ(testing::file_names(dir.path()).size(), std::size(k_run_files));
    for (const golden_file& f : k_run_files) {
        const auto file = scenario_file(form.state, f.kind);
        ASSERT_TRUE(std::filesystem::is_regular_file(file)) << f.golden;
        EXPECT_TRUE(source_goldens().check(f.golden, read_bytes(file), f.form));
    }
}

// The run deletes the two texts once compiled; their writers are called alone here.
TEST(GoldenDescriptions, BothTextsAsTheirWritersLeaveThem) {
    struct writer_case {
        void (*writer)(run_state&);
        file_kind kind;
        const char* golden;
    };
    const writer_case cases[] = {
        {dati_linea, file_kind::line_description, "descriptions/linea.txt"},
        {dati_treno, file_kind::train_description, "descriptions/treno.txt"},
    };
    for (const writer_case& c : cases) {
        testing::scratch_directory dir;
        run_state state = testing::state_in(dir.path());
        c.writer(state);
        EXPECT_TRUE(source_goldens().check(c.golden, read_bytes(scenario_file(state, c.kind)),
                                           golden_form::whole));
    }
}

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

std::string text_of(const std::vector<std::string_view>& lines) {
    std::string text;
    for (const std::string_view line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

const scenario_case k_scenarios[] = {
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

TEST(GoldenScenarios, SmallScenariosCompileToTheGoldenBinaryFiles) {
    for (const scenario_case& c : k_scenarios) {
        SCOPED_TRACE(c.name);
        run_state state;
        state.nome_linea = c.nome_linea;
        state.codice_treno = c.codice_treno;
        memory_descriptions texts(text_of(c.line), text_of(c.train));
        const compile_outcome outcome = compila_scenario(state, c.crea_geometria, texts);
        ASSERT_TRUE(outcome.writes_files());
        EXPECT_EQ(state.codice_errore, c.codice_errore);
        for (const cell_kind kind : c.cell_kinds) {
            EXPECT_TRUE(std::ranges::any_of(state.celle,
                                            [kind](const cella& x) { return kind_of(x) == kind; }))
                << "no cell of kind " << int{byte_of(kind)};
        }

        const std::string folder = std::string("scenarios/") + c.name + "/";
        // As the program writes them: the geometry only when it was built.
        if (c.crea_geometria != 0) {
            EXPECT_TRUE(source_goldens().check(
                folder + "linea.dat", serialise_geometria(state.geometria), golden_form::digest));
        }
        EXPECT_TRUE(source_goldens().check(folder + "treno.sim", serialise_testata(state.testata),
                                           golden_form::whole));
        EXPECT_TRUE(source_goldens().check(folder + "treno.dat", serialise_celle(state.celle),
                                           golden_form::whole));
    }
}

}  // namespace
}  // namespace scenario
