// Tests of the table of record kinds: each kind's name, written as the keyword of a record in
// its text, runs that record and no other, so the name the tool shows is one that works.
#include "base/record_kinds.h"

#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "compile/compiler.h"
#include "line_text.h"

namespace scenario {

// Kinds by name in the test's messages.
static void PrintTo(record_kind kind, std::ostream* out) { *out << record_name(kind); }

namespace {

// The values each record takes, after its keyword.
std::string values_of(record_kind kind) {
    switch (kind) {
        case record_kind::route_length:
            return "5000";
        case record_kind::progressive_tre:
        case record_kind::progressive_due:
        case record_kind::progressive_uno:
            return "0, 0, 0";
        case record_kind::repetition:
            return "100, 200";
        case record_kind::gradient:
        case record_kind::curve:
            return "1000, 5";
        case record_kind::mountain:
            return "2000, 2100, 1";
        case record_kind::speed_board:
            return "2500, 60, 60, 60, 1, 60, 60, 60, 1";
        case record_kind::sign:
            return "4000, Uscita";
        case record_kind::speed:
        case record_kind::adhesion:
            return "0, 80";
        case record_kind::clock:
            return "6, 0, 0";
        case record_kind::signal:
            return "1750, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0";
        case record_kind::slow_order:
            return "4200, 60, 500, 0, 0, 0";
        case record_kind::abatement:
            return "4500, 100";
        case record_kind::station:
            return "1000, 27, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6, 30, 0, Prova";
        default:
            return "4";
    }
}

TEST(RecordKinds, EachNameRunsItsOwnRecord) {
    // The kinds of each text in the order of the table, the line text's "[generale]" first.
    std::string line = "[generale]\r\n";
    std::string train = "[generale]\r\n";
    std::vector<record_kind> written;
    for (const record_kind_descriptor& row : record_kinds()) {
        std::string& text = row.kind < record_kind::braked_mass ? line : train;
        if (row.kind == record_kind::gradient) text += "[curve]\r\n";
        // The repetition's keyword also says which digit repeats.
        const std::string digit = row.kind == record_kind::repetition ? " 4" : "";
        text += std::string(row.name) + digit + ", " + values_of(row.kind) + "\r\n";
        written.push_back(row.kind);
    }
    line += "[fine]\r\n";
    train += "[fine]\r\n";
    // Without the plan a curve record reads no value and cannot fail.
    run_state state = testing::named_state(0);
    memory_descriptions texts(line, train);
    compile_diagnostics diagnostics;
    memorizza_dati(state, texts, &diagnostics);
    EXPECT_EQ(state.codice_errore, 0);
    std::vector<record_kind> ran;
    for (const compiled_record& r : diagnostics.records) ran.push_back(r.kind);
    EXPECT_EQ(ran, written);
}

TEST(RecordKinds, NamesAreDistinctAndRowsInEnumeratorOrder) {
    std::set<std::string_view> names;
    for (std::size_t i = 0; i < record_kinds().size(); ++i) {
        const record_kind_descriptor& row = record_kinds()[i];
        EXPECT_EQ(static_cast<std::size_t>(row.kind), i);
        EXPECT_EQ(&describe(row.kind), &row);
        EXPECT_TRUE(names.insert(row.name).second) << row.name;
    }
    EXPECT_EQ(record_name(record_kind::signal), "segnale");
    EXPECT_TRUE(is_progressive(record_kind::progressive_due));
    EXPECT_FALSE(is_progressive(record_kind::repetition));
}

}  // namespace
}  // namespace scenario
