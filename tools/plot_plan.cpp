// The plan of the line: the traced geometry with north up and one scale for both axes, the
// kilometre ticks along the track, the stations and signals where they stand, a scale bar and
// a north arrow. The run-off after the route is drawn dashed.
#include <algorithm>
#include <array>
#include <cmath>

#include "dump.h"
#include "base/windows1252.h"
#include "plot.h"

namespace scenario::tool {
namespace {

struct point {
    double x, y;
};

// World metres (x east, y north) to the page, centred in the panel.
struct plan_frame {
    double scale, mid_x, mid_y, page_x, page_y;
    point page(point w) const {
        return {page_x + (w.x - mid_x) * scale, page_y - (w.y - mid_y) * scale};
    }
};

bool present(const geometria& g, std::int32_t m) {
    return m >= 0 && m <= g.last_metre() && g.kind(m, 0) != geometria::tag::empty &&
           g.kind(m, 1) != geometria::tag::empty;
}

point at(const geometria& g, std::int32_t m) { return {g.value(m, 0), g.value(m, 1)}; }

// The last metre with both coordinates: the end of the traced track.
std::int32_t last_traced(const geometria& g) {
    std::int32_t m = g.last_metre();
    while (m > 0 && !present(g, m)) --m;
    return m;
}

// The track point at metre m, clamped to the traced part.
point track_point(const geometria& g, double m, std::int32_t last) {
    const auto metre = static_cast<std::int32_t>(std::clamp(m, 0.0, static_cast<double>(last)));
    return present(g, metre) ? at(g, metre) : point{0, 0};
}

// The unit vector to the right of the direction of travel at metre m.
point right_of_travel(const geometria& g, double m, std::int32_t last) {
    const point a = track_point(g, m - 5, last), b = track_point(g, m + 5, last);
    const double dx = b.x - a.x, dy = b.y - a.y, length = std::hypot(dx, dy);
    if (length == 0) return {1, 0};
    return {dy / length, -dx / length};
}

void track_line(svg_writer& svg, const geometria& g, const plan_frame& f, std::int32_t from,
                std::int32_t to, std::string_view style) {
    const std::int32_t step = std::max<std::int32_t>(1, (to - from) / 4000);
    std::vector<std::pair<double, double>> points;
    for (std::int32_t m = from; m <= to; m += step) {
        if (!present(g, m)) continue;
        const point p = f.page(at(g, m));
        points.emplace_back(p.x, p.y);
    }
    if (present(g, to)) points.emplace_back(f.page(at(g, to)).x, f.page(at(g, to)).y);
    svg.polyline(points, style);
}

// A label beside the track at metre m, `offset` pixels to the right of travel (left if < 0).
void side_label(svg_writer& svg, const geometria& g, const plan_frame& f, std::int32_t last,
                double m, double offset, std::string_view content, std::string_view style) {
    const point n = right_of_travel(g, m, last);
    const point p = f.page(track_point(g, m, last));
    const double dx = n.x * offset, dy = -n.y * offset;
    const std::string anchor = dx >= 0 ? "text-anchor=\"start\" " : "text-anchor=\"end\" ";
    svg.text(p.x + dx, p.y + dy + 4, content, anchor + std::string(style));
}

void km_ticks(svg_writer& svg, const geometria& g, const plan_frame& f, std::int32_t last,
              double route) {
    constexpr std::array<int, 7> k_steps = {1, 2, 5, 10, 20, 50, 100};
    int label_step = k_steps.back();
    for (const int s : k_steps) {
        if (s * 1000 * f.scale >= 24) {
            label_step = s;
            break;
        }
    }
    for (int km = 0; km * 1000.0 <= route; ++km) {
        const point n = right_of_travel(g, km * 1000.0, last);
        const point p = f.page(track_point(g, km * 1000.0, last));
        svg.line(p.x - n.x * 6, p.y + n.y * 6, p.x + n.x * 6, p.y - n.y * 6,
                 "stroke=\"#222\" stroke-width=\"1.5\"");
        if (km % label_step == 0) {
            side_label(svg, g, f, last, km * 1000.0, -10, "km " + std::to_string(km),
                       "font-size=\"10\" fill=\"#444\"");
        }
    }
}

void stations_and_signals(svg_writer& svg, const plot_data& d, const plan_frame& f,
                          std::int32_t last) {
    const geometria& g = *d.plan;
    for (std::size_t n = 0; n < d.cells.size(); ++n) {
        if (kind_of(d.cells[n]) != cell_kind::signal) continue;
        const point p = f.page(track_point(g, point_metres(n), last));
        svg.begin_group("segnale a " + std::to_string(static_cast<long>(point_metres(n))) + " m");
        svg.circle(p.x, p.y, 3,
                   std::string("stroke=\"white\" stroke-width=\"1\" fill=\"") +
                       plot_style::k_signal + "\"");
        svg.end_group();
    }
    const header_layout layout = layout_of(d.header);
    for (int e = 1; e <= layout.last_station; ++e) {
        const voce& v = d.header[static_cast<std::size_t>(e)];
        if (v == voce{}) continue;
        const std::string name = from_windows1252(v.v_nome);
        const point p = f.page(track_point(g, v.v_c, last));
        svg.begin_group(name + " (" + std::to_string(v.v_c) + " m)");
        svg.circle(p.x, p.y, 4.5,
                   std::string("fill=\"white\" stroke-width=\"2\" stroke=\"") +
                       plot_style::k_station + "\"");
        svg.end_group();
        side_label(svg, g, f, last, v.v_c, 12, name,
                   std::string("font-size=\"11\" fill=\"") + plot_style::k_station + "\"");
    }
}

void north_arrow_and_scale(svg_writer& svg, const plan_frame& f, double top, double bottom) {
    const double x = k_plot_width - 70, y = top + 40;
    svg.polygon({{x, y - 18}, {x - 8, y + 6}, {x, y}, {x + 8, y + 6}}, "fill=\"#222\"");
    svg.text(x, y - 22, "N", "text-anchor=\"middle\" font-size=\"14\" font-weight=\"bold\"");
    constexpr std::array<double, 10> k_lengths = {50,   100,  200,   500,   1000,
                                                  2000, 5000, 10000, 20000, 50000};
    double metres = k_lengths.front();
    for (const double l : k_lengths) {
        if (l * f.scale <= 180) metres = l;
    }
    const double bar = metres * f.scale, bx = 60, by = bottom - 12;
    svg.rect(bx, by - 4, bar, 4, "fill=\"#222\"");
    svg.line(bx, by - 8, bx, by, "stroke=\"#222\"");
    svg.line(bx + bar, by - 8, bx + bar, by, "stroke=\"#222\"");
    const std::string label = metres >= 1000
                                  ? std::to_string(static_cast<int>(metres / 1000)) + " km"
                                  : std::to_string(static_cast<int>(metres)) + " m";
    svg.text(bx + bar + 8, by, label, "font-size=\"11\"");
}

}  // namespace

void draw_plan(svg_writer& svg, const plot_data& d, double top, double bottom) {
    svg.comment("pianta");
    svg.text(40, top + 18, "Pianta della linea (nord in alto, stessa scala sui due assi)",
             "font-size=\"15\" font-weight=\"bold\"");
    if (!d.plan || !d.plan->allocated() || !present(*d.plan, 0)) {
        svg.text(k_plot_width / 2, (top + bottom) / 2,
                 "geometria non disponibile (linea compilata senza geometria)",
                 "text-anchor=\"middle\" font-size=\"14\" fill=\"#888\"");
        return;
    }
    const geometria& g = *d.plan;
    const std::int32_t last = last_traced(g);
    double min_x = 0, max_x = 0, min_y = 0, max_y = 0;
    for (std::int32_t m = 0; m <= last; ++m) {
        if (!present(g, m)) continue;
        const point p = at(g, m);
        min_x = std::min(min_x, p.x), max_x = std::max(max_x, p.x);
        min_y = std::min(min_y, p.y), max_y = std::max(max_y, p.y);
    }
    const double width = k_plot_width - 2 * 260, height = bottom - top - 70;
    const double scale =
        std::min(width / std::max(max_x - min_x, 1.0), height / std::max(max_y - min_y, 1.0));
    const plan_frame f{scale, (min_x + max_x) / 2, (min_y + max_y) / 2, k_plot_width / 2,
                       top + 35 + height / 2};
    const double route = std::min(route_length(d), static_cast<double>(last));
    const auto route_end = static_cast<std::int32_t>(route);
    track_line(svg, g, f, route_end, last,
               "stroke=\"#999\" stroke-width=\"2\" stroke-dasharray=\"6 4\"");
    track_line(svg, g, f, 0, route_end, "stroke=\"#222\" stroke-width=\"3\"");
    km_ticks(svg, g, f, last, route);
    stations_and_signals(svg, d, f, last);
    side_label(svg, g, f, last, route, 12, "fine del percorso", "font-size=\"10\" fill=\"#999\"");
    north_arrow_and_scale(svg, f, top, bottom);
}

}  // namespace scenario::tool
