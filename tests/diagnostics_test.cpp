// What scenario-tool tells an author about the mistakes authors make: each diagnostic at the
// file, line and column of the record or value that holds the mistake, its notes at the other
// records it concerns, the same in text and in JSON; every fault of both texts in one run; and
// not a word about texts that are clean.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/run_tool.h"
#include "base/scenario_files.h"
#include "scenario_texts.h"
#include "session/compile_session.h"
#include "testkit/synthetic_scenario.h"
#include "testkit/test_support.h"
#include "view/view_data.h"
#include "tool_in_process.h"

namespace scenario {
namespace {

using json = nlohmann::ordered_json;
using testing::k_line_ok;
using testing::k_train_ok;
using testing::line_with;
using testing::scratch_directory;
using testing::shown;
using testing::signal_at;
using testing::station_at;
using testing::train_with;
using testing::write_bytes;

struct tool_result {
    int exit_status = -1;
    std::string out;
    std::string err;
};

// A scenario "L" / "T" in a scratch folder, compiled by the tool in-process.
struct authored {
    scratch_directory dir;
    std::string line_file;
    std::string train_file;

    authored(const std::string& line, const std::string& train) {
        const auto l =
            dir.path() / path_from_utf8(scenario_file_name("L", "T", file_kind::line_description));
        const auto t =
            dir.path() / path_from_utf8(scenario_file_name("L", "T", file_kind::train_description));
        write_bytes(l, line);
        write_bytes(t, train);
        line_file = shown(l);
        train_file = shown(t);
    }

    // The data of the page `view` writes for these texts.
    json view_data() const {
        tool::scenario_request request;
        request.dir_word = shown(dir.path());
        request.dir = dir.path();
        request.out_dir = dir.path();
        request.line = "L";
        request.train = "T";
        return tool::view_data(*tool::compile_scenario_texts(request));
    }

