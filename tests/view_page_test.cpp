// The data of the view page and the page around it, from compiles of small texts held in
// scratch folders: every feature names the record that placed it with that record's whole
// line, the profile's runs follow the cells, the speed to keep is the lower of limit and slow
// order, curves are read from the plan with the record that traced each, diagnostics carry the
// place the view moves to, the thinned plan stays within its tolerance, and scenario texts reach
// the page only as escaped JSON. The command is tested in view_command_test.cpp, the page in a
// browser in tests/browser.
#include "view/view_data.h"
#include "view/view_diagnostics.h"
#include "view/view_page.h"
#include "view/view_plan.h"

#include <gtest/gtest.h>

#include <cmath>

#include "base/positions.h"
#include "base/scenario_files.h"
#include "base/windows1252.h"
#include "session/compile_session.h"
#include "describe/descriptions.h"
#include "run/run_sequence.h"
#include "testkit/test_support.h"
#include "tool_in_process.h"

namespace scenario {
namespace {

using testing::shown;

using testing::scratch_directory;
using testing::write_bytes;
using tool::json;

// The texts (UTF-8 here, Windows-1252 on disk) compiled the way `view` compiles them.
struct compiled_texts {
    scratch_directory dir;
    std::unique_ptr<tool::compiled_scenario> compiled;
    json data;

    compiled_texts(const std::string& line_text, const std::string& train_text,
                   const std::string& line = "L", const std::string& train = "T") {
        write_bytes(dir.path() / path_from_utf8(
                                     scenario_file_name(line, train, file_kind::line_description)),
                    to_windows1252(line_text));
        write_bytes(dir.path() / path_from_utf8(
                                     scenario_file_name(line, train, file_kind::train_description)),
                    to_windows1252(train_text));
        compile(line, train);
    }

    void compile(const std::string& line, const std::string& train) {
        tool::scenario_request request;
        request.dir_word = shown(dir.path());
        request.dir = dir.path();
        request.out_dir = dir.path();
        request.line = line;
        request.train = train;
        compiled = tool::compile_scenario_texts(request);
        data = tool::view_data(*compiled);
    }

