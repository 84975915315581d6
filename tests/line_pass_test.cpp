// Tests of the line pass: every fault code with its position and the text gone afterwards, the
// worked values of the program's own line text, and the edge cases of the format.
#include "compile/line_pass.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "line_text.h"

namespace scenario {
namespace {

using testing::k_small_last_cell;
using testing::line_result;
using testing::program_line_text;
using testing::run_compile;
using testing::run_line;
using testing::small_line;

std::string repeated(const std::string& line, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += line + "\r\n";
    return text;
}

// The suite's fixture: the program's own line text, compiled when a test first asks for it.
class LinePass : public ::testing::Test {
   protected:
    const line_result& program() {
        if (!program_) program_.emplace(run_line(program_line_text()));
        return *program_;
    }
    const run_state& state() { return program().state; }

   private:
    std::optional<line_result> program_;
};

// --- fault codes -------------------------------------------------------------------------------

enum class train_text { kept, consumed };

struct fault_row {
    const char* why;
    std::optional<std::string> line;
    std::int32_t code;
    std::int32_t position;  // 0 where the code has none
    train_text train;       // hard stops leave the train text unread and in place
};

std::vector<fault_row> fault_rows() {
    const std::string board_400 = "indicatori_vmax, 400, 80, 80, 80, 0, , , , 0";
    const std::string long_text(70000, 'x');
    std::string signs, mountains;
    for (int i = 0; i <= 80; ++i)
        signs += "cartello_indicatore, " + std::to_string(50 * i) + ", t\r\n";
    for (int i = 0; i <= 80; ++i) mountains += "montagna, 100, 100, 1\r\n";
    const std::string big_route = "[generale]\r\nlunghezza percorso, 1000000\r\n[curve]\r\n";
    using enum train_text;
    return {
        {"no line text", std::nullopt, 101, 0, kept},
        {"[generale] only as the last item", "preambolo\r\n[generale]\r\n", 102, 0, kept},
        {"no [generale] at all", "[curve]\r\npendenza, 0, 0\r\n[fine]\r\n", 102, 0, kept},
        {"empty text", "", 25, 0, consumed},
        {"blank text", "  \r\n\t\r\n", 25, 0, consumed},
        {"route above 1000000", small_line({}, {"lunghezza percorso, 1000001"}), 1, 0, kept},
        {"repetition a not a multiple of 50",
         small_line({}, {"lunghezza percorso, 1000", "ripetizione segnali 4 codici, 25, 0"}), 3, 0,
         kept},
        {"repetition b not a multiple of 50",
         small_line({}, {"lunghezza percorso, 1000", "ripetizione segnali 4 codici, 50, 75"}), 4, 0,
         kept},
        {"repetition keyword without 4 or 9",
         small_line({}, {"lunghezza percorso, 1000", "ripetizione segnali codici, 50, 100"}), 5, 0,
         kept},
        {"gradient beyond the cells", small_line({"pendenza, 7901, 5"}), 15, 7901, consumed},
        {"curve beyond the cells", small_line({"curvad1, 7901, 10"}), 15, 7901, consumed},
        {"mountain beyond the cells", small_line({"montagna, 7901, 8000, 1"}), 15, 7901, consumed},
        {"board beyond the cells", small_line({"indicatori_vmax, 7901, 1, 1, 1, 0, , , , 0"}), 15,
         7901, consumed},
        {"sign beyond the cells", small_line({"cartello_indicatore, 7901, testo"}), 15, 7901,
         consumed},
        {"sign below cell 0", small_line({"cartello_indicatore, -76, testo"}), 15, -76, consumed},
        {"board below cell 0", small_line({"indicatori_vmax, -76, 1, 1, 1, 0, , , , 0"}), 15, -76,
         consumed},
        {"mountain below cell 0", small_line({"montagna, -26, 100, 1"}), 15, -26, consumed},
        {"curve without a class digit", small_line({"curvad, 100, 100"}), 103, 0, kept},
        {"curve past point 1000000", big_route + "curvad1, 999000, 2000\r\n[fine]\r\n", 103, 0,
         kept},
        {"straight lead-in past point 1000000", big_route + "curvad1, 1000500, 10\r\n[fine]\r\n",
         103, 0, kept},
        {"board on a board", small_line({board_400, board_400}), 21, 400, kept},
        {"board on a sign", small_line({"cartello_indicatore, 400, t", board_400}), 21, 400, kept},
        {"sign on a board", small_line({board_400, "cartello_indicatore, 410, (TESTO)"}), 6, 410,
         kept},
        {"sign on a sign",
         small_line({"cartello_indicatore, 400, a", "cartello_indicatore, 390, b"}), 6, 390, kept},
        {"text ends inside a record",
         "[generale]\r\nlunghezza percorso, 1000\r\n[curve]\r\npendenza, 100\r\n", 25, 0, consumed},
        {"text where a number is due", small_line({}, {"lunghezza percorso, mille"}), 25, 0,
         consumed},
        {"value beyond 32 bits", small_line({}, {"lunghezza percorso, 4294967296"}), 25, 0,
         consumed},
        {"negative route length", small_line({}, {"lunghezza percorso, -1"}), 25, 0, consumed},
        {"no route length", small_line({"pendenza, 0, 0"}, {"sfondo uno, 1"}), 25, 0, consumed},
        {"81 mountains", "[generale]\r\nlunghezza percorso, 1000\r\n[x]\r\n" + mountains + "[fine]",
         25, 0, consumed},
        {"81 signs", "[generale]\r\nlunghezza percorso, 10000\r\n[x]\r\n" + signs + "[fine]", 25, 0,
         consumed},
        {"board speed beyond 16 bits",
         small_line({"indicatori_vmax, 400, 1639, 0, 0, 0, 0, 0, 0, 0"}), 25, 0, consumed},
        {"gradient sum beyond 32 bits", small_line({"pendenza, 0, 2147483647", "pendenza, 100, 0"}),
         25, 0, consumed},
        {"curve end beyond 32 bits", small_line({"curvad1, 100, 2147483647"}), 25, 0, consumed},
        {"position overflowing v + 100", small_line({"pendenza, 2147483600, 5"}), 25, 0, consumed},
        {"position at the 32-bit limit", small_line({"pendenza, 2147483547, 5"}), 15, 2147483547,
         consumed},
        {"sign text beyond 65535 bytes", small_line({"cartello_indicatore, 400, " + long_text}), 25,
         0, consumed},
        {"dashed items up to the end", "[generale]\r\n-a\r\n-b\r\n", 25, 0, consumed},
    };
}

TEST_F(LinePass, EveryFaultCodeWithItsPosition) {
    for (const fault_row& row : fault_rows()) {
        const line_result r = run_compile(row.line);
        EXPECT_EQ(r.state.codice_errore, row.code) << row.why;
        EXPECT_EQ(r.state.posizione_errore, row.position) << row.why;
        EXPECT_FALSE(r.line_text_left) << row.why;
        EXPECT_EQ(r.train_text_left, row.train == train_text::kept) << row.why;
    }
}

TEST_F(LinePass, FaultAtTheLimitIsNoFault) {
    // (7900 + 100) / 50 is exactly the last cell: accepted, on cell nearest(158 + 1).
    const line_result r = run_line(small_line({"indicatori_vmax, 7900, 1, 1, 1, 0, , , , 0"}));
    EXPECT_EQ(r.state.codice_errore, 0);
    EXPECT_EQ(r.state.celle[159].tipo_cella, 6);
}

TEST_F(LinePass, RouteLengthLimit) {
    const line_result longest = run_line(small_line({}, {"lunghezza percorso, 1000000"}));
    EXPECT_EQ(longest.state.codice_errore, 0);
    EXPECT_EQ(longest.state.lunghezza_dim, 1007000);
    EXPECT_EQ(longest.state.n_celle, 20140);
    EXPECT_EQ(longest.state.celle.size(), 20141u);
    EXPECT_EQ(longest.state.geometria.last_metre(), 1007000);

    // One metre more: code 1, and the tables of the earlier length record stay as they were.
    const line_result over =
        run_line(small_line({}, {"lunghezza percorso, 1000", "lunghezza percorso, 1000001"}));
    EXPECT_EQ(over.state.codice_errore, 1);
    EXPECT_FALSE(over.pass.train_follows);
    EXPECT_EQ(over.state.testata[k_entry_treno].v_b, 1000001);
    EXPECT_EQ(over.state.celle.size(), 161u);
    EXPECT_EQ(over.state.geometria.last_metre(), 8000);
}

TEST_F(LinePass, SoftStopStillCompletesTheLine) {
    const line_result r = run_line(small_line({
        "pendenza, 100, 10",
        "pendenza, 7901, 20",  // the stop
        "indicatori_vmax, 400, 80, 80, 80, 0, , , , 0",
        "pendenza, 1000, 30",
    }));
    EXPECT_EQ(r.state.codice_errore, 15);
    EXPECT_EQ(r.state.posizione_errore, 7901);
    EXPECT_TRUE(r.pass.train_follows);
    EXPECT_FALSE(r.line_text_left);
    EXPECT_TRUE(r.train_text_left);             // the train pass has not run yet
    EXPECT_EQ(r.state.celle[9].tipo_cella, 0);  // the board after the stop is ignored
    for (std::size_t c = 0; c <= k_small_last_cell; ++c) {
        const int expected = c < 2 ? 100 : c < k_small_last_cell - 2 ? 110 : 0;
        EXPECT_EQ(r.state.celle[c].pendenza, expected) << "cell " << c;
    }
    EXPECT_EQ(r.state.geometria.value(7998, 1), 7998.0);
    EXPECT_EQ(r.state.geometria.kind(7999, 1), geometria::tag::empty);
}

// --- the program's own line text ---------------------------------------------------------------

TEST_F(LinePass, ProgramCompilesWithoutFaultOrWarning) {
    EXPECT_EQ(state().codice_errore, 0);
    EXPECT_TRUE(program().pass.train_follows);
    EXPECT_EQ(program().pass.prossimo_cartello, 78);
    EXPECT_FALSE(program().line_text_left);
    EXPECT_TRUE(program().diagnostics.warnings.empty());
}

TEST_F(LinePass, ProgramHeaderValues) {
    const auto& t = state().testata;
    EXPECT_EQ(t[k_entry_treno].v_b, 22000);
    EXPECT_EQ(state().lunghezza_dim, 29000);
    EXPECT_EQ(state().n_celle, 580);
    EXPECT_EQ(state().celle.size(), 581u);
    EXPECT_EQ((std::array{t[85].v_a, t[85].v_c, t[85].v_b}), (std::array{1, 0, 0}));
    EXPECT_EQ((std::array{t[86].v_a, t[86].v_b, t[86].v_c}), (std::array{0, 0, 0}));
    for (int e = 81; e <= 83; ++e) {
        EXPECT_EQ((std::array{t[e].v_a, t[e].v_b, t[e].v_c}), (std::array{0, 0, 0})) << e;
    }
    EXPECT_EQ(t[85].v_nome, "Metr\xF2 2 - Zelnor");  // Windows-1252
    EXPECT_EQ(t[86].v_nome, "26BRUNVICCO");
}

TEST_F(LinePass, ProgramSignsBoardsAndMountain) {
    const auto& cells = state().celle;
    struct feature {
        std::size_t cell;
        std::uint8_t kind;
        std::int16_t val1;
    };
    const feature features[] = {
        {9, 6, 1600}, {37, 6, 1200}, {327, 6, 600}, {44, 14, 80}, {45, 14, 79}};
    for (const feature& f : features) {
        EXPECT_EQ(cells[f.cell].tipo_cella, f.kind) << f.cell;
        EXPECT_EQ(cells[f.cell].val1, f.val1) << f.cell;
        if (f.kind == 6) {
            EXPECT_EQ(cells[f.cell].val2, f.val1) << f.cell;
            EXPECT_EQ(cells[f.cell].val3, f.val1) << f.cell;
            EXPECT_EQ(cells[f.cell].val4, 0) << f.cell;
        }
    }
    std::size_t featured = 0, scenery = 0;
    for (const cella& c : cells) {
        featured += c.tipo_cella != 0;
        scenery += c.sfondo != 0;
    }
    EXPECT_EQ(featured, 5u);
    EXPECT_EQ(scenery, 1u);
    EXPECT_EQ(cells[44].sfondo, 2);
    EXPECT_EQ(state().testata[80].v_nome, "(INIZIO TRATTA)(SOTTERRANEA  )");
    EXPECT_EQ(state().testata[79].v_nome, "(DA ORA FINO ALLA)(FINE TRATTA     )(IN SOTTERANEA   )");
    EXPECT_EQ(state().testata[78].v_nome, "");
    EXPECT_EQ(state().conta_montagne, 1);
}

TEST_F(LinePass, ProgramGradientBytes) {
    const auto& cells = state().celle;
    for (std::size_t c = 0; c < cells.size(); ++c) {
        const int expected = c <= 41 ? 100 : c <= 57 ? 75 : c <= 577 ? 100 : 0;
        EXPECT_EQ(cells[c].pendenza, expected) << "cell " << c;
    }
}

TEST_F(LinePass, WithoutGeometryCurvesArePassedOver) {
    const line_result plain = run_line(program_line_text(), 0);
    const line_result& traced = program();
    EXPECT_EQ(plain.state.codice_errore, 0);
    EXPECT_FALSE(plain.state.geometria.allocated());
    EXPECT_EQ(plain.state.celle, traced.state.celle);
    EXPECT_EQ(plain.state.testata, traced.state.testata);
    EXPECT_TRUE(plain.diagnostics.warnings.empty());
    // Not even a curve without a class digit is looked at.
    EXPECT_EQ(run_line(small_line({"curvad, 100, 100"}), 0).state.codice_errore, 0);
}

// --- the general section -----------------------------------------------------------------------

TEST_F(LinePass, GeneralKeywordsAndTheirCase) {
    struct row {
        const char* record;
        int entry;
        std::int32_t voce::*field;
        std::int32_t value;  // 0: the record was not recognised
    };
    const row rows[] = {
        {"LUNGHEZZA PERCORSO, 1000", 84, &voce::v_b, 1000},
        {"sfondo uno, 7", 85, &voce::v_a, 7},
        {"sfondo due, 7", 85, &voce::v_c, 7},
        {"sfondo tre, 7", 85, &voce::v_b, 7},
        {"Sfondo uno, 7", 85, &voce::v_a, 0},
        {"sfondo Uno, 7", 85, &voce::v_a, 0},
        // A recognised progressive is the only one with an a: ordering puts it in entry 81.
        {"progressiva chilometrica uno, 5000, 0, 0", 81, &voce::v_a, 5000},
        {"Progressiva chilometrica uno, 5000, 0, 0", 81, &voce::v_a, 0},
        {"progressiva DUE, 5000, 0, 0", 81, &voce::v_a, 0},
        {"ripetizione segnali 4, 50, 100", 86, &voce::v_c, 4},
        {"Ripetizione segnali 4, 50, 100", 86, &voce::v_c, 0},
    };
    for (const row& r : rows) {
        const line_result result = run_line(small_line({}, {"lunghezza percorso, 1000", r.record}));
        EXPECT_EQ(result.state.codice_errore, 0) << r.record;
        EXPECT_EQ(result.state.testata[static_cast<std::size_t>(r.entry)].*r.field, r.value)
            << r.record;
    }
}

TEST_F(LinePass, SignalRepetitionCodes) {
    struct row {
        const char* record;
        std::int32_t code;
        std::int32_t codici;
    };
    const row rows[] = {
        {"ripetizione segnali 9 codici, 100, 0", 0, 0},
        {"ripetizione segnali 9 codici, 100, 150", 0, 9},
        {"ripetizione segnali 4 o 9 codici, 100, 150", 0, 4},
        {"ripetizione segnali 4 codici, -50, -100", 0, 4},
        {"ripetizione segnali codici, 100, 150", 5, 0},
        {"ripetizione segnali 9 codici, 25, 150", 3, 0},
    };
    for (const row& r : rows) {
        const line_result result = run_line(small_line({}, {"lunghezza percorso, 1000", r.record}));
        EXPECT_EQ(result.state.codice_errore, r.code) << r.record;
        EXPECT_EQ(result.state.testata[k_entry_codici].v_c, r.codici) << r.record;
    }
}

TEST_F(LinePass, DashedItemsInTheGeneralSection) {
    // Ten replacements at most: the eleventh dashed item is examined, so "-sfondo uno" counts
    // after ten dashed items and is skipped (with its value in its place) after nine.
    const auto background_after = [](int dashed) {
        std::string text = "[generale]\r\n";
        for (int i = 0; i < dashed; ++i) text += "-x\r\n";
        text += "-sfondo uno, 7\r\nlunghezza percorso, 1000\r\n[curve]\r\n[fine]\r\n";
        return run_line(text).state.testata[k_entry_linea].v_a;
    };
    EXPECT_EQ(background_after(10), 7);
    EXPECT_EQ(background_after(9), 0);
    EXPECT_EQ(background_after(0), 0);

    // An examined header that begins with "-" does not end the section.
    std::string text =
        "[generale]\r\n" + repeated("-x", 10) +
        "-[altro]\r\nsfondo uno, 7\r\nlunghezza percorso, 1000\r\n[curve]\r\n[fine]\r\n";
    EXPECT_EQ(run_line(text).state.testata[k_entry_linea].v_a, 7);
}

TEST_F(LinePass, RecordsOutsideTheirSectionAreIgnored) {
    const line_result r =
        run_line(small_line({"sfondo uno, 9"}, {"lunghezza percorso, 1000", "pendenza, 100, 5"}));
    EXPECT_EQ(r.state.codice_errore, 0);
    EXPECT_EQ(r.state.testata[k_entry_linea].v_a, 0);
    EXPECT_EQ(r.state.celle[3].pendenza, 100);
}

// --- the feature records -----------------------------------------------------------------------

TEST_F(LinePass, DashedKeywordItems) {
    struct row {
        std::vector<std::string_view> records;
        bool applied;  // whether the gradient 5 from cell 2 took effect
    };
    const row rows[] = {
        {{"- nota", "pendenza, 100, 5"}, true},  // a dashed item in front hides nothing
        {{"pendenza-x, 100, 5"}, false},         // the keyword's values arrive as items
        {{"-a, -b, -pendenza, 100, 5"}, true},   // the third item is examined
        {{"-a, -pendenza, 100, 5"}, false},
    };
    for (const row& r : rows) {
        std::string text = "[generale]\r\nlunghezza percorso, 1000\r\n[curve]\r\n";
        for (std::string_view record : r.records) text += std::string(record) + "\r\n";
        text += "[fine]\r\n";
        const line_result result = run_line(text);
        EXPECT_EQ(result.state.codice_errore, 0) << r.records.back();
        EXPECT_EQ(result.state.celle[2].pendenza, r.applied ? 105 : 100) << r.records.back();
    }
}

TEST_F(LinePass, KeywordAsTheLastItemIsNeverExamined) {
    std::string text = small_line({"montagna, 100, 200, 1"});
    text += "montagna";  // after "[fine]": now the last item
    const line_result r = run_line(text);
    EXPECT_EQ(r.state.codice_errore, 0);
    EXPECT_EQ(r.state.conta_montagne, 1);
    // A blank tail changes nothing: the end is where only blanks and line ends remain.
    EXPECT_EQ(run_line(text + " \r\n\r\n").state.codice_errore, 0);
}

TEST_F(LinePass, GradientsRepeatingACell) {
    // The second record at cell 2 writes one cell with the earlier gradient (-5 -> 95).
    const line_result r =
        run_line(small_line({"pendenza, 0, 0", "pendenza, 100, -5", "pendenza, 100, 10"}));
    const auto& cells = r.state.celle;
    EXPECT_EQ(
        (std::array{cells[0].pendenza, cells[1].pendenza, cells[2].pendenza, cells[3].pendenza}),
        (std::array<std::uint8_t, 4>{100, 100, 95, 110}));
    EXPECT_EQ(cells[157].pendenza, 110);
    EXPECT_EQ(cells[158].pendenza, 0);
}

TEST_F(LinePass, GradientCursorStopsAtTheLastCell) {
    const line_result r = run_line(small_line({repeated("pendenza, 100, 1", 200)}));
    EXPECT_EQ(r.state.codice_errore, 0);
    EXPECT_EQ(r.state.celle.size(), 161u);
    EXPECT_EQ(r.state.celle[k_small_last_cell].pendenza, 101);
    // The byte keeps the low 8 bits of gradient + 100.
    EXPECT_EQ(
        run_line(small_line({"pendenza, 0, 200", "pendenza, 100, 0"})).state.celle[0].pendenza, 44);
}

TEST_F(LinePass, SignOnAMountainMarkAndSignEntries) {
    const line_result r = run_line(small_line({
        "montagna, 2000, 2600, 12",             // marks cells 43, 47, 51
        "cartello_indicatore, 2100, (UNO)",     // cell 43
        "cartello_indicatore, 2300, \"A, B\"",  // cell 47, a quoted text with a comma
        "cartello_indicatore, 3000, (TRE)",
    }));
    EXPECT_EQ(r.state.codice_errore, 0);
    EXPECT_EQ(r.pass.prossimo_cartello, 77);
    const auto& cells = r.state.celle;
    EXPECT_EQ((std::array{cells[43].tipo_cella, cells[47].tipo_cella, cells[51].tipo_cella,
                          cells[61].tipo_cella}),
              (std::array<std::uint8_t, 4>{14, 14, 11, 14}));
    EXPECT_EQ((std::array{cells[43].val1, cells[47].val1, cells[61].val1}),
              (std::array<std::int16_t, 3>{80, 79, 78}));
    EXPECT_EQ(r.state.testata[79].v_nome, "A, B");
}

TEST_F(LinePass, MissingTextLeavesTheNamesInTheHeader) {
    const line_result r = run_compile(std::nullopt);
    EXPECT_EQ(r.state.codice_errore, 101);
    EXPECT_EQ(r.state.testata[k_entry_linea].v_nome, "Metr\xF2 2 - Zelnor");
    EXPECT_EQ(r.state.testata[k_entry_codici].v_nome, "26BRUNVICCO");
    EXPECT_TRUE(r.state.celle.empty());
}

}  // namespace
}  // namespace scenario
