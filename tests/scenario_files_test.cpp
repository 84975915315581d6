#include "base/scenario_files.h"

#include <gtest/gtest.h>

#include "run/run_sequence.h"

namespace scenario {
namespace {

TEST(ScenarioFiles, NamesOfTheEightFiles) {
    const std::string line(k_nome_linea), train(k_codice_treno);
    const std::pair<file_kind, const char*> cases[] = {
        {file_kind::line_description, "Metrò 2 - Zelnor_linea.txt"},
        {file_kind::train_description, "Metrò 2 - Zelnor_26BRUNVICCO-.txt"},
        {file_kind::notes, "Metrò 2 - Zelnor_26BRUNVICCO_note.txt"},
        {file_kind::slow_order_sheet, "Metrò 2 - Zelnor_26BRUNVICCO_rallentamenti.txt"},
        {file_kind::timetable_sheet, "Metrò 2 - Zelnor_26BRUNVICCO_scheda_treno.txt"},
        {file_kind::line_geometry, "Metrò 2 - Zelnor_linea.dat"},
        {file_kind::header_table, "Metrò 2 - Zelnor_26BRUNVICCO.sim"},
        {file_kind::cells, "Metrò 2 - Zelnor_26BRUNVICCO.dat"},
    };
    for (const auto& [kind, expected] : cases) {
        EXPECT_EQ(scenario_file_name(line, train, kind), expected);
    }
}

TEST(ScenarioFiles, ErrorReportText) {
    EXPECT_EQ(error_text("1250"), " Errore n. 1250");
    EXPECT_EQ(error_text("1251"), " Errore n. 1251");
}

}  // namespace
}  // namespace scenario
