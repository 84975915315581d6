// The line model the tool's readers share, on small fixtures: the cells the fills reach, the
// runs of each fill, the speed to keep beside the cell limit, the height from the gradients, the
// curves from the heading change of each traced metre, the stations with their stops, the names
// of header entries, and the records of a compile attached to what they made.
#include "model/line_model.h"

#include <gtest/gtest.h>

#include "base/windows1252.h"
#include "model/compile_records.h"
#include "model/header_reading.h"

namespace scenario::tool {

void PrintTo(const speed_stretch& s, std::ostream* out) {
    *out << "{" << s.from << ", " << s.to << ", limit " << s.limit << ", keep " << s.keep << "}";
}

namespace {

// A board laid on a cell of the track, whose fills it keeps.
void lay(celle& cells, std::size_t n, cell_kind kind, std::int16_t speed) {
    cells[n].tipo_cella = byte_of(kind);
    cells[n].val1 = speed;
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

slow_order order(double from, double to, int speed) {
    slow_order o;
    o.from = from;
    o.to = to;
    o.speed = speed;
    return o;
}

TEST(LineModel, TheLastThreeCellsAreNeverCharted) {
    const struct {
        std::size_t cells, charted;
    } cases[] = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 1}, {10, 7}, {581, 578}};
    for (const auto& c : cases) {
        EXPECT_EQ(charted_cells(celle(c.cells)), c.charted) << c.cells;
        // Nothing is drawn from cells no pass wrote.
        const celle cells(c.cells);
        EXPECT_EQ(speed_to_keep(cells, {}).empty(), c.charted == 0) << c.cells;
        EXPECT_EQ(elevation_of(cells).size(), c.charted + 1) << c.cells;
    }
}

TEST(LineModel, FillsAreDecodedOnceAndRunAlongTheCells) {
    celle cells = plain_cells(6, 80);
    cells[2].vel_limite = 12;  // 60 km/h
    cells[3].pendenza = 85;    // -15 ‰
    cells[4].pendenza = 112;   // +12 ‰
    cells[1].aderenza = 7;
    cells[5].sfondo = 2;
    const struct {
        cell_fill fill;
        std::vector<fill_run> every;
    } cases[] = {
        {cell_fill::speed_limit, {{0, 1, 80}, {2, 2, 60}, {3, 5, 80}, {6, 8, 0}}},
        {cell_fill::gradient, {{0, 2, 0}, {3, 3, -15}, {4, 4, 12}, {5, 5, 0}, {6, 8, -100}}},
        {cell_fill::adhesion, {{0, 0, 0}, {1, 1, 7}, {2, 8, 0}}},
        {cell_fill::scenery, {{0, 4, 0}, {5, 5, 2}, {6, 8, 0}}},
    };
    const line_model model = read_line_model({cells});
    EXPECT_EQ(model.charted, 6u);
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.fill));
        EXPECT_EQ(fill_runs_of(cells, c.fill, cells.size()), c.every);
        EXPECT_EQ(model.runs(c.fill).every, c.every);
        // The charted runs stop before the three unwritten cells, the last one cut there.
        std::vector<fill_run> charted;
        for (const fill_run& r : c.every) {
            if (r.first < 6)
                charted.push_back({r.first, std::min<std::size_t>(r.last, 5), r.value});
        }
        EXPECT_EQ(model.runs(c.fill).charted, charted);
        EXPECT_TRUE(model.runs(c.fill).charted_records.empty()) << "no compile, no records";
    }
}

