// The plan geometry trace. The order of the operations below is the contract: with contraction
// off (no fused multiply-add) every machine gives the same doubles, and the geometry file the
// same bytes.
#include "compile/line_geometry.h"

#include <array>
#include <utility>

#include "compile/compile_support.h"

namespace scenario {

void seed_geometry(geometria& g) {
    for (int coord = 0; coord < 2; ++coord) {
        for (std::int32_t metre = 0; metre < 2; ++metre) {
            g.set_integer(metre, coord, k_seed[coord][metre]);
        }
    }
}

std::optional<double> curvature(std::string_view keyword) {
    static constexpr std::array<std::pair<std::string_view, double>, 6> classes = {{
        {"1", 0.0001},
        {"2", 0.0002},
        {"3", 0.0004},
        {"4", 0.001},
        {"5", 0.002},
        {"6", 0.003},
    }};
    for (const auto& [digit, k] : classes) {
        if (contains_any_case(keyword, digit)) return contains_any_case(keyword, "s") ? -k : k;
    }
    return std::nullopt;
}

// A first-order rotation of the last step by k radians; the step is never re-normalised. The
// straight point adds the last step as it is: adding a zero turn could change the sign of a
// zero coordinate.
void trace_point(geometria& g, std::int32_t i, std::optional<double> k) {
    const double x1 = g.value(i - 1, 0);
    const double y1 = g.value(i - 1, 1);
    const double d0 = x1 - g.value(i - 2, 0);
    const double d1 = y1 - g.value(i - 2, 1);
    if (k) {
        g.set_real(i, 0, x1 + (d1 * *k + d0));
        g.set_real(i, 1, y1 + (d1 - d0 * *k));
    } else {
        g.set_real(i, 0, x1 + d0);
        g.set_real(i, 1, y1 + d1);
    }
}

void trace_points(geometria& g, std::int32_t first, std::int32_t last, std::optional<double> k) {
    if (first > last) return;
    double x2 = g.value(first - 2, 0);
    double y2 = g.value(first - 2, 1);
    double x1 = g.value(first - 1, 0);
    double y1 = g.value(first - 1, 1);
    for (std::int32_t i = first; i <= last; ++i) {
        const double d0 = x1 - x2;
        const double d1 = y1 - y2;
        const double x = k ? x1 + (d1 * *k + d0) : x1 + d0;
        const double y = k ? y1 + (d1 - d0 * *k) : y1 + d1;
        g.set_real(i, 0, x);
        g.set_real(i, 1, y);
        x2 = x1;
        y2 = y1;
        x1 = x;
        y1 = y;
    }
}

}  // namespace scenario
