// The train half of memorizza_dati: reads the train description text, fills the station entries,
// the train's header values and the train's fields of the cells, places signals and slow orders,
// and deletes the text on every way out.
#pragma once

#include <cstdint>

#include "compile/compiler.h"

namespace scenario {

// Runs after the line pass has finished (at the end of its text or after its soft stop 15).
// `prossimo_cartello` is the next header entry free for a sign text, as the line pass left it.
// A run-time failure escapes as an exception; memorizza_dati turns it into error 25.
void train_pass(run_state& state, description_source& texts, std::int32_t prossimo_cartello,
                compile_diagnostics* diagnostics);

}  // namespace scenario
