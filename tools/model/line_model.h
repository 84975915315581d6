// The one model of a compiled line that the tool's readers share: dump, plot and view (and
// whatever else comes to read a compiled line) take every meaning from here, so that each one is
// worked out once. It is read from the three tables a compile leaves (the header table, the
// cells and, when there is one, the plan geometry), whether they come fresh from a compile or
// back from their files; when there was a compile, each thing also carries the record that made
// it.
//
// What it holds: where the route ends and the run-off past it; the stations with their
// platforms and stop cells; every feature on the cells (signals, slow-order boards, speed
// boards, stops, information signs, value marks, scenery marks) with where it stands; the slow
// orders with their boards, paired as the compiler pairs them; the approach marks with the
// features that laid them; the runs of the speed limit, gradient, adhesion and scenery; the speed
// to keep; the elevation; the curves of the plan.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

#include "base/records.h"
#include "model/cell_fills.h"
#include "model/cell_reading.h"
#include "model/plan_curves.h"
#include "model/record_place.h"
#include "model/slow_order_reading.h"

namespace scenario::tool {

// What the model is read from. The tables must outlive the model, which refers to them.
struct line_sources {
    const celle& cells;
    const testata* header = nullptr;  // absent when a cell file is read alone
    const geometria* plan = nullptr;  // absent when the line was compiled without geometry
    const compile_diagnostics* compile = nullptr;  // the compile that made them, if any
};

struct station {
    int entry = 0;                       // its header entry, from 1
    const voce* header_entry = nullptr;  // that entry: name, kind, position, platform, time
    std::optional<std::size_t> stop;     // the cell of its stop, when one points to it
    record_place record;
};

// A cell that is not plain track.
struct feature {
    std::size_t cell = 0;
    cell_kind kind = cell_kind::plain;
    double metres = 0;  // where it stands (feature_metres)
    record_place record;
    const compiled_record* numbers = nullptr;  // the record's values, when the compile kept them
};

// The runs of one fill over every cell, and over the charted cells with the record that set
// each (the gradient and the speed limit only; empty without a compile).
struct fill_runs {
    std::vector<fill_run> every;
    std::vector<fill_run> charted;
    std::vector<record_place> charted_records;
};

struct line_model {
    const celle* cells = nullptr;
    const testata* header = nullptr;
    const geometria* plan = nullptr;

    route_end route;
    // The route as the drawings show it: the recorded length within the cells, or the cells'
    // own length when none is recorded; and the cells' end, route and run-off.
    double route_length = 0;
    double cells_end = 0;
    std::size_t charted = 0;  // charted_cells

    std::vector<station> stations;
    std::vector<feature> features;  // front to back
    std::vector<slow_order> slow_orders;
    std::vector<approach_mark_reading> approach_marks;
    std::array<fill_runs, k_cell_fills.size()> fills;
    std::vector<speed_stretch> speed;                  // speed_to_keep
    std::vector<std::pair<double, double>> elevation;  // elevation_of
    std::vector<curve> curves;                         // empty without a plan

    const fill_runs& runs(cell_fill fill) const { return fills[static_cast<std::size_t>(fill)]; }
    // The slow order a board or approach cell belongs to (slow_order_at).
    slow_order_cells slow_order_of(std::size_t cell) const;
};

line_model read_line_model(const line_sources& sources);

}  // namespace scenario::tool
