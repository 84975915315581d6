// The table of the cell kinds: one row for every kind, found by its byte, and an unknown kind for
// every other byte; the record items its fields hold, read back from the cells the compiler
// writes; and the approach marks a feature lays.
#include "base/cell_kinds.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "base/positions.h"
#include "compile/line_features.h"
#include "compile/train_features.h"

namespace scenario {
namespace {

TEST(CellKinds, EveryKindHasOneRowInByteOrder) {
    const auto rows = cell_kind_descriptors();
    ASSERT_EQ(rows.size(), 12u);
    std::set<std::string_view> names;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i > 0) {
            EXPECT_LT(byte_of(rows[i - 1].kind), byte_of(rows[i].kind));
        }
        EXPECT_EQ(describe(rows[i].kind).name, rows[i].name);
        EXPECT_FALSE(rows[i].occupant.empty()) << rows[i].name;
        names.insert(rows[i].name);
    }
    EXPECT_EQ(names.size(), rows.size());
}

TEST(CellKinds, EveryByteConvertsBackAndForth) {
    std::size_t known = 0;
    for (int byte = 0; byte <= 255; ++byte) {
        cella c;
        c.tipo_cella = static_cast<std::uint8_t>(byte);
        EXPECT_EQ(byte_of(kind_of(c)), byte);
        const cell_kind_descriptor row = describe(c);
        EXPECT_EQ(row.kind, kind_of(c)) << byte;
        if (row.name == "tipo sconosciuto") {
            EXPECT_EQ(row.occupant, "un elemento") << byte;
            EXPECT_EQ(row.values, cell_values::none) << byte;
            EXPECT_EQ(row.place, cell_place::point) << byte;
        } else {
            ++known;
        }
    }
    EXPECT_EQ(known, cell_kind_descriptors().size());
}

TEST(CellKinds, WhatEachKindHoldsAndWhereItStands) {
    struct row {
        cell_kind kind;
        cell_values values;
        cell_place place;
        bool free;
        std::string_view record;
        bool record_position;  // a record names this cell's own position
    };
    constexpr row rows[] = {
        {cell_kind::plain, cell_values::none, cell_place::point, true, "", false},
        {cell_kind::signal, cell_values::signal_aspects, cell_place::point, false, "segnale", true},
        {cell_kind::slow_order_end, cell_values::slow_order, cell_place::point, false,
         "rallentamento", true},
        {cell_kind::slow_order_start, cell_values::slow_order, cell_place::point, false,
         "rallentamento", true},
        {cell_kind::slow_order_warning, cell_values::slow_order, cell_place::point, false,
         "rallentamento", true},
        {cell_kind::slow_order_approach, cell_values::slow_order, cell_place::point, false,
         "rallentamento", false},
        {cell_kind::speed_board, cell_values::board_speeds, cell_place::point, false,
         "indicatori_vmax", true},
        {cell_kind::station_stop, cell_values::station_entry, cell_place::platform_end, false,
         "stazione", true},
        {cell_kind::scenery_mark, cell_values::none, cell_place::fill, true, "montagna", false},
        {cell_kind::value_mark, cell_values::value, cell_place::fill, false, "abbattimento", true},
        {cell_kind::empty_value_mark, cell_values::none, cell_place::fill, false, "abbattimento",
         true},
        {cell_kind::information_sign, cell_values::sign_entry, cell_place::point, false,
         "cartello_indicatore", true},
    };
    for (const row& r : rows) {
        const cell_kind_descriptor d = describe(r.kind);
        EXPECT_EQ(d.values, r.values) << d.name;
        EXPECT_EQ(d.place, r.place) << d.name;
        EXPECT_EQ(d.record, r.record) << d.name;
        EXPECT_EQ(d.record_position, r.record_position) << d.name;
        cella c;
        c.tipo_cella = byte_of(r.kind);
        EXPECT_EQ(is_free(c), r.free) << d.name;
    }
}

