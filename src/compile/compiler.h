// The scenario compiler: the line and train passes over the two description texts, the signal
// spacing pass and the identity codes, up to (not including) the binary files.
#pragma once

#include <cstdint>

#include "base/records.h"
#include "compile/description_source.h"
#include "compile/diagnostics.h"

namespace scenario {

// Compiles the line text and then the train text into state.testata, state.celle and (when
// crea_geometria is nonzero) state.geometria, recording faults in codice_errore and
// posizione_errore and deleting the texts as it consumes them. Never throws a compile fault: a
// fault of the text ends the compile with error 25. A failure of the machine (file_error from the
// source, std::bad_alloc) deletes both texts and escapes to the caller.
void memorizza_dati(run_state& state, description_source& texts,
                    compile_diagnostics* diagnostics = nullptr);

struct compile_outcome {
    std::int32_t identity_fault = 0;  // 0, or the value of identity_marker or identity_code
    bool cells_compiled = false;      // false when the compile ended before the cell array existed

    bool writes_files() const { return identity_fault == 0 && cells_compiled; }
};

// The compile half of the compile-and-write step, over any pair of texts: clear the header
// table, compile, run the signal spacing pass and stamp the identity codes. When the compile ended
// before the cell array existed there is nothing to stamp: the pass and the codes are skipped.
compile_outcome compila_scenario(run_state& state, std::int32_t j, description_source& texts,
                                 compile_diagnostics* diagnostics = nullptr);

}  // namespace scenario
