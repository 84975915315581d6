#include "model/header_reading.h"

#include <string_view>

#include "base/windows1252.h"

namespace scenario::tool {
namespace {

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return "";
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

}  // namespace

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

std::string entry_text(const testata& header, std::int16_t entry) {
    if (entry < 1 || entry >= k_testata_entries) return "";
    const std::string text = from_windows1252(header[static_cast<std::size_t>(entry)].v_nome);
    if (text.empty() || text.front() != '(') return trimmed(text);
    // A sign's lines, each between brackets.
    std::string lines;
    std::size_t at = 0;
    while ((at = text.find('(', at)) != std::string::npos) {
        const std::size_t close = text.find(')', at);
        const std::string line = trimmed(std::string_view(text).substr(
            at + 1, (close == std::string::npos ? text.size() : close) - at - 1));
        if (!line.empty()) lines += (lines.empty() ? "" : " / ") + line;
        if (close == std::string::npos) break;
        at = close + 1;
    }
    return lines;
}

}  // namespace scenario::tool
