// The cell-and-metre rule: which cell a point feature or a fill at a position lands on, where a
// cell starts, and when a record lies beyond the cells.
#include "base/positions.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>

namespace scenario {
namespace {

constexpr std::int64_t k_int32_max = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t k_int32_min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t k_int64_max = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t k_int64_min = std::numeric_limits<std::int64_t>::min();

TEST(Positions, CellsOfAPosition) {
    struct row {
        std::int64_t metres;
        std::int64_t fill;
        std::int64_t point;
    };
    // Halves go to the even cell, so at an odd multiple of 25 the point cell is not fill + 1.
    constexpr row rows[] = {
        {0, 0, 1},
        {24, 0, 1},
        {25, 0, 2},
        {26, 1, 2},
        {49, 1, 2},
        {50, 1, 2},
        {51, 1, 2},
        {74, 1, 2},
        {75, 2, 2},
        {76, 2, 3},
        {125, 2, 4},
        {175, 4, 4},
        {1750, 35, 36},
        {-1, 0, 1},
        {-24, 0, 1},
        {-25, 0, 0},
        {-26, -1, 0},
        {-50, -1, 0},
        {-75, -2, 0},
        {-76, -2, -1},
        {-125, -2, -2},
        {1007000, 20140, 20141},
        {1006975, 20140, 20140},
        {1007025, 20140, 20142},
        {k_int32_max, 42949673, 42949674},
        {k_int32_min, -42949673, -42949672},
        {k_int64_max - 50, k_int64_max / 50 - 1, k_int64_max / 50},
        {k_int64_min, k_int64_min / 50, k_int64_min / 50 + 1},
    };
    for (const row& r : rows) {
        EXPECT_EQ(fill_cell(r.metres), r.fill) << r.metres;
        EXPECT_EQ(point_cell(r.metres), r.point) << r.metres;
    }
}

// The whole-number rule gives what the exact quotient rounded with halves to even gives, over
// the positions a record can hold and the sums the slow orders form.
TEST(Positions, CellsAgreeWithTheRoundedQuotient) {
    const auto check = [](std::int64_t metres) {
        const auto m = static_cast<double>(metres);
        EXPECT_EQ(fill_cell(metres), static_cast<std::int64_t>(nearest(m / 50.0))) << metres;
        EXPECT_EQ(point_cell(metres), static_cast<std::int64_t>(nearest(m / 50.0 + 1))) << metres;
    };
    for (std::int64_t metres = -20000; metres <= 1100000; ++metres) check(metres);
    for (const std::int64_t edge : {k_int32_max, k_int32_min, 2 * k_int32_max, 2 * k_int32_min}) {
        for (std::int64_t d = -200; d <= 200; ++d) check(edge + d);
    }
}

TEST(Positions, WhereACellStarts) {
    struct row {
        std::int64_t cell;
        std::int64_t first_metre;
        std::int64_t point;
    };
    constexpr row rows[] = {
        {0, 0, -50},
        {1, 50, 0},
        {2, 100, 50},
        {36, 1800, 1750},
        {-1, -50, -100},
        {20140, 1007000, 1006950},
        {k_int32_max, 50 * k_int32_max, 50 * (k_int32_max - 1)},
    };
    for (const row& r : rows) {
        EXPECT_EQ(cell_first_metre(r.cell), r.first_metre) << r.cell;
        EXPECT_EQ(point_position(r.cell), r.point) << r.cell;
        EXPECT_EQ(fill_cell(r.first_metre), r.cell) << r.cell;
        EXPECT_EQ(point_cell(r.point), r.cell) << r.cell;
    }
}

// The stretch a cell stands for, and the positions its point feature and its fill were
// written at.
TEST(Positions, TheStretchOfACell) {
    struct row {
        std::int64_t cell;
        cell_stretch stretch;
        std::int64_t point;  // a point feature written here lies on the cell
        std::int64_t fill;   // a fill written from here starts on the cell
    };
    constexpr row rows[] = {
        {0, {-50, 0}, -50, 0},
        {1, {0, 50}, 0, 50},
        {35, {1700, 1750}, 1700, 1750},
        {36, {1750, 1800}, 1750, 1800},
        {441, {22000, 22050}, 22000, 22050},
        {580, {28950, 29000}, 28950, 29000},
        {20140, {1006950, 1007000}, 1006950, 1007000},
    };
    for (const row& r : rows) {
        EXPECT_EQ(stretch_of(r.cell), r.stretch) << r.cell;
        EXPECT_EQ(point_position(r.cell), r.point) << r.cell;
        EXPECT_EQ(fill_position(r.cell), r.fill) << r.cell;
        EXPECT_EQ(point_cell(r.point), r.cell) << r.cell;
        EXPECT_EQ(fill_cell(r.fill), r.cell) << r.cell;
    }
}

// Neighbouring cells never show the same metre: their stretches follow one another, each holds
// the point feature written at its start, and a point and a fill written at the same metre lie
// on two neighbouring cells that meet there.
TEST(Positions, NeighbouringCellsNeverShareAMetre) {
    for (std::int64_t n = -3; n <= 20141; ++n) {
        const cell_stretch here = stretch_of(n), next = stretch_of(n + 1);
        ASSERT_EQ(here.to - here.from, k_cell_metres) << n;
        ASSERT_EQ(here.to, next.from) << n;
        ASSERT_LT(point_position(n), point_position(n + 1)) << n;
        ASSERT_LT(fill_position(n), fill_position(n + 1)) << n;
        ASSERT_EQ(cell_holding(here.from), n) << n;
        ASSERT_EQ(cell_holding(here.to - 1), n) << n;
        ASSERT_EQ(cell_holding(point_position(n)), n) << n;
        const std::int64_t written = point_position(n);
        ASSERT_EQ(point_cell(written), fill_cell(written) + 1) << n;
        ASSERT_EQ(stretch_of(point_cell(written)).from, written) << n;
        ASSERT_EQ(stretch_of(fill_cell(written)).to, written) << n;
    }
}

TEST(Positions, CellHoldingAMetre) {
    struct row {
        std::int64_t metres;
        std::int64_t cell;
    };
    // Unlike point_cell, nothing is rounded: 1780 m lies on cell 36, whose stretch holds it.
    constexpr row rows[] = {{0, 1},
                            {49, 1},
                            {50, 2},
                            {1780, 36},
                            {22000, 441},
                            {22025, 441},
                            {-1, 0},
                            {-50, 0},
                            {-51, -1},
                            {k_int32_max, 42949673},
                            {k_int32_min, -42949672}};
    for (const row& r : rows) EXPECT_EQ(cell_holding(r.metres), r.cell) << r.metres;
}

TEST(Positions, LastCellOfARoute) {
    struct row {
        std::int32_t length;
        std::int32_t last_cell;
    };
    // (length + 7000) / 50, halves to even.
    constexpr row rows[] = {{0, 140},        {24, 140},       {25, 140},    {26, 141},
                            {75, 142},       {1000, 160},     {22000, 580}, {999975, 20140},
                            {999925, 20138}, {1000000, 20140}};
    for (const row& r : rows) {
        EXPECT_EQ(route_last_cell(r.length), r.last_cell) << r.length;
        // The cells give the length back to within the 25 m the rounding takes.
        EXPECT_LE(std::abs(route_length_of_cells(r.last_cell) - r.length), 25) << r.length;
    }
    EXPECT_EQ(route_length_of_cells(580), 22000);
}

TEST(Positions, RecordsBeyondTheCells) {
    struct row {
        std::int32_t position;
        std::int32_t room;
        std::int64_t last_cell;
        std::optional<bool> beyond;
    };
    constexpr std::int32_t max = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t min = std::numeric_limits<std::int32_t>::min();
    const row rows[] = {
        {7900, k_record_room, 160, false},  // (7900 + 100) / 50 is the last cell itself
        {7901, k_record_room, 160, true},
        {7200, k_station_room, 160, false},
        {7201, k_station_room, 160, true},
        {-100, k_record_room, 0, false},
        {-99, k_record_room, 0, true},
        {1006900, k_record_room, 20140, false},  // the largest route
        {1006901, k_record_room, 20140, true},
        {max - 100, k_record_room, 20140, true},
        {max - 99, k_record_room, 20140, std::nullopt},  // the sum leaves 32 bits
        {max - 800, k_station_room, 20140, true},
        {max - 799, k_station_room, 20140, std::nullopt},
        {max, 0, 20140, true},
        {min, k_record_room, 20140, false},
        {max - 100, k_record_room, max, false},  // 50 times the last cell is worked in 64 bits
    };
    for (const row& r : rows) {
        EXPECT_EQ(beyond_cells(r.position, r.room, r.last_cell), r.beyond)
            << r.position << " + " << r.room;
        if (r.beyond) {
            EXPECT_EQ(*r.beyond, r.position > last_position_within(r.last_cell, r.room))
                << r.position;
        }
    }
}

}  // namespace
}  // namespace scenario
