// Tests of the tool's one catalogue of words: every warning, note and run-time failure code is
// worded, and its words show every argument it carries; the arguments a code carries are checked
// as data.
#include "report/wording.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace scenario {
namespace {

constexpr auto k_last_warning = warning_code::abatement_value_wrapped;
constexpr auto k_last_note = note_code::progressive_not_whole_too;
constexpr auto k_last_failure = failure_code::limit_beyond_cell;

// Arguments that fit a code's letters, each one told apart in the words: numbers from 7001 up,
// texts "«1»", "«2»", ..., records a signal. With `repeats`, a "+" gives three of its kind.
std::vector<diagnostic_argument> arguments_for(std::string_view kinds, std::size_t repeats = 3) {
    std::vector<diagnostic_argument> out;
    const bool repeated = kinds.ends_with('+');
    if (repeated) kinds.remove_suffix(1);
    std::string letters(kinds);
    if (repeated) letters.append(repeats - 1, kinds.back());
    std::int64_t n = 7000;
    int t = 0;
    for (const char kind : letters) {
        if (kind == 'n') out.emplace_back(++n);
        if (kind == 't') out.emplace_back("«" + std::to_string(++t) + "»");
        if (kind == 'r') out.emplace_back(record_kind::signal);
        if (kind == 'd') out.emplace_back(static_cast<double>(++n) + 0.25);
    }
    return out;
}

// Each argument, as the words must show it.
std::vector<std::string> shown(const std::vector<diagnostic_argument>& arguments) {
    std::vector<std::string> out;
    for (const diagnostic_argument& a : arguments) {
        if (const auto* n = std::get_if<std::int64_t>(&a)) out.push_back(std::to_string(*n));
        if (const auto* t = std::get_if<std::string>(&a)) out.push_back(*t);
        if (const auto* r = std::get_if<record_kind>(&a)) out.emplace_back(record_name(*r));
        if (const auto* d = std::get_if<double>(&a)) out.push_back(std::to_string(*d));
    }
    return out;
}

TEST(Wording, EveryWarningShowsItsArguments) {
    for (int c = 0; c <= static_cast<int>(k_last_warning); ++c) {
        const auto code = static_cast<warning_code>(c);
        SCOPED_TRACE(c);
        const compile_warning w{code, {}, arguments_for(arguments_of(code)), {}};
        ASSERT_TRUE(well_formed(w));
        const std::string words = tool::warning_words(w);
        EXPECT_FALSE(words.starts_with("avviso ")) << words;  // the catch-all of unknown codes
        for (const std::string& argument : shown(w.arguments)) {
            EXPECT_NE(words.find(argument), std::string::npos) << argument << " in " << words;
        }
    }
}

TEST(Wording, EveryNoteShowsItsArguments) {
    for (int c = 0; c <= static_cast<int>(k_last_note); ++c) {
        const auto code = static_cast<note_code>(c);
        SCOPED_TRACE(c);
        const diagnostic_note note{code, {}, arguments_for(arguments_of(code))};
        ASSERT_TRUE(well_formed(note));
        const std::string words = tool::note_words(note);
        EXPECT_FALSE(words.starts_with("nota ")) << words;
        for (const std::string& argument : shown(note.arguments)) {
            EXPECT_NE(words.find(argument), std::string::npos) << argument << " in " << words;
        }
    }
}

TEST(Wording, EveryRunTimeFailureShowsItsArguments) {
    const run_state state;
    const compile_diagnostics diagnostics;
    const std::optional<std::string> line = "", train = "";
    const tool::compile_inputs in{state, diagnostics, line, train, "L_linea.txt", "L_T-.txt"};
    for (int c = 0; c <= static_cast<int>(k_last_failure); ++c) {
        const auto code = static_cast<failure_code>(c);
        SCOPED_TRACE(c);
        found_fault fault = bare_fault(fault_code::run_time_failure, description_text::train);
        fault.failure = run_time_failure{code, arguments_for(arguments_of(code))};
        ASSERT_TRUE(well_formed(*fault.failure));
        const std::string words = tool::fault_words(fault, in);
        EXPECT_TRUE(words.starts_with("errore di esecuzione nel compilatore: ")) << words;
        EXPECT_EQ(words.find("errore di esecuzione ", 1), std::string::npos) << words;
        for (const std::string& argument : shown(fault.failure->arguments)) {
            EXPECT_NE(words.find(argument), std::string::npos) << argument << " in " << words;
        }
    }
}

// Only an item written with a decimal point or comma is told that values are whole numbers.
TEST(Wording, DecimalNumbersAreToldApartFromOtherItems) {
    const run_state state;
    const compile_diagnostics diagnostics;
    const std::optional<std::string> line = "", train = "";
    const tool::compile_inputs in{state, diagnostics, line, train, "L_linea.txt", "L_T-.txt"};
    const std::string hint = "; i valori sono numeri interi, senza virgola né punto decimale";
    const struct {
        failure_code code;
        std::string item;
        bool told;
    } cases[] = {
        {failure_code::not_whole_number, "12.5", true},
        {failure_code::not_whole_number, "12,5", true},
        {failure_code::not_whole_number, "quattro", false},
        {failure_code::number_too_large, "1.5", false},
    };
    for (const auto& c : cases) {
        found_fault fault = bare_fault(fault_code::run_time_failure, description_text::line);
        fault.failure = run_time_failure{c.code, {c.item}};
        EXPECT_EQ(tool::fault_words(fault, in).ends_with(hint), c.told) << c.item;
    }
}

TEST(Wording, CellsFilledByOneRecordAreListed) {
    const struct {
        std::vector<diagnostic_argument> cells;
        const char* words;
    } cases[] = {
        {{std::int64_t{21}}, "la cella 21 è stata occupata da questo record"},
        {{std::int64_t{54}, std::int64_t{55}},
         "le celle 54 e 55 sono state occupate da questo record"},
        {{std::int64_t{54}, std::int64_t{55}, std::int64_t{56}},
         "le celle 54, 55 e 56 sono state occupate da questo record"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tool::note_words({note_code::cells_filled, {}, c.cells}), c.words);
    }
}

TEST(Wording, ArgumentsThatDoNotFitTheirCodeAreRefused) {
    const struct {
        const char* what;
        compile_warning warning;
        bool fits;
    } cases[] = {
        {"as its code says",
         {warning_code::out_of_order, {}, {record_kind::speed, 1200, 2200}, {}},
         true},
        {"one missing", {warning_code::out_of_order, {}, {record_kind::speed, 1200}, {}}, false},
        {"one too many", {warning_code::byte_order_mark, {}, {std::int64_t{1}}, {}}, false},
        {"a text for a number",
         {warning_code::gradient_wrapped, {}, {std::int64_t{200}, std::string("-56")}, {}},
         false},
        {"a note without its position",
         {warning_code::out_of_order,
          {},
          {record_kind::speed, 1200, 2200},
          {{note_code::earlier_record, {}, {}}}},
         false},
        {"a note with its position",
         {warning_code::out_of_order,
          {},
          {record_kind::speed, 1200, 2200},
          {{note_code::earlier_record, {}, {std::int64_t{2200}}}}},
         true},
    };
    for (const auto& c : cases) EXPECT_EQ(well_formed(c.warning), c.fits) << c.what;

    // "n+": one number or more, and nothing else.
    EXPECT_FALSE(well_formed(diagnostic_note{note_code::cells_filled, {}, {}}));
    EXPECT_TRUE(well_formed(diagnostic_note{note_code::cells_filled, {}, arguments_for("n+", 5)}));
    EXPECT_FALSE(well_formed(
        diagnostic_note{note_code::cells_filled, {}, {std::int64_t{3}, std::string("4")}}));
}

}  // namespace
}  // namespace scenario
