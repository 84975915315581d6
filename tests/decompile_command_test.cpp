// `scenario-tool decompile` run in-process: texts written back from the binary files compile to
// the same bytes (the program's own scenario and a table of scenarios that each stress one
// derivation: a compile stopped at a fault, an author's marks of 180 beside the spacing pass's,
// curves that overlap, mountains whose marks cross, no geometry, a stop over a speed board, names
// that need quotes); decompiling the recompiled files gives the same texts; files no text gives
// are refused with their places, or written as the nearest texts with --nearest; the names,
// existing texts and a plan of another compile are checked.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/scenario_files.h"
#include "decompile/text_layout.h"
#include "testkit/test_support.h"
#include "tool_in_process.h"

namespace scenario {
namespace {

using namespace testing;

const std::vector<file_kind> k_binary_kinds = {file_kind::line_geometry, file_kind::header_table,
                                               file_kind::cells};

std::vector<std::string> decompile_words(const std::filesystem::path& dir,
                                         const std::filesystem::path& out, const std::string& line,
                                         const std::string& train,
                                         std::vector<std::string> extra = {}) {
    std::vector<std::string> words = {"decompile", shown(dir), "--line", line, "--train", train,
                                      "--out",     shown(out)};
    words.insert(words.end(), extra.begin(), extra.end());
    return words;
}

std::string text_of(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& l : lines) text += l + "\r\n";
    return text;
}

// The binary files of a folder, by kind; a file that is not there is empty.
std::vector<std::string> binary_files(const std::filesystem::path& dir, const std::string& line,
                                      const std::string& train) {
    std::vector<std::string> out;
    for (const file_kind kind : k_binary_kinds) {
        const auto file = file_in(dir, line, train, kind);
        out.push_back(std::filesystem::exists(file) ? read_bytes(file) : std::string());
    }
    return out;
}

struct round_trip {
    tool_result decompiled;
    bool same_bytes = false;
    bool fixed_point = false;
};

// Compiles the texts in `dir`, decompiles the files, compiles the texts again and decompiles
// once more.
round_trip run_round_trip(const std::filesystem::path& dir, const std::string& line,
                          const std::string& train, bool geometry) {
    std::vector<std::string> compile = compile_words(dir / "a", line, train);
    if (!geometry) compile.push_back("--no-geometry");
    compile.insert(compile.end(), {"--out", shown(dir / "a_bin")});
    EXPECT_NE(scenario_tool(compile).exit_status, 3);

    round_trip r;
    r.decompiled = scenario_tool(decompile_words(dir / "a_bin", dir / "b", line, train));
    if (r.decompiled.exit_status != 0) return r;
    std::vector<std::string> again = compile_words(dir / "b", line, train);
    if (!geometry) again.push_back("--no-geometry");
    again.insert(again.end(), {"--out", shown(dir / "b_bin")});
    scenario_tool(again);
    r.same_bytes = binary_files(dir / "a_bin", line, train) == binary_files(dir / "b_bin", line, train);
    EXPECT_EQ(scenario_tool(decompile_words(dir / "b_bin", dir / "c", line, train)).exit_status, 0);
    r.fixed_point = true;
    for (const file_kind kind : {file_kind::line_description, file_kind::train_description}) {
        r.fixed_point = r.fixed_point && read_bytes(file_in(dir / "b", line, train, kind)) ==
                                             read_bytes(file_in(dir / "c", line, train, kind));
    }
    return r;
}

TEST(DecompileCommand, TheProgramsOwnScenarioComesBackToTextsOfTheSameBytes) {
    scratch_directory dir;
    std::filesystem::create_directories(dir.path() / "a");
    write_real_texts(dir.path() / "a");
    const round_trip r = run_round_trip(dir.path(), k_line, k_train, true);
    ASSERT_EQ(r.decompiled.exit_status, 0) << r.decompiled.standard_output;
    EXPECT_TRUE(r.same_bytes);
    EXPECT_TRUE(r.fixed_point);
    EXPECT_TRUE(contains(r.decompiled.standard_output, "byte per byte"));
    // Texts as the program's own look: CR LF only, sections in the program's order.
    const std::string train = read_bytes(real_file(dir.path() / "b", file_kind::train_description));
    EXPECT_EQ(train.find("\n"), train.find("\r\n") + 1);
    std::size_t at = 0;
    for (const char* header : {"[generale]", "[aderenze]", "[vel_limite]", "[stazioni]",
                               "[rallentamenti]", "[segnali]", "[fine]"}) {
        const std::size_t found = train.find(header, at);
        ASSERT_NE(found, std::string::npos) << header;
        at = found;
    }
    EXPECT_TRUE(contains(train, "stazione,     0, 12, 300,"));
    const std::string line = read_bytes(real_file(dir.path() / "b", file_kind::line_description));
    EXPECT_TRUE(contains(line, "curvas6,  2400,  200\r\n"));
}

struct scenario_case {
    const char* aim;
    bool geometry;
    std::vector<std::string> line;
    std::vector<std::string> train;
    std::optional<std::string> said;  // what the report must say beyond the written files
};

const std::vector<std::string> k_short_line = {"[generale]", "lunghezza percorso, 6000",
                                               "[pendenze]", "pendenza, 0, 0", "[fine]"};
const std::vector<std::string> k_plain_train_head = {
    "[generale]", "numero vetture, 4", "[aderenze]", "aderenza, 0, 100", "[vel_limite]",
    "velocita, 0, 80"};

std::vector<std::string> train_with(std::vector<std::string> records) {
    std::vector<std::string> text = k_plain_train_head;
    text.insert(text.end(), records.begin(), records.end());
    text.push_back("[fine]");
    return text;
}

const scenario_case k_cases[] = {
    {"a signal written twice stops the train text",
     true,
     k_short_line,
     train_with({"[segnali]", "segnale, 1750, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0",
                 "segnale, 1750, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0",
                 "segnale, 3750, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0"}),
     "compilazione interrotta"},
    {"a station too close to the one before stops the text at itself",
     false,
     k_short_line,
     train_with({"[stazioni]", "stazione, 1000, 12, 200, 0, 0, 0, 1,1,0, 4,1,1, 20, 6,0,0, Nord",
                 "stazione, 1400, 12, 200, 0, 0, 0, 1,1,0, 4,1,1, 20, 6,5,0, Sud",
                 "[segnali]", "segnale, 3000, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0"}),
     "compilazione interrotta"},
    {"an author's marks of 180 and above beside the spacing pass's",
     false,
     k_short_line,
     train_with({"[rallentamenti]", "rallentamento, 3000, 30, 500, 1, 1, 0", "[segnali]",
                 "segnale, 2000, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0", "abbattimento, 1900, 250",
                 "abbattimento, 2850, 180", "abbattimento, 4000, 180", "abbattimento, 4500, 0"}),
     std::nullopt},
    {"curves that overlap and touch, and one of no length",
     true,
     {"[generale]", "lunghezza percorso, 5000", "[curve]", "curvad4, 200, 300",
      "curvas2, 400, 300", "curvad6, 700, 100", "curvas1, 1500, 0", "curvad5, 2000, 50",
      "[fine]"},
     train_with({}),
     std::nullopt},
    {"mountains above kind 10 that overlap, and two within 150 m",
     true,
     {"[generale]", "lunghezza percorso, 6000", "[montagne]", "montagna, 400, 1400, 12",
      "montagna, 1000, 2000, 4", "montagna, 2100, 2600, 15", "montagna, 2700, 3000, 5",
      "montagna, 3500, 3600, 300", "[cartelli]", "indicatori_vmax, 600, 80, 80, 80, 0, , , , 0",
      "[fine]"},
     train_with({"[segnali]", "segnale, 2400, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0"}),
     std::nullopt},
    {"a station's stop over a speed board and a sign",
     false,
     {"[generale]", "lunghezza percorso, 6000", "[cartelli]",
      "indicatori_vmax, 1050, 60, 50, 40, 1, 5, 10, 15, 2", "[indicazioni]",
      "cartello_indicatore, 2100, (FERMATA)", "cartello_indicatore, 3000, \"  VIA, PIAZZA \"",
      "[fine]"},
     train_with({"[stazioni]", "stazione, 1000, 11, 200, 0, 0, 0, 1,1,0, 4,1,1, 20, 6,0,0, Nord",
                 "stazione, 2000, 12, 200, 0, 0, 0, 1,1,0, 4,1,1, 20, 6,5,0, \"Sud, bivio\""}),
     "--no-geometry"},
};

TEST(DecompileCommand, ScenariosOfEachDerivationComeBackToTheSameBytes) {
    for (const scenario_case& c : k_cases) {
        SCOPED_TRACE(c.aim);
        scratch_directory dir;
        const std::string line = "Prova ò", train = "T 1";
        std::filesystem::create_directories(dir.path() / "a");
        write_bytes(file_in(dir.path() / "a", line, train, file_kind::line_description),
                    text_of(c.line));
        write_bytes(file_in(dir.path() / "a", line, train, file_kind::train_description),
                    text_of(c.train));
        const round_trip r = run_round_trip(dir.path(), line, train, c.geometry);
        ASSERT_EQ(r.decompiled.exit_status, 0) << r.decompiled.standard_output;
        EXPECT_TRUE(r.same_bytes);
        EXPECT_TRUE(r.fixed_point);
        if (c.said) {
            EXPECT_TRUE(contains(r.decompiled.standard_output, *c.said));
        }
    }
}

// A signal moved by hand to a cell where its approach marks no longer fit it.
TEST(DecompileCommand, AHandMovedSignalIsRefusedWithItsPlacesOrWrittenNearest) {
    scratch_directory dir;
    compile_real_scenario(dir.path());
    const auto cells_file = real_file(dir.path(), file_kind::cells);
    std::string cells = read_bytes(cells_file);
    // The signal at 1750 m lies in cell 36: its first nine bytes go to cell 38.
    ASSERT_EQ(cells[36 * 15], 1);
    cells.replace(38 * 15, 9, cells.substr(36 * 15, 9));
    cells.replace(36 * 15, 9, std::string(9, '\0'));
    write_bytes(cells_file, cells);

    const auto refused = scenario_tool(decompile_words(dir.path(), dir.path() / "out", k_line, k_train));
    EXPECT_EQ(refused.exit_status, 3);
    EXPECT_TRUE(contains(refused.standard_output, "nessun testo dà questi file"));
    EXPECT_TRUE(contains(refused.standard_output, ": byte 520: cella 34, preavviso: il file ha 81"))
        << refused.standard_output;
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "out"));

    const auto nearest = scenario_tool(
        decompile_words(dir.path(), dir.path() / "out", k_line, k_train, {"--nearest"}));
    EXPECT_EQ(nearest.exit_status, 1);
    EXPECT_TRUE(contains(nearest.standard_output, "i testi più vicini"));
    EXPECT_TRUE(contains(nearest.standard_output, "cella 34, preavviso"));
    EXPECT_TRUE(std::filesystem::exists(real_file(dir.path() / "out", file_kind::line_description)));
}

