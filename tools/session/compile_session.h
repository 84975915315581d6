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
#include "compile/compiler.h"
#include "compile/description_source.h"
#include "cli/command_line.h"
#include "report/compile_report.h"
#include "report/messages.h"

namespace scenario::tool {

// Which scenario to compile: the folder of its texts and the names that make the file names.
struct scenario_request {
    std::string dir_word;  // DIR as typed, for the names in diagnostics
    std::filesystem::path dir;
    std::filesystem::path out_dir;  // where the binary set goes, when it is written
    std::string line;               // NAME, UTF-8
    std::string train;              // CODE, UTF-8
    bool geometry = true;
};

// The options every compiling subcommand shares: DIR --line NAME --train CODE [--out OUTDIR].
// `valued` and `bare` name the subcommand's further options; its parsed words come back in
// `parsed`.
scenario_request parse_scenario_request(arguments args, std::string_view command,
                                        std::set<std::string> valued, std::set<std::string> bare,
                                        parsed_arguments& parsed);

// DIR must be a folder; throws tool_failure ("cartella non trovata") when it is not.
void require_directory(const std::filesystem::path& dir);

// The file names of the request's two texts in DIR: NAME_linea.txt and NAME_CODE-.txt.
struct text_names {
    std::string line;
    std::string train;
};
text_names scenario_text_names(const scenario_request& request);

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

// Writes the binary set of a compile into its OUTDIR, one writer at a time, and returns the
// names of the files written; throws tool_failure when they cannot be written.
std::vector<std::string> write_binary_set(const compiled_scenario& compiled);

}  // namespace scenario::tool
