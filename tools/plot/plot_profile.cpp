// The profile of the line along the kilometres of the window: stations with their platforms and
// names, then the point features of the cells in rows (signals as thin marks; slow-order,
// speed-indicator and information boards with their speeds and texts; value marks), the charts
// of plot_charts.cpp, the kilometre axis and the legend. Names and values hang in lanes above
// or below their marks on leader lines, and are left out where no lane has room, stations first.
// The run-off after the route end, when the window reaches it, is a narrow strip after the
// route, marked "fine percorso".
#include "plot/plot_profile.h"

#include <algorithm>
#include <cmath>

#include "base/cell_kinds.h"
#include "model/cell_reading.h"
#include "model/header_reading.h"

namespace scenario::tool {

std::string fill_of(const char* colour) { return std::string("fill=\"") + colour + "\""; }
std::string stroke_of(const char* colour, double width) {
    return std::string("stroke=\"") + colour + "\" stroke-width=\"" + svg_writer::num(width) + "\"";
}

void row_title(plot_canvas& canvas, double baseline, std::string_view title,
               std::string_view unit) {
    canvas.text(k_row_title_x, baseline, title, 11, text_anchor::start, "fill=\"#333\"", true);
    if (!unit.empty()) {
        canvas.text(k_row_title_x, baseline + 12, unit, 9, text_anchor::start, "fill=\"#555\"");
    }
}

namespace {

constexpr double k_strip_width = 44;
constexpr double k_strip_gap = 10;

}  // namespace

profile_axis::profile_axis(const plot_window& window, double left, double right)
    : w(window), x0(left), scale_end(right), strip_left(right), strip_right(right) {
    if (w.has_strip()) {
        scale_end = right - k_strip_width - k_strip_gap;
        strip_left = right - k_strip_width;
    }
}

double profile_axis::x(double m) const {
    m = std::clamp(m, w.from, w.end());
    if (m <= w.to) return x0 + (m - w.from) / std::max(1.0, w.to - w.from) * (scale_end - x0);
    return strip_left + (m - w.to) / (w.squeezed_to - w.to) * (strip_right - strip_left);
}

namespace {

constexpr double k_name_size = 10;
constexpr double k_value_size = 9;
constexpr double k_stations_height = 85;
constexpr double k_features_height = 92;

// Station names in five lanes above the marks at `row`: platforms and stop cells on it. Names
// are placed from the last station back, so that the names of close stations climb over one
// another (a name begins at its mark, and its leader passes left of the names placed before).
void stations_row(plot_canvas& canvas, const line_model& m, const profile_axis& a, double top) {
    constexpr double k_lane = 13;
    constexpr int k_lanes = 5;
    static_assert(k_lanes * k_lane + 6 + 14 == k_stations_height);
    const double row = top + k_lanes * k_lane + 6;
    row_title(canvas, row + 4, "Stazioni");
    struct named_place {
        std::string name;
        double at;
    };
    std::vector<named_place> stations;
    for (const station& s : m.stations) {
        const voce& v = *s.header_entry;
        if (!a.shows(v.v_c)) continue;
        const std::string name = entry_text(*m.header, static_cast<std::int16_t>(s.entry));
        const double x = a.x(v.v_c);
        canvas.svg.begin_group(name + ": " + std::to_string(v.v_c) + " m, marciapiede da " +
                               std::to_string(v.v_a) + " a " + std::to_string(v.v_b) + " m");
        if (a.shows(v.v_a) || a.shows(v.v_b)) {
            canvas.svg.rect(a.x(v.v_a), row - 2, std::max(2.0, a.x(v.v_b) - a.x(v.v_a)), 6,
                            "fill=\"#a9c4eb\"");
        }
        canvas.svg.line(x, row - 4, x, row + 6, stroke_of(plot_style::k_station, 1.5));
        canvas.svg.end_group();
        if (a.to_scale(v.v_c)) stations.push_back({name, double(v.v_c)});
    }
    for (const feature& f : m.features) {
        if (f.kind != cell_kind::station_stop || !a.shows(f.metres)) continue;
        const double x = a.x(f.metres);
        canvas.svg.begin_group("fermata: " + entry_text(*m.header, (*m.cells)[f.cell].val1) +
                               " (cella " + std::to_string(f.cell) + ")");
        canvas.svg.polygon({{x - 4, row + 12}, {x + 4, row + 12}, {x, row + 5}},
                           fill_of(plot_style::k_station));
        canvas.svg.end_group();
    }
    const lanes rows{row - 5, row - 8, -k_lane, k_lanes};
    for (auto s = stations.rbegin(); s != stations.rend(); ++s) {
        canvas.lane_label(a.x(s->at), s->name, k_name_size, rows, fill_of(plot_style::k_station),
                          "#8fb0de");
    }
}

// The point features of the cells, a row for each sort: signals, boards, value marks.
struct feature_rows {
    plot_canvas& canvas;
    const line_model& m;
    const profile_axis& a;
    double signals = 0;  // the middle of each row
    double boards = 0;
    double values = 0;

