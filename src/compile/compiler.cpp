// memorizza_dati: the line pass, then the train pass, inside the recovery step that turns a fault
// of the text (compile_fault) into error 25 and leaves no description text behind. A failure of
// the machine (a text that cannot be read, memory exhausted) is not a fault of the text: the texts
// are deleted all the same and the failure goes on to the caller, which writes nothing.
#include "compile/compiler.h"

#include <exception>

#include "compile/compile_support.h"
#include "compile/identity.h"
#include "compile/line_pass.h"
#include "compile/signal_spacing.h"
#include "compile/train_pass.h"

namespace scenario {
namespace {

// A text that cannot be deleted here stays; the code is 25 all the same, and the run goes on
// to write what was compiled.
void remove_if_present(description_source& texts, description_text which) noexcept {
    try {
        if (texts.exists(which)) texts.remove(which);
    } catch (...) {
    }
}

void remove_both(description_source& texts) noexcept {
    remove_if_present(texts, description_text::line);
    remove_if_present(texts, description_text::train);
}

}  // namespace

void memorizza_dati(run_state& state, description_source& texts, compile_diagnostics* diagnostics) {
    try {
        line_pass_result line;
        try {
            line = line_pass(state, texts, diagnostics);
        } catch (const compile_fault&) {
            if (diagnostics != nullptr) diagnostics->train_skipped = true;
            throw;
        }
        if (line.train_follows) {
            train_pass(state, texts, line.prossimo_cartello, diagnostics);
        } else if (diagnostics != nullptr) {
            diagnostics->train_skipped = true;
        }
    } catch (const compile_fault& fault) {
        remove_both(texts);
        state.codice_errore = value_of(fault_code::run_time_failure);
        // The passes say where they stood; a failure met before any text was read says only
        // its words.
        if (diagnostics != nullptr &&
            (!diagnostics->fault || diagnostics->fault->code != fault_code::run_time_failure)) {
            found_fault failure = bare_fault(fault_code::run_time_failure);
            failure.failure = run_time_failure{fault.code(), fault.arguments()};
            report_fault(diagnostics, std::move(failure));
        }
    } catch (...) {
        remove_both(texts);
        throw;
    }
}

compile_outcome compila_scenario(run_state& state, std::int32_t j, description_source& texts,
                                 compile_diagnostics* diagnostics) {
    state.crea_geometria = j;
    state.codice_errore = 0;
    if (diagnostics != nullptr) {
        const bool checking = diagnostics->checking;
        *diagnostics = compile_diagnostics{};
        diagnostics->checking = checking;
    }
    // Tables of an earlier compile in the same state must not pass for this one's.
    state.celle.clear();
    state.geometria = geometria{};
    for (state.indice = 0; state.indice < k_testata_entries; ++state.indice) {
        state.testata[static_cast<std::size_t>(state.indice)] = voce{};
    }
    memorizza_dati(state, texts, diagnostics);

    compile_outcome outcome;
    outcome.cells_compiled = state.celle.size() > 1;
    if (!outcome.cells_compiled) return outcome;
    signal_spacing_pass(state, diagnostics);
    outcome.identity_fault = stamp_identity(state, diagnostics);
    return outcome;
}

}  // namespace scenario
