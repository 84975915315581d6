// Tests of the scenario identity codes: the worked values, what the codes ignore (case, the
// characters past the 25th) and what they notice (order, accents), and the stamping with its
// two checks, down to the bytes of the cell file.
#include "base/identity_codes.h"
#include "compile/identity.h"

#include <gtest/gtest.h>

#include <string>

#include "output/binary_files.h"
#include "base/windows1252.h"

namespace scenario {
namespace {

// Train code and line name as the compiler stores them: Windows-1252 bytes.
struct names {
    std::string train;
    std::string line;
};

names from_utf8(std::string_view train, std::string_view line) {
    return {to_windows1252(train), to_windows1252(line)};
}

testata header_for(const names& n) {
    testata header;
    header[k_entry_codici].v_nome = n.train;
    header[k_entry_linea].v_nome = n.line;
    return header;
}

std::int16_t og(const names& n) { return codice_gara_og(header_for(n)); }
std::int32_t st(const names& n) { return codice_gara_st(header_for(n)); }

std::string shown(const names& n) {
    return "\"" + from_windows1252(n.train) + "\", \"" + from_windows1252(n.line) + "\"";
}

TEST(IdentityCodes, WorkedValues) {
    const struct {
        names identity;
        std::int16_t og;
        std::int32_t st;
    } cases[] = {
        {from_utf8("26BRUNVICCO", "Metrò 2 - Zelnor"), 2389, 30721},
        {{"ab", "c"}, 2546, 33756},
        {{"", ""}, 2583, 34355},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(og(c.identity), c.og) << shown(c.identity);
        EXPECT_EQ(st(c.identity), c.st) << shown(c.identity);
    }
}

// Pairs that must give the same two codes.
TEST(IdentityCodes, SameIdentity) {
    const std::pair<names, names> cases[] = {
        {from_utf8("26BRUNVICCO", "Metrò 2 - Zelnor"),
         from_utf8("26brunvicco", "METRÒ 2 - ZELNOR")},
        {from_utf8("Ò", ""), from_utf8("ò", "")},
        {from_utf8("ÀÉÎÕÜÇÑÝÞ", "ŠŒŽŸ"), from_utf8("àéîõüçñýþ", "šœžÿ")},
        // The names are joined with nothing between them.
        {from_utf8("26BRUNVICCO", "Metrò 2 - Zelnor"),
         from_utf8("26BRUNVICC", "OMetrò 2 - Zelnor")},
        // Only the first 25 characters count.
        {{"ABCDEFGHIJKLMNOPQRSTUVWXY", "Z"}, {"ABCDEFGHIJKLMNOPQRSTUVWXY", "whatever comes"}},
        {{"ABCDEFGHIJKLMNOPQRST", "uvwxy"}, {"ABCDEFGHIJKLMNOPQRST", "uvwxyZZZZ"}},
        // 24 characters: the 25th is the first of the padding, an "a".
        {{"ABCDEFGHIJKLMNOPQRSTUVWX", ""}, {"ABCDEFGHIJKLMNOPQRSTUVWX", "a"}},
    };
    for (const auto& [a, b] : cases) {
        EXPECT_EQ(og(a), og(b)) << shown(a) << " vs " << shown(b);
        EXPECT_EQ(st(a), st(b)) << shown(a) << " vs " << shown(b);
    }
}

// Pairs that must give different codes: the 25th character still counts, accents are kept and
// signs that are not letters have no case.
TEST(IdentityCodes, DifferentIdentity) {
    const std::pair<names, names> cases[] = {
        {{"ABCDEFGHIJKLMNOPQRST", "uvwxy"}, {"ABCDEFGHIJKLMNOPQRST", "uvwxz"}},
        {from_utf8("ò", ""), from_utf8("o", "")},
        {from_utf8("×", ""), from_utf8("÷", "")},
    };
    for (const auto& [a, b] : cases) {
        EXPECT_NE(og(a), og(b)) << shown(a) << " vs " << shown(b);
        EXPECT_NE(st(a), st(b)) << shown(a) << " vs " << shown(b);
    }
}

TEST(IdentityCodes, MovingACharacterChangesOnlyTheWeightedCode) {
    const names ab{"ab", "c"};
    const names ba{"ba", "c"};
    EXPECT_EQ(og(ab), og(ba));
    // "a" (97) and "b" (98) trade places 1 and 2: the weighted sum drops by 98 - 97.
    EXPECT_EQ(st(ba), st(ab) - 1);
}

run_state compiled_state() {
    run_state state;
    const names n = from_utf8("26BRUNVICCO", "Metrò 2 - Zelnor");
    state.testata = header_for(n);
    state.celle.assign(10, cella{});
    return state;
}

TEST(IdentityStamp, StampsMarkersAndCodes) {
    run_state state = compiled_state();
    // Cell 1 is stamped whatever it holds; only its first two value words are tested.
    state.celle[1].tipo_cella = 14;
    state.celle[1].val3 = 77;
    testata expected_header = state.testata;
    expected_header[k_entry_linea].v_i1 = 610;
    expected_header[k_entry_linea].v_l = 30721;
    celle expected_cells = state.celle;
    expected_cells[1].val1 = 5121;
    expected_cells[1].val2 = 2389;

    ASSERT_EQ(stamp_identity(state), 0);

    EXPECT_TRUE(state.testata == expected_header);
    EXPECT_TRUE(state.celle == expected_cells);
    const std::string bytes = serialise_celle(state.celle);
    ASSERT_GE(bytes.size(), 20u);
    EXPECT_EQ(bytes.substr(15, 5), std::string("\x0E\x01\x14\x55\x09", 5));  // 5121, 2389
}

TEST(IdentityStamp, FieldsAlreadySet) {
    const struct {
        const char* name;
        std::int16_t v_i1;
        std::int16_t val1;
        std::int32_t v_l;
        std::int16_t val2;
        std::int32_t code;
    } cases[] = {
        {"entry 85 v_i1", 610, 0, 0, 0, 1250},
        {"cell 1 val1", 0, -1, 0, 0, 1250},
        {"both markers and both codes", 1, 1, 1, 1, 1250},
        {"entry 85 v_l", 0, 0, 30721, 0, 1251},
        {"cell 1 val2", 0, 0, 0, 7, 1251},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        run_state state = compiled_state();
        state.testata[k_entry_linea].v_i1 = c.v_i1;
        state.celle[1].val1 = c.val1;
        state.testata[k_entry_linea].v_l = c.v_l;
        state.celle[1].val2 = c.val2;

        EXPECT_EQ(stamp_identity(state), c.code);
        // Neither code is stamped once a check fails.
        EXPECT_EQ(state.testata[k_entry_linea].v_l, c.v_l);
        EXPECT_EQ(state.celle[1].val2, c.val2);
        if (c.code == 1250) {
            EXPECT_EQ(state.testata[k_entry_linea].v_i1, c.v_i1);
            EXPECT_EQ(state.celle[1].val1, c.val1);
        }
    }
}

TEST(IdentityStamp, SecondStampIsRefused) {
    run_state state = compiled_state();
    ASSERT_EQ(stamp_identity(state), 0);
    EXPECT_EQ(stamp_identity(state), 1250);
}

}  // namespace
}  // namespace scenario
