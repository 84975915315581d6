#include "model/plan_curves.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace scenario::tool {
namespace {

// The smallest curvature a curve keyword gives is 0.0001 rad/m; rounding leaves far less.
constexpr double k_straight = 1e-6;
// Turns within this share of each other are the same curvature: the classes lie far further apart.
constexpr double k_same_turn = 1e-3;

// One coordinate of every metre in turn, from a reader of the plan's elements.
class coordinate_stream {
   public:
    coordinate_stream(const geometria& plan, int coord) : reader_(plan) {
        geometria::tag kind{};
        double value = 0;
        const auto skipped = static_cast<std::size_t>(coord) * metres_of(plan);
        for (std::size_t i = 0; i < skipped; ++i) next(kind, value);
    }

    // The next metre's element; false past the end.
    bool next(geometria::tag& kind, double& value) {
        if (at_ == size_) {
            size_ = reader_.read(kind_, block_);
            at_ = 0;
            if (size_ == 0) return false;
        }
        kind = kind_;
        value = block_[at_++];
        return true;
    }

   private:
    static std::size_t metres_of(const geometria& plan) {
        return static_cast<std::size_t>(plan.last_metre()) + 1;
    }

    geometria::reader reader_;
    std::array<double, 1024> block_{};
    geometria::tag kind_{};
    std::size_t size_ = 0, at_ = 0;
};

struct plan_point {
    bool traced = false;
    double x = 0, y = 0;
};

// The turn from the step (p0 -> p1) to the step (p1 -> p2), in radians per metre, positive to
// the right. A traced point turns its last step (d0, d1) into (d0 + d1 k, d1 - d0 k), whose
// cross product with the step before is -k |d|².
double turn_at(const plan_point& p0, const plan_point& p1, const plan_point& p2) {
    const double a0 = p1.x - p0.x;
    const double a1 = p1.y - p0.y;
    const double b0 = p2.x - p1.x;
    const double b1 = p2.y - p1.y;
    const double length = a0 * a0 + a1 * a1;
    return length > 0 ? -(a0 * b1 - a1 * b0) / length : 0;
}

}  // namespace

std::optional<double> keyword_curvature(double k) {
    for (const curve_class& c : k_curve_classes) {
        for (const double sign : {1.0, -1.0}) {
            if (std::abs(k - sign * c.k) <= k_same_turn * c.k) return sign * c.k;
        }
    }
    return std::nullopt;
}

std::vector<curve> curves_of(const geometria& plan) {
    std::vector<curve> curves;
    if (!plan.allocated()) return curves;
    coordinate_stream xs(plan, 0), ys(plan, 1);
    std::array<plan_point, 3> last{};  // metres m - 2, m - 1 and m
    bool open = false;
    for (std::int32_t m = 0; m <= plan.last_metre(); ++m) {
        geometria::tag x_kind{}, y_kind{};
        plan_point p;
        if (!xs.next(x_kind, p.x) || !ys.next(y_kind, p.y)) break;
        p.traced = x_kind != geometria::tag::empty && y_kind != geometria::tag::empty;
        last = {last[1], last[2], p};
        if (m < 2) continue;
        if (!last[0].traced || !last[1].traced || !last[2].traced) {
            open = false;
            continue;
        }
        const double k = turn_at(last[0], last[1], last[2]);
        if (std::abs(k) < k_straight) {
            open = false;
            continue;
        }
        // Point m turned: the curve takes the metre from m - 1 to m.
        if (open && std::abs(k - curves.back().k) <= k_same_turn * std::abs(curves.back().k)) {
            curves.back().to = m;
        } else {
            curve c;
            c.from = m - 1;
            c.to = m;
            c.k = k;
            curves.push_back(c);
            open = true;
        }
    }
    for (curve& c : curves) c.keyword_k = keyword_curvature(c.k);
    return curves;
}

std::optional<std::array<double, 2>> plan_point_at(const geometria& plan, std::int32_t metre) {
    if (metre < 0 || metre > plan.last_metre() || plan.kind(metre, 0) == geometria::tag::empty ||
        plan.kind(metre, 1) == geometria::tag::empty) {
        return std::nullopt;
    }
    return std::array<double, 2>{plan.value(metre, 0), plan.value(metre, 1)};
}

std::vector<curve> curves_up_to(const std::vector<curve>& curves, std::int32_t last_metre) {
    std::vector<curve> within;
    for (curve c : curves) {
        if (c.from >= last_metre) break;
        c.to = std::min<double>(c.to, last_metre);
        within.push_back(c);
    }
    return within;
}

}  // namespace scenario::tool
