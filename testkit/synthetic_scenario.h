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

// Random scenarios, one per seed, for checking what reads the binary files back against what
// writes them: every kind of record in varied forms, short routes so that hundreds run in
// seconds, and in some seeds a fault that stops the compile part-way. The texts depend on the
// seed and the options alone: the generator draws from its own generator of numbers (splitmix64)
// and its own arithmetic, never from the standard library's distributions, whose results differ
// from one library to another, so a seed gives the same texts on every platform.
struct random_options {
    std::int32_t min_route_length = 3000;   // metres
    std::int32_t max_route_length = 60000;  // metres, at most 1000000
    std::int32_t fault_percent = 12;        // seeds whose texts stop the compile with a fault
    std::int32_t no_geometry_percent = 15;  // seeds compiled without the plan geometry
};

// The fault a random scenario was given, each with the code it ends the compile with.
enum class random_fault {
    none,
    signal_on_taken_cell,      // 16
    slow_order_on_taken_cell,  // 17, or 18 before the first warning board is due
    stations_too_close,        // 22
    station_off_the_grid,      // 8
    sign_on_taken_cell,        // 6
    curve_without_class,       // 103
    value_too_large,           // 25
};

inline constexpr int k_random_fault_kinds = 8;

struct random_scenario {
    std::string line_name;   // UTF-8, as the command line and run_state take it
    std::string train_code;  // UTF-8
    bool geometry = true;    // compiled with the plan geometry (crea_geometria 1)
    random_fault fault = random_fault::none;
    std::int32_t expected_code = 0;  // codice_errore the compile ends with
    synthetic_texts texts;           // only `line` and `train` are filled
};

// Features stand on cells of their own, laid out in segments along the route whose inner
// arrangement the compiler and the signal spacing pass accept as it stands; cell 1 (the identity
// stamp) is never reached, so every seed's compile writes its files. Throws std::invalid_argument
// for options that give no route.
random_scenario make_random_scenario(std::uint64_t seed, const random_options& options = {});

}  // namespace scenario
