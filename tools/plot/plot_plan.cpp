// The plan of the line: the traced geometry with north up and one scale for both axes, fitted
// to the stretch drawn (the route, or the window asked for, with the rest of the line faint
// around it). The run-off after the route end is a short dashed stub, not to scale, marked "fine
// percorso". Stations, signals and kilometre ticks stand where they are; their labels go beside
// the track where they cover no other text and no track, stations first, and are left out
// where there is no room.
#include <algorithm>
#include <array>
#include <cmath>

#include "model/header_reading.h"
#include "plot/plot.h"

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

constexpr double k_label_size = 11;
constexpr double k_km_size = 10;
constexpr double k_stub_pixels = 40;

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

struct track {
    const geometria& g;
    std::int32_t last;
    plan_frame f;

    point world(double m) const {
        const auto metre = static_cast<std::int32_t>(std::clamp(m, 0.0, double(last)));
        return present(g, metre) ? at(g, metre) : point{0, 0};
    }
    point page(double m) const { return f.page(world(m)); }
    // The unit vector on the page to the right of the direction of travel at metre m.
    point right_of_travel(double m) const {
        const point a = page(m - 5), b = page(m + 5);
        const double dx = b.x - a.x, dy = b.y - a.y, length = std::hypot(dx, dy);
        if (length == 0) return {1, 0};
        return {-dy / length, dx / length};
    }
    point direction(double m) const {
        const point n = right_of_travel(m);
        return {n.y, -n.x};
    }
};

// The track from metre `from` to `to`, at most about 4000 points.
std::vector<std::pair<double, double>> track_points(const track& t, double from, double to) {
    const auto first = static_cast<std::int32_t>(std::max(0.0, std::floor(from)));
    const auto last = static_cast<std::int32_t>(std::min<double>(t.last, std::ceil(to)));
    const std::int32_t step = std::max<std::int32_t>(1, (last - first) / 4000);
    std::vector<std::pair<double, double>> points;
    for (std::int32_t m = first; m <= last; m += step) {
        if (!present(t.g, m)) continue;
        const point p = t.f.page(at(t.g, m));
        points.emplace_back(p.x, p.y);
    }
    if (last > first && present(t.g, last) && (last - first) % step != 0) {
        const point p = t.f.page(at(t.g, last));
        points.emplace_back(p.x, p.y);
    }
    return points;
}

// Keeps labels off the drawn track: small boxes every few pixels along it.
void track_as_obstacle(label_space& space, const std::vector<std::pair<double, double>>& points) {
    std::pair<double, double> last{-1e9, -1e9};
    for (const auto& p : points) {
        if (std::hypot(p.first - last.first, p.second - last.second) < 4) continue;
        space.take({p.first - 2.5, p.second - 2.5, p.first + 2.5, p.second + 2.5});
        last = p;
    }
}

// Places beside the track at metre m: right and left of travel at growing distances, then
// the four corners around the point.
std::vector<label_spot> beside(const track& t, double m, double size,
                               std::initializer_list<double> distances) {
    const point p = t.page(m), n = t.right_of_travel(m);
    const double middle = size * 0.35;  // from the baseline to the middle of a line of text
    std::vector<label_spot> spots;
    for (const double d : distances) {
        for (const double side : {1.0, -1.0}) {
            const double dx = n.x * d * side, dy = n.y * d * side;
            const text_anchor anchor = std::abs(dx) < d * 0.35 ? text_anchor::middle
                                       : dx > 0                ? text_anchor::start
                                                               : text_anchor::end;
            spots.push_back({p.x + dx, p.y + dy + middle, anchor});
        }
        for (const double up : {-1.0, 1.0}) {
            spots.push_back({p.x + d * 0.7, p.y + up * d * 0.7 + middle, text_anchor::start});
            spots.push_back({p.x - d * 0.7, p.y + up * d * 0.7 + middle, text_anchor::end});
        }
    }
    return spots;
}

