// Tests of the plan geometry's two forms: a geometry built in order from its seed keeps only its
// runs and traces its points when they are read; any other change turns it into the table of
// every element. Both forms hold the same elements, read one by one, in blocks of any size or
// as the file image, as a table traced point by point does.
#include "base/geometria.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <optional>
#include <vector>

#include "output/binary_files.h"

namespace scenario {
namespace {

struct traced_run {
    std::int32_t last;
    std::optional<double> k;
};

struct form_case {
    const char* name;
    std::int32_t last_metre;
    bool seeded;
    std::vector<traced_run> runs;  // in order from metre 2
};

const form_case k_forms[] = {
    {"never seeded", 9, false, {}},
    {"seed only", 9, true, {}},
    {"one straight run", 50, true, {{40, std::nullopt}}},
    {"curves both ways to the last metre",
     3000,
     true,
     {{100, std::nullopt}, {700, 0.003}, {701, -0.0001}, {2999, std::nullopt}, {3000, 0.002}}},
    {"runs of one metre", 12, true, {{2, 0.001}, {3, 0.001}, {4, std::nullopt}, {5, -0.003}}},
    {"runs across the reader's blocks",
     5000,
     true,
     {{255, 0.001}, {256, std::nullopt}, {1023, -0.002}, {1024, 0.0004}, {4000, std::nullopt}}},
};

// The geometry as the line pass builds it: the traced form.
geometria traced(const form_case& c) {
    geometria g(c.last_metre);
    if (c.seeded) g.seed();
    std::int32_t first = 2;
    for (const traced_run& r : c.runs) {
        g.trace(first, r.last, r.k);
        first = r.last + 1;
    }
    return g;
}

// The same elements through the table: the seed set element by element, then every point
// traced on its own.
geometria tabled(const form_case& c) {
    geometria g(c.last_metre);
    if (!c.seeded) return g;
    for (int coord = 0; coord < 2; ++coord) {
        for (std::int32_t metre = 0; metre < 2; ++metre) {
            g.set_integer(metre, coord, k_seed[coord][metre]);
        }
    }
    std::int32_t first = 2;
    for (const traced_run& r : c.runs) {
        for (std::int32_t m = first; m <= r.last; ++m) g.trace(m, m, r.k);
        first = r.last + 1;
    }
    return g;
}

std::uint64_t bits(double v) { return std::bit_cast<std::uint64_t>(v); }

// Every element of a by its index, the bits of its value included (a -0 is not a 0).
void expect_same_elements(const geometria& a, const geometria& b, const char* name) {
    ASSERT_EQ(a.size(), b.size()) << name;
    for (std::size_t i = 0; i < a.size(); ++i) {
        ASSERT_EQ(a.kind_at(i), b.kind_at(i)) << name << ", element " << i;
        ASSERT_EQ(bits(a.value_at(i)), bits(b.value_at(i))) << name << ", element " << i;
    }
}

TEST(Geometria, TracedFormHoldsTheElementsOfTheTable) {
    for (const form_case& c : k_forms) {
        const geometria table = tabled(c);
        const geometria g = traced(c);
        // The image first: reading a traced value builds the table.
        EXPECT_EQ(serialise_geometria(g), serialise_geometria(table)) << c.name;
        for (std::int32_t m = 0; m <= c.last_metre; ++m) {
            for (int coord = 0; coord < 2; ++coord) {
                ASSERT_EQ(g.kind(m, coord), table.kind(m, coord)) << c.name << ", metre " << m;
            }
        }
        expect_same_elements(g, table, c.name);
        // Once built, the table answers the same.
        EXPECT_EQ(serialise_geometria(g), serialise_geometria(table)) << c.name;
    }
}

// Each block the reader gives holds elements of one kind.
TEST(Geometria, ReaderGivesEveryElementInFileOrderWhateverTheBlock) {
    for (const std::size_t block : {std::size_t{1}, std::size_t{7}, std::size_t{256},
                                    std::size_t{1000}, std::size_t{20000}}) {
        for (const form_case& c : k_forms) {
            const geometria table = tabled(c);
            for (const geometria& g : {traced(c), table}) {
                geometria::reader elements(g);
                std::vector<double> values(block);
                geometria::tag kind = geometria::tag::empty;
                std::size_t next = 0;
                for (std::size_t n; (n = elements.read(kind, values)) != 0; next += n) {
                    ASSERT_LE(next + n, table.size()) << c.name;
                    for (std::size_t i = 0; i < n; ++i) {
                        ASSERT_EQ(kind, table.kind_at(next + i)) << c.name << ", " << next + i;
                        ASSERT_EQ(bits(values[i]), bits(table.value_at(next + i)))
                            << c.name << ", block " << block << ", element " << next + i;
                    }
                }
                EXPECT_EQ(next, table.size()) << c.name << ", block " << block;
            }
        }
    }
}

// A change out of order turns the runs into the table; the points traced after it follow from
// the element that was set, as they always did.
TEST(Geometria, ChangeOutOfOrderKeepsEveryElement) {
    struct row {
        const char* name;
        void (*change)(geometria&);
    };
    const row rows[] = {
        {"an element set among the traced points", [](geometria& g) { g.set_real(30, 0, 2.5); }},
        {"the seed set again", [](geometria& g) { g.seed(); }},
        {"a point traced again", [](geometria& g) { g.trace(20, 25, 0.002); }},
        {"a gap before the next run", [](geometria& g) { g.trace(45, 46, std::nullopt); }},
        {"an integer past the trace", [](geometria& g) { g.set_integer(60, 1, -7); }},
    };
    for (const row& r : rows) {
        geometria g(80);
        geometria table(80);
        for (geometria* plan : {&g, &table}) {
            if (plan == &table) table.set_integer(0, 0, 0);  // the table from the start
            plan->seed();
            plan->trace(2, 40, 0.001);
            r.change(*plan);
            plan->trace(41, 70, -0.003);
        }
        expect_same_elements(g, table, r.name);
        EXPECT_EQ(serialise_geometria(g), serialise_geometria(table)) << r.name;
    }
}

}  // namespace
}  // namespace scenario
