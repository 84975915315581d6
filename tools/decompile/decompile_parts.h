// The parts of a decompile, shared among its files: the plan read back into turns
// (plan_turns.cpp), the line text (line_text.cpp), the train text (train_text.cpp), and the
// compiled texts held against the files and their differences placed (file_places.cpp).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/positions.h"
#include "base/records.h"
#include "decompile/decompile.h"
#include "decompile/text_layout.h"
#include "output/binary_readers.h"

namespace scenario::tool::decompiling {

// A number that no field of a record takes: a record holding it stops the compile where it
// stands, before it writes anything.
inline constexpr std::string_view k_stopping_value = "99999999999";

// The first metre of a cell's fill, and the position whose point feature lands on the cell.
inline std::string fill_metres(std::size_t cell) {
    return number(fill_position(static_cast<std::int64_t>(cell)));
}
inline std::string point_metres(std::size_t cell) {
    return number(point_position(static_cast<std::int64_t>(cell)));
}

// Floor division and its rest, for splitting a packed word into its digits as an author writes
// them whatever its sign: value = quotient × divisor + rest with 0 <= rest < divisor.
inline std::int64_t floor_div(std::int64_t value, std::int64_t divisor) {
    std::int64_t q = value / divisor;
    if (value % divisor != 0 && (value < 0) != (divisor < 0)) --q;
    return q;
}
inline std::int64_t floor_mod(std::int64_t value, std::int64_t divisor) {
    return value - floor_div(value, divisor) * divisor;
}

// What is learnt while the texts are made: notes for the author, places no text gives.
struct findings {
    std::vector<std::string> notes;
    std::vector<file_place> places;
    std::set<std::string> noted;

    void note(const std::string& text) {
        if (noted.insert(text).second) notes.push_back(text);
    }
};

// The plan read back: the runs of metres turned alike, from metre 2 to the last traced one.
struct turn_run {
    std::int32_t first = 0, last = 0;
    std::optional<double> k;  // nothing: straight
};

struct traced_plan {
    std::int32_t last_traced = -1;  // -1: not even seeded; 1: seeded, nothing traced
    std::vector<turn_run> runs;     // from metre 2 to last_traced
};

bool same_bits(double a, double b);

// Every traced metre tried, bit for bit, against the straight trace and each curvature of the
// curve keywords; a point none of them gives is a place of `found`.
traced_plan read_turns(const seeded_plan_image& plan, const std::string& plan_bytes,
                       findings& found);

// The keyword of a curvature: "curvad5" turns 0.002 to the right, "curvas5" to the left.
std::string curve_keyword(double k);

// Runs of one byte of the cells, as records at the first metre of each change: the value the
// fill had before the first record is `initial`.
template <typename Field>
std::vector<std::pair<std::size_t, int>> changes(const celle& cells, std::size_t end, int initial,
                                                  Field field) {
    std::vector<std::pair<std::size_t, int>> out;
    int current = initial;
    for (std::size_t c = 0; c < end && c < cells.size(); ++c) {
        const int v = field(cells[c]);
        if (v != current) {
            out.emplace_back(c, v);
            current = v;
        }
    }
    return out;
}

// Where the line pass stopped, as the files show it.
enum class line_stop { none, in_features, in_general };

struct progressive {
    std::int32_t a = 0, b = 0, c = 0;
};

// The three progressive records ("tre", "due", "uno") whose ordering gives the three slots of
// entries 81 to 83, or nothing.
std::optional<std::array<progressive, 3>> progressive_records(const testata& header);

// A stop cell holding the words an earlier feature left (line_text.cpp).
bool holds_residue(const cella& c);

// The information signs: their header entries from 80 down, each with the cell that shows it.
std::vector<std::pair<int, std::size_t>> sign_entries(const testata& header, const celle& cells);

// The line text; `turns` is the plan read back, absent without geometry.
std::string line_text(const binary_set_read& files, const traced_plan* turns, line_stop stop,
                      findings& found);

// The train text; `line_whole` when the line pass ran to its end. A compile that stopped in
// the train text is said in `stopped`.
std::string train_text(const binary_set_read& files, bool line_whole, findings& found,
                       std::optional<std::string>& stopped);

// The places where a compile's tables differ from the files, each by field (file_places.cpp).
void compare_cells(const celle& file, const celle& compiled, std::vector<file_place>& out);
void compare_header(const testata& file, const testata& compiled, std::vector<file_place>& out);
void compare_plans(const geometria* file, const geometria* compiled, const std::string& bytes,
                   std::vector<file_place>& out);
// The places in the order of the files (geometry, header table, cells), each by offset.
void sort_by_place(std::vector<file_place>& places);
// Whether the plan encodes to exactly these bytes; compared a piece at a time.
bool same_image(const geometria& plan, std::string_view bytes);

}  // namespace scenario::tool::decompiling
