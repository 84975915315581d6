// The plan read back into the turns that traced it: every traced metre follows from the two
// before it, straight or turned by one of the curvatures of the curve keywords, with the very
// arithmetic of the trace (base/geometria.h), so each is found exactly.
#include <cstring>

#include "decompile/decompile_parts.h"

namespace scenario::tool::decompiling {

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }


traced_plan read_turns(const seeded_plan_image& plan, const std::string& plan_bytes,
                       findings& found) {
    traced_plan out;
    const std::int32_t last = plan.traced_to;
    out.last_traced = last;
    const auto value = [&](std::int32_t metre, int coord) {
        return plan.value(plan_bytes, metre, coord);
    };

    // The candidates: straight, then each class to both sides.
    std::vector<std::optional<double>> candidates{std::nullopt};
    for (const curve_class& c : k_curve_classes) {
        candidates.emplace_back(c.k);
        candidates.emplace_back(-c.k);
    }
    double x2 = value(0, 0), y2 = value(0, 1);
    double x1 = value(1, 0), y1 = value(1, 1);
    std::size_t previous = 0;
    std::size_t wrong_metres = 0;
    for (std::int32_t m = 2; m <= last; ++m) {
        const double x = value(m, 0), y = value(m, 1);
        const auto gives = [&](std::size_t c) {
            double cx = 0, cy = 0;
            if (!candidates[c]) {
                cx = straight_coordinate(x2, x1);
                cy = straight_coordinate(y2, y1);
            } else {
                turned_point(x2, y2, x1, y1, *candidates[c], cx, cy);
            }
            return same_bits(cx, x) && same_bits(cy, y);
        };
        std::optional<std::size_t> found_c;
        if (gives(previous)) {
            found_c = previous;
        } else {
            for (std::size_t c = 0; c < candidates.size(); ++c) {
                if (c != previous && gives(c)) {
                    found_c = c;
                    break;
                }
            }
        }
        if (!found_c) {
            // A point no record traces: the nearest texts keep the turn before it.
            if (wrong_metres++ < 100) {
                // Metres 0 and 1 hold integers (4 bytes each), the traced ones doubles (10).
                const std::size_t at = 8 + 10 * static_cast<std::size_t>(m - 2);
                found.places.push_back(
                    {file_kind::line_geometry, at, 10, "metro " + number(m) + ", coordinata 0",
                     "un punto che nessuna curva traccia: non segue dai due punti prima di lui "
                     "né in rettilineo né con una delle curvature delle curve"});
            }
            found_c = previous;
        }
        previous = *found_c;
        if (!out.runs.empty() && out.runs.back().k == candidates[previous] &&
            out.runs.back().last == m - 1) {
            out.runs.back().last = m;
        } else {
            out.runs.push_back({m, m, candidates[previous]});
        }
        x2 = x1;
        y2 = y1;
        x1 = x;
        y1 = y;
    }
    return out;
}

std::string curve_keyword(double k) {
    for (const curve_class& c : k_curve_classes) {
        if (c.k == k) return "curvad" + std::string(c.digit);
        if (-c.k == k) return "curvas" + std::string(c.digit);
    }
    return "curvad1";
}

}  // namespace scenario::tool::decompiling