    void signal(double x) const {
        canvas.svg.line(x, signals - 6, x, signals + 6, stroke_of(plot_style::k_signal, 1.2));
    }
    void slow_order_board(const cella& c, double x) const {
        switch (kind_of(c)) {
            case cell_kind::slow_order_warning:
                canvas.svg.rect(x - 3, boards - 5, 6, 10,
                                "fill=\"white\" " + stroke_of(plot_style::k_slow_order, 1.5));
                break;
            case cell_kind::slow_order_start:
            case cell_kind::slow_order_end:
                canvas.svg.rect(x - 3, boards - 5, 6, 10, fill_of(plot_style::k_slow_order));
                break;
            default:  // the approach cells before a warning board
                canvas.svg.line(x, boards + 2, x, boards + 6,
                                stroke_of(plot_style::k_slow_order, 1));
        }
    }
    void speed_board(double x) const {
        canvas.svg.rect(x - 3.5, boards - 3.5, 7, 7, fill_of(plot_style::k_speed_board));
    }
    void sign(double x) const {
        canvas.svg.polygon({{x, boards - 6}, {x + 5, boards}, {x, boards + 6}, {x - 5, boards}},
                           fill_of(plot_style::k_sign));
    }
    void value_mark(const cella& c, double x) const {
        canvas.svg.circle(x, values, 3,
                          kind_of(c) == cell_kind::value_mark
                              ? fill_of(plot_style::k_value_mark)
                              : "fill=\"white\" " + stroke_of(plot_style::k_value_mark));
    }

