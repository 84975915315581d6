#include "model/line_model.h"

#include <algorithm>
#include <array>

#include "base/positions.h"
#include "model/cell_words.h"
#include "model/compile_records.h"
#include "model/header_reading.h"

namespace scenario::tool {
namespace {

double metres_of_cells(const celle& cells) {
    return static_cast<double>(cell_first_metre(std::ssize(cells)));
}

// The route as the drawings show it: what entry 84 records, within the cells.
double drawn_route(const celle& cells, const testata* header) {
    const double recorded = header ? (*header)[k_entry_treno].v_b : 0;
    const double cells_end = metres_of_cells(cells);
    return recorded > 0 ? std::min(recorded, cells_end) : cells_end;
}

// The stations of the header table with the cell of each one's stop (the last that points to it).
std::vector<station> stations_of(const testata& header, const celle& cells) {
    std::vector<station> stations;
    const header_layout layout = layout_of(header);
    for (int e = 1; e <= layout.last_station; ++e) {
        const voce& v = header[static_cast<std::size_t>(e)];
        if (v == voce{}) continue;
        stations.push_back({e, &v, std::nullopt, std::nullopt});
    }
    std::array<station*, k_testata_entries> by_entry{};
    for (station& s : stations) by_entry[static_cast<std::size_t>(s.entry)] = &s;
    for (std::size_t n = 0; n < cells.size(); ++n) {
        const std::int16_t entry = cells[n].val1;
        if (kind_of(cells[n]) != cell_kind::station_stop || entry < 1 ||
            entry >= k_testata_entries) {
            continue;
        }
        if (station* s = by_entry[static_cast<std::size_t>(entry)]) s->stop = n;
    }
    return stations;
}

std::vector<feature> features_of(const celle& cells) {
    std::vector<feature> features;
    for (std::size_t n = 0; n < cells.size(); ++n) {
        if (kind_of(cells[n]) == cell_kind::plain) continue;
        features.push_back(
            {n, kind_of(cells[n]), feature_metres(cells[n], n), std::nullopt, nullptr});
    }
    return features;
}

// Each thing with the record that made it.
void attach_records(line_model& model, const compile_records& records) {
    for (station& s : model.stations) {
        if (const compiled_record* r = records.station(s.entry, s.header_entry->v_c))
            s.record = r->at;
    }
    for (feature& f : model.features) {
        f.record = records.placed(f.cell);
        f.numbers = records.at(f.record);
    }
    for (slow_order& o : model.slow_orders) o.record = records.placed(o.boards.start);
    for (const cell_fill fill : k_cell_fills) {
        fill_runs& runs = model.fills[static_cast<std::size_t>(fill)];
        for (const fill_run& run : runs.charted) {
            const compiled_record* setter = records.run_setter(fill, run);
            runs.charted_records.push_back(setter ? record_place(setter->at) : std::nullopt);
        }
    }
    for (curve& c : model.curves) {
        if (const compiled_record* r = records.curve(c.from)) c.record = r->at;
    }
}

}  // namespace

slow_order_cells line_model::slow_order_of(std::size_t cell) const {
    return slow_order_at(slow_orders, *cells, cell);
}

line_model read_line_model(const line_sources& sources) {
    const celle& cells = sources.cells;
    line_model model;
    model.cells = &cells;
    model.header = sources.header;
    model.plan = sources.plan;
    model.route = route_end_of(cells, sources.header);
    model.route_length = drawn_route(cells, sources.header);
    model.cells_end = metres_of_cells(cells);
    model.charted = charted_cells(cells);
    if (sources.header) model.stations = stations_of(*sources.header, cells);
    model.features = features_of(cells);
    model.slow_orders = read_slow_orders(cells);
    model.approach_marks = approach_marks_of(cells);
    for (const cell_fill fill : k_cell_fills) {
        fill_runs& runs = model.fills[static_cast<std::size_t>(fill)];
        runs.every = fill_runs_of(cells, fill, cells.size());
        runs.charted = runs_within(runs.every, model.charted);
    }
    model.speed = speed_to_keep(cells, model.slow_orders);
    model.elevation = elevation_of(cells);
    if (sources.plan) model.curves = curves_of(*sources.plan);
    if (sources.compile) attach_records(model, compile_records(*sources.compile));
    return model;
}

}  // namespace scenario::tool
