// The charts of the profile along the kilometres of the window: the curvature band with each
// curve's radius and hand, the speed the driver must keep beside the plain limit with the slow
// orders and their speeds, the gradient in ‰, the height integrated from it, the adhesion and
// the scenery, then the kilometre grid and axis. Values are ticked at round numbers.
#include <algorithm>
#include <cmath>

#include "plot/plot_profile.h"

namespace scenario::tool {
namespace {

constexpr double k_tick_size = 9;
constexpr double k_value_size = 9;

struct chart_scale {
    double top, bottom, low, high;
    double y(double v) const {
        return bottom - (std::clamp(v, low, high) - low) / (high - low) * (bottom - top);
    }
};

// Grid lines and their values at the left edge, the value 0 darker.
void value_ticks(plot_canvas& canvas, const profile_axis& a, const chart_scale& s, double step) {
    for (const double v : ticks(s.low, s.high, step)) {
        canvas.svg.line(a.x0, s.y(v), a.strip_right, s.y(v),
                        v == 0 ? "stroke=\"#999\"" : "stroke=\"#e6e6e6\"");
        canvas.text(a.x0 - 4, s.y(v) + 3, decimal_text(v, 3), k_tick_size, text_anchor::end,
                    "fill=\"#666\"");
    }
}

// The charted runs of a fill whose cells meet the window, each with its stretch cut to the
// window.
template <typename Each>
void runs_in_window(const line_model& m, cell_fill fill, const profile_axis& a, Each each) {
    for (const fill_run& r : m.runs(fill).charted) {
        const double from = fill_metres(r.first), to = fill_metres(r.last + 1);
        if (to <= a.first() || from >= a.last()) continue;
        each(r, std::max(from, a.first()), std::min(to, a.last()));
    }
}

// A step chart of one fill over the window.
void step_line(plot_canvas& canvas, const line_model& m, cell_fill fill, const profile_axis& a,
               const chart_scale& s, std::string_view style) {
    std::vector<std::pair<double, double>> points;
    runs_in_window(m, fill, a, [&](const fill_run& r, double from, double to) {
        const double level = s.y(r.value);
        if (points.empty() || points.back().second != level) {
            if (!points.empty()) points.emplace_back(a.x(from), points.back().second);
            points.emplace_back(a.x(from), level);
        }
        if (to >= a.last() || r.last + 1 == m.charted) points.emplace_back(a.x(to), level);
    });
    canvas.svg.polyline(points, style);
}

// The lowest and highest of a fill over the window's stretch drawn to scale: the run-off's strip
// may leave its chart.
std::pair<double, double> range_of(const line_model& m, cell_fill fill, const profile_axis& a) {
    double low = 0, high = 0;
    bool any = false;
    runs_in_window(m, fill, a, [&](const fill_run& r, double from, double) {
        if (from >= a.w.to) return;
        const double v = r.value;
        low = any ? std::min(low, v) : v;
        high = any ? std::max(high, v) : v;
        any = true;
    });
    return {low, high};
}

std::string radius_text(const curve& c) {
    return "R " + std::to_string(std::lround(c.radius())) + (c.k > 0 ? " dx" : " sx");
}

}  // namespace

void curvature_band(plot_canvas& canvas, const line_model& m, const profile_axis& a, double top) {
    constexpr double k_lane = 11, k_half = 20;
    static_assert(2 * k_lane + 4 + 2 * k_half + 4 + 2 * k_lane + 2 == k_curvature_height);
    const double mid = top + 2 * k_lane + 4 + k_half;
    row_title(canvas, mid - 2, "Curvatura", "1/km, + dx");
    if (!m.plan || !m.plan->allocated()) {
        canvas.text(a.x0 + 8, mid + 4,
                    "curvatura non disponibile (linea compilata senza geometria)", 10,
                    text_anchor::start, "fill=\"#888\"");
        return;
    }
    std::vector<curve> curves =
        curves_up_to(m.curves, static_cast<std::int32_t>(std::ceil(a.last())));
    std::erase_if(curves, [&](const curve& c) { return c.to <= a.first() || c.from >= a.last(); });
    double sharpest = 0.1;
    for (const curve& c : curves) sharpest = std::max(sharpest, std::abs(c.k) * 1000);
    const double high = round_step(sharpest, 1);
    const chart_scale s{mid - k_half, mid + k_half, -high, high};
    value_ticks(canvas, a, s, high);
    for (const curve& c : curves) {
        const double x1 = a.x(std::max(c.from, a.first())), x2 = a.x(std::min(c.to, a.last()));
        const double y = s.y(c.k * 1000);
        canvas.svg.begin_group(std::string(c.k > 0 ? "curva a destra" : "curva a sinistra") +
                               ", raggio " + std::to_string(std::lround(c.radius())) + " m, da " +
                               svg_writer::num(c.from) + " a " + svg_writer::num(c.to) + " m");
        // The widest radii would be a hairline: every curve keeps two pixels.
        const double h = std::max(2.0, std::abs(y - mid));
        canvas.svg.rect(x1, c.k > 0 ? mid - h : mid, std::max(1.0, x2 - x1), h,
                        fill_of(plot_style::k_curve));
        canvas.svg.end_group();
    }
    // The sharpest curves are named first; right-hand ones above the band, left-hand below.
    std::stable_sort(curves.begin(), curves.end(),
                     [](const curve& p, const curve& q) { return std::abs(p.k) > std::abs(q.k); });
    for (const curve& c : curves) {
        if (!a.to_scale(std::max(c.from, a.first()))) continue;
        const double x = a.x(std::max(c.from, a.first()));
        const lanes rows = c.k > 0 ? lanes{s.top, s.top - 3, -k_lane, 2}
                                   : lanes{s.bottom, s.bottom + 3 + k_value_size * 0.8, k_lane, 2};
        canvas.lane_label(x, radius_text(c), k_value_size, rows,
                          std::string("fill=\"") + plot_style::k_curve + "\"");
    }
}

void speed_chart(plot_canvas& canvas, const line_model& m, const profile_axis& a, double top,
                 double bottom) {
    const std::vector<slow_order>& orders = m.slow_orders;
    const std::vector<speed_stretch>& stretches = m.speed;
    double fastest = 20;
    for (const speed_stretch& st : stretches) {
        if (st.to > a.first() && st.from < a.w.to) fastest = std::max(fastest, st.limit);
    }
    const double step = round_step(fastest, 7);
    const chart_scale s{top + 14, bottom, 0, std::ceil(fastest / step) * step};
    row_title(canvas, s.top + 10, "Velocità", "km/h");
    value_ticks(canvas, a, s, step);

    std::vector<const slow_order*> shown;
    for (const slow_order& o : orders) {
        if (o.to <= a.first() || o.from >= a.last()) continue;
        const double x1 = a.x(std::max(o.from, a.first())), x2 = a.x(std::min(o.to, a.last()));
        canvas.svg.begin_group("rallentamento a " + std::to_string(o.speed) + " km/h, da " +
                               svg_writer::num(o.from) + " a " + svg_writer::num(o.to) + " m");
        canvas.svg.rect(x1, s.y(o.speed), std::max(1.5, x2 - x1), s.bottom - s.y(o.speed),
                        fill_of(plot_style::k_slow_order) + " fill-opacity=\"0.35\"");
        canvas.svg.end_group();
        shown.push_back(&o);
    }
    std::vector<std::pair<double, double>> limit, keep;
    const auto step_to = [&](std::vector<std::pair<double, double>>& line, double x, double y) {
        if (!line.empty() && line.back().second != y) line.emplace_back(x, line.back().second);
        line.emplace_back(x, y);
    };
    for (const speed_stretch& st : stretches) {
        if (st.to <= a.first() || st.from >= a.last()) continue;
        const double x1 = a.x(std::max(st.from, a.first())), x2 = a.x(std::min(st.to, a.last()));
        step_to(limit, x1, s.y(st.limit));
        step_to(limit, x2, s.y(st.limit));
        step_to(keep, x1, s.y(st.keep));
        step_to(keep, x2, s.y(st.keep));
    }
    canvas.svg.polyline(limit, stroke_of(plot_style::k_limit, 1.5) + " stroke-dasharray=\"5 3\"");
    canvas.svg.polyline(keep, stroke_of(plot_style::k_speed, 2));

    // Labels: the slow orders' speeds first, then each new limit.
    for (const slow_order* o : shown) {
        const double from = std::max(o->from, a.first()), to = std::min(o->to, a.last());
        if (!a.to_scale(from)) continue;
        const double x = (a.x(from) + a.x(to)) / 2, y = s.y(o->speed);
        canvas.label_at_first({{x, y - 3, text_anchor::middle},
                               {x, y + 11, text_anchor::middle},
                               {x, y - 14, text_anchor::middle}},
                              std::to_string(o->speed), k_value_size, fill_of("#c05a00"));
    }
    double previous = -1;
    for (const speed_stretch& st : stretches) {
        const bool changes = st.limit != previous;
        previous = st.limit;
        if (!changes || st.to <= a.first() || st.from >= a.last()) continue;
        const double from = std::max(st.from, a.first());
        if (!a.to_scale(from)) continue;
        const double x = a.x(from), y = s.y(st.limit);
        canvas.label_at_first(
            {{x + 2, y - 3, text_anchor::start}, {x + 2, y + 11, text_anchor::start}},
            decimal_text(st.limit, 0), k_value_size, "fill=\"#444\"");
    }
}

void gradient_chart(plot_canvas& canvas, const line_model& m, const profile_axis& a, double top,
                    double bottom) {
    const auto [low, high] = range_of(m, cell_fill::gradient, a);
    const double steepest = std::max({5.0, std::abs(low), std::abs(high)});
    const double step = round_step(steepest, 2);
    const double edge = std::ceil(steepest / step) * step;
    const chart_scale s{top, bottom, -edge, edge};
    row_title(canvas, s.top + 10, "Pendenza", "\u2030");
    value_ticks(canvas, a, s, step);
    step_line(canvas, m, cell_fill::gradient, a, s, stroke_of(plot_style::k_gradient, 2));
}

void elevation_chart(plot_canvas& canvas, const line_model& m, const profile_axis& a, double top,
                     double bottom) {
    const std::vector<std::pair<double, double>>& heights = m.elevation;
    std::vector<std::pair<double, double>> window;  // (metre, height) inside the window
    const auto height_at = [&](double m) {
        const auto after = std::lower_bound(heights.begin(), heights.end(), std::pair{m, -1e300});
        if (after == heights.begin()) return heights.front().second;
        if (after == heights.end()) return heights.back().second;
        const auto before = after - 1;
        return before->second + (after->second - before->second) * (m - before->first) /
                                    (after->first - before->first);
    };
    const double last = std::min(a.last(), heights.back().first);
    if (a.first() < last) {
        window.emplace_back(a.first(), height_at(a.first()));
        for (const auto& p : heights) {
            if (p.first > a.first() && p.first < last) window.push_back(p);
        }
        window.emplace_back(last, height_at(last));
    }
    double low = 0, high = 0;
    bool any = false;
    for (const auto& [m, z] : window) {
        if (m > a.w.to) continue;  // the run-off's strip may leave the chart
        low = any ? std::min(low, z) : z;
        high = any ? std::max(high, z) : z;
        any = true;
    }
    // Half a step of room above and below; a flat line gets a scale of 10 m.
    const double step = round_step(std::max(high - low, 10.0), 4);
    const chart_scale s{top, bottom, std::floor((low - step / 2) / step) * step,
                        std::ceil((high + step / 2) / step) * step};
    row_title(canvas, s.top + 10, "Altimetria", "m, da inizio");
    value_ticks(canvas, a, s, step);
    std::vector<std::pair<double, double>> points;
    for (const auto& [m, z] : window) points.emplace_back(a.x(m), s.y(z));
    if (!points.empty()) {
        std::vector<std::pair<double, double>> area = points;
        area.emplace_back(points.back().first, s.bottom);
        area.emplace_back(points.front().first, s.bottom);
        canvas.svg.polygon(area, fill_of(plot_style::k_elevation) + " fill-opacity=\"0.12\"");
    }
    canvas.svg.polyline(points, stroke_of(plot_style::k_elevation, 2));
}

void adhesion_chart(plot_canvas& canvas, const line_model& m, const profile_axis& a, double top) {
    const double best = std::max(range_of(m, cell_fill::adhesion, a).second, 10.0);
    const double step = round_step(best, 2);
    const chart_scale s{top, top + k_adhesion_height, 0, std::ceil(best / step) * step};
    row_title(canvas, s.top + 10, "Aderenza", "valore");
    value_ticks(canvas, a, s, step);
    step_line(canvas, m, cell_fill::adhesion, a, s, stroke_of(plot_style::k_adhesion, 2));
}

void scenery_band(plot_canvas& canvas, const line_model& m, const profile_axis& a, double top) {
    row_title(canvas, top + 11, "Sfondo");
    for (const fill_run& r : m.runs(cell_fill::scenery).every) {
        if (r.value == 0) continue;
        // A rectangle for each cell: the drawing shows where each cell's mark is.
        for (std::size_t n = r.first; n <= r.last; ++n) {
            const double from = fill_metres(n), to = fill_metres(n + 1);
            if (to <= a.first() || from >= a.last()) continue;
            const double x1 = a.x(std::max(from, a.first())), x2 = a.x(std::min(to, a.last()));
            canvas.svg.rect(x1, top + 2, std::max(1.0, x2 - x1), k_scenery_height - 4,
                            fill_of(plot_style::k_scenery));
        }
    }
}

namespace {

// The labelled kilometres: a round step that leaves 60 pixels or more between two labels.
double km_label_step(const profile_axis& a) {
    const double per_metre = (a.scale_end - a.x0) / std::max(1.0, a.w.to - a.w.from);
    return round_step(60 / per_metre, 1, 100);
}

}  // namespace

void km_grid(plot_canvas& canvas, const profile_axis& a, double top, double bottom) {
    for (const double m : ticks(a.w.from, a.w.to, km_label_step(a))) {
        canvas.svg.line(a.x(m), top, a.x(m), bottom, "stroke=\"#f0f0f0\"");
    }
}

double km_axis(plot_canvas& canvas, const profile_axis& a, double y) {
    canvas.svg.line(a.x0, y, a.scale_end, y, "stroke=\"#222\"");
    const double step = km_label_step(a);
    // Minor ticks split a step of 1, 2 or 5 into 5, 4 or 5 parts.
    const double leading = step / std::pow(10.0, std::floor(std::log10(step)));
    const double minor = step / (std::lround(leading) == 2 ? 4 : 5);
    for (const double m : ticks(a.w.from, a.w.to, minor)) {
        canvas.svg.line(a.x(m), y, a.x(m), y + 4, "stroke=\"#222\"");
    }
    const int decimals = step < 1000 ? 1 : 0;
    for (const double m : ticks(a.w.from, a.w.to, step)) {
        canvas.svg.line(a.x(m), y, a.x(m), y + 7, "stroke=\"#222\"");
        canvas.label(a.x(m), y + 18, km_text(m, decimals), 10, text_anchor::middle);
    }
    canvas.text(a.x0 - 16, y + 18, "km", 10, text_anchor::end, "", true);
    if (a.w.has_strip()) {
        canvas.svg.line(
            a.strip_left, y, a.strip_right, y,
            std::string("stroke=\"") + plot_style::k_run_off + "\" stroke-dasharray=\"3 2\"");
        canvas.label((a.strip_left + a.strip_right) / 2, y + 18,
                     "+" + km_text(a.w.squeezed_to - a.w.to) + " km", 9, text_anchor::middle,
                     std::string("fill=\"") + plot_style::k_run_off + "\"");
    }
    return y + 24;
}

}  // namespace scenario::tool
