// Writes the description texts the browser tests of `scenario-tool view` compile: the program's
// own two texts as its writers leave them, or a synthetic scenario of a given length. Prints the
// line's name and the train's code, one a line, for the test to pass on to the tool.
//
//   scenario_view_fixtures program DIR
//   scenario_view_fixtures synthetic DIR METRES
//
// For live mode, it also writes the page a server would send and the data it would serve as
// "dati", from a compile of the texts in DIR:
//
//   scenario_view_fixtures live DIR LINE TRAIN PAGE.html DATA.json
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "base/scenario_files.h"
#include "session/compile_session.h"
#include "describe/descriptions.h"
#include "run/run_sequence.h"
#include "testkit/synthetic_scenario.h"
#include "testkit/test_support.h"
#include "view/view_data.h"
#include "view/view_page.h"

namespace {

int usage() {
    std::cerr << "uso: scenario_view_fixtures program DIR | synthetic DIR METRI | "
                 "live DIR LINEA TRENO PAGINA DATI\n";
    return 2;
}

int live(const std::filesystem::path& dir, const std::string& line, const std::string& train,
         const std::filesystem::path& page, const std::filesystem::path& data) {
    scenario::tool::scenario_request request;
    request.dir_word = dir.string();
    request.dir = dir;
    request.out_dir = dir;
    request.line = line;
    request.train = train;
    const auto compiled = scenario::tool::compile_scenario_texts(request);
    const std::string json = scenario::tool::view_data_json(*compiled);
    scenario::testing::write_bytes(page, scenario::tool::view_page_html(json, true));
    scenario::testing::write_bytes(data, json);
    return 0;
}

void write_text(const std::filesystem::path& dir, const std::string& line, const std::string& train,
                scenario::file_kind kind, const std::string& text) {
    scenario::testing::write_bytes(
        dir / scenario::path_from_utf8(scenario::scenario_file_name(line, train, kind)), text);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    const std::string what = argv[1];
    const std::filesystem::path dir = argv[2];
    if (what == "program" && argc == 3) {
        std::filesystem::create_directories(dir);
        scenario::run_state state = scenario::testing::state_in(dir);
        scenario::dati_linea(state);
        scenario::dati_treno(state);
        std::cout << scenario::k_nome_linea << '\n' << scenario::k_codice_treno << '\n';
        return 0;
    }
    if (what == "synthetic" && argc == 4) {
        std::filesystem::create_directories(dir);
        scenario::synthetic_size size;
        size.route_length = std::atoi(argv[3]);
        // About one station every two kilometres, with slow orders, boards and signs between.
        size.stations = std::clamp(size.route_length / 2000, 1, 60);
        size.slow_orders = std::max(1, size.route_length / 12000);
        size.signals = size.stations + 6 * size.slow_orders + size.route_length / 3000;
        size.boards = size.stations + 6 * size.slow_orders + size.route_length / 6000;
        size.signs = std::min(4, size.stations);
        size.mountains = std::min(80, size.route_length / 10000);
        const scenario::synthetic_texts texts = scenario::make_synthetic_scenario(size);
        const std::string line = "Linea di prova";
        const std::string train = "P" + std::to_string(size.route_length / 1000);
        write_text(dir, line, train, scenario::file_kind::line_description, texts.line);
        write_text(dir, line, train, scenario::file_kind::train_description, texts.train);
        std::cout << line << '\n' << train << '\n';
        return 0;
    }
    if (what == "live" && argc == 7) return live(dir, argv[3], argv[4], argv[5], argv[6]);
    return usage();
}