    tool_result compile(bool as_json) const {
        std::vector<std::string> words = {"compile", shown(dir.path()), "--line",
                                          "L",       "--train",         "T"};
        if (as_json) words.push_back("--json");
        std::ostringstream out, err;
        tool_result r;
        r.exit_status = tool::run_tool(words, {out, err});
        r.out = out.str();
        r.err = err.str();
        return r;
    }
};

enum class in_text { line, train };

struct place {
    in_text file;
    int line;
    int column;
};

struct mistake {
    const char* what;
    std::string line;
    std::string train;
    std::string kind;  // "errore 16" or "avviso"
    place at;
    const char* words;  // a piece of the message
    std::vector<place> notes;
};

const mistake k_mistakes[] = {
    // Values where the author wrote them.
    {"value that ends its line",
     k_line_ok,
     train_with("numero vetture, quattro\r\n"),
     "errore 25",
     {in_text::train, 2, 17},
     "\"quattro\" non è un numero intero",
     {}},
    {"missing last value",
     k_line_ok,
     train_with("numero vetture\r\nsabbia, 1\r\n"),
     "errore 25",
     {in_text::train, 2, 1},
     "mancano valori a questo record",
     {}},
    {"decimal point",
     line_with("pendenza, 1000, 12.5\r\n"),
     k_train_ok,
     "errore 25",
     {in_text::line, 4, 17},
     "senza virgola né punto decimale",
     {}},
    {"decimal comma",
     "[generale]\r\nlunghezza percorso, 5,2\r\n[fine]\r\n",
     k_train_ok,
     "avviso",
     {in_text::line, 2, 23},
     "\"5,2\" è un numero con la virgola decimale, è letto come 5",
     {}},
    {"extra value",
     line_with("pendenza, 1000, 12, 7\r\n"),
     k_train_ok,
     "avviso",
     {in_text::line, 4, 21},
     "valori in più per il record \"pendenza\", che ne prende 2",
     {}},
    // Values changed on the way into the file.
    {"speed not a multiple of 5",
     k_line_ok,
     train_with("velocita, 0, 62\r\n"),
     "avviso",
     {in_text::train, 2, 14},
     "62 km/h è scritto nel file come 60 km/h",
     {}},
    {"gradient wrapped by its byte",
     line_with("pendenza, 1000, 200\r\n"),
     k_train_ok,
     "avviso",
     {in_text::line, 4, 17},
     "200 ‰ è scritta nel file come -56 ‰",
     {}},
    {"signal time wrapped",
     k_line_ok,
     train_with("segnale, 1750, 2, 3, 1, 1, 0, 2, 2, 1, 1, 300\r\n"),
     "avviso",
     {in_text::train, 2, 43},
     "il tempo 300 del segnale è scritto nel file come 44",
     {}},
    // Features in the run-off, records out of order, curves on top of each other.
    {"signal beyond the route end",
     k_line_ok,
     train_with(signal_at(5200)),
     "avviso",
     {in_text::train, 2, 10},
     "5200 m sta oltre la fine del percorso (5000 m)",
     {}},
    {"station beyond the route end",
     k_line_ok,
     train_with(station_at(6000)),
     "avviso",
     {in_text::train, 2, 11},
     "la stazione a 6000 m sta oltre la fine del percorso",
     {}},
    {"gradients out of order",
     line_with("pendenza, 2000, 5\r\npendenza, 1000, 3\r\n"),
     k_train_ok,
     "avviso",
     {in_text::line, 5, 11},
     "record \"pendenza\" fuori ordine: 1000 m viene dopo 2000 m",
     {{in_text::line, 4, 1}}},
    {"overlapping curves",
     line_with("curvas3, 1000, 500\r\ncurvad3, 1400, 300\r\n"),
     k_train_ok,
     "avviso",
     {in_text::line, 5, 10},
     "la curva da 1400 m comincia prima che finisca la precedente",
     {{in_text::line, 4, 1}}},
    // Sections, encodings, comments, misspelt keywords.
    {"train text without [generale]",
     k_line_ok,
     "[generle]\r\n" + station_at(1000) + "[fine]\r\n",
     "avviso",
     {in_text::train, 1, 1},
     "forse \"[generle]\" voleva essere \"[generale]\"",
     {}},
    {"misspelt [generale] in the line text",
     "[cartelli]\r\n[generael]\r\nlunghezza percorso, 5000\r\n[fine]\r\n",
     k_train_ok,
     "errore 102",
     {in_text::line, 2, 1},
     "forse \"[generael]\" voleva essere \"[generale]\"",
     {}},
    {"UTF-8 name",
     k_line_ok,
     train_with(station_at(1000, 27, 200, "Universit\xC3\xA0")),
     "avviso",
     {in_text::train, 2, 66},
     "\"Università\" arriverà al simulatore come \"UniversitÃ\xC2\xA0\"",
     {}},
    {"byte-order mark",
     "\xEF\xBB\xBF" + k_line_ok,
     k_train_ok,
     "avviso",
     {in_text::line, 1, 1},
     "segno BOM di UTF-8",
     {}},
    {"comment read as a record",
     k_line_ok,
     train_with("# prima stazione: Zelnor\r\n"),
     "avviso",
     {in_text::train, 2, 1},
     "sembra un commento, ma il formato non ne ha: contiene \"stazione\"",
     {}},
    {"comment ignored",
     k_line_ok,
     train_with("# orario di prova\r\n"),
     "avviso",
     {in_text::train, 2, 1},
     "sembra un commento, ma il formato non ne ha: la voce",
     {}},
    {"misspelt keyword",
     k_line_ok,
     train_with("segnalle, 1750, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0\r\n"),
     "avviso",
     {in_text::train, 2, 1},
     "forse \"segnale\"?",
     {}},
    // Faults of one record that concern another.
    {"signal on a sign",
     line_with("cartello_indicatore, 1000, Uscita\r\n"),
     train_with(signal_at(1000)),
     "errore 16",
     {in_text::train, 2, 1},
     "la cella 21 è già occupata dal cartello di indicazione",
     {{in_text::line, 4, 1}}},
    {"stations too close",
     k_line_ok,
     train_with(station_at(1000) + station_at(1400)),
     "errore 22",
     {in_text::train, 3, 1},
     "troppo vicina alla precedente",
     {{in_text::train, 2, 1}}},
    {"cell 1 taken",
     k_line_ok,
     train_with(signal_at(0)),
     "errore 1250",
     {in_text::train, 2, 1},
     "questo record ve lo ha messo",
     {}},
};

std::string file_of(const authored& a, in_text t) {
    return t == in_text::line ? a.line_file : a.train_file;
}

std::string prefix(const authored& a, const place& p) {
    return file_of(a, p.file) + ":" + std::to_string(p.line) + ":" + std::to_string(p.column) +
           ": ";
}

// The lines of `text` that begin with `start`.
std::vector<std::string> lines_starting(const std::string& text, const std::string& start) {
    std::vector<std::string> found;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(start, 0) == 0) found.push_back(line);
    }
    return found;
}

// The JSON entry of the diagnostic at `at` whose message holds `words`, in "errori" or
// "warnings".
const json* json_entry(const json& report, const std::string& list, const std::string& file,
                       const place& at, const std::string& words) {
    for (const json& e : report[list]) {
        if (e["file"] == file && e["line"] == at.line && e["column"] == at.column &&
            e["message"].get<std::string>().find(words) != std::string::npos) {
            return &e;
        }
    }
    return nullptr;
}

