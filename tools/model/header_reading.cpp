#include "model/header_reading.h"

namespace scenario::tool {

bool holds_only_text(const voce& v) {
    voce text_only;
    text_only.v_nome = v.v_nome;
    return !v.v_nome.empty() && v == text_only;
}

header_layout layout_of(const testata& header) {
    header_layout layout;
    while (layout.first_sign > 1 &&
           holds_only_text(header[static_cast<std::size_t>(layout.first_sign - 1)])) {
        --layout.first_sign;
    }
    for (int e = 1; e < layout.first_sign; ++e) {
        if (!(header[static_cast<std::size_t>(e)] == voce{})) layout.last_station = e;
    }
    return layout;
}

}  // namespace scenario::tool
