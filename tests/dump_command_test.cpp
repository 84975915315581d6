// `scenario-tool dump` run in-process on the program's own files and on small scenarios: each file
// in the records' terms, the JSON views member by member, damaged files with their byte offset,
// and the identity codes held against the names.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>

#include "base/scenario_files.h"
#include "cli/command_line.h"
#include "compile/description_source.h"
#include "describe/descriptions.h"
#include "output/binary_files.h"
#include "output/binary_readers.h"
#include "run/run_sequence.h"
#include "scenario_texts.h"
#include "testkit/test_support.h"
#include "tool_in_process.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace scenario {
namespace {

using namespace testing;

#ifndef _WIN32
// A file name that is not UTF-8 (on Linux a name is any bytes) still gives valid JSON: each
// stray byte reads as U+FFFD.
TEST(DumpCommand, JsonOfANameThatIsNotUtf8IsStillValid) {
    scratch_directory dir;
    const std::string name = dir.path().string() + "/x\xFF\xC3.sim";
    write_bytes(name, "damaged");
    const auto result = scenario_tool({"dump", name, "--json"});
    EXPECT_EQ(result.exit_status, 3);
    const json report = parsed(result.standard_output);
    ASSERT_FALSE(report.is_discarded()) << result.standard_output;
    EXPECT_EQ(report["file"], dir.path().string() + "/x\xEF\xBF\xBD\xEF\xBF\xBD.sim");
    EXPECT_EQ(report["danneggiato"], true);
}
#endif

TEST(DumpCommand, DumpShowsTheHeaderTableOfTheRealScenario) {
    scratch_directory dir;
    compile_real_scenario(dir.path());
    const std::string header = shown(real_file(dir.path(), file_kind::header_table));
    const auto result = scenario_tool({"dump", header});
    ASSERT_EQ(result.exit_status, 0) << result.standard_error;
    EXPECT_EQ(result.standard_error, "");
    const std::string& out = result.standard_output;
    EXPECT_TRUE(contains(out, "stazioni (20):"));
    const auto& stations = testing::k_program_station_names;
    for (int i = 0; i < 20; ++i) {
        const std::string n = std::to_string(i + 1);
        const std::string line =
            output_line(out, "  stazione " + n + " \"" + stations[i] + "\" a ", "");
        EXPECT_TRUE(line.ends_with(" [voce " + n + "]")) << stations[i] << ": " << line;
    }
    const char* pieces[] = {
        // The worked example of the first station: platform -150 to 150, 6:30:00.
        "\n  stazione 1 \"Cascina Telvo\" a 0 m: tipo 12 (con fermata), marciapiede da -150 a 150 "
        "m "
        "(lungo 300 m), orario 6:30:00 (23400 s) [voce 1]\n"
        "      valori 4-13 del record: 0, 0, 0, 1, 1, 0, 4, 1, 1, 1 (v_flag, v_b4, v_b3, v_i1, "
        "v_i2, v_b1, v_i3, v_i4, v_i5, v_b2)\n",
        "\n  stazione 5 \"Lostrave FS\" a 4000 m: tipo 25 (senza fermata), marciapiede da 3900 a "
        "4100 m (lungo 200 m), orario 6:34:00 (23640 s) [voce 5]\n",
        "\n  cartello_indicatore 1: \"(INIZIO TRATTA)(SOTTERRANEA  )\" [voce 80]\n",
        "\n  cartello_indicatore 2: \"(DA ORA FINO ALLA)(FINE TRATTA     )(IN SOTTERANEA   )\" "
        "[voce 79]\n",
        "\n  lunghezza percorso [voce 84, v_b]: 22000 m; celle da 0 a 580, corsa oltre la fine da "
        "22000 a 29000 m\n"
        "  percentuale massa frenata [voce 84, v_a]: 125 %\n"
        "  numero vetture [voce 84, v_c]: 6\n"
        "  nome della linea [voce 85, v_nome]: \"Metrò 2 - Zelnor\"\n"
        "  sfondo uno [voce 85, v_a]: 1\n"
        "  sfondo due [voce 85, v_c]: 0\n"
        "  sfondo tre [voce 85, v_b]: 0\n"
        "  marcatore [voce 85, v_i1]: 610\n"
        "  codice di identità [voce 85, v_l]: 30721",
        "\n  codice del treno [voce 86, v_nome]: \"26BRUNVICCO\"\n"
        "  ripetizione segnali [voce 86, v_a, v_b]: 0 e 0\n"
        "  codici di ripetizione [voce 86, v_c]: 0\n"
        "  sabbia [voce 86, v_i1]: 125\n"
        "  orologio [voce 86, v_i3, v_i4, v_i5]: 6:29:30\n",
        "\n  prima progressiva chilometrica [voce 81]: a 0, b 0, c 0\n",
    };
    for (const char* piece : pieces) EXPECT_TRUE(contains(out, piece)) << piece << "\nin\n" << out;

    const auto json_result = scenario_tool({"dump", header, "--json"});
    ASSERT_EQ(json_result.exit_status, 0) << json_result.standard_error;
    const json table = parsed(json_result.standard_output);
    ASSERT_FALSE(table.is_discarded()) << json_result.standard_output;
    EXPECT_EQ(table["tipo"], "testata");
    const json& entries = table["voci"];
    ASSERT_EQ(entries.size(), 87u);
    for (int i = 0; i < 87; ++i) EXPECT_EQ(entries[i]["voce"], i);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(entries[i + 1]["ruolo"], "stazione") << i + 1;
        EXPECT_EQ(entries[i + 1]["v_nome"], stations[i]) << i + 1;
    }
    EXPECT_EQ(entries[1]["v_a"], -150);
    EXPECT_EQ(entries[1]["v_b"], 150);
    EXPECT_EQ(entries[1]["v_l"], 23400);
    EXPECT_EQ(entries[80]["ruolo"], "cartello");
    EXPECT_EQ(entries[80]["v_nome"], "(INIZIO TRATTA)(SOTTERRANEA  )");
    EXPECT_EQ(entries[79]["ruolo"], "cartello");
    EXPECT_EQ(entries[84]["ruolo"], "treno");
    EXPECT_EQ(entries[84]["v_b"], 22000);
    EXPECT_EQ(entries[85]["ruolo"], "linea");
    EXPECT_EQ(entries[85]["v_nome"], "Metrò 2 - Zelnor");
    EXPECT_EQ(entries[85]["v_i1"], 610);
    EXPECT_EQ(entries[85]["v_l"], 30721);
    EXPECT_EQ(entries[86]["ruolo"], "codici");
    EXPECT_EQ(entries[86]["v_nome"], "26BRUNVICCO");
    EXPECT_EQ(entries[86]["v_i1"], 125);
    // Beside the record's fields, the entry's name and its fields by what they hold.
    EXPECT_EQ(entries[1]["nome"], "stazione 1");
    EXPECT_EQ(entries[80]["nome"], "cartello_indicatore 1");
    EXPECT_EQ(entries[79]["nome"], "cartello_indicatore 2");
    EXPECT_EQ(entries[81]["nome"], "prima progressiva chilometrica");
    EXPECT_EQ(entries[84]["nome"], "treno");
    EXPECT_TRUE(entries[0]["nome"].is_null());
    EXPECT_EQ(entries[0]["campi"], json::array());
    EXPECT_EQ(entries[84]["campi"], json::parse(R"([
        {"campo":"v_a", "nome":"percentuale massa frenata", "valore":125, "unita":"%"},
        {"campo":"v_b", "nome":"lunghezza percorso", "valore":22000, "unita":"m"},
        {"campo":"v_c", "nome":"numero vetture", "valore":6, "unita":""}])"));
    const auto named = [](const json& fields) {
        json kept = json::object();
        for (const json& f : fields) kept[f["nome"].get<std::string>()] = f["valore"];
        return kept;
    };
    EXPECT_EQ(named(entries[85]["campi"]), json::parse(R"({"nome della linea":"Metrò 2 - Zelnor",
        "sfondo uno":1, "sfondo due":0, "sfondo tre":0, "marcatore":610,
        "codice di identità":30721})"));
    EXPECT_EQ(named(entries[86]["campi"]), json::parse(R"({"codice del treno":"26BRUNVICCO",
        "ripetizione segnali, primo valore":0, "ripetizione segnali, secondo valore":0,
        "codici di ripetizione":0, "sabbia":125, "orologio, ore":6, "orologio, minuti":29,
        "orologio, secondi":30})"));
    EXPECT_EQ(named(entries[1]["campi"]), json::parse(R"j({"posizione":0, "tipo":12,
        "inizio del marciapiede":-150, "fine del marciapiede":150,
        "lunghezza del marciapiede":300, "valore 4":0, "valore 5":0,
        "valore 6 (prolungamento)":0, "valore 7":1, "valore 8":1, "valore 9":0, "valore 10":4,
        "valore 11":1, "valore 12":1, "valore 13":1, "orario":23400,
        "nome":"Cascina Telvo"})j"));
    EXPECT_EQ(entries[80]["campi"], json::parse(R"j([{"campo":"v_nome", "nome":"testo",
        "valore":"(INIZIO TRATTA)(SOTTERRANEA  )", "unita":""}])j"));
}

