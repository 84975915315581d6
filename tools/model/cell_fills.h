// The values the passes fill along every cell, decoded once: the speed limit (`vel_limite` in
// steps of 5 km/h), the gradient (`pendenza`, ‰ + 100), the adhesion and the scenery; the runs
// of equal cells they make; and what follows from them along the line: the speed the driver must
// keep (the lower of the limit and any slow order in force) and the height of the track.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "base/records.h"
#include "model/slow_order_reading.h"

namespace scenario::tool {

enum class cell_fill : std::uint8_t { speed_limit, gradient, adhesion, scenery };
inline constexpr std::array<cell_fill, 4> k_cell_fills = {
    cell_fill::speed_limit, cell_fill::gradient, cell_fill::adhesion, cell_fill::scenery};

// A fill's value on a cell: km/h, ‰, or the byte itself.
int fill_value(const cella& c, cell_fill fill);

// The cells the fills reach: the passes never write the last three cells, whose zero bytes
// would read as a gradient of -100 and a limit of 0; a file of three cells or fewer holds none.
std::size_t charted_cells(const celle& cells);

// Cells `first` to `last` holding the same value of a fill.
struct fill_run {
    std::size_t first = 0;
    std::size_t last = 0;
    int value = 0;

    friend bool operator==(const fill_run&, const fill_run&) = default;
};
// The runs of one fill over the cells 0 to count - 1.
std::vector<fill_run> fill_runs_of(const celle& cells, cell_fill fill, std::size_t count);
// The runs cut at `count` cells: those of the charted cells out of those of every cell.
std::vector<fill_run> runs_within(std::span<const fill_run> runs, std::size_t count);

// A stretch of constant speed over the charted cells: the cells' limit and the speed the driver
// must keep there, the lower of the limit and any slow order in force. The stretches follow one
// another from 0 to the end of the charted cells; each differs from the one before in one of the
// two speeds.
struct speed_stretch {
    double from = 0, to = 0;
    double limit = 0, keep = 0;

    friend bool operator==(const speed_stretch&, const speed_stretch&) = default;
};
std::vector<speed_stretch> speed_to_keep(const celle& cells, std::span<const slow_order> orders);

// The height of the track, in metres above the start of the line, at each boundary of the
// charted cells, from the gradients of the 50-metre cells: (metre, height) pairs from (0, 0).
std::vector<std::pair<double, double>> elevation_of(const celle& cells);

}  // namespace scenario::tool
