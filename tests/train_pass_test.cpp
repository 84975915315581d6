// Tests of the train pass driven directly, on a prepared route of 581 cells: the program's own
// train text, the speed and adhesion cursors, the "-" rule and the keyword tests, the soft and
// hard stops with their codes and positions, the run-time failures, and the warnings. Every
// case also checks that the train text is gone afterwards and the line text left alone.
#include "compile/train_pass.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/fixed_text.h"
#include "compile/compiler.h"
#include "describe/descriptions.h"
#include "report/wording.h"
#include "testkit/test_support.h"
#include "train_text.h"

namespace scenario {
namespace {

using testing::k_route_last_cell;
using testing::route;
using testing::run_train;
using testing::station;
using testing::train_text;

// The warnings as the tool words them, each checked to carry the arguments of its code.
std::vector<std::string> warnings_of(const compile_diagnostics& diagnostics) {
    std::vector<std::string> out;
    for (const compile_warning& w : diagnostics.warnings) {
        EXPECT_TRUE(well_formed(w)) << tool::warning_words(w);
        out.push_back(tool::warning_words(w));
    }
    return out;
}

TEST(TrainPass, TheProgramsOwnTrainText) {
    std::int32_t indice = 0;
    const auto result = run_train(render_fixed_text(train_description_table(), indice));
    const run_state& s = result.state;
    EXPECT_EQ(s.codice_errore, 0);
    EXPECT_FALSE(result.train_text_left);
    EXPECT_TRUE(result.line_text_left);
    EXPECT_TRUE(result.diagnostics.warnings.empty());

    EXPECT_EQ(s.testata[k_entry_treno].v_a, 125);
    EXPECT_EQ(s.testata[k_entry_treno].v_c, 6);
    EXPECT_EQ(s.testata[k_entry_codici].v_i1, 125);
    EXPECT_EQ(s.testata[k_entry_codici].v_i3, 6);
    EXPECT_EQ(s.testata[k_entry_codici].v_i4, 29);
    EXPECT_EQ(s.testata[k_entry_codici].v_i5, 30);

    const voce& telvo = s.testata[1];
    EXPECT_EQ(telvo.v_nome, "Cascina Telvo");
    EXPECT_EQ(telvo.v_a, -150);
    EXPECT_EQ(telvo.v_b, 150);
    EXPECT_EQ(telvo.v_l, 23400);
    EXPECT_EQ(s.celle[2].tipo_cella, 10);
    EXPECT_EQ(s.celle[2].val1, 1);
    EXPECT_EQ(s.celle[1].preavviso, 0);  // every mark of the first station lies at 1 or below
    EXPECT_EQ(s.testata[2].v_nome, "Trescivenago");
    EXPECT_EQ(s.testata[2].v_a, 900);
    EXPECT_EQ(s.testata[2].v_b, 1100);
    EXPECT_EQ(s.celle[21].tipo_cella, 0);  // kind 27 has no stop cell
    EXPECT_EQ(s.testata[20].v_nome, "Brunvicco");
    EXPECT_TRUE(s.testata[21].v_nome.empty());

    EXPECT_EQ(s.celle[36].tipo_cella, 1);
    EXPECT_EQ(s.celle[36].val1, 32);
    EXPECT_EQ(s.celle[105].val1, 42);
    EXPECT_EQ(s.celle[105].tempo_segnale, 230);
    EXPECT_EQ(s.celle[265].tempo_segnale, 230);  // the signal at 13200
    EXPECT_EQ(s.celle[43].tipo_cella, 1);        // the signal at 2100, not 2200
}

TEST(TrainPass, SpeedAndAdhesionListsOfTheScenario) {
    const auto result =
        run_train(train_text({"aderenza,   0,    100", "velocita,       0,    80",
                              "velocita,    2200,    60", "velocita,   17200,    30"}));
    struct range {
        int first, last;
        std::uint8_t limit, adhesion;
    };
    const range ranges[] = {
        {0, 43, 16, 100}, {44, 343, 12, 100}, {344, 577, 6, 100}, {578, 580, 0, 0}};
    for (const range& r : ranges) {
        for (int n = r.first; n <= r.last; ++n) {
            EXPECT_EQ(result.state.celle[n].vel_limite, r.limit) << "cell " << n;
            EXPECT_EQ(result.state.celle[n].aderenza, r.adhesion) << "cell " << n;
        }
    }
}

TEST(TrainPass, CursorsWriteAtLeastOneCell) {
    struct cursor_case {
        const char* name;
        std::vector<const char*> records;
        std::vector<std::uint8_t> first_cells;  // vel_limite of cells 0, 1, 2, ...
    };
    const cursor_case cases[] = {
        {"same position twice",
         {"velocita, 0, 10", "velocita, 100, 20", "velocita, 100, 30"},
         {2, 2, 4, 6, 6}},
        {"position behind the cursor", {"velocita, 150, 20", "velocita, 50, 40"}, {0, 0, 0, 4, 8}},
        {"rounded fifths", {"velocita, 0, 72", "velocita, 50, 73"}, {14, 15, 15}},
        {"largest fifth", {"velocita, 0, 1277", "velocita, 50, -2"}, {255, 0, 0}},
    };
    for (const cursor_case& c : cases) {
        std::string text = "[generale]\r\n";
        for (const char* r : c.records) text += std::string(r) + "\r\n";
        const auto result = run_train(text + "[fine]\r\n");
        for (std::size_t n = 0; n < c.first_cells.size(); ++n) {
            EXPECT_EQ(result.state.celle[n].vel_limite, c.first_cells[n]) << c.name << " " << n;
        }
    }
}

TEST(TrainPass, AdhesionKeepsItsLowByte) {
    const auto result = run_train(train_text({"aderenza, 0, 300"}));
    EXPECT_EQ(result.state.celle[0].aderenza, 44);
    EXPECT_EQ(result.state.celle[577].aderenza, 44);
    EXPECT_EQ(result.state.celle[578].aderenza, 0);
}

TEST(TrainPass, AbbattimentoMarks) {
    const auto result = run_train(train_text(
        {"abbattimento, 3000, 0", "abbattimento, 3100, 250", "abbattimento, 3200, 70000"}));
    EXPECT_EQ(result.state.celle[60].tipo_cella, 13);
    EXPECT_EQ(result.state.celle[60].val1, 0);
    EXPECT_EQ(result.state.celle[62].tipo_cella, 12);
    EXPECT_EQ(result.state.celle[62].val1, 250);
    EXPECT_EQ(result.state.celle[64].val1, 70000 - 65536);
    EXPECT_EQ(result.state.codice_errore, 0);
}

TEST(TrainPass, KeywordTestsInTheirOrderAndAnyCase) {
    const auto result = run_train(
        train_text({"NUMERO VETTURE, 4", "Massa frenata, 90", "sabbia orologio, 1, 2, 3, 7",
                    "massa, 55", "[stazioni]", "percentuale frenata, 66"}));
    const run_state& s = result.state;
    EXPECT_EQ(s.testata[k_entry_treno].v_c, 4);
    EXPECT_EQ(s.testata[k_entry_treno].v_a, 90);  // "massa" or "frenata" alone is no record
    // "orologio" (test 5) reads its three numbers before "sabbia" (test 6) reads its one.
    EXPECT_EQ(s.testata[k_entry_codici].v_i3, 1);
    EXPECT_EQ(s.testata[k_entry_codici].v_i5, 3);
    EXPECT_EQ(s.testata[k_entry_codici].v_i1, 7);
}

TEST(TrainPass, DashRuleSkipsAtMostTwoItems) {
    struct dash_case {
        const char* name;
        std::string text;
        std::int32_t cars;
    };
    const dash_case cases[] = {
        {"dashes in front", train_text({"---, numero vetture, 6"}), 6},
        {"two dashes and a hidden record", train_text({"-, -numero vetture, 7"}), 0},
        {"third dash item examined", train_text({"-, -, -numero vetture, 8"}), 8},
        {"negative value of a record", train_text({"numero vetture, -3"}), -3},
    };
    for (const dash_case& c : cases) {
        EXPECT_EQ(run_train(c.text).state.testata[k_entry_treno].v_c, c.cars) << c.name;
    }
}

TEST(TrainPass, ThePreambleAndTheLastItemAreNeverExamined) {
    const auto before = run_train("numero vetture, 5\r\n[generale]\r\nsabbia, 9\r\nnumero vetture");
    EXPECT_EQ(before.state.testata[k_entry_treno].v_c, 0);
    EXPECT_EQ(before.state.testata[k_entry_codici].v_i1, 9);
    EXPECT_FALSE(before.train_text_left);

    // Without "[generale]" nothing is compiled, but the cells are still filled and checked.
    run_state state = route();
    state.testata[k_entry_progressiva_uno].v_b = 10;
    const auto none = run_train("numero vetture, 5\r\n[fine]\r\n", std::move(state));
    EXPECT_EQ(none.state.testata[k_entry_treno].v_c, 0);
    EXPECT_EQ(none.state.codice_errore, 2);
    EXPECT_FALSE(none.train_text_left);
}

TEST(TrainPass, AfterTheLinePassSoftStopSignalsArePlaced) {
    run_state state = route();
    state.codice_errore = 15;
    state.posizione_errore = 30000;
    const auto result = run_train(
        train_text({"segnale, 4000, 2,3,1,1,0,2,2,1,1,0", "rallentamento, 3000, 30, 500, 1, 1, 0",
                    "numero vetture, 6", "velocita, 0, 80"}),
        std::move(state));
    EXPECT_EQ(result.state.codice_errore, 15);
    EXPECT_EQ(result.state.posizione_errore, 30000);
    EXPECT_EQ(result.state.celle[81].tipo_cella, 1);
    EXPECT_EQ(result.state.celle[61].tipo_cella, 3);
    EXPECT_EQ(result.state.testata[k_entry_treno].v_c, 6);
    EXPECT_EQ(result.state.celle[577].vel_limite, 16);
}

TEST(TrainPass, WarningsForAuthors) {
    const auto result = run_train(
        "[generale]\r\n"
        "velocita, 2200, 60\r\n"
        "velocita, 1200, 80\r\n"
        "foo, 12, , [x]\r\n"
        "-, -segnale, 1750\r\n"
        "stazione");
    const std::vector<std::string> expected = {
        "record \"velocita\" fuori ordine: 1200 m viene dopo 2200 m, ma questi record vanno "
        "scritti in ordine di posizione crescente",
        "voce non riconosciuta, ignorata: \"foo\"",
        "record nascosto dal trattino: \"-segnale\"",
        "ultima voce del testo, mai letta: \"stazione\"",
    };
    EXPECT_EQ(warnings_of(result.diagnostics), expected);
    ASSERT_EQ(result.diagnostics.warnings.size(), 4u);
    EXPECT_EQ(result.diagnostics.warnings[0].at.where, (source_location{3, 11}));
    EXPECT_EQ(result.diagnostics.warnings[2].at.where, (source_location{5, 4}));
    EXPECT_EQ(result.diagnostics.warnings[3].at.text, description_text::train);
    EXPECT_FALSE(result.diagnostics.fault.has_value());
}

struct stop_case {
    const char* name;
    std::vector<std::string> records;  // the last one is the record at fault
    std::int32_t code;
    std::int32_t position;  // 0 where the code has none
    std::int32_t prossimo_cartello = 80;
};

std::string signal_at(std::int32_t p) {
    return "segnale, " + std::to_string(p) + ", 2, 3, 1,  1, 0,    2,  2,1,1, 0";
}
const std::string k_slow_order = "rallentamento, 3000, 30, 500, 1, 1, 0";

TEST(TrainPass, StopsWithTheirCodesAndPositions) {
    const stop_case cases[] = {
        {"abbattimento on a signal", {signal_at(2950), "abbattimento, 3000, 5"}, 7, 3000},
        {"station off the grid", {station(1025, 27, 200)}, 8, 1025},
        {"platform of 250 m", {station(1000, 27, 250)}, 9, 1000},
        {"no entry left", {station(1000, 27, 200), station(2000, 27, 200)}, 10, 0, 3},
        {"speed beyond the cells", {"velocita, 28901, 60"}, 15, 28901},
        {"adhesion beyond", {"aderenza, 28901, 60"}, 15, 28901},
        {"signal beyond", {signal_at(28901)}, 15, 28901},
        {"signal below cell 0", {signal_at(-200)}, 15, -200},
        {"slow order beyond", {"rallentamento, 28901, 30, 0, 1, 1, 0"}, 15, 28901},
        {"slow order ending beyond", {"rallentamento, 1000, 30, 30000, 1, 1, 0"}, 15, 1000},
        {"abbattimento beyond", {"abbattimento, 28901, 1"}, 15, 28901},
        {"abbattimento below cell 0", {"abbattimento, -100, 1"}, 15, -100},
        {"station beyond", {station(28201, 27, 200)}, 15, 28201},
        {"stop cell beyond", {station(28000, 12, 2400)}, 15, 28000},
        {"signal on a signal", {signal_at(1750), signal_at(1750)}, 16, 1750},
        {"warning board taken", {signal_at(1800), k_slow_order}, 17, 3000},
        {"start taken", {signal_at(3000), k_slow_order}, 18, 3000},
        {"end taken", {signal_at(3500), k_slow_order}, 19, 3000},
        {"approach taken", {signal_at(1700), k_slow_order}, 20, 3000},
        {"platforms too close", {station(1000, 27, 200), station(1400, 27, 200)}, 22, 1400},
        {"stop cell at 1", {station(0, 12, 200)}, 24, 0},
    };
    for (const stop_case& c : cases) {
        std::string text = "[generale]\r\n";
        for (const std::string& r : c.records) text += r + "\r\n";
        const auto result = run_train(text + "[fine]\r\n", route(), c.prossimo_cartello);
        EXPECT_EQ(result.state.codice_errore, c.code) << c.name;
        EXPECT_EQ(result.state.posizione_errore, c.position) << c.name;
        EXPECT_FALSE(result.train_text_left) << c.name;
        EXPECT_TRUE(result.line_text_left) << c.name;
        ASSERT_TRUE(result.diagnostics.fault && result.diagnostics.fault->where) << c.name;
        EXPECT_EQ(result.diagnostics.fault->where->line,  // the record's own line
                  static_cast<std::int32_t>(c.records.size()) + 1)
            << c.name;
    }
}

TEST(TrainPass, RecordsAtTheEdgeOfTheCellsAreAccepted) {
    const auto result =
        run_train(train_text({"velocita, 28900, 60", "aderenza, 28900, 9", signal_at(28900),
                              "abbattimento, 28900, 1", station(28200, 27, 200)}));
    EXPECT_EQ(result.state.codice_errore, 0);
    EXPECT_EQ(result.state.celle[579].tipo_cella, 1);
    EXPECT_EQ(result.state.celle[578].tipo_cella, 12);
    EXPECT_EQ(result.state.testata[1].v_c, 28200);
}

TEST(TrainPass, ProgressiveCheckAtTheEndOfTheText) {
    struct progressive_case {
        const char* name;
        int entry;
        bool second_value;
        std::string text;
        std::int32_t code, position;
    };
    const progressive_case cases[] = {
        {"third, first value", k_entry_progressiva_tre, false, train_text({}), 2, 0},
        {"first, second value", k_entry_progressiva_uno, true, train_text({}), 2, 0},
        {"after a soft stop", k_entry_progressiva_due, false, train_text({"velocita, 30000, 60"}),
         2, 30000},
        {"not after a hard stop", k_entry_progressiva_due, false,
         train_text({station(1025, 27, 200)}), 8, 1025},
    };
    for (const progressive_case& c : cases) {
        run_state state = route();
        state.testata[k_entry_progressiva_due].v_a = 12500;  // multiples of 50 pass
        (c.second_value ? state.testata[c.entry].v_b : state.testata[c.entry].v_a) = 12525;
        const auto result = run_train(c.text, std::move(state));
        EXPECT_EQ(result.state.codice_errore, c.code) << c.name;
        EXPECT_EQ(result.state.posizione_errore, c.position) << c.name;
    }
}

TEST(TrainPass, AHardStopWritesNothingMore) {
    const auto result =
        run_train(train_text({"velocita, 0, 80", "aderenza, 0, 100", "velocita, 1000, 60",
                              station(1025, 27, 200), "numero vetture, 6"}));
    EXPECT_EQ(result.state.codice_errore, 8);
    EXPECT_EQ(result.state.celle[19].vel_limite, 16);
    EXPECT_EQ(result.state.celle[20].vel_limite, 0);
    EXPECT_EQ(result.state.celle[0].aderenza, 0);
    EXPECT_EQ(result.state.testata[1].v_c, 1025);  // the fields read before the stop stay
    EXPECT_EQ(result.state.testata[k_entry_treno].v_c, 0);
}

TEST(TrainPass, ASoftStopStillFillsTheCells) {
    const auto result =
        run_train(train_text({"velocita, 0, 80", "aderenza, 0, 100", "velocita, 1000, 60",
                              station(28250, 27, 200), "numero vetture, 6"}));
    EXPECT_EQ(result.state.codice_errore, 15);
    EXPECT_EQ(result.state.posizione_errore, 28250);
    EXPECT_EQ(result.state.testata[1].v_c, 28250);
    EXPECT_EQ(result.state.celle[20].vel_limite, 12);
    EXPECT_EQ(result.state.celle[577].vel_limite, 12);
    EXPECT_EQ(result.state.celle[577].aderenza, 100);
    EXPECT_EQ(result.state.testata[k_entry_treno].v_c, 0);
}

// Run-time failures escape as compile_fault (error 25 in memorizza_dati), text deleted.
TEST(TrainPass, RunTimeFailures) {
    const std::pair<const char*, std::string> cases[] = {
        {"empty text", ""},
        {"blank text", "  \r\n\r\n"},
        {"text ending inside a record", "[generale]\r\nvelocita, 100"},
        {"byte above 255", train_text({station(1000, 300, 200)})},
        {"negative byte", train_text({station(1000, 27, 200, -1)})},
        {"integer above 32767", train_text({"sabbia, 40000"})},
        {"long above 2147483647", train_text({"numero vetture, 2147483648"})},
        {"not a number", train_text({"sabbia, sei"})},
        {"limit whose fifth rounds to 256", train_text({"velocita, 0, 1278", "velocita, 50, 5"})},
        {"negative limit", train_text({"velocita, 0, -3", "velocita, 50, 5"})},
        {"limit reached by the end fill", train_text({"velocita, 0, 2000"})},
        {"position overflowing p + 100", train_text({"velocita, 2147483600, 80"})},
        {"time overflowing", train_text({"stazione, 1000, 27, 200, 0,0,0, 0,0,0, 0,0,0, 0, "
                                         "600000, 0, 0, Lontana"})},
        {"name of 65536 bytes",
         train_text({station(1000, 27, 200, 0, 0, std::string(65536, 'a'))})},
    };
    for (const auto& [name, text] : cases) {
        memory_descriptions texts(std::string("linea"), text);
        run_state state = route();
        compile_diagnostics diagnostics;
        EXPECT_THROW(train_pass(state, texts, 80, &diagnostics), compile_fault) << name;
        EXPECT_FALSE(texts.exists(description_text::train)) << name;
        EXPECT_TRUE(texts.exists(description_text::line)) << name;
        ASSERT_TRUE(diagnostics.fault.has_value()) << name;
        EXPECT_EQ(diagnostics.fault->text, description_text::train) << name;
    }
}

TEST(TrainPass, MissingTextOrCellsAreRunTimeFailures) {
    memory_descriptions no_text(std::string("linea"), std::nullopt);
    run_state state = route();
    EXPECT_THROW(train_pass(state, no_text, 80, nullptr), compile_fault);

    memory_descriptions texts(std::nullopt, train_text({"numero vetture, 6"}));
    run_state no_cells;
    EXPECT_THROW(train_pass(no_cells, texts, 80, nullptr), compile_fault);
    EXPECT_FALSE(texts.exists(description_text::train));
}

// The whole compile over the two texts the program writes: the stations reach the header.
TEST(TrainPass, BothTextsOfTheProgramCompile) {
    std::int32_t indice = 0;
    memory_descriptions texts(render_fixed_text(line_description_table(), indice),
                              render_fixed_text(train_description_table(), indice));
    run_state state;
    compile_diagnostics diagnostics;
    memorizza_dati(state, texts, &diagnostics);
    EXPECT_EQ(state.codice_errore, 0) << (diagnostics.fault && diagnostics.fault->failure
                                              ? static_cast<int>(diagnostics.fault->failure->code)
                                              : -1);
    EXPECT_FALSE(texts.exists(description_text::line));
    EXPECT_FALSE(texts.exists(description_text::train));
    ASSERT_EQ(state.n_celle, k_route_last_cell);

    const auto& names = testing::k_program_station_names;
    for (int k = 1; k <= 20; ++k) EXPECT_EQ(state.testata[k].v_nome, names[k - 1]) << k;
    EXPECT_TRUE(state.testata[21].v_nome.empty());
    EXPECT_EQ(state.testata[20].v_c, 18300);
    EXPECT_EQ(state.celle[343].vel_limite, 12);
    EXPECT_EQ(state.celle[344].vel_limite, 6);
    EXPECT_EQ(state.celle[577].aderenza, 100);
}

}  // namespace
}  // namespace scenario