TEST(DumpCommand, DumpShowsTheCellsAndTheGeometryOfTheRealScenario) {
    scratch_directory dir;
    compile_real_scenario(dir.path());
    const std::string cell_file = shown(real_file(dir.path(), file_kind::cells));
    const auto cells = scenario_tool({"dump", cell_file});
    ASSERT_EQ(cells.exit_status, 0) << cells.standard_error;
    const char* pieces[] = {
        "celle: 581 (da 0 a 580); la cella N copre il tratto da (N - 1) × 50 a N × 50 m\n",
        "cella 1: marcatore 5121, codice di identità 2389",
        "percorso: 22000 m (\"lunghezza percorso\" della testata, voce 84 v_b); corsa oltre la "
        "fine: 7000 m, celle da 441 a 580\n",
        "\n  cella 2 (50–100 m): fermata di stazione: stazione 1 \"Cascina Telvo\" a 0 m, fine del "
        "marciapiede a 150 m; nessun preavviso [tipo 10]\n",
        "\n  cella 9 (400–450 m): cartello indicatore di velocità a 400 m: vas 80 km/h, vbs 80 "
        "km/h, "
        "vcs 80 km/h, strisces 0, vad 0 km/h, vbd 0 km/h, vcd 0 km/h, strisced 0 [tipo 6]\n",
        "\n  cella 36 (1750–1800 m): segnale a 1750 m: sx 2, s1 3, s2 1, s3 1, rapp 0, dx 2, d1 2, "
        "d2 1, d3 1, tempo 0; preavvisi sulle celle 34, 32, 30, 28 [tipo 1]\n",
        "\n  cella 105 (5200–5250 m): segnale a 5200 m: sx 2, s1 4, s2 1, s3 1, rapp 0, dx 2, d1 "
        "2, "
        "d2 1, d3 1, tempo 230; preavvisi sulle celle 103, 101, 99, 97 [tipo 1]\n",
        "\n  cella 44 (2150–2200 m): cartello di indicazione a 2150 m: voce del testo 80 "
        "\"(INIZIO TRATTA)(SOTTERRANEA  )\" [tipo 14]\n",
        "\n  cella 201 (10000–10050 m): fermata di stazione: stazione 11 \"Moravaldi FS\" a 10000 "
        "m, "
        "fine del marciapiede a 10100 m; preavvisi sulle celle 200, 199, 198, 197 [tipo 10]\n",
        "\n  cella 368 (18350–18400 m): fermata di stazione: stazione 20 \"Brunvicco\" a 18300 m, "
        "fine del marciapiede a 18450 m; preavvisi sulle celle 367, 366, 365, 364 [tipo 10]\n"
        "  -- fine del percorso a 22000 m, nella cella 441 (22000–22050 m): oltre, 7000 m di corsa "
        "fino alla cella 580 --\n\n",
        "\n  80 km/h da 0 a 2200 m (celle 0–43: da -50 a 2150 m)\n",
        "\n  60 km/h da 2200 a 17200 m (celle 44–343: da 2150 a 17150 m)\n",
        "\n  30 km/h da 17200 a 28900 m (celle 344–577: da 17150 a 28850 m)\n",
        "\n  0 km/h da 28900 a 29050 m (celle 578–580: da 28850 a 29000 m), oltre la fine del "
        "percorso\n",
        "\n  -25 ‰ da 2100 a 2900 m (celle 42–57: da 2050 a 2850 m)\n",
        "\n  100 da 0 a 28900 m (celle 0–577: da -50 a 28850 m)\n",
        "\n  2 da 2200 a 2250 m (cella 44: da 2150 a 2200 m)\n",
        "\n  cella 34 (1650–1700 m): 81, preavviso 1 del segnale a 1750 m (cella 36)\n",
        "\n  cella 197 (9800–9850 m): 84, preavviso 4 della fermata di stazione 11 \"Moravaldi "
        "FS\" "
        "(cella 201)\n",
    };
    for (const char* piece : pieces) EXPECT_TRUE(contains(cells.standard_output, piece)) << piece;

    const auto cells_json = scenario_tool({"dump", cell_file, "--json", "--all"});
    ASSERT_EQ(cells_json.exit_status, 0) << cells_json.standard_error;
    const json view = parsed(cells_json.standard_output);
    ASSERT_FALSE(view.is_discarded());
    EXPECT_EQ(view["tipo"], "celle");
    EXPECT_EQ(view["numero_celle"], 581);
    EXPECT_EQ(view["identita"], json::parse(R"({"codice":2389,"atteso":2389,"corrisponde":true})"));
    const json stop = json::parse(R"({"cella":2, "posizione":150, "tipo_cella":10,
        "nome_tipo":"fermata di stazione",
        "descrizione":"fermata di stazione: stazione 1 \"Cascina Telvo\" a 0 m, fine del marciapiede a 150 m; nessun preavviso [tipo 10]",
        "record":"stazione", "metri":0, "cella_da":50, "cella_a":100, "valori":{"stazione":1},
        "nome":"Cascina Telvo", "preavvisi":[], "rallentamento":null})");
    EXPECT_NE(std::find(view["elementi"].begin(), view["elementi"].end(), stop),
              view["elementi"].end())
        << view["elementi"];
    const json signal = json::parse(R"({"cella":36, "posizione":1750, "tipo_cella":1,
        "nome_tipo":"segnale",
        "descrizione":"segnale a 1750 m: sx 2, s1 3, s2 1, s3 1, rapp 0, dx 2, d1 2, d2 1, d3 1, tempo 0; preavvisi sulle celle 34, 32, 30, 28 [tipo 1]",
        "record":"segnale", "metri":1750, "cella_da":1750, "cella_a":1800,
        "valori":{"sx":2, "s1":3, "s2":1, "s3":1, "rapp":0, "dx":2, "d1":2, "d2":1, "d3":1,
                  "tempo":0},
        "nome":null, "preavvisi":[34, 32, 30, 28], "rallentamento":null})");
    EXPECT_NE(std::find(view["elementi"].begin(), view["elementi"].end(), signal),
              view["elementi"].end())
        << view["elementi"];
    EXPECT_EQ(view["vel_limite_kmh"], json::parse(R"([
        {"da_cella":0, "a_cella":43, "valore":80, "unita":"km/h", "da_metri":0, "a_metri":2200,
         "cella_da":-50, "cella_a":2150, "oltre_la_fine":false},
        {"da_cella":44, "a_cella":343, "valore":60, "unita":"km/h", "da_metri":2200,
         "a_metri":17200, "cella_da":2150, "cella_a":17150, "oltre_la_fine":false},
        {"da_cella":344, "a_cella":577, "valore":30, "unita":"km/h", "da_metri":17200,
         "a_metri":28900, "cella_da":17150, "cella_a":28850, "oltre_la_fine":false},
        {"da_cella":578, "a_cella":580, "valore":0, "unita":"km/h", "da_metri":28900,
         "a_metri":29050, "cella_da":28850, "cella_a":29000, "oltre_la_fine":true}])"));
    const auto cells_and_value = [](const json& runs) {
        json kept = json::array();
        for (const json& r : runs) kept.push_back({r["da_cella"], r["a_cella"], r["valore"]});
        return kept;
    };
    EXPECT_EQ(cells_and_value(view["aderenza"]), json::parse("[[0, 577, 100], [578, 580, 0]]"));
    EXPECT_EQ(view["pendenza"][1]["unita"], "‰");
    EXPECT_EQ(view["pendenza"][1]["valore"], -25);
    EXPECT_EQ(view["percorso"], json::parse(R"({"lunghezza":22000, "dalla_testata":true,
        "prima_cella_oltre":441, "ultima_cella":580, "corsa_oltre":7000})"));
    ASSERT_EQ(view["preavvisi"].size(), 144u);  // 33 signals and 3 stops, four marks each
    EXPECT_EQ(view["preavvisi"][3], json::parse(R"({"cella":14, "valore":81, "cella_da":650,
        "cella_a":700, "numero":1, "di":[16]})"));
    ASSERT_EQ(view["celle"].size(), 581u);
    EXPECT_EQ(view["celle"][36],
              json::parse(R"({"cella":36,"tipo_cella":1,"val1":32,"val2":11,"val3":11,"val4":8,
                              "tempo_segnale":0,"preavviso":0,"sfondo":0,"vel_limite":16,
                              "pendenza":100,"aderenza":100})"));

    const std::string plan_file = shown(real_file(dir.path(), file_kind::line_geometry));
    const auto plan = scenario_tool({"dump", plan_file});
    ASSERT_EQ(plan.exit_status, 0) << plan.standard_error;
    EXPECT_TRUE(contains(plan.standard_output, "metri da 0 a 29000 (58002 elementi: 4 interi"));
    EXPECT_TRUE(contains(plan.standard_output,
                         "\npercorso: metri da 0 a 22000, poi 7000 m di corsa oltre la fine fino "
                         "al metro 29000\n"));
    EXPECT_TRUE(contains(plan.standard_output, "punti tracciati: 28997 (metri da 2 a 28998)"));
    EXPECT_TRUE(contains(plan.standard_output, "metro 28998 (-4094.1"));
    EXPECT_TRUE(contains(plan.standard_output, "metro 2000: (0.00, 2000.00)"));
    const auto all = scenario_tool({"dump", plan_file, "--all"});
    EXPECT_TRUE(contains(all.standard_output, "metro 2600: (-58.54, 2588.21)"));
    EXPECT_TRUE(contains(all.standard_output, "metro 29000: vuoto"));

    // Every point of the JSON view reads back as the double of the file.
    const auto plan_json = scenario_tool({"dump", plan_file, "--json", "--all"});
    ASSERT_EQ(plan_json.exit_status, 0) << plan_json.standard_error;
    const json points_view = parsed(plan_json.standard_output);
    ASSERT_FALSE(points_view.is_discarded());
    EXPECT_EQ(points_view["ultimo_metro"], 29000);
    EXPECT_EQ(points_view["interi"], 4);
    EXPECT_EQ(points_view["vuoti"], 4);
    EXPECT_EQ(points_view["punti_tracciati"], 28997);
    EXPECT_EQ(points_view["ultimo_punto"], 28998);
    EXPECT_EQ(points_view["fine_percorso"], 22000);
    geometria geometry;
    ASSERT_TRUE(
        leggi_geometria(read_bytes(real_file(dir.path(), file_kind::line_geometry)), geometry).ok);
    const json& points = points_view["punti"];
    ASSERT_EQ(points.size(), 29001u);
    for (std::int32_t m = 0; m <= 29000; ++m) {
        for (int coord = 0; coord < 2; ++coord) {
            const json& value = points[static_cast<std::size_t>(m)][coord];
            if (geometry.kind(m, coord) == geometria::tag::empty) {
                ASSERT_TRUE(value.is_null()) << "metre " << m;
            } else {
                ASSERT_EQ(value.get<double>(), geometry.value(m, coord)) << "metre " << m;
            }
        }
    }
    EXPECT_EQ(points[2000], json::parse("[0.0, 2000.0]"));
    EXPECT_EQ(points[29000], json::parse("[null, null]"));
}

