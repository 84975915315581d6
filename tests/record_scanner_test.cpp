// Tests of the record loop both passes share: which keyword items are examined, which rows run,
// and the warnings for the records the format passes over, under the two forms of the "-" rule.
#include "compile/record_scanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/wording.h"

namespace scenario {
namespace {

// The third row stands for a record whose keyword holds two words also found in others'.
constexpr keyword_row k_rows[] = {
    {"pendenza", "", keyword_case::any, record_kind::gradient},
    {"sfondo", "uno", keyword_case::exact, record_kind::sfondo_uno},
    {"pendenza", "uno", keyword_case::exact, record_kind::progressive_uno},
};

struct scan {
    std::vector<std::string> ran;  // "keyword:record name" for every record run
    std::vector<std::string> warnings;
};

scan scan_all(const std::string& text, dash_rule dashes) {
    item_reader reader(text);
    std::string voce_letta;
    compile_diagnostics diagnostics;
    record_scanner scanner(reader, voce_letta, description_text::train, &diagnostics);
    scan out;
    while (scanner.next_record(k_rows, dashes)) {
        scanner.run_records(k_rows, [&](record_kind which) {
            out.ran.push_back(scanner.keyword() + ":" + std::string(record_name(which)));
            return record_outcome::go_on;
        });
    }
    for (const compile_warning& w : diagnostics.warnings) {
        EXPECT_TRUE(well_formed(w)) << tool::warning_words(w);
        out.warnings.push_back(std::to_string(w.at.where.line) + ": " + tool::warning_words(w));
    }
    return out;
}

TEST(RecordScanner, RecordsRunWarningsAndTheDashRule) {
    struct row {
        const char* text;
        dash_rule dashes;
        std::vector<std::string> ran;
        std::vector<std::string> warnings;
    };
    const dash_rule two{2, true};
    const dash_rule ten_without_end{10, false};
    const row rows[] = {
        {"Pendenza\r\nx\r\n[fine]\r\n",
         two,
         {"Pendenza:pendenza"},
         {"2: voce non riconosciuta, ignorata: \"x\""}},
        // Every row the item passes runs, in table order; case matters for the exact rows.
        {"pendenza uno\r\nSfondo uno\r\n[fine]\r\n",
         two,
         {"pendenza uno:pendenza", "pendenza uno:progressiva chilometrica uno"},
         {"2: voce non riconosciuta, ignorata: \"Sfondo uno\"; forse \"sfondo uno\"?"}},
        // Numbers, section headers and empty items are no keywords and draw no warning.
        {"12\r\n[curve]\r\n,\r\nsfondo uno\r\n[fine]\r\n", two, {"sfondo uno:sfondo uno"}, {}},
        // "-" hands the record to the next item; a hidden keyword is worth a warning.
        {"-pendenza\r\nsfondo uno\r\n[fine]\r\n",
         two,
         {"sfondo uno:sfondo uno"},
         {"1: record nascosto dal trattino: \"-pendenza\""}},
        {"a-b\r\nc-d\r\ne-f\r\n[fine]\r\n",
         two,
         {},
         {"3: voce non riconosciuta, ignorata: \"e-f\""}},
        // The last item is never examined, not even when the "-" rule brought it in.
        {"pendenza\r\n", two, {}, {"1: ultima voce del testo, mai letta: \"pendenza\""}},
        {"x-\r\npendenza\r\n", two, {}, {"2: ultima voce del testo, mai letta: \"pendenza\""}},
        // Without the end test a replacement that is the last item is examined all the same.
        {"x-\r\npendenza\r\n", ten_without_end, {"pendenza:pendenza"}, {}},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.text);
        const scan s = scan_all(r.text, r.dashes);
        EXPECT_EQ(s.ran, r.ran);
        EXPECT_EQ(s.warnings, r.warnings);
    }
}

TEST(RecordScanner, AStopEndsTheRecordsOfAnItem) {
    const std::string text = "pendenza uno\r\n[fine]\r\n";
    item_reader reader(text);
    std::string voce_letta;
    record_scanner scanner(reader, voce_letta, description_text::line, nullptr);
    ASSERT_TRUE(scanner.next_record(k_rows, {2, true}));
    std::vector<record_kind> ran;
    const record_outcome result = scanner.run_records(k_rows, [&](record_kind which) {
        ran.push_back(which);
        return record_outcome::hard_stop;
    });
    EXPECT_EQ(result, record_outcome::hard_stop);
    EXPECT_EQ(ran, std::vector<record_kind>{record_kind::gradient});
}

TEST(RecordScanner, AFaultCarriesTheRecordsValuesAndWhereTheyStand) {
    const std::string text = "[x]\r\n  pendenza, 100,  -25\r\n[fine]\r\n";
    item_reader reader(text);
    std::string voce_letta;
    compile_diagnostics diagnostics;
    record_scanner scanner(reader, voce_letta, description_text::line, &diagnostics);
    ASSERT_TRUE(scanner.next_record(k_rows, {2, true}));
    ASSERT_TRUE(scanner.next_record(k_rows, {2, true}));
    EXPECT_EQ(scanner.read_long(), 100);
    EXPECT_EQ(scanner.read_long(), -25);
    const found_fault fault = scanner.fault(fault_code::beyond_cells);
    EXPECT_EQ(fault.code, fault_code::beyond_cells);
    EXPECT_EQ(fault.text, description_text::line);
    EXPECT_EQ(fault.where, (source_location{2, 3}));
    EXPECT_EQ(fault.values, (std::vector<std::int32_t>{100, -25}));
    EXPECT_EQ(scanner.value_at(0), (source_location{2, 13}));
    EXPECT_EQ(scanner.value_at(1), (source_location{2, 19}));
    EXPECT_EQ(scanner.value_at(2), std::nullopt);
}

}  // namespace
}  // namespace scenario