void north_arrow_and_scale(plot_canvas& canvas, const plan_frame& f, double top, double bottom) {
    svg_writer& svg = canvas.svg;
    const double x = k_plot_width - 50, y = top + 44;
    svg.polygon({{x, y - 18}, {x - 8, y + 6}, {x, y}, {x + 8, y + 6}}, "fill=\"#222\"");
    canvas.text(x, y - 22, "N", 14, text_anchor::middle, "", true);
    constexpr std::array<double, 13> k_lengths = {10,   20,   50,    100,   200,   500,   1000,
                                                  2000, 5000, 10000, 20000, 50000, 100000};
    double metres = k_lengths.front();
    for (const double l : k_lengths) {
        if (l * f.scale <= 180) metres = l;
    }
    const double bar = metres * f.scale, bx = 40, by = bottom - 10;
    svg.rect(bx, by - 4, bar, 4, "fill=\"#222\"");
    svg.line(bx, by - 8, bx, by, "stroke=\"#222\"");
    svg.line(bx + bar, by - 8, bx + bar, by, "stroke=\"#222\"");
    canvas.text(bx + bar + 8, by,
                metres >= 1000 ? km_text(metres) + " km" : km_text(metres * 1000) + " m", 11);
}

void stations_and_signals(plot_canvas& canvas, const line_model& model, const track& t,
                          const plot_window& w, double drawn_to) {
    const auto inside = [&](double metres) { return metres >= w.from && metres <= drawn_to; };
    for (const feature& f : model.features) {
        if (f.kind != cell_kind::signal || !inside(f.metres)) continue;
        const point p = t.page(f.metres);
        canvas.svg.begin_group("segnale a " + std::to_string(static_cast<long>(f.metres)) + " m");
        canvas.svg.circle(p.x, p.y, 2.2, std::string("fill=\"") + plot_style::k_signal + "\"");
        canvas.svg.end_group();
    }
    struct named_place {
        std::string name;
        double m;
    };
    std::vector<named_place> stations;
    for (const station& s : model.stations) {
        const voce& v = *s.header_entry;
        if (!inside(v.v_c)) continue;
        stations.push_back(
            {entry_text(*model.header, static_cast<std::int16_t>(s.entry)), double(v.v_c)});
        const point p = t.page(v.v_c);
        canvas.svg.begin_group(stations.back().name + " (" + std::to_string(v.v_c) + " m)");
        canvas.svg.circle(p.x, p.y, 4.5,
                          std::string("fill=\"white\" stroke-width=\"2\" stroke=\"") +
                              plot_style::k_station + "\"");
        canvas.svg.end_group();
        canvas.space().take({p.x - 5, p.y - 5, p.x + 5, p.y + 5});
    }
    for (const named_place& s : stations) {
        canvas.label_at_first(beside(t, s.m, k_label_size, {12, 24, 38}), s.name, k_label_size,
                              std::string("fill=\"") + plot_style::k_station + "\"");
    }
}

void km_ticks(plot_canvas& canvas, const track& t, double from, double to) {
    // A label every 50 pixels or more, on a round number of kilometres (100 m in a short window).
    const double step = round_step(60 / t.f.scale, 1, 100);
    const int decimals = step < 1000 ? 1 : 0;
    std::vector<double> marks = ticks(from, to, step);
    for (const double m : marks) {
        const point n = t.right_of_travel(m), p = t.page(m);
        canvas.svg.line(p.x - n.x * 6, p.y - n.y * 6, p.x + n.x * 6, p.y + n.y * 6,
                        "stroke=\"#222\" stroke-width=\"1.5\"");
    }
    for (const double m : marks) {
        canvas.label_at_first(beside(t, m, k_km_size, {12, 22}), "km " + km_text(m, decimals),
                              k_km_size, "fill=\"#444\"");
    }
}

}  // namespace

