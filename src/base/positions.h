// Positions on the track and the sizes a route length gives the cell array and the plan
// geometry, with the limits the line pass puts on them. The line pass sizes its tables with
// these; the binary readers use them to tell the files a compile can write from those it cannot.
//
// Positions are whole metres from the start of the line; the track is cut into 50-metre cells.
// A point feature at p (signal, board, sign) lies in cell nearest(p / 50 + 1); the fills that
// run along the track (gradient, speed limit, adhesion, scenery, "abbattimento") use
// nearest(p / 50). Both quotients are exact and rounded with halves to even, so at an odd
// multiple of 25 metres the point cell is not the fill cell plus one: 25 m is fill cell 0 but
// point cell 2, 75 m is fill cell 2 and point cell 2.
#pragma once

#include <cstdint>
#include <optional>

namespace scenario {

// The whole number nearest to x, halves going to the even neighbour (2.5 -> 2, 3.5 -> 4): every
// conversion of a fraction to a whole number rounds this way.
double nearest(double x);

// The longest route a "lunghezza percorso" record may give, in metres.
inline constexpr std::int32_t k_max_route_length = 1000000;
// Metres of geometry (and of cells) past the end of the route.
inline constexpr std::int32_t k_run_off = 7000;
// A curve record traces no point past this one.
inline constexpr std::int32_t k_last_traceable_point = 1000000;

// lunghezza_dim: the last metre of the plan geometry, route length + run-off.
inline constexpr std::int32_t route_last_metre(std::int32_t route_length) {
    return route_length + k_run_off;
}

// n_celle: the last cell, nearest((route length + run-off) / 50), halves to even.
std::int32_t route_last_cell(std::int32_t route_length);

// The length of a cell in metres.
inline constexpr std::int32_t k_cell_metres = 50;

// The cell of a fill starting at `metres`: metres / 50, rounded to the nearest whole number with
// halves to even, worked out in whole numbers (no fraction is formed).
constexpr std::int64_t fill_cell(std::int64_t metres) {
    std::int64_t quotient = metres / k_cell_metres;
    std::int64_t rest = metres % k_cell_metres;
    if (rest < 0) {  // the quotient rounded towards zero: take the one below
        rest += k_cell_metres;
        --quotient;
    }
    const std::int64_t half = k_cell_metres / 2;
    if (rest > half || (rest == half && quotient % 2 != 0)) ++quotient;
    return quotient;
}

// The cell of a point feature at `metres`: metres / 50 + 1, rounded with halves to even (for any
// position with 50 metres of 64-bit room above it).
constexpr std::int64_t point_cell(std::int64_t metres) { return fill_cell(metres + k_cell_metres); }

// cell × 50: the position a fill that starts on the cell was written at (fill_position), and the
// metre the compiler's limits measure a cell by.
constexpr std::int64_t cell_first_metre(std::int64_t cell) { return cell * k_cell_metres; }

// The position whose point feature lands on a cell, (cell - 1) × 50: the inverse of point_cell
// for positions that are multiples of 50.
constexpr std::int64_t point_position(std::int64_t cell) { return cell_first_metre(cell - 1); }

// The position whose fill starts on a cell, cell × 50: the inverse of fill_cell for positions
// that are multiples of 50.
constexpr std::int64_t fill_position(std::int64_t cell) { return cell_first_metre(cell); }

// The stretch of track a cell stands for, in the words shown to authors: from (cell - 1) × 50 up
// to cell × 50 metres. The stretches follow one another without a gap or an overlap (cell 0 lies
// before the start of the line, from -50 to 0), so neighbouring cells never share one. The two
// rules meet at the written metre: a point feature written at a multiple of 50 lies on the cell
// whose stretch starts there, a fill written from it starts on the cell whose stretch ends
// there. A signal and an "abbattimento" both written at 1750 m lie on cells 36 (1750-1800 m)
// and 35 (1700-1750 m).
struct cell_stretch {
    std::int64_t from = 0;  // the stretch's first metre
    std::int64_t to = 0;    // where the next cell's stretch starts

    friend bool operator==(const cell_stretch&, const cell_stretch&) = default;
};

constexpr cell_stretch stretch_of(std::int64_t cell) {
    return {point_position(cell), fill_position(cell)};
}

// The cell whose stretch holds a metre: metres / 50 rounded down, plus 1. A point feature at a
// position that is not a multiple of 50 may be rounded onto the next cell (point_cell); a length,
// such as the end of the route, lies where its metre is.
constexpr std::int64_t cell_holding(std::int64_t metres) {
    std::int64_t quotient = metres / k_cell_metres;
    if (metres % k_cell_metres < 0) --quotient;
    return quotient + 1;
}

// The route length a cell array ending at `last_cell` was made for: last_cell × 50 - 7000, the
// length itself lying within 25 m of it (route_last_cell rounds (length + 7000) / 50).
constexpr std::int64_t route_length_of_cells(std::int64_t last_cell) {
    return cell_first_metre(last_cell) - k_run_off;
}

// The metres a record needs inside the cells past its own position: a station 800, every other
// feature record 100.
inline constexpr std::int32_t k_record_room = 100;
inline constexpr std::int32_t k_station_room = 800;

// The last position a record may have when it needs `room` metres past it inside the cells 0 to
// `last_cell`: 50 × last_cell - room.
constexpr std::int64_t last_position_within(std::int64_t last_cell, std::int32_t room) {
    return cell_first_metre(last_cell) - room;
}

// Whether a record at `position` that needs `room` metres past it lies beyond the cells 0 to
// `last_cell`: (position + room) / 50 > last_cell, compared exactly in 64 bits. The sum is the
// compiler's 32-bit Long arithmetic: when it does not fit 32 bits there is no answer, and the
// compile fails at run time.
constexpr std::optional<bool> beyond_cells(std::int32_t position, std::int32_t room,
                                           std::int64_t last_cell) {
    const std::int64_t reach = std::int64_t{position} + room;
    if (reach < INT32_MIN || reach > INT32_MAX) return std::nullopt;
    return reach > cell_first_metre(last_cell);
}

}  // namespace scenario
