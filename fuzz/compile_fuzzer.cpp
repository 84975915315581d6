// libFuzzer target over the whole compile: line pass, train pass, signal spacing pass, identity
// codes and the three serialisers, all in memory, on texts cut from one input (fuzz_input.h).
// Beyond the sanitizers it checks what must hold for any text: the recorded code is one the
// compiler knows and comes with what was found (its own code, position and text), the texts are
// consumed as the run sequence says, the geometry image has the size its tags call for, the three
// images a run writes read back to the same records and agree with each other, every warning
// carries the arguments its code says, and asking for diagnostics changes nothing that is
// compiled.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#include "base/fault_codes.h"
#include "compile/compiler.h"
#include "compile/description_source.h"
#include "fuzz_input.h"
#include "output/binary_files.h"
#include "output/binary_readers.h"
#include "run/run_sequence.h"

namespace scenario::fuzz {
namespace {

void require(bool condition, const char* what, const run_state& state) {
    if (condition) return;
    std::fprintf(stderr, "compile_fuzzer: %s (codice_errore %d, posizione_errore %d)\n", what,
                 static_cast<int>(state.codice_errore), static_cast<int>(state.posizione_errore));
    std::abort();
}

// A code of the fault table that a compile records (the identity codes come apart), or 0.
bool known_code(std::int32_t code) {
    if (code == 0) return true;
    const fault_descriptor* row = find_fault(code);
    return row != nullptr && row->text != fault_text::identity;
}

// Codes after which the line pass returned without starting the train pass, so the train text
// is still there; every other ending consumed it.
bool line_pass_stop(std::int32_t code) {
    const fault_descriptor* row = find_fault(code);
    return row != nullptr && row->text == fault_text::line && row->ends_pass;
}

// What the compiler hands over with a code must be that code's, placed as its row says.
void check_found_fault(const run_state& state, const compile_outcome& outcome,
                       const compile_diagnostics& diagnostics) {
    const std::optional<found_fault>& fault = diagnostics.fault;
    require(fault.has_value() == (state.codice_errore != 0),
            "a recorded code without its fault, or a fault without a code", state);
    if (fault) {
        require(value_of(fault->code) == state.codice_errore, "the fault is not the code's", state);
        const fault_descriptor& row = describe(fault->code);
        require(fault->position.has_value() == row.carries_position &&
                    (!fault->position || *fault->position == state.posizione_errore),
                "the fault's position is not the recorded one", state);
        require(row.text != fault_text::line || fault->text == description_text::line,
                "a fault of the line text found elsewhere", state);
        require(row.text != fault_text::train || fault->text == description_text::train,
                "a fault of the train text found elsewhere", state);
        require(!fault->occupant || !is_free(*fault->occupant), "a taken cell that was free",
                state);
        require(fault->failure.has_value() == (fault->code == fault_code::run_time_failure) &&
                    (!fault->failure || well_formed(*fault->failure)),
                "a run-time failure without what ended the compile", state);
    }
    require(diagnostics.identity_fault.has_value() == (outcome.identity_fault != 0) &&
                (!diagnostics.identity_fault ||
                 value_of(diagnostics.identity_fault->code) == outcome.identity_fault),
            "the identity fault is not the outcome's", state);
}

// The image size the plan's tags call for: each element a 2-byte tag and its payload.
std::size_t plan_image_size(const geometria& plan) {
    std::size_t size = 0;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const geometria::tag kind = plan.kind_at(i);
        size += 2 + (kind == geometria::tag::integer ? 2 : kind == geometria::tag::real ? 8 : 0);
    }
    return size;
}

// The geometry images read back: those up to 256 KB (routes of a few kilometres, fully traced),
// which reach every shape the line pass leaves below point 1000000; the unit tests read the
// longest routes back. Reading back every plan would double the time of the whole target.
constexpr std::size_t k_plan_read_back_limit = 1 << 18;

// The readers take every image a run writes (identity stamped, cells compiled): they refuse
// only what no compile can have written.
void check_images(const run_state& state, const compile_outcome& outcome) {
    const std::string cells = serialise_celle(state.celle);
    require(cells.size() == state.celle.size() * k_cell_size, "cell image of the wrong size",
            state);
    const std::string header = serialise_testata(state.testata);
    const bool plan_written = state.crea_geometria != 0 && state.geometria.allocated();
    const std::string plan = plan_written ? serialise_geometria(state.geometria) : std::string();
    if (plan_written) {
        require(plan.size() == plan_image_size(state.geometria), "geometry image of the wrong size",
                state);
    }
    if (!outcome.writes_files()) return;

    celle cells_back;
    require(leggi_celle(cells, cells_back).ok, "cell image does not read back", state);
    require(cells_back == state.celle, "cells read back differ", state);
    testata header_back;
    require(leggi_testata(header, header_back).ok, "header image does not read back", state);
    require(serialise_testata(header_back) == header, "header image changes on re-encoding", state);
    require(verifica_celle_con_testata(cells_back.size(), header_back).ok,
            "cell image and header image disagree", state);
    if (plan_written && plan.size() <= k_plan_read_back_limit) {
        geometria plan_back;
        require(leggi_geometria(plan, plan_back).ok, "geometry image does not read back", state);
        require(serialise_geometria(plan_back) == plan, "geometry image changes on re-encoding",
                state);
    }
}

run_state fresh_state() {
    run_state state;
    state.nome_linea = std::string(k_nome_linea);
    state.codice_treno = std::string(k_codice_treno);
    return state;
}

// Diagnostics are for authors only: asking for them must not change a single compiled byte.
// Checked on the compiles without geometry, which are cheap enough to run twice.
void check_without_diagnostics(const compile_input& input, const run_state& with) {
    run_state without = fresh_state();
    memory_descriptions texts(input.line, input.train);
    compila_scenario(without, input.j, texts, nullptr);
    require(without.codice_errore == with.codice_errore &&
                without.posizione_errore == with.posizione_errore,
            "diagnostics change the recorded fault", with);
    require(without.celle == with.celle && without.testata == with.testata,
            "diagnostics change the compiled records", with);
}

// The tool words a warning from its arguments alone: each must be those of its code, and the
// warnings kept must stay within their bound.
void check_warnings(const compile_diagnostics& diagnostics, const run_state& state) {
    for (const compile_warning& w : diagnostics.warnings) {
        require(well_formed(w), "a warning without the arguments of its code", state);
    }
    require(diagnostics.warnings.size() <= 2 * compile_diagnostics::k_max_warnings_per_text,
            "more warnings kept than their bound", state);
}

// The author's checking compile goes past every fault on a state of its own: it must end like any
// compile (no escape but the machine's), keep only known codes, and find a fault whenever the
// compile recorded one.
void check_checking_mode(const compile_input& input, const run_state& compiled) {
    run_state check = fresh_state();
    memory_descriptions texts(input.line, input.train);
    compile_diagnostics checked;
    checked.checking = true;
    compila_scenario(check, input.j, texts, &checked);
    require(checked.faults.size() <= compile_diagnostics::k_max_faults,
            "the checker kept more faults than its bound", compiled);
    for (const found_fault& f : checked.faults) {
        require(known_code(value_of(f.code)), "the checker found an unknown code", compiled);
    }
    check_warnings(checked, compiled);
    require(compiled.codice_errore == 0 || !checked.faults.empty(),
            "the checker missed the fault the compile recorded", compiled);
}

void compile_one(std::string_view data) {
    const compile_input input = split_compile_input(data);
    run_state state = fresh_state();
    memory_descriptions texts(input.line, input.train);
    compile_diagnostics diagnostics;
    const compile_outcome outcome = compila_scenario(state, input.j, texts, &diagnostics);

    require(known_code(state.codice_errore), "unknown error code", state);
    check_found_fault(state, outcome, diagnostics);
    check_warnings(diagnostics, state);
    require(!texts.exists(description_text::line), "the line text was not consumed", state);
    if (texts.exists(description_text::train)) {
        require(line_pass_stop(state.codice_errore),
                "the train text was left although the train pass ran", state);
    }
    const fault_descriptor* identity = find_fault(outcome.identity_fault);
    require(outcome.identity_fault == 0 ||
                (identity != nullptr && identity->text == fault_text::identity),
            "unknown identity fault", state);
    if (outcome.cells_compiled) {
        require(state.celle.size() == static_cast<std::size_t>(state.n_celle) + 1,
                "cell array and n_celle disagree", state);
    }
    check_images(state, outcome);
    if (input.j == 0) check_without_diagnostics(input, state);
    check_checking_mode(input, state);
}

}  // namespace
}  // namespace scenario::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    scenario::fuzz::compile_one(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
