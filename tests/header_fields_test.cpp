// The names of the header fields: each named field is the one the compiler fills from the record
// of that name, and a station entry's fields read back to the items of its record.
#include "base/header_fields.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "compile/compiler.h"
#include "compile/description_source.h"
#include "line_text.h"

namespace scenario {
namespace {

using enum voce_field;

TEST(HeaderFields, EveryFieldHasItsKeyInRecordOrder) {
    const std::string keys[] = {"v_tipo", "v_a",  "v_b",  "v_c",  "v_flag", "v_nome",
                                "v_i1",   "v_i2", "v_i3", "v_i4", "v_i5",   "v_b1",
                                "v_b2",   "v_b3", "v_b4", "v_l"};
    ASSERT_EQ(voce_fields().size(), std::size(keys));
    for (std::size_t i = 0; i < std::size(keys); ++i) {
        EXPECT_EQ(field_key(voce_fields()[i]), keys[i]);
    }
    voce v;
    v.v_tipo = 1, v.v_a = 2, v.v_b = 3, v.v_c = 4, v.v_flag = 5, v.v_i1 = 6, v.v_i2 = 7;
    v.v_i3 = 8, v.v_i4 = 9, v.v_i5 = 10, v.v_b1 = 11, v.v_b2 = 12, v.v_b3 = 13, v.v_b4 = 14;
    v.v_l = 15, v.v_nome = "x";
    std::int64_t expected = 1;
    for (const voce_field f : voce_fields()) {
        if (f == v_nome) {
            EXPECT_EQ(field_number(v, f), 0);
            continue;
        }
        EXPECT_EQ(field_number(v, f), expected++) << field_key(f);
    }
}

TEST(HeaderFields, FieldNames) {
    struct row {
        int entry;
        voce_field field;
        const char* name;
    };
    const row rows[] = {
        {81, v_a, "prima progressiva chilometrica, valore a"},
        {82, v_c, "seconda progressiva chilometrica, valore c"},
        {83, v_b, "terza progressiva chilometrica, valore b"},
        {84, v_a, "percentuale massa frenata"},
        {84, v_b, "lunghezza percorso"},
        {84, v_c, "numero vetture"},
        {85, v_a, "sfondo uno"},
        {85, v_c, "sfondo due"},
        {85, v_b, "sfondo tre"},
        {85, v_nome, "nome della linea"},
        {86, v_a, "ripetizione segnali, primo valore"},
        {86, v_i1, "sabbia"},
        {86, v_i4, "orologio, minuti"},
        {1, v_b, "stazione 1, fine del marciapiede"},
        {80, v_l, "stazione 80, orario"},
        {20, v_b3, "stazione 20, valore 6 (prolungamento)"},
        {20, v_i1, "stazione 20, valore 7"},
        {86, v_i2, "v_i2"},  // no record fills it
        {0, v_a, "v_a"},     // never written
    };
    for (const row& r : rows) {
        EXPECT_EQ(header_field_name(r.entry, r.field), r.name) << r.entry << " " << r.name;
    }
    for (int entry = 0; entry < k_testata_entries; ++entry) {
        const bool scalar = entry >= k_entry_progressiva_tre;
        EXPECT_EQ(scalar_entry_fields(entry).empty(), !scalar) << entry;
        EXPECT_EQ(scalar_entry_name(entry).empty(), !scalar) << entry;
    }
}

// Each named field of a scalar entry holds what its record wrote, once the whole compile is
// done: the values below are all different, so a field named after the wrong record fails.
TEST(HeaderFields, ScalarFieldsHoldTheirRecords) {
    // The progressives are put in order, largest a first, and "uno" gets 100 added to its b.
    const std::string line = testing::small_line(
        {}, {"lunghezza percorso, 5000", "sfondo uno, 11", "sfondo due, 22", "sfondo tre, 33",
             "ripetizione segnali 4 codici, 50, 100", "progressiva chilometrica uno, 100, 200, 1",
             "progressiva chilometrica tre, 50, 150, 0"});
    const std::string train =
        "[generale]\r\nnumero vetture, 6\r\npercentuale massa frenata, 125\r\nsabbia, 77\r\n"
        "orologio, 7, 29, 30\r\n[fine]\r\n";
    run_state state = testing::named_state(0);
    memory_descriptions texts(line, train);
    ASSERT_TRUE(compila_scenario(state, 0, texts).writes_files());
    ASSERT_EQ(state.codice_errore, 0);
    struct row {
        const char* name;
        std::int64_t value;
    };
    const row rows[] = {
        {"lunghezza percorso", 5000},
        {"sfondo uno", 11},
        {"sfondo due", 22},
        {"sfondo tre", 33},
        {"numero vetture", 6},
        {"percentuale massa frenata", 125},
        {"sabbia", 77},
        {"orologio, ore", 7},
        {"orologio, minuti", 29},
        {"orologio, secondi", 30},
        {"ripetizione segnali, primo valore", 50},
        {"ripetizione segnali, secondo valore", 100},
        {"codici di ripetizione", 4},
        {"marcatore", 610},
        {"prima progressiva chilometrica, valore a", 100},
        {"prima progressiva chilometrica, valore b", 300},
        {"prima progressiva chilometrica, valore c", 1},
        {"seconda progressiva chilometrica, valore a", 50},
        {"seconda progressiva chilometrica, valore b", 150},
        {"terza progressiva chilometrica, valore a", 0},
    };
    std::set<std::string> found;
    for (int entry = k_entry_progressiva_tre; entry <= k_entry_codici; ++entry) {
        for (const header_field_meaning& m : scalar_entry_fields(entry)) {
            for (const row& r : rows) {
                if (m.name != r.name) continue;
                found.insert(r.name);
                EXPECT_EQ(field_number(state.testata[std::size_t(entry)], m.field), r.value)
                    << r.name;
            }
        }
    }
    EXPECT_EQ(found.size(), std::size(rows));
}

// A station's entry gives back its record's platform length, by the layout of its kind.
TEST(HeaderFields, StationEntriesReadBackToTheirRecord) {
    struct row {
        int kind;
        int position;
        int length;
        int extension;  // the sixth value
        platform_layout layout;
        bool stop;
    };
    const row rows[] = {
        {12, 1000, 300, 0, platform_layout::centred, true},
        {27, 1000, 200, 1, platform_layout::centred, false},
        {5, 1000, 200, 0, platform_layout::before, true},
        {6, 1000, 400, 0, platform_layout::before, true},
        {7, 1000, 200, 0, platform_layout::both_sides, true},
        {8, 1000, 100, 0, platform_layout::both_sides, true},
        {24, 1000, 200, 0, platform_layout::centred, true},
        {25, 1000, 200, 0, platform_layout::centred, false},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.kind);
        EXPECT_EQ(platform_layout_of(std::uint8_t(r.kind)), r.layout);
        EXPECT_EQ(station_has_stop(std::uint8_t(r.kind)), r.stop);
        // Two stations: the second keeps its sixth value, which the first always drops.
        const std::string record = "stazione, " + std::to_string(r.position) + ", " +
                                   std::to_string(r.kind) + ", " + std::to_string(r.length) +
                                   ", 0, 0, " + std::to_string(r.extension) +
                                   ", 0, 0, 0, 0, 0, 0, 0, 6, 30, 0, Prova\r\n";
        const std::string train =
            "[generale]\r\nstazione, 0, 27, 100, 0, 0, 0, 0, 0, 0, 0, 0, "
            "0, 0, 6, 0, 0, Inizio\r\n" +
            record + "[fine]\r\n";
        run_state state = testing::named_state(0);
        memory_descriptions texts(testing::small_line({}, {"lunghezza percorso, 5000"}), train);
        ASSERT_TRUE(compila_scenario(state, 0, texts).writes_files());
        ASSERT_EQ(state.codice_errore, 0);
        const voce& station = state.testata[2];
        EXPECT_EQ(platform_length(station), r.length);
        EXPECT_EQ(station.v_c, r.position);
        const bool stop_found = std::any_of(
            state.celle.begin(), state.celle.end(),
            [](const cella& c) { return kind_of(c) == cell_kind::station_stop && c.val1 == 2; });
        EXPECT_EQ(stop_found, r.stop);
    }
}

}  // namespace
}  // namespace scenario
