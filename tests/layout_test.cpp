// The label layout of the tool's drawings: round steps and ticks, text boxes, the space of taken
// boxes and labels in lanes on leader lines. The whole picture is tested in plot_test.cpp.
#include "plot/layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace scenario::tool {
namespace {

TEST(Layout, RoundStepIsOneTwoOrFiveTimesAPowerOfTen) {
    struct step_case {
        double span;
        int most;
        double least;
        double expected;
    };
    const step_case cases[] = {
        {140, 7, 0, 20},  {80, 7, 0, 20},         {60, 7, 0, 10},    {150, 7, 0, 50},
        {3, 2, 0, 2},     {0.3, 2, 0, 0.2},       {1000, 5, 0, 200}, {5, 1, 0, 5},
        {5.01, 1, 0, 10}, {12345, 1, 100, 20000}, {40, 1, 100, 100}, {0, 4, 0, 1},
        {0, 4, 500, 500}, {250, 5, 0, 50},        {251, 5, 0, 100},
    };
    for (const step_case& c : cases) {
        EXPECT_DOUBLE_EQ(round_step(c.span, c.most, c.least), c.expected)
            << c.span << " in at most " << c.most << " parts, at least " << c.least;
    }
}

TEST(Layout, TicksAreTheMultiplesOfTheStepInside) {
    struct tick_case {
        double from, to, step;
        std::vector<double> expected;
    };
    const tick_case cases[] = {
        {0, 140, 20, {0, 20, 40, 60, 80, 100, 120, 140}},
        {-30, 30, 15, {-30, -15, 0, 15, 30}},
        {10000,
         20500,
         1000,
         {10000, 11000, 12000, 13000, 14000, 15000, 16000, 17000, 18000, 19000, 20000}},
        {12500, 13900, 500, {12500, 13000, 13500}},
        {1, 4, 5, {}},
        {5, 1, 1, {}},
        {0, 10, 0, {}},
    };
    for (const tick_case& c : cases) {
        EXPECT_EQ(ticks(c.from, c.to, c.step), c.expected) << c.from << ".." << c.to;
    }
    // Zero is written "0", never "-0".
    for (const double v : ticks(-2, 2, 1)) EXPECT_FALSE(v == 0 && std::signbit(v));
}

TEST(Layout, TextBoxesFollowTheAnchorTheSizeAndTheCharacters) {
    EXPECT_EQ(character_count("Metrò"), 5u);
    EXPECT_EQ(character_count("\u2030"), 1u);
    const double w = 5 * 10 * k_char_width;
    const box start = text_box(100, 50, "Metrò", 10, text_anchor::start);
    EXPECT_DOUBLE_EQ(start.left, 100);
    EXPECT_DOUBLE_EQ(start.right, 100 + w);
    EXPECT_DOUBLE_EQ(start.top, 50 - 10 * k_text_ascent);
    EXPECT_DOUBLE_EQ(start.bottom, 50 + 10 * k_text_descent);
    EXPECT_DOUBLE_EQ(text_box(100, 50, "Metrò", 10, text_anchor::middle).left, 100 - w / 2);
    EXPECT_DOUBLE_EQ(text_box(100, 50, "Metrò", 10, text_anchor::end).right, 100);
    EXPECT_DOUBLE_EQ(text_box(100, 50, "Metrò", 10, text_anchor::start, true).right,
                     100 + 5 * 10 * k_bold_char_width);
}

TEST(Layout, TheSpaceRefusesBoxesOverOthersOrOutsideItsArea) {
    label_space space({0, 0, 1000, 100});
    EXPECT_TRUE(space.try_take({10, 10, 60, 20}));
    EXPECT_FALSE(space.fits({50, 15, 90, 25}));  // over the first
    EXPECT_FALSE(space.fits({61, 10, 90, 20}));  // clear by less than the gap
    EXPECT_TRUE(space.fits({62, 10, 90, 20}));
    EXPECT_FALSE(space.fits({990, 10, 1010, 20}));  // past the area
    // A box far along the page, in another column of the filing.
    EXPECT_TRUE(space.try_take({700, 10, 900, 20}));
    EXPECT_FALSE(space.fits({890, 15, 950, 30}));
    // Taken boxes outside the area still keep labels off (a title in the margin).
    space.take({-50, 40, 30, 60});
    EXPECT_FALSE(space.fits({5, 45, 40, 55}));
}

// Three marks closer than their labels are wide, placed from the last back: each label climbs
// one lane over the next, and no label or leader covers another.
TEST(Layout, CloseMarksClimbLanesOnLeadersThatCrossNoLabel) {
    label_space space({0, 0, 1000, 200});
    const lanes rows{150, 146, -13, 4};
    const std::vector<double> marks = {300, 320, 340};
    std::vector<placed_label> placed;
    for (auto x = marks.rbegin(); x != marks.rend(); ++x) {
        const auto label = place_in_lanes(space, *x, "Fermata 12", 10, rows);
        ASSERT_TRUE(label) << *x;
        placed.push_back(*label);
    }
    EXPECT_EQ(placed[0].lane, 0);
    EXPECT_EQ(placed[1].lane, 1);
    EXPECT_EQ(placed[2].lane, 2);
    std::vector<box> boxes;
    for (const placed_label& p : placed) {
        EXPECT_EQ(p.anchor, text_anchor::start);
        EXPECT_DOUBLE_EQ(p.baseline, 146 - 13.0 * p.lane);
        boxes.push_back(text_box(p.x, p.baseline, "Fermata 12", 10, p.anchor));
    }
    for (std::size_t i = 0; i < placed.size(); ++i) {
        for (std::size_t j = 0; j < placed.size(); ++j) {
            if (i == j) continue;
            EXPECT_FALSE(boxes[i].overlaps(boxes[j])) << i << " " << j;
            if (placed[j].lane > 0) {
                EXPECT_FALSE(placed[j].leader.overlaps(boxes[i])) << "leader " << j;
            }
        }
    }
    // The leaders reach from the marks to their labels.
    EXPECT_DOUBLE_EQ(placed[2].leader.bottom, 150);
    EXPECT_DOUBLE_EQ(placed[2].leader.top, boxes[2].bottom);
}

TEST(Layout, ALabelWithoutRoomIsLeftOutAndOneAtTheEdgeEndsAtItsMark) {
    label_space space({0, 0, 400, 200});
    const lanes one_lane{150, 146, -13, 1};
    ASSERT_TRUE(place_in_lanes(space, 100, "Fermata 12", 10, one_lane));
    EXPECT_FALSE(place_in_lanes(space, 110, "Fermata 12", 10, one_lane));
    // Past the right edge of the area the label turns to end just before its mark.
    const auto edge = place_in_lanes(space, 390, "Fermata 12", 10, one_lane);
    ASSERT_TRUE(edge);
    EXPECT_EQ(edge->anchor, text_anchor::end);
    EXPECT_LT(edge->x, 390);
    // Lanes downward: the leader runs from the mark's lower edge to the label's top.
    const lanes below{20, 32, 12, 2};
    const auto under = place_in_lanes(space, 200, "R 500 dx", 9, below);
    ASSERT_TRUE(under);
    EXPECT_DOUBLE_EQ(under->baseline, 32);
    // Just after the first mark, the leader to the second lane would cross the first label.
    EXPECT_FALSE(place_in_lanes(space, 210, "R 500 dx", 9, below));
    const auto second = place_in_lanes(space, 190, "R 500 dx", 9, below);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->lane, 1);
    EXPECT_DOUBLE_EQ(second->leader.top, 20);
}

TEST(Layout, TheFirstFreeCandidateIsTaken) {
    label_space space({0, 0, 400, 200});
    space.take({90, 40, 200, 60});
    const auto spot = place_first_free(
        space, {{100, 55, text_anchor::start}, {100, 80, text_anchor::start}}, "km 12", 10);
    ASSERT_TRUE(spot);
    EXPECT_DOUBLE_EQ(spot->baseline, 80);
    EXPECT_FALSE(place_first_free(space, {{100, 80, text_anchor::start}}, "km 12", 10));
}

}  // namespace
}  // namespace scenario::tool
