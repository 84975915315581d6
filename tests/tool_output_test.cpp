// scenario-tool as a program: it says what run_tool says and ends with its status, its own
// output must arrive or be reported (a report that cannot be written to standard output is a
// failure), and a drawing goes into whatever the author named as output (a FIFO is written into,
// a link is replaced, never the file it points to).
#include <gtest/gtest.h>

#include <future>
#include <sstream>

#include "base/scenario_files.h"
#include "compile/compiler.h"
#include "compile/description_source.h"
#include "describe/descriptions.h"
#include "output/binary_files.h"
#include "run/run_sequence.h"
#include "testkit/synthetic_scenario.h"
#include "testkit/test_support.h"

#if defined(SCENARIO_TOOL_PATH) && !defined(_WIN32)
#include <sys/stat.h>

#include "app/run_tool.h"

namespace scenario {
namespace {

using testing::read_bytes;
using testing::run_process;
using testing::scratch_directory;
using testing::write_bytes;

const std::string k_line(k_nome_linea);
const std::string k_train(k_codice_treno);

// The program's texts compiled by the tool into `dir`.
void compile_into(const std::filesystem::path& dir) {
    run_state state = testing::state_in(dir);
    dati_linea(state);
    dati_treno(state);
    const auto r = run_process(SCENARIO_TOOL_PATH,
                               {"compile", dir.string(), "--line", k_line, "--train", k_train}, {});
    ASSERT_EQ(r.exit_status, 0) << r.standard_error;
}

// The program prints exactly what run_tool prints in-process and exits with the status it
// returns, for each exit status: the thin main adds nothing.
TEST(ToolOutput, TheProgramSaysWhatRunToolSaysAndExitsWithItsStatus) {
    scratch_directory dir;
    compile_into(dir.path());
    const auto fault = dir.path() / "guasto";
    const auto identity = dir.path() / "identita";
    for (const auto& texts : {fault, identity}) std::filesystem::create_directory(texts);
    write_bytes(fault / "L_linea.txt",
                "[generale]\r\nlunghezza percorso, 5000\r\n[cartelli]\r\npendenza, 20000, "
                "0\r\n[fine]\r\n");
    write_bytes(fault / "L_T-.txt", "[generale]\r\n[fine]\r\n");
    write_bytes(identity / "L_linea.txt", "[generale]\r\nlunghezza percorso, 5000\r\n[fine]\r\n");
    write_bytes(identity / "L_T-.txt",
                "[generale]\r\nsegnale, 0, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0\r\n[fine]\r\n");
    const auto header =
        dir.path() / path_from_utf8(scenario_file_name(k_line, k_train, file_kind::header_table));
    const auto damaged = dir.path() / "cut.sim";
    write_bytes(damaged, read_bytes(header).substr(0, 55));

    const struct {
        std::vector<std::string> words;
        int status;
    } cases[] = {
        {{"help"}, 0},
        {{}, 3},
        {{"compila"}, 3},
        {{"compile", dir.path().string(), "--line", k_line, "--train", k_train}, 0},
        {{"compile", fault.string(), "--line", "L", "--train", "T"}, 1},
        {{"compile", fault.string(), "--line", "L", "--train", "T", "--json"}, 1},
        {{"compile", identity.string(), "--line", "L", "--train", "T"}, 2},
        {{"dump", header.string(), "--json"}, 0},
        {{"dump", damaged.string()}, 3},
        {{"dump", damaged.string(), "--json"}, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.words.empty() ? "" : c.words.front() + " " + c.words.back());
        std::ostringstream out, err;
        EXPECT_EQ(scenario::tool::run_tool(c.words, {out, err}), c.status);
        const auto r = run_process(SCENARIO_TOOL_PATH, c.words, {});
        EXPECT_EQ(r.exit_status, c.status) << r.standard_error;
        EXPECT_EQ(r.standard_output, out.str());
        EXPECT_EQ(r.standard_error, err.str());
        EXPECT_NE(r.standard_output + r.standard_error, "");
    }
}

TEST(ToolOutput, StandardOutputOnAFullDeviceIsAFailure) {
    scratch_directory dir;
    compile_into(dir.path());
    const auto header =
        dir.path() / path_from_utf8(scenario_file_name(k_line, k_train, file_kind::header_table));
    const std::vector<std::vector<std::string>> commands = {
        {"help"},
        {"dump", header.string()},
        {"dump", header.string(), "--json"},
        {"compile", dir.path().string(), "--line", k_line, "--train", k_train, "--json"},
    };
    for (const auto& command : commands) {
        SCOPED_TRACE(command.front() + " " + command.back());
        testing::process_options to_full;
        to_full.standard_output = "/dev/full";
        const auto r = run_process(SCENARIO_TOOL_PATH, command, to_full);
        EXPECT_EQ(r.exit_status, 3) << r.standard_error;
        EXPECT_NE(r.standard_error.find("uscita standard non riuscita: No space left on device"),
                  std::string::npos)
            << r.standard_error;
    }
}

std::vector<std::string> plot_to(const std::filesystem::path& dir,
                                 const std::filesystem::path& output) {
    return {"plot", dir.string(), "--line", k_line, "--train", k_train, "-o", output.string()};
}

TEST(ToolOutput, PlotWritesIntoAFifoAndThroughALinkToOne) {
    scratch_directory dir;
    compile_into(dir.path());
    const auto fifo = dir.path() / "disegno.fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const auto link = dir.path() / "link-to-fifo.svg";
    std::filesystem::create_symlink(fifo, link);

    for (const auto& output : {fifo, link}) {
        SCOPED_TRACE(output.filename().string());
        auto reader = std::async(std::launch::async, [&] { return read_bytes(fifo); });
        const auto r = run_process(SCENARIO_TOOL_PATH, plot_to(dir.path(), output), {});
        EXPECT_EQ(r.exit_status, 0) << r.standard_error;
        const std::string drawn = reader.get();
        EXPECT_TRUE(drawn.starts_with("<svg") || drawn.starts_with("<?xml")) << drawn.substr(0, 40);
        EXPECT_TRUE(drawn.ends_with("</svg>\n")) << drawn.substr(drawn.size() - 20);
        EXPECT_EQ(std::filesystem::status(fifo).type(), std::filesystem::file_type::fifo);
        EXPECT_TRUE(std::filesystem::is_symlink(link));
    }
}

TEST(ToolOutput, PlotReplacesALinkToARegularFileNotItsTarget) {
    scratch_directory dir;
    compile_into(dir.path());
    const auto target = dir.path() / "someone-elses.svg";
    write_bytes(target, "not to be touched");
    const auto link = dir.path() / "disegno.svg";
    std::filesystem::create_symlink(target, link);

    const auto r = run_process(SCENARIO_TOOL_PATH, plot_to(dir.path(), link), {});
    EXPECT_EQ(r.exit_status, 0) << r.standard_error;
    EXPECT_EQ(read_bytes(target), "not to be touched");
    EXPECT_FALSE(std::filesystem::is_symlink(link));
    EXPECT_TRUE(read_bytes(link).ends_with("</svg>\n"));
}

#if !defined(SCENARIO_SANITIZED) && defined(SCENARIO_RUNNER_PATH)
// The largest scenario the format allows (its geometry file is about 20 MB, its JSON view of
// every point about 40 MB): each file's every view is printed within 32 MB, the file walked a
// block at a time and the view written a piece at a time. The tool is started by the small
// runner: started from this process, it would count this one's memory as its own.
TEST(ToolOutput, DumpOfTheLargestRouteStaysWithinItsMemoryBound) {
    scratch_directory dir;
    {
        const synthetic_texts texts = make_synthetic_scenario(synthetic_size{});
        run_state state = testing::state_in(dir.path());
        memory_descriptions source(texts.line, texts.train);
        ASSERT_TRUE(compila_scenario(state, 1, source).writes_files());
        ASSERT_EQ(state.codice_errore, 0);
        scrivi_file_binari(state, directory_flush::here);
    }
    constexpr long k_bound_kilobytes = 32 * 1024;
    const run_state names = testing::state_in(dir.path());
    const std::vector<std::pair<file_kind, std::vector<std::string>>> cases = {
        {file_kind::line_geometry, {"--json", "--all"}}, {file_kind::line_geometry, {"--all"}},
        {file_kind::cells, {"--json", "--all"}},         {file_kind::cells, {"--all"}},
        {file_kind::header_table, {"--json", "--all"}},
    };
    for (const auto& [kind, options] : cases) {
        std::vector<std::string> words = {SCENARIO_TOOL_PATH, "dump",
                                          scenario_file(names, kind).string()};
        words.insert(words.end(), options.begin(), options.end());
        std::string asked;
        for (const std::string& w : words) asked += w + ' ';
        SCOPED_TRACE(asked);
        // "WALL_MS CPU_MS PEAK_KIB EXIT_STATUS"
        const auto r = run_process(SCENARIO_RUNNER_PATH, words, {});
        ASSERT_EQ(r.exit_status, 0) << r.standard_error;
        std::istringstream report(r.standard_output);
        double wall_ms = 0, cpu_ms = 0;
        long peak_kilobytes = 0;
        int exit_status = -1;
        ASSERT_TRUE(report >> wall_ms >> cpu_ms >> peak_kilobytes >> exit_status)
            << r.standard_output;
        EXPECT_EQ(exit_status, 0);
        EXPECT_GT(peak_kilobytes, 0);
        EXPECT_LT(peak_kilobytes, k_bound_kilobytes);
    }
}
#endif

#ifndef SCENARIO_SANITIZED
// A text of nothing but unknown keywords: the warnings shown are bounded, the others counted, and
// the tool's memory stays a small multiple of the text.
TEST(ToolOutput, WarningsAreBoundedAndCostLittleMemory) {
    scratch_directory dir;
    const std::string unknown = "parola sconosciuta\r\n";
    const std::size_t repeats = (100u << 20) / unknown.size();
    std::string text = "[generale]\r\nlunghezza percorso, 5000\r\n";
    text.reserve(text.size() + repeats * unknown.size());
    for (std::size_t i = 0; i < repeats; ++i) text += unknown;
    write_bytes(dir.path() / "L_linea.txt", text);
    write_bytes(dir.path() / "L_T-.txt", "[generale]\r\n");
    const std::size_t input = text.size();
    text = std::string();

    const auto r = run_process(SCENARIO_TOOL_PATH,
                               {"compile", dir.path().string(), "--line", "L", "--train", "T"}, {});
    EXPECT_EQ(r.exit_status, 0) << r.standard_error.substr(0, 500);
    std::size_t shown = 0;
    for (std::size_t at = r.standard_error.find("voce non riconosciuta"); at != std::string::npos;
         at = r.standard_error.find("voce non riconosciuta", at + 1)) {
        ++shown;
    }
    EXPECT_EQ(shown, 100u);
    // Every unknown item but the text's last one is warned about; the rest are counted.
    const std::string omitted = "L_linea.txt: avviso: altri ";
    const auto at = r.standard_error.find(omitted);
    ASSERT_NE(at, std::string::npos) << r.standard_error.substr(r.standard_error.size() - 300);
    EXPECT_EQ(std::stoul(r.standard_error.substr(at + omitted.size())), repeats - 1 - 100);
    EXPECT_LT(static_cast<std::size_t>(r.peak_kilobytes) * 1024, 4 * input);
}
#endif

}  // namespace
}  // namespace scenario

#endif
