// Tests of the plan geometry: the curvature a curve keyword selects, the seed points, the
// straight and curved steps, and the trace the line pass makes of curve records.
#include "compile/line_geometry.h"

#include <gtest/gtest.h>

#include <cmath>

#include "line_text.h"

namespace scenario {
namespace {

using testing::line_result;
using testing::program_line_text;
using testing::run_line;
using testing::small_line;

TEST(LineGeometry, CurvatureFromTheKeyword) {
    struct row {
        const char* keyword;
        std::optional<double> k;
    };
    const row rows[] = {
        {"curvad1", 0.0001},  {"curvad2", 0.0002},  {"curvad3", 0.0004},
        {"curvad4", 0.001},   {"curvad5", 0.002},   {"curvad6", 0.003},
        {"curvas6", -0.003},  {"CURVAS2", -0.0002}, {"curvad51", 0.0001},   // "1" is tried first
        {"curvad 7 9 0", {}}, {"curvad", {}},       {"curvadis4", -0.001},  // any "s" turns left
    };
    for (const row& r : rows) {
        EXPECT_EQ(curvature(r.keyword), r.k) << r.keyword;
    }
}

TEST(LineGeometry, SeedsAreIntegers) {
    geometria g(10);
    seed_geometry(g);
    EXPECT_EQ(g.kind(0, 0), geometria::tag::integer);
    EXPECT_EQ(g.kind(0, 1), geometria::tag::integer);
    EXPECT_EQ(g.kind(1, 0), geometria::tag::integer);
    EXPECT_EQ(g.kind(1, 1), geometria::tag::integer);
    EXPECT_EQ(g.value(1, 1), 1.0);
    EXPECT_EQ(g.kind(2, 0), geometria::tag::empty);
}

TEST(LineGeometry, StraightPointsRepeatTheLastStep) {
    geometria g(100);
    seed_geometry(g);
    for (std::int32_t i = 2; i <= 100; ++i) trace_point(g, i, std::nullopt);
    for (std::int32_t i = 2; i <= 100; ++i) {
        EXPECT_EQ(g.kind(i, 0), geometria::tag::real);
        EXPECT_EQ(g.value(i, 0), 0.0);
        EXPECT_FALSE(std::signbit(g.value(i, 0))) << i;  // a straight step adds no -0
        EXPECT_EQ(g.value(i, 1), static_cast<double>(i));
    }
}

TEST(LineGeometry, CurvedPointsTurnTheStepWithoutNormalising) {
    const double k = -0.003;
    geometria g(4);
    seed_geometry(g);
    trace_point(g, 2, k);
    trace_point(g, 3, k);
    trace_point(g, 4, std::nullopt);
    // From the step (0, 1): the turned step is (k, 1), then (k + k, 1 - k * k).
    EXPECT_EQ(g.value(2, 0), k);
    EXPECT_EQ(g.value(2, 1), 2.0);
    EXPECT_EQ(g.value(3, 0), k + (k + k));
    EXPECT_EQ(g.value(3, 1), 2.0 + (1.0 - k * k));
    // A straight point after the curve keeps the turned step.
    EXPECT_EQ(g.value(4, 0), g.value(3, 0) + (g.value(3, 0) - g.value(2, 0)));
    EXPECT_EQ(g.value(4, 1), g.value(3, 1) + (g.value(3, 1) - g.value(2, 1)));
    // Every turn stretches the step by sqrt(1 + k * k): after two turns it is 1 + k * k long.
    const double step = std::hypot(g.value(3, 0) - g.value(2, 0), g.value(3, 1) - g.value(2, 1));
    EXPECT_NEAR(step, 1.0 + k * k, 1e-12);
}

TEST(LineGeometry, QuarterTurnOfAConstantCurve) {
    // 0.002 rad/m over 785 m is about a quarter turn to the right: heading ends along x.
    const double k = 0.002;
    const std::int32_t n = 785;
    geometria g(n + 1);
    seed_geometry(g);
    for (std::int32_t i = 2; i <= n + 1; ++i) trace_point(g, i, k);
    const double dx = g.value(n + 1, 0) - g.value(n, 0);
    const double dy = g.value(n + 1, 1) - g.value(n, 1);
    EXPECT_NEAR(std::atan2(dx, dy), k * n, 0.01);
    EXPECT_NEAR(g.value(n + 1, 0), 1.0 / k, 5.0);  // radius 500 m
}

// Runs traced in one call must give the very doubles of trace_point point by point, sign of
// zero included, whether a run starts from the seeds or from points an earlier run left.
TEST(LineGeometry, RunsMatchPointByPoint) {
    struct run {
        std::int32_t last;
        std::optional<double> k;
    };
    const run runs[] = {{40, std::nullopt}, {90, -0.003}, {91, 0.0001},   {150, std::nullopt},
                        {149, 0.002},       {400, 0.001}, {420, -0.0004}, {500, std::nullopt}};
    geometria one_by_one(500);
    geometria in_runs(500);
    seed_geometry(one_by_one);
    seed_geometry(in_runs);
    std::int32_t next = 2;
    for (const run& r : runs) {
        trace_points(in_runs, next, r.last, r.k);  // 149 after 150: nothing
        for (; next <= r.last; ++next) trace_point(one_by_one, next, r.k);
    }
    for (std::int32_t i = 0; i <= 500; ++i) {
        for (int coord = 0; coord < 2; ++coord) {
            ASSERT_EQ(in_runs.kind(i, coord), one_by_one.kind(i, coord)) << i;
            const double a = in_runs.value(i, coord);
            const double b = one_by_one.value(i, coord);
            ASSERT_EQ(a, b) << "point " << i << " coordinate " << coord;
            ASSERT_EQ(std::signbit(a), std::signbit(b)) << i;
        }
    }
}

// A curve record may trace up to point 1000000 and no further: the point that takes the trace
// there ends the pass with 103, so even a curve ending exactly on it fails.
TEST(LineGeometry, TraceStopsAtPointOneMillion) {
    const std::string route = "[generale]\r\nlunghezza percorso, 1000000\r\n[curve]\r\n";
    const struct {
        const char* curve;
        std::int32_t code;
        std::int32_t last_traced;
    } rows[] = {
        {"curvad1, 999000, 999", 0, 1006998},
        {"curvad1, 999000, 1000", 103, 1000000},
        {"curvad1, 999000, 2000", 103, 1000000},
        {"curvad1, 1000500, 10", 103, 1000000},
    };
    for (const auto& row : rows) {
        const line_result r = run_line(route + row.curve + "\r\n[fine]\r\n");
        EXPECT_EQ(r.state.codice_errore, row.code) << row.curve;
        const geometria& g = r.state.geometria;
        EXPECT_EQ(g.kind(row.last_traced, 0), geometria::tag::real) << row.curve;
        EXPECT_EQ(g.kind(row.last_traced + 1, 0), geometria::tag::empty) << row.curve;
    }
}

// --- the trace of the line pass ---------------------------------------------------------------

TEST(LineGeometry, ProgramLineText) {
    const line_result r = run_line(program_line_text());
    ASSERT_EQ(r.state.codice_errore, 0);
    const geometria& g = r.state.geometria;
    ASSERT_EQ(g.last_metre(), 29000);
    for (int coord = 0; coord < 2; ++coord) {
        EXPECT_EQ(g.kind(0, coord), geometria::tag::integer);
        EXPECT_EQ(g.kind(1, coord), geometria::tag::integer);
        EXPECT_EQ(g.kind(28998, coord), geometria::tag::real);
        EXPECT_EQ(g.kind(28999, coord), geometria::tag::empty);
        EXPECT_EQ(g.kind(29000, coord), geometria::tag::empty);
    }
    EXPECT_EQ(g.value(1, 1), 1.0);
    for (std::int32_t i = 2; i <= 2400; ++i) {
        ASSERT_EQ(g.value(i, 0), 0.0) << i;
        ASSERT_EQ(g.value(i, 1), static_cast<double>(i)) << i;
    }
    // The first curved point turns the step (0, 1) by k = -0.003.
    EXPECT_EQ(g.value(2401, 0), -0.003);
    EXPECT_EQ(g.value(2401, 1), 2401.0);
    EXPECT_NEAR(g.value(2600, 0), -58.54, 0.005);
    EXPECT_NEAR(g.value(2600, 1), 2588.21, 0.005);
    EXPECT_NEAR(g.value(28998, 0), -4094.1, 0.05);
    EXPECT_NEAR(g.value(28998, 1), 26409.4, 0.05);
}

TEST(LineGeometry, CurveClassAndSideReachTheTrace) {
    struct row {
        const char* keyword;
        double x;
    };
    for (const row r : {row{"curvad15", 0.0001}, row{"curvas15", -0.0001}, row{"curvad5", 0.002}}) {
        const line_result result = run_line(small_line({std::string(r.keyword) + ", 10, 1"}));
        EXPECT_EQ(result.state.geometria.value(10, 0), 0.0) << r.keyword;
        EXPECT_EQ(result.state.geometria.value(11, 0), r.x) << r.keyword;
        EXPECT_EQ(result.state.geometria.value(11, 1), 11.0) << r.keyword;
    }
}

TEST(LineGeometry, OverlappingCurveLosesItsFirstPart) {
    // Points 101 to 200 turn right; the second curve runs from point 201 to 250 only, turning
    // back by atan(0.002) per point.
    const line_result r = run_line(small_line({"curvad5, 100, 100", "curvas5, 150, 100"}));
    const geometria& g = r.state.geometria;
    const auto heading = [&](std::int32_t i) {
        return std::atan2(g.value(i, 0) - g.value(i - 1, 0), g.value(i, 1) - g.value(i - 1, 1));
    };
    EXPECT_NEAR(heading(200), 100 * std::atan(0.002), 1e-9);
    EXPECT_NEAR(heading(250), 50 * std::atan(0.002), 1e-9);
    EXPECT_NEAR(heading(300), 50 * std::atan(0.002), 1e-9);
}

TEST(LineGeometry, CurveStopsAtTheLastPoint) {
    const line_result r = run_line(small_line({"curvad1, 7000, 5000"}));
    EXPECT_EQ(r.state.codice_errore, 0);
    EXPECT_EQ(r.state.geometria.kind(8000, 0), geometria::tag::real);
    // A point past the last would land on the start of the other coordinate.
    EXPECT_EQ(r.state.geometria.kind(0, 1), geometria::tag::integer);
    EXPECT_EQ(r.state.geometria.kind(1, 1), geometria::tag::integer);
}

}  // namespace
}  // namespace scenario
