// The fixed-text form shared by the five text files of a scenario (two descriptions, three crew
// documents). A table holds the file's lines in order, closed by the end marker, which is never
// written; every line goes out in Windows-1252 followed by CR LF, with no byte-order mark.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>


namespace scenario {

inline constexpr std::string_view k_end_marker = "riferimento fine del file";
inline constexpr std::size_t k_text_table_capacity = 1001;

// The bytes of the file for a table of UTF-8 lines. `indice` ends on the index of the end marker
// (or one past the last entry of a table that lacks it).
std::string render_fixed_text(std::span<const std::string_view> table, std::int32_t& indice);

}  // namespace scenario
