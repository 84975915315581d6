// What the plot reads along the line from the records: the route's end, the curves of the plan
// from the heading change at each traced metre, the slow orders from their boards, the speed the
// driver must keep, the height integrated from the gradients, and the texts of the entries.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <deque>

#include "base/windows1252.h"
#include "plot/plot.h"

namespace scenario::tool {
namespace {

bool traced(const geometria& g, std::int32_t m) {
    return g.kind(m, 0) != geometria::tag::empty && g.kind(m, 1) != geometria::tag::empty;
}

// The turn from the step (m - 2 -> m - 1) to the step (m - 1 -> m), in radians per metre,
// positive to the right. A traced point turns its last step (d0, d1) into (d0 + d1 k, d1 - d0 k),
// whose cross product with the step before is -k |d|².
double turn_at(const geometria& g, std::int32_t m) {
    const double a0 = g.value(m - 1, 0) - g.value(m - 2, 0);
    const double a1 = g.value(m - 1, 1) - g.value(m - 2, 1);
    const double b0 = g.value(m, 0) - g.value(m - 1, 0);
    const double b1 = g.value(m, 1) - g.value(m - 1, 1);
    const double length = a0 * a0 + a1 * a1;
    return length > 0 ? -(a0 * b1 - a1 * b0) / length : 0;
}

// The smallest curvature a curve keyword gives is 0.0001 rad/m; rounding leaves far less.
constexpr double k_straight = 1e-6;

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return "";
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

}  // namespace

double route_length(const plot_data& d) {
    const double recorded = d.header[k_entry_treno].v_b;
    const auto cells = static_cast<double>(cell_first_metre(std::ssize(d.cells)));
    return recorded > 0 ? std::min(recorded, cells) : cells;
}

double line_end(const plot_data& d) {
    const auto cells = static_cast<double>(cell_first_metre(std::ssize(d.cells)));
    return std::max<double>(k_cell_metres, std::min(route_length(d) + k_run_off, cells));
}

plot_window whole_line(const plot_data& d) {
    plot_window w;
    w.to = std::max<double>(k_cell_metres, route_length(d));
    w.squeezed_to = line_end(d);
    return w;
}

std::vector<curve> curves_of(const geometria& g, std::int32_t last_metre) {
    std::vector<curve> curves;
    last_metre = std::min(last_metre, g.last_metre());
    bool open = false;
    for (std::int32_t m = 2; m <= last_metre; ++m) {
        if (!traced(g, m) || !traced(g, m - 1) || !traced(g, m - 2)) {
            open = false;
            continue;
        }
        const double k = turn_at(g, m);
        if (std::abs(k) < k_straight) {
            open = false;
            continue;
        }
        // Point m turned: the curve takes the metre from m - 1 to m.
        if (open && std::abs(k - curves.back().k) <= 1e-3 * std::abs(curves.back().k)) {
            curves.back().to = m;
        } else {
            curves.push_back({static_cast<double>(m - 1), static_cast<double>(m), k});
            open = true;
        }
    }
    return curves;
}

std::vector<slow_order> slow_orders_of(const celle& cells) {
    std::vector<slow_order> orders;
    std::deque<std::size_t> open;  // indices into orders, oldest first
    for (std::size_t n = 0; n < cells.size(); ++n) {
        const cella& c = cells[n];
        if (kind_of(c) == cell_kind::slow_order_start) {
            open.push_back(orders.size());
            orders.push_back({point_metres(n), point_metres(n), c.val1});
        } else if (kind_of(c) == cell_kind::slow_order_end && !open.empty()) {
            // Both boards carry the speed: the end closes the oldest open order of its speed,
            // or the oldest of all.
            auto match = std::find_if(open.begin(), open.end(),
                                      [&](std::size_t i) { return orders[i].speed == c.val1; });
            if (match == open.end()) match = open.begin();
            orders[*match].to = point_metres(n);
            open.erase(match);
        }
    }
    // A slow order shorter than a cell has its start board on both ends.
    for (const std::size_t i : open) orders[i].to = orders[i].from + k_cell_metres;
    return orders;
}

std::size_t charted_cells(const celle& cells) {
    return cells.size() > 3 ? cells.size() - 3 : cells.size();
}

std::vector<speed_stretch> speed_profile(const celle& cells,
                                         const std::vector<slow_order>& orders) {
    const std::size_t count = charted_cells(cells);
    if (count == 0) return {};
    const double end = fill_metres(count);
    std::vector<double> cuts = {0, end};
    for (std::size_t n = 1; n < count; ++n) {
        if (cells[n].vel_limite != cells[n - 1].vel_limite) cuts.push_back(fill_metres(n));
    }
    for (const slow_order& o : orders) {
        cuts.push_back(std::clamp(o.from, 0.0, end));
        cuts.push_back(std::clamp(o.to, 0.0, end));
    }
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());

    std::vector<speed_stretch> stretches;
    for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
        const double a = cuts[i], b = cuts[i + 1];
        const auto cell = std::min(count - 1, static_cast<std::size_t>(a / k_cell_metres));
        const double limit = cells[cell].vel_limite * 5.0;
        double keep = limit;
        for (const slow_order& o : orders) {
            if (o.from <= a && a < o.to) keep = std::min(keep, static_cast<double>(o.speed));
        }
        if (!stretches.empty() && stretches.back().limit == limit &&
            stretches.back().keep == keep) {
            stretches.back().to = b;
        } else {
            stretches.push_back({a, b, limit, keep});
        }
    }
    return stretches;
}

std::vector<std::pair<double, double>> elevation_profile(const celle& cells) {
    std::vector<std::pair<double, double>> heights = {{0.0, 0.0}};
    double z = 0;
    const std::size_t count = charted_cells(cells);
    for (std::size_t n = 0; n < count; ++n) {
        z += (cells[n].pendenza - 100.0) * k_cell_metres / 1000.0;
        heights.emplace_back(fill_metres(n + 1), z);
    }
    return heights;
}

std::string entry_text(const testata& header, std::int16_t entry) {
    if (entry < 1 || entry >= k_testata_entries) return "";
    const std::string text = from_windows1252(header[static_cast<std::size_t>(entry)].v_nome);
    if (text.empty() || text.front() != '(') return trimmed(text);
    // A sign's lines, each between brackets.
    std::string lines;
    std::size_t at = 0;
    while ((at = text.find('(', at)) != std::string::npos) {
        const std::size_t close = text.find(')', at);
        const std::string line = trimmed(std::string_view(text).substr(
            at + 1, (close == std::string::npos ? text.size() : close) - at - 1));
        if (!line.empty()) lines += (lines.empty() ? "" : " / ") + line;
        if (close == std::string::npos) break;
        at = close + 1;
    }
    return lines;
}

std::string km_text(double metres, int decimals) { return decimal_text(metres / 1000, decimals); }

std::string decimal_text(double value, int decimals) {
    char buffer[32];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    std::string s(buffer, r.ptr);
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    std::replace(s.begin(), s.end(), '.', ',');
    return s == "-0" ? "0" : s;
}

}  // namespace scenario::tool
