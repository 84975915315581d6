#include "base/fixed_text.h"

#include <algorithm>

#include "base/windows1252.h"

namespace scenario {

std::string render_fixed_text(std::span<const std::string_view> table, std::int32_t& indice) {
    std::string out;
    const std::size_t limit = std::min(table.size(), k_text_table_capacity);
    std::size_t i = 0;
    for (; i < limit; ++i) {
        indice = static_cast<std::int32_t>(i);
        if (table[i] == k_end_marker) return out;
        out += to_windows1252(table[i]);
        out += "\r\n";
    }
    // A table without its end marker ends at its last entry.
    indice = static_cast<std::int32_t>(i);
    return out;
}

}  // namespace scenario
