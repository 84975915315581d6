// From the three binary files of a compiled scenario back to the two description texts that
// compile to the very same bytes.
//
// What the compiler derives is never written as a record: the signal spacing pass's marks, the
// approach marks, the fills along the track, the identity codes, the header fields computed from
// records. Each record is written at a metre of the cell its feature lies on; curves come from
// the traced geometry itself (every metre is one of a few exact turns); gradients, speed limits
// and adhesion from the cells. The texts are then compiled and held against the files: texts are
// called exact only when every byte agrees, and every byte that does not is named.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/records.h"
#include "base/scenario_files.h"
#include "output/binary_readers.h"

namespace scenario::tool {

// The files of one compiled scenario, read and checked; `plan` is absent for a set compiled
// without geometry. The bytes are the files' own, to hold the compiled texts against.
struct binary_set_read {
    testata header;
    celle cells;
    std::string header_bytes;
    std::string cell_bytes;
    std::string plan_bytes;
    // The plan, when there is one: read straight from its bytes when it has the shape of every
    // seeded plan (the longest route's is never held twice), else as a table (a plan the
    // compile never seeded).
    std::optional<seeded_plan_image> plan_image;
    std::optional<geometria> plan;

    bool has_plan() const { return plan_image.has_value() || plan.has_value(); }
    std::int32_t plan_last_metre() const {
        return plan_image ? plan_image->last_metre : plan ? plan->last_metre() : -1;
    }
};

// A place in the files that the texts do not give: the file, the byte offset, what lies there
// (a cell and its field, an entry and its field, a metre and its coordinate) and why.
struct file_place {
    file_kind file = file_kind::cells;
    std::size_t offset = 0;
    std::size_t length = 1;  // the bytes from offset that differ alike
    std::string where;
    std::string why;
};

struct decompiled {
    std::string line_text;   // Windows-1252, CR LF
    std::string train_text;  // Windows-1252, CR LF
    bool exact = false;      // the texts compile to every byte of the files
    // Values the files do not keep, written as the program itself writes them.
    std::vector<std::string> notes;
    // The files come from a compile that stopped at a fault: what the texts end with.
    std::optional<std::string> stopped;
    // Places no text can give, found by reading the files (a hand edit), each with its reason;
    // then every byte the compiled texts give otherwise, with the value each side holds.
    std::vector<file_place> places;
};

// Texts for the scenario NAME (line) and CODE (train), whose names the files must carry.
decompiled decompile_tables(const binary_set_read& files, const std::string& line,
                            const std::string& train);

// Where a byte offset lies in one of the three files, in the records' words: "cella 36, val1",
// "voce 85 (linea), v_l", "metro 2400, coordinata 0".
std::string place_in_file(file_kind file, std::string_view bytes, std::size_t offset);

}  // namespace scenario::tool
