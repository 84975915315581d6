// Tests of the signal spacing pass on small hand-made tracks: each case lays a few boards and
// signals on otherwise plain cells and lists every cell the pass must change. The whole array is
// compared, so a stray mark anywhere fails the case as well as a missing one.
#include "compile/signal_spacing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scenario {
namespace {

constexpr std::uint8_t k_signal = 1;
constexpr std::uint8_t k_end = 2;
constexpr std::uint8_t k_start = 3;
constexpr std::uint8_t k_warning = 4;
constexpr std::uint8_t k_busy = 6;  // a speed-indicator board: occupied, not a value mark
constexpr std::uint8_t k_scenery = 11;
constexpr std::uint8_t k_mark = 12;
constexpr std::uint8_t k_sign = 14;

constexpr std::int32_t k_track_cells = 200;  // cells 0 to 199; the pass visits 1 to 197

struct placed {
    std::int32_t cell;
    std::uint8_t kind;
    std::int16_t val1 = 0;
};

placed marked(std::int32_t cell) { return {cell, k_mark, 180}; }

void lay(celle& cells, const std::vector<placed>& features) {
    for (const placed& f : features) {
        cella& c = cells.at(static_cast<std::size_t>(f.cell));
        c.tipo_cella = f.kind;
        c.val1 = f.val1;
    }
}

std::string differences(const celle& actual, const celle& expected) {
    if (actual.size() != expected.size()) return "cell count changed";
    std::string out;
    for (std::size_t n = 0; n < actual.size(); ++n) {
        if (actual[n] == expected[n]) continue;
        out += "cell " + std::to_string(n) + ": kind " + std::to_string(actual[n].tipo_cella) +
               " val1 " + std::to_string(actual[n].val1) + ", expected kind " +
               std::to_string(expected[n].tipo_cella) + " val1 " +
               std::to_string(expected[n].val1) + "\n";
    }
    return out;
}

struct spacing_case {
    const char* name;
    std::vector<placed> track;
    std::vector<placed> changes;  // every cell the pass must change, with its new kind and val1
    std::int32_t error_code = 0;
    std::int32_t error_position = 0;
    std::int32_t cells = k_track_cells;
};

void check(const spacing_case& c) {
    SCOPED_TRACE(c.name);
    run_state state;
    state.celle.assign(static_cast<std::size_t>(c.cells), cella{});
    lay(state.celle, c.track);
    celle expected = state.celle;
    lay(expected, c.changes);

    signal_spacing_pass(state);

    EXPECT_EQ(differences(state.celle, expected), "");
    EXPECT_EQ(state.codice_errore, c.error_code);
    EXPECT_EQ(state.posizione_errore, c.error_position);
}

void check_all(const std::vector<spacing_case>& cases) {
    for (const spacing_case& c : cases) check(c);
}

TEST(SignalSpacing, MinimoKeepsTheSmaller) {
    const std::int16_t cases[][3] = {{180, 270, 180}, {180, 75, 75}, {180, 180, 180}, {3, -5, -5}};
    for (const auto& [x, y, expected] : cases) EXPECT_EQ(minimo(x, y), expected) << x << " " << y;
}

TEST(SignalSpacing, WarningBoardLooksBack) {
    check_all({
        {"board in cell 3 looks at nothing", {{3, k_warning}, {2, k_signal}}, {}},
        {"board in cell 4 treats a signal in cell 3", {{4, k_warning}, {3, k_signal}}, {marked(2)}},
        {"signal just before the board", {{50, k_warning}, {49, k_signal}}, {marked(48)}},
        {"cell before the signal occupied",
         {{50, k_warning}, {49, k_signal}, {48, k_busy}},
         {marked(47)}},
        {"two signals each get a mark",
         {{50, k_warning}, {49, k_signal}, {40, k_signal}},
         {marked(48), marked(39)}},
        {"signal 20 cells back is treated", {{50, k_warning}, {30, k_signal}}, {marked(29)}},
        {"signal 21 cells back is not", {{50, k_warning}, {29, k_signal}}, {}},
        {"scenery mark is overwritten",
         {{50, k_warning}, {49, k_signal}, {48, k_scenery}},
         {marked(48)}},
        {"value mark 270 lowered to 180",
         {{50, k_warning}, {49, k_signal}, {48, k_mark, 270}, {47, k_busy}},
         {{48, k_mark, 180}}},
        {"value mark 75 kept",
         {{50, k_warning}, {49, k_signal}, {48, k_mark, 75}, {47, k_busy}},
         {}},
        {"value mark two before the signal lowered",
         {{50, k_warning}, {49, k_signal}, {48, k_busy}, {47, k_mark, 270}},
         {{47, k_mark, 180}}},
        {"free cell preferred to a value mark",
         {{50, k_warning}, {49, k_signal}, {48, k_mark, 270}},
         {marked(47)}},
        {"both cells occupied",
         {{50, k_warning}, {49, k_signal}, {48, k_busy}, {47, k_sign}},
         {},
         11,
         49 * 50},
        {"board at the last visited cell", {{197, k_warning}, {196, k_signal}}, {marked(195)}},
        {"board beyond the last visited cell", {{198, k_warning}, {197, k_signal}}, {}},
    });
}

// Start boards below use speed 110 and a near end board, so only the triples lay marks.
TEST(SignalSpacing, StartBoardTriples) {
    check_all({
        {"board in cell 7: no triple", {{7, k_start, 110}, {25, k_end}}, {}},
        {"board in cell 8: first triple", {{8, k_start, 110}, {25, k_end}}, {marked(3)}},
        {"board in cell 13: first triple", {{13, k_start, 110}, {25, k_end}}, {marked(8)}},
        {"board in cell 14: two triples",
         {{14, k_start, 110}, {25, k_end}},
         {marked(9), marked(3)}},
        {"board in cell 20: two triples",
         {{20, k_start, 110}, {25, k_end}},
         {marked(15), marked(9)}},
        {"board in cell 21: three triples",
         {{21, k_start, 110}, {25, k_end}},
         {marked(16), marked(10), marked(3)}},
        {"first cell of a triple occupied",
         {{50, k_start, 110}, {60, k_end}, {45, k_busy}},
         {marked(44), marked(39), marked(32)}},
        {"first two cells of a triple occupied",
         {{50, k_start, 110}, {60, k_end}, {45, k_busy}, {44, k_sign}},
         {marked(43), marked(39), marked(32)}},
        {"a full triple does not stop the next",
         {{50, k_start, 110}, {60, k_end}, {39, k_busy}, {38, k_mark, 90}, {37, k_signal}},
         {marked(45), marked(32)},
         12,
         50 * 50},
        {"a mark laid for an earlier board is occupied",
         {{58, k_warning}, {56, k_signal}, {60, k_start, 110}, {70, k_end}},
         {marked(55), marked(54), marked(49), marked(42)}},
    });
}

TEST(SignalSpacing, WalkInsideTheSlowOrder) {
    const std::vector<placed> triples = {marked(95), marked(89), marked(82)};
    auto with_triples = [&](std::vector<placed> inside) {
        inside.insert(inside.end(), triples.begin(), triples.end());
        return inside;
    };
    check_all({
        {"speed 60",
         {{100, k_start, 60}, {130, k_end}},
         with_triples({marked(108), marked(116), marked(124)})},
        {"speed 109",
         {{100, k_start, 109}, {130, k_end}},
         with_triples({marked(108), marked(116), marked(124)})},
        {"speed 110: no marks inside", {{100, k_start, 110}, {130, k_end}}, triples},
        {"speed 300: no marks inside", {{100, k_start, 300}, {130, k_end}}, triples},
        {"count restarts from the cell before",
         {{100, k_start, 60}, {130, k_end}, {108, k_busy}},
         with_triples({marked(107), marked(115), marked(123)})},
        {"count restarts from the cell after",
         {{100, k_start, 60}, {130, k_end}, {108, k_busy}, {107, k_signal}},
         with_triples({marked(109), marked(117), marked(125)})},
        {"no free cell ends the marks of this order",
         {{100, k_start, 60}, {130, k_end}, {107, k_busy}, {108, k_sign}, {109, k_mark, 50}},
         triples,
         13,
         108 * 50},
        {"end board where a mark falls due",
         {{100, k_start, 60}, {108, k_end}},
         with_triples({marked(107)})},
    });
}

TEST(SignalSpacing, LookAheadPastTheEndBoard) {
    const std::vector<placed> order = {{100, k_start, 60}, {130, k_end}};
    const std::vector<placed> order_marks = {marked(95),  marked(89),  marked(82),
                                             marked(108), marked(116), marked(124)};
    auto plus = [](std::vector<placed> base, const std::vector<placed>& more) {
        base.insert(base.end(), more.begin(), more.end());
        return base;
    };
    check_all({
        {"signal 5 cells after", plus(order, {{135, k_signal}}), plus(order_marks, {marked(134)})},
        {"signal 12 cells after", plus(order, {{142, k_signal}}), plus(order_marks, {marked(141)})},
        {"signal 13 cells after is out of reach", plus(order, {{143, k_signal}}), order_marks},
        {"only the first signal", plus(order, {{135, k_signal}, {138, k_signal}}),
         plus(order_marks, {marked(134)})},
        {"cell before the signal occupied", plus(order, {{135, k_signal}, {134, k_busy}}),
         plus(order_marks, {marked(133)})},
        {"both cells before the signal occupied",
         plus(order, {{135, k_signal}, {134, k_busy}, {133, k_mark, 90}}), order_marks, 13,
         130 * 50},
        {"fast order looks ahead from its own end board",
         {{100, k_start, 120}, {110, k_end}, {115, k_signal}},
         {marked(95), marked(89), marked(82), marked(114)}},
        {"fast order: signal 13 cells after is out of reach",
         {{100, k_start, 120}, {110, k_end}, {123, k_signal}},
         {marked(95), marked(89), marked(82)}},
    });
}

// A value the compilers left in indice2 must not move a fast order's look-ahead.
TEST(SignalSpacing, FastOrderIgnoresALeftOverIndex) {
    run_state state;
    state.celle.assign(k_track_cells, cella{});
    lay(state.celle, {{100, k_start, 120}, {110, k_end}, {25, k_signal}});
    state.indice2 = 20;
    signal_spacing_pass(state);
    EXPECT_EQ(state.celle[24], cella{});
    EXPECT_EQ(state.codice_errore, 0);
}

TEST(SignalSpacing, LaterFaultOverwritesEarlierOne) {
    check({"fault 12 then fault 11",
           {{30, k_start, 110},
            {35, k_end},
            {19, k_busy},
            {18, k_busy},
            {17, k_busy},
            {60, k_warning},
            {55, k_signal},
            {54, k_busy},
            {53, k_busy}},
           {marked(25), marked(12)},
           11,
           55 * 50});
}

TEST(SignalSpacing, MarkKeepsTheCellsOtherFields) {
    run_state state;
    state.celle.assign(k_track_cells, cella{});
    lay(state.celle, {{50, k_warning}, {49, k_signal}, {48, k_scenery, 7}});
    state.celle[48].val2 = 33;
    state.celle[48].sfondo = 4;
    state.celle[48].vel_limite = 12;
    cella expected = state.celle[48];
    expected.tipo_cella = k_mark;
    expected.val1 = 180;
    signal_spacing_pass(state);
    EXPECT_EQ(state.celle[48], expected);
}

// Slow orders that run into the end of the array: nothing is read or written past the last
// cell (the sanitizer build checks the reads).
TEST(SignalSpacing, StaysInsideTheCellArray) {
    check_all({
        {"walk with no end board", {{195, k_start, 60}}, {marked(190), marked(184), marked(177)}},
        {"no end board: no look-ahead",
         {{195, k_start, 60}, {199, k_signal}},
         {marked(190), marked(184), marked(177)}},
        {"cell 0 is not visited", {{0, k_start, 60}, {20, k_end}}, {}},
        {"walk marks the last cell",
         {{191, k_start, 60}},
         {marked(186), marked(180), marked(173), marked(199)}},
        {"no cell after the last one",
         {{191, k_start, 60}, {199, k_busy}, {198, k_busy}},
         {marked(186), marked(180), marked(173)},
         13,
         199 * 50},
        {"fast order with no end board",
         {{195, k_start, 120}},
         {marked(190), marked(184), marked(177)}},
        {"look-ahead cut at the last cell",
         {{193, k_start, 60}, {197, k_end}, {199, k_signal}},
         {marked(188), marked(182), marked(175), marked(198)}},
        {"fast order whose end board is the last cell",
         {{190, k_start, 120}, {199, k_end}},
         {marked(185), marked(179), marked(172)}},
    });
}

TEST(SignalSpacing, TinyArrays) {
    for (std::int32_t size = 0; size <= 8; ++size) {
        std::vector<placed> boards;
        for (std::int32_t n = 1; n < size; ++n) {
            boards.push_back({n, n % 2 == 0 ? k_start : k_warning, 60});
        }
        const std::string name = "cells: " + std::to_string(size);
        check({name.c_str(), boards, {}, 0, 0, size});
    }
}

}  // namespace
}  // namespace scenario
