// The cell-and-metre rule: which cell a point feature or a fill at a position lands on, where a
// cell starts, and when a record lies beyond the cells.
#include "base/positions.h"

#include <gtest/gtest.h>

#include <cstdint>
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

TEST(Positions, LastCellOfARoute) {
    struct row {
        std::int32_t length;
        std::int32_t last_cell;
    };
    // (length + 7000) / 50, halves to even.
    constexpr row rows[] = {{0, 140},        {24, 140},       {25, 140},    {26, 141},
                            {75, 142},       {1000, 160},     {22000, 580}, {999975, 20140},
                            {999925, 20138}, {1000000, 20140}};
    for (const row& r : rows) EXPECT_EQ(route_last_cell(r.length), r.last_cell) << r.length;
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
