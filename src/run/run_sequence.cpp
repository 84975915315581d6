#include "run/run_sequence.h"

#include "describe/descriptions.h"
#include "documents/crew_documents.h"
#include "output/binary_files.h"
#include "run/file_descriptions.h"

namespace scenario {

std::string error_text(std::string_view a) { return " Errore n. " + std::string(a); }

int Form1::Form_Load() {
    state.nome_linea = std::string(k_nome_linea);
    state.codice_treno = std::string(k_codice_treno);
    if (!state.scenario_directory) state.scenario_directory = platform::program_directory;
    if (interactive) window_.emplace();
    // One run at a time in a scenario directory: a second one waits here, its window showing.
    const platform::directory_lock lock(state.scenario_directory(), lock_patience);

    // The directory is flushed once, after the last rename and the deletion of the two texts,
    // still under the lock: memorizza_percorso does it on its ways out, and a failure on the way
    // does it here before it goes on to its report.
    try {
        dati_linea(state);
        dati_treno(state);
        dati_note(state);
        dati_rallentamenti(state);
        dati_scheda(state);
        if (!memorizza_percorso(1)) return k_exit_identity_fault;
    } catch (...) {
        platform::flush_directory_after_failure(state.scenario_directory());
        throw;
    }
    return k_exit_ok;
}

bool Form1::memorizza_percorso(std::int32_t j) {
    // The run has just written both texts: one that cannot be read back is a failure of the
    // machine, not a fault of the text.
    file_descriptions texts(state);
    const compile_outcome outcome = compila_scenario(state, j, texts);
    // A compile that ended before the cell array existed leaves the earlier scenario whole.
    if (outcome.writes_files()) scrivi_file_binari(state, directory_flush::by_caller);
    // The run's renames and deletions are durable before the error box waits for its OK.
    platform::flush_directory(state.scenario_directory());
    if (outcome.identity_fault != 0) {
        errore(std::to_string(outcome.identity_fault));
        return false;
    }
    return true;
}

void Form1::errore(const std::string& a) {
    if (interactive)
        platform::show_error_box(error_text(a));
    else
        platform::write_error_line(error_text(a));
}

}  // namespace scenario