// A second slow order that starts inside the first ends the first one too: the compiler's walk
// from the first start board stops at the first end board it meets.
TEST(LineModel, SlowOrdersRunFromTheirStartBoardToTheEndBoardTheCompilerPairs) {
    celle cells = plain_cells(60, 80);
    lay(cells, 5, cell_kind::slow_order_warning, 30);
    lay(cells, 10, cell_kind::slow_order_start, 30);  // 450 m
    lay(cells, 14, cell_kind::slow_order_start, 50);  // 650 m, inside the first
    lay(cells, 20, cell_kind::slow_order_end, 50);    // 950 m ends both
    lay(cells, 24, cell_kind::slow_order_end, 30);    // 1150 m ends none
    lay(cells, 40, cell_kind::slow_order_start, 60);  // no end board: one cell
    const line_model model = read_line_model({cells});
    ASSERT_EQ(model.slow_orders.size(), 3u);
    const struct {
        double from, to;
        int speed;
    } expected[] = {{450, 950, 30}, {650, 950, 50}, {1950, 2000, 60}};
    for (std::size_t i = 0; i < model.slow_orders.size(); ++i) {
        EXPECT_EQ(model.slow_orders[i].from, expected[i].from) << i;
        EXPECT_EQ(model.slow_orders[i].to, expected[i].to) << i;
        EXPECT_EQ(model.slow_orders[i].speed, expected[i].speed) << i;
    }
    EXPECT_EQ(model.slow_order_of(20).also_ends, std::vector<std::size_t>{10});
    EXPECT_EQ(model.slow_order_of(24).start, std::nullopt);
    // The speed to keep follows the same orders.
    const speed_stretch keep[] = {{0, 450, 80, 80},
                                  {450, 950, 80, 30},
                                  {950, 1950, 80, 80},
                                  {1950, 2000, 80, 60},
                                  {2000, 3000, 80, 80}};
    EXPECT_EQ(model.speed, std::vector<speed_stretch>(std::begin(keep), std::end(keep)));
}

TEST(LineModel, TheSpeedToKeepIsTheLowerOfTheLimitAndTheSlowOrders) {
    celle cells = plain_cells(20, 80);
    for (std::size_t n = 10; n < 20; ++n) cells[n].vel_limite = 12;  // 60 km/h from 500 m
    const std::vector<slow_order> orders = {order(200, 400, 30), order(450, 700, 70)};
    const std::vector<speed_stretch> stretches = speed_to_keep(cells, orders);
    const speed_stretch expected[] = {
        {0, 200, 80, 80},   {200, 400, 80, 30},  {400, 450, 80, 80},
        {450, 500, 80, 70}, {500, 1000, 60, 60},  // a 70 km/h order over a 60 km/h limit
    };
    EXPECT_EQ(stretches, std::vector<speed_stretch>(std::begin(expected), std::end(expected)));
    // Orders reaching outside the charted cells are cut to them.
    const std::vector<slow_order> outside = {order(-50, 100, 40), order(900, 5000, 20)};
    const speed_stretch cut[] = {
        {0, 100, 80, 40}, {100, 500, 80, 80}, {500, 900, 60, 60}, {900, 1000, 60, 20}};
    EXPECT_EQ(speed_to_keep(cells, outside),
              std::vector<speed_stretch>(std::begin(cut), std::end(cut)));
}

TEST(LineModel, TheHeightAddsUpTheGradientsOfTheCells) {
    celle cells = plain_cells(4, 80);
    cells[0].pendenza = 110;  // +10 ‰ over 50 m: +0.5 m
    cells[1].pendenza = 110;
    cells[2].pendenza = 80;  // -20 ‰: -1 m
    const std::vector<std::pair<double, double>> expected = {
        {0, 0}, {50, 0.5}, {100, 1}, {150, 0}, {200, 0}};
    EXPECT_EQ(elevation_of(cells), expected);  // the three empty cells at the end are left out
    EXPECT_EQ(read_line_model({cells}).elevation, expected);
}