    void draw(const feature& f) const {
        const cella& c = (*m.cells)[f.cell];
        const std::size_t n = f.cell;
        const cell_kind_descriptor kind = describe(c);
        const double metres = f.metres, x = a.x(metres);
        std::string title = std::string(kind.name) + ", cella " + std::to_string(n) + " (" +
                            svg_writer::num(metres) + " m)";
        if (kind.values == cell_values::slow_order || kind.values == cell_values::board_speeds ||
            kind.values == cell_values::value) {
            title += ", valore " + std::to_string(c.val1);
        }
        if (kind.values == cell_values::sign_entry) title += ": " + entry_text(*m.header, c.val1);
        canvas.svg.begin_group(title);
        switch (kind.values) {
            case cell_values::signal_aspects:
                signal(x);
                break;
            case cell_values::slow_order:
                slow_order_board(c, x);
                break;
            case cell_values::board_speeds:
                speed_board(x);
                break;
            case cell_values::value:
                value_mark(c, x);
                break;
            case cell_values::sign_entry:
                sign(x);
                break;
            case cell_values::none:
                if (kind_of(c) == cell_kind::empty_value_mark) value_mark(c, x);
                break;
            case cell_values::station_entry:
                break;
        }
        canvas.svg.end_group();
    }
};

// The boards' speeds (in two lanes above the boards) and the signs' texts (two lanes below),
// the slow orders' first.
void board_labels(plot_canvas& canvas, const line_model& m, const profile_axis& a, double boards) {
    constexpr double k_lane = 10;
    const lanes above{boards - 6, boards - 8, -k_lane, 2};
    const lanes below{boards + 6, boards + 8 + k_value_size * 0.8, k_lane + 1, 2};
    const auto each = [&](auto wanted, auto label) {
        for (auto f = m.features.rbegin(); f != m.features.rend(); ++f) {
            if (wanted(f->kind) && a.to_scale(f->metres))
                label((*m.cells)[f->cell], a.x(f->metres));
        }
    };
    each(
        [](cell_kind k) {
            return k == cell_kind::slow_order_warning || k == cell_kind::slow_order_start;
        },
        [&](const cella& c, double x) {
            canvas.lane_label(x, std::to_string(c.val1), k_value_size, above, fill_of("#c05a00"),
                              "#f5b880");
        });
    each([](cell_kind k) { return k == cell_kind::speed_board; },
         [&](const cella& c, double x) {
             const std::optional<std::int32_t> speed = first_board_speed(c);
             if (!speed) return;
             canvas.lane_label(x, std::to_string(*speed), k_value_size, above,
                               fill_of(plot_style::k_speed_board), "#9fd49f");
         });
    each([](cell_kind k) { return k == cell_kind::information_sign; },
         [&](const cella& c, double x) {
             canvas.lane_label(x, entry_text(*m.header, c.val1), k_value_size, below,
                               fill_of(plot_style::k_sign), "#c9a99f");
         });
}

void features_rows(plot_canvas& canvas, const line_model& m, const profile_axis& a, double top) {
    feature_rows rows{canvas, m, a};
    rows.signals = top + 8;
    rows.boards = top + 16 + 26;
    rows.values = rows.boards + 6 + 26 + 10;
    static_assert(16 + 26 + 6 + 26 + 10 + 8 == k_features_height);
    row_title(canvas, rows.signals + 4, "Segnali");
    row_title(canvas, rows.boards + 4, "Cartelli");
    row_title(canvas, rows.values + 4, "Segni 12/13");
    for (const feature& f : m.features) {
        // Stop cells have their own row and scenery marks the scenery band.
        if (f.kind == cell_kind::station_stop || f.kind == cell_kind::scenery_mark ||
            !a.shows(f.metres)) {
            continue;
        }
        rows.draw(f);
    }
    board_labels(canvas, m, a, rows.boards);
}

void legend(plot_canvas& canvas, double y) {
    struct entry {
        const char* colour;
        const char* text;
    };
    const entry entries[] = {
        {plot_style::k_station, "stazione (fermata e marciapiede)"},
        {plot_style::k_signal, "segnale"},
        {plot_style::k_slow_order, "rallentamento (km/h)"},
        {plot_style::k_speed_board, "indicatore di velocità (km/h)"},
        {plot_style::k_sign, "cartello di indicazione"},
        {plot_style::k_value_mark, "segno 12 (pieno) / 13 (vuoto)"},
        {plot_style::k_curve, "curva (raggio in m, dx / sx)"},
        {plot_style::k_speed, "velocità da rispettare"},
        {plot_style::k_limit, "limite di velocità delle celle"},
        {plot_style::k_gradient, "pendenza (\u2030)"},
        {plot_style::k_elevation, "altimetria (m)"},
        {plot_style::k_adhesion, "aderenza"},
        {plot_style::k_scenery, "sfondo"},
        {"#e2e2e2", "dopo la fine del percorso"},
    };
    canvas.text(k_row_title_x, y + 3, "Legenda", 11, text_anchor::start, "", true);
    for (std::size_t i = 0; i < std::size(entries); ++i) {
        const double x = 120 + static_cast<double>(i % 4) * 265,
                     row = y + static_cast<double>(i / 4) * 17;
        canvas.svg.rect(x, row - 6, 12, 10, fill_of(entries[i].colour));
        canvas.text(x + 17, row + 3, entries[i].text, 11);
    }
}

// The route end: a dashed line through the rows and "fine percorso" at the top.
void route_end_mark(plot_canvas& canvas, const line_model& m, const profile_axis& a, double top,
                    double bottom) {
    const double route = m.route_length;
    if (!a.shows(route) || route >= a.last()) return;
    const double x = a.x(route);
    if (a.w.has_strip()) {
        canvas.svg.rect(a.strip_left, top, a.strip_right - a.strip_left, bottom - top,
                        "fill=\"#f2f2f2\"");
    } else {
        canvas.svg.rect(x, top, a.x(a.last()) - x, bottom - top, "fill=\"#f2f2f2\"");
    }
    canvas.svg.begin_group("fine del percorso: " + svg_writer::num(route) + " m");
    canvas.svg.line(
        x, top - 4, x, bottom,
        std::string("stroke=\"") + plot_style::k_run_off + "\" stroke-dasharray=\"4 3\"");
    canvas.svg.end_group();
    const std::string style = std::string("fill=\"") + plot_style::k_run_off + "\"";
    if (!canvas.label(x - 3, top - 6, "fine percorso", 10, text_anchor::end, style)) {
        canvas.label(x + 3, top - 6, "fine percorso", 10, text_anchor::start, style);
    }
}

}  // namespace

void draw_profile(plot_canvas& canvas, const line_model& m, const plot_window& w, double top,
                  double bottom) {
    canvas.svg.comment("profilo");
    const profile_axis a(w, 120, k_plot_width - 24);
    // Optional labels stay right of the row titles and the values of the charts' ticks.
    canvas.begin_panel({a.x0 - 14, top, k_plot_width - 4, bottom});
    canvas.text(30, top + 18, "Profilo lungo la linea", 15, text_anchor::start, "", true);
    // The rows of marks from the top, the legend and the axis from the bottom; the speed,
    // gradient and height charts share what is left between them.
    const double rows_top = top + 32;
    const double legend_y = bottom - 56;
    const double axis_y = legend_y - 46;
    const double scenery_top = axis_y - 6 - k_scenery_height;
    const double adhesion_top = scenery_top - 8 - k_adhesion_height;
    const double curvature_top = rows_top + k_stations_height + k_features_height + 4;
    const double speed_top = curvature_top + k_curvature_height + 4;
    const double room = adhesion_top - 14 - speed_top - 2 * 14;
    const double speed_bottom = speed_top + room * 0.4;
    const double gradient_top = speed_bottom + 14, gradient_bottom = gradient_top + room * 0.3;
    const double elevation_top = gradient_bottom + 14,
                 elevation_bottom = elevation_top + room * 0.3;
    // The grid and the run-off go under everything else.
    km_grid(canvas, a, rows_top, axis_y);
    route_end_mark(canvas, m, a, rows_top, axis_y);
    stations_row(canvas, m, a, rows_top);
    features_rows(canvas, m, a, rows_top + k_stations_height);
    curvature_band(canvas, m, a, curvature_top);
    speed_chart(canvas, m, a, speed_top, speed_bottom);
    gradient_chart(canvas, m, a, gradient_top, gradient_bottom);
    elevation_chart(canvas, m, a, elevation_top, elevation_bottom);
    adhesion_chart(canvas, m, a, adhesion_top);
    scenery_band(canvas, m, a, scenery_top);
    km_axis(canvas, a, axis_y);
    legend(canvas, legend_y);
}

}  // namespace scenario::tool
