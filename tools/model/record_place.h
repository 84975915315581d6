// Where the record that made something stands in its text, as the model carries it: nothing
// without a compile, or when no record made it (the marks of the signal spacing pass, the cells
// a fill leaves at its default).
#pragma once

#include <optional>

#include "compile/compiler.h"

namespace scenario::tool {

using record_place = std::optional<text_position>;

}  // namespace scenario::tool
