// Small helpers shared by the line and train passes: keyword tests on Windows-1252 items, the
// rounding every conversion uses, and the warnings collected for scenario authors.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/positions.h"
#include "compile/compiler.h"

namespace scenario {

// Whether the item contains the key anywhere, ignoring case (accented letters included).
bool contains_any_case(std::string_view item, std::string_view key);
// Whether the item contains the key anywhere, with case.
bool contains_exact(std::string_view item, std::string_view key);

// "[" and "]" anywhere in the item: a section header.
bool is_section_header(std::string_view item);

// An optionally signed run of digits: a value item standing on its own.
bool is_whole_number(std::string_view item);

// A value that must fit a signed 16-bit word, or a run-time failure of the compile.
std::int16_t checked_integer(double value);

// The result of whole-number arithmetic done in 64 bits, which must fit a signed 32-bit Long, or a
// run-time failure of the compile.
std::int32_t checked_long(std::int64_t value);

// Whether a record at `position` that needs `room` metres past it lies beyond the cells 0 to
// `last_cell` (beyond_cells of base/positions.h); a sum outside 32 bits is a run-time failure of
// the compile, like every other Long sum.
bool record_beyond_cells(std::int32_t position, std::int32_t room, std::int64_t last_cell);

// Records a warning when diagnostics are being collected.
void warn(compile_diagnostics* diagnostics, description_text text, source_location at,
          std::string message);

// Records where the fault that set the current code was found.
void locate_fault(compile_diagnostics* diagnostics, description_text text, source_location at);

}  // namespace scenario
