// The program as its users run it: a child process in a scenario directory of its own.
#include <gtest/gtest.h>

#include "base/scenario_files.h"
#include "testkit/test_support.h"

#ifndef _WIN32

namespace scenario {
namespace {

using testing::file_names;
using testing::read_bytes;
using testing::run_process;
using testing::scratch_directory;
using testing::write_bytes;

constexpr const char* k_program = "zelnor-scenario";

// A scenario directory holding a copy of the program, readable by every user.
std::filesystem::path install_program(const scratch_directory& dir) {
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    const auto target = dir.path() / k_program;
    std::filesystem::copy_file(SCENARIO_PROGRAM_PATH, target);
    return target;
}

std::filesystem::path in(const scratch_directory& dir, const char* utf8_name) {
    return dir.path() / path_from_utf8(utf8_name);
}

TEST(Program, RunWritesTheScenarioAndASecondRunReplacesIt) {
    scratch_directory dir;
    const auto program = install_program(dir);
    const auto cells = in(dir, "Metrò 2 - Zelnor_26BRUNVICCO.dat");
    write_bytes(cells, "earlier");

    const auto first = run_process(program, {}, {.working_directory = "/"});
    ASSERT_EQ(first.exit_status, 0) << first.standard_error;
    const std::vector<std::string> expected = {
        "Metrò 2 - Zelnor_26BRUNVICCO.dat",
        "Metrò 2 - Zelnor_26BRUNVICCO.sim",
        "Metrò 2 - Zelnor_26BRUNVICCO_note.txt",
        "Metrò 2 - Zelnor_26BRUNVICCO_rallentamenti.txt",
        "Metrò 2 - Zelnor_26BRUNVICCO_scheda_treno.txt",
        "Metrò 2 - Zelnor_linea.dat",
        k_program,
    };
    EXPECT_EQ(file_names(dir.path()), expected);
    const std::string cells_first = read_bytes(cells);
    EXPECT_EQ(cells_first.size(), 581u * 15u);
    // 2 x 29001 tags: points 0 and 1 integers, points 28999 and 29000 empty, the rest doubles.
    const std::size_t tags = 2 * 29001;
    EXPECT_EQ(read_bytes(in(dir, "Metrò 2 - Zelnor_linea.dat")).size(),
              tags * 2 + 4 * 2 + (tags - 8) * 8);

    const auto second = run_process(program, {}, {.working_directory = dir.path()});
    ASSERT_EQ(second.exit_status, 0) << second.standard_error;
    EXPECT_EQ(file_names(dir.path()), expected);
    EXPECT_EQ(read_bytes(cells), cells_first);
}

TEST(Program, UnwritableDirectoryIsReportedAndTheEarlierFileStaysWhole) {
    scratch_directory dir;
    const auto program = install_program(dir);
    const auto line_text = in(dir, "Metrò 2 - Zelnor_linea.txt");
    write_bytes(line_text, "earlier text");
    std::filesystem::permissions(
        dir.path(), std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                        std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                        std::filesystem::perms::others_exec);

    const auto result =
        run_process(program, {}, {.working_directory = dir.path(), .unprivileged = true});
    EXPECT_NE(result.exit_status, 0);
    EXPECT_NE(result.standard_error.find("Metrò 2 - Zelnor_linea.txt"), std::string::npos)
        << result.standard_error;
    EXPECT_NE(result.standard_error.find("Permission denied"), std::string::npos)
        << result.standard_error;
    EXPECT_EQ(read_bytes(line_text), "earlier text");
    EXPECT_EQ(file_names(dir.path()),
              (std::vector<std::string>{"Metrò 2 - Zelnor_linea.txt", k_program}));
}

}  // namespace
}  // namespace scenario

#endif
