// The tool's --json views are built as nlohmann-json documents: objects keep their members in
// the order they were added, and a document goes out compact, on one line. Texts must be UTF-8;
// a byte that is not valid UTF-8 is written as U+FFFD, so the output is always valid JSON. Names
// held as Windows-1252 bytes go through windows1252_json first.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string_view>

#include "base/windows1252.h"

namespace scenario::tool {

using json = nlohmann::ordered_json;

// One document on one line, then a line end.
inline void write_json(std::ostream& out, const json& document) {
    out << document.dump(-1, ' ', false, json::error_handler_t::replace) << '\n';
}

// A text held as Windows-1252 bytes.
inline json windows1252_json(std::string_view bytes) { return from_windows1252(bytes); }

// The value, or null when there is none.
template <typename T>
json value_or_null(const std::optional<T>& value) {
    return value ? json(*value) : json(nullptr);
}

}  // namespace scenario::tool
