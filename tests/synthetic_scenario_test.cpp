// Tests of the benchmarks' synthetic scenario generator: its texts must compile without any
// fault and hold exactly the features asked for, laid out as the generator documents, so that
// the benchmarks time a real compile of the largest scenario rather than an early stop.
#include "testkit/synthetic_scenario.h"

#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <string>

#include "compile/description_source.h"
#include "run/run_sequence.h"

namespace scenario {
namespace {

struct compiled {
    run_state state;
    compile_outcome outcome;
    bool line_text_left = true;
    bool train_text_left = true;
};

compiled compile(const synthetic_texts& texts) {
    compiled result;
    result.state.nome_linea = std::string(k_nome_linea);
    result.state.codice_treno = std::string(k_codice_treno);
    memory_descriptions source(texts.line, texts.train);
    result.outcome = compila_scenario(result.state, 1, source);
    result.line_text_left = source.exists(description_text::line);
    result.train_text_left = source.exists(description_text::train);
    return result;
}

std::array<int, 256> kind_counts(const celle& cells) {
    std::array<int, 256> counts{};
    for (const cella& c : cells) ++counts[c.tipo_cella];
    return counts;
}

TEST(SyntheticScenario, ScaledSizes) {
    const synthetic_size full = scaled_size(1);
    EXPECT_EQ(full.route_length, 1'000'000);
    EXPECT_EQ(full.stations, 76);
    EXPECT_EQ(full.signs, 2);
    EXPECT_EQ(full.slow_orders, 300);

    const synthetic_size quarter = scaled_size(4);
    EXPECT_EQ(quarter.route_length, 250'000);
    EXPECT_EQ(quarter.mountains, 20);
    EXPECT_EQ(quarter.boards, 500);
    EXPECT_EQ(quarter.stations, 19);
    EXPECT_EQ(quarter.signals, 500);
    EXPECT_EQ(quarter.slow_orders, 75);

    // A tiny route still gets one station, and no more signs than stations.
    const synthetic_size tiny = scaled_size(200);
    EXPECT_EQ(tiny.route_length, 5000);
    EXPECT_EQ(tiny.stations, 1);
    EXPECT_EQ(tiny.signs, 1);
}

TEST(SyntheticScenario, ImpossibleSizesAreRefused) {
    const auto with = [](auto change) {
        synthetic_size s = scaled_size(50);
        change(s);
        return s;
    };
    const synthetic_size cases[] = {
        with([](synthetic_size& s) { s.route_length = 1'001'000; }),
        with([](synthetic_size& s) { s.route_length = 20'500; }),
        with([](synthetic_size& s) { s.mountains = 81; }),
        // 77 stations and 2 signs: the 77th station would reach the sign entries.
        with([](synthetic_size& s) { s.stations = 77; }),
        with([](synthetic_size& s) { s.signs = s.stations + 1; }),
        with([](synthetic_size& s) { s.signals = 6 * s.slow_orders; }),
        with([](synthetic_size& s) {
            s.slow_orders = 60;
            s.signals = s.boards = 400;
        }),
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_THROW(make_synthetic_scenario(cases[i]), std::invalid_argument) << "case " << i;
    }
}

// Compiles the scenario at a few sizes and counts what landed on the cells.
TEST(SyntheticScenario, CompilesWithoutFaultAndHoldsWhatWasAsked) {
    for (const std::int32_t divisor : {100, 40, 20}) {
        SCOPED_TRACE("route divided by " + std::to_string(divisor));
        const synthetic_size size = scaled_size(divisor);
        const synthetic_texts texts = make_synthetic_scenario(size);
        const compiled c = compile(texts);
        const run_state& s = c.state;

        ASSERT_EQ(s.codice_errore, 0) << "at " << s.posizione_errore;
        EXPECT_EQ(c.outcome.identity_fault, 0);
        EXPECT_TRUE(c.outcome.writes_files());
        EXPECT_FALSE(c.line_text_left);
        EXPECT_FALSE(c.train_text_left);

        EXPECT_EQ(s.n_celle, (size.route_length + 7000) / 50);
        EXPECT_EQ(s.testata[k_entry_treno].v_b, size.route_length);

        const auto counts = kind_counts(s.celle);
        EXPECT_EQ(counts[1], size.signals);
        EXPECT_EQ(counts[6], size.boards);
        EXPECT_EQ(counts[14], size.signs);
        EXPECT_EQ(counts[2], size.slow_orders);
        EXPECT_EQ(counts[3], size.slow_orders);
        EXPECT_EQ(counts[4], size.slow_orders);
        EXPECT_EQ(counts[5], 4 * size.slow_orders);
        EXPECT_EQ(counts[10], texts.layout.stopping_stations);
        EXPECT_GT(texts.layout.stopping_stations, 0);
        // At least three triples, one inner mark and one mark past the end per slow order.
        EXPECT_GE(counts[12], 5 * size.slow_orders);

        for (std::int32_t k = 1; k <= size.stations; ++k) {
            EXPECT_EQ(s.testata[k].v_nome, "Fermata " + std::to_string(k));
        }
        EXPECT_TRUE(s.testata[size.stations + 1].v_nome.empty());
        for (std::int32_t k = 0; k < size.signs; ++k) {
            EXPECT_EQ(s.testata[k_first_sign_entry - k].v_nome.substr(0, 14), "(INIZIO TRATTA");
        }
    }
}

// Around every start board s: warning board 24 cells before it with four approach cells behind
// that, the end board 10 cells after it, and the spacing pass's marks ahead (one per triple),
// inside (s + 8) and before the first signal past the end (s + 14, so s + 13).
TEST(SyntheticScenario, SlowOrdersGetEveryKindOfSpacingMark) {
    const synthetic_texts texts = make_synthetic_scenario(scaled_size(40));
    const compiled c = compile(texts);
    ASSERT_EQ(c.state.codice_errore, 0);
    const celle& cells = c.state.celle;
    auto kind = [&](std::size_t n) { return cells[n].tipo_cella; };
    auto one_marked = [&](std::size_t a, std::size_t b, std::size_t d) {
        return (kind(a) == 12) + (kind(b) == 12) + (kind(d) == 12) == 1;
    };
    int starts = 0;
    for (std::size_t s = 0; s < cells.size(); ++s) {
        if (kind(s) != 3) continue;
        ++starts;
        SCOPED_TRACE("start board on cell " + std::to_string(s));
        ASSERT_GE(s, 28u);
        EXPECT_EQ(kind(s - 24), 4);
        for (std::size_t n = s - 28; n <= s - 25; ++n) EXPECT_EQ(kind(n), 5);
        EXPECT_EQ(kind(s + 10), 2);
        EXPECT_TRUE(one_marked(s - 5, s - 6, s - 7));
        EXPECT_TRUE(one_marked(s - 11, s - 12, s - 13));
        EXPECT_TRUE(one_marked(s - 18, s - 19, s - 20));
        EXPECT_EQ(kind(s + 8), 12);
        EXPECT_EQ(cells[s + 8].val1, 180);
        EXPECT_EQ(kind(s + 14), 1);
        EXPECT_EQ(kind(s + 13), 12);
    }
    EXPECT_EQ(starts, scaled_size(40).slow_orders);
}

// Curves run along the whole route: every traced point holds a double, and the route does not
// end where a straight line from the origin would.
TEST(SyntheticScenario, CurvesAlongTheWholeRoute) {
    const synthetic_size size = scaled_size(100);
    const synthetic_texts texts = make_synthetic_scenario(size);
    EXPECT_EQ(texts.layout.curve_records, size.route_length / 1000);
    EXPECT_EQ(texts.layout.gradient_records, size.route_length / 1000);
    EXPECT_GT(texts.layout.last_curved_metre, size.route_length - 1000);

    const compiled c = compile(texts);
    ASSERT_EQ(c.state.codice_errore, 0);
    const geometria& g = c.state.geometria;
    const std::int32_t last = c.state.lunghezza_dim;
    for (std::int32_t m = 2; m <= last - 2; ++m) {
        ASSERT_EQ(g.kind(m, 0), geometria::tag::real) << "metre " << m;
    }
    EXPECT_EQ(g.kind(last, 0), geometria::tag::empty);
    EXPECT_NE(g.value(last - 2, 0), 0.0);
}

}  // namespace
}  // namespace scenario
