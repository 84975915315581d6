#include "run/run_sequence.h"

#include <iostream>

#include "compile/identity.h"
#include "compile/signal_spacing.h"
#include "describe/descriptions.h"
#include "documents/crew_documents.h"
#include "output/binary_files.h"

namespace scenario {

compile_outcome compila_scenario(run_state& state, std::int32_t j, description_source& texts,
                                 compile_diagnostics* diagnostics) {
    state.crea_geometria = j;
    state.codice_errore = 0;
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
    signal_spacing_pass(state);
    outcome.identity_fault = stamp_identity(state);
    return outcome;
}

std::string error_text(std::string_view a) { return " Errore n. " + std::string(a); }

int Form1::Form_Load() {
    state.nome_linea = std::string(k_nome_linea);
    state.codice_treno = std::string(k_codice_treno);
    if (!state.scenario_directory) state.scenario_directory = platform::program_directory;
    if (interactive) window_.emplace();
    // One run at a time in a scenario directory: a second one waits here, its window showing.
    const platform::directory_lock lock(state.scenario_directory(), lock_patience);

    dati_linea(state);
    dati_treno(state);
    dati_note(state);
    dati_rallentamenti(state);
    dati_scheda(state);
    platform::flush_directory(state.scenario_directory());
    if (!memorizza_percorso(1)) return k_exit_identity_fault;
    return k_exit_ok;
}

bool Form1::memorizza_percorso(std::int32_t j) {
    // The run has just written both texts: one that cannot be read back is a failure of the
    // machine, not a fault of the text.
    file_descriptions texts(state);
    const compile_outcome outcome = compila_scenario(state, j, texts);
    if (outcome.identity_fault != 0) {
        errore(std::to_string(outcome.identity_fault));
        return false;
    }
    // A compile that ended before the cell array existed leaves the earlier scenario whole.
    if (outcome.writes_files()) scrivi_file_binari(state);
    return true;
}

void Form1::errore(const std::string& a) {
    if (interactive)
        platform::show_error_box(error_text(a));
    else
        std::cerr << error_text(a) << '\n';
}

}  // namespace scenario
