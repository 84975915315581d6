// `scenario-tool view` run in-process through run_tool, the way main runs it: the one page it
// writes and where, the binary set only with --out, the compile's diagnostics and exit status,
// and the command lines it refuses. What the page holds is tested in view_page_test.cpp; the
// page in a browser in tests/browser.
#include <gtest/gtest.h>

#include <sstream>

#include "app/run_tool.h"
#include "base/scenario_files.h"
#include "describe/descriptions.h"
#include "run/run_sequence.h"
#include "scenario_texts.h"
#include "testkit/test_support.h"
#include "tool_in_process.h"

namespace scenario {
namespace {

using testing::contains;
using testing::scenario_tool;
using testing::shown;
using testing::tool_result;

using testing::file_names;
using testing::read_bytes;
using testing::scratch_directory;
using testing::write_bytes;

const std::string k_line(k_nome_linea);
const std::string k_train(k_codice_treno);

std::filesystem::path text_file(const std::filesystem::path& dir, const std::string& line,
                                const std::string& train, file_kind kind) {
    return dir / path_from_utf8(scenario_file_name(line, train, kind));
}

std::vector<std::string> view_words(const std::filesystem::path& dir, const std::string& line,
                                    const std::string& train) {
    return {"view", shown(dir), "--line", line, "--train", train};
}

// The page `view` writes when -o is not given.
std::filesystem::path default_page(const std::filesystem::path& dir, const std::string& line,
                                   const std::string& train) {
    return dir / path_from_utf8(line + "_" + train + ".html");
}

bool is_page(const std::string& bytes) {
    return bytes.rfind("<!DOCTYPE html>\n", 0) == 0 && bytes.ends_with("</html>\n");
}

TEST(ViewCommand, WritesOnePageBesideTheTextsAndNoBinaryFile) {
    scratch_directory dir;
    run_state state = testing::state_in(dir.path());
    dati_linea(state);
    dati_treno(state);
    const auto texts_before = file_names(dir.path());
    const std::string line_text =
        read_bytes(text_file(dir.path(), k_line, k_train, file_kind::line_description));

    const auto result = scenario_tool(view_words(dir.path(), k_line, k_train));
    EXPECT_EQ(result.exit_status, 0) << result.standard_error;
    EXPECT_EQ(result.standard_error, "");
    const auto page = default_page(dir.path(), k_line, k_train);
    EXPECT_EQ(result.standard_output,
              "riepilogo: percorso di 22000 m, 20 stazioni, 33 segnali, 0 rallentamenti, "
              "5 cartelli; 0 errori, 0 avvisi; 0 file scritti\nscritto: " +
                  shown(page) + "\n");
    std::vector<std::string> expected = texts_before;
    expected.push_back(shown(page.filename()));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(file_names(dir.path()), expected) << "one page and nothing else";
    EXPECT_TRUE(is_page(read_bytes(page)));
    EXPECT_EQ(read_bytes(text_file(dir.path(), k_line, k_train, file_kind::line_description)),
              line_text);
}

TEST(ViewCommand, OutWritesTheBinarySetAndOChoosesThePage) {
    scratch_directory dir, out, pages, compiled;
    run_state state = testing::state_in(dir.path());
    dati_linea(state);
    dati_treno(state);
    const auto page = pages.path() / "linea è.html";
    std::vector<std::string> words = view_words(dir.path(), k_line, k_train);
    words.insert(words.end(), {"-o", shown(page), "--out", shown(out.path())});
    const auto result = scenario_tool(words);
    ASSERT_EQ(result.exit_status, 0) << result.standard_error;

    // The same binary files as compile writes, named in the same order, then the page.
    std::vector<std::string> compile_words = {
        "compile", shown(dir.path()), "--line", k_line,
        "--train", k_train,           "--out",  shown(compiled.path())};
    const auto compile = scenario_tool(compile_words);
    ASSERT_EQ(compile.exit_status, 0);
    std::string report = compile.standard_output;
    for (std::size_t at; (at = report.find(shown(compiled.path()))) != std::string::npos;) {
        report.replace(at, shown(compiled.path()).size(), shown(out.path()));
    }
    EXPECT_EQ(result.standard_output, report + "scritto: " + shown(page) + "\n");
    EXPECT_EQ(file_names(out.path()), file_names(compiled.path()));
    for (const std::string& name : file_names(out.path())) {
        EXPECT_EQ(read_bytes(out.path() / path_from_utf8(name)),
                  read_bytes(compiled.path() / path_from_utf8(name)))
            << name;
    }
    EXPECT_TRUE(is_page(read_bytes(page)));
    EXPECT_FALSE(std::filesystem::exists(default_page(dir.path(), k_line, k_train)));
}

// Small texts: a 5000 m route; train records from line 2.
const std::string& k_small_line = testing::k_line_ok;
using testing::signal_at;
using testing::train_with;

// The page is written whatever the compile found; the diagnostics and the status are compile's.
TEST(ViewCommand, ExitStatusAndDiagnosticsAreThoseOfCompileAndThePageIsAlwaysWritten) {
    struct status_case {
        const char* what;
        std::string train;
        int exit_status;
        const char* diagnostic;  // a piece of standard error; empty for none
    };
    const status_case cases[] = {
        {"no fault", train_with(signal_at(1000)), 0, ""},
        {"recorded fault", train_with(signal_at(1000) + signal_at(1000)), 1, "errore 16: "},
        {"identity fault", train_with(signal_at(0)), 2, "errore 1250: "},
        {"warning only", train_with("segnlae, 1000, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0\r\n"), 0,
         "avviso: voce non riconosciuta"},
    };
    for (const status_case& c : cases) {
        SCOPED_TRACE(c.what);
        scratch_directory dir, elsewhere;
        write_bytes(text_file(dir.path(), "L", "T", file_kind::line_description), k_small_line);
        write_bytes(text_file(dir.path(), "L", "T", file_kind::train_description), c.train);
        const auto view = scenario_tool(view_words(dir.path(), "L", "T"));
        EXPECT_EQ(view.exit_status, c.exit_status);
        EXPECT_TRUE(is_page(read_bytes(default_page(dir.path(), "L", "T"))));
        if (*c.diagnostic == '\0') {
            EXPECT_EQ(view.standard_error, "");
        } else {
            EXPECT_TRUE(contains(view.standard_error, c.diagnostic)) << view.standard_error;
        }
        const auto compile = scenario_tool({"compile", shown(dir.path()), "--line", "L", "--train",
                                            "T", "--out", shown(elsewhere.path())});
        EXPECT_EQ(view.standard_error, compile.standard_error);
        EXPECT_EQ(view.exit_status, compile.exit_status);
    }
}

TEST(ViewCommand, UsageErrorsAndFailuresExitWithThreeAndWriteNothing) {
    scratch_directory dir;
    write_bytes(text_file(dir.path(), "L", "T", file_kind::line_description), k_small_line);
    write_bytes(text_file(dir.path(), "L", "T", file_kind::train_description), train_with(""));
    const std::string d = shown(dir.path());
    struct failure_case {
        std::vector<std::string> words;
        const char* message;
        bool usage;  // followed by the usage block
    };
    const failure_case cases[] = {
        {{"view"}, "view vuole una sola cartella DIR", true},
        {{"view", d, d, "--line", "L", "--train", "T"}, "view vuole una sola cartella DIR", true},
        {{"view", d, "--train", "T"}, "manca l'opzione --line", true},
        {{"view", d, "--line", "L"}, "manca l'opzione --train", true},
        {{"view", d, "--line", "L", "--train", "T", "-o"}, "l'opzione -o vuole un valore", true},
        {{"view", d, "--line", "L", "--train", "T", "--json"}, "opzione sconosciuta: --json", true},
        {{"view", d + "/manca", "--line", "L", "--train", "T"}, "cartella non trovata", false},
        {{"view", d, "--line", "M", "--train", "T"}, "testo della linea non trovato", false},
        {{"view", d, "--line", "L", "--train", "T", "-o", d + "/manca/pagina.html"},
         "scrittura della pagina non riuscita",
         false},
    };
    const auto before = file_names(dir.path());
    for (const failure_case& c : cases) {
        SCOPED_TRACE(c.message);
        const auto result = scenario_tool(c.words);
        EXPECT_EQ(result.exit_status, 3);
        EXPECT_EQ(result.standard_output, "");
        EXPECT_TRUE(
            contains(result.standard_error, "scenario-tool: errore: " + std::string(c.message)))
            << result.standard_error;
        EXPECT_EQ(contains(result.standard_error, "\nuso: scenario-tool"), c.usage);
        EXPECT_EQ(file_names(dir.path()), before);
    }
}

}  // namespace
}  // namespace scenario
