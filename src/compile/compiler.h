// The scenario compiler: the line and train passes over the two description texts, the signal
// spacing pass and the identity codes, up to (not including) the binary files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "compile/description_source.h"
#include "compile/item_reader.h"
#include "base/records.h"

namespace scenario {

// Where something was found in a description text.
struct text_position {
    description_text text = description_text::line;
    source_location where;
};

struct compile_warning {
    text_position at;
    std::string message;  // Italian, for scenario authors
};

// What an author needs beyond the recorded code: where the fault was found (the keyword item of
// the record that recorded the last code, or the place a run-time failure occurred) and the
// warnings the program itself never shows. Filling it never changes the compiled records.
struct compile_diagnostics {
    // A text full of mistakes must not cost memory in proportion: past this many warnings of one
    // text, the others are only counted.
    static constexpr std::size_t k_max_warnings_per_text = 100;

    bool fault_located = false;
    text_position fault;
    std::string fault_detail;  // the reader's own words for a run-time failure (error 25)
    std::vector<compile_warning> warnings;
    std::size_t warnings_kept[2] = {0, 0};     // for the line text and the train text
    std::size_t warnings_dropped[2] = {0, 0};  // beyond k_max_warnings_per_text
};

// Compiles the line text and then the train text into state.testata, state.celle and (when
// crea_geometria is nonzero) state.geometria, recording faults in codice_errore and
// posizione_errore and deleting the texts as it consumes them. Never throws a compile fault: a
// fault of the text ends the compile with error 25. A failure of the machine (file_error from the
// source, std::bad_alloc) deletes both texts and escapes to the caller.
void memorizza_dati(run_state& state, description_source& texts,
                    compile_diagnostics* diagnostics = nullptr);

struct compile_outcome {
    std::int32_t identity_fault = 0;  // 0, 1250 or 1251
    bool cells_compiled = false;      // false when the compile ended before the cell array existed

    bool writes_files() const { return identity_fault == 0 && cells_compiled; }
};

// The compile half of the compile-and-write step, over any pair of texts: clear the header
// table, compile, run the signal spacing pass and stamp the identity codes. When the compile ended
// before the cell array existed there is nothing to stamp: the pass and the codes are skipped.
compile_outcome compila_scenario(run_state& state, std::int32_t j, description_source& texts,
                                 compile_diagnostics* diagnostics = nullptr);

}  // namespace scenario