// The items a cell's fields give back, by name, as the table reads them.
std::map<std::string, std::int32_t> items_read(const cella& c) {
    std::map<std::string, std::int32_t> items;
    for (const cell_value_field& f : describe(c).fields) {
        const auto read = decode_field(f, field_value(c, f.field));
        if (!read) {
            ADD_FAILURE() << "field " << int(f.field) << " of " << describe(c).name
                          << " does not read back: " << field_value(c, f.field);
            continue;
        }
        for (int i = 0; i < items_of(f.code); ++i) {
            items[std::string(f.items[static_cast<std::size_t>(i)])] =
                (*read)[static_cast<std::size_t>(i)];
        }
    }
    return items;
}

run_state track() {
    run_state state;
    state.celle.assign(120, cella{});
    return state;
}

// Every item a kind lists is held by one of its fields, once.
TEST(CellKinds, EveryItemOfAKindIsHeldByOneField) {
    for (const cell_kind_descriptor& row : cell_kind_descriptors()) {
        std::multiset<std::string_view> held;
        for (const cell_value_field& f : row.fields) {
            for (int i = 0; i < items_of(f.code); ++i) held.insert(f.items[std::size_t(i)]);
        }
        const std::multiset<std::string_view> listed(row.items.begin(), row.items.end());
        EXPECT_EQ(held, listed) << row.name;
        EXPECT_EQ(row.fields.empty(), row.values == cell_values::none) << row.name;
    }
}

// The signal records the compiler places read back to their items from the signal's cell, and
// the approach marks the table predicts are those the compiler lays.
TEST(CellKinds, ASignalReadsBackToItsRecord) {
    const signal_record records[] = {
        {1750, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0},
        {1750, 2, 4, 1, 1, 0, 2, 2, 1, 1, 230},
        {2000, 1, 9, 0, 5, 3, 0, 0, 9, 2, 0},
        {2000, 0, 0, 0, 0, 12, 2, 7, 7, 7, 0},
    };
    for (signal_record record : records) {
        SCOPED_TRACE(record.posizione * 100 + record.s1 * 10 + record.sx);
        run_state state = track();
        ASSERT_TRUE(memo_segnale(state, record).ok());
        const std::size_t i = static_cast<std::size_t>(point_cell(record.posizione));
        const cella& c = state.celle[i];
        const std::map<std::string, std::int32_t> expected = {
            {"sx", record.sx},     {"s1", record.s1},
            {"s2", record.s2},     {"s3", record.s3},
            {"rapp", record.rapp}, {"dx", record.dx},
            {"d1", record.d1},     {"d2", record.d2},
            {"d3", record.d3},     {"tempo", record.sx == 2 ? record.tempo : 0}};
        EXPECT_EQ(items_read(c), expected);
        for (int j = 1; j <= 4; ++j) {
            const std::size_t mark = i - std::size_t(approach_mark_distance(describe(c).marks, j));
            EXPECT_EQ(approach_mark(c, j), state.celle[mark].preavviso) << j;
        }
    }
}

// The boards of two slow orders read back to their records. Which boards make one slow order is
// tested in slow_orders_test.cpp.
TEST(CellKinds, SlowOrderBoardsReadBackToTheirRecord) {
    run_state state = track();
    ASSERT_TRUE(memo_rallentamento(state, {3000, 30, 500, 1, 1, 2}).ok());
    ASSERT_TRUE(memo_rallentamento(state, {5000, 60, 300, 0, 1, 0}).ok());
    const celle& cells = state.celle;
    using items = std::map<std::string, std::int32_t>;
    EXPECT_EQ(items_read(cells[61]), (items{{"v", 30}, {"f_tt", 1}, {"d_v", 2}}));  // the start
    EXPECT_EQ(items_read(cells[71]), (items{{"v", 30}, {"f_tt", 1}, {"d_v", 2}}));  // the end
    EXPECT_EQ(items_read(cells[37]), (items{{"v", 30}, {"d_v", 2}}));  // the warning board
    EXPECT_EQ(items_read(cells[107]), (items{{"v", 60}, {"f_tt", 0}, {"d_v", 0}}));
    for (int n = 1; n <= 4; ++n) {  // the approach cells count away from the warning board
        EXPECT_EQ(items_read(cells[std::size_t(37 - n)]), (items{{"numero", n}, {"d_v", 1}}));
        EXPECT_EQ(items_read(cells[std::size_t(77 - n)]), (items{{"numero", n}, {"d_v", 0}}));
    }
}

