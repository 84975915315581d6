// `scenario-tool compile` run in-process: the program's own texts give the program's bytes, the
// output folder, texts missing from DIR, and every fault and warning named at its file, line and
// column with its notes, in text and in JSON (parsed and compared member by member).

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

TEST(CompileCommand, CompileOfTheProgramsOwnTextsGivesTheProgramsBytes) {
    scratch_directory program_dir, author_dir;
    Form1 program;
    program.interactive = false;
    program.state = testing::state_in(program_dir.path());
    ASSERT_EQ(program.Form_Load(), k_exit_ok);

    write_real_texts(author_dir.path());
    const std::string line_text =
        read_bytes(real_file(author_dir.path(), file_kind::line_description));
    const std::string train_text =
        read_bytes(real_file(author_dir.path(), file_kind::train_description));
    const auto result = scenario_tool(compile_words(author_dir.path(), k_line, k_train));
    ASSERT_EQ(result.exit_status, 0) << result.standard_error;
    EXPECT_EQ(result.standard_error, "") << "the program's own texts give no warning";
    EXPECT_EQ(result.standard_output,
              "riepilogo: percorso di 22000 m, 20 stazioni, 33 segnali, 0 rallentamenti, "
              "5 cartelli; 0 errori, 0 avvisi; 3 file scritti\n" +
                  written_report(author_dir.path(), k_line, k_train));
    for (const file_kind kind : k_binary_kinds) {
        const auto mine = real_file(author_dir.path(), kind);
        EXPECT_EQ(read_bytes(mine), read_bytes(real_file(program_dir.path(), kind)))
            << mine.filename();
    }
    // The author's texts are only read.
    EXPECT_EQ(read_bytes(real_file(author_dir.path(), file_kind::line_description)), line_text);
    EXPECT_EQ(read_bytes(real_file(author_dir.path(), file_kind::train_description)), train_text);
    // The program's own files are whole to the readers.
    for (const file_kind kind : k_binary_kinds) {
        const auto dump = scenario_tool({"dump", shown(real_file(program_dir.path(), kind))});
        EXPECT_EQ(dump.exit_status, 0) << dump.standard_error;
        EXPECT_EQ(dump.standard_error, "");
    }

    // The JSON view of a clean compile: no fault, no warning, the three files.
    const auto json_result = scenario_tool(
        {"compile", shown(author_dir.path()), "--line", k_line, "--train", k_train, "--json"});
    ASSERT_EQ(json_result.exit_status, 0) << json_result.standard_error;
    EXPECT_EQ(json_result.standard_error, "");
    json files = json::array();
    for (const file_kind kind : k_binary_kinds) {
        files.push_back(shown(real_file(author_dir.path(), kind)));
    }
    json expected = {{"codice_errore", 0},
                     {"posizione_errore", nullptr},
                     {"file", nullptr},
                     {"line", nullptr},
                     {"column", nullptr},
                     {"message", nullptr},
                     {"errori", json::array()},
                     {"warnings", json::array()},
                     {"non_compilati", json::array()},
                     {"riepilogo",
                      {{"lunghezza_percorso", 22000},
                       {"stazioni", 20},
                       {"segnali", 33},
                       {"rallentamenti", 0},
                       {"cartelli", 5},
                       {"errori", 0},
                       {"avvisi", 0}}},
                     {"files", files}};
    EXPECT_EQ(parsed(json_result.standard_output), expected);
}

TEST(CompileCommand, OutDirectoryAndNoGeometry) {
    scratch_directory texts, out;
    write_real_texts(texts.path());
    const auto before = file_names(texts.path());
    const auto result = scenario_tool({"compile", shown(texts.path()), "--line", k_line, "--train",
                                       k_train, "--out", shown(out.path()), "--no-geometry"});
    ASSERT_EQ(result.exit_status, 0) << result.standard_error;
    EXPECT_EQ(written_lines(result.standard_output),
              written_report(out.path(), k_line, k_train, false));
    EXPECT_EQ(file_names(texts.path()), before);
    EXPECT_EQ(file_names(out.path()),
              (std::vector<std::string>{"Metrò 2 - Zelnor_26BRUNVICCO.dat",
                                        "Metrò 2 - Zelnor_26BRUNVICCO.sim"}));
}