    // The record an entry of the data points at.
    const json& record(const json& entry) const { return data["record"][entry["r"].get<int>()]; }
};

std::string crlf(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (const std::string_view line : lines) text += std::string(line) + "\r\n";
    return text;
}

// A 5000 m route (cells 0 to 240; the fills reach cell 237, 11900 m). Line numbers are those of
// the records below.
const std::string k_line = crlf({
    "[generale]",                                    // 1
    "lunghezza percorso, 5000",                      // 2
    "[curve]",                                       // 3
    "curvad4, 1000, 300",                            // 4
    "curvas6, 2000, 200",                            // 5
    "[pendenze]",                                    // 6
    "pendenza, 0, 0",                                // 7
    "pendenza, 1000, 10",                            // 8
    "pendenza, 2000, -20",                           // 9
    "[cartelli]",                                    // 10
    "indicatori_vmax, 400, 80, 80, 80, 0, , , , 0",  // 11
    "cartello_indicatore, 2150, (GALLERIA ò)",       // 12
    "[fine]",                                        // 13
});
const std::string k_train = crlf({
    "[generale]",                                                              // 1
    "velocita, 0, 80",                                                         // 2
    "velocita, 1500, 60",                                                      // 3
    "stazione, 1000, 27, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6, 30, 0, Città",  // 4
    "rallentamento, 3000, 30, 500, 1, 0, 0",                                   // 5
    "segnale, 2500, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0",                             // 6
    "[fine]",                                                                  // 7
});

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

TEST(ViewPage, EveryFeatureNamesTheRecordThatPlacedItWithItsWholeLine) {
    const compiled_texts c(k_line, k_train);
    ASSERT_EQ(c.compiled->status(), 0);
    const std::vector<std::string> texts[2] = {lines_of(k_line), lines_of(k_train)};
    // Each kind the records place, with the record's line (file 0 the line text, 1 the train's)
    // and the label the drawing writes.
    struct expected_feature {
        int kind;
        double metres;
        int file;
        int line;
        const char* label;
    };
    const expected_feature expected[] = {
        {6, 400, 0, 11, "80"}, {4, 1800, 1, 5, "30"}, {14, 2150, 0, 12, "(GALLERIA ò)"},
        {1, 2500, 1, 6, ""},   {3, 3000, 1, 5, "30"}, {2, 3500, 1, 5, ""},
    };
    for (const expected_feature& e : expected) {
        SCOPED_TRACE(e.kind);
        const auto found = std::find_if(
            c.data["elementi"].begin(), c.data["elementi"].end(), [&](const json& element) {
                return element["tipo"] == e.kind && element["m"] == e.metres;
            });
        ASSERT_NE(found, c.data["elementi"].end());
        EXPECT_EQ((*found)["etichetta"], e.label);
        EXPECT_EQ((*found)["cella"], point_cell(static_cast<std::int64_t>(e.metres)));
        const json& record = c.record(*found);
        EXPECT_EQ(record["file"], e.file);
        EXPECT_EQ(record["riga"], e.line);
        EXPECT_EQ(record["colonna"], 1);
        EXPECT_EQ(record["testo"], texts[e.file][static_cast<std::size_t>(e.line - 1)]);
    }
    // The value marks of the spacing pass come from no record.
    for (const json& element : c.data["elementi"]) {
        if (element["tipo"] == 12) {
            EXPECT_TRUE(element["r"].is_null());
        }
    }
    ASSERT_EQ(c.data["stazioni"].size(), 1u);
    const json& station = c.data["stazioni"][0];
    EXPECT_EQ(station["nome"], "Città");
    EXPECT_EQ(station["c"], 1000);
    EXPECT_EQ(station["a"], 900);
    EXPECT_EQ(station["b"], 1100);
    EXPECT_EQ(station["orario"], "06:30:00");
    EXPECT_EQ(c.record(station)["riga"], 4);
    EXPECT_EQ(c.record(station)["testo"], texts[1][3]);
    EXPECT_EQ(c.data["testi"], json({c.compiled->line_label, c.compiled->train_label}));
}

TEST(ViewPage, ProfileRunsFollowTheCellsAndTheSpeedToKeepIsTheLower) {
    const compiled_texts c(k_line, k_train);
    EXPECT_EQ(c.data["percorso"], 5000);
    EXPECT_EQ(c.data["fine"], 241 * 50);
    const json gradients = c.data["pendenza"];
    ASSERT_EQ(gradients.size(), 3u);
    const double expected_gradients[3][3] = {{0, 1000, 0}, {1000, 2000, 10}, {2000, 11900, -20}};
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        for (std::size_t j = 0; j < 3; ++j) EXPECT_EQ(gradients[i][j], expected_gradients[i][j]);
        EXPECT_EQ(c.data["record"][gradients[i][3].get<int>()]["riga"], 7 + static_cast<int>(i));
    }
    // Metres of climb: 0 to 1000 flat, 10 per thousand to 2000, then 20 per thousand down.
    EXPECT_EQ(c.data["quota"], json::parse("[[0,0],[1000,0],[2000,10],[11900,-188]]"));
    const json limits = c.data["limite"];
    ASSERT_EQ(limits.size(), 2u);
    EXPECT_EQ(limits[0][2], 80);
    EXPECT_EQ(limits[0][1], 1500);
    EXPECT_EQ(limits[1][2], 60);
    EXPECT_EQ(c.data["record"][limits[1][3].get<int>()]["riga"], 3);
    ASSERT_EQ(c.data["rallentamenti"].size(), 1u);
    EXPECT_EQ(c.data["rallentamenti"][0]["da"], 3000);
    EXPECT_EQ(c.data["rallentamenti"][0]["a"], 3500);
    EXPECT_EQ(c.data["rallentamenti"][0]["v"], 30);
    EXPECT_EQ(c.data["da_tenere"],
              json::parse("[[0,1500,80],[1500,3000,60],[3000,3500,30],[3500,11900,60]]"));
}

// The x (east) of the plan at metre m, between its thinned points.
double east_at(const json& plan, double m) {
    for (std::size_t i = 1; i < plan.size(); ++i) {
        const double m0 = plan[i - 1][0], m1 = plan[i][0];
        if (m1 >= m) {
            const double x0 = plan[i - 1][1], x1 = plan[i][1];
            return x0 + (x1 - x0) * (m - m0) / (m1 - m0);
        }
    }
    return plan.back()[1];
}

TEST(ViewPage, CurvesComeFromThePlanWithTheirRecordsAndTurnAsItDoes) {
    const compiled_texts c(k_line, k_train);
    const json curves = c.data["curve"];
    ASSERT_EQ(curves.size(), 2u);
    EXPECT_EQ(curves[0]["da"], 1000);
    EXPECT_EQ(curves[0]["a"], 1300);
    EXPECT_EQ(curves[0]["k"], 0.001);
    EXPECT_EQ(curves[0]["raggio"], 1000);
    EXPECT_EQ(curves[0]["verso"], "destra");
    EXPECT_EQ(c.record(curves[0])["riga"], 4);
    EXPECT_EQ(curves[1]["k"], -0.003);
    EXPECT_EQ(curves[1]["raggio"], 333);
    EXPECT_EQ(curves[1]["verso"], "sinistra");
    // North first; a curve to the right turns the track east, the sharper one to the left back
    // west.
    const json& plan = c.data["pianta"];
    EXPECT_NEAR(east_at(plan, 1000), 0, 0.3);
    EXPECT_GT(east_at(plan, 1800) - east_at(plan, 1300), 100);
    EXPECT_LT(east_at(plan, 2700) - east_at(plan, 2200), -100);
    EXPECT_EQ(plan.front()[0], 0);
    EXPECT_EQ(plan.back()[0], 12000 - 2) << "the trace ends two metres before the last";
}

TEST(ViewPage, ThinnedPlanStaysWithinItsToleranceWithFewPoints) {
    geometria plan(6000);
    plan.seed();
    plan.trace(2, 1000, std::nullopt);
    plan.trace(1001, 2500, 0.003);
    plan.trace(2501, 4000, std::nullopt);
    plan.trace(4001, 5000, -0.0001);
    for (const double tolerance : {0.05, 0.25, 1.0}) {
        SCOPED_TRACE(tolerance);
        const std::vector<tool::plan_point> thinned = tool::thin_plan(plan, tolerance);
        ASSERT_GE(thinned.size(), 2u);
        EXPECT_EQ(thinned.front().metre, 0);
        EXPECT_EQ(thinned.back().metre, 5000) << "the last traced metre";
        EXPECT_LT(thinned.size(), 400u);
        // Every traced point lies within the tolerance of the segment its metre falls in.
        std::size_t segment = 1;
        for (std::int32_t m = 0; m <= 5000; ++m) {
            while (thinned[segment].metre < m) ++segment;
            const tool::plan_point& a = thinned[segment - 1];
            const tool::plan_point& b = thinned[segment];
            const double px = plan.value(m, 0), py = plan.value(m, 1);
            const double dx = b.x - a.x, dy = b.y - a.y;
            const double t =
                std::clamp(((px - a.x) * dx + (py - a.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
            ASSERT_LE(std::hypot(px - a.x - t * dx, py - a.y - t * dy), tolerance + 0.01)
                << "metre " << m;
        }
    }
    // A straight run is its two ends.
    geometria straight(3000);
    straight.seed();
    straight.trace(2, 3000, std::nullopt);
    EXPECT_EQ(tool::thin_plan(straight, 0.25).size(), 2u);
    EXPECT_TRUE(tool::thin_plan(geometria(), 0.25).empty());
}

// Each diagnostic carries the metre the view goes to: the fault's position, else the first
// value of the record on its line, else the number after a misspelt keyword.
TEST(ViewPage, DiagnosticsCarryThePlaceTheViewMovesTo) {
    const std::string line = crlf({"[generale]", "lunghezza percorso, 5000", "[fine]"});
    struct place_case {
        const char* what;
        std::string line;
        std::string train;
        const char* kind;  // "errori" or "warnings"
        json code;
        int text_line;
        json metres;
        json note_metres;  // of the first note, or null when there is none
    };
    const place_case cases[] = {
        {"fault with a position", line,
         crlf({"[generale]", "segnale, 1000, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0",
               "segnale, 1000, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0", "[fine]"}),
         "errori", 16, 3, 1000, 1000},
        {"fault without a position",
         crlf({"[generale]", "lunghezza percorso, 5000", "[curve]", "curvas, 700, 100", "[fine]"}),
         crlf({"[generale]", "[fine]"}), "errori", 103, 4, 700, nullptr},
        {"warning on a record", line,
         crlf({"[generale]", "velocita, 2200, 60", "velocita, 1200, 30", "[fine]"}), "warnings",
         nullptr, 3, 1200, nullptr},
        {"warning on a misspelt keyword", line,
         crlf({"[generale]", "segnlae, 1750, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0", "[fine]"}), "warnings",
         nullptr, 2, 1750, nullptr},
        {"warning on a record hidden by a dash", line,
         crlf({"[generale]", "numero vetture, 6", "-segnale, 2750, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0",
               "[fine]"}),
         "warnings", nullptr, 3, 2750, nullptr},
        {"fault on a record whose first value is no position",
         crlf({"[generale]", "lunghezza percorso, 5000", "ripetizione segnali 4 codici, 25, 0",
               "[fine]"}),
         crlf({"[generale]", "[fine]"}), "errori", 3, 3, nullptr, nullptr},
    };
    for (const place_case& pc : cases) {
        SCOPED_TRACE(pc.what);
        const compiled_texts c(pc.line, pc.train);
        const json& list = c.data["diagnostica"][pc.kind];
        ASSERT_EQ(list.size(), 1u) << c.data["diagnostica"].dump();
        const json& d = list[0];
        if (!pc.code.is_null()) {
            EXPECT_EQ(d["codice"], pc.code);
        }
        EXPECT_EQ(d["line"], pc.text_line);
        EXPECT_EQ(d["metri"], pc.metres);
        const bool on_train = std::string(pc.kind) == "warnings" || pc.code == 16;
        if (pc.code == 3) {
            EXPECT_TRUE(d["posizione"].is_null()) << "a code without a position";
        }
        EXPECT_EQ(d["file"], on_train ? c.compiled->train_label : c.compiled->line_label);
        // The words are those compile prints.
        const std::string& words = std::string(pc.kind) == "errori"
                                       ? c.compiled->report.faults.front().message.text
                                       : c.compiled->report.warnings.front().text;
        EXPECT_EQ(d["message"], words);
        if (!pc.note_metres.is_null()) {
            ASSERT_EQ(d["notes"].size(), 1u);
            EXPECT_EQ(d["notes"][0]["metri"], pc.note_metres);
            EXPECT_EQ(d["notes"][0]["line"], 2);
        }
    }
}

// The JSON text between the page's data element's tags.
std::string embedded_data(const std::string& page) {
    const std::string open = "<script type=\"application/json\" id=\"dati\">";
    const std::size_t start = page.find(open);
    if (start == std::string::npos) return "";
    const std::size_t end = page.find("</script>", start);
    return page.substr(start + open.size(), end - start - open.size());
}

std::size_t count(const std::string& text, const std::string& piece) {
    std::size_t n = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
        ++n;
    return n;
}

TEST(ViewPage, ScenarioTextsReachThePageOnlyAsEscapedJson) {
    const std::string station = "<img src=x onerror=alert(1)>";
    const std::string sign = "</script><script>alert(2)</script>";
#ifdef _WIN32
    const std::string name = "L&amp;'x";  // Windows forbids < and > in file names
#else
    const std::string name = "L<b>&amp;";
#endif
    const compiled_texts c(
        crlf({"[generale]", "lunghezza percorso, 5000", "[cartelli]",
              "cartello_indicatore, 2000, " + sign, "[fine]"}),
        crlf({"[generale]",
              "stazione, 1000, 27, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6, 30, 0, " + station,
              "[fine]"}),
        name, "T");
    for (const bool live : {false, true}) {
        SCOPED_TRACE(live);
        const std::string page = tool::view_page_html(tool::view_data_json(*c.compiled), live);
        EXPECT_EQ(page.find("<img"), std::string::npos);
        EXPECT_EQ(page.find("alert("), page.find("alert(1)")) << "only inside the data";
        EXPECT_EQ(page.find("<b>"), std::string::npos);
        EXPECT_EQ(count(page, "<script"), 2u) << "the data and the page's own script";
        EXPECT_EQ(count(page, "</script>"), 2u);
        const json data = json::parse(embedded_data(page));
        EXPECT_EQ(data["stazioni"][0]["nome"], station);
        EXPECT_EQ(data["linea"], name);
        const auto sign_element = std::find_if(data["elementi"].begin(), data["elementi"].end(),
                                               [](const json& e) { return e["tipo"] == 14; });
        ASSERT_NE(sign_element, data["elementi"].end());
        EXPECT_EQ((*sign_element)["etichetta"], sign);
        EXPECT_NE(data["testi"][0].get<std::string>().find(name), std::string::npos);
        // No request but the server's own in live mode, none at all otherwise.
        EXPECT_NE(page.find("default-src 'none'"), std::string::npos);
        EXPECT_EQ(page.find("connect-src 'self'") != std::string::npos, live);
        EXPECT_EQ(page.find("<body data-live=\"1\">") != std::string::npos, live);
    }
}

TEST(ViewPage, ScriptSafeJsonEscapesWhatCouldEndTheScript) {
    const std::pair<std::string, std::string> cases[] = {
        {"\"<\"", "\"\\u003c\""},
        {"\"</script>\"", "\"\\u003c/script\\u003e\""},
        {"\"a&b\"", "\"a\\u0026b\""},
        {"\"a\u2028b\u2029c\"", "\"a\\u2028b\\u2029c\""},
        {"\"Metrò \u2014 è\"", "\"Metrò \u2014 è\""},
        {"{\"n\":[1,2]}", "{\"n\":[1,2]}"},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(tool::script_safe_json(text), expected);
        EXPECT_EQ(json::parse(tool::script_safe_json(text)), json::parse(text));
    }
}

// A compile that stops before the cells exist still gives data: empty drawings and the fault.
TEST(ViewPage, ACompileWithoutCellsStillGivesItsDiagnostics) {
    const compiled_texts c(crlf({"niente", "[fine]"}), crlf({"[generale]", "[fine]"}));
    EXPECT_EQ(c.compiled->status(), 1);
    for (const char* member : {"pianta", "pendenza", "limite", "elementi", "stazioni", "curve"}) {
        EXPECT_TRUE(c.data[member].empty()) << member;
    }
    // The recorded 102 first; the checking compile adds the route length the text lacks.
    ASSERT_EQ(c.data["diagnostica"]["errori"].size(), 2u);
    EXPECT_EQ(c.data["diagnostica"]["errori"][0]["codice"], 102);
    EXPECT_EQ(c.data["diagnostica"]["errori"][0]["registrato"], true);
    EXPECT_EQ(c.data["diagnostica"]["errori"][1]["codice"], 25);
    EXPECT_FALSE(
        embedded_data(tool::view_page_html(tool::view_data_json(*c.compiled), false)).empty());
}

}  // namespace
}  // namespace scenario
