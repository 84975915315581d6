// Which boards make one slow order: the compiler's pairing (each start board runs to the first
// end board after it, past any other start board), on tables of hand-laid boards and on the
// boards the compiler lays; what each board and approach cell tells of its order; and, on a
// compile with a slow order starting inside another, that dump, plot and view all draw the
// orders the compiler walked.
#include "base/slow_orders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <tuple>

#include "base/positions.h"
#include "base/scenario_files.h"
#include "compile/train_features.h"
#include "model/slow_order_reading.h"
#include "session/binary_set.h"
#include "session/compile_session.h"
#include "testkit/test_support.h"
#include "tool_in_process.h"
#include "train_text.h"
#include "view/view_data.h"

namespace scenario {
namespace {

using tool::json;

// Cells from a picture of the boards, one character a cell: 'S' a start board, 'E' an end
// board, 'W' a warning board, '.' plain track.
celle cells_of(std::string_view boards) {
    celle cells(boards.size());
    for (std::size_t n = 0; n < boards.size(); ++n) {
        switch (boards[n]) {
            case 'S':
                cells[n].tipo_cella = byte_of(cell_kind::slow_order_start);
                break;
            case 'E':
                cells[n].tipo_cella = byte_of(cell_kind::slow_order_end);
                break;
            case 'W':
                cells[n].tipo_cella = byte_of(cell_kind::slow_order_warning);
                break;
            default:
                break;
        }
    }
    return cells;
}

using start_and_end = std::pair<std::size_t, std::optional<std::size_t>>;

TEST(SlowOrders, EachStartBoardRunsToTheFirstEndBoardAfterIt) {
    const struct {
        const char* what;
        std::string_view boards;
        std::vector<start_and_end> orders;
    } cases[] = {
        {"one slow order", "..S...E..", {{2, 6}}},
        {"two, one after the other", ".S..E.S.E.", {{1, 4}, {6, 8}}},
        {"ends on the next cell", "SE", {{0, 1}}},
        {"a second one starting inside the first: both end at its end board",
         "S.S..E..E",
         {{0, 5}, {2, 5}}},
        {"three nested", "SSS.E.E.E", {{0, 4}, {1, 4}, {2, 4}}},
        {"one shorter than a cell (its start took its end's cell) before another",
         "S..S..E",
         {{0, 6}, {3, 6}}},
        {"no end board after the last start", "S..E..S..", {{0, 3}, {6, std::nullopt}}},
        {"an end board before its start (a negative length)", "..E..S..", {{5, std::nullopt}}},
        {"a negative length before another order", ".E.S..S..E", {{3, 9}, {6, 9}}},
        {"no start board at all", "..E..W..", {}},
        {"the last cell is an end board", "S...E", {{0, 4}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const celle cells = cells_of(c.boards);
        std::vector<start_and_end> found;
        for (const slow_order_boards& o : slow_orders_of(cells)) {
            found.emplace_back(o.start, o.end);
            EXPECT_EQ(slow_order_end(cells, o.start), o.end) << o.start;
        }
        EXPECT_EQ(found, c.orders);
    }
}

// The warning board stands 24 cells before its start board; the approach cells count from the
// warning board, one cell before it or two when their own rounding sets them apart.
TEST(SlowOrders, WarningBoardsAndApproachCellsBelongToTheStartBoard24CellsOn) {
    celle cells(80);
    const auto lay = [&](std::size_t n, cell_kind kind, std::int16_t val1 = 0) {
        cells[n].tipo_cella = byte_of(kind);
        cells[n].val1 = val1;
    };
    lay(10, cell_kind::slow_order_warning);
    lay(34, cell_kind::slow_order_start);
    lay(40, cell_kind::slow_order_end);
    for (std::int16_t k = 1; k <= 4; ++k) {  // right before the warning board
        lay(static_cast<std::size_t>(10 - k), cell_kind::slow_order_approach, k);
    }
    lay(50, cell_kind::slow_order_warning);  // no start board 24 cells on
    for (std::int16_t k = 1; k <= 4; ++k) {  // one cell short of the warning board
        lay(static_cast<std::size_t>(49 - k), cell_kind::slow_order_approach, k);
    }
    EXPECT_EQ(slow_order_warning(cells, 34), 10u);
    EXPECT_EQ(slow_order_start(cells, 10), 34u);
    EXPECT_EQ(slow_order_start(cells, 50), std::nullopt);
    EXPECT_EQ(slow_order_warning(cells, 40), std::nullopt) << "not a start board";
    for (std::size_t n = 6; n <= 9; ++n) EXPECT_EQ(approach_warning(cells, n), 10u) << n;
    for (std::size_t n = 45; n <= 48; ++n) EXPECT_EQ(approach_warning(cells, n), 50u) << n;
    EXPECT_EQ(approach_warning(cells, 10), std::nullopt) << "not an approach cell";
    const slow_order_boards expected{34, 40, 10, {6, 7, 8, 9}};
    EXPECT_EQ(slow_orders_of(cells), std::vector<slow_order_boards>{expected});
}

run_state track() {
    run_state state;
    state.celle.assign(180, cella{});
    return state;
}

// Each board and approach cell the compiler lays finds the boards of its own slow order.
TEST(SlowOrders, EveryBoardTheCompilerLaysFindsItsOrder) {
    run_state state = track();
    ASSERT_TRUE(memo_rallentamento(state, {3000, 30, 500, 1, 1, 2}).ok());
    ASSERT_TRUE(memo_rallentamento(state, {5000, 60, 300, 0, 1, 0}).ok());
    const std::vector<tool::slow_order> orders = tool::read_slow_orders(state.celle);
    ASSERT_EQ(orders.size(), 2u);
    EXPECT_EQ(orders[0].from, 3000);
    EXPECT_EQ(orders[0].to, 3500);
    EXPECT_EQ(orders[0].speed, 30);
    EXPECT_EQ(orders[1].from, 5000);
    EXPECT_EQ(orders[1].to, 5300);
    struct row {
        std::size_t cell;
        std::optional<std::size_t> warning, start, end;
    };
    const row rows[] = {{33, 37, 61, 71},   {36, 37, 61, 71},    {37, 37, 61, 71},
                        {61, 37, 61, 71},   {71, 37, 61, 71},    {73, 77, 101, 107},
                        {77, 77, 101, 107}, {101, 77, 101, 107}, {107, 77, 101, 107},
                        {50, {}, {}, {}}};
    for (const row& r : rows) {
        const tool::slow_order_cells found = tool::slow_order_at(orders, state.celle, r.cell);
        EXPECT_EQ(found.warning, r.warning) << r.cell;
        EXPECT_EQ(found.start, r.start) << r.cell;
        EXPECT_EQ(found.end, r.end) << r.cell;
        EXPECT_TRUE(found.also_ends.empty()) << r.cell;
    }
}

// A slow order whose warning board stands at an odd multiple of 25 m: 1525 m puts the first
// approach cell on cell 30 (1525 / 50 rounds to even) and the warning board on 32, two cells on;
// each approach cell still finds its boards.
TEST(SlowOrders, ApproachCellsFindTheirBoardsAcrossRounding) {
    run_state state = track();
    ASSERT_TRUE(memo_rallentamento(state, {2725, 30, 500, 1, 1, 0}).ok());
    ASSERT_EQ(kind_of(state.celle[32]), cell_kind::slow_order_warning);
    const std::vector<tool::slow_order> orders = tool::read_slow_orders(state.celle);
    for (std::size_t cell = 27; cell <= 30; ++cell) {
        ASSERT_EQ(kind_of(state.celle[cell]), cell_kind::slow_order_approach) << cell;
        const tool::slow_order_cells found = tool::slow_order_at(orders, state.celle, cell);
        EXPECT_EQ(found.warning, 32u) << cell;
        EXPECT_EQ(found.start, 56u) << cell;
        EXPECT_EQ(found.end, 66u) << cell;
    }
    ASSERT_EQ(orders.size(), 1u);
    EXPECT_EQ(orders[0].boards.approach, (std::vector<std::size_t>{27, 28, 29, 30}));
}

// An end board that ends two orders belongs to the nearer start board and names the other; an
// end board no walk reaches belongs to none.
TEST(SlowOrders, AnEndBoardTellsEveryOrderItEnds) {
    run_state state = track();
    ASSERT_TRUE(memo_rallentamento(state, {3000, 30, 2000, 1, 0, 0}).ok());  // 61 to 101
    ASSERT_TRUE(memo_rallentamento(state, {4000, 60, 500, 1, 0, 0}).ok());   // 81 to 91
    const std::vector<tool::slow_order> orders = tool::read_slow_orders(state.celle);
    ASSERT_EQ(orders.size(), 2u);
    EXPECT_EQ(orders[0].to, 4500) << "the first order's walk stops at the second one's end";
    const tool::slow_order_cells shared = tool::slow_order_at(orders, state.celle, 91);
    EXPECT_EQ(shared.start, 81u);
    EXPECT_EQ(shared.warning, 57u);
    EXPECT_EQ(shared.also_ends, std::vector<std::size_t>{61});
    const tool::slow_order_cells orphan = tool::slow_order_at(orders, state.celle, 101);
    EXPECT_EQ(orphan.end, 101u);
    EXPECT_EQ(orphan.start, std::nullopt);
    EXPECT_EQ(orphan.warning, std::nullopt);
    EXPECT_EQ(tool::slow_order_at(orders, state.celle, 61).end, 91u);
    EXPECT_EQ(tool::slow_order_at(orders, state.celle, 37).end, 91u) << "the first warning board";
}

// One slow order, from its start cell to its end cell, at a speed.
using drawn_order = std::tuple<std::int64_t, std::int64_t, int>;

// The slow orders of the plot, from the titles of their shapes: "rallentamento a 30 km/h, da
// 3000 a 4500 m".
std::vector<drawn_order> plotted_orders(const std::string& svg) {
    std::vector<drawn_order> orders;
    const std::regex title("<title>rallentamento a (\\d+) km/h, da (\\d+) a (\\d+) m</title>");
    for (auto m = std::sregex_iterator(svg.begin(), svg.end(), title); m != std::sregex_iterator();
         ++m) {
        orders.emplace_back(point_cell(std::stoll((*m)[2])), point_cell(std::stoll((*m)[3])),
                            std::stoi((*m)[1]));
    }
    return orders;
}

// The slow orders of the dump, from the start boards among its features.
std::vector<drawn_order> dumped_orders(const json& dump) {
    std::vector<drawn_order> orders;
    for (const json& f : dump["elementi"]) {
        if (f["tipo_cella"] != byte_of(cell_kind::slow_order_start)) continue;
        const json& order = f["rallentamento"];
        EXPECT_EQ(order["inizio"], f["cella"]);
        orders.emplace_back(order["inizio"].get<std::int64_t>(),
                            order["fine"].is_null() ? -1 : order["fine"].get<std::int64_t>(),
                            f["valori"]["v"].get<int>());
    }
    return orders;
}

std::vector<drawn_order> viewed_orders(const json& data) {
    std::vector<drawn_order> orders;
    for (const json& o : data["rallentamenti"]) {
        orders.emplace_back(point_cell(o["da"].get<std::int64_t>()),
                            point_cell(o["a"].get<std::int64_t>()), o["v"].get<int>());
    }
    return orders;
}

// A slow order from 3000 m over 2000 m at 30 km/h (start board 61, end board 101) and a second
// one from 4000 m over 500 m at 60 km/h (81 to 91), inside the first. The compiler walks from 61
// to the first end board, 91, laying a mark every 8 cells: 69, 77, 85; the walk from 81 marks 89
// and stops at 91 as well. Had the first walk gone on to 101 it would have marked 93. Dump, plot
// and view all show both orders ending at 91.
TEST(SlowOrders, DumpPlotAndViewDrawOverlappingOrdersAsTheCompilerWalksThem) {
    testing::scratch_directory dir;
    const std::string line = "[generale]\r\nlunghezza percorso, 8000\r\n[fine]\r\n";
    const std::string train =
        testing::train_text({"velocita, 0, 100", "rallentamento, 3000, 30, 2000, 1, 1, 0",
                             "rallentamento, 4000, 60, 500, 1, 0, 0"});
    const auto file = [&](file_kind kind) {
        return dir.path() / path_from_utf8(scenario_file_name("L", "T", kind));
    };
    testing::write_bytes(file(file_kind::line_description), line);
    testing::write_bytes(file(file_kind::train_description), train);

    tool::scenario_request request;
    request.dir_word = testing::shown(dir.path());
    request.dir = dir.path();
    request.out_dir = dir.path();
    request.line = "L";
    request.train = "T";
    const auto compiled = tool::compile_scenario_texts(request);
    ASSERT_EQ(compiled->status(), 0) << compiled->report.faults.size() << " faults";
    const celle& cells = compiled->state.celle;

    // The compiler's walks, seen in the marks they laid.
    const auto marked = [&](std::size_t n) { return kind_of(cells[n]) == cell_kind::value_mark; };
    for (const std::size_t n : {69, 77, 85, 89}) EXPECT_TRUE(marked(n)) << n;
    for (std::size_t n = 92; n < 101; ++n) EXPECT_FALSE(marked(n)) << n;
    const std::vector<drawn_order> walked = {{61, 91, 30}, {81, 91, 60}};
    for (const auto& [start, end, speed] : walked) {
        EXPECT_EQ(slow_order_end(cells, static_cast<std::size_t>(start)),
                  static_cast<std::size_t>(end));
    }

    EXPECT_EQ(viewed_orders(tool::view_data(*compiled)), walked);

    tool::write_binary_set(*compiled);
    const auto dump =
        testing::scenario_tool({"dump", testing::shown(file(file_kind::cells)), "--json"});
    ASSERT_EQ(dump.exit_status, 0) << dump.standard_error;
    EXPECT_EQ(dumped_orders(json::parse(dump.standard_output)), walked);

    const std::filesystem::path svg = dir.path() / "linea.svg";
    const auto plot = testing::scenario_tool({"plot", testing::shown(dir.path()), "--line", "L",
                                              "--train", "T", "-o", testing::shown(svg)});
    ASSERT_EQ(plot.exit_status, 0) << plot.standard_error;
    EXPECT_EQ(plotted_orders(testing::read_bytes(svg)), walked);
}

}  // namespace
}  // namespace scenario
