// What a compile hands over with the code it records: the record at fault and where its keyword
// and its faulty value stand, its values, the cell it wanted, what stood there and which record
// put it there, the bound it passed. Each row compiles two small texts with diagnostics and
// compares every field: what is not expected must be absent.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "compile/compiler.h"
#include "compile/description_source.h"
#include "scenario_texts.h"

namespace scenario {
namespace {

using enum description_text;

using testing::k_line_ok;
using testing::k_slow_order;
using testing::line_with;
using testing::signal_at;
using testing::train_with;
// A station of kind 27 with that platform.
std::string station_at(int p, int platform) { return testing::station_at(p, 27, platform); }
std::string k_train_ok() { return testing::k_train_ok; }
const std::string k_board = "indicatori_vmax, 400, 80, 80, 80, 0, , , , 0\r\n";

// The expected fault, built field by field.
struct expect {
    found_fault f;
    std::optional<std::uint8_t> occupant_kind;
    std::size_t values = 0;

    explicit expect(fault_code code) { f.code = code; }
    expect& in(description_text text, std::int32_t line = 0, std::int32_t column = 0) {
        f.text = text;
        if (line > 0) f.where = source_location{line, column};
        return *this;
    }
    expect& value(std::int32_t line, std::int32_t column) {
        f.value_at = source_location{line, column};
        return *this;
    }
    expect& read(std::size_t count) {
        values = count;
        return *this;
    }
    expect& position(std::int32_t p) {
        f.position = p;
        return *this;
    }
    expect& cell(std::int64_t c) {
        f.cell = c;
        return *this;
    }
    expect& taken(std::int64_t c, std::uint8_t kind, std::optional<text_position> by,
                  std::int32_t metres) {
        f.cell = f.first_cell = f.last_cell = c;
        occupant_kind = kind;
        f.occupant_record = by;
        f.feature_metres = metres;
        return *this;
    }
    expect& cells(std::int64_t first, std::int64_t last) {
        f.first_cell = first;
        f.last_cell = last;
        return *this;
    }
    expect& limit(std::int32_t l) {
        f.limit = l;
        return *this;
    }
    expect& entries(std::vector<std::int32_t> e) {
        f.entries = std::move(e);
        return *this;
    }
    expect& earlier(text_position at) {
        f.earlier_record = at;
        return *this;
    }
};

text_position at(description_text text, std::int32_t line) { return {text, {line, 1}}; }

void compare(const found_fault& got, const expect& e) {
    const found_fault& f = e.f;
    EXPECT_EQ(got.code, f.code);
    EXPECT_EQ(got.text, f.text);
    EXPECT_EQ(got.where, f.where);
    EXPECT_EQ(got.value_at, f.value_at);
    EXPECT_EQ(got.values.size(), e.values);
    EXPECT_EQ(got.position, f.position);
    EXPECT_EQ(got.cell, f.cell);
    EXPECT_EQ(got.first_cell, f.first_cell);
    EXPECT_EQ(got.last_cell, f.last_cell);
    EXPECT_EQ(got.feature_metres, f.feature_metres);
    EXPECT_EQ(got.occupant.has_value(), e.occupant_kind.has_value());
    if (got.occupant && e.occupant_kind) {
        EXPECT_EQ(got.occupant->tipo_cella, *e.occupant_kind);
    }
    EXPECT_EQ(got.occupant_record, f.occupant_record);
    EXPECT_EQ(got.limit, f.limit);
    EXPECT_EQ(got.entries, f.entries);
    EXPECT_EQ(got.earlier_record, f.earlier_record);
}

struct row {
    const char* what;
    std::optional<std::string> line;
    std::string train;
    expect fault;
};

std::vector<row> rows() {
    using enum fault_code;
    return {
        {"no line text", std::nullopt, k_train_ok(), expect(no_line_text).in(line)},
        {"route too long", "[generale]\r\nlunghezza percorso, 1000001\r\n[fine]\r\n", k_train_ok(),
         expect(route_too_long).in(line, 2, 1).value(2, 21).read(1).limit(1000000)},
        {"repetition b",
         "[generale]\r\nlunghezza percorso, 5000\r\nripetizione segnali 4, 50, 25\r\n[fine]\r\n",
         k_train_ok(), expect(repetition_second).in(line, 3, 1).value(3, 28).read(2)},
        {"sign on board", line_with(k_board + "cartello_indicatore, 400, (TESTO)\r\n"),
         k_train_ok(),
         expect(sign_cell_taken)
             .in(line, 5, 1)
             .value(5, 22)
             .read(1)
             .position(400)
             .taken(9, 6, at(line, 4), 400)},
        {"line position", line_with("pendenza, 20000, 0\r\n"), k_train_ok(),
         expect(beyond_cells).in(line, 4, 1).value(4, 11).read(2).position(20000).limit(11900)},
        {"signal below cell 0", k_line_ok, train_with(signal_at(-100)),
         expect(beyond_cells).in(train, 2, 1).value(2, 10).read(11).position(-100).cell(-1)},
        {"signal on signal", k_line_ok, train_with(signal_at(1000) + signal_at(1000)),
         expect(signal_cell_taken)
             .in(train, 3, 1)
             .value(3, 10)
             .read(11)
             .position(1000)
             .taken(21, 1, at(train, 2), 1000)},
        {"abbattimento", k_line_ok,
         train_with("abbattimento, 1000, 0\r\nabbattimento, 1000, 0\r\n"),
         expect(value_mark_cell_taken)
             .in(train, 3, 1)
             .value(3, 15)
             .read(2)
             .position(1000)
             .taken(20, 13, at(train, 2), 1000)},
        {"warning board", k_line_ok, train_with(signal_at(1800) + k_slow_order),
         expect(warning_board_taken)
             .in(train, 3, 1)
             .value(3, 16)
             .read(6)
             .position(3000)
             .taken(37, 1, at(train, 2), 1800)},
        {"end board", k_line_ok, train_with(signal_at(3500) + k_slow_order),
         expect(end_board_taken)
             .in(train, 3, 1)
             .value(3, 16)
             .read(6)
             .position(3000)
             .taken(71, 1, at(train, 2), 3500)},
        {"approach cells", k_line_ok,
         train_with(signal_at(1700) + "rallentamento, 3000, 30, 500, 1, 1, 0\r\n"),
         expect(approach_cell_taken)
             .in(train, 3, 1)
             .value(3, 16)
             .read(6)
             .position(3000)
             .taken(35, 1, at(train, 2), 1800)
             .cells(33, 36)},
        {"platform length", k_line_ok, train_with(station_at(1000, 250)),
         expect(platform_length).in(train, 2, 1).value(2, 21).read(3).position(1000)},
        {"stations too close", k_line_ok, train_with(station_at(1000, 200) + station_at(1400, 200)),
         expect(stations_too_close)
             .in(train, 3, 1)
             .read(16)
             .position(1400)
             .limit(350)
             .entries({1, 2})
             .earlier(at(train, 2))},
        {"progressive",
         "[generale]\r\nlunghezza percorso, 5000\r\nprogressiva uno, 25, 0, 0\r\n[fine]\r\n",
         k_train_ok(), expect(progressive_not_whole).in(line).entries({81})},
        {"spacing before signal", k_line_ok,
         train_with(signal_at(1750) + signal_at(1700) + signal_at(1650) + k_slow_order),
         expect(no_cell_before_signal).position(1800).cell(36)},
    };
}

TEST(FoundFault, EachCodeComesWithWhatWasFound) {
    for (const row& r : rows()) {
        SCOPED_TRACE(r.what);
        run_state state;
        state.nome_linea = "L";
        state.codice_treno = "T";
        memory_descriptions texts(r.line, r.train);
        compile_diagnostics diagnostics;
        compila_scenario(state, 0, texts, &diagnostics);
        EXPECT_EQ(state.codice_errore, value_of(r.fault.f.code));
        ASSERT_TRUE(diagnostics.fault.has_value());
        compare(*diagnostics.fault, r.fault);
        EXPECT_FALSE(diagnostics.identity_fault.has_value());
    }
}

TEST(FoundFault, RunTimeFailureKeepsWhatTheReaderFound) {
    run_state state;
    memory_descriptions texts(k_line_ok, train_with("numero vetture, sei, 0\r\n"));
    compile_diagnostics diagnostics;
    compila_scenario(state, 0, texts, &diagnostics);
    EXPECT_EQ(state.codice_errore, 25);
    ASSERT_TRUE(diagnostics.fault.has_value());
    EXPECT_EQ(diagnostics.fault->text, train);
    ASSERT_TRUE(diagnostics.fault->where.has_value());
    EXPECT_EQ(diagnostics.fault->where->line, 2);
    ASSERT_TRUE(diagnostics.fault->failure.has_value());
    EXPECT_EQ(diagnostics.fault->failure->code, failure_code::not_whole_number);
    EXPECT_EQ(diagnostics.fault->failure->arguments,
              std::vector<diagnostic_argument>{std::string("sei")});
}

TEST(FoundFault, IdentityFaultNamesTheRecordOnCellOne) {
    run_state state;
    memory_descriptions texts(k_line_ok, train_with(signal_at(0)));
    compile_diagnostics diagnostics;
    const compile_outcome outcome = compila_scenario(state, 0, texts, &diagnostics);
    EXPECT_EQ(outcome.identity_fault, 1250);
    EXPECT_FALSE(diagnostics.fault.has_value());
    ASSERT_TRUE(diagnostics.identity_fault.has_value());
    EXPECT_EQ(diagnostics.identity_fault->code, fault_code::identity_marker);
    EXPECT_EQ(diagnostics.identity_fault->cell, 1);
    ASSERT_TRUE(diagnostics.identity_fault->occupant.has_value());
    EXPECT_EQ(diagnostics.identity_fault->occupant->tipo_cella, 1);
    EXPECT_EQ(diagnostics.identity_fault->occupant_record, at(train, 2));
}

// Remembering which record placed a feature costs nothing to a compile without diagnostics, and
// a compile with them places exactly the same features.
TEST(FoundFault, PlacedByIsKeptOnlyWithDiagnostics) {
    const std::string text = train_with(signal_at(1000) + k_slow_order);
    run_state with, without;
    memory_descriptions texts_with(k_line_ok, text), texts_without(k_line_ok, text);
    compile_diagnostics diagnostics;
    compila_scenario(with, 0, texts_with, &diagnostics);
    compila_scenario(without, 0, texts_without, nullptr);
    EXPECT_EQ(with.celle, without.celle);
    EXPECT_EQ(diagnostics.placed_by(21), at(train, 2));
    for (const std::int64_t slow_order_cell : {71, 61, 37}) {
        EXPECT_EQ(diagnostics.placed_by(slow_order_cell), at(train, 3)) << slow_order_cell;
    }
    EXPECT_EQ(diagnostics.placed_by(22), std::nullopt);
    EXPECT_EQ(diagnostics.placed_by(-1), std::nullopt);
}

}  // namespace
}  // namespace scenario
