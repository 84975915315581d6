// The page's data from one compile. Members of the document (metres along the track throughout;
// "r" is an index into "record", or null):
//
//   titolo, linea, treno      the page's title and the two names (UTF-8)
//   testi                     the two texts' names: [line text, train text]
//   percorso, fine            the route length and the end of the cells (route + run-off)
//   pianta                    the thinned plan: [metre, east, north] (empty without geometry)
//   pendenza, limite          runs of cells: [from, to, value (‰ or km/h), r]
//   quota                     the elevation integrated from the gradients: [metre, metres]
//   rallentamenti             {da, a, v (km/h), r}
//   da_tenere                 the speed to keep, the lower of limit and slow order: [from, to, v]
//   curve                     {da, a, k (rad/m), raggio (m), verso, r}
//   stazioni                  {voce, nome, tipo, c, a, b, orario, fermata (cell or null), r}
//   elementi                  every feature cell: {cella, m, tipo, nome, campi [[field, value]],
//                             etichetta, testo, r}
//   record                    the records referred to (view_records.h)
//   diagnostica               diagnostics_data
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/cell_kinds.h"
#include "base/positions.h"
#include "base/windows1252.h"
#include "model/cell_words.h"
#include "compile/line_geometry.h"
#include "session/compile_session.h"
#include "model/header_reading.h"
#include "view/view_page.h"
#include "view/view_records.h"

