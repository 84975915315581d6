#include "base/positions.h"

#include <cmath>

namespace scenario {

double nearest(double x) {
    // The default floating-point environment rounds to nearest, ties to even.
    return std::nearbyint(x);
}

std::int32_t route_last_cell(std::int32_t route_length) {
    return static_cast<std::int32_t>(fill_cell(route_last_metre(route_length)));
}

}  // namespace scenario