TEST(CellKinds, ASpeedBoardReadsBackToItsRecord) {
    const speed_board_record records[] = {
        {400, 80, 80, 80, 0, 0, 0, 0, 0},
        {400, 60, 100, 30, 2, 95, 5, 40, 3},
        {400, 120, 160, 100, 1, 120, 150, 100, 2},  // the other sides at 100 km/h and more
    };
    for (const speed_board_record& record : records) {
        run_state state = track();
        ASSERT_TRUE(memo_indicatori_v_max(state, record).ok());
        const std::map<std::string, std::int32_t> expected = {
            {"vas", record.vas},           {"vbs", record.vbs},          {"vcs", record.vcs},
            {"strisces", record.strisces}, {"vad", record.vad},          {"vbd", record.vbd},
            {"vcd", record.vcd},           {"strisced", record.strisced}};
        EXPECT_EQ(items_read(state.celle[9]), expected) << record.vas;
    }
}

// Values no record in range can give are not read as one.
TEST(CellKinds, ValuesOutsideTheirCodeDoNotReadBack) {
    struct row {
        value_code code;
        std::int32_t value;
        std::optional<std::array<std::int32_t, 3>> read;
    };
    const row rows[] = {
        {value_code::tens, 32, std::array<std::int32_t, 3>{3, 2, 0}},
        {value_code::tens, 100, std::nullopt},
        {value_code::tens, -1, std::nullopt},
        {value_code::sides, 8, std::array<std::int32_t, 3>{0, 2, 2}},
        {value_code::sides, 125, std::array<std::int32_t, 3>{12, 1, 2}},
        {value_code::sides, 9, std::nullopt},
        {value_code::sides, -3, std::nullopt},
        {value_code::board_speed, 1601, std::array<std::int32_t, 3>{80, 5, 0}},
        {value_code::board_speed, 2424, std::array<std::int32_t, 3>{120, 120, 0}},
        {value_code::board_speed, 3299, std::array<std::int32_t, 3>{160, 495, 0}},
        {value_code::board_speed, -20, std::nullopt},
        {value_code::flag, 3, std::array<std::int32_t, 3>{1, 0, 0}},
        {value_code::kmh, -30, std::array<std::int32_t, 3>{-30, 0, 0}},
    };
    for (const row& r : rows) {
        EXPECT_EQ(decode_field({cell_field::val1, r.code, {}}, r.value), r.read)
            << int(r.code) << " " << r.value;
    }
}

TEST(CellKinds, OnlySignalsAndStopsLayApproachMarks) {
    for (const cell_kind_descriptor& row : cell_kind_descriptors()) {
        cella c;
        c.tipo_cella = byte_of(row.kind);
        c.val4 = 8;
        const std::optional<std::uint8_t> first = approach_mark(c, 1);
        switch (row.kind) {
            case cell_kind::signal:
                EXPECT_EQ(first, 81);
                EXPECT_EQ(approach_mark_distance(row.marks, 3), 6);
                EXPECT_EQ(row.mark_owner, "del segnale");
                break;
            case cell_kind::station_stop:
                EXPECT_EQ(approach_mark(c, 4), 84);
                EXPECT_EQ(approach_mark_distance(row.marks, 3), 3);
                EXPECT_EQ(row.mark_owner, "della fermata di stazione");
                break;
            default:
                EXPECT_EQ(first, std::nullopt) << row.name;
                EXPECT_EQ(approach_mark_distance(row.marks, 3), 0) << row.name;
                EXPECT_EQ(row.mark_owner, "") << row.name;
        }
    }
}

}  // namespace
}  // namespace scenario
