// The profile of the line along the kilometres: stations with their platforms and names, the
// point features of the cells in lanes (signals; slow-order, speed-indicator and information
// boards; value marks), then the speed limit, gradient and adhesion as step charts, the scenery
// band, the kilometre axis and the legend. The run-off after the route is shaded.
#include <algorithm>
#include <cmath>
#include <functional>

#include "base/cell_kinds.h"
#include "base/windows1252.h"
#include "cell_words.h"
#include "dump.h"
#include "plot.h"

namespace scenario::tool {
namespace {

std::string fill_of(const char* colour) { return std::string("fill=\"") + colour + "\""; }
std::string stroke_of(const char* colour, double width = 1.5) {
    return std::string("stroke=\"") + colour + "\" stroke-width=\"" + svg_writer::num(width) + "\"";
}

// Metres along the track to the page.
struct profile_frame {
    double x0 = 110, x1 = k_plot_width - 30, metres = 1;
    double x(double m) const { return x0 + std::clamp(m, 0.0, metres) / metres * (x1 - x0); }
};

void row_title(svg_writer& svg, double y, std::string_view title) {
    svg.text(12, y, title, "font-size=\"11\" font-weight=\"bold\" fill=\"#333\"");
}

std::string entry_name(const plot_data& d, std::int16_t entry) {
    if (entry < 1 || entry >= k_testata_entries) return "";
    return from_windows1252(d.header[static_cast<std::size_t>(entry)].v_nome);
}

// Station names stand above `bottom`, their platforms and stop cells on it.
void stations_row(svg_writer& svg, const plot_data& d, const profile_frame& f, double bottom) {
    row_title(svg, bottom - 4, "Stazioni");
    const header_layout layout = layout_of(d.header);
    for (int e = 1; e <= layout.last_station; ++e) {
        const voce& v = d.header[static_cast<std::size_t>(e)];
        if (v == voce{}) continue;
        const std::string name = from_windows1252(v.v_nome);
        const double x = f.x(v.v_c);
        svg.begin_group(name + ": " + std::to_string(v.v_c) + " m, marciapiede da " +
                        std::to_string(v.v_a) + " a " + std::to_string(v.v_b) + " m");
        svg.rect(f.x(v.v_a), bottom - 8, std::max(2.0, f.x(v.v_b) - f.x(v.v_a)), 6,
                 "fill=\"#a9c4eb\"");
        svg.line(x, bottom - 12, x, bottom - 2, stroke_of(plot_style::k_station, 1.5));
        svg.end_group();
        svg.turned_text(x + 2, bottom - 14, -50, name,
                        "font-size=\"10\" " + fill_of(plot_style::k_station));
    }
    // The stop cells the train pass laid for stations of the kinds below 25.
    for (std::size_t n = 0; n < d.cells.size(); ++n) {
        const cella& c = d.cells[n];
        if (kind_of(c) != cell_kind::station_stop) continue;
        const double x = f.x(feature_metres(c, n));
        svg.begin_group("fermata: " + entry_name(d, c.val1) + " (cella " + std::to_string(n) + ")");
        svg.polygon({{x - 4, bottom + 6}, {x + 4, bottom + 6}, {x, bottom - 2}},
                    fill_of(plot_style::k_station));
        svg.end_group();
    }
}

// The lanes of point features: signals on top, boards in the middle, value marks below.
struct feature_lanes {
    const plot_data& d;
    const profile_frame& f;
    double top;
    int signs_drawn = 0;
    std::size_t slow_start = 0;  // the start board of the slow order being drawn

    void signal(svg_writer& svg, double x) const {
        svg.polygon({{x - 4, top + 16}, {x + 4, top + 16}, {x, top + 6}},
                    fill_of(plot_style::k_signal));
    }
    void slow_order(svg_writer& svg, const cella& c, std::size_t n, double x) {
        if (kind_of(c) == cell_kind::slow_order_start) slow_start = n;
        if (kind_of(c) == cell_kind::slow_order_end && slow_start != 0) {
            const double from = f.x(point_metres(slow_start));
            svg.rect(from, top + 36, std::max(1.0, x - from), 3, fill_of(plot_style::k_slow_order));
        }
        svg.rect(x - 3, top + 31, 6, 12, fill_of(plot_style::k_slow_order));
    }
    void speed_board(svg_writer& svg, const cella& c, double x) const {
        svg.rect(x - 4, top + 32, 8, 8, fill_of(plot_style::k_speed_board));
        svg.text(x, top + 29, std::to_string(c.val1 / 20),
                 "text-anchor=\"middle\" font-size=\"9\" " + fill_of(plot_style::k_speed_board));
    }
    // Sign texts alternate between two lines, so that neighbouring signs stay readable.
    void sign(svg_writer& svg, const cella& c, double x) {
        svg.polygon({{x, top + 30}, {x + 5, top + 36}, {x, top + 42}, {x - 5, top + 36}},
                    fill_of(plot_style::k_sign));
        svg.text(x + 7, top + 50 + 10 * (signs_drawn++ % 2), entry_name(d, c.val1),
                 "font-size=\"9\" " + fill_of(plot_style::k_sign));
    }
    void value_mark(svg_writer& svg, const cella& c, double x) const {
        svg.circle(x, top + 70, 3.5,
                   kind_of(c) == cell_kind::value_mark
                       ? fill_of(plot_style::k_value_mark)
                       : "fill=\"white\" " + stroke_of(plot_style::k_value_mark));
    }