// OUTDIR is made, with the folders above it, when it is not there.
TEST(CompileCommand, OutDirectoryIsMadeWhenMissing) {
    scratch_directory texts, out;
    write_real_texts(texts.path());
    const std::filesystem::path deep = out.path() / "nuova cartella" / "sotto";
    const auto result = scenario_tool({"compile", shown(texts.path()), "--line", k_line, "--train",
                                       k_train, "--out", shown(deep)});
    ASSERT_EQ(result.exit_status, 0) << result.standard_error;
    EXPECT_EQ(file_names(deep).size(), 3u);
}

// Texts the command line names that are not in DIR: exit 3, nothing written, the texts that are
// there listed and the nearest name suggested.
TEST(CompileCommand, MissingTextsAreNamedWithWhatIsThere) {
    scratch_directory dir, out;
    write_bytes(file_in(dir.path(), "Linea Nord", "R21", file_kind::line_description), "x");
    write_bytes(file_in(dir.path(), "Linea Nord", "R21", file_kind::train_description), "x");
    write_bytes(file_in(dir.path(), "Linea Nord", "R22", file_kind::train_description), "x");
    write_bytes(dir.path() / "appunti.txt", "x");
    const std::string d = shown(dir.path());
    struct names_case {
        std::string line, train;
        std::vector<std::string> expected;
    };
    const names_case cases[] = {
        {"Linea Nord",
         "R2l",
         {"scenario-tool: errore: testo del treno non trovato: " +
              shown(dir.path() / "Linea Nord_R2l-.txt"),
          "nota: forse --train \"R21\" (Linea Nord_R21-.txt)"}},
        {"Linea Nrod",
         "R21",
         {"scenario-tool: errore: testo della linea non trovato: " +
              shown(dir.path() / "Linea Nrod_linea.txt"),
          "testo del treno non trovato: " + shown(dir.path() / "Linea Nrod_R21-.txt"),
          "nota: forse --line \"Linea Nord\" (Linea Nord_linea.txt)"}},
        {"Altra",
         "X",
         {"nota: testi della linea in " + d + ": Linea Nord_linea.txt",
          "nota: testi del treno in " + d + ": Linea Nord_R21-.txt, Linea Nord_R22-.txt"}},
    };
    for (const names_case& c : cases) {
        SCOPED_TRACE(c.line + " " + c.train);
        const auto result = scenario_tool({"compile", shown(dir.path()), "--line", c.line,
                                           "--train", c.train, "--out", shown(out.path())});
        EXPECT_EQ(result.exit_status, 3);
        EXPECT_EQ(result.standard_output, "");
        for (const std::string& line : c.expected) {
            EXPECT_TRUE(contains(result.standard_error, line + "\n")) << result.standard_error;
        }
        EXPECT_EQ(file_names(out.path()), std::vector<std::string>{});
    }
    const auto far =
        scenario_tool({"compile", shown(dir.path()), "--line", "Altra", "--train", "X"});
    EXPECT_FALSE(contains(far.standard_error, "forse")) << far.standard_error;
}

enum class in_text { line, train };

struct fault_case {
    const char* what;
    std::optional<std::string> line;
    std::optional<std::string> train;
    int code;
    in_text file;
    int line_number;  // 0: the fault has no place in the text
    int exit_status;
    bool files_written;
    const char* detail;  // a piece of the message
};

