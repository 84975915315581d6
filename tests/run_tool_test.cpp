// The tool as one call: usage errors and failures exit 3 with the usage block where it helps,
// the subcommands throw what run_tool reports, and a report that cannot be written is a failure.
#include <gtest/gtest.h>

#include <sstream>
#include <streambuf>

#include "app/compile_command.h"
#include "cli/command_line.h"
#include "cli/usage.h"
#include "dump/dump_command.h"
#include "plot/plot_command.h"
#include "testkit/test_support.h"
#include "tool_in_process.h"

namespace scenario {
namespace {

using namespace testing;

TEST(RunTool, UsageErrorsAndFailuresExitWithThree) {
    scratch_directory dir;
    const std::string here = shown(dir.path());
    const std::string nowhere = shown(dir.path() / "nonexistent-directory");
    struct usage_case {
        std::vector<std::string> words;
        std::string message;
        bool shows_usage;
    };
    const usage_case cases[] = {
        {{}, "manca il comando", true},
        {{"compila"}, "comando sconosciuto: compila", true},
        {{"compile", here, "--train", "T"}, "manca l'opzione --line", true},
        {{"compile", here, "--line"}, "l'opzione --line vuole un valore", true},
        {{"compile", here, "--line", "L", "--line", "M"}, "opzione ripetuta: --line", true},
        {{"compile", "--line", "L", "--train", "T"}, "compile vuole una sola cartella DIR", true},
        {{"compile", here, "--line", "L", "--train", "T", "--colour"},
         "opzione sconosciuta: --colour",
         true},
        {{"compile", nowhere, "--line", "L", "--train", "T"},
         "cartella non trovata: " + nowhere,
         false},
        {{"dump"}, "dump vuole un solo FILE", true},
        {{"dump", "scenario.txt"},
         "tipo di file sconosciuto: scenario.txt (il nome deve finire con \"_linea.dat\", \".sim\" "
         "o \".dat\")",
         true},
        {{"dump", shown(dir.path() / "nonexistent-directory" / "x.sim")},
         "file non trovato: " + shown(dir.path() / "nonexistent-directory" / "x.sim"),
         false},
        {{"dump", shown(dir.path() / "x.sim"), "--verbose"},
         "opzione sconosciuta: --verbose",
         true},
        {{"plot", here, "--line", "L", "--train", "T", "-o", "x.svg"},
         "file non trovato: " + shown(dir.path() / "L_T.sim"),
         false},
        {{"plot", "--line", "L", "--train", "T", "-o", "x.svg"},
         "plot vuole una sola cartella DIR",
         true},
        {{"diff", here, "--line", "L", "--train", "T"}, "diff vuole due cartelle, A e B", true},
        {{"diff", here, here, "--line", "L"}, "manca l'opzione --train", true},
        {{"diff", here, here, "--line", "L", "--train", "T"},
         "file non trovato: " + shown(dir.path() / "L_T.sim"),
         false},
    };
    for (const usage_case& c : cases) {
        SCOPED_TRACE(c.message);
        const auto result = scenario_tool(c.words);
        EXPECT_EQ(result.exit_status, 3);
        EXPECT_EQ(result.standard_output, "");
        EXPECT_EQ(result.standard_error,
                  "scenario-tool: errore: " + c.message + "\n" +
                      (c.shows_usage ? "\n" + std::string(tool::k_usage) : std::string()));
    }
    EXPECT_EQ(file_names(dir.path()), std::vector<std::string>{});
    for (const char* help : {"help", "--help", "-h"}) {
        const auto result = scenario_tool({help});
        EXPECT_EQ(result.exit_status, 0) << help;
        EXPECT_EQ(result.standard_output, tool::k_usage) << help;
        EXPECT_EQ(result.standard_error, "") << help;
    }
    EXPECT_TRUE(tool::k_usage.starts_with("uso: scenario-tool"));
}

// The subcommands themselves leave the reporting to run_tool: they throw what is wrong.
TEST(RunTool, SubcommandsThrowWhatRunToolReports) {
    scratch_directory dir;
    std::ostringstream out, err;
    const std::vector<std::string> no_line = {shown(dir.path()), "--train", "T"};
    EXPECT_THROW(tool::compile_command(no_line, {out, err}), tool::usage_error);
    const std::vector<std::string> missing = {shown(dir.path() / "x.sim")};
    EXPECT_THROW(tool::dump_command(missing, {out, err}), tool::tool_failure);
    const std::vector<std::string> no_files = {
        shown(dir.path()), "--line", "L", "--train", "T", "-o", shown(dir.path() / "x.svg")};
    EXPECT_THROW(tool::plot_command(no_files, {out, err}), tool::tool_failure);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "");
}

// An output stream that takes nothing, as standard output on a full device.
class refusing_buffer : public std::streambuf {
   protected:
    int_type overflow(int_type) override { return traits_type::eof(); }
    std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};

TEST(RunTool, AReportThatCannotBeWrittenIsAFailure) {
    scratch_directory dir;
    compile_real_scenario(dir.path());
    const std::string header = shown(real_file(dir.path(), file_kind::header_table));
    const std::vector<std::vector<std::string>> commands = {
        {"help"},
        {"dump", header},
        {"dump", header, "--json"},
        {"compile", shown(dir.path()), "--line", k_line, "--train", k_train, "--json"},
    };
    for (const auto& words : commands) {
        SCOPED_TRACE(words.front() + " " + words.back());
        refusing_buffer refusing;
        std::ostream out(&refusing);
        std::ostringstream err;
        EXPECT_EQ(tool::run_tool(words, {out, err}), k_exit_failure);
        const std::string expected =
            "scenario-tool: errore: scrittura sull'uscita standard non "
            "riuscita";
        EXPECT_EQ(err.str().rfind(expected, 0), 0u) << err.str();
        EXPECT_EQ(err.str().find('\n'), err.str().size() - 1) << err.str();
    }
}

}  // namespace
}  // namespace scenario