// Each view of the program's own three files, byte for byte as saved from the tool before the
// views were written a piece at a time: the SHA-256 of the whole output.
TEST(DumpCommand, ViewsOfTheRealScenarioAreTheSavedBytes) {
    scratch_directory dir;
    compile_real_scenario(dir.path());
    struct view_case {
        file_kind kind;
        std::vector<std::string> options;
        const char* sha256;
    };
    const view_case cases[] = {
        {file_kind::line_geometry,
         {},
         "dba77a47984f6041a96ad54f8e3894c0cc6786fdde07a8911cf2ea038007781c"},
        {file_kind::line_geometry,
         {"--all"},
         "12edf56cfc0699fbff67084bd1327e1de2cc0af3f64781bd4cb5090a029ead54"},
        {file_kind::line_geometry,
         {"--json"},
         "10b3808eec1c760f2e883a756d961fc220bcddd86bd60f51c0cea1ad0a242ec1"},
        {file_kind::line_geometry,
         {"--json", "--all"},
         "869c146e1b8e433812b23e3af1b139d795a24f63e557dafa178c05b9b226c019"},
        {file_kind::header_table,
         {},
         "e07a58a891d11a3c7649032d480f3efcf756fbc28e197f035ea9ec02c74d8f03"},
        {file_kind::header_table,
         {"--all"},
         "8aa26880d403526fd1c7862198a54707d112874aba4ff09013b5fa2d2279f498"},
        {file_kind::header_table,
         {"--json", "--all"},
         "4a72e75c0ac43d02d175ffd251cb38ba62f88572cd5af49d1ed43bd7a147f548"},
        {file_kind::cells, {}, "2ec353e0518b54fe35288ce7cbdaddf98054d544d928377e14da8ec3ff8a5dfd"},
        {file_kind::cells,
         {"--all"},
         "61f16eb51581f17c4b6b67db82c10e6e7f3e7729d5ca70591465417f5679b6a6"},
        {file_kind::cells,
         {"--json"},
         "494f4e692db51def8f0073003b9e7f5bead60191a618aff5c3f89e940e0dd6db"},
        {file_kind::cells,
         {"--json", "--all"},
         "110165b1f2c2c3a575791ea59f215c1fdf83cbc91f8e723b753b871351d17591"},
    };
    for (const view_case& c : cases) {
        std::vector<std::string> words = {"dump", shown(real_file(dir.path(), c.kind))};
        words.insert(words.end(), c.options.begin(), c.options.end());
        std::string asked;
        for (const std::string& w : words) asked += w + ' ';
        SCOPED_TRACE(asked);
        const auto result = scenario_tool(words);
        ASSERT_EQ(result.exit_status, 0) << result.standard_error;
        EXPECT_EQ(sha256_hex(result.standard_output), c.sha256)
            << result.standard_output.substr(0, 2000);
    }
}