const fault_case k_faults[] = {
    {"no [generale]", "niente\r\n[fine]\r\n", k_train_ok, 102, in_text::line, 1, 1, false,
     "[generale]"},
    {"misspelt [generale]", "[generle]\r\nlunghezza percorso, 5000\r\n[fine]\r\n", k_train_ok, 102,
     in_text::line, 1, 1, false, "forse \"[generle]\" voleva essere \"[generale]\""},
    {"route too long", "[generale]\r\nlunghezza percorso, 1000001\r\n[fine]\r\n", k_train_ok, 1,
     in_text::line, 2, 1, false, "1000001 m"},
    {"repetition a",
     "[generale]\r\nlunghezza percorso, 5000\r\nripetizione segnali 4 codici, 25, 0\r\n[fine]\r\n",
     k_train_ok, 3, in_text::line, 3, 1, true, "primo valore"},
    {"repetition b",
     "[generale]\r\nlunghezza percorso, 5000\r\nripetizione segnali 4 codici, 50, 25\r\n[fine]\r\n",
     k_train_ok, 4, in_text::line, 3, 1, true, "secondo valore"},
    {"repetition codes",
     "[generale]\r\nlunghezza percorso, 5000\r\nripetizione segnali codici, 50, 50\r\n[fine]\r\n",
     k_train_ok, 5, in_text::line, 3, 1, true, "\"4\""},
    {"curve class", line_with("curvas, 100, 100\r\n"), k_train_ok, 103, in_text::line, 4, 1, true,
     "classe"},
    {"board on board",
     line_with("indicatori_vmax, 400, 80, 80, 80, 0, , , , 0\r\nindicatori_vmax, 400, 60, 60, 60, "
               "0, , , , 0\r\n"),
     k_train_ok, 21, in_text::line, 5, 1, true,
     "400 m: la cella 9 è già occupata da un cartello indicatore"},
    {"sign on board",
     line_with(
         "indicatori_vmax, 400, 80, 80, 80, 0, , , , 0\r\ncartello_indicatore, 400, (TESTO)\r\n"),
     k_train_ok, 6, in_text::line, 5, 1, true,
     "la cella 9 è già occupata da un cartello indicatore"},
    {"line position", line_with("pendenza, 20000, 0\r\n"), k_train_ok, 15, in_text::line, 4, 1,
     true, "posizione 20000 m"},
    {"line not a number", "[generale]\r\nlunghezza percorso, tanti, 0\r\n[fine]\r\n", k_train_ok,
     25, in_text::line, 2, 1, false, "non è un numero intero"},
    {"progressive",
     "[generale]\r\nlunghezza percorso, 5000\r\nprogressiva chilometrica uno, 25, 0, "
     "0\r\n[fine]\r\n",
     k_train_ok, 2, in_text::line, 3, 1, true, "progressiva chilometrica uno: 25 m"},
    {"abbattimento", k_line_ok, train_with("abbattimento, 1000, 0\r\nabbattimento, 1000, 0\r\n"), 7,
     in_text::train, 3, 1, true, "la cella 20 è già occupata da un segno di abbattimento"},
    {"station position", k_line_ok, train_with(station_at(1025, 27, 200)), 8, in_text::train, 2, 1,
     true, "1025 m"},
    {"platform length", k_line_ok, train_with(station_at(1000, 27, 250)), 9, in_text::train, 2, 1,
     true, "250 m"},
    {"too many stations", "[generale]\r\nlunghezza percorso, 50000\r\n[fine]\r\n",
     too_many_stations(), 10, in_text::train, 80, 1, true, "al più 78 stazioni"},
    {"stations too close", k_line_ok,
     train_with(station_at(1000, 27, 200) + station_at(1400, 27, 200)), 22, in_text::train, 3, 1,
     true, "1300 m"},
    {"stop near the start", k_line_ok, train_with(station_at(0, 12, 200)), 24, in_text::train, 2, 1,
     true, "cella 1"},
    {"signal on signal", k_line_ok, train_with(signal_at(1000) + signal_at(1000)), 16,
     in_text::train, 3, 1, true, "la cella 21 è già occupata da un segnale"},
    {"warning board", k_line_ok, train_with(signal_at(1800) + k_slow_order), 17, in_text::train, 3,
     1, true, "la cella 37 (cartello di avviso, 1200 m prima) è già occupata da un segnale"},
    {"start board", k_line_ok, train_with(signal_at(3000) + k_slow_order), 18, in_text::train, 3, 1,
     true, "la cella 61 (cartello di inizio) è già occupata da un segnale"},
    {"end board", k_line_ok, train_with(signal_at(3500) + k_slow_order), 19, in_text::train, 3, 1,
     true, "la cella 71 (cartello di fine, a 3500 m) è già occupata da un segnale"},
    {"approach cells", k_line_ok, train_with(signal_at(1700) + k_slow_order_approach), 20,
     in_text::train, 3, 1, true,
     "la cella 35 (una delle quattro celle di approccio, da 33 a 36) è già occupata da un segnale"},
    {"train position", k_line_ok, train_with("velocita, 20000, 60\r\n"), 15, in_text::train, 2, 1,
     true, "posizione 20000 m"},
    {"train not a number", k_line_ok, train_with("numero vetture, sei, 0\r\n"), 25, in_text::train,
     2, 1, true, "non è un numero intero"},
    {"spacing before signal", k_line_ok,
     train_with(signal_at(1750) + signal_at(1700) + signal_at(1650) + k_slow_order), 11,
     in_text::train, 2, 1, true, "il segnale a 1750 m"},
    {"spacing start board", k_line_ok,
     train_with(signal_at(2750) + signal_at(2700) + signal_at(2650) + k_slow_order), 12,
     in_text::train, 5, 1, true, "rallentamento da 3000 m"},
    {"spacing walk", k_line_ok,
     train_with(signal_at(3400) + signal_at(3350) + signal_at(3450) + k_slow_order), 13,
     in_text::train, 5, 1, true, "intorno a 3450 m"},
    {"identity marker", k_line_ok, train_with(signal_at(0)), 1250, in_text::train, 2, 2, false,
     "prima parola"},
    {"identity code", k_line_ok, train_with(signal_at(0, 0, 0)), 1251, in_text::train, 2, 2, false,
     "seconda parola"},
};

