// Positions on the track and the sizes a route length gives the cell array and the plan
// geometry, with the limits the line pass puts on them. The line pass sizes its tables with
// these; the binary readers use them to tell the files a compile can write from those it cannot.
#pragma once

#include <cstdint>

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

}  // namespace scenario
