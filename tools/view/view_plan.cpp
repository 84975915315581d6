// The plan of the line thinned for the page: the traced points read a block at a time (the
// geometry of a long route is never held whole), sampled every few metres, then cut down by
// Ramer-Douglas-Peucker to the points that keep the polyline within a tolerance of the trace. A
// straight stretch becomes its two ends; a curve keeps a point every few tens of metres.
#include "view/view_plan.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <utility>

namespace scenario::tool {
namespace {

// The sampling step: a chord of 5 m strays less than a centimetre from the sharpest curve a
// record can trace (0.003 rad/m).
constexpr std::int32_t k_sample_metres = 5;

// The traced points every k_sample_metres, and the last traced one.
std::vector<plan_point> sampled_points(const geometria& plan) {
    std::vector<plan_point> points;
    if (!plan.allocated()) return points;
    const auto metres = static_cast<std::size_t>(plan.last_metre()) + 1;
    std::optional<plan_point> tail;  // a traced point of coordinate 0 past the last sample
    std::size_t cursor = 0;          // the sample coordinate 1 fills next
    std::size_t element = 0;
    geometria::reader reader(plan);
    std::array<double, 4096> block{};
    geometria::tag kind{};
    for (std::size_t n; (n = reader.read(kind, block)) != 0; element += n) {
        if (kind == geometria::tag::empty) continue;
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t index = element + i;
            const auto metre = static_cast<std::int32_t>(index % metres);
            if (index < metres) {
                if (metre % k_sample_metres == 0) {
                    points.push_back({metre, block[i], 0});
                    tail.reset();
                } else {
                    tail = plan_point{metre, block[i], 0};
                }
                continue;
            }
            if (tail) {
                points.push_back(*tail);
                tail.reset();
            }
            while (cursor < points.size() && points[cursor].metre < metre) ++cursor;
            if (cursor < points.size() && points[cursor].metre == metre) {
                points[cursor].y = block[i];
            }
        }
    }
    if (tail) points.push_back(*tail);  // a plan with no coordinate 1 at all
    return points;
}

// How far p lies from the segment a-b.
double distance_to_segment(const plan_point& p, const plan_point& a, const plan_point& b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    double t = 0;
    if (length2 > 0) t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

}  // namespace

std::vector<plan_point> thin_plan(const geometria& plan, double tolerance) {
    const std::vector<plan_point> points = sampled_points(plan);
    if (points.size() <= 2) return points;
    std::vector<char> keep(points.size(), 0);
    keep.front() = keep.back() = 1;
    // Each stretch between two kept points is split at its farthest point while that one
    // strays more than the tolerance.
    std::vector<std::pair<std::size_t, std::size_t>> stretches = {{0, points.size() - 1}};
    while (!stretches.empty()) {
        const auto [first, last] = stretches.back();
        stretches.pop_back();
        double farthest = 0;
        std::size_t at = first;
        for (std::size_t i = first + 1; i < last; ++i) {
            const double d = distance_to_segment(points[i], points[first], points[last]);
            if (d > farthest) farthest = d, at = i;
        }
        if (farthest > tolerance) {
            keep[at] = 1;
            stretches.push_back({first, at});
            stretches.push_back({at, last});
        }
    }
    std::vector<plan_point> thinned;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (keep[i]) thinned.push_back(points[i]);
    }
    return thinned;
}

}  // namespace scenario::tool