// The compiler-style line of a fault or warning in the JSON view: "FILE:LINE:COLUMN: " or
// "FILE: ", then what it is and the message.
std::string text_line(const json& entry, const std::string& what) {
    std::string place = entry["file"].get<std::string>();
    if (!entry["line"].is_null()) {
        place += ":" + std::to_string(entry["line"].get<int>()) + ":" +
                 std::to_string(entry["column"].get<int>());
    }
    return place + ": " + what + ": " + entry["message"].get<std::string>();
}

TEST(CompileCommand, EachFaultNamesItsFileAndLineAndSetsTheExitStatus) {
    for (const fault_case& c : k_faults) {
        SCOPED_TRACE(c.what);
        scratch_directory dir;
        const auto line_file = file_in(dir.path(), "L", "T", file_kind::line_description);
        const auto train_file = file_in(dir.path(), "L", "T", file_kind::train_description);
        if (c.line) write_bytes(line_file, *c.line);
        if (c.train) write_bytes(train_file, *c.train);

        const auto result = scenario_tool(compile_words(dir.path(), "L", "T"));
        EXPECT_EQ(result.exit_status, c.exit_status) << result.standard_error;
        const auto& named = c.file == in_text::line ? line_file : train_file;
        const std::string place =
            shown(named) + (c.line_number > 0 ? ":" + std::to_string(c.line_number) + ":" : ": ");
        const std::string diagnostic = "errore " + std::to_string(c.code) + ": ";
        const std::string message = output_line(result.standard_error, place, diagnostic);
        if (message.empty()) {
            ADD_FAILURE() << "no \"" << diagnostic << "\" at " << place << " in:\n"
                          << result.standard_error;
            continue;
        }
        EXPECT_TRUE(contains(message, c.detail)) << message;
        EXPECT_EQ(written_lines(result.standard_output),
                  c.files_written ? written_report(dir.path(), "L", "T") : "");

        EXPECT_EQ(std::filesystem::exists(file_in(dir.path(), "L", "T", file_kind::cells)),
                  c.files_written);
        // The author's texts are only read.
        EXPECT_EQ(std::optional(read_bytes(line_file)), c.line ? c.line : std::optional(""));
        EXPECT_EQ(std::optional(read_bytes(train_file)), c.train ? c.train : std::optional(""));

        std::vector<std::string> words = compile_words(dir.path(), "L", "T");
        words.push_back("--json");
        const auto json_result = scenario_tool(words);
        EXPECT_EQ(json_result.exit_status, c.exit_status);
        EXPECT_EQ(json_result.standard_error, "");
        const json report = parsed(json_result.standard_output);
        ASSERT_FALSE(report.is_discarded()) << json_result.standard_output;
        EXPECT_EQ(report["codice_errore"], c.code);
        EXPECT_EQ(report["file"], shown(named));
        EXPECT_EQ(report["line"], c.line_number > 0 ? json(c.line_number) : json(nullptr));
        EXPECT_EQ(report["column"].is_null(), c.line_number == 0);
        EXPECT_TRUE(contains(report["message"].get<std::string>(), c.detail)) << report["message"];
        // The top members repeat the recorded fault, the first of "errori"; each reads as its
        // text line does.
        ASSERT_FALSE(report["errori"].empty());
        const json& first = report["errori"].front();
        EXPECT_EQ(first["registrato"], true);
        EXPECT_EQ(first["codice"], report["codice_errore"]);
        for (const char* key : {"file", "line", "column", "message"}) {
            EXPECT_EQ(first[key], report[key]) << key;
        }
        for (const json& fault : report["errori"]) {
            const std::string what = "errore " + std::to_string(fault["codice"].get<int>());
            const std::string mark = fault["registrato"] == true ? " [codice registrato]" : "";
            EXPECT_TRUE(contains(result.standard_error, text_line(fault, what) + mark + "\n"))
                << text_line(fault, what);
        }
        EXPECT_EQ(report["files"].size(), c.files_written ? 3u : 0u);
    }
}

