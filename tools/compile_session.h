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
#include "json.h"
#include "messages.h"
#include "tool.h"

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

// The records of one text that did not reach the compiled tables: where reading stopped, the
// last line holding a record, and how many records of each kind there were from there on.
struct records_not_compiled {
    std::string file;
    std::int32_t first_line = 0;
    std::int32_t last_line = 0;
    std::vector<std::pair<std::string, std::size_t>> counts;  // "segnali", 7 (in text order)
};

// What one compile amounts to, for the author: the route and its features as compiled, and how
// many faults and warnings were told.
struct compile_summary {
    std::int32_t route_length = 0;  // metres
    std::size_t stations = 0;
    std::size_t signals = 0;
    std::size_t slow_orders = 0;
    std::size_t signs = 0;  // information signs and speed boards
    std::size_t faults = 0;
    std::size_t warnings = 0;
};

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

    // The recorded fault and the identity fault first (`recorded`), then every other fault the
    // checking compile found, in text order.
    std::vector<fault_report> faults;
    std::vector<located_message> warnings;
    std::vector<records_not_compiled> not_compiled;
    compile_summary summary;

    compile_inputs inputs() const;
    compile_inputs checked_inputs() const;
    // The tool's exit status for this compile (0, 1 or 2).
    int status() const;
};

// Reads and compiles the texts the request names; throws tool_failure when DIR is not a folder.
std::unique_ptr<compiled_scenario> compile_scenario_texts(const scenario_request& request);

// The faults (recorded first), the warnings with their notes, the records that did not reach the
// files, on io.err; the summary and the files written on io.out.
void print_compile_report(const compiled_scenario& compiled, const std::vector<std::string>& files,
                          streams io);
// The same as one JSON document: "codice_errore" and its place (the code the program records),
// "errori" and "warnings" (each with "notes"), "non_compilati", "riepilogo", "files".
json compile_report_json(const compiled_scenario& compiled, const std::vector<std::string>& files);
// The faults, the warnings and the records that did not reach the files, as print_compile_report
// puts them on io.err.
void print_diagnostics(const compiled_scenario& compiled, std::ostream& err);

// Writes the binary set of a compile into its OUTDIR, one writer at a time, and returns the
// names of the files written; throws tool_failure when they cannot be written.
std::vector<std::string> write_binary_set(const compiled_scenario& compiled);

}  // namespace scenario::tool
