#include "model/cell_fills.h"

#include <algorithm>

#include "base/positions.h"

namespace scenario::tool {
namespace {

constexpr int k_limit_step = 5;         // km/h in a unit of vel_limite
constexpr int k_gradient_zero = 100;    // pendenza holds the gradient + 100
constexpr std::size_t k_unwritten = 3;  // the cells at the end no pass writes

double fill_metres(std::size_t n) {
    return static_cast<double>(cell_first_metre(static_cast<std::int64_t>(n)));
}

}  // namespace

int fill_value(const cella& c, cell_fill fill) {
    switch (fill) {
        case cell_fill::speed_limit:
            return c.vel_limite * k_limit_step;
        case cell_fill::gradient:
            return c.pendenza - k_gradient_zero;
        case cell_fill::adhesion:
            return c.aderenza;
        case cell_fill::scenery:
            break;
    }
    return c.sfondo;
}

std::size_t charted_cells(const celle& cells) {
    return cells.size() > k_unwritten ? cells.size() - k_unwritten : 0;
}

std::vector<fill_run> fill_runs_of(const celle& cells, cell_fill fill, std::size_t count) {
    std::vector<fill_run> runs;
    for (std::size_t n = 0; n < std::min(count, cells.size()); ++n) {
        const int v = fill_value(cells[n], fill);
        if (!runs.empty() && runs.back().value == v) {
            runs.back().last = n;
        } else {
            runs.push_back({n, n, v});
        }
    }
    return runs;
}

std::vector<fill_run> runs_within(std::span<const fill_run> runs, std::size_t count) {
    std::vector<fill_run> within;
    for (const fill_run& r : runs) {
        if (r.first >= count) break;
        within.push_back({r.first, std::min(r.last, count - 1), r.value});
    }
    return within;
}

std::vector<speed_stretch> speed_to_keep(const celle& cells, std::span<const slow_order> orders) {
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
        const auto limit = static_cast<double>(fill_value(cells[cell], cell_fill::speed_limit));
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

std::vector<std::pair<double, double>> elevation_of(const celle& cells) {
    std::vector<std::pair<double, double>> heights = {{0.0, 0.0}};
    double z = 0;
    const std::size_t count = charted_cells(cells);
    for (std::size_t n = 0; n < count; ++n) {
        z +=
            fill_value(cells[n], cell_fill::gradient) * static_cast<double>(k_cell_metres) / 1000.0;
        heights.emplace_back(fill_metres(n + 1), z);
    }
    return heights;
}

}  // namespace scenario::tool