TEST(LineModel, CurvesComeFromTheHeadingChangeOfEachMetre) {
    geometria g(900);
    g.seed();
    g.trace(2, 100, std::nullopt);
    g.trace(101, 400, 0.002);    // to the right, 500 m radius
    g.trace(401, 600, -0.001);   // to the left, 1000 m radius
    g.trace(601, 700, -0.001);   // the same curve goes on
    g.trace(701, 800, 0.00137);  // no keyword's curvature
    const std::vector<curve> curves = curves_of(g);
    ASSERT_EQ(curves.size(), 3u);
    EXPECT_EQ(curves[0].from, 100);
    EXPECT_EQ(curves[0].to, 400);
    EXPECT_NEAR(curves[0].k, 0.002, 1e-9);
    EXPECT_EQ(curves[0].keyword_k, 0.002) << "the keyword's curvature, exactly";
    EXPECT_NEAR(curves[0].radius(), 500, 1e-3);
    EXPECT_EQ(curves[1].from, 400);
    EXPECT_EQ(curves[1].to, 700);
    EXPECT_NEAR(curves[1].k, -0.001, 1e-9);
    EXPECT_EQ(curves[1].keyword_k, -0.001);
    EXPECT_EQ(curves[2].keyword_k, std::nullopt);
    // Metres past the traced ones (801 to 900 are empty) end the last curve; a limit cuts them.
    EXPECT_EQ(curves[2].to, 800);
    const std::vector<curve> first = curves_up_to(curves, 250);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first.back().to, 250);
    EXPECT_TRUE(curves_of(geometria()).empty());

    // The same plan as its file holds it, a table of every element, gives the same curves.
    geometria table(g.last_metre());
    for (std::int32_t m = 0; m <= g.last_metre(); ++m) {
        for (int coord = 0; coord < 2; ++coord) {
            if (g.kind(m, coord) != geometria::tag::empty)
                table.set_real(m, coord, g.value(m, coord));
        }
    }
    const std::vector<curve> read_back = curves_of(table);
    ASSERT_EQ(read_back.size(), curves.size());
    for (std::size_t i = 0; i < curves.size(); ++i) {
        EXPECT_EQ(read_back[i].from, curves[i].from) << i;
        EXPECT_EQ(read_back[i].to, curves[i].to) << i;
        EXPECT_EQ(read_back[i].k, curves[i].k) << i;
    }
}

TEST(LineModel, StationsKeepTheirEntryAndTheCellOfTheirStop) {
    celle cells = plain_cells(40, 80);
    cells[21].tipo_cella = byte_of(cell_kind::station_stop);
    cells[21].val1 = 2;
    testata header{};
    header[k_entry_treno].v_b = 1500;
    header[1].v_nome = "Alfa";
    header[1].v_c = 500;
    header[2].v_nome = "Beta";
    header[2].v_c = 1000;
    header[2].v_a = 900;
    header[2].v_b = 1100;
    header[80].v_nome = "(GALLERIA)";  // a sign's text, not a station
    const line_model model = read_line_model({cells, &header});
    ASSERT_EQ(model.stations.size(), 2u);
    EXPECT_EQ(model.stations[0].entry, 1);
    EXPECT_EQ(model.stations[0].stop, std::nullopt);
    EXPECT_EQ(model.stations[1].entry, 2);
    EXPECT_EQ(model.stations[1].header_entry->v_a, 900);
    EXPECT_EQ(model.stations[1].stop, 21u);
    EXPECT_EQ(model.route_length, 1500);
    EXPECT_EQ(model.route.length, 1500);
    EXPECT_TRUE(model.route.from_header);
    ASSERT_EQ(model.features.size(), 1u);
    EXPECT_EQ(model.features[0].metres, 1100) << "a stop stands at its platform's end";
    // Without a header the route is what the cells were made for, and no longer than them.
    const line_model alone = read_line_model({cells});
    EXPECT_EQ(alone.route_length, alone.cells_end);
    EXPECT_FALSE(alone.route.from_header);
    EXPECT_TRUE(alone.stations.empty());
}