    // The lane follows what the kind's values are; an empty value mark has none but is drawn
    // hollow beside the full ones.
    void draw(svg_writer& svg, const cella& c, std::size_t n) {
        const cell_kind_descriptor kind = describe(c);
        const double metres = feature_metres(c, n), x = f.x(metres);
        std::string title = std::string(kind.name) + ", cella " + std::to_string(n) + " (" +
                            svg_writer::num(metres) + " m)";
        const bool speed_or_value = kind.values == cell_values::slow_order ||
                                    kind.values == cell_values::board_speeds ||
                                    kind.values == cell_values::value;
        if (speed_or_value) title += ", valore " + std::to_string(c.val1);
        if (kind.values == cell_values::sign_entry) title += ": " + entry_name(d, c.val1);
        svg.begin_group(title);
        switch (kind.values) {
            case cell_values::signal_aspects:
                signal(svg, x);
                break;
            case cell_values::slow_order:
                slow_order(svg, c, n, x);
                break;
            case cell_values::board_speeds:
                speed_board(svg, c, x);
                break;
            case cell_values::value:
                value_mark(svg, c, x);
                break;
            case cell_values::sign_entry:
                sign(svg, c, x);
                break;
            case cell_values::none:
                if (kind_of(c) == cell_kind::empty_value_mark) value_mark(svg, c, x);
                break;
            case cell_values::station_entry:
                break;
        }
        svg.end_group();
    }
};

void features_row(svg_writer& svg, const plot_data& d, const profile_frame& f, double top,
                  double bottom) {
    row_title(svg, top + 14, "Segnali");
    row_title(svg, top + 40, "Cartelli");
    row_title(svg, top + 74, "Segni 12/13");
    feature_lanes lanes{d, f, top};
    for (std::size_t n = 0; n < d.cells.size(); ++n) {
        // Stop cells have their own row and scenery marks the scenery band.
        const cell_kind kind = kind_of(d.cells[n]);
        if (kind != cell_kind::plain && kind != cell_kind::station_stop &&
            kind != cell_kind::scenery_mark) {
            lanes.draw(svg, d.cells[n], n);
        }
    }
    svg.line(f.x0, bottom, f.x1, bottom, "stroke=\"#ddd\"");
}

// The cells the fills reach: the passes never write the last three cells, whose zero bytes
// would read as a gradient of -100.
std::size_t charted_cells(const plot_data& d) {
    return d.cells.size() > 3 ? d.cells.size() - 3 : d.cells.size();
}

// A step chart of one cell field, from cell 0 to the last cell, between `top` and `bottom`.
void step_chart(svg_writer& svg, const plot_data& d, const profile_frame& f, double top,
                double bottom, double low, double high, double tick,
                const std::function<double(const cella&)>& value, const char* colour,
                std::string_view title, std::string_view unit) {
    row_title(svg, top + 12, title);
    const auto y = [&](double v) {
        return bottom - (std::clamp(v, low, high) - low) / (high - low) * (bottom - top);
    };
    for (double v = low; v <= high + 1e-9; v += tick) {
        svg.line(f.x0, y(v), f.x1, y(v), v == 0 ? "stroke=\"#999\"" : "stroke=\"#eee\"");
        svg.text(f.x0 - 4, y(v) + 3, svg_writer::num(v) + std::string(unit),
                 "text-anchor=\"end\" font-size=\"9\" fill=\"#666\"");
    }
    std::vector<std::pair<double, double>> points;
    const std::size_t count = charted_cells(d);
    for (std::size_t n = 0; n < count; ++n) {
        const double level = y(value(d.cells[n])), x = f.x(fill_metres(n));
        if (points.empty()) {
            points.emplace_back(x, level);
        } else if (points.back().second != level) {
            points.emplace_back(x, points.back().second);
            points.emplace_back(x, level);
        }
    }
    if (!points.empty()) points.emplace_back(f.x(fill_metres(count)), points.back().second);
    svg.polyline(points, stroke_of(colour, 2));
}

void scenery_band(svg_writer& svg, const plot_data& d, const profile_frame& f, double top) {
    row_title(svg, top + 11, "Sfondo");
    for (std::size_t n = 0; n < d.cells.size(); ++n) {
        const cella& c = d.cells[n];
        if (c.sfondo != 0) {
            svg.rect(f.x(fill_metres(n)), top + 2,
                     std::max(1.0, f.x(fill_metres(n + 1)) - f.x(fill_metres(n))), 12,
                     fill_of(plot_style::k_scenery));
        }
    }
}

// The smallest of the usual steps (in km) that keeps `pixels` between two marks.
int km_step(const profile_frame& f, double pixels) {
    const double per_km = (f.x1 - f.x0) / (f.metres / 1000);
    for (const int step : {1, 2, 5, 10, 20, 50, 100, 200, 500}) {
        if (step * per_km >= pixels) return step;
    }
    return 1000;
}

void km_axis(svg_writer& svg, const profile_frame& f, double y) {
    svg.line(f.x0, y, f.x1, y, "stroke=\"#222\"");
    const int tick = km_step(f, 5), label = km_step(f, 40);
    for (int km = 0; km * 1000.0 <= f.metres; km += tick) {
        svg.line(f.x(km * 1000.0), y, f.x(km * 1000.0), y + 5, "stroke=\"#222\"");
        if (km % label == 0) {
            svg.text(f.x(km * 1000.0), y + 17, std::to_string(km),
                     "text-anchor=\"middle\" font-size=\"10\"");
        }
    }
    svg.text(f.x1, y + 30, "km", "text-anchor=\"end\" font-size=\"10\"");
}

void legend(svg_writer& svg, double y) {
    struct entry {
        const char* colour;
        const char* text;
    };
    const entry entries[] = {
        {plot_style::k_station, "stazione (fermata e marciapiede)"},
        {plot_style::k_signal, "segnale"},
        {plot_style::k_slow_order, "rallentamento (cartelli)"},
        {plot_style::k_speed_board, "indicatore di velocità"},
        {plot_style::k_sign, "cartello di indicazione"},
        {plot_style::k_value_mark, "segno 12 (pieno) / 13 (vuoto)"},
        {plot_style::k_speed, "limite di velocità (km/h)"},
        {plot_style::k_gradient, "pendenza"},
        {plot_style::k_adhesion, "aderenza"},
        {plot_style::k_scenery, "sfondo"},
    };
    svg.text(12, y, "Legenda", "font-size=\"11\" font-weight=\"bold\"");
    for (std::size_t i = 0; i < std::size(entries); ++i) {
        const double x = 80 + static_cast<double>(i % 5) * 220,
                     row = y - 4 + static_cast<double>(i / 5) * 18;
        svg.rect(x, row - 6, 12, 10, fill_of(entries[i].colour));
        svg.text(x + 17, row + 3, entries[i].text, "font-size=\"11\"");
    }
}

// The three charts, one under the other from `y`; returns where the last one ends.
double charts(svg_writer& svg, const plot_data& d, const profile_frame& f, double y) {
    int fastest = 100, best_grip = 100, steepest = 10;
    for (std::size_t n = 0; n < charted_cells(d); ++n) {
        const cella& c = d.cells[n];
        fastest = std::max(fastest, c.vel_limite * 5);
        best_grip = std::max(best_grip, int(c.aderenza));
        steepest = std::max(steepest, std::abs(c.pendenza - 100));
    }
    const double top_speed = std::ceil(fastest / 20.0) * 20;
    step_chart(
        svg, d, f, y, y + 130, 0, top_speed, top_speed / 5,
        [](const cella& c) { return c.vel_limite * 5.0; }, plot_style::k_speed, "Velocità", "");
    y += 145;
    const double g = std::ceil(steepest / 10.0) * 10;
    step_chart(
        svg, d, f, y, y + 110, -g, g, g / 2, [](const cella& c) { return c.pendenza - 100.0; },
        plot_style::k_gradient, "Pendenza", "");
    y += 125;
    const double top_grip = std::ceil(best_grip / 50.0) * 50;
    step_chart(
        svg, d, f, y, y + 60, 0, top_grip, top_grip / 2,
        [](const cella& c) { return double(c.aderenza); }, plot_style::k_adhesion, "Aderenza", "");
    return y + 60;
}

}  // namespace

double route_length(const plot_data& d) {
    const double recorded = d.header[k_entry_treno].v_b;
    const auto cells = static_cast<double>(cell_first_metre(std::ssize(d.cells)));
    return recorded > 0 ? std::min(recorded, cells) : cells;
}

void draw_profile(svg_writer& svg, const plot_data& d, double top, double bottom) {
    svg.comment("profilo");
    svg.text(40, top + 18, "Profilo lungo la linea", "font-size=\"15\" font-weight=\"bold\"");
    profile_frame f;
    f.metres = std::max<double>(k_cell_metres, cell_first_metre(std::ssize(d.cells)));
    const double axis_y = bottom - 70;
    const double route_x = f.x(route_length(d));
    svg.rect(route_x, top + 26, f.x1 - route_x, axis_y - top - 26, "fill=\"#f2f2f2\"");
    svg.text(route_x + 4, top + 38, "dopo la fine del percorso", "font-size=\"9\" fill=\"#999\"");
    stations_row(svg, d, f, top + 170);
    features_row(svg, d, f, top + 185, top + 265);
    const double charts_end = charts(svg, d, f, top + 280);
    scenery_band(svg, d, f, charts_end + 12);
    km_axis(svg, f, axis_y);
    legend(svg, axis_y + 42);
}

}  // namespace scenario::tool
