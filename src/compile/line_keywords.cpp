// Classification of the items of the line text. The record tests are substring tests, as in the
// pass itself; they must stay in step with the tests the pass makes before reading a record.
#include "compile/line_keywords.h"

#include "compile/compile_support.h"

namespace scenario {

bool generale_keyword(std::string_view item) {
    const auto exact = [&](std::string_view key) { return contains_exact(item, key); };
    return (contains_any_case(item, "lunghezza") && contains_any_case(item, "percorso")) ||
           (exact("progressiva") && (exact("tre") || exact("due") || exact("uno"))) ||
           (exact("sfondo") && (exact("uno") || exact("due") || exact("tre"))) ||
           (exact("segnali") && exact("ripetizione"));
}

bool feature_keyword(std::string_view item) {
    const auto has = [&](std::string_view key) { return contains_any_case(item, key); };
    return has("pendenza") || has("curva") || has("montagna") || has("indicatori_v") ||
           (has("cartello") && has("indicat"));
}

bool ends_generale(std::string_view item) {
    const std::size_t first = item.find_first_not_of(" \t");
    const bool dashed = first != std::string_view::npos && item[first] == '-';
    return is_section_header(item) && !dashed;
}

}  // namespace scenario