TEST(Diagnostics, EachMistakeIsToldAtItsPlaceWithItsNotes) {
    for (const mistake& m : k_mistakes) {
        SCOPED_TRACE(m.what);
        const authored a(m.line, m.train);
        const tool_result text = a.compile(false);
        const std::string head = prefix(a, m.at) + m.kind + ": ";
        const std::vector<std::string> said = lines_starting(text.err, head);
        ASSERT_EQ(said.size(), 1u) << head << "\n" << text.err;
        EXPECT_NE(said[0].find(m.words), std::string::npos) << said[0];
        // The notes follow the diagnostic, each at its record.
        std::istringstream lines(text.err);
        std::vector<std::string> after;
        bool found = false;
        for (std::string line; std::getline(lines, line);) {
            if (found && line.find(": nota: ") != std::string::npos) {
                after.push_back(line);
            } else if (found) {
                break;
            }
            found = found || line == said[0];
        }
        ASSERT_GE(after.size(), m.notes.size()) << text.err;
        for (std::size_t i = 0; i < m.notes.size(); ++i) {
            EXPECT_EQ(after[i].rfind(prefix(a, m.notes[i]) + "nota: ", 0), 0u) << after[i];
        }

        const tool_result js = a.compile(true);
        EXPECT_EQ(js.exit_status, text.exit_status);
        const json report = json::parse(js.out, nullptr, false);
        ASSERT_FALSE(report.is_discarded()) << js.out;
        const bool fault = m.kind != "avviso";
        const json* entry =
            json_entry(report, fault ? "errori" : "warnings", file_of(a, m.at.file), m.at, m.words);
        ASSERT_NE(entry, nullptr) << report.dump(1);
        if (fault) EXPECT_EQ("errore " + std::to_string((*entry)["codice"].get<int>()), m.kind);
        ASSERT_GE((*entry)["notes"].size(), m.notes.size());
        for (std::size_t i = 0; i < m.notes.size(); ++i) {
            const json& n = (*entry)["notes"][i];
            EXPECT_EQ(n["file"], file_of(a, m.notes[i].file));
            EXPECT_EQ(n["line"], m.notes[i].line);
            EXPECT_EQ(n["column"], m.notes[i].column);
        }
    }
}

// Two independent collisions and a misspelt keyword, all in one run: the code the program records
// comes first and is marked; the records the program never compiled are named.
TEST(Diagnostics, EveryFaultOfBothTextsInOneRun) {
    const authored a(
        line_with("cartello_indicatore, 1000, Uscita\r\n"),
        train_with(signal_at(1000) + "segnalle, 2500, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0\r\n" +
                   signal_at(3000) + signal_at(3000) + station_at(4000)));
    const tool_result text = a.compile(false);
    EXPECT_EQ(text.exit_status, 1);
    const std::vector<std::string> faults = lines_starting(text.err, a.train_file);
    ASSERT_GE(faults.size(), 4u) << text.err;
    EXPECT_EQ(faults[0].rfind(a.train_file + ":2:1: errore 16: ", 0), 0u) << text.err;
    EXPECT_TRUE(faults[0].ends_with(" [codice registrato]")) << faults[0];
    EXPECT_EQ(lines_starting(text.err, a.train_file + ":5:1: errore 16: ").size(), 1u) << text.err;
    EXPECT_EQ(lines_starting(text.err, a.train_file + ":3:1: avviso: voce non riconosciuta").size(),
              1u)
        << text.err;
    EXPECT_EQ(lines_starting(text.err, a.train_file + ":2:1: nota: righe 2–6 non compilate: 3 "
                                                      "segnali, 1 stazione")
                  .size(),
              1u)
        << text.err;
    EXPECT_NE(text.out.find("riepilogo: percorso di 5000 m, 0 stazioni, 0 segnali"),
              std::string::npos)
        << text.out;

    const json report = json::parse(a.compile(true).out);
    EXPECT_EQ(report["codice_errore"], 16);
    ASSERT_EQ(report["errori"].size(), 2u);
    EXPECT_EQ(report["errori"][0]["registrato"], true);
    EXPECT_EQ(report["errori"][1]["registrato"], false);
    EXPECT_EQ(report["errori"][1]["line"], 5);
    EXPECT_EQ(report["non_compilati"][0]["first_line"], 2);
    EXPECT_EQ(report["riepilogo"]["errori"], 2);
}

