// Tests of memorizza_dati around the line pass: the recovery step that turns a fault of the text
// into error 25 and deletes both texts, failures of the machine that escape it, and the
// diagnostics (where a fault was found, the warnings) that never change what is compiled.
#include "compile/compiler.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "line_text.h"
#include "report/wording.h"

namespace scenario {
namespace {

using testing::k_empty_train_text;
using testing::line_result;
using testing::program_line_text;
using testing::run_compile;
using testing::run_line;
using testing::small_line;

// Two texts in memory whose reading or deleting fails in a chosen way.
class failing_descriptions final : public description_source {
   public:
    enum class failure { none, read_runtime_error, read_bad_alloc, read_not_std, remove_fails };

    failing_descriptions(std::string line, failure how)
        : texts_(std::move(line), std::string(k_empty_train_text)), how_(how) {}

    bool exists(description_text which) override { return texts_.exists(which); }
    std::string_view read(description_text which) override {
        if (how_ == failure::read_runtime_error) throw std::runtime_error("disk gone");
        if (how_ == failure::read_bad_alloc) throw std::bad_alloc();
        if (how_ == failure::read_not_std) throw 7;
        return texts_.read(which);
    }
    void remove(description_text which) override {
        if (how_ == failure::remove_fails) throw std::runtime_error("file held open");
        texts_.remove(which);
    }
    std::string name(description_text which) const override { return texts_.name(which); }

   private:
    memory_descriptions texts_;
    failure how_;
};

// A failure of the machine is not a fault of the text: it leaves the code alone and reaches the
// caller, and the texts are deleted all the same.
TEST(Compiler, MachineFailureEscapesAndDeletesBothTexts) {
    using enum failing_descriptions::failure;
    struct failure_case {
        failing_descriptions::failure how;
        std::string line;
    };
    const failure_case cases[] = {
        {read_runtime_error, program_line_text()},
        {read_bad_alloc, program_line_text()},
        {read_not_std, program_line_text()},
        // The hard stop 102 cannot delete its text.
        {remove_fails, "nulla\r\n[generale]\r\n"},
    };
    for (const failure_case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.how));
        failing_descriptions texts(c.line, c.how);
        run_state state = testing::named_state(1);
        compile_diagnostics diagnostics;
        EXPECT_ANY_THROW(memorizza_dati(state, texts, &diagnostics));
        EXPECT_NE(state.codice_errore, 25);
        EXPECT_FALSE(diagnostics.fault.has_value());
        if (c.how != remove_fails) {
            EXPECT_FALSE(texts.exists(description_text::line));
            EXPECT_FALSE(texts.exists(description_text::train));
        }
    }
}

TEST(Compiler, RunTimeFailureIsLocatedAtTheValueAtFault) {
    const line_result r = run_compile(small_line({}, {"lunghezza percorso, mille"}));
    EXPECT_EQ(r.state.codice_errore, 25);
    ASSERT_TRUE(r.diagnostics.fault.has_value());
    EXPECT_EQ(r.diagnostics.fault->text, description_text::line);
    // The item ended its line; the fault stays on the line of the item, at its first column.
    EXPECT_EQ(r.diagnostics.fault->where, (source_location{2, 21}));
    EXPECT_FALSE(r.diagnostics.fault->missing_value);
    ASSERT_TRUE(r.diagnostics.fault->failure.has_value());
    EXPECT_EQ(r.diagnostics.fault->failure->code, failure_code::not_whole_number);
    EXPECT_EQ(r.diagnostics.fault->failure->arguments,
              std::vector<diagnostic_argument>{std::string("mille")});
    EXPECT_FALSE(r.line_text_left);
    EXPECT_FALSE(r.train_text_left);
}

