// `scenario-tool diff` run in-process on sets the tool compiles into scratch folders: the
// program's own line against a copy with two edits names those two and nothing else, a single
// edit of each kind is reported under its kind, the JSON document has a member for each kind,
// and a damaged file or a side without geometry is said so.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/scenario_files.h"
#include "testkit/test_support.h"
#include "tool_in_process.h"

namespace scenario {
namespace {

using namespace testing;

const std::vector<std::string> k_members = {"stations", "signals", "slow_orders",  "boards",
                                            "signs",    "marks",   "speed_limits", "gradients",
                                            "adhesion", "curves",  "header"};

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

void edit_file(const std::filesystem::path& file, const std::string& from, const std::string& to) {
    write_bytes(file, replaced(read_bytes(file), from, to));
}

void compile_in(const std::filesystem::path& dir, const std::string& line, const std::string& train,
                std::vector<std::string> extra = {}) {
    std::vector<std::string> words = compile_words(dir, line, train);
    words.insert(words.end(), extra.begin(), extra.end());
    const auto result = scenario_tool(words);
    ASSERT_EQ(result.exit_status, 0) << result.standard_error << result.standard_output;
}

// The program's own texts in `dir`, edited by `edit`, then compiled there.
template <typename Edit>
void compile_real_edited(const std::filesystem::path& dir, Edit edit) {
    write_real_texts(dir);
    edit(real_file(dir, file_kind::train_description), real_file(dir, file_kind::line_description));
    compile_in(dir, k_line, k_train);
}

std::vector<std::string> diff_words(const scratch_directory& a, const scratch_directory& b,
                                    bool as_json = false) {
    std::vector<std::string> words = {"diff", shown(a.path()), shown(b.path()), "--line",
                                      k_line, "--train",       k_train};
    if (as_json) words.push_back("--json");
    return words;
}

// The members of the document that hold changes.
std::vector<std::string> changed_members(const json& document) {
    std::vector<std::string> changed;
    for (const std::string& m : k_members) {
        EXPECT_TRUE(document[m].is_array()) << m;
        if (!document[m].empty()) changed.push_back(m);
    }
    return changed;
}

TEST(DiffCommand, AMovedStationAndARemovedSignalAreTheOnlyChanges) {
    scratch_directory a, b;
    compile_real_scenario(a.path());
    compile_real_edited(b.path(), [](const auto& train, const auto&) {
        edit_file(train, "stazione,    2000, 27", "stazione,    2100, 27");
        edit_file(train, "segnale,    7750,   2, 3, 1,  1, 0,    2,  2,1,1, 0\r\n", "");
    });

    const auto text = scenario_tool(diff_words(a, b));
    EXPECT_EQ(text.exit_status, 1) << text.standard_error;
    EXPECT_EQ(text.standard_output,
              "stazioni (1):\n"
              "  stazione \"Vordano\": spostata da km 2 a km 2,1\n"
              "segnali (1):\n"
              "  segnale a km 7,75: tolto\n");

    const auto result = scenario_tool(diff_words(a, b, true));
    EXPECT_EQ(result.exit_status, 1) << result.standard_error;
    const json document = parsed(result.standard_output);
    ASSERT_FALSE(document.is_discarded()) << result.standard_output;
    std::vector<std::string> keys = {"differenze"};
    keys.insert(keys.end(), k_members.begin(), k_members.end());
    keys.push_back("plan");
    EXPECT_EQ(keys_of(document), keys);
    EXPECT_EQ(document["differenze"], true);
    EXPECT_EQ(changed_members(document), (std::vector<std::string>{"stations", "signals"}));
    const json& station = document["stations"][0];
    EXPECT_EQ(station["modifica"], "spostato");
    EXPECT_EQ(station["prima"]["metri"], 2000);
    EXPECT_EQ(station["dopo"]["metri"], 2100);
    EXPECT_EQ(station["dopo"]["nome"], "Vordano");
    EXPECT_EQ(station["campi"], json::array());
    const json& signal = document["signals"][0];
    EXPECT_EQ(signal["modifica"], "tolto");
    EXPECT_EQ(signal["prima"]["metri"], 7750);
    EXPECT_EQ(signal["prima"]["s1"], 3);
    EXPECT_EQ(signal["dopo"], nullptr);
    EXPECT_EQ(document["plan"]["confrontata"], true);
    EXPECT_EQ(document["plan"]["differisce"], false);
    EXPECT_EQ(document["plan"]["distanza_massima_metri"], 0.0);
}

TEST(DiffCommand, TwoCompilesOfTheSameTextsDoNotDiffer) {
    scratch_directory a, b;
    compile_real_scenario(a.path());
    compile_real_scenario(b.path());
    const auto text = scenario_tool(diff_words(a, b));
    EXPECT_EQ(text.exit_status, 0) << text.standard_error;
    EXPECT_EQ(text.standard_output, "nessuna differenza\n");
    const auto result = scenario_tool(diff_words(a, b, true));
    EXPECT_EQ(result.exit_status, 0);
    const json document = parsed(result.standard_output);
    EXPECT_EQ(document["differenze"], false);
    EXPECT_EQ(changed_members(document), std::vector<std::string>{});
    EXPECT_EQ(document["plan"]["differisce"], false);
}

// The same texts compiled under other names: the names, and the identity code that follows from
// them, are not a difference.
TEST(DiffCommand, OtherNamesForTheSecondSetAreGivenApart) {
    scratch_directory a, b;
    compile_real_scenario(a.path());
    write_real_texts(b.path());
    for (const file_kind kind : {file_kind::line_description, file_kind::train_description}) {
        std::filesystem::rename(real_file(b.path(), kind), file_in(b.path(), "Altra", "T9", kind));
    }
    compile_in(b.path(), "Altra", "T9");
    std::vector<std::string> words = diff_words(a, b);
    const auto without = scenario_tool(words);
    EXPECT_EQ(without.exit_status, 3) << "B holds no set under the first names";
    words.insert(words.end(), {"--line-b", "Altra", "--train-b", "T9"});
    const auto result = scenario_tool(words);
    EXPECT_EQ(result.exit_status, 0) << result.standard_error;
    EXPECT_EQ(result.standard_output, "nessuna differenza\n");
}

const std::string k_small_line =
    "[generale]\r\nlunghezza percorso, 5000\r\n[curve]\r\ncurvad4, 1000, 300\r\n"
    "[pendenze]\r\npendenza, 0, 0\r\npendenza, 2000, 10\r\n"
    "[cartelli]\r\nindicatori_vmax, 400, 80, 80, 80, 0, , , , 0\r\n"
    "[indicazioni]\r\ncartello_indicatore, 2500, (UNO)\r\n[fine]\r\n";
const std::string k_small_train =
    "[generale]\r\nnumero vetture, 6\r\n[aderenze]\r\naderenza, 0, 100\r\n"
    "[vel_limite]\r\nvelocita, 0, 80\r\nvelocita, 1500, 60\r\n"
    "[stazioni]\r\nstazione, 1000, 27, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 10, 6, 31, 0, Alfa\r\n"
    "[rallentamenti]\r\nrallentamento, 3000, 30, 500, 1, 0, 0\r\n[fine]\r\n";

void write_small(const std::filesystem::path& dir, const std::string& line,
                 const std::string& train) {
    write_bytes(file_in(dir, "L", "T", file_kind::line_description), line);
    write_bytes(file_in(dir, "L", "T", file_kind::train_description), train);
}

TEST(DiffCommand, EachSingleEditIsReportedAsItsKind) {
    const struct {
        bool in_line;
        std::string from, to;
        std::string member;
        std::string text;  // the line of the text report
        bool plan_moves;
    } edits[] = {
        {false, "velocita, 1500, 60", "velocita, 1500, 70", "speed_limits", ": 60 km/h → 70 km/h",
         false},
        {true, "pendenza, 2000, 10", "pendenza, 2000, 12", "gradients", ": 10 ‰ → 12 ‰", false},
        {true, "curvad4, 1000, 300", "curvas4, 1000, 300", "curves",
         "  curva a km 1: raggio 1000 m a destra → 1000 m a sinistra", true},
        {false, "numero vetture, 6", "numero vetture, 7", "header", "  numero vetture: 6 → 7",
         false},
        {true, "(UNO)", "(DUE)", "signs",
         "  cartello di indicazione a km 2,5: testo \"UNO\" → \"DUE\"", false},
        {false, "rallentamento, 3000, 30,", "rallentamento, 3000, 40,", "slow_orders",
         "  rallentamento a km 3: velocità 30 km/h → 40 km/h", false},
        {false, "aderenza, 0, 100", "aderenza, 0, 90", "adhesion", ": 100 → 90", false},
        {true, "indicatori_vmax, 400, 80,", "indicatori_vmax, 400, 90,", "boards",
         "  cartello indicatore di velocità a km 0,4: vas 80 km/h → 90 km/h", false},
        {false, "6, 31, 0, Alfa", "6, 32, 0, Alfa", "stations",
         "  stazione \"Alfa\" a km 1: orario 6:31:00 → 6:32:00", false},
    };
    scratch_directory a;
    write_small(a.path(), k_small_line, k_small_train);
    compile_in(a.path(), "L", "T");
    for (const auto& e : edits) {
        SCOPED_TRACE(e.member);
        scratch_directory b;
        write_small(b.path(), e.in_line ? replaced(k_small_line, e.from, e.to) : k_small_line,
                    e.in_line ? k_small_train : replaced(k_small_train, e.from, e.to));
        compile_in(b.path(), "L", "T");
        const std::vector<std::string> words = {
            "diff", shown(a.path()), shown(b.path()), "--line", "L", "--train", "T"};
        const auto text = scenario_tool(words);
        EXPECT_EQ(text.exit_status, 1) << text.standard_error;
        EXPECT_TRUE(contains(text.standard_output, e.text)) << text.standard_output;

        std::vector<std::string> json_words = words;
        json_words.push_back("--json");
        const json document = parsed(scenario_tool(json_words).standard_output);
        EXPECT_EQ(changed_members(document), std::vector<std::string>{e.member});
        EXPECT_EQ(document[e.member].size(), 1u) << document[e.member];
        EXPECT_EQ(document["plan"]["differisce"], e.plan_moves) << document["plan"];
    }
}

TEST(DiffCommand, ADamagedFileIsNamedWithItsOffset) {
    scratch_directory a, b;
    compile_real_scenario(a.path());
    compile_real_scenario(b.path());
    const std::filesystem::path cells = real_file(b.path(), file_kind::cells);
    const std::string bytes = read_bytes(cells);
    write_bytes(cells, bytes + "x");

    const auto text = scenario_tool(diff_words(a, b));
    EXPECT_EQ(text.exit_status, 3);
    EXPECT_EQ(text.standard_output, "");
    EXPECT_TRUE(contains(text.standard_error, shown(cells) + ": file danneggiato: byte " +
                                                  std::to_string(bytes.size()) + ": "))
        << text.standard_error;

    const auto result = scenario_tool(diff_words(a, b, true));
    EXPECT_EQ(result.exit_status, 3);
    const json report = parsed(result.standard_output);
    EXPECT_EQ(report["tipo"], "celle");
    EXPECT_EQ(report["file"], shown(cells));
    EXPECT_EQ(report["danneggiato"], true);
    EXPECT_EQ(report["offset"], bytes.size());
}

TEST(DiffCommand, ASideWithoutGeometryIsSaidAndThePlansAreNotCompared) {
    scratch_directory a, b;
    compile_real_scenario(a.path());
    write_real_texts(b.path());
    compile_in(b.path(), k_line, k_train, {"--no-geometry"});

    const auto text = scenario_tool(diff_words(a, b));
    EXPECT_EQ(text.exit_status, 1) << text.standard_error;
    EXPECT_EQ(text.standard_output,
              "pianta:\n"
              "  B non ha la geometria (compilato con --no-geometry): piante non confrontate\n");
    const json document = parsed(scenario_tool(diff_words(a, b, true)).standard_output);
    EXPECT_EQ(changed_members(document), std::vector<std::string>{});
    EXPECT_EQ(document["plan"]["confrontata"], false);
    EXPECT_EQ(document["plan"]["geometria"], json::array({true, false}));
    EXPECT_EQ(document["plan"]["distanza_massima_metri"], nullptr);

    // Neither side with geometry: nothing to compare, nothing differs.
    std::filesystem::remove(real_file(a.path(), file_kind::line_geometry));
    EXPECT_EQ(scenario_tool(diff_words(a, b)).exit_status, 0);
}

}  // namespace
}  // namespace scenario