TEST(LineModel, EntryTextsAreTrimmedAndSignLinesJoined) {
    testata header{};
    header[3].v_nome = to_windows1252("Metrò  ");
    header[80].v_nome = "(INIZIO TRATTA)(SOTTERRANEA  )";
    EXPECT_EQ(entry_text(header, 3), "Metrò");
    EXPECT_EQ(entry_text(header, 80), "INIZIO TRATTA / SOTTERRANEA");
    EXPECT_EQ(entry_text(header, 0), "");
    EXPECT_EQ(entry_text(header, 87), "");
}

text_position at_line(description_text text, std::int32_t line) { return {text, {line, 1}}; }

// The records of a compile are tied to what they left: a cell by the record that placed it, a
// run by the last record of its kind laid at or before it with its value, a station by its
// entry and position, a curve by the record whose stretch holds its start.
TEST(LineModel, EachThingCarriesTheRecordThatMadeIt) {
    celle cells = plain_cells(40, 80);
    for (std::size_t n = 20; n < 40; ++n) cells[n].pendenza = 110;
    lay(cells, 30, cell_kind::slow_order_start, 30);
    lay(cells, 35, cell_kind::slow_order_end, 30);
    testata header{};
    header[1].v_nome = "Alfa";
    header[1].v_c = 500;
    geometria plan(2000);
    plan.seed();
    plan.trace(2, 1000, std::nullopt);
    plan.trace(1001, 1200, 0.001);
    plan.trace(1201, 1998, std::nullopt);

    compile_diagnostics diagnostics;
    const auto record = [&](description_text text, std::int32_t line, record_kind kind,
                            std::vector<std::int32_t> values) {
        diagnostics.records.push_back({at_line(text, line), kind, std::move(values)});
    };
    record(description_text::line, 2, record_kind::gradient, {0, 0});
    record(description_text::line, 3, record_kind::gradient, {1000, 10});
    record(description_text::line, 4, record_kind::curve, {1000, 200});
    record(description_text::train, 2, record_kind::speed, {0, 80});
    record(description_text::train, 3, record_kind::station, {500, 27, 200});
    record(description_text::train, 4, record_kind::slow_order, {1500, 30, 250});
    diagnostics.note_placed(30, at_line(description_text::train, 4));
    diagnostics.note_placed(35, at_line(description_text::train, 4));

    const line_model model = read_line_model({cells, &header, &plan, &diagnostics});
    const fill_runs& gradients = model.runs(cell_fill::gradient);
    ASSERT_EQ(gradients.charted.size(), 2u);
    EXPECT_EQ(gradients.charted_records,
              (std::vector<record_place>{at_line(description_text::line, 2),
                                         at_line(description_text::line, 3)}));
    EXPECT_EQ(model.runs(cell_fill::speed_limit).charted_records,
              std::vector<record_place>{at_line(description_text::train, 2)});
    EXPECT_EQ(model.runs(cell_fill::adhesion).charted_records,
              std::vector<record_place>{std::nullopt})
        << "no record sets the adhesion";
    ASSERT_EQ(model.stations.size(), 1u);
    EXPECT_EQ(model.stations[0].record, at_line(description_text::train, 3));
    ASSERT_EQ(model.slow_orders.size(), 1u);
    EXPECT_EQ(model.slow_orders[0].record, at_line(description_text::train, 4));
    ASSERT_EQ(model.curves.size(), 1u);
    EXPECT_EQ(model.curves[0].record, at_line(description_text::line, 4));
    for (const feature& f : model.features) {
        EXPECT_EQ(f.record, at_line(description_text::train, 4)) << f.cell;
        ASSERT_NE(f.numbers, nullptr) << f.cell;
        EXPECT_EQ(f.numbers->values[1], 30) << f.cell;
    }
    // A station record at another position is not the entry's.
    const compile_records records(diagnostics);
    EXPECT_EQ(records.station(1, 600), nullptr);
    EXPECT_EQ(records.station(2, 500), nullptr);
}

}  // namespace
}  // namespace scenario::tool