TEST(Compiler, FaultIsLocatedAtTheKeywordOfItsRecord) {
    const std::string board = "indicatori_vmax, 400, 80, 80, 80, 0, , , , 0";
    struct row {
        std::string line;
        std::int32_t code;
        source_location where;
    };
    const row rows[] = {
        {"uno\r\ndue\r\n  [generale]", 102, {3, 3}},
        {small_line({}, {"lunghezza percorso, 1000", "lunghezza percorso, 2000000"}), 1, {3, 1}},
        {small_line({}, {"lunghezza percorso, 1000", "ripetizione segnali 9, 50, 25"}), 4, {3, 1}},
        {small_line({board, "  " + board}), 21, {5, 3}},
        {small_line({board, "pendenza, 0, 0", "cartello_indicatore, 400, (X)"}), 6, {6, 1}},
        {small_line({"pendenza, 0, 0", "pendenza, 9000, 0"}), 15, {5, 1}},
        {small_line({"pendenza, 0, 0", "curva, 0, 100"}), 103, {5, 1}},
    };
    for (const row& r : rows) {
        const line_result result = run_compile(r.line);
        EXPECT_EQ(result.state.codice_errore, r.code) << r.line;
        ASSERT_TRUE(result.diagnostics.fault.has_value()) << r.line;
        EXPECT_EQ(result.diagnostics.fault->where, r.where) << r.line;
    }
    EXPECT_FALSE(run_compile(program_line_text()).diagnostics.fault.has_value());
}

TEST(Compiler, WarningsForItemsPassedOver) {
    const std::string text =
        "[generale]\r\n"
        "lunghezza percorso, 1000\r\n"
        "velocit\xE0, 10\r\n"  // Windows-1252, reported in UTF-8
        "-sfondo uno, 7\r\n"
        "[curve]\r\n"
        "pendenza-x, 100, 5\r\n"
        "- nota, pendenza, 200, 5\r\n"  // a dashed item without a keyword hides nothing
        "cartello, 300, testo\r\n"
        "[fine]\r\n"
        "montagna\r\n";
    const line_result r = run_line(text);
    EXPECT_EQ(r.state.codice_errore, 0);
    EXPECT_EQ(r.state.celle[4].pendenza, 105);
    struct expected_warning {
        source_location where;
        std::string message;
    };
    const std::vector<expected_warning> expected = {
        {{3, 1}, "voce non riconosciuta, ignorata: \"velocità\""},
        {{4, 1}, "record nascosto dal trattino: \"-sfondo uno\""},
        {{6, 1}, "record nascosto dal trattino: \"pendenza-x\""},
        {{8, 1}, "voce non riconosciuta, ignorata: \"cartello\""},
        {{8, 16}, "voce non riconosciuta, ignorata: \"testo\""},
        {{10, 1}, "ultima voce del testo, mai letta: \"montagna\""},
    };
    ASSERT_EQ(r.diagnostics.warnings.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(r.diagnostics.warnings[i].at.text, description_text::line) << i;
        EXPECT_EQ(r.diagnostics.warnings[i].at.where, expected[i].where) << i;
        EXPECT_TRUE(well_formed(r.diagnostics.warnings[i])) << i;
        EXPECT_EQ(tool::warning_words(r.diagnostics.warnings[i]), expected[i].message) << i;
    }
}

TEST(Compiler, DiagnosticsChangeNothingCompiled) {
    for (const std::string& line :
         {program_line_text(),
          small_line({"pendenza-x, 100, 5", "ignota, 3", "pendenza, 9000, 1"})}) {
        run_state with = testing::named_state(1);
        run_state without = testing::named_state(1);
        memory_descriptions texts_with(line, std::string(k_empty_train_text));
        memory_descriptions texts_without(line, std::string(k_empty_train_text));
        compile_diagnostics diagnostics;
        memorizza_dati(with, texts_with, &diagnostics);
        memorizza_dati(without, texts_without, nullptr);
        EXPECT_EQ(with.codice_errore, without.codice_errore);
        EXPECT_EQ(with.posizione_errore, without.posizione_errore);
        EXPECT_EQ(with.testata, without.testata);
        EXPECT_EQ(with.celle, without.celle);
        ASSERT_EQ(with.geometria.size(), without.geometria.size());
        for (std::size_t i = 0; i < with.geometria.size(); ++i) {
            ASSERT_EQ(with.geometria.kind_at(i), without.geometria.kind_at(i)) << i;
            ASSERT_EQ(with.geometria.value_at(i), without.geometria.value_at(i)) << i;
        }
    }
}

}  // namespace
}  // namespace scenario
