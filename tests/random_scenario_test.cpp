// Tests of the test kit's random scenarios: a seed gives the same texts every time; every seed's
// texts compile to files and end with the code the generator planted (0 for most); and across
// a few hundred seeds every kind of record, cell and fault turns up, so that a suite built on
// the corpus reaches them all.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>

#include "base/records.h"
#include "compile/description_source.h"
#include "run/run_sequence.h"
#include "testkit/synthetic_scenario.h"

namespace scenario {
namespace {

constexpr std::uint64_t k_corpus_seeds = 300;

struct compiled {
    run_state state;
    compile_outcome outcome;
};

compiled compile(const random_scenario& r) {
    compiled c;
    c.state.nome_linea = r.line_name;
    c.state.codice_treno = r.train_code;
    memory_descriptions source(r.texts.line, r.texts.train);
    c.outcome = compila_scenario(c.state, r.geometry ? 1 : 0, source);
    return c;
}

TEST(RandomScenario, OneSeedGivesOneScenario) {
    for (const std::uint64_t seed : {0ULL, 1ULL, 77ULL, 0x8000000000000005ULL}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const random_scenario a = make_random_scenario(seed);
        const random_scenario b = make_random_scenario(seed);
        EXPECT_EQ(a.texts.line, b.texts.line);
        EXPECT_EQ(a.texts.train, b.texts.train);
        EXPECT_EQ(a.line_name, b.line_name);
        EXPECT_EQ(a.train_code, b.train_code);
        EXPECT_EQ(a.geometry, b.geometry);
        EXPECT_EQ(a.expected_code, b.expected_code);
        const random_scenario next = make_random_scenario(seed + 1);
        EXPECT_NE(a.texts.train, next.texts.train);
    }
}

TEST(RandomScenario, OptionsWithoutARouteAreRefused) {
    const std::pair<std::int32_t, std::int32_t> cases[] = {
        {2950, 10000}, {3000, 1'000'050}, {20000, 10000}};
    for (const auto& [shortest, longest] : cases) {
        random_options o;
        o.min_route_length = shortest;
        o.max_route_length = longest;
        EXPECT_THROW(make_random_scenario(1, o), std::invalid_argument)
            << o.min_route_length << " to " << o.max_route_length;
    }
}

// What the corpus reached, gathered over its compiles.
struct coverage {
    std::set<int> cell_kinds, station_kinds, repetition_codes, faults;
    std::set<bool> geometry, approach_values;  // slow-order approach cells with and without val2
    bool lowered_value_mark = false;  // an "abbattimento" above 180 the spacing pass lowered
    bool kept_low_value_mark = false;
    bool value_mark_above_180 = false;
    bool signal_time_raised = false;  // a tempo of 1 to 100 written as 101
    bool signal_time_above_100 = false;
};

// The values of the "abbattimento" records by the cell each lands on.
std::map<std::size_t, long> value_marks_written(const std::string& train) {
    std::map<std::size_t, long> marks;
    for (std::size_t at = train.find("abbattimento"); at != std::string::npos;
         at = train.find("abbattimento", at + 1)) {
        std::size_t next = train.find(',', at) + 1;
        const long position = std::stol(train.substr(next));
        next = train.find(',', next) + 1;
        marks[static_cast<std::size_t>(position / 50)] = std::stol(train.substr(next));
    }
    return marks;
}

void gather(const run_state& s, const random_scenario& r, coverage& cov) {
    cov.faults.insert(static_cast<int>(r.fault));
    cov.geometry.insert(r.geometry);
    cov.repetition_codes.insert(s.testata[k_entry_codici].v_c);
    for (std::int32_t k = 1; k < 78 && !s.testata[k].v_nome.empty(); ++k)
        cov.station_kinds.insert(s.testata[k].v_tipo);
    const celle& cells = s.celle;
    const std::map<std::size_t, long> marks = value_marks_written(r.texts.train);
    for (std::size_t i = 1; i + 1 < cells.size(); ++i) {
        const cella& c = cells[i];
        cov.cell_kinds.insert(c.tipo_cella);
        if (c.tipo_cella == 5) cov.approach_values.insert(c.val2 != 0);
        if (c.tipo_cella == 1 && c.tempo_segnale == 101) cov.signal_time_raised = true;
        if (c.tipo_cella == 1 && c.tempo_segnale > 101) cov.signal_time_above_100 = true;
        if (c.tipo_cella != 12) continue;
        if (c.val1 > 180) cov.value_mark_above_180 = true;
        // Before a signal, with a board before it: the pass had only this cell to lower.
        const auto written = marks.find(i);
        if (cells[i + 1].tipo_cella == 1 && cells[i - 1].tipo_cella == 6 &&
            written != marks.end()) {
            if (c.val1 == 180 && written->second > 180) cov.lowered_value_mark = true;
            if (c.val1 == written->second && c.val1 < 180) cov.kept_low_value_mark = true;
        }
    }
}

TEST(RandomScenario, EverySeedCompilesToFilesWithThePlantedCode) {
    coverage cov;
    for (std::uint64_t seed = 1; seed <= k_corpus_seeds; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const random_scenario r = make_random_scenario(seed);
        const compiled c = compile(r);
        ASSERT_TRUE(c.outcome.writes_files());
        ASSERT_EQ(c.state.codice_errore, r.expected_code)
            << "at " << c.state.posizione_errore << " metres";
        const std::int32_t length = c.state.testata[k_entry_treno].v_b;
        EXPECT_GE(length, random_options{}.min_route_length - 50);
        EXPECT_LE(length, random_options{}.max_route_length);
        gather(c.state, r, cov);
    }
    for (const int kind : {0, 1, 2, 3, 4, 5, 6, 10, 11, 12, 13, 14})
        EXPECT_TRUE(cov.cell_kinds.contains(kind)) << "cell kind " << kind;
    for (const int kind : {3, 5, 7, 11, 12, 25, 27})
        EXPECT_TRUE(cov.station_kinds.contains(kind)) << "station kind " << kind;
    for (int fault = 0; fault < k_random_fault_kinds; ++fault)
        EXPECT_TRUE(cov.faults.contains(fault)) << "fault " << fault;
    EXPECT_EQ(cov.repetition_codes, (std::set<int>{0, 4, 9}));
    EXPECT_EQ(cov.geometry, (std::set<bool>{false, true}));
    EXPECT_EQ(cov.approach_values, (std::set<bool>{false, true}));
    EXPECT_TRUE(cov.lowered_value_mark);
    EXPECT_TRUE(cov.kept_low_value_mark);
    EXPECT_TRUE(cov.value_mark_above_180);
    EXPECT_TRUE(cov.signal_time_raised);
    EXPECT_TRUE(cov.signal_time_above_100);
}

// The records whose variety lives in the texts rather than in the cells.
TEST(RandomScenario, TheCorpusWritesEveryFormOfRecord) {
    const std::array<std::string, 18> forms = {
        "curvad1", "curvad2",         "curvad3",        "curvad4",     "curvad5",         "curvad6",
        "curvas1", "curvas2",         "curvas3",        "curvas4",     "curvas5",         "curvas6",
        "\xf2",  // in a station name or a sign
        "\x80",    "\"VIA, PIAZZA\"", "Ponte  Vecchio", "pendenza, -", "rallentamento, 1"};
    std::set<std::string> missing(forms.begin(), forms.end());
    std::set<std::string> line_names;
    bool odd_length = false;
    for (std::uint64_t seed = 1; seed <= k_corpus_seeds; ++seed) {
        const random_scenario r = make_random_scenario(seed);
        std::erase_if(missing, [&](const std::string& form) {
            return r.texts.line.find(form) != std::string::npos ||
                   r.texts.train.find(form) != std::string::npos;
        });
        line_names.insert(r.line_name + "/" + r.train_code);
        const auto at = r.texts.line.find("lunghezza percorso");
        odd_length =
            odd_length ||
            std::stoi(r.texts.line.substr(r.texts.line.find_first_of("0123456789", at))) % 50 != 0;
    }
    EXPECT_TRUE(missing.empty()) << "missing, first: " << *missing.begin();
    EXPECT_GT(line_names.size(), 10u);
    EXPECT_TRUE(odd_length);
}

}  // namespace
}  // namespace scenario
