// The page's data from one compile. Members of the document (metres along the track throughout;
// "r" is an index into "record", or null):
//
//   titolo, linea, treno      the page's title and the two names (UTF-8)
//   testi                     the two texts' names: [line text, train text]
//   percorso, fine            the route length and the end of the cells (route + run-off)
//   pianta                    the thinned plan: [metre, east, north] (empty without geometry)
//   pendenza, limite          runs of cells: [from, to, value (‰ or km/h), r]
//   quota                     the elevation integrated from the gradients, at the ends of the
//                             gradient's runs: [metre, metres]
//   rallentamenti             {da, a, v (km/h), r}, paired as the compiler pairs their boards
//   da_tenere                 the speed to keep, the lower of limit and slow order: [from, to, v]
//   curve                     the curves traced in the plan (none without geometry): {da, a,
//                             k (rad/m: the keyword's, or as traced), raggio (m), verso, r}
//   stazioni                  {voce, nome, tipo, c, a, b, orario, fermata (cell or null), r}
//   elementi                  every feature cell: {cella, m, tipo, nome, campi [[field, value]],
//                             etichetta, testo, r}
//   record                    the records referred to (view_records.h)
//   diagnostica               diagnostics_data
//
// Every meaning comes from the line model (model/line_model.h); this file only writes it down.
#include "view/view_data.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/cell_kinds.h"
#include "base/positions.h"
#include "base/windows1252.h"
#include "model/line_model.h"
#include "session/compile_session.h"
#include "view/view_diagnostics.h"
#include "view/view_page.h"
#include "view/view_plan.h"
#include "view/view_records.h"

namespace scenario::tool {
namespace {

// How far the drawn plan may stray from the traced one, in metres.
constexpr double k_plan_tolerance = 0.25;

double rounded(double value, double step) { return std::round(value / step) * step; }

double fill_metres(std::size_t n) {
    return static_cast<double>(cell_first_metre(static_cast<std::int64_t>(n)));
}

// The charted runs of a fill, each with the record that set it.
json runs_json(const line_model& model, cell_fill fill, record_table& records) {
    const fill_runs& runs = model.runs(fill);
    json out = json::array();
    for (std::size_t i = 0; i < runs.charted.size(); ++i) {
        const fill_run& r = runs.charted[i];
        const record_place setter =
            i < runs.charted_records.size() ? runs.charted_records[i] : std::nullopt;
        out.push_back({fill_metres(r.first), fill_metres(r.last + 1), static_cast<double>(r.value),
                       records.ref(setter)});
    }
    return out;
}

// The heights where the gradient's runs end, to the centimetre. The heights add up 50-metre
// steps in floating point, so a height of 0 may come back a hair below it: it is written 0, not
// -0.
json elevation(const line_model& model) {
    json points = json::array();
    for (const fill_run& r : model.runs(cell_fill::gradient).charted) {
        if (points.empty()) points.push_back({fill_metres(r.first), 0});
        const double height = model.elevation[r.last + 1].second;
        points.push_back({fill_metres(r.last + 1), rounded(height, 0.01) + 0.0});
    }
    return points;
}

json slow_orders(const line_model& model, record_table& records) {
    json out = json::array();
    for (const slow_order& o : model.slow_orders) {
        out.push_back({{"da", o.from},
                       {"a", o.to},
                       {"v", static_cast<double>(o.speed)},
                       {"r", records.ref(o.record)}});
    }
    return out;
}

// The lower of the limit and every slow order in force, as runs of one speed.
json speed_to_keep(const line_model& model) {
    json out = json::array();
    for (const speed_stretch& s : model.speed) {
        if (!out.empty() && out.back()[2] == s.keep) {
            out.back()[1] = s.to;
        } else {
            out.push_back({s.from, s.to, s.keep});
        }
    }
    return out;
}

json curves(const line_model& model, record_table& records) {
    json out = json::array();
    for (const curve& c : model.curves) {
        const double k = c.keyword_k.value_or(c.k);
        out.push_back({{"da", static_cast<std::int64_t>(c.from)},
                       {"a", static_cast<std::int64_t>(c.to)},
                       {"k", k},
                       {"raggio", std::round(1 / std::abs(k))},
                       {"verso", k < 0 ? "sinistra" : "destra"},
                       {"r", records.ref(c.record)}});
    }
    return out;
}

std::string clock(std::int32_t seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

json stations(const line_model& model, record_table& records) {
    json out = json::array();
    for (const station& s : model.stations) {
        const voce& v = *s.header_entry;
        out.push_back({{"voce", s.entry},
                       {"nome", from_windows1252(v.v_nome)},
                       {"tipo", v.v_tipo},
                       {"c", v.v_c},
                       {"a", v.v_a},
                       {"b", v.v_b},
                       {"orario", clock(v.v_l)},
                       {"fermata", s.stop ? json(*s.stop) : json(nullptr)},
                       {"r", records.ref(s.record)}});
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
            // The first side's speed, as the record gave it, else as the cell reads back.
            if (record != nullptr && record->values.size() > 1) {
                return std::to_string(record->values[1]);
            }
            if (const std::optional<std::int32_t> speed = first_board_speed(c)) {
                return std::to_string(*speed);
            }
            return "";
        case cell_kind::information_sign:
            if (c.val1 >= 1 && c.val1 < k_testata_entries) {
                return from_windows1252(state.testata[static_cast<std::size_t>(c.val1)].v_nome);
            }
            return "";
        default:
            return "";
    }
}

json elements(const line_model& model, const run_state& state, record_table& records) {
    json out = json::array();
    for (const feature& f : model.features) {
        if (f.kind == cell_kind::scenery_mark) continue;
        const cella& c = state.celle[f.cell];
        out.push_back({{"cella", f.cell},
                       {"m", f.metres},
                       {"tipo", c.tipo_cella},
                       {"nome", describe(c).name},
                       {"campi", fields(c)},
                       {"etichetta", label(state, c, f.numbers)},
                       {"r", records.ref(f.record)}});
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
    const line_model model = read_line_model(
        {state.celle, &state.testata, state.crea_geometria != 0 ? &state.geometria : nullptr,
         &compiled.diagnostics});

    json data;
    data["titolo"] = state.nome_linea + " \u2014 treno " + state.codice_treno;
    data["linea"] = state.nome_linea;
    data["treno"] = state.codice_treno;
    data["testi"] = {compiled.line_label, compiled.train_label};
    data["percorso"] = model.route_length;
    data["fine"] = std::max(model.cells_end, model.route_length);
    data["pianta"] = plan(state);
    data["pendenza"] = runs_json(model, cell_fill::gradient, records);
    data["limite"] = runs_json(model, cell_fill::speed_limit, records);
    data["quota"] = elevation(model);
    data["rallentamenti"] = slow_orders(model, records);
    data["da_tenere"] = speed_to_keep(model);
    data["curve"] = curves(model, records);
    data["stazioni"] = stations(model, records);
    data["elementi"] = elements(model, state, records);
    data["diagnostica"] = diagnostics_data(compiled);
    data["record"] = records.list();
    return data;
}

std::string view_data_json(const compiled_scenario& compiled) {
    return script_safe_json(
        view_data(compiled).dump(-1, ' ', false, json::error_handler_t::replace));
}

}  // namespace scenario::tool
