// Tests of signal and slow-order placement on a small track of plain cells. Each case states the
// cells it expects to change and compares the whole array, so a stray write anywhere fails as
// surely as a missing one; the expected cells come from the placement rules worked by hand.
#include "compile/train_features.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "compile/item_reader.h"

namespace scenario {
namespace {

constexpr std::int32_t k_track_cells = 120;  // cells 0 to 119: 5950 metres

run_state track() {
    run_state state;
    state.n_celle = k_track_cells - 1;
    state.celle.assign(k_track_cells, cella{});
    return state;
}

std::string differences(const celle& actual, const celle& expected) {
    std::string out;
    for (std::size_t n = 0; n < actual.size(); ++n) {
        const cella& a = actual[n];
        const cella& e = expected[n];
        if (a == e) continue;
        out += "cell " + std::to_string(n) + ": got kind " + std::to_string(a.tipo_cella) +
               " val " + std::to_string(a.val1) + "/" + std::to_string(a.val2) + "/" +
               std::to_string(a.val3) + "/" + std::to_string(a.val4) + " tempo " +
               std::to_string(a.tempo_segnale) + " mark " + std::to_string(a.preavviso) +
               "; expected kind " + std::to_string(e.tipo_cella) + " val " +
               std::to_string(e.val1) + "/" + std::to_string(e.val2) + "/" +
               std::to_string(e.val3) + "/" + std::to_string(e.val4) + " tempo " +
               std::to_string(e.tempo_segnale) + " mark " + std::to_string(e.preavviso) + "\n";
    }
    return out;
}

// The eleven values of a signal record, as the train pass hands them over.
struct signal_values {
    std::int32_t posizione, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo;
};

bool place(run_state& state, signal_values& s) {
    signal_record record{s.posizione, s.sx, s.s1, s.s2, s.s3,   s.rapp,
                         s.dx,        s.d1, s.d2, s.d3, s.tempo};
    const placement placed = memo_segnale(state, record);
    s.tempo = record.tempo;
    if (placed.ok()) return true;
    state.codice_errore = value_of(placed.fault);
    return false;
}

cella signal_cell(std::int16_t val1, std::int16_t val2, std::int16_t val3, std::int16_t val4,
                  std::uint8_t tempo) {
    cella c;
    c.tipo_cella = 1;
    c.val1 = val1;
    c.val2 = val2;
    c.val3 = val3;
    c.val4 = val4;
    c.tempo_segnale = tempo;
    return c;
}

TEST(TrainFeatures, SignalOfTheTrainTextWithItsApproachMarks) {
    run_state state = track();
    signal_values s{1750, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0};
    ASSERT_TRUE(place(state, s));

    celle expected(k_track_cells);
    expected[36] = signal_cell(32, 11, 11, 8, 0);
    const std::uint8_t marks[] = {81, 82, 83, 84};
    for (int j = 1; j <= 4; ++j) expected[36 - 2 * j].preavviso = marks[j - 1];
    EXPECT_EQ(differences(state.celle, expected), "");
    EXPECT_EQ(state.codice_errore, 0);
}

TEST(TrainFeatures, SignalWithItsOwnTimeAt5200) {
    run_state state = track();
    signal_values s{5200, 2, 4, 1, 1, 0, 2, 2, 1, 1, 230};
    ASSERT_TRUE(place(state, s));
    celle expected(k_track_cells);
    expected[105] = signal_cell(42, 11, 11, 8, 230);
    for (int j = 1; j <= 4; ++j)
        expected[105 - 2 * j].preavviso = static_cast<std::uint8_t>(80 + j);
    EXPECT_EQ(differences(state.celle, expected), "");
    EXPECT_EQ(s.tempo, 230);
}

TEST(TrainFeatures, SignalTimeIsRaisedToAHundredAndOne) {
    struct time_case {
        std::int32_t sx, tempo, tempo_after;
        std::uint8_t tempo_segnale;
    };
    const time_case cases[] = {
        {2, 0, 0, 0},       {2, 1, 101, 101},   {2, 100, 101, 101},
        {2, 101, 101, 101}, {2, 230, 230, 230}, {2, -5, -5, 251},  // the byte keeps the low 8 bits
        {2, 300, 300, 44},  {1, 50, 101, 0},                       // only sx 2 carries a time
        {3, 230, 230, 0},
    };
    for (const time_case& c : cases) {
        run_state state = track();
        signal_values s{1750, c.sx, 3, 1, 1, 0, 2, 2, 1, 1, c.tempo};
        ASSERT_TRUE(place(state, s));
        EXPECT_EQ(s.tempo, c.tempo_after) << "sx " << c.sx << " tempo " << c.tempo;
        EXPECT_EQ(state.celle[36].tempo_segnale, c.tempo_segnale)
            << "sx " << c.sx << " tempo " << c.tempo;
    }
}

TEST(TrainFeatures, SignalFieldsWrapToTheirWidth) {
    run_state state = track();
    // 3277 * 10 = 32770 is two past the largest Integer; 100 * 3 = 300 gives a mark of 3001,
    // whose low byte is 3001 - 11 * 256 = 185.
    signal_values s{1750, 100, 3277, 2147483647, 1, 0, 0, 0, 2147483647, 1, 0};
    ASSERT_TRUE(place(state, s));
    EXPECT_EQ(state.celle[36].val1, -32766);
    // (2^31 - 1) * 11 keeps the low 16 bits of -11.
    EXPECT_EQ(state.celle[36].val2, -11);
    EXPECT_EQ(state.celle[36].val4, 300);
    EXPECT_EQ(state.celle[34].preavviso, 185);
    EXPECT_EQ(state.celle[28].preavviso, 188);
}

TEST(TrainFeatures, SignalTakesOnlyAFreeCell) {
    struct occupied_case {
        std::uint8_t kind;
        bool placed;
    };
    const occupied_case cases[] = {{0, true},  {11, true},  {1, false},
                                   {6, false}, {10, false}, {14, false}};
    for (const occupied_case& c : cases) {
        run_state state = track();
        state.celle[36].tipo_cella = c.kind;
        celle expected = state.celle;
        signal_values s{1750, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0};
        EXPECT_EQ(place(state, s), c.placed) << "kind " << int(c.kind);
        if (c.placed) {
            EXPECT_EQ(state.celle[36].tipo_cella, 1) << "kind " << int(c.kind);
            EXPECT_EQ(state.codice_errore, 0);
        } else {
            EXPECT_EQ(state.codice_errore, 16) << "kind " << int(c.kind);
            EXPECT_EQ(differences(state.celle, expected), "") << "kind " << int(c.kind);
        }
    }
}

TEST(TrainFeatures, ApproachMarksOverwriteOnlyTheMarkOfAnotherSignal) {
    run_state state = track();
    signal_values first{1650, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0};  // cell 34
    signal_values second{1750, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0};
    ASSERT_TRUE(place(state, first));
    ASSERT_TRUE(place(state, second));
    EXPECT_EQ(state.celle[34].tipo_cella, 1);
    EXPECT_EQ(state.celle[34].val1, 32);
    EXPECT_EQ(state.celle[34].preavviso, 81);

    signal_values again = second;
    EXPECT_FALSE(place(state, again));
    EXPECT_EQ(state.codice_errore, 16);
}

TEST(TrainFeatures, MarksBelowTheFirstCellAreNotWritten) {
    run_state state = track();
    signal_values s{100, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0};  // cell 3: marks on 1, -1, -3, -5
    ASSERT_TRUE(place(state, s));
    celle expected(k_track_cells);
    expected[3] = signal_cell(32, 11, 11, 8, 0);
    expected[1].preavviso = 81;
    EXPECT_EQ(differences(state.celle, expected), "");
}

TEST(TrainFeatures, SignalCellOutsideTheArrayIsARunTimeFailure) {
    run_state state = track();
    signal_values below{-200, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0};
    EXPECT_THROW(place(state, below), compile_fault);
    signal_values beyond{k_track_cells * 50, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0};
    EXPECT_THROW(place(state, beyond), compile_fault);
}

struct slow_order {
    std::int32_t x, v, l, f_tt, f_ta, d_v;
};

// The fault of a failed placement is kept where the pass would record it.
bool place(run_state& state, slow_order& r) {
    const placement placed = memo_rallentamento(state, {r.x, r.v, r.l, r.f_tt, r.f_ta, r.d_v});
    if (placed.ok()) return true;
    state.codice_errore = value_of(placed.fault);
    return false;
}

cella slow_cell(std::uint8_t kind, std::int16_t val1, std::int16_t val2, std::int16_t val3) {
    cella c;
    c.tipo_cella = kind;
    c.val1 = val1;
    c.val2 = val2;
    c.val3 = val3;
    return c;
}

TEST(TrainFeatures, SlowOrderAt3000WithAndWithoutSpeedDrop) {
    for (const std::int16_t d_v : {0, 2}) {
        run_state state = track();
        slow_order r{3000, 30, 500, 1, 1, d_v};
        ASSERT_TRUE(place(state, r)) << "d_v " << d_v;
        celle expected(k_track_cells);
        expected[71] = slow_cell(2, 30, d_v, 1);
        expected[61] = slow_cell(3, 30, d_v, 1);
        expected[37] = slow_cell(4, 30, d_v, 0);
        for (std::int16_t n = 0; n < 4; ++n) {
            expected[36 - n] = slow_cell(5, n + 1, d_v != 0 ? n + 1 : 0, 0);
        }
        EXPECT_EQ(differences(state.celle, expected), "") << "d_v " << d_v;
        EXPECT_EQ(state.conta_b, 36);
        EXPECT_EQ(state.conta_c, 0);
    }
}

TEST(TrainFeatures, WarningBoardOnlyBeyond1500Metres) {
    struct board_case {
        std::int32_t x, f_ta;
        std::vector<std::pair<std::size_t, cella>> cells;
    };
    const board_case cases[] = {
        // At 1500 no board and no approach cells, even when asked for.
        {1500, 1, {{31, slow_cell(3, 20, 0, 5)}, {41, slow_cell(2, 20, 0, 5)}}},
        // At 1550 the board stands at (1550 - 1200) / 50 + 1 = 8; no approach cells asked.
        {1550,
         0,
         {{32, slow_cell(3, 20, 0, 5)}, {42, slow_cell(2, 20, 0, 5)}, {8, slow_cell(4, 20, 0, 0)}}},
    };
    for (const board_case& c : cases) {
        run_state state = track();
        slow_order r{c.x, 20, 500, 5, c.f_ta, 0};
        ASSERT_TRUE(place(state, r)) << "x " << c.x;
        celle expected(k_track_cells);
        for (const auto& [n, cell] : c.cells) expected[n] = cell;
        EXPECT_EQ(differences(state.celle, expected), "") << "x " << c.x;
    }
}

TEST(TrainFeatures, SlowOrderShorterThanACellKeepsItsStart) {
    run_state state = track();
    slow_order r{3000, 30, 10, 1, 0, 0};
    ASSERT_TRUE(place(state, r));
    EXPECT_EQ(state.celle[61], slow_cell(3, 30, 0, 1));
}

TEST(TrainFeatures, SlowOrderFieldsWrapToTheirWidth) {
    run_state state = track();
    slow_order r{3000, 70000, 500, -1, 0, 65538};
    ASSERT_TRUE(place(state, r));
    EXPECT_EQ(state.celle[61], slow_cell(3, 70000 - 65536, 2, -1));
    EXPECT_EQ(state.celle[37], slow_cell(4, 70000 - 65536, 2, 0));
}

TEST(TrainFeatures, SlowOrderFaultsInTheirOrder) {
    struct fault_case {
        const char* name;
        std::vector<std::size_t> taken;  // cells given kind 6 before the call
        std::int32_t x;
        std::int32_t code;
        std::vector<std::size_t> written;  // cells the procedure writes before failing
    };
    const fault_case cases[] = {
        {"board taken", {37}, 3000, 17, {}},
        {"board before start", {37, 61}, 3000, 17, {}},
        {"start taken", {61}, 3000, 18, {}},
        {"start before end", {61, 71}, 3000, 18, {}},
        {"end taken", {71}, 3000, 19, {}},
        {"approach taken", {34}, 3000, 20, {71, 61, 37}},
        // At 1875 the board (14.5 -> 14) and the first approach cell (13.5 -> 14) coincide.
        {"odd multiple of 25", {}, 1875, 20, {48, 38, 14}},
    };
    for (const fault_case& c : cases) {
        run_state state = track();
        for (const std::size_t n : c.taken) state.celle[n].tipo_cella = 6;
        const celle before = state.celle;
        slow_order r{c.x, 30, 500, 1, 1, 0};
        EXPECT_FALSE(place(state, r)) << c.name;
        EXPECT_EQ(state.codice_errore, c.code) << c.name;
        for (std::size_t n = 0; n < before.size(); ++n) {
            const bool expect_written =
                std::find(c.written.begin(), c.written.end(), n) != c.written.end();
            EXPECT_EQ(state.celle[n] != before[n], expect_written) << c.name << ", cell " << n;
        }
    }
}

TEST(TrainFeatures, SlowOrderOnScenery) {
    run_state state = track();
    for (const std::size_t n : {71, 61, 37, 36, 35, 34, 33}) state.celle[n].tipo_cella = 11;
    slow_order r{3000, 30, 500, 1, 1, 0};
    EXPECT_TRUE(place(state, r));
    EXPECT_EQ(state.celle[33].tipo_cella, 5);
    EXPECT_EQ(state.codice_errore, 0);
}

TEST(TrainFeatures, SlowOrderEndOutsideTheArrayIsARunTimeFailure) {
    run_state state = track();
    slow_order r{3000, 30, 5000, 1, 0, 0};
    EXPECT_THROW(place(state, r), compile_fault);
}

}  // namespace
}  // namespace scenario