// A fault about another record points at it with a note: the record that occupied the cell, the
// station before, the slow order whose warning board needs the mark, the other progressive.
TEST(CompileCommand, NotesPointAtTheOtherRecordOfAFault) {
    struct note_case {
        const char* what;
        std::string line;
        std::string train;
        in_text file;
        const char* note;  // the whole line after the file name
    };
    const note_case cases[] = {
        {"signal on signal", k_line_ok, train_with(signal_at(1000) + signal_at(1000)),
         in_text::train, ":2:1: nota: la cella 21 è stata occupata da questo record"},
        {"sign on board",
         line_with(
             "indicatori_vmax, 400, 80, 80, 80, 0, , , , 0\r\ncartello_indicatore, 400, (T)\r\n"),
         k_train_ok, in_text::line, ":4:1: nota: la cella 9 è stata occupata da questo record"},
        {"stations too close", k_line_ok,
         train_with(station_at(1000, 27, 200) + station_at(1400, 27, 200)), in_text::train,
         ":2:1: nota: la stazione precedente è qui"},
        {"spacing before signal", k_line_ok,
         train_with(signal_at(1750) + signal_at(1700) + signal_at(1650) + k_slow_order),
         in_text::train,
         ":5:1: nota: il rallentamento il cui cartello di avviso segue il segnale è qui"},
        {"two progressives",
         "[generale]\r\nlunghezza percorso, 5000\r\nprogressiva chilometrica uno, 25, 0, 0\r\n"
         "progressiva chilometrica due, 1000, 30, 0\r\n[fine]\r\n",
         k_train_ok, in_text::line,
         ":3:1: nota: anche questa progressiva ha un valore non multiplo di 50"},
    };
    for (const note_case& c : cases) {
        SCOPED_TRACE(c.what);
        scratch_directory dir;
        const auto line_file = file_in(dir.path(), "L", "T", file_kind::line_description);
        const auto train_file = file_in(dir.path(), "L", "T", file_kind::train_description);
        write_bytes(line_file, c.line);
        write_bytes(train_file, c.train);
        const auto result =
            scenario_tool({"compile", shown(dir.path()), "--line", "L", "--train", "T"});
        const auto& named = c.file == in_text::line ? line_file : train_file;
        EXPECT_EQ(output_line(result.standard_error, shown(named) + ":", "nota: "),
                  shown(named) + c.note)
            << result.standard_error;
    }
}

struct warning_case {
    const char* what;
    std::string line;
    std::string train;
    in_text file;
    int line_number;
    const char* kind;    // words of the warning's kind
    const char* detail;  // the item it is about
};

const char* const k_unknown = "non riconosciuta";
const char* const k_dash = "trattino";
const char* const k_order = "fuori ordine";
const char* const k_last = "ultima voce";

const warning_case k_warnings[] = {
    {"misspelt train keyword", k_line_ok,
     train_with("segnlae, 1750, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0\r\n"), in_text::train, 2, k_unknown,
     "segnlae"},
    {"misspelt line keyword", line_with("pendnza, 100, 0\r\n"), k_train_ok, in_text::line, 4,
     k_unknown, "pendnza"},
    {"train keyword with a dash", k_line_ok, train_with("numero-vetture, 6\r\n"), in_text::train, 2,
     k_dash, "numero-vetture"},
    {"line keyword with a dash", line_with("-pendenza, 100, -25\r\n"), k_train_ok, in_text::line, 4,
     k_dash, "-pendenza"},
    {"speed out of order", k_line_ok, train_with("velocita, 2200, 60\r\nvelocita, 1200, 30\r\n"),
     in_text::train, 3, k_order, "velocita"},
    {"adhesion out of order", k_line_ok,
     train_with("aderenza, 2000, 100\r\naderenza, 1000, 90\r\n"), in_text::train, 3, k_order,
     "aderenza"},
    {"station out of order", k_line_ok,
     train_with(station_at(2000, 27, 200) + station_at(1000, 27, 200)), in_text::train, 3, k_order,
     "stazione"},
    {"train keyword last", k_line_ok, "[generale]\r\nnumero vetture, 6\r\nsabbia\r\n",
     in_text::train, 3, k_last, "sabbia"},
    {"line keyword last", "[generale]\r\nlunghezza percorso, 5000\r\n[cartelli]\r\npendenza\r\n",
     k_train_ok, in_text::line, 4, k_last, "pendenza"},
};

