// The line pass's side of the plan geometry: the seed, the curvature of a curve keyword and the
// traces, each point computed by geometria (compile/geometria.cpp holds the arithmetic).
#include "compile/line_geometry.h"

#include <array>
#include <utility>

#include "compile/compile_support.h"

namespace scenario {

void seed_geometry(geometria& g) { g.seed(); }

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

void trace_point(geometria& g, std::int32_t i, std::optional<double> k) { g.trace(i, i, k); }

void trace_points(geometria& g, std::int32_t first, std::int32_t last, std::optional<double> k) {
    g.trace(first, last, k);
}

}  // namespace scenario
