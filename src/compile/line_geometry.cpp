// The line pass's side of the plan geometry: the seed, the curvature of a curve keyword and the
// traces, each point computed by geometria (compile/geometria.cpp holds the arithmetic).
#include "compile/line_geometry.h"

#include "compile/compile_support.h"

namespace scenario {

void seed_geometry(geometria& g) { g.seed(); }

std::optional<double> curvature(std::string_view keyword) {
    for (const curve_class& c : k_curve_classes) {
        if (contains_any_case(keyword, c.digit)) {
            return contains_any_case(keyword, "s") ? -c.k : c.k;
        }
    }
    return std::nullopt;
}

void trace_point(geometria& g, std::int32_t i, std::optional<double> k) { g.trace(i, i, k); }

void trace_points(geometria& g, std::int32_t first, std::int32_t last, std::optional<double> k) {
    g.trace(first, last, k);
}

}  // namespace scenario