void draw_plan(plot_canvas& canvas, const line_model& model, const plot_window& w, double top,
               double bottom) {
    svg_writer& svg = canvas.svg;
    svg.comment("pianta");
    canvas.begin_panel({10, top + 26, k_plot_width - 10, bottom - 20});
    canvas.text(30, top + 18, "Pianta della linea (nord in alto, stessa scala sui due assi)", 15,
                text_anchor::start, "", true);
    if (!model.plan || !model.plan->allocated() || !present(*model.plan, 0)) {
        canvas.text(k_plot_width / 2, (top + bottom) / 2,
                    "geometria non disponibile (linea compilata senza geometria)", 14,
                    text_anchor::middle, "fill=\"#888\"");
        return;
    }
    const geometria& g = *model.plan;
    const std::int32_t last = last_traced(g);
    const double route = std::min(model.route_length, double(last));
    // The stretch drawn to scale, within the traced track.
    const double from = std::clamp(w.from, 0.0, double(last));
    const double to = std::clamp(w.to, from, double(last));
    double min_x = 1e300, max_x = -1e300, min_y = 1e300, max_y = -1e300;
    for (auto m = static_cast<std::int32_t>(from); m <= static_cast<std::int32_t>(to); ++m) {
        if (!present(g, m)) continue;
        const point p = at(g, m);
        min_x = std::min(min_x, p.x), max_x = std::max(max_x, p.x);
        min_y = std::min(min_y, p.y), max_y = std::max(max_y, p.y);
    }
    if (min_x > max_x) min_x = max_x = min_y = max_y = 0;
    // Room around the track for the labels, the north arrow and the scale bar.
    const double width = k_plot_width - 2 * 150, height = bottom - top - 100;
    const double scale =
        std::min(width / std::max(max_x - min_x, 1.0), height / std::max(max_y - min_y, 1.0));
    const plan_frame f{scale, (min_x + max_x) / 2, (min_y + max_y) / 2, k_plot_width / 2,
                       top + 45 + height / 2};
    const track t{g, last, f};
    north_arrow_and_scale(canvas, f, top, bottom);

    const bool windowed = from > 0 || (to < route && !w.has_strip());
    if (windowed) {
        // The rest of the line, faint, as far as the panel goes.
        svg.begin_clip("pianta", 10, top + 26, k_plot_width - 20, bottom - top - 46);
        svg.polyline(track_points(t, 0, last), "stroke=\"#d8d8d8\" stroke-width=\"2\"");
        svg.end_group();
    }
    const auto drawn = track_points(t, from, std::min(to, route));
    svg.polyline(drawn, "stroke=\"#222\" stroke-width=\"3\"");
    track_as_obstacle(canvas.space(), drawn);
    const bool shows_route_end = route >= from && route <= w.end();
    if (to > route) {
        // The run-off inside the window, to scale.
        const auto run_off = track_points(t, std::max(route, from), to);
        svg.polyline(run_off, std::string("stroke=\"") + plot_style::k_run_off +
                                  "\" stroke-width=\"2\" stroke-dasharray=\"6 4\"");
        track_as_obstacle(canvas.space(), run_off);
    } else if (shows_route_end) {
        // The run-off as a short stub in the direction of travel, not to scale.
        const point p = t.page(route), dir = t.direction(route);
        const point q{p.x + dir.x * k_stub_pixels, p.y + dir.y * k_stub_pixels};
        svg.polyline({{p.x, p.y}, {q.x, q.y}},
                     std::string("stroke=\"") + plot_style::k_run_off +
                         "\" stroke-width=\"2\" stroke-dasharray=\"4 3\"");
        track_as_obstacle(canvas.space(),
                          {{p.x, p.y}, {(p.x + q.x) / 2, (p.y + q.y) / 2}, {q.x, q.y}});
    }
    const double drawn_to = std::max(to, std::min(route, w.end()));
    stations_and_signals(canvas, model, t, w, drawn_to);
    if (shows_route_end) {
        canvas.label_at_first(beside(t, route, 10, {12, 24, 38}), "fine percorso", 10,
                              std::string("fill=\"") + plot_style::k_run_off + "\"");
    }
    km_ticks(canvas, t, from, std::min(to, std::max(route, from)));
}

}  // namespace scenario::tool
