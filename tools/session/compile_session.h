// One compile of an author's two description texts, as `compile`, `view` and `watch` all do it:
// the texts read from the author's folder (never changed), compiled in memory with the program's
// own compiler, and everything an author is told about them worked out before anything is
// written.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/records.h"
#include "cli/command_line.h"
#include "compile/compiler.h"
#include "compile/description_source.h"
#include "report/compile_report.h"
#include "report/messages.h"
#include "session/scenario_request.h"

namespace scenario::tool {

// The result of one compile. Not movable: the diagnostics and the messages refer to the texts
// and the state it holds.
struct compiled_scenario {
    run_state state;
    std::unique_ptr<memory_descriptions> texts;
    compile_diagnostics diagnostics;
    compile_outcome outcome;
    std::string line_label;   // DIR/NAME_linea.txt as the author would type it
    std::string train_label;  // DIR/NAME_CODE-.txt
    // The author's checking compile of the same texts: every fault and warning of both texts,
    // found on a state of its own that is never written.
    run_state checked_state;
    compile_diagnostics checked;

    // What the author is told: the recorded fault and the identity fault first (`recorded`),
    // then every other fault the checking compile found, in text order; the warnings; the
    // records that did not reach the files; the summary.
    compile_report report;

    compile_inputs inputs() const;
    compile_inputs checked_inputs() const;
    // The tool's exit status for this compile (0, 1 or 2).
    int status() const;
};

// Reads and compiles the texts the request names; throws tool_failure when DIR is not a folder.
std::unique_ptr<compiled_scenario> compile_scenario_texts(const scenario_request& request);

// The two texts of a scenario as they stand elsewhere (an editor's unsaved contents, say): each
// absent when there is no such text, with the names its diagnostics give it.
struct scenario_texts {
    std::optional<std::string> line;
    std::optional<std::string> train;
    std::string line_label;
    std::string train_label;
};

// Compiles texts given whole, for the scenario NAME and CODE; nothing is read or written.
std::unique_ptr<compiled_scenario> compile_given_texts(scenario_texts texts,
                                                       const std::string& line,
                                                       const std::string& train, bool geometry);

}  // namespace scenario::tool
