#include "decompile/text_layout.h"

#include <algorithm>
#include <map>

#include "compile/item_reader.h"

namespace scenario::tool {
namespace {

constexpr std::string_view k_line_end = "\r\n";

// A value is a number when the reader takes it as one: it is right-aligned in its column. Text
// items stand last in their record and are left as they are.
bool is_number(std::string_view value) {
    if (value.empty()) return false;
    std::size_t i = value[0] == '-' ? 1 : 0;
    if (i == value.size()) return false;
    for (; i < value.size(); ++i) {
        if (value[i] < '0' || value[i] > '9') return false;
    }
    return true;
}

}  // namespace

std::string number(std::int64_t value) { return std::to_string(value); }

std::optional<std::string> text_item(std::string_view name) {
    if (name.find_first_of("\r\n") != std::string_view::npos) return std::nullopt;
    const bool needs_quotes = name.empty() || is_blank(name.front()) || is_blank(name.back()) ||
                              name.find(',') != std::string_view::npos;
    const bool has_quote = name.find('"') != std::string_view::npos;
    if (has_quote && (needs_quotes || name.front() == '"')) return std::nullopt;
    if (needs_quotes) return "\"" + std::string(name) + "\"";
    return std::string(name);
}

std::string render_text(const std::vector<written_section>& sections, std::string_view closing) {
    std::string out;
    for (const written_section& section : sections) {
        out += section.header;
        out += k_line_end;
        // The keywords share one column in a section; the values line up among the records of
        // one shape (as many values).
        std::size_t keyword_width = 0;
        std::map<std::size_t, std::vector<std::size_t>> widths_of;
        for (const written_record& r : section.records) {
            keyword_width = std::max(keyword_width, r.keyword.size());
            std::vector<std::size_t>& widths = widths_of[r.values.size()];
            if (widths.size() < r.values.size()) widths.resize(r.values.size(), 0);
            for (std::size_t i = 0; i < r.values.size(); ++i) {
                if (is_number(r.values[i])) widths[i] = std::max(widths[i], r.values[i].size());
            }
        }
        for (const written_record& r : section.records) {
            const std::vector<std::size_t>& widths = widths_of[r.values.size()];
            std::string line = r.keyword + ",";
            line.append(keyword_width - r.keyword.size(), ' ');
            for (std::size_t i = 0; i < r.values.size(); ++i) {
                const std::string& v = r.values[i];
                line += i == 0 ? " " : ", ";
                if (is_number(v)) line.append(widths[i] - v.size(), ' ');
                line += v;
            }
            out += line;
            out += k_line_end;
        }
    }
    out += closing;
    out += k_line_end;
    return out;
}

}  // namespace scenario::tool