namespace scenario::tool {
namespace {

// How far the drawn plan may stray from the traced one, in metres.
constexpr double k_plan_tolerance = 0.25;

double rounded(double value, double step) { return std::round(value / step) * step; }

// A run of equal values along the cells, from and to in metres.
struct run {
    double from = 0, to = 0, value = 0;
};

// The cells the fills reach: the passes never write the last three, whose zero bytes would read
// as a gradient of -100 and a limit of 0.
std::size_t charted_cells(const celle& cells) { return cells.size() > 3 ? cells.size() - 3 : 0; }

template <typename Value>
std::vector<run> cell_runs(const celle& cells, Value value) {
    std::vector<run> runs;
    for (std::size_t n = 0; n < charted_cells(cells); ++n) {
        const double v = value(cells[n]);
        const double from = static_cast<double>(cell_first_metre(static_cast<std::int64_t>(n)));
        if (runs.empty() || runs.back().value != v) runs.push_back({from, from, v});
        runs.back().to = from + k_cell_metres;
    }
    return runs;
}

// Runs with the record that set each: the last record of that kind laid at or before the run's
// first cell with the run's value.
json runs_json(const std::vector<run>& runs, record_table& records, record_kind kind,
               double (*value_of_record)(const compiled_record&)) {
    const std::vector<const compiled_record*> named = records.of_kind(kind);
    json out = json::array();
    for (const run& r : runs) {
        const compiled_record* setter = nullptr;
        for (const compiled_record* candidate : named) {
            if (candidate->values.size() < 2) continue;
            const double from =
                static_cast<double>(cell_first_metre(fill_cell(candidate->values[0])));
            if (from <= r.from && value_of_record(*candidate) == r.value) setter = candidate;
        }
        out.push_back({r.from, r.to, r.value, setter ? records.ref(setter->at) : json(nullptr)});
    }
    return out;
}

double gradient_of(const cella& c) { return c.pendenza - 100.0; }
double limit_of(const cella& c) { return c.vel_limite * 5.0; }
double gradient_record(const compiled_record& r) { return r.values[1]; }
double limit_record(const compiled_record& r) { return nearest(r.values[1] / 5.0) * 5.0; }

json elevation(const std::vector<run>& gradients) {
    json points = json::array();
    double z = 0;
    for (const run& r : gradients) {
        if (points.empty()) points.push_back({r.from, 0});
        z += r.value / 1000.0 * (r.to - r.from);
        points.push_back({r.to, rounded(z, 0.01)});
    }
    return points;
}

struct slow_order {
    double from = 0, to = 0, speed = 0;
};

// Each start board with the end board that follows it; a slow order shorter than a cell has
// only its start board (the start wins the shared cell).
std::vector<slow_order> slow_orders(const celle& cells, record_table& records,
                                    const compile_diagnostics& diagnostics, json& out) {
    std::vector<slow_order> found;
    for (std::size_t n = 0; n < cells.size(); ++n) {
        if (kind_of(cells[n]) != cell_kind::slow_order_start) continue;
        std::size_t end = n;
        for (std::size_t e = n + 1; e < cells.size(); ++e) {
            const cell_kind kind = kind_of(cells[e]);
            if (kind == cell_kind::slow_order_start) break;
            if (kind == cell_kind::slow_order_end) {
                end = e;
                break;
            }
        }
        const slow_order s{feature_metres(cells[n], n),
                           feature_metres(cells[end], end) + (end == n ? k_cell_metres : 0),
                           static_cast<double>(cells[n].val1)};
        found.push_back(s);
        out.push_back({{"da", s.from},
                       {"a", s.to},
                       {"v", s.speed},
                       {"r", records.ref(diagnostics.placed_by(static_cast<std::int64_t>(n)))}});
    }
    return found;
}

// The lower of the limit and every slow order in force, as runs.
json speed_to_keep(const std::vector<run>& limits, const std::vector<slow_order>& slow) {
    std::vector<double> edges;
    for (const run& r : limits) edges.insert(edges.end(), {r.from, r.to});
    for (const slow_order& s : slow) edges.insert(edges.end(), {s.from, s.to});
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    json out = json::array();
    if (limits.empty()) return out;
    for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
        const double at = edges[i];
        const auto limit = std::find_if(limits.begin(), limits.end(),
                                        [&](const run& r) { return r.from <= at && at < r.to; });
        if (limit == limits.end()) continue;
        double speed = limit->value;
        for (const slow_order& s : slow) {
            if (s.from <= at && at < s.to) speed = std::min(speed, s.speed);
        }
        if (!out.empty() && out.back()[2] == speed && out.back()[1] == at) {
            out.back()[1] = edges[i + 1];
        } else {
            out.push_back({at, edges[i + 1], speed});
        }
    }
    return out;
}

json curves(record_table& records) {
    json out = json::array();
    for (const compiled_record* r : records.of_kind(record_kind::curve)) {
        // Without geometry the pass reads no value of a curve record.
        if (r->values.size() < 2) continue;
        const std::string_view keyword =
            keyword_item(records.lines(r->at.text).line(r->at.where.line), r->at.where.column);
        const std::optional<double> k = curvature(keyword);
        if (!k) continue;
        out.push_back({{"da", r->values[0]},
                       {"a", std::int64_t{r->values[0]} + r->values[1]},
                       {"k", *k},
                       {"raggio", std::round(1 / std::abs(*k))},
                       {"verso", *k < 0 ? "sinistra" : "destra"},
                       {"r", records.ref(r->at)}});
    }
    return out;
}

std::string clock(std::int32_t seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

// The station records fill the header entries from 1 in the order they run.
json stations(const run_state& state, record_table& records) {
    const std::vector<const compiled_record*> named = records.of_kind(record_kind::station);
    json out = json::array();
    const header_layout layout = layout_of(state.testata);
    for (int e = 1; e <= layout.last_station; ++e) {
        const voce& v = state.testata[static_cast<std::size_t>(e)];
        if (v == voce{}) continue;
        const compiled_record* record = static_cast<std::size_t>(e) <= named.size()
                                            ? named[static_cast<std::size_t>(e - 1)]
                                            : nullptr;
        if (record != nullptr && (record->values.empty() || record->values[0] != v.v_c)) {
            record = nullptr;
        }
        json stop = nullptr;
        for (std::size_t n = 0; n < state.celle.size(); ++n) {
            const cella& c = state.celle[n];
            if (kind_of(c) == cell_kind::station_stop && c.val1 == e) stop = n;
        }
        out.push_back({{"voce", e},
                       {"nome", from_windows1252(v.v_nome)},
                       {"tipo", v.v_tipo},
                       {"c", v.v_c},
                       {"a", v.v_a},
                       {"b", v.v_b},
                       {"orario", clock(v.v_l)},
                       {"fermata", stop},
                       {"r", record ? records.ref(record->at) : json(nullptr)}});
    }
    return out;
}

// The fields a kind's values hold, by name.
json fields(const cella& c) {
    json out = json::array();
    const auto add = [&](const char* name, std::int32_t value) { out.push_back({name, value}); };
    switch (describe(c).values) {
        case cell_values::signal_aspects:
            add("val1", c.val1), add("val2", c.val2), add("val3", c.val3), add("val4", c.val4);
            add("tempo_segnale", c.tempo_segnale);
            break;
        case cell_values::board_speeds:
            add("val1", c.val1), add("val2", c.val2), add("val3", c.val3), add("val4", c.val4);
            break;
        case cell_values::slow_order:
            add("val1", c.val1), add("val2", c.val2), add("val3", c.val3);
            break;
        case cell_values::station_entry:
        case cell_values::value:
        case cell_values::sign_entry:
            add("val1", c.val1);
            break;
        case cell_values::none:
            break;
    }
    if (c.preavviso != 0) add("preavviso", c.preavviso);
    return out;
}

// What the drawing writes beside a feature: a speed, a value or a sign's text.
std::string label(const run_state& state, const cella& c, const compiled_record* record) {
    switch (kind_of(c)) {
        case cell_kind::slow_order_start:
        case cell_kind::slow_order_warning:
        case cell_kind::value_mark:
            return std::to_string(c.val1);
        case cell_kind::speed_board:
            // The first side's speed, as the record gave it; the cell keeps it in steps of 20.
            if (record != nullptr && record->values.size() > 1) {
                return std::to_string(record->values[1]);
            }
            return std::to_string(c.val1 / 20);
        case cell_kind::information_sign:
            if (c.val1 >= 1 && c.val1 < k_testata_entries) {
                return from_windows1252(state.testata[static_cast<std::size_t>(c.val1)].v_nome);
            }
            return "";
        default:
            return "";
    }
}

json elements(const run_state& state, const compile_diagnostics& diagnostics,
              record_table& records) {
    json out = json::array();
    for (std::size_t n = 0; n < state.celle.size(); ++n) {
        const cella& c = state.celle[n];
        const cell_kind kind = kind_of(c);
        if (kind == cell_kind::plain || kind == cell_kind::scenery_mark) continue;
        const std::optional<text_position> at = diagnostics.placed_by(static_cast<std::int64_t>(n));
        const compiled_record* record = nullptr;
        if (at) record = records.find(*at);
        out.push_back({{"cella", n},
                       {"m", feature_metres(c, n)},
                       {"tipo", c.tipo_cella},
                       {"nome", describe(c).name},
                       {"campi", fields(c)},
                       {"etichetta", label(state, c, record)},
                       {"r", records.ref(at)}});
    }
    return out;
}

json plan(const run_state& state) {
    json out = json::array();
    if (state.crea_geometria == 0) return out;
    for (const plan_point& p : thin_plan(state.geometria, k_plan_tolerance)) {
        out.push_back({p.metre, rounded(p.x, 0.01), rounded(p.y, 0.01)});
    }
    return out;
}

}  // namespace

json view_data(const compiled_scenario& compiled) {
    const run_state& state = compiled.state;
    record_table records(compiled);
    const double cells_end =
        static_cast<double>(cell_first_metre(static_cast<std::int64_t>(state.celle.size())));
    const std::int32_t recorded = state.testata[k_entry_treno].v_b;
    const double route = recorded > 0 ? std::min<double>(recorded, cells_end) : cells_end;

    json data;
    data["titolo"] = state.nome_linea + " \u2014 treno " + state.codice_treno;
    data["linea"] = state.nome_linea;
    data["treno"] = state.codice_treno;
    data["testi"] = {compiled.line_label, compiled.train_label};
    data["percorso"] = route;
    data["fine"] = std::max(cells_end, route);
    data["pianta"] = plan(state);
    const std::vector<run> gradients = cell_runs(state.celle, gradient_of);
    const std::vector<run> limits = cell_runs(state.celle, limit_of);
    data["pendenza"] = runs_json(gradients, records, record_kind::gradient, gradient_record);
    data["limite"] = runs_json(limits, records, record_kind::speed, limit_record);
    data["quota"] = elevation(gradients);
    json slow = json::array();
    const std::vector<slow_order> orders =
        slow_orders(state.celle, records, compiled.diagnostics, slow);
    data["rallentamenti"] = std::move(slow);
    data["da_tenere"] = speed_to_keep(limits, orders);
    data["curve"] = curves(records);
    data["stazioni"] = stations(state, records);
    data["elementi"] = elements(state, compiled.diagnostics, records);
    data["diagnostica"] = diagnostics_data(compiled);
    data["record"] = records.list();
    return data;
}

}  // namespace scenario::tool
