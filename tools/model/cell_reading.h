// The cells read back in the author's terms: where the route ends, the metre a record named for
// each cell with the stretch the cell stands for, the record items the value fields hold, which
// signal or stop laid each approach mark. The meanings come from the tables of base/cell_kinds.h
// and the rule of base/positions.h; the line model (line_model.h) gathers them for its readers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/cell_kinds.h"
#include "base/positions.h"
#include "base/records.h"

namespace scenario::tool {

// Where the route ends and the run-off past it begins.
struct route_end {
    std::int64_t length = 0;   // metres
    bool from_header = false;  // entry 84's "lunghezza percorso"; else read from the cell count
    std::int64_t first_run_off_cell = 0;  // the cell whose stretch holds the route's end
    std::int64_t last_cell = 0;
};
route_end route_end_of(const celle& cells, const testata* header);

// Whether a cell holds a mark of the value the signal spacing pass lays: the pass, not a record,
// may have put it there.
bool spacing_mark(const cella& c);

// The metre the record that laid the cell named: a point feature's position, a fill's start, a
// station's position (from the header table; nothing without it). Nothing for the cells no
// record names (approach cells, scenery marks, plain track) nor for the marks of the signal
// spacing pass.
std::optional<std::int64_t> named_metre(const cella& c, std::size_t n, const testata* header);

// One item of a record, read back from a cell.
struct record_item {
    std::string_view name;  // "s1"
    std::int32_t value = 0;
    value_code code = value_code::number;
};
// The items the cell's fields hold, in the record's order; nothing when a field holds a value
// the record cannot have given.
std::optional<std::vector<record_item>> record_items(const cella& c);

// The speed a speed board shows first (the first side of its first pair, "vas"), in km/h;
// nothing for another kind, or a word no record writes.
std::optional<std::int32_t> first_board_speed(const cella& c);

// "s1 3", "v 30 km/h", "d_v sì"; the header entry of a station or sign as its number.
std::string item_text(const record_item& item);
// The value alone: "3", "30 km/h".
std::string item_value_text(const record_item& item);

// An approach mark and the features that could have laid it.
struct approach_mark_reading {
    std::size_t cell = 0;
    std::uint8_t mark = 0;
    int j = 0;                        // the mark's number, 1 nearest the feature
    std::vector<std::size_t> owners;  // the cells of the signals or stops that lay this mark
};
// Every cell with a mark, front to back. A mark j on cell k belongs to a signal on cell k + 2j
// or a stop on cell k + j that lays that very mark (a signal with both sides at 2 lays 81 to 84,
// as a stop does, so a mark may have two owners); a mark no feature lays has none, as when
// another feature's mark was written over it.
std::vector<approach_mark_reading> approach_marks_of(const celle& cells);

// The cells of the marks a feature laid, nearest first.
std::vector<std::size_t> marks_laid_by(const std::vector<approach_mark_reading>& marks,
                                       std::size_t owner);

}  // namespace scenario::tool
