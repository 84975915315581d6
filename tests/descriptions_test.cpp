// Tests of the two description writers: the exact bytes of each text, the replacement of an
// earlier file and the shared index left on the end marker.
#include "describe/descriptions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/scenario_files.h"
#include "testkit/test_support.h"

namespace scenario {
namespace {

using testing::file_names;
using testing::read_bytes;
using testing::scratch_directory;
using testing::state_in;
using testing::write_bytes;

// The line text as the scenario's designer wrote it down, one line per entry.
constexpr std::string_view k_line_text_lines[] = {
    "[generale]",
    "lunghezza percorso,    22000",
    "progressiva chilometrica uno,    0,    0,    0",
    "progressiva chilometrica due,    0,    0,    0",
    "progressiva chilometrica tre,    0,    0,    0",
    "sfondo uno,    1",
    "sfondo due,    0",
    "sfondo tre,    0",
    "ripetizione segnali 4 codici,    0    ,0",
    "[curve]",
    "curvas6,  2400,  200",
    "curvad5,  4200,  300",
    "curvad5,  5200,  300",
    "curvas4,  6300,  300",
    "curvad4,  8250,  600",
    "curvas6,  10200,  600",
    "curvas3,  11200,  400",
    "curvad5,  12200,  300",
    "curvas2,  12600,  1300",
    "curvad4,  14150,  300",
    "curvad6,  15200,  200",
    "curvas3,  15400,  1000",
    "[pendenze]",
    "pendenza,   0,    0",
    "pendenza,  2100,   -25",
    "pendenza,  2900,   0",
    "[montagne]",
    "montagna,   2200,  2250,  2",
    "[cartelli]",
    "indicatori_vmax,  400,  80,  80,  80,  0,  ,  ,  ,  0",
    "indicatori_vmax,  1800,  60,  60,  60,  0,  ,  ,  ,  0",
    "indicatori_vmax,  16300,  30,  30,  30,  0,  ,  ,  ,  0",
    "[indicazioni]",
    "cartello_indicatore,  2150,   (INIZIO TRATTA)(SOTTERRANEA  )",
    "cartello_indicatore,  2200,   (DA ORA FINO ALLA)(FINE TRATTA     )(IN SOTTERANEA   )",
    "[fine]",
};

std::string expected_line_text() {
    std::string text;
    for (std::string_view line : k_line_text_lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::size_t count_of(const std::string& bytes, std::string_view what) {
    std::size_t n = 0;
    for (std::size_t at = bytes.find(what); at != std::string::npos; at = bytes.find(what, at + 1))
        ++n;
    return n;
}

TEST(LineDescription, WritesExactlyTheThirtySixLines) {
    scratch_directory dir;
    run_state state = state_in(dir.path());
    dati_linea(state);

    EXPECT_EQ(file_names(dir.path()), std::vector<std::string>{"Metrò 2 - Zelnor_linea.txt"});
    const std::string bytes = read_bytes(scenario_file(state, file_kind::line_description));
    EXPECT_EQ(bytes, expected_line_text());
    EXPECT_EQ(count_of(bytes, "\r\n"), 36u);
    EXPECT_EQ(count_of(bytes, "\n"), 36u);  // no line end of any other kind
    EXPECT_TRUE(bytes.ends_with("[fine]\r\n"));
    EXPECT_EQ(bytes.find("riferimento fine del file"), std::string::npos);
    EXPECT_EQ(state.indice, 36);
}

TEST(LineDescription, EmptyFieldsSurviveOnTheThirtiethLine) {
    scratch_directory dir;
    run_state state = state_in(dir.path());
    dati_linea(state);
    const std::string bytes = read_bytes(scenario_file(state, file_kind::line_description));
    std::size_t begin = 0;
    for (int line = 0; line < 29; ++line) begin = bytes.find("\r\n", begin) + 2;
    const std::size_t end = bytes.find("\r\n", begin);
    EXPECT_EQ(bytes.substr(begin, end - begin),
              "indicatori_vmax,  400,  80,  80,  80,  0,  ,  ,  ,  0");
}

TEST(LineDescription, ReplacesALongerEarlierFileWhole) {
    scratch_directory dir;
    run_state state = state_in(dir.path());
    const auto file = scenario_file(state, file_kind::line_description);
    write_bytes(file, std::string(10000, 'x') + "\r\nriferimento fine del file\r\n");
    dati_linea(state);
    EXPECT_EQ(read_bytes(file), expected_line_text());
    EXPECT_EQ(file_names(dir.path()).size(), 1u);  // no temporary file left beside it
}

// The lines of a written text, without their CR LF.
std::vector<std::string> lines_of(const std::string& bytes) {
    std::vector<std::string> lines;
    for (std::size_t begin = 0; begin < bytes.size();) {
        const std::size_t end = bytes.find("\r\n", begin);
        if (end == std::string::npos) break;
        lines.push_back(bytes.substr(begin, end - begin));
        begin = end + 2;
    }
    return lines;
}

std::string right_aligned(std::int32_t value, std::size_t width) {
    const std::string digits = std::to_string(value);
    return std::string(width - std::min(width, digits.size()), ' ') + digits;
}

// The signal rows as their rule states them: for every kilometre k one row 250 m before the
// station at 1000 (k + 1) with s1 3 and one 200 m beyond it with s1 4; the row for 2200 stands
// at 2100, there is none at 10200, and the rows at 5200 and 13200 carry the time 230.
std::vector<std::string> signal_rows_by_rule() {
    struct row {
        std::int32_t position, s1, tempo;
    };
    std::vector<row> rows;
    for (std::int32_t k = 0; k <= 16; ++k) {
        rows.push_back({750 + 1000 * k, 3, 0});
        std::int32_t beyond = 1200 + 1000 * k;
        if (beyond == 10200) continue;
        if (beyond == 2200) beyond = 2100;
        rows.push_back({beyond, 4, beyond == 5200 || beyond == 13200 ? 230 : 0});
    }
    std::sort(rows.begin(), rows.end(),
              [](const row& a, const row& b) { return a.position < b.position; });
    std::vector<std::string> out;
    for (const row& r : rows) {
        out.push_back("segnale," + right_aligned(r.position, 8) + ",   2, " + std::to_string(r.s1) +
                      ", 1,  1, 0,    2,  2,1,1, " + std::to_string(r.tempo));
    }
    return out;
}

std::vector<std::string> written_train_text(scratch_directory& dir, run_state& state) {
    dati_treno(state);
    EXPECT_EQ(file_names(dir.path()),
              std::vector<std::string>{"Metrò 2 - Zelnor_26BRUNVICCO-.txt"});
    const std::string bytes = read_bytes(scenario_file(state, file_kind::train_description));
    EXPECT_EQ(count_of(bytes, "\n"), count_of(bytes, "\r\n"));  // CR LF only
    EXPECT_TRUE(bytes.ends_with("[fine]\r\n"));
    EXPECT_EQ(bytes.find("riferimento fine del file"), std::string::npos);
    return lines_of(bytes);
}

TEST(TrainDescription, WritesTheSixtyNineLinesUnderTheHyphenatedName) {
    scratch_directory dir;
    run_state state = state_in(dir.path());
    const std::vector<std::string> lines = written_train_text(dir, state);
    ASSERT_EQ(lines.size(), 69u);
    EXPECT_EQ(state.indice, 69);
    EXPECT_EQ(lines[0], "[generale]");
    EXPECT_EQ(lines[4], "orologio,    6               29            30 ");
    EXPECT_EQ(lines[32], "[rallentamenti]");
    EXPECT_EQ(lines[33], "[segnali]");
    EXPECT_EQ(lines[67], "[codici]");
    EXPECT_EQ(lines[68], "[fine]");
}

TEST(TrainDescription, SignalRowsFollowTheirBuildRule) {
    scratch_directory dir;
    run_state state = state_in(dir.path());
    const std::vector<std::string> lines = written_train_text(dir, state);
    ASSERT_EQ(lines.size(), 69u);
    const std::vector<std::string> signals(lines.begin() + 34, lines.begin() + 67);
    EXPECT_EQ(signals, signal_rows_by_rule());
}

TEST(TrainDescription, TwentyStationsInAscendingOrder) {
    scratch_directory dir;
    run_state state = state_in(dir.path());
    const std::vector<std::string> lines = written_train_text(dir, state);
    ASSERT_EQ(lines.size(), 69u);
    // One station a kilometre from 0 to 17000, then the terminal's switches and the terminal.
    std::vector<std::int32_t> positions;
    for (std::int32_t k = 0; k <= 17; ++k) positions.push_back(1000 * k);
    positions.push_back(17600);
    positions.push_back(18300);
    for (std::size_t n = 0; n < positions.size(); ++n) {
        EXPECT_TRUE(lines[12 + n].starts_with("stazione," + right_aligned(positions[n], 8) + ","))
            << lines[12 + n];
    }
    EXPECT_EQ(
        lines[12],
        "stazione,       0, 12,  300,  0, 0, 0,  1,1,0,  4,1,1,    1,   6,30, 0, Cascina Telvo");
    EXPECT_EQ(lines[11], "[stazioni]");
}

TEST(TrainDescription, ReplacesAnEarlierFileWhole) {
    scratch_directory dir;
    run_state state = state_in(dir.path());
    write_bytes(scenario_file(state, file_kind::train_description),
                std::string(20000, 'x') + "\r\n");
    EXPECT_EQ(written_train_text(dir, state).size(), 69u);
}

}  // namespace
}  // namespace scenario
