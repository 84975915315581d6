// The curves of the plan, read from the traced geometry itself: every metre turns the step before
// it by the curvature of the record that traced it, so a run of metres turned alike is one curve.
// Read so, a plan loaded from its file and a plan fresh from a compile give the same curves, and
// the curves are those the simulator will follow, not what the author's keywords meant to say.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/geometria.h"
#include "model/record_place.h"

namespace scenario::tool {

// A curve of the plan: the metres from `from` to `to`, each turned by `k` radians per metre,
// positive to the right of the direction of travel.
struct curve {
    double from = 0, to = 0;
    double k = 0;  // as the traced points give it, to within their rounding
    // The curvature of the keyword class that traced it (base/geometria.h), when `k` is one of
    // them: what the author wrote, exactly.
    std::optional<double> keyword_k;
    record_place record;  // the curve record that traced it

    double radius() const { return 1 / (k < 0 ? -k : k); }
};

// The curves traced in the plan, front to back. The plan is read a block at a time, as its file
// is written: a plan still held as the line pass's runs is never built whole.
std::vector<curve> curves_of(const geometria& plan);

// The curves as far as `last_metre`, the one that runs past it cut there.
std::vector<curve> curves_up_to(const std::vector<curve>& curves, std::int32_t last_metre);

// The point the plan holds for a metre (coordinate 0, coordinate 1); nothing outside the plan or
// where either element is empty. Reading a traced plan builds its table once.
std::optional<std::array<double, 2>> plan_point_at(const geometria& plan, std::int32_t metre);

// The curvature class a measured turn belongs to, with its sign; nothing when it is none.
std::optional<double> keyword_curvature(double k);

}  // namespace scenario::tool