// The members of each JSON view, in the order the tool writes them.
TEST(DumpCommand, JsonViewsKeepTheirMembersInOrder) {
    scratch_directory dir;
    compile_real_scenario(dir.path());
    const auto damaged = dir.path() / "cut.sim";
    write_bytes(damaged, read_bytes(real_file(dir.path(), file_kind::header_table)).substr(0, 55));
    using keys = std::vector<std::string>;
    const keys geometry = {
        "tipo",  "ultimo_metro", "interi", "reali", "vuoti",     "punti_tracciati", "ultimo_punto",
        "x_min", "x_max",        "y_min",  "y_max", "lunghezza", "fine_percorso"};
    keys geometry_all = geometry;
    geometry_all.push_back("punti");
    const keys cells = {"tipo",     "numero_celle", "identita", "elementi", "vel_limite_kmh",
                        "pendenza", "aderenza",     "sfondo",   "percorso", "preavvisi"};
    keys cells_all = cells;
    cells_all.push_back("celle");
    const struct {
        std::vector<std::string> words;
        keys top;
    } views[] = {
        {{"compile", shown(dir.path()), "--line", k_line, "--train", k_train, "--json"},
         {"codice_errore", "posizione_errore", "file", "line", "column", "message", "errori",
          "warnings", "non_compilati", "riepilogo", "files"}},
        {{"dump", shown(real_file(dir.path(), file_kind::line_geometry)), "--json"}, geometry},
        {{"dump", shown(real_file(dir.path(), file_kind::line_geometry)), "--json", "--all"},
         geometry_all},
        {{"dump", shown(real_file(dir.path(), file_kind::header_table)), "--json"},
         {"tipo", "identita", "voci"}},
        {{"dump", shown(real_file(dir.path(), file_kind::cells)), "--json"}, cells},
        {{"dump", shown(real_file(dir.path(), file_kind::cells)), "--json", "--all"}, cells_all},
        {{"dump", shown(damaged), "--json"},
         {"tipo", "file", "danneggiato", "offset", "message", "testata"}},
    };
    for (const auto& view : views) {
        SCOPED_TRACE(view.words[1] + " " + view.words.back());
        const json document = parsed(scenario_tool(view.words).standard_output);
        ASSERT_FALSE(document.is_discarded());
        EXPECT_EQ(keys_of(document), view.top);
    }

    // The members of the records inside.
    const json header = parsed(
        scenario_tool({"dump", shown(real_file(dir.path(), file_kind::header_table)), "--json"})
            .standard_output);
    EXPECT_EQ(keys_of(header["identita"]), (keys{"codice", "atteso", "corrisponde"}));
    EXPECT_EQ(keys_of(header["voci"][1]),
              (keys{"voce",   "ruolo", "v_tipo", "v_a",  "v_b",  "v_c",  "v_flag",
                    "v_nome", "v_i1",  "v_i2",   "v_i3", "v_i4", "v_i5", "v_b1",
                    "v_b2",   "v_b3",  "v_b4",   "v_l",  "nome", "campi"}));
    EXPECT_EQ(keys_of(header["voci"][1]["campi"][0]), (keys{"campo", "nome", "valore", "unita"}));
    const json cell_view = parsed(
        scenario_tool({"dump", shown(real_file(dir.path(), file_kind::cells)), "--json", "--all"})
            .standard_output);
    EXPECT_EQ(
        keys_of(cell_view["elementi"][0]),
        (keys{"cella", "posizione", "tipo_cella", "nome_tipo", "descrizione", "record", "metri",
              "cella_da", "cella_a", "valori", "nome", "preavvisi", "rallentamento"}));
    EXPECT_EQ(keys_of(cell_view["pendenza"][0]),
              (keys{"da_cella", "a_cella", "valore", "unita", "da_metri", "a_metri", "cella_da",
                    "cella_a", "oltre_la_fine"}));
    EXPECT_EQ(
        keys_of(cell_view["percorso"]),
        (keys{"lunghezza", "dalla_testata", "prima_cella_oltre", "ultima_cella", "corsa_oltre"}));
    EXPECT_EQ(keys_of(cell_view["preavvisi"][0]),
              (keys{"cella", "valore", "cella_da", "cella_a", "numero", "di"}));
    EXPECT_EQ(keys_of(cell_view["celle"][0]),
              (keys{"cella", "tipo_cella", "val1", "val2", "val3", "val4", "tempo_segnale",
                    "preavviso", "sfondo", "vel_limite", "pendenza", "aderenza"}));
}

// The real scenario's files, damaged one at a time. Offsets: entry 1 of the header names
// "Cascina Telvo" from byte 50 on; an all-zero header has entry 85 at 85 x 34 = 2890 and its
// marker 16 bytes in; the plan's coordinate 0 takes 8 + 28997 x 10 + 2 x 2 bytes; the longest
// route's plan has 2 x 1007001 = 2014002 elements, and an empty one takes 2 bytes.
struct damaged_case {
    const char* what;
    file_kind kind;
    std::function<std::string(const std::string&)> damage;
    const char* fault;  // "byte N: ..." as the text view gives it
    std::size_t offset;
    bool names_header;  // the fault lies between the cells and the header table beside them
};

const damaged_case k_damaged[] = {
    {"cell file cut inside a cell", file_kind::cells,
     [](const std::string& b) { return b.substr(0, 8714); }, "byte 8700: cella 580 troncata", 8700,
     false},
    {"header table cut in a name", file_kind::header_table,
     [](const std::string& b) { return b.substr(0, 55); }, "byte 50: nome della voce 1 troncato",
     50, false},
    {"unknown geometry tag", file_kind::line_geometry,
     [](std::string b) {
         b[4] = 7;  // the tag of element 1 (metre 1 of coordinate 0), after the integer 0
         return b;
     },
     "byte 4: elemento 1: tipo sconosciuto 7", 4, false},
    {"zero-filled header table", file_kind::header_table,
     [](const std::string& b) { return std::string(b.size(), '\0'); },
     "byte 2906: voce 85: marcatore 0 invece di 610", 2906, false},
    {"zero-filled cell file", file_kind::cells,
     [](const std::string& b) { return std::string(b.size(), '\0'); },
     "byte 16: cella 1: marcatore 0 invece di 5121", 16, false},
    {"cell file cut to whole cells", file_kind::cells,
     [](const std::string& b) { return b.substr(0, 8700); },
     "byte 8700: 580 celle, ma la lunghezza del percorso nella testata (voce 84, 22000 m) ne dà "
     "581",
     8700, true},
    {"geometry cut by 4 bytes", file_kind::line_geometry,
     [](const std::string& b) { return b.substr(0, b.size() - 4); },
     "byte 289980: elemento 29000, metro 0 della coordinata 1: vuoto invece dell'intero 0", 289980,
     false},
    {"geometry past the longest route", file_kind::line_geometry,
     [](const std::string&) { return std::string(2 * 2014002 + 4, '\0'); },
     "byte 4028004: elemento 2014002 di troppo", 4028004, false},
};

