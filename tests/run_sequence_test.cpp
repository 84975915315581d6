// The compile-and-write step of one run, driven in-process over description texts written into a
// scratch scenario directory: the identity errors and a compile that leaves nothing to write.
#include "run/run_sequence.h"

#include <gtest/gtest.h>

#include "line_text.h"
#include "output/binary_files.h"
#include "base/scenario_files.h"
#include "testkit/test_support.h"
#include "train_text.h"

namespace scenario {
namespace {

constexpr file_kind k_binary_files[] = {file_kind::line_geometry, file_kind::header_table,
                                        file_kind::cells};

// A window object without a window, its scenario directory a scratch directory.
class RunStep : public ::testing::Test {
   protected:
    RunStep() {
        form.interactive = false;
        form.state = testing::state_in(dir.path());
    }
    void write(file_kind kind, const std::string& bytes) {
        testing::write_bytes(scenario_file(form.state, kind), bytes);
    }
    std::string read(file_kind kind) {
        return testing::read_bytes(scenario_file(form.state, kind));
    }

    testing::scratch_directory dir;
    Form1 form;
};

struct identity_case {
    const char* name;
    const char* train_record;
    std::int32_t expected;
};

class RunSequence : public RunStep, public ::testing::WithParamInterface<identity_case> {};

// A taken identity slot ends the run through the error report, before any binary file.
TEST_P(RunSequence, IdentityFaultWritesNoBinaryFile) {
    write(file_kind::line_description, testing::program_line_text());
    write(file_kind::train_description, testing::train_text({GetParam().train_record}));
    for (const file_kind kind : k_binary_files) write(kind, "earlier");

    ::testing::internal::CaptureStderr();
    const bool went_on = form.memorizza_percorso(1);
    const std::string report = ::testing::internal::GetCapturedStderr();

    EXPECT_FALSE(went_on);
    EXPECT_EQ(report, " Errore n. " + std::to_string(GetParam().expected) + "\n");
    for (const file_kind kind : k_binary_files) EXPECT_EQ(read(kind), "earlier");
}

INSTANTIATE_TEST_SUITE_P(
    IdentitySlots, RunSequence,
    ::testing::Values(
        // A signal on cell 1 fills val1 before the marker 5121 is stamped.
        identity_case{"SignalAtZero", "segnale, 0, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0", 1250},
        // A slow order from 0 at speed 0 leaves val1 empty but its d_v in val2.
        identity_case{"SlowOrderAtZero", "rallentamento, 0, 0, 500, 0, 0, 2", 1251}),
    [](const auto& info) { return std::string(info.param.name); });

using RunSequenceWithoutCells = RunStep;

TEST_F(RunSequenceWithoutCells, NothingIsWrittenAndTheEarlierScenarioStays) {
    for (const file_kind kind : k_binary_files) write(kind, "earlier");

    // No "[generale]" section: 102, recorded only, before any cell exists.
    write(file_kind::line_description, "lunghezza percorso, 5000\r\n");
    write(file_kind::train_description, testing::train_text({}));
    EXPECT_TRUE(form.memorizza_percorso(1));
    EXPECT_EQ(form.state.codice_errore, 102);
    for (const file_kind kind : k_binary_files) EXPECT_EQ(read(kind), "earlier");
}

TEST_F(RunSequenceWithoutCells, CompileFaultStillWritesTheFiles) {
    write(file_kind::line_description, testing::program_line_text());
    // A second signal on the same cell: error 16, recorded only.
    write(file_kind::train_description,
          testing::train_text({"segnale, 1750, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0",
                               "segnale, 1750, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0"}));
    EXPECT_TRUE(form.memorizza_percorso(1));
    EXPECT_EQ(form.state.codice_errore, 16);
    EXPECT_EQ(form.state.posizione_errore, 1750);
    EXPECT_EQ(read(file_kind::cells).size(), 581u * 15u);
    EXPECT_FALSE(std::filesystem::exists(scenario_file(form.state, file_kind::train_description)));
}

}  // namespace
}  // namespace scenario
