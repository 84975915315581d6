// memorizza_dati: the line pass, then the train pass, inside the recovery step that turns every
// run-time failure of either into error 25 and leaves no description text behind.
#include "compile/compiler.h"

#include <exception>

#include "compile/line_pass.h"
#include "compile/train_pass.h"

namespace scenario {
namespace {

constexpr std::int32_t k_run_time_failure = 25;

// A text that cannot be deleted here stays; the code is 25 all the same, and the run goes on
// to write what was compiled.
void remove_if_present(description_source& texts, description_text which) noexcept {
    try {
        if (texts.exists(which)) texts.remove(which);
    } catch (...) {
    }
}

void recover(run_state& state, description_source& texts, compile_diagnostics* diagnostics,
             const char* what) {
    remove_if_present(texts, description_text::line);
    remove_if_present(texts, description_text::train);
    state.codice_errore = k_run_time_failure;
    if (diagnostics != nullptr) diagnostics->fault_detail = what;
}

}  // namespace

void memorizza_dati(run_state& state, description_source& texts, compile_diagnostics* diagnostics) {
    try {
        const line_pass_result line = line_pass(state, texts, diagnostics);
        if (line.train_follows) train_pass(state, texts, line.prossimo_cartello, diagnostics);
    } catch (const std::exception& failure) {
        recover(state, texts, diagnostics, failure.what());
    } catch (...) {
        recover(state, texts, diagnostics, "unexpected run-time failure");
    }
}

}  // namespace scenario
