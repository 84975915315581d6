// Tests of the line feature placement: the ordering of the kilometric progressives, the
// mountains with their marks and gap rule, and the speed-indicator boards.
#include "compile/line_features.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "compile/item_reader.h"

namespace scenario {
namespace {

// --- progressive_ordina ------------------------------------------------------------------------

struct progressive_values {
    std::int32_t a, b, c;
};

// Each record gets a c of its own (7, 8, 9 for uno, due, tre) unless a case needs c = 1, so the
// slots can be told apart by the record they hold.
std::string slot_names(const run_state& state) {
    std::string names;
    for (int entry = k_entry_progressiva_tre; entry <= k_entry_progressiva_uno; ++entry) {
        const voce& v = state.testata[static_cast<std::size_t>(entry)];
        if (v.v_a == 0 && v.v_b == 0 && v.v_c == 0) {
            names += '0';
        } else {
            names += v.v_c == 7 ? 'U' : v.v_c == 8 ? 'D' : v.v_c == 9 ? 'T' : '?';
        }
    }
    return names;
}

run_state with_progressives(progressive_values uno, progressive_values due,
                            progressive_values tre) {
    run_state state;
    const auto put = [&](int entry, progressive_values p) {
        voce& v = state.testata[static_cast<std::size_t>(entry)];
        v.v_a = p.a;
        v.v_b = p.b;
        v.v_c = p.c;
    };
    put(k_entry_progressiva_uno, uno);
    put(k_entry_progressiva_due, due);
    put(k_entry_progressiva_tre, tre);
    return state;
}

TEST(LineFeatures, ProgressiveOrderings) {
    struct row {
        const char* why;
        progressive_values uno, due, tre;
        const char* slots;  // records in entries 81, 82, 83; "000" for nine zeros
    };
    const row rows[] = {
        {"a ascending uno to tre", {0, 0, 7}, {5000, 0, 8}, {10000, 0, 9}, "TDU"},
        {"only tre has an a", {0, 0, 7}, {0, 0, 8}, {5000, 0, 9}, "TUD"},
        {"due largest, others tied", {100, 0, 7}, {9000, 0, 8}, {100, 0, 9}, "DUT"},
        {"uno largest, others tied", {9000, 0, 7}, {100, 0, 8}, {100, 0, 9}, "UDT"},
        {"due largest, tre above uno", {50, 0, 7}, {9000, 0, 8}, {100, 0, 9}, "DTU"},
        {"uno largest, tre above due", {9000, 0, 7}, {50, 0, 8}, {100, 0, 9}, "UTD"},
        {"negative a: the least negative leads", {-100, 0, 7}, {-300, 0, 8}, {-200, 0, 9}, "UTD"},
        {"largest a shared", {5000, 0, 7}, {5000, 0, 8}, {0, 0, 9}, "000"},
        {"all a shared", {50, 0, 7}, {50, 0, 8}, {50, 0, 9}, "000"},
        {"a all 0, uno b first", {0, 3000, 7}, {0, 1000, 8}, {0, 0, 9}, "UDT"},
        {"a all 0, due b first", {0, 0, 7}, {0, 1000, 8}, {0, 3000, 9}, "DTU"},
        {"a all 0, only tre b", {0, 0, 7}, {0, -50, 8}, {0, 3000, 9}, "TDU"},
        {"a all 0, no positive b", {0, -50, 7}, {0, 0, 8}, {0, 0, 9}, "000"},
        {"a summing to 0 orders by b", {-100, 0, 7}, {100, 50, 8}, {0, 0, 9}, "DTU"},
    };
    for (const row& r : rows) {
        run_state state = with_progressives(r.uno, r.due, r.tre);
        progressive_ordina(state);
        EXPECT_EQ(slot_names(state), r.slots) << r.why;
    }
}

TEST(LineFeatures, ProgressiveRecordsTravelWhole) {
    run_state state = with_progressives({0, 3000, 7}, {5000, 150, 8}, {10000, 250, 9});
    progressive_ordina(state);
    const auto& t = state.testata;
    EXPECT_EQ((std::array{t[81].v_a, t[81].v_b, t[81].v_c}), (std::array{10000, 250, 9}));
    EXPECT_EQ((std::array{t[82].v_a, t[82].v_b, t[82].v_c}), (std::array{5000, 150, 8}));
    EXPECT_EQ((std::array{t[83].v_a, t[83].v_b, t[83].v_c}), (std::array{0, 3000, 7}));
}

TEST(LineFeatures, ProgressiveWithCOneGainsAHundredInWhicheverSlot) {
    // "uno" moves from entry 83 to entry 82 and keeps its 100; "due" without c = 1 gains nothing.
    run_state state = with_progressives({500, 1000, 1}, {0, 2000, 0}, {900, 3000, 1});
    progressive_ordina(state);
    const auto& t = state.testata;
    EXPECT_EQ((std::array{t[81].v_a, t[81].v_b}), (std::array{900, 3100}));
    EXPECT_EQ((std::array{t[82].v_a, t[82].v_b}), (std::array{500, 1100}));
    EXPECT_EQ((std::array{t[83].v_a, t[83].v_b}), (std::array{0, 2000}));
}

TEST(LineFeatures, ProgressiveOverflowIsARunTimeFault) {
    constexpr std::int32_t big = std::numeric_limits<std::int32_t>::max();
    run_state sum = with_progressives({big, 0, 7}, {1, 0, 8}, {0, 0, 9});
    EXPECT_THROW(progressive_ordina(sum), compile_fault);
    run_state b_plus_100 = with_progressives({10, big - 50, 1}, {0, 0, 8}, {0, 0, 9});
    EXPECT_THROW(progressive_ordina(b_plus_100), compile_fault);
}

// --- memo_montagna -----------------------------------------------------------------------------

run_state with_cells(std::int32_t n_celle) {
    run_state state;
    state.n_celle = n_celle;
    state.celle.assign(static_cast<std::size_t>(n_celle) + 1, cella{});
    return state;
}

void place_mountain(run_state& state, std::int32_t inizio, std::int32_t fine, std::int32_t& tipo) {
    mountain_record record{inizio, fine, tipo};
    memo_montagna(state, record);
    tipo = record.tipo;
}

TEST(LineFeatures, MountainMarksEveryFourthFreeCell) {
    run_state state = with_cells(100);
    state.celle[47].tipo_cella = 6;  // a board already there keeps its kind
    std::int32_t tipo = 12;
    place_mountain(state, 2000, 2600, tipo);

    EXPECT_EQ(tipo, 2);
    EXPECT_EQ(state.conta_montagne, 1);
    EXPECT_EQ(state.montagna_inizio[1], 2000);
    EXPECT_EQ(state.montagna_fine[1], 2600);
    for (std::size_t c = 0; c < state.celle.size(); ++c) {
        const bool inside = c >= 40 && c <= 51;
        EXPECT_EQ(state.celle[c].sfondo, inside ? 2 : 0) << "cell " << c;
        const int kind = c == 43 || c == 51 ? 11 : c == 47 ? 6 : 0;
        EXPECT_EQ(state.celle[c].tipo_cella, kind) << "cell " << c;
    }
}

TEST(LineFeatures, MountainOfTenOrLessMarksNothing) {
    run_state state = with_cells(100);
    std::int32_t tipo = 10;
    place_mountain(state, 2000, 2600, tipo);
    EXPECT_EQ(tipo, 10);
    EXPECT_EQ(state.celle[40].sfondo, 10);
    for (const cella& c : state.celle) EXPECT_EQ(c.tipo_cella, 0);
}

TEST(LineFeatures, MountainGapToThePreviousRecord) {
    struct row {
        std::int32_t start;   // the second mountain's start; the first ends at 2000
        std::int32_t tipo;    // the second mountain's kind
        std::int32_t result;  // its kind afterwards
        bool marks;           // whether every fourth cell is marked 11
    };
    const row rows[] = {
        {2150, 2, 3, false}, {2151, 2, 2, false}, {1500, 5, 3, false},
        {2100, 14, 3, true}, {2200, 14, 4, true},
    };
    for (const row& r : rows) {
        run_state state = with_cells(200);
        std::int32_t first_tipo = 1;
        place_mountain(state, 1000, 2000, first_tipo);
        std::int32_t tipo = r.tipo;
        place_mountain(state, r.start, r.start + 400, tipo);
        EXPECT_EQ(tipo, r.result) << r.start;
        const auto last = static_cast<std::size_t>((r.start + 400) / 50 - 1);
        EXPECT_EQ(state.celle[last].sfondo, r.result) << r.start;
        const auto fourth = static_cast<std::size_t>(r.start / 50 + 3);
        EXPECT_EQ(state.celle[fourth].tipo_cella, r.marks ? 11 : 0) << r.start;
    }
}

TEST(LineFeatures, MountainGapIsToThePreviousRecordNotTheNearest) {
    run_state state = with_cells(200);
    std::int32_t a = 1, b = 1, c = 5;
    place_mountain(state, 1000, 1200, a);
    place_mountain(state, 5000, 5200, b);
    place_mountain(state, 1400, 1600, c);  // 200 m after the first, far before the second
    EXPECT_EQ(c, 3);
    EXPECT_EQ(state.conta_montagne, 3);
}

TEST(LineFeatures, MountainEndingBeforeItsFirstCellOnlyCounts) {
    run_state state = with_cells(100);
    std::int32_t tipo = 12;
    place_mountain(state, 2200, 2200, tipo);
    EXPECT_EQ(state.conta_montagne, 1);
    for (const cella& c : state.celle) EXPECT_EQ(c, cella{});
}

TEST(LineFeatures, MountainNeverWritesOutsideTheCells) {
    run_state state = with_cells(20);
    std::int32_t tipo = 13;
    place_mountain(state, -100, 5000, tipo);  // first cell -2, last 99
    for (std::size_t c = 0; c < state.celle.size(); ++c) {
        EXPECT_EQ(state.celle[c].sfondo, 3) << c;
        // Counted from cell -2: the fourth cell is cell 1, then 5, 9, ...
        EXPECT_EQ(state.celle[c].tipo_cella, c % 4 == 1 ? 11 : 0) << c;
    }
}

TEST(LineFeatures, EightyMountainsFitTheEightyFirstFails) {
    run_state state = with_cells(100);
    for (int n = 1; n <= 80; ++n) {
        std::int32_t tipo = 1;
        place_mountain(state, 0, 0, tipo);
    }
    EXPECT_EQ(state.conta_montagne, 80);
    std::int32_t tipo = 1;
    EXPECT_THROW(place_mountain(state, 0, 0, tipo), compile_fault);
}

// --- memo_indicatori_v_max ---------------------------------------------------------------------

struct board_values {
    std::int32_t vas, vbs, vcs, strisces, vad, vbd, vcd, strisced;
};

placement place_board(run_state& state, std::int32_t posizione, board_values v) {
    return memo_indicatori_v_max(
        state, {posizione, v.vas, v.vbs, v.vcs, v.strisces, v.vad, v.vbd, v.vcd, v.strisced});
}

TEST(LineFeatures, BoardOfTheLineText) {
    run_state state = with_cells(580);
    const placement placed = place_board(state, 400, {80, 80, 80, 0, 0, 0, 0, 0});
    EXPECT_TRUE(placed.ok());
    ASSERT_EQ(placed.placed_count, 1u);
    EXPECT_EQ(placed.placed[0], 9);
    const cella& c = state.celle[9];
    EXPECT_EQ(c.tipo_cella, 6);
    EXPECT_EQ((std::array{c.val1, c.val2, c.val3, c.val4}),
              (std::array<std::int16_t, 4>{1600, 1600, 1600, 0}));
    EXPECT_EQ(state.codice_errore, 0);
}

TEST(LineFeatures, BoardWordsPackBothSides) {
    struct row {
        board_values v;
        std::array<std::int16_t, 4> words;
    };
    const row rows[] = {
        {{80, 60, 30, 3, 60, 45, 95, 4}, {1612, 1209, 619, 34}},
        {{0, 0, 0, 0, 12, 13, -13, 0}, {2, 3, -3, 0}},  // 2.4, 2.6 and -2.6 rounded
        {{1638, -1638, 0, 0, 35, -40, 0, 0}, {32767, -32768, 0, 0}},
        // The stripes word keeps its low 16 bits: 100007 is 0x186A7.
        {{0, 0, 0, 10000, 0, 0, 0, 7}, {0, 0, 0, static_cast<std::int16_t>(0x86A7)}},
    };
    for (const row& r : rows) {
        run_state state = with_cells(100);
        place_board(state, 1000, r.v);
        const cella& c = state.celle[21];
        EXPECT_EQ((std::array{c.val1, c.val2, c.val3, c.val4}), r.words) << r.v.vas;
    }
}

TEST(LineFeatures, BoardSpeedThatDoesNotFitIsARunTimeFault) {
    for (const board_values v :
         {board_values{1639, 0, 0, 0, 0, 0, 0, 0}, board_values{0, -1638, 0, 0, 0, -45, 0, 0},
          board_values{0, 0, 1638, 0, 0, 0, 40, 0}, board_values{0, 0, 0, 300000000, 0, 0, 0, 0}}) {
        run_state state = with_cells(100);
        EXPECT_THROW(place_board(state, 1000, v), compile_fault);
    }
}

TEST(LineFeatures, BoardNeedsAFreeCell) {
    struct row {
        std::uint8_t kind;
        bool placed;
    };
    for (const row r : {row{0, true}, row{11, true}, row{6, false}, row{1, false}, row{14, false},
                        row{10, false}}) {
        run_state state = with_cells(100);
        state.celle[21].tipo_cella = r.kind;
        state.celle[21].val1 = 77;
        const placement placed = place_board(state, 1000, {80, 80, 80, 0, 0, 0, 0, 0});
        EXPECT_EQ(value_of(placed.fault), r.placed ? 0 : 21) << int{r.kind};
        EXPECT_EQ(placed.cell, r.placed ? -1 : 21) << int{r.kind};
        EXPECT_EQ(state.codice_errore, 0) << "placement leaves the recording to the pass";
        EXPECT_EQ(state.celle[21].tipo_cella, r.placed ? 6 : r.kind) << int{r.kind};
        EXPECT_EQ(state.celle[21].val1, r.placed ? 1600 : 77) << int{r.kind};
    }
}

TEST(LineFeatures, BoardCellRoundsHalvesToEven) {
    // 25 m is cell 1.5 -> 2; 75 m is cell 2.5 -> 2; 125 m is 3.5 -> 4.
    for (const auto& [posizione, cell] : {std::pair{25, 2}, std::pair{75, 2}, std::pair{125, 4}}) {
        run_state state = with_cells(100);
        place_board(state, posizione, {1, 0, 0, 0, 0, 0, 0, 0});
        EXPECT_EQ(state.celle[static_cast<std::size_t>(cell)].tipo_cella, 6) << posizione;
    }
}

TEST(LineFeatures, BoardOffTheCellsIsNeverWritten) {
    run_state state = with_cells(10);
    EXPECT_THROW(place_board(state, -76, {1, 0, 0, 0, 0, 0, 0, 0}), compile_fault);
    EXPECT_THROW(place_board(state, 500, {1, 0, 0, 0, 0, 0, 0, 0}), compile_fault);
    for (const cella& c : state.celle) EXPECT_EQ(c, cella{});
}

}  // namespace
}  // namespace scenario
