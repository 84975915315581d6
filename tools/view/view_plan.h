// The plan of the page: the traced geometry thinned to the points a drawing needs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/geometria.h"

namespace scenario::tool {

// A point of the thinned plan: metre along the track, east, north.
struct plan_point {
    std::int32_t metre = 0;
    double x = 0;
    double y = 0;
};

// The traced plan thinned to the points a drawing needs: the polyline through them strays at
// most `tolerance` metres from any traced point. Empty when nothing was traced.
std::vector<plan_point> thin_plan(const geometria& plan, double tolerance);

}  // namespace scenario::tool
