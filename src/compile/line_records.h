// The records of the line text in one keyword table: those of the general section, then those
// after it. The line pass runs them through the record scanner; each section's rows are in the
// order their tests are made.
#pragma once

#include <array>
#include <span>
#include <string_view>

#include "compile/compile_support.h"
#include "compile/record_scanner.h"

namespace scenario {

inline constexpr keyword_row line_row(std::string_view first, std::string_view second,
                                      keyword_case match, record_kind kind) {
    return {first, second, match, kind};
}

// The records of the line text, each section's in the order its tests are made; an item that
// passes several tests runs each record. Curves count even when no geometry is built: their
// records are passed over then by design.
inline constexpr std::array k_line_records = {
    // [generale]
    line_row("lunghezza", "percorso", keyword_case::any, record_kind::route_length),
    line_row("tre", "progressiva", keyword_case::exact, record_kind::progressive_tre),
    line_row("due", "progressiva", keyword_case::exact, record_kind::progressive_due),
    line_row("uno", "progressiva", keyword_case::exact, record_kind::progressive_uno),
    line_row("sfondo", "uno", keyword_case::exact, record_kind::sfondo_uno),
    line_row("sfondo", "due", keyword_case::exact, record_kind::sfondo_due),
    line_row("sfondo", "tre", keyword_case::exact, record_kind::sfondo_tre),
    line_row("segnali", "ripetizione", keyword_case::exact, record_kind::repetition),
    // after [generale]
    line_row("pendenza", "", keyword_case::any, record_kind::gradient),
    line_row("curva", "", keyword_case::any, record_kind::curve),
    line_row("montagna", "", keyword_case::any, record_kind::mountain),
    line_row("indicatori_v", "", keyword_case::any, record_kind::speed_board),
    line_row("cartello", "indicat", keyword_case::any, record_kind::sign),
};
inline constexpr std::size_t k_generale_row_count = 8;
static_assert(k_line_records[k_generale_row_count].record == record_kind::gradient,
              "the feature records follow those of [generale]");
inline constexpr std::span<const keyword_row> k_generale_rows =
    std::span(k_line_records).first(k_generale_row_count);
inline constexpr std::span<const keyword_row> k_feature_rows =
    std::span(k_line_records).subspan(k_generale_row_count);

// The header that closes the general section; an item beginning with "-" is never one.
inline bool ends_generale(std::string_view item) {
    const std::size_t first = item.find_first_not_of(" \t");
    const bool dashed = first != std::string_view::npos && item[first] == '-';
    return is_section_header(item) && !dashed;
}

}  // namespace scenario
