// The readable views of the three binary files that `scenario-tool dump` prints, as text or as
// JSON. The records come from output/binary_readers; nothing here reads a file.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "compile/records.h"
#include "json.h"

namespace scenario::tool {

// The header table: stations, sign texts and the scalar entries 81 to 86 by their names, and
// with `all` every entry with every field.
void dump_header_text(const testata& header, bool all, std::ostream& out);
void dump_header_json(const testata& header, json_writer& json);

// The cells grouped by what they hold. The header table, when it is at hand, names the stations
// and signs the cells point to.
void dump_cells_text(const celle& cells, const std::optional<testata>& header, bool all,
                     std::ostream& out);
void dump_cells_json(const celle& cells, const std::optional<testata>& header, bool all,
                     json_writer& json);

// The geometry as a summary, and with `all` every point.
void dump_geometry_text(const geometria& plan, bool all, std::ostream& out);
void dump_geometry_json(const geometria& plan, bool all, json_writer& json);

// A double with two decimals, as the summaries show coordinates.
std::string fixed2(double value);

// Which entries of a header table hold stations and which hold sign texts: stations fill 1, 2,
// 3, ... and signs 80, 79, ... (a sign entry holds nothing but its text).
struct header_layout {
    int first_sign = 81;   // the lowest sign entry; 81 when there is none
    int last_station = 0;  // the highest non-empty entry below first_sign; 0 when none
};
header_layout layout_of(const testata& header);

}  // namespace scenario::tool
