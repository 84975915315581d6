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

#include "base/scenario_files.h"
#include "compile/description_source.h"
#include "describe/descriptions.h"
#include "golden_files.h"
#include "golden_scenarios.h"
#include "output/binary_files.h"
#include "run/run_sequence.h"
#include "testkit/test_support.h"

namespace scenario {
namespace {

using testing::golden_form;
using testing::k_scenarios;
using testing::read_bytes;
using testing::scenario_case;
using testing::source_goldens;
using testing::text_of;

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