std::string kind_name(file_kind kind) {
    switch (kind) {
        case file_kind::line_geometry:
            return "geometria";
        case file_kind::header_table:
            return "testata";
        default:
            return "celle";
    }
}

TEST(DumpCommand, DamagedFilesGiveTheByteOffsetAndExitThree) {
    scratch_directory compiled;
    compile_real_scenario(compiled.path());
    for (const damaged_case& c : k_damaged) {
        SCOPED_TRACE(c.what);
        scratch_directory dir;
        for (const file_kind kind : k_binary_kinds) {
            std::filesystem::copy_file(real_file(compiled.path(), kind),
                                       real_file(dir.path(), kind));
        }
        const auto file = real_file(dir.path(), c.kind);
        write_bytes(file, c.damage(read_bytes(file)));
        const std::string header = shown(real_file(dir.path(), file_kind::header_table));

        const auto text = scenario_tool({"dump", shown(file)});
        EXPECT_EQ(text.exit_status, 3);
        EXPECT_EQ(text.standard_output, "");
        const std::string start =
            "scenario-tool: errore: " + shown(file) + ": file danneggiato: " + c.fault;
        EXPECT_EQ(text.standard_error.rfind(start, 0), 0u) << text.standard_error;
        EXPECT_EQ(text.standard_error.find('\n'), text.standard_error.size() - 1)
            << text.standard_error;
        EXPECT_EQ(text.standard_error.ends_with(" (testata: " + header + ")\n"), c.names_header)
            << text.standard_error;

        const auto json_result = scenario_tool({"dump", shown(file), "--json"});
        EXPECT_EQ(json_result.exit_status, 3);
        EXPECT_EQ(json_result.standard_error, "");
        const json report = parsed(json_result.standard_output);
        ASSERT_FALSE(report.is_discarded()) << json_result.standard_output;
        EXPECT_EQ(report["tipo"], kind_name(c.kind));
        EXPECT_EQ(report["file"], shown(file));
        EXPECT_EQ(report["danneggiato"], true);
        EXPECT_EQ(report["offset"], c.offset);
        // The message is the text view's, without "byte N: " and the header's name.
        const std::string reason = std::string(c.fault).substr(std::string(c.fault).find(": ") + 2);
        const std::string message = report["message"].get<std::string>();
        EXPECT_EQ(message.rfind(reason, 0), 0u) << message;
        EXPECT_TRUE(
            contains(text.standard_error, ": byte " + std::to_string(c.offset) + ": " + message))
            << message;
        EXPECT_EQ(report["testata"], c.names_header ? json(header) : json(nullptr));
    }
}

// A geometry whose compile stopped before seeding it (error 3 in [generale]) holds no point.
TEST(DumpCommand, DumpOfAnEmptyGeometrySaysNothingWasTraced) {
    scratch_directory dir;
    write_bytes(file_in(dir.path(), "L", "T", file_kind::line_description),
                "[generale]\r\nlunghezza percorso, 5000\r\nripetizione segnali 4 codici, 25, "
                "0\r\n[fine]\r\n");
    write_bytes(file_in(dir.path(), "L", "T", file_kind::train_description), k_train_ok);
    ASSERT_EQ(scenario_tool(compile_words(dir.path(), "L", "T")).exit_status, 1);
    const auto plan = shown(file_in(dir.path(), "L", "T", file_kind::line_geometry));
    const auto text = scenario_tool({"dump", plan});
    EXPECT_EQ(text.exit_status, 0) << text.standard_error;
    EXPECT_TRUE(contains(text.standard_output,
                         "metri da 0 a 12000 (24002 elementi: 0 interi, 0 reali, 24002 vuoti)\n"
                         "percorso: metri da 0 a 5000, poi 7000 m di corsa oltre la fine fino al "
                         "metro 12000\nnessun punto tracciato"))
        << text.standard_output;
    const auto json_result = scenario_tool({"dump", plan, "--json"});
    EXPECT_EQ(json_result.exit_status, 0) << json_result.standard_error;
    const json view = parsed(json_result.standard_output);
    ASSERT_FALSE(view.is_discarded()) << json_result.standard_output;
    EXPECT_EQ(view["ultimo_metro"], 12000);
    EXPECT_EQ(view["vuoti"], 24002);
    EXPECT_EQ(view["punti_tracciati"], 0);
    EXPECT_TRUE(view["ultimo_punto"].is_null());
    EXPECT_EQ(view["lunghezza"], 0);
    EXPECT_EQ(view["fine_percorso"], 5000);
}

// The identity codes held against the names of the header table: entry 85's weighted code in
// the header dump, cell 1's sum in the cell dump; without a name there is nothing to hold them
// against. "26BRUNVICCA" puts 'a' (97) for 'o' (111) at character 11 of the identity string: the
// sum drops by 14 to 2375, the weighted code by 14 x 11 to 30567.
TEST(DumpCommand, DumpSaysWhetherTheIdentityCodesMatchTheNames) {
    scratch_directory compiled;
    compile_real_scenario(compiled.path());
    const std::string matches = " (corrisponde a linea e treno della testata)";
    const std::string differs = " (non corrisponde a linea e treno della testata, che danno ";
    struct identity_case {
        const char* what;
        std::function<void(testata&)> change;
        std::string header_note;  // after "codice di identità" and the code of entry 85
        const char* header_json;  // the header view's "identita"
        std::string cell_note;    // after "codice di identità 2389"
        const char* cell_json;    // the cell view's "identita"
    };
    const identity_case cases[] = {
        {"as compiled", [](testata&) {}, matches,
         R"({"codice":30721,"atteso":30721,"corrisponde":true})", matches,
         R"({"codice":2389,"atteso":2389,"corrisponde":true})"},
        {"another code in entry 85", [](testata& h) { h[k_entry_linea].v_l = 30720; },
         differs + "30721)", R"({"codice":30720,"atteso":30721,"corrisponde":false})", matches,
         R"({"codice":2389,"atteso":2389,"corrisponde":true})"},
        {"another train code", [](testata& h) { h[k_entry_codici].v_nome = "26BRUNVICCA"; },
         differs + "30567)", R"({"codice":30721,"atteso":30567,"corrisponde":false})",
         differs + "2375)", R"({"codice":2389,"atteso":2375,"corrisponde":false})"},
        {"no train code", [](testata& h) { h[k_entry_codici].v_nome.clear(); }, "\n", "null", "\n",
         "null"},
    };
    for (const identity_case& c : cases) {
        SCOPED_TRACE(c.what);
        scratch_directory dir;
        const auto header_file = shown(real_file(dir.path(), file_kind::header_table));
        const auto cell_file = shown(real_file(dir.path(), file_kind::cells));
        std::filesystem::copy_file(real_file(compiled.path(), file_kind::cells),
                                   real_file(dir.path(), file_kind::cells));
        testata header;
        ASSERT_TRUE(
            leggi_testata(read_bytes(real_file(compiled.path(), file_kind::header_table)), header)
                .ok);
        c.change(header);
        write_bytes(real_file(dir.path(), file_kind::header_table), serialise_testata(header));

        const std::string code = std::to_string(header[k_entry_linea].v_l);
        const auto text = scenario_tool({"dump", header_file});
        ASSERT_EQ(text.exit_status, 0) << text.standard_error;
        const std::string header_line =
            output_line(text.standard_output, "  codice di identità [voce 85, v_l]: ", "");
        // The whole line: the note, or nothing after the code ("\n").
        EXPECT_EQ(header_line + "\n", "  codice di identità [voce 85, v_l]: " + code +
                                          c.header_note + (c.header_note == "\n" ? "" : "\n"))
            << text.standard_output;
        const json header_view =
            parsed(scenario_tool({"dump", header_file, "--json"}).standard_output);
        EXPECT_EQ(header_view["identita"], json::parse(c.header_json));

        const auto cells = scenario_tool({"dump", cell_file});
        ASSERT_EQ(cells.exit_status, 0) << cells.standard_error;
        EXPECT_TRUE(
            contains(cells.standard_output,
                     std::string("cella 1: marcatore 5121, codice di identità 2389") + c.cell_note))
            << output_line(cells.standard_output, "cella 1:", "marcatore");
        const json cell_view = parsed(scenario_tool({"dump", cell_file, "--json"}).standard_output);
        EXPECT_EQ(cell_view["identita"], json::parse(c.cell_json));
    }
}