// Error 12: no group of cells ahead of a start board has room for its mark. A note at each record
// whose feature fills a cell of a full group names the cells it fills; a cell held by a mark the
// spacing pass laid itself has no record and no note. The slow order from 3000 m has its start
// board on cell 61: the groups are cells 54 to 56, 48 to 50 and 41 to 43.
TEST(Diagnostics, NoRoomAheadOfAStartBoardIsToldAtTheRecordsInTheWay) {
    const std::string slow_order = "rallentamento, 3000, 60, 500, 0, 0, 0\r\n";
    struct note {
        int line;
        const char* words;
        int metres;  // where the view goes for it
    };
    const struct {
        const char* what;
        std::string train;
        int fault_line;
        std::vector<note> notes;
    } cases[] = {
        {"three signals",
         signal_at(2650) + signal_at(2700) + signal_at(2750) + slow_order,
         5,
         {{2, "la cella 54 è stata occupata da questo record", 2650},
          {3, "la cella 55 è stata occupata da questo record", 2700},
          {4, "la cella 56 è stata occupata da questo record", 2750}}},
        {"an abatement and two signals",
         "abbattimento, 2700, 100\r\n" + signal_at(2700) + signal_at(2750) + slow_order,
         5,
         {{2, "la cella 54 è stata occupata da questo record", 2700},
          {3, "la cella 55 è stata occupata da questo record", 2700},
          {4, "la cella 56 è stata occupata da questo record", 2750}}},
        {"two full groups",
         signal_at(2350) + signal_at(2400) + signal_at(2450) + signal_at(2650) + signal_at(2700) +
             signal_at(2750) + slow_order,
         8,
         {{2, "la cella 48 è stata occupata da questo record", 2350},
          {3, "la cella 49 è stata occupata da questo record", 2400},
          {4, "la cella 50 è stata occupata da questo record", 2450},
          {5, "la cella 54 è stata occupata da questo record", 2650},
          {6, "la cella 55 è stata occupata da questo record", 2700},
          {7, "la cella 56 è stata occupata da questo record", 2750}}},
        // The approach cells of the slow order from 4000 m lie before its warning board (cell
        // 57): one record fills the whole group.
        {"the approach cells of another slow order",
         slow_order + "rallentamento, 4000, 60, 500, 0, 1, 0\r\n",
         2,
         {{3, "le celle 54, 55 e 56 sono state occupate da questo record", 4000}}},
        // The slow order before ends on cell 51; the first signal after it (cell 55) gets its
        // mark on cell 54.
        {"a mark of the pass itself",
         "rallentamento, 2000, 60, 500, 0, 0, 0\r\n" + signal_at(2700) + signal_at(2750) +
             slow_order,
         5,
         {{3, "la cella 55 è stata occupata da questo record", 2700},
          {4, "la cella 56 è stata occupata da questo record", 2750}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const authored a(k_line_ok, train_with(c.train));
        const tool_result text = a.compile(false);
        EXPECT_EQ(text.exit_status, 1);
        const std::string head = prefix(a, {in_text::train, c.fault_line, 1}) + "errore 12: ";
        std::vector<std::string> expected = {head +
                                             "rallentamento da 3000 m: in uno dei tre gruppi di "
                                             "celle davanti al cartello di inizio (cella 61) "
                                             "nessuna cella è libera per il segno di abbattimento "
                                             "a 180 che vi va messo [codice registrato]"};
        for (const note& n : c.notes) {
            expected.push_back(prefix(a, {in_text::train, n.line, 1}) + "nota: " + n.words);
        }
        const std::vector<std::string> said = lines_starting(text.err, a.train_file);
        EXPECT_EQ(said, expected) << text.err;

        const json report = json::parse(a.compile(true).out);
        ASSERT_EQ(report["errori"].size(), 1u) << report.dump(1);
        const json& fault = report["errori"][0];
        EXPECT_EQ(fault["codice"], 12);
        EXPECT_EQ(fault["line"], c.fault_line);
        ASSERT_EQ(fault["notes"].size(), c.notes.size()) << fault.dump(1);
        for (std::size_t i = 0; i < c.notes.size(); ++i) {
            const json& n = fault["notes"][i];
            EXPECT_EQ(n["file"], a.train_file);
            EXPECT_EQ(n["line"], c.notes[i].line);
            EXPECT_EQ(n["column"], 1);
            EXPECT_EQ(n["message"], c.notes[i].words);
        }

        // The page lists the same notes, each with the place of its record.
        const json page = a.view_data();
        const json& listed = page["diagnostica"]["errori"][0]["notes"];
        ASSERT_EQ(listed.size(), c.notes.size());
        for (std::size_t i = 0; i < c.notes.size(); ++i) {
            EXPECT_EQ(listed[i]["message"], c.notes[i].words);
            EXPECT_EQ(listed[i]["metri"], c.notes[i].metres);
        }
    }
}

// A clean scenario of many kilometres gives no warning and no fault at all.
TEST(Diagnostics, CleanScenarioIsNotWarnedAbout) {
    synthetic_size size = scaled_size(20);
    const synthetic_texts texts = make_synthetic_scenario(size);
    const authored a(texts.line, texts.train);
    const tool_result text = a.compile(false);
    EXPECT_EQ(text.exit_status, 0) << text.err;
    EXPECT_EQ(text.err, "");
}

}  // namespace
}  // namespace scenario
