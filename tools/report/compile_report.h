// What one compile tells the author, as data, and its two printed forms: lines the way compilers
// write them (faults and warnings on standard error, the summary and the files written on
// standard output), or one JSON document.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/record_kinds.h"
#include "cli/command_line.h"
#include "cli/json.h"
#include "report/messages.h"

namespace scenario::tool {

// The records of one text that did not reach the compiled tables: where reading stopped, the
// last line holding a record, and how many records of each kind there were from there on.
struct records_not_compiled {
    std::string file;
    std::int32_t first_line = 0;
    std::int32_t last_line = 0;
    std::vector<std::pair<record_kind, std::size_t>> counts;  // kind and number, in text order
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

struct compile_report {
    std::vector<fault_report> faults;  // the recorded fault first, then in text order
    std::vector<located_message> warnings;
    std::vector<records_not_compiled> not_compiled;
    compile_summary summary;
};

// A fault's words as every front-end shows them: the recorded one marked "[codice registrato]".
std::string fault_text(const fault_report& fault);
// "righe 12-40 non compilate: 3 segnali, 1 stazione".
std::string not_compiled_text(const records_not_compiled& skipped);

// "3 segnali", "1 stazione": n records of a kind.
std::string counted_records(record_kind kind, std::size_t n);

// The faults, the warnings with their notes, the records that did not reach the files, on err.
void print_diagnostics(const compile_report& report, std::ostream& err);
// The diagnostics on io.err; the summary and the files written on io.out.
void print_compile_report(const compile_report& report, const std::vector<std::string>& files,
                          streams io);
// The same as one JSON document: "codice_errore" and its place (the code the program records),
// "errori" and "warnings" (each with "notes"), "non_compilati", "riepilogo", "files".
json compile_report_json(const compile_report& report, const std::vector<std::string>& files);

}  // namespace scenario::tool
