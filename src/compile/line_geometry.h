// The plan geometry of the line: the seed points, the curvature of a curve keyword and the
// metre-by-metre trace. Each point follows from the two before it, so the line pass traces the
// points strictly in order; the arithmetic of a traced point is geometria's (base/geometria.cpp).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "base/records.h"

namespace scenario {

// Points 0 and 1 as 16-bit integers, the values of k_seed.
void seed_geometry(geometria& g);

// Radians per metre for a curve keyword: the first of the digits "1" to "6" it holds, negative
// when it holds an "s" anywhere (a curve to the left). No digit: no curvature.
std::optional<double> curvature(std::string_view keyword);

// Point i (at least 2) from points i - 1 and i - 2: straight without k, else turned by k.
void trace_point(geometria& g, std::int32_t i, std::optional<double> k);

// Points first to last (first at least 2), the same as trace_point on each in turn: the same
// operations in the same order give the same doubles. A geometry traced only in order from its
// seed keeps the runs instead of the points: a long route traces a million points.
void trace_points(geometria& g, std::int32_t first, std::int32_t last, std::optional<double> k);

}  // namespace scenario
