// The fixed order of one run: the five text writers, then the compile-and-write step.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/exit_status.h"
#include "compile/compiler.h"
#include "base/records.h"
#include "platform/platform.h"

namespace scenario {

inline constexpr std::string_view k_nome_linea = "Metrò 2 - Zelnor";
inline constexpr std::string_view k_codice_treno = "26BRUNVICCO";

// The error report text for a code: " Errore n. " followed by the code.
std::string error_text(std::string_view a);

// The window object: it owns the run state and the waiting window for the length of the run.
class Form1 {
   public:
    // The whole run, holding the scenario directory's lock; returns the program's exit status.
    // File failures escape as platform::file_error, memory exhaustion as std::bad_alloc.
    int Form_Load();

    // Compile and write, then one flush of the scenario directory for the whole run; false when
    // errore ended the run. A failure of the machine (a text that cannot be read back, memory
    // exhausted, a file that cannot be written) escapes as an exception, and no binary file of
    // this run replaces an earlier one.
    bool memorizza_percorso(std::int32_t j);

    // Shows the error report for the code `a`.
    void errore(const std::string& a);

    run_state state;
    // False in the tests: no window, and the error report goes to standard error only.
    bool interactive = true;
    // How long the run waits for another run writing in the same directory.
    std::chrono::milliseconds lock_patience = platform::k_lock_patience;

   private:
    std::optional<platform::waiting_window> window_;
};

}  // namespace scenario
