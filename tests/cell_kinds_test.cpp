// The table of the cell kinds: one row for every kind, found by its byte, and an unknown kind for
// every other byte.
#include "base/cell_kinds.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

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
    };
    constexpr row rows[] = {
        {cell_kind::plain, cell_values::none, cell_place::point, true},
        {cell_kind::signal, cell_values::signal_aspects, cell_place::point, false},
        {cell_kind::slow_order_end, cell_values::slow_order, cell_place::point, false},
        {cell_kind::slow_order_start, cell_values::slow_order, cell_place::point, false},
        {cell_kind::slow_order_warning, cell_values::slow_order, cell_place::point, false},
        {cell_kind::slow_order_approach, cell_values::slow_order, cell_place::point, false},
        {cell_kind::speed_board, cell_values::board_speeds, cell_place::point, false},
        {cell_kind::station_stop, cell_values::station_entry, cell_place::platform_end, false},
        {cell_kind::scenery_mark, cell_values::none, cell_place::fill, true},
        {cell_kind::value_mark, cell_values::value, cell_place::fill, false},
        {cell_kind::empty_value_mark, cell_values::none, cell_place::fill, false},
        {cell_kind::information_sign, cell_values::sign_entry, cell_place::point, false},
    };
    for (const row& r : rows) {
        const cell_kind_descriptor d = describe(r.kind);
        EXPECT_EQ(d.values, r.values) << d.name;
        EXPECT_EQ(d.place, r.place) << d.name;
        cella c;
        c.tipo_cella = byte_of(r.kind);
        EXPECT_EQ(is_free(c), r.free) << d.name;
    }
}

}  // namespace
}  // namespace scenario