// A damaged header table beside the cells is named in a warning; the cells are shown without it.
TEST(DumpCommand, CellsBesideADamagedHeaderAreShownWithoutIt) {
    scratch_directory dir;
    compile_real_scenario(dir.path());
    const auto header = real_file(dir.path(), file_kind::header_table);
    write_bytes(header, read_bytes(header).substr(0, 55));
    const auto result = scenario_tool({"dump", shown(real_file(dir.path(), file_kind::cells))});
    EXPECT_EQ(result.exit_status, 0) << result.standard_error;
    EXPECT_EQ(
        result.standard_error,
        "scenario-tool: avviso: " + shown(header) +
            ": file danneggiato: byte 50: nome della voce 1 troncato: lunghezza dichiarata 13 "
            "byte, ne restano 5; le celle sono mostrate senza la testata\n");
    EXPECT_TRUE(
        contains(result.standard_output, "cella 1: marcatore 5121, codice di identità 2389\n"));
    // Without the header table the route length comes from the cell count, the signs and stops
    // are named by their entries only, and a stop has no station position.
    const char* pieces[] = {
        "percorso: circa 22000 m (dal numero delle celle, a meno di 25 m: la testata non c'è); "
        "corsa oltre la fine: 7000 m, celle da 441 a 580\n",
        "  cella 44 (2150–2200 m): cartello di indicazione a 2150 m: voce del testo 80 [tipo 14]\n",
        "  cella 2 (50–100 m): fermata di stazione: stazione 1, fine del marciapiede a 150 m; "
        "nessun preavviso [tipo 10]\n",
        "  cella 197 (9800–9850 m): 84, preavviso 4 della fermata di stazione 11 (cella 201)\n",
    };
    for (const char* piece : pieces) EXPECT_TRUE(contains(result.standard_output, piece)) << piece;
    const json view =
        parsed(scenario_tool({"dump", shown(real_file(dir.path(), file_kind::cells)), "--json"})
                   .standard_output);
    EXPECT_TRUE(view["identita"].is_null());
    const json& stop = view["elementi"][0];
    EXPECT_EQ(stop["valori"], json::parse(R"({"stazione":1})"));
    EXPECT_TRUE(stop["metri"].is_null()) << stop;  // the station's position is in the header
    EXPECT_TRUE(stop["nome"].is_null()) << stop;
    EXPECT_EQ(view["percorso"]["dalla_testata"], false);
    EXPECT_EQ(view["percorso"]["lunghezza"], 22000);
}

// The header dump of a small scenario, line by line: the stations of each platform layout with
// the items of their record, the signs in the order of their records, the scalar values by the
// records that fill them, the progressives in the compiler's order, and a field no record fills.
TEST(DumpCommand, DumpShowsTheHeaderInTheRecordsTerms) {
    scratch_directory dir;
    write_bytes(file_in(dir.path(), "L", "T", file_kind::line_description),
                "[generale]\r\nlunghezza percorso, 5000\r\nsfondo due, 22\r\n"
                "progressiva chilometrica uno, 100, 200, 1\r\n[indicazioni]\r\n"
                "cartello_indicatore, 400, (UNO)\r\ncartello_indicatore, 500, (DUE)\r\n[fine]\r\n");
    // The second station's values 4 to 13 are all different; its fifth is dropped (a platform
    // shorter than 600 m) and its sixth lengthens the platform by 50 m.
    write_bytes(
        file_in(dir.path(), "L", "T", file_kind::train_description),
        train_with("stazione, 0, 27, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6, 0, 0, Inizio\r\n"
                   "stazione, 1000, 12, 200, 4, 5, 1, 7, 8, 9, 10, 11, 12, 13, 6, 30, 15, "
                   "Centrale\r\n"
                   "stazione, 2000, 5, 300, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6, 40, 0, Prima\r\n"
                   "stazione, 3000, 7, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6, 50, 0, Ambo\r\n"));
    ASSERT_EQ(scenario_tool(compile_words(dir.path(), "L", "T")).exit_status, 0);
    const auto header_file = file_in(dir.path(), "L", "T", file_kind::header_table);
    // A field no record fills, set by hand, is shown under its entry.
    testata header;
    ASSERT_TRUE(leggi_testata(read_bytes(header_file), header).ok);
    header[k_entry_treno].v_i2 = 7;
    write_bytes(header_file, serialise_testata(header));

    const auto dump = scenario_tool({"dump", shown(header_file)});
    ASSERT_EQ(dump.exit_status, 0) << dump.standard_error;
    const std::string fields = " (v_flag, v_b4, v_b3, v_i1, v_i2, v_b1, v_i3, v_i4, v_i5, v_b2)\n";
    const std::string lines[] = {
        "stazioni (4):\n",
        "  stazione 1 \"Inizio\" a 0 m: tipo 27 (senza fermata), marciapiede da -50 a 50 m (lungo "
        "100 m), orario 6:00:00 (21600 s) [voce 1]\n",
        "  stazione 2 \"Centrale\" a 1000 m: tipo 12 (con fermata), marciapiede da 900 a 1150 m "
        "(lungo 200 m), orario 6:30:15 (23415 s) [voce 2]\n"
        "      valori 4-13 del record: 4, 0, 1, 7, 8, 9, 10, 11, 12, 13" +
            fields,
        "  stazione 3 \"Prima\" a 2000 m: tipo 5 (con fermata), marciapiede da 1700 a 2150 m "
        "(lungo 300 m), orario 6:40:00 (24000 s) [voce 3]\n",
        "  stazione 4 \"Ambo\" a 3000 m: tipo 7 (con fermata), marciapiede da 2800 a 3200 m (lungo "
        "200 m), orario 6:50:00 (24600 s) [voce 4]\n",
        "cartelli di indicazione (2):\n  cartello_indicatore 1: \"(UNO)\" [voce 80]\n"
        "  cartello_indicatore 2: \"(DUE)\" [voce 79]\n",
        "  lunghezza percorso [voce 84, v_b]: 5000 m; celle da 0 a 240, corsa oltre la fine da "
        "5000 a 12000 m\n",
        "  voce 84, altri campi:  v_i2 7\n",
        "  sfondo uno [voce 85, v_a]: 0\n  sfondo due [voce 85, v_c]: 22\n"
        "  sfondo tre [voce 85, v_b]: 0\n",
        "  prima progressiva chilometrica [voce 81]: a 100, b 300, c 1\n"
        "  seconda progressiva chilometrica [voce 82]: a 0, b 0, c 0\n",
    };
    std::size_t from = 0;
    for (const std::string& line : lines) {
        const std::size_t at = dump.standard_output.find("\n" + line, from);
        EXPECT_NE(at, std::string::npos) << line << "in\n" << dump.standard_output;
        if (at != std::string::npos) from = at + 1;
    }
    const json view = parsed(scenario_tool({"dump", shown(header_file), "--json"}).standard_output);
    ASSERT_FALSE(view.is_discarded());
    const json& centrale = view["voci"][2]["campi"];
    ASSERT_EQ(centrale.size(), 17u);
    EXPECT_EQ(centrale[3], json::parse(R"({"campo":"v_b", "nome":"fine del marciapiede",
                                           "valore":1150, "unita":"m"})"));
    EXPECT_EQ(centrale[4], json::parse(R"({"campo":null, "nome":"lunghezza del marciapiede",
                                           "valore":200, "unita":"m"})"));
    EXPECT_EQ(view["voci"][3]["campi"][4]["valore"], 300);  // before the position: p - L
    EXPECT_EQ(view["voci"][79]["nome"], "cartello_indicatore 2");
}

