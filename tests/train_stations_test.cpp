// Tests of the station records of the train pass: the items into their header fields, the
// platform extent by kind, the stop cell and its approach marks (checked over the whole cell
// array), the first station's own rule, spacing and the count of entries left for stations.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/wording.h"
#include "train_text.h"

namespace scenario {
namespace {

using testing::route;
using testing::run_train;
using testing::station;
using testing::train_text;

// Kind, val1 and approach mark of every cell that differs from a plain cell.
std::string marked_cells(const celle& cells) {
    std::string out;
    for (std::size_t n = 0; n < cells.size(); ++n) {
        const cella& c = cells[n];
        if (c == cella{}) continue;
        out += std::to_string(n) + ":" + std::to_string(c.tipo_cella) + "/" +
               std::to_string(c.val1) + "/" + std::to_string(c.preavviso) + " ";
    }
    return out;
}

TEST(TrainStations, ItemsGoToTheirFields) {
    const auto result = run_train(train_text(
        {station(0, 27, 200),
         "stazione, 2000, 27, 600, 9, 8, 7, 6, 5, 4, 3, 2, 1, 250, 1, 2, 3, Nome Lungo"}));
    ASSERT_EQ(result.state.codice_errore, 0);
    voce expected;
    expected.v_c = 2000;
    expected.v_tipo = 27;
    expected.v_flag = 9;
    expected.v_b4 = 8;  // the v_b4 value comes before the v_b3 value
    expected.v_b3 = 7;
    expected.v_i1 = 6;
    expected.v_i2 = 5;
    expected.v_b1 = 4;  // v_b1 comes after two Integers
    expected.v_i3 = 3;
    expected.v_i4 = 2;
    expected.v_i5 = 1;
    expected.v_b2 = 250;
    expected.v_l = (1 * 60 + 2) * 60 + 3;
    expected.v_nome = "Nome Lungo";
    expected.v_a = 2000 - 300;
    expected.v_b = 2000 + 300 + 50;  // a v_b3 value not 0 lengthens the platform
    EXPECT_EQ(result.state.testata[2], expected);
    EXPECT_EQ(marked_cells(result.state.celle), "");  // kind 27 marks no cell
}

TEST(TrainStations, PlatformExtentStopCellAndMarksByKind) {
    struct kind_case {
        int kind;
        std::int32_t p, length;
        int b4_value, b3_value;
        std::int32_t v_a, v_b;
        std::uint8_t v_b3, v_b4;
        std::string cells;
    };
    const kind_case cases[] = {
        {5, 5000, 200, 0, 1, 4800, 5150, 0, 0, "102:10/2/0 "},
        {6, 5000, 200, 0, 0, 4800, 5150, 0, 0, "102:10/2/0 "},
        {7, 5000, 200, 0, 1, 4800, 5200, 0, 0,
         "99:0/0/84 100:0/0/83 101:0/0/82 102:0/0/81 103:10/2/0 "},
        {8, 5000, 300, 0, 0, 4700, 5300, 0, 0,
         "101:0/0/84 102:0/0/83 103:0/0/82 104:0/0/81 105:10/2/0 "},
        {11, 10000, 200, 3, 1, 9900, 10150, 1, 0,
         "198:0/0/84 199:0/0/83 200:0/0/82 201:0/0/81 202:10/2/0 "},
        {11, 10000, 700, 3, 1, 9650, 10400, 1, 3,
         "203:0/0/84 204:0/0/83 205:0/0/82 206:0/0/81 207:10/2/0 "},
        {11, 10000, 500, 3, 0, 9750, 10250, 0, 0,
         "200:0/0/84 201:0/0/83 202:0/0/82 203:0/0/81 204:10/2/0 "},
        {24, 5000, 200, 0, 0, 4900, 5100, 0, 0,
         "97:0/0/84 98:0/0/83 99:0/0/82 100:0/0/81 101:10/2/0 "},
        {25, 5000, 200, 0, 0, 4900, 5100, 0, 0, ""},
    };
    for (const kind_case& c : cases) {
        const auto result = run_train(train_text(
            {station(1000, 27, 200), station(c.p, c.kind, c.length, c.b4_value, c.b3_value)}));
        const voce& entry = result.state.testata[2];
        const std::string name =
            "kind " + std::to_string(c.kind) + " L " + std::to_string(c.length);
        EXPECT_EQ(result.state.codice_errore, 0) << name;
        EXPECT_EQ(entry.v_a, c.v_a) << name;
        EXPECT_EQ(entry.v_b, c.v_b) << name;
        EXPECT_EQ(entry.v_b3, c.v_b3) << name;
        EXPECT_EQ(entry.v_b4, c.v_b4) << name;
        EXPECT_EQ(marked_cells(result.state.celle), c.cells) << name;
    }
}

TEST(TrainStations, FirstStationKeepsItsExtensionButNotItsFlags) {
    const auto result = run_train(train_text({station(1000, 11, 800, 3, 1)}));
    const voce& first = result.state.testata[1];
    EXPECT_EQ(first.v_b, 1000 + 400 + 50);
    EXPECT_EQ(first.v_b3, 0);
    EXPECT_EQ(first.v_b4, 0);
    EXPECT_EQ(marked_cells(result.state.celle),
              "24:0/0/84 25:0/0/83 26:0/0/82 27:0/0/81 28:10/1/0 ");
}

TEST(TrainStations, StopCellAndMarksGoOverWhatTheCellsHeld) {
    run_state state = route();
    state.celle[103].tipo_cella = 14;  // an information sign
    state.celle[101].tipo_cella = 1;
    state.celle[101].val1 = 32;
    const auto result =
        run_train(train_text({station(1000, 27, 200), station(5000, 7, 200)}), std::move(state));
    EXPECT_EQ(result.state.codice_errore, 0);
    EXPECT_EQ(result.state.celle[103].tipo_cella, 10);
    EXPECT_EQ(result.state.celle[101].tipo_cella, 1);
    EXPECT_EQ(result.state.celle[101].preavviso, 82);
}

TEST(TrainStations, SpacingOfThreeHundredAndFiftyMetres) {
    const auto apart = run_train(train_text({station(1000, 27, 200), station(1550, 27, 200)}));
    EXPECT_EQ(apart.state.codice_errore, 0);
    const auto close = run_train(train_text({station(1000, 27, 200), station(1500, 27, 200)}));
    EXPECT_EQ(close.state.codice_errore, 22);
    EXPECT_EQ(close.state.posizione_errore, 1500);
}

TEST(TrainStations, StationsBackwardsAreReportedBeforeTheyFail) {
    const auto result = run_train(train_text({station(5000, 27, 200), station(1000, 27, 200)}));
    EXPECT_EQ(result.state.codice_errore, 22);
    ASSERT_EQ(result.diagnostics.warnings.size(), 1u);
    const compile_warning& w = result.diagnostics.warnings[0];
    EXPECT_EQ(w.code, warning_code::out_of_order);
    EXPECT_EQ(w.arguments, (std::vector<diagnostic_argument>{record_kind::station, 1000, 5000}));
    EXPECT_EQ(tool::warning_words(w),
              "record \"stazione\" fuori ordine: 1000 m viene dopo 5000 m, ma questi record vanno "
              "scritti in ordine di posizione crescente");
    EXPECT_EQ(w.at.where, (source_location{3, 11}));
    ASSERT_EQ(w.notes.size(), 1u);
    EXPECT_EQ(w.notes[0].at.where, (source_location{2, 1}));
    EXPECT_EQ(tool::note_words(w.notes[0]), "il record a 5000 m, scritto prima, è qui");
    EXPECT_EQ(result.diagnostics.fault->where, (source_location{3, 1}));
}

// With two signs in the line text the stations fill entries 1 to 77 at most.
TEST(TrainStations, StationsStayBelowTheSignTexts) {
    for (const int count : {76, 77}) {
        std::string text = "[generale]\r\n";
        for (int i = 0; i < count; ++i) {
            text += station(1000 + 600 * i, 27, 200, 0, 0, "S" + std::to_string(i + 1)) + "\r\n";
        }
        const auto result = run_train(text + "[fine]\r\n", route(999), 78);
        EXPECT_EQ(result.state.codice_errore, count == 76 ? 0 : 10) << count;
        EXPECT_EQ(result.state.posizione_errore, 0) << count;
        EXPECT_EQ(result.state.testata[count].v_nome, "S" + std::to_string(count));
        EXPECT_FALSE(result.train_text_left) << count;
    }
}

}  // namespace
}  // namespace scenario
