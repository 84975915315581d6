// The readable views of the three binary files that `scenario-tool dump` prints, as text or as
// JSON. The records come from output/binary_readers; nothing here reads a file.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "base/records.h"
#include "cli/json.h"
#include "model/header_reading.h"
#include "output/binary_readers.h"

namespace scenario::tool {

// The header table: the stations by number and name with their platform and the other items of
// their record, the sign texts in the order of their records, and the scalar entries 81 to 86
// under the names of the records that fill them, each with its raw entry and field; with `all`
// every entry with every field.
void dump_header_text(const testata& header, bool all, std::ostream& out);
json dump_header_json(const testata& header);

// The cells: where the route ends, every feature with the metre its record named, the stretch
// of its cell and its values as the items of its record, the fills as runs of cells, and the
// approach marks with the signal or stop that laid each. The header table, when it is at hand,
// names the stations and signs the cells point to, gives a stop its station's position and gives
// the route's length (without it the cell count gives the length to within 25 m).
void dump_cells_text(const celle& cells, const std::optional<testata>& header, bool all,
                     std::ostream& out);
// The JSON view is written a member at a time (json_object_writer): the longest route's cells
// are never held as one document.
void dump_cells_json(const celle& cells, const std::optional<testata>& header, bool all,
                     std::ostream& out);

// A geometry file verifica_geometria has accepted, read a block at a time: the longest route's
// file is never held whole, nor its table of points.
struct plan_file {
    const byte_source& bytes;
    geometry_layout layout;
};

// The geometry as a summary, and with `all` every point, written as the file is walked (the
// summary first, from a walk of its own).
void dump_geometry_text(const plan_file& plan, bool all, std::ostream& out);
void dump_geometry_json(const plan_file& plan, bool all, std::ostream& out);

// An identity code held against the line name (entry 85) and the train code (entry 86) of a
// header table: the code the compiler computes from them, and whether the held one is it.
// Nothing when either name is missing.
struct identity_check {
    std::int32_t expected = 0;
    bool matches = false;
};
enum class identity_code { header_weighted, cell_sum };  // entry 85 v_l, cell 1 val2
std::optional<identity_check> check_identity(const testata& header, identity_code which,
                                             std::int32_t held);
// " (corrisponde a ...)" and the like, to follow the code in the text view; empty for nothing.
std::string identity_note(const std::optional<identity_check>& check);
// The value of the member "identita": the code held, the one expected and whether they match,
// or null.
json identity_json(std::int32_t held, const std::optional<identity_check>& check);

// A double with two decimals, as the summaries show coordinates.
std::string fixed2(double value);

}  // namespace scenario::tool