// The cell dump of small scenarios, line by line, in the words of their records: a signal with
// its approach marks (and marks another signal wrote over), a slow order with its boards, its
// approach cells and the marks the compiler adds around it, stations, and the route's end.
TEST(DumpCommand, DumpShowsTheCellsInTheRecordsTerms) {
    const std::string signals = train_with(
        "segnale, 1750, 1, 3, 1, 1, 0, 0, 2, 1, 1, 50\r\n"    // sides 1 and 0: marks 31 to 34
        "segnale, 1850, 2, 3, 1, 1, 0, 2, 2, 1, 1, 50\r\n" +  // marks over the first one's
        signal_at(100));                                      // only one mark above cell 0
    const std::string compiler_mark =
        "abbattimento: valore 180 (il valore dei segni che il compilatore pone da sé intorno ai "
        "rallentamenti) [tipo 12]\n";
    const struct {
        const char* what;
        std::string line;
        std::string train;
        std::vector<std::string> lines;  // whole lines of the text view, in this order
    } cases[] = {
        {"signals and their approach marks",
         k_line_ok,
         signals,
         {"  cella 3 (100–150 m): segnale a 100 m: sx 2, s1 3, s2 1, s3 1, rapp 0, dx 2, d1 2, d2 "
          "1, "
          "d3 1, tempo 0; preavviso sulla cella 1 [tipo 1]",
          "  cella 36 (1750–1800 m): segnale a 1750 m: sx 1, s1 3, s2 1, s3 1, rapp 0, dx 0, d1 2, "
          "d2 1, d3 1, tempo 0; preavviso sulla cella 28 [tipo 1]",
          "  cella 38 (1850–1900 m): segnale a 1850 m: sx 2, s1 3, s2 1, s3 1, rapp 0, dx 2, d1 2, "
          "d2 1, d3 1, tempo 101; preavvisi sulle celle 36, 34, 32, 30 [tipo 1]",
          "preavvisi (6):", "  cella 1 (0–50 m): 81, preavviso 1 del segnale a 100 m (cella 3)",
          "  cella 28 (1350–1400 m): 34, preavviso 4 del segnale a 1750 m (cella 36)",
          "  cella 30 (1450–1500 m): 84, preavviso 4 del segnale a 1850 m (cella 38)",
          "  cella 32 (1550–1600 m): 83, preavviso 3 del segnale a 1850 m (cella 38)",
          "  cella 34 (1650–1700 m): 82, preavviso 2 del segnale a 1850 m (cella 38)",
          "  cella 36 (1750–1800 m): 81, preavviso 1 del segnale a 1850 m (cella 38)"}},
        {"a slow order",
         k_line_ok,
         train_with("rallentamento, 4000, 30, 500, 1, 1, 2\r\n"),
         {"  cella 53 (2600–2650 m): approccio a un rallentamento: numero 4, d_v diverso da 0; "
          "inizio a 4000 m (cella 81); fine a 4500 m (cella 91); cartello di avviso a 2800 m "
          "(cella 57) [tipo 5]",
          "  cella 56 (2750–2800 m): approccio a un rallentamento: numero 1, d_v diverso da 0; "
          "inizio a 4000 m (cella 81); fine a 4500 m (cella 91); cartello di avviso a 2800 m "
          "(cella 57) [tipo 5]",
          "  cella 57 (2800–2850 m): avviso di rallentamento a 2800 m: v 30 km/h, d_v 2; inizio a "
          "4000 m (cella 81); fine a 4500 m (cella 91) [tipo 4]",
          "  cella 63 (3100–3150 m): " + compiler_mark,
          "  cella 81 (4000–4050 m): inizio rallentamento a 4000 m: v 30 km/h, f_tt 1, d_v 2; fine "
          "a 4500 m (cella 91); l 500 m; cartello di avviso a 2800 m (cella 57) [tipo 3]",
          "  cella 89 (4400–4450 m): " + compiler_mark,
          "  cella 91 (4500–4550 m): fine rallentamento a 4500 m: v 30 km/h, f_tt 1, d_v 2; inizio "
          "a 4000 m (cella 81); cartello di avviso a 2800 m (cella 57) [tipo 2]"}},
        {"a slow order without d_v nor approach cells",
         k_line_ok,
         train_with("rallentamento, 1500, 60, 50, 0, 1, 0\r\n"),
         {"  cella 31 (1500–1550 m): inizio rallentamento a 1500 m: v 60 km/h, f_tt 0, d_v 0; fine "
          "a 1550 m (cella 32); l 50 m [tipo 3]",
          "  cella 32 (1550–1600 m): fine rallentamento a 1550 m: v 60 km/h, f_tt 0, d_v 0; inizio "
          "a 1500 m (cella 31) [tipo 2]"}},
        {"stations, with and without approach marks",
         k_line_ok,
         train_with(station_at(1000, 12, 200) + station_at(2000, 5, 200) +
                    station_at(3000, 27, 200)),
         {"  cella 21 (1000–1050 m): fermata di stazione: stazione 1 \"Prova\" a 1000 m, fine del "
          "marciapiede a 1100 m; preavvisi sulle celle 20, 19, 18, 17 [tipo 10]",
          "  cella 42 (2050–2100 m): fermata di stazione: stazione 2 \"Prova\" a 2000 m, fine del "
          "marciapiede a 2150 m; nessun preavviso [tipo 10]",
          "  -- fine del percorso a 5000 m, nella cella 101 (5000–5050 m): oltre, 7000 m di corsa "
          "fino alla cella 240 --",
          "preavvisi (4):",
          "  cella 17 (800–850 m): 84, preavviso 4 della fermata di stazione 1 \"Prova\" (cella "
          "21)",
          "  cella 20 (950–1000 m): 81, preavviso 1 della fermata di stazione 1 \"Prova\" (cella "
          "21)"}},
        {"the route's end between two cells' starts, and a signal past it",
         "[generale]\r\nlunghezza percorso, 5025\r\n[fine]\r\n",
         train_with(signal_at(5500)),
         {"percorso: 5025 m (\"lunghezza percorso\" della testata, voce 84 v_b); corsa oltre la "
          "fine: 7000 m, celle da 101 a 240",
          "elementi sulle celle (1):",
          "  -- fine del percorso a 5025 m, nella cella 101 (5000–5050 m): oltre, 7000 m di corsa "
          "fino alla cella 240 --",
          "  cella 111 (5500–5550 m): segnale a 5500 m: sx 2, s1 3, s2 1, s3 1, rapp 0, dx 2, d1 "
          "2, "
          "d2 1, d3 1, tempo 0; preavvisi sulle celle 109, 107, 105, 103 [tipo 1]",
          "  -100 ‰ da 11900 a 12050 m (celle 238–240: da 11850 a 12000 m), oltre la fine del "
          "percorso"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        scratch_directory dir;
        write_bytes(file_in(dir.path(), "L", "T", file_kind::line_description), c.line);
        write_bytes(file_in(dir.path(), "L", "T", file_kind::train_description), c.train);
        const auto compiled = scenario_tool(compile_words(dir.path(), "L", "T"));
        ASSERT_EQ(compiled.exit_status, 0) << compiled.standard_error;
        const auto dump =
            scenario_tool({"dump", shown(file_in(dir.path(), "L", "T", file_kind::cells))});
        ASSERT_EQ(dump.exit_status, 0) << dump.standard_error;
        std::size_t from = 0;
        for (std::string line : c.lines) {
            if (!line.ends_with("\n")) line += "\n";
            const std::size_t at = dump.standard_output.find("\n" + line, from);
            EXPECT_NE(at, std::string::npos) << line << "in\n" << dump.standard_output;
            if (at != std::string::npos) from = at + 1;
        }
    }
}

// Cells no record can have written are shown as the file holds them: values outside what the
// record's items give, a kind no record lays, a mark no signal or stop lays.
TEST(DumpCommand, DumpShowsCellsNoRecordWrites) {
    scratch_directory dir;
    write_bytes(file_in(dir.path(), "L", "T", file_kind::line_description), k_line_ok);
    write_bytes(file_in(dir.path(), "L", "T", file_kind::train_description),
                train_with(signal_at(1750)));
    ASSERT_EQ(scenario_tool(compile_words(dir.path(), "L", "T")).exit_status, 0);
    const auto cell_file = file_in(dir.path(), "L", "T", file_kind::cells);
    celle cells;
    ASSERT_TRUE(leggi_celle(read_bytes(cell_file), cells).ok);
    cells[36].val1 = 100;  // s1 × 10 + d1 with both below 10 stays below 100
    cells[50].tipo_cella = 7;
    cells[50].val1 = 3;
    cells[60].preavviso = 55;
    write_bytes(cell_file, serialise_celle(cells));

    const auto dump = scenario_tool({"dump", shown(cell_file)});
    ASSERT_EQ(dump.exit_status, 0) << dump.standard_error;
    const char* lines[] = {
        "  cella 36 (1750–1800 m): segnale a 1750 m: valori che nessun record \"segnale\" scrive "
        "(val1 100, val2 11, val3 11, val4 8, tempo_segnale 0); preavvisi sulle celle 34, 32, 30, "
        "28 [tipo 1]\n",
        "  cella 50 (2450–2500 m): tipo sconosciuto: val1 3, val2 0, val3 0, val4 0, tempo_segnale "
        "0 [tipo 7]\n",
        "  cella 60 (2950–3000 m): 55, di nessun segnale né fermata\n",
    };
    for (const char* line : lines) {
        EXPECT_TRUE(contains(dump.standard_output, std::string("\n") + line))
            << line << "in\n"
            << dump.standard_output;
    }
    const json view = parsed(scenario_tool({"dump", shown(cell_file), "--json"}).standard_output);
    ASSERT_FALSE(view.is_discarded());
    const json& elements = view["elementi"];
    ASSERT_EQ(elements.size(), 2u) << elements;
    EXPECT_TRUE(elements[0]["valori"].is_null()) << elements[0];
    EXPECT_EQ(elements[0]["metri"], 1750);
    EXPECT_EQ(elements[1]["record"], "");
    EXPECT_TRUE(elements[1]["valori"].is_null()) << elements[1];
    EXPECT_TRUE(elements[1]["metri"].is_null()) << elements[1];
    EXPECT_EQ(view["preavvisi"].back()["di"], json::array());
}

// Neighbouring cells never show the same stretch, whatever rule laid their features: the metre
// a point record names starts its cell's stretch, the one a fill record names ends it. Two
// records that name the same metre under the two rules, an "abbattimento" and a signal at
// 1750 m, keep their metre on two cells that meet there.
TEST(DumpCommand, DumpShowsNeighbouringCellsApart) {
    scratch_directory dir;
    write_bytes(file_in(dir.path(), "L", "T", file_kind::line_description),
                line_with("indicatori_vmax, 1800, 80, 80, 80, 0, , , , 0\r\n"
                          "cartello_indicatore, 1850, (TESTO)\r\n"));
    write_bytes(file_in(dir.path(), "L", "T", file_kind::train_description),
                train_with("abbattimento, 1700, 90\r\nabbattimento, 1750, 120\r\n" +
                           signal_at(1750) + "abbattimento, 1950, 0\r\n" + signal_at(1950)));
    ASSERT_EQ(scenario_tool(compile_words(dir.path(), "L", "T")).exit_status, 0);
    const std::string cells = shown(file_in(dir.path(), "L", "T", file_kind::cells));
    const json view = parsed(scenario_tool({"dump", cells, "--json"}).standard_output);
    ASSERT_FALSE(view.is_discarded());
    struct expected {
        int cell;
        const char* kind;
        std::int64_t metre;
    };
    const expected features[] = {
        {34, "abbattimento", 1700},
        {35, "abbattimento", 1750},
        {36, "segnale", 1750},
        {37, "cartello indicatore di velocità", 1800},
        {38, "cartello di indicazione", 1850},
        {39, "abbattimento senza valore", 1950},
        {40, "segnale", 1950},
    };
    const json& elements = view["elementi"];
    ASSERT_EQ(elements.size(), std::size(features)) << elements;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const json& e = elements[i];
        const expected& f = features[i];
        SCOPED_TRACE(f.cell);
        EXPECT_EQ(e["cella"], f.cell);
        EXPECT_EQ(e["nome_tipo"], f.kind);
        EXPECT_EQ(e["metri"], f.metre);
        EXPECT_EQ(e["cella_da"], (f.cell - 1) * 50);
        EXPECT_EQ(e["cella_a"], f.cell * 50);
        // A point record's metre starts the stretch, a fill record's ends it.
        EXPECT_TRUE(e["metri"] == e["cella_da"] || e["metri"] == e["cella_a"]) << e;
        if (i > 0) {
            EXPECT_EQ(e["cella_da"], elements[i - 1]["cella_a"]);
        }
    }
    const std::string text = scenario_tool({"dump", cells}).standard_output;
    for (const expected& f : features) {
        const std::string place = "  cella " + std::to_string(f.cell) + " (" +
                                  std::to_string((f.cell - 1) * 50) + "–" +
                                  std::to_string(f.cell * 50) + " m): ";
        EXPECT_EQ(output_line(text, place, "").find(f.kind), place.size()) << text;
    }
}

}  // namespace
}  // namespace scenario
