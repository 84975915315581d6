// What the plot reads along the line, on small fixtures: curves from the heading changes of the
// plan, slow orders from their boards, the speed the driver must keep beside the cell limit,
// the height from the gradients, and the texts of the header entries.
#include <gtest/gtest.h>

#include "base/windows1252.h"
#include "plot/plot.h"

namespace scenario::tool {
namespace {

cella board(cell_kind kind, std::int16_t speed) {
    cella c;
    c.tipo_cella = byte_of(kind);
    c.val1 = speed;
    return c;
}

// `count` cells at `limit` km/h, the last three left empty as the passes leave them.
celle plain_cells(std::size_t count, int limit) {
    celle cells(count + 3);
    for (std::size_t n = 0; n < count; ++n) {
        cells[n].vel_limite = static_cast<std::uint8_t>(limit / 5);
        cells[n].pendenza = 100;
    }
    return cells;
}

TEST(PlotTrack, CurvesComeFromTheHeadingChangeOfEachMetre) {
    geometria g(900);
    g.seed();
    g.trace(2, 100, std::nullopt);
    g.trace(101, 400, 0.002);   // to the right, 500 m radius
    g.trace(401, 600, -0.001);  // to the left, 1000 m radius
    g.trace(601, 800, std::nullopt);
    const std::vector<curve> curves = curves_of(g, 900);
    ASSERT_EQ(curves.size(), 2u);
    EXPECT_EQ(curves[0].from, 100);
    EXPECT_EQ(curves[0].to, 400);
    EXPECT_NEAR(curves[0].k, 0.002, 1e-9);
    EXPECT_NEAR(curves[0].radius(), 500, 1e-3);
    EXPECT_EQ(curves[1].from, 400);
    EXPECT_EQ(curves[1].to, 600);
    EXPECT_NEAR(curves[1].k, -0.001, 1e-9);
    // Metres past the traced ones (801 to 900 are empty) and past the limit asked end them.
    EXPECT_EQ(curves_of(g, 250).back().to, 250);
}

TEST(PlotTrack, SlowOrdersRunFromTheirStartBoardToTheirEndBoard) {
    celle cells = plain_cells(60, 80);
    cells[5] = board(cell_kind::slow_order_warning, 30);
    cells[10] = board(cell_kind::slow_order_start, 30);  // 450 m
    cells[14] = board(cell_kind::slow_order_start, 50);  // 650 m, inside the first
    cells[20] = board(cell_kind::slow_order_end, 50);    // 950 m closes the one at 50 km/h
    cells[24] = board(cell_kind::slow_order_end, 30);    // 1150 m
    cells[40] = board(cell_kind::slow_order_start, 60);  // no end board: one cell
    const std::vector<slow_order> orders = slow_orders_of(cells);
    ASSERT_EQ(orders.size(), 3u);
    const struct {
        double from, to;
        int speed;
    } expected[] = {{450, 1150, 30}, {650, 950, 50}, {1950, 2000, 60}};
    for (std::size_t i = 0; i < orders.size(); ++i) {
        EXPECT_EQ(orders[i].from, expected[i].from) << i;
        EXPECT_EQ(orders[i].to, expected[i].to) << i;
        EXPECT_EQ(orders[i].speed, expected[i].speed) << i;
    }
}

TEST(PlotTrack, TheSpeedToKeepIsTheLowerOfTheLimitAndTheSlowOrders) {
    celle cells = plain_cells(20, 80);
    for (std::size_t n = 10; n < 20; ++n) cells[n].vel_limite = 12;  // 60 km/h from 500 m
    const std::vector<slow_order> orders = {{200, 400, 30}, {450, 700, 70}};
    const std::vector<speed_stretch> stretches = speed_profile(cells, orders);
    const speed_stretch expected[] = {
        {0, 200, 80, 80},   {200, 400, 80, 30},  {400, 450, 80, 80},
        {450, 500, 80, 70}, {500, 1000, 60, 60},  // a 70 km/h order over a 60 km/h limit
    };
    ASSERT_EQ(stretches.size(), std::size(expected));
    for (std::size_t i = 0; i < stretches.size(); ++i) {
        EXPECT_EQ(stretches[i].from, expected[i].from) << i;
        EXPECT_EQ(stretches[i].to, expected[i].to) << i;
        EXPECT_EQ(stretches[i].limit, expected[i].limit) << i;
        EXPECT_EQ(stretches[i].keep, expected[i].keep) << i;
    }
    EXPECT_TRUE(speed_profile(celle{}, {}).empty());
}

TEST(PlotTrack, TheHeightAddsUpTheGradientsOfTheCells) {
    celle cells = plain_cells(4, 80);
    cells[0].pendenza = 110;  // +10 ‰ over 50 m: +0.5 m
    cells[1].pendenza = 110;
    cells[2].pendenza = 80;  // -20 ‰: -1 m
    const auto heights = elevation_profile(cells);
    const std::vector<std::pair<double, double>> expected = {
        {0, 0}, {50, 0.5}, {100, 1}, {150, 0}, {200, 0}};
    EXPECT_EQ(heights, expected);  // the three empty cells at the end are left out
}

TEST(PlotTrack, EntryTextsAndKilometres) {
    testata header{};
    header[3].v_nome = to_windows1252("Metrò  ");
    header[80].v_nome = "(INIZIO TRATTA)(SOTTERRANEA  )";
    EXPECT_EQ(entry_text(header, 3), "Metrò");
    EXPECT_EQ(entry_text(header, 80), "INIZIO TRATTA / SOTTERRANEA");
    EXPECT_EQ(entry_text(header, 0), "");
    EXPECT_EQ(entry_text(header, 87), "");
    const struct {
        double metres;
        int decimals;
        const char* text;
    } kilometres[] = {{12000, 1, "12"},     {12500, 1, "12,5"}, {12550, 1, "12,6"},
                      {29001, 3, "29,001"}, {0, 3, "0"},        {-500, 1, "-0,5"}};
    for (const auto& k : kilometres) EXPECT_EQ(km_text(k.metres, k.decimals), k.text);
}

}  // namespace
}  // namespace scenario::tool
