// A generator of large, valid scenario texts for the benchmarks: a line text and a train text
// that compile without any fault, up to the largest route the format allows. Features are laid
// out in blocks of cells whose inner arrangement keeps every cell the compiler and the signal
// spacing pass need free, so the counts asked for are exactly the counts compiled.
#pragma once

#include <cstdint>
#include <string>

namespace scenario {

// What a synthetic scenario holds. The defaults are the largest scenario the format admits: a
// 76-station timetable leaves room in the header table for two sign texts only.
struct synthetic_size {
    std::int32_t route_length = 1'000'000;  // metres, a multiple of 1000
    std::int32_t mountains = 80;
    std::int32_t boards = 2000;  // speed-indicator boards
    std::int32_t signs = 2;      // information signs
    std::int32_t stations = 76;
    std::int32_t signals = 2000;
    std::int32_t slow_orders = 300;
};

// The largest scenario with its route and every count divided by `divisor` (rounded), with at
// least one station and no more signs than stations.
synthetic_size scaled_size(std::int32_t divisor);

// What the generator laid out beyond the counts asked for, for checking a compile against.
struct synthetic_layout {
    std::int32_t stopping_stations = 0;  // stations whose kind lays a stop cell
    std::int32_t gradient_records = 0;
    std::int32_t curve_records = 0;
    std::int32_t last_curved_metre = 0;
};

struct synthetic_texts {
    std::string line;   // the line description text, Windows-1252, CR LF
    std::string train;  // the train description text
    synthetic_layout layout;
};

// Throws std::invalid_argument when the features do not fit the route or the header table.
synthetic_texts make_synthetic_scenario(const synthetic_size& size);

}  // namespace scenario