TEST(DecompileCommand, NamesExistingTextsAndAPlanOfAnotherCompileAreChecked) {
    scratch_directory dir;
    compile_real_scenario(dir.path());
    // The files carry the names they were compiled with.
    std::filesystem::copy_file(real_file(dir.path(), file_kind::header_table),
                               file_in(dir.path(), k_line, "ALTRO", file_kind::header_table));
    std::filesystem::copy_file(real_file(dir.path(), file_kind::cells),
                               file_in(dir.path(), k_line, "ALTRO", file_kind::cells));
    const auto renamed = scenario_tool(decompile_words(dir.path(), dir.path(), k_line, "ALTRO"));
    EXPECT_EQ(renamed.exit_status, 3);
    EXPECT_TRUE(contains(renamed.standard_error, "il treno \"" + k_train + "\"")) << renamed.standard_error;

    // The texts beside the files are kept unless --force.
    const std::string before = read_bytes(real_file(dir.path(), file_kind::train_description));
    const auto kept = scenario_tool(decompile_words(dir.path(), dir.path(), k_line, k_train));
    EXPECT_EQ(kept.exit_status, 3);
    EXPECT_TRUE(contains(kept.standard_error, "--force"));
    EXPECT_EQ(read_bytes(real_file(dir.path(), file_kind::train_description)), before);
    EXPECT_EQ(
        scenario_tool(decompile_words(dir.path(), dir.path(), k_line, k_train, {"--force"})).exit_status,
        0);

    // A plan left by a compile of another length.
    scratch_directory shorter;
    write_real_texts(shorter.path());
    const auto line_text = real_file(shorter.path(), file_kind::line_description);
    std::string text = read_bytes(line_text);
    text.replace(text.find("22000"), 5, "21000");
    write_bytes(line_text, text);
    ASSERT_NE(scenario_tool(compile_words(shorter.path(), k_line, k_train)).exit_status, 3);
    write_bytes(real_file(dir.path(), file_kind::line_geometry),
                read_bytes(real_file(shorter.path(), file_kind::line_geometry)));
    const auto other = scenario_tool(decompile_words(dir.path(), dir.path() / "o", k_line, k_train));
    EXPECT_EQ(other.exit_status, 3);
    EXPECT_TRUE(contains(other.standard_output, "la geometria è di un percorso di 21000 m, la "
                                                "testata dice 22000 m"))
        << other.standard_output;
}

TEST(DecompileTextItem, NamesAreWrittenSoThatTheReaderGivesThemBack) {
    struct item_case {
        std::string name;
        std::optional<std::string> item;
    };
    const item_case cases[] = {
        {"Cascina Telvo", "Cascina Telvo"},
        {"Sud, bivio", "\"Sud, bivio\""},
        {"  ai lati ", "\"  ai lati \""},
        {"", "\"\""},
        {"dice \"ciao\"", "dice \"ciao\""},
        {"\"aperta", std::nullopt},
        {"\"a\", b", std::nullopt},
        {"due\r\nrighe", std::nullopt},
    };
    for (const item_case& c : cases) EXPECT_EQ(tool::text_item(c.name), c.item) << c.name;
}

}  // namespace
}  // namespace scenario