TEST(CompileCommand, EachWarningKindIsGivenOnItsLine) {
    for (const warning_case& c : k_warnings) {
        SCOPED_TRACE(c.what);
        scratch_directory dir;
        const auto line_file = file_in(dir.path(), "L", "T", file_kind::line_description);
        const auto train_file = file_in(dir.path(), "L", "T", file_kind::train_description);
        write_bytes(line_file, c.line);
        write_bytes(train_file, c.train);
        const auto result = scenario_tool(compile_words(dir.path(), "L", "T"));
        const auto& named = c.file == in_text::line ? line_file : train_file;
        const std::string place = shown(named) + ":" + std::to_string(c.line_number) + ":";
        const std::string message = output_line(result.standard_error, place, c.kind);
        if (message.empty()) {
            ADD_FAILURE() << "no warning at " << place << " in:\n" << result.standard_error;
            continue;
        }
        EXPECT_TRUE(contains(message, ": avviso: ")) << message;
        EXPECT_TRUE(contains(message, c.detail)) << message;
        EXPECT_EQ(read_bytes(train_file), c.train);

        // The JSON view holds the same warning, at the same place.
        std::vector<std::string> words = compile_words(dir.path(), "L", "T");
        words.push_back("--json");
        const json report = parsed(scenario_tool(words).standard_output);
        ASSERT_FALSE(report.is_discarded());
        const json* found = nullptr;
        for (const json& w : report["warnings"]) {
            if (w["file"] == shown(named) && w["line"] == c.line_number &&
                contains(w["message"].get<std::string>(), c.kind)) {
                found = &w;
            }
        }
        ASSERT_NE(found, nullptr) << report["warnings"];
        EXPECT_EQ(text_line(*found, "avviso"), message);
    }
}

// Warnings are words for the author: the bytes are those of a compile that collects none.
TEST(CompileCommand, WarningsNeverChangeTheCompiledBytes) {
    scratch_directory dir;
    const std::string train =
        train_with("segnlae, 1750\r\nnumero-vetture, 6\r\n" + signal_at(1750) +
                   "velocita, 2200, 60\r\nvelocita, 1200, 30\r\n");
    write_bytes(file_in(dir.path(), "L", "T", file_kind::line_description), k_line_ok);
    write_bytes(file_in(dir.path(), "L", "T", file_kind::train_description), train);
    const auto result = scenario_tool(compile_words(dir.path(), "L", "T"));
    ASSERT_EQ(result.exit_status, 0) << result.standard_error;
    ASSERT_TRUE(contains(result.standard_error, "avviso")) << result.standard_error;

    run_state state;
    state.nome_linea = "L";
    state.codice_treno = "T";
    memory_descriptions texts(k_line_ok, train);
    ASSERT_TRUE(compila_scenario(state, 1, texts).writes_files());
    EXPECT_EQ(read_bytes(file_in(dir.path(), "L", "T", file_kind::cells)),
              serialise_celle(state.celle));
    EXPECT_EQ(read_bytes(file_in(dir.path(), "L", "T", file_kind::header_table)),
              serialise_testata(state.testata));
}

// The JSON view escapes what a text may hold: quotes, backslashes, control characters, and the
// Windows-1252 letters of an item turned into UTF-8.
TEST(CompileCommand, JsonEscapesTheAuthorsItems) {
    scratch_directory dir;
    write_bytes(file_in(dir.path(), "L", "T", file_kind::line_description),
                line_with("cit\"ato\\\x01\xE8\r\n"));
    write_bytes(file_in(dir.path(), "L", "T", file_kind::train_description), k_train_ok);
    std::vector<std::string> words = compile_words(dir.path(), "L", "T");
    words.push_back("--json");
    const auto result = scenario_tool(words);
    ASSERT_EQ(result.exit_status, 0) << result.standard_error;
    EXPECT_TRUE(contains(result.standard_output,
                         R"("message":"voce non riconosciuta, ignorata: \"cit\"ato\\\u0001è\"")"))
        << result.standard_output;
    const json report = parsed(result.standard_output);
    ASSERT_FALSE(report.is_discarded()) << result.standard_output;
    EXPECT_EQ(report["codice_errore"], 0);
    EXPECT_TRUE(report["posizione_errore"].is_null());
    ASSERT_EQ(report["warnings"].size(), 1u) << report["warnings"];
    EXPECT_EQ(report["warnings"][0]["message"],
              "voce non riconosciuta, ignorata: \"cit\"ato\\\x01\xC3\xA8\"");
}

}  // namespace
}  // namespace scenario
