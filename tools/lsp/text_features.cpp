#include "lsp/text_features.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "base/cell_kinds.h"
#include "base/header_fields.h"
#include "base/positions.h"
#include "base/record_kinds.h"
#include "base/windows1252.h"
#include "compile/compile_support.h"
#include "compile/item_reader.h"
#include "compile/line_records.h"
#include "compile/train_records.h"
#include "model/cell_words.h"
#include "session/compile_session.h"

namespace scenario::tool {
namespace {

// The protocol's kinds of symbol and completion item that the texts use.
constexpr int k_symbol_namespace = 3;
constexpr int k_symbol_class = 5;
constexpr int k_symbol_constant = 14;
constexpr int k_symbol_event = 24;
constexpr int k_completion_keyword = 14;
constexpr int k_insert_snippet = 2;
constexpr int k_insert_plain = 1;

// Where an item of a line begins and ends, in bytes of the line.
struct line_item {
    std::size_t from = 0, to = 0;
};

// The item that begins at a compiler's column (characters of the saved text, from 1): up to the
// next comma or the line's end, blanks before that left out. Nothing past the line's end.
std::optional<line_item> item_in_line(std::string_view content, std::int32_t column) {
    std::size_t byte = 0;
    for (std::int32_t n = 1; n < column; ++n) {
        if (byte >= content.size()) return std::nullopt;
        next_utf8_code_point(content, byte);
    }
    std::size_t end = content.find(',', byte);
    if (end == std::string_view::npos) end = content.size();
    while (end > byte && (content[end - 1] == ' ' || content[end - 1] == '\t')) --end;
    return line_item{byte, end};
}

bool is_header(std::string_view line) {
    const std::string_view t = without_blanks(line);
    return t.starts_with('[') && t.find(']') != std::string_view::npos;
}

json range_json(const text_point& from, const text_point& to) {
    return {{"start", point_json(from)}, {"end", point_json(to)}};
}

// A whole line of the text, as a range.
json line_range(const editor_text& text, std::size_t line, position_encoding encoding) {
    const std::size_t length = text.characters_before(line, SIZE_MAX);
    return range_json({static_cast<std::int64_t>(line), 0}, text.point_at(line, length, encoding));
}

std::string metres_text(double m) {
    if (m == std::floor(m)) return std::to_string(static_cast<long long>(m)) + " m";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f m", m);
    return buffer;
}

// The text value a record ends with (a station's name, a sign's text): the item after the
// numbers the record read, counted from its keyword on its line.
std::string text_value(const editor_text& text, const source_location& at, std::size_t numbers) {
    std::string_view content = text.line(static_cast<std::size_t>(at.line - 1));
    std::size_t byte = 0;
    for (std::int32_t n = 1; n < at.column && byte < content.size(); ++n) {
        next_utf8_code_point(content, byte);
    }
    content.remove_prefix(byte);
    for (std::size_t n = 0; n <= numbers; ++n) {
        const std::size_t comma = content.find(',');
        if (comma == std::string_view::npos) return std::string(without_blanks(content));
        content.remove_prefix(comma + 1);
    }
    return std::string(without_blanks(content.substr(0, content.find(','))));
}

bool has_text_value(record_kind kind) {
    return kind == record_kind::station || kind == record_kind::sign;
}

// The record under the cursor: of those whose keyword stands on its line, the last one that
// begins at or before it (a line may hold several records).
const compiled_record* record_at_point(const text_view& view, text_point at) {
    if (view.features == nullptr) return nullptr;
    const std::int32_t line = static_cast<std::int32_t>(at.line + 1);
    const std::size_t cursor = view.text.characters_before(
        static_cast<std::size_t>(at.line), view.text.offset_of(at, view.encoding));
    const compiled_record* found = nullptr;
    for (const compiled_record* r = view.features->checked_records.on_line(view.kind, line);
         r != nullptr; ++r) {
        const auto& all = view.features->compiled->checked.records;
        if (r == all.data() + all.size() || r->at.text != view.kind || r->at.where.line != line) {
            break;
        }
        if (found != nullptr && static_cast<std::size_t>(r->at.where.column - 1) > cursor) break;
        found = r;
    }
    return found;
}

// "posizione 1750, sx 2, ...": the values read, named in the record's order.
std::string named_values(const text_view& view, const compiled_record& r) {
    const auto names = describe(r.kind).values;
    std::string out;
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::string value;
        if (i < r.values.size()) {
            value = std::to_string(r.values[i]);
        } else if (i + 1 == names.size() && has_text_value(r.kind)) {
            value = "\"" + text_value(view.text, r.at.where, r.values.size()) + "\"";
        } else {
            continue;
        }
        out += (out.empty() ? "" : ", ") + std::string(names[i]) + " " + value;
    }
    return out;
}

std::string fill_words(cell_fill fill, int value) {
    switch (fill) {
        case cell_fill::speed_limit:
            return "limite " + std::to_string(value) + " km/h";
        case cell_fill::gradient:
            return "pendenza " + std::to_string(value) + " ‰";
        case cell_fill::adhesion:
            return "aderenza " + std::to_string(value);
        case cell_fill::scenery:
            return "sfondo " + std::to_string(value);
    }
    return {};
}

// "cella 36 (1750 m–1800 m)": cells by the stretch of track each stands for.
std::string cells_words(std::size_t first, std::size_t last) {
    const std::string metres =
        " (" + metres_text(static_cast<double>(stretch_of(static_cast<std::int64_t>(first)).from)) +
        "–" + metres_text(static_cast<double>(stretch_of(static_cast<std::int64_t>(last)).to)) + ")";
    if (first == last) return "cella " + std::to_string(first) + metres;
    return "celle " + std::to_string(first) + "–" + std::to_string(last) + metres;
}

std::string header_words(const testata& header, int entry,
                         std::span<const header_field_meaning> fields) {
    std::string out;
    for (const header_field_meaning& m : fields) {
        const voce& v = header[static_cast<std::size_t>(entry)];
        const std::string value = m.field == voce_field::v_nome
                                      ? "\"" + from_windows1252(v.v_nome) + "\""
                                      : std::to_string(field_number(v, m.field));
        out += "\n  - " + std::string(m.name) + ": " + value +
               (m.unit.empty() ? "" : " " + std::string(m.unit));
    }
    return out;
}

// What a record left in the compiled tables, one line each.
std::vector<std::string> compiled_to(const text_view& view, const compiled_record& r) {
    std::vector<std::string> lines;
    const compile_features& f = *view.features;
    if (f.records.at(r.at) == nullptr) {
        lines.push_back("non compilato: la compilazione si è fermata prima di questo record");
        return lines;
    }
    const compiled_scenario& c = *f.compiled;
    if (!f.model) return lines;
    const line_model& model = *f.model;
    const std::optional<text_position> at = r.at;

    for (const station& s : model.stations) {
        if (s.record != at || s.header_entry == nullptr) continue;
        lines.push_back("voce " + std::to_string(s.entry) + " della testata:" +
                        header_words(c.state.testata, s.entry, station_fields()));
        if (s.stop) lines.push_back("fermata sulla " + cells_words(*s.stop, *s.stop));
    }
    std::size_t shown = 0;
    for (const feature& ft : model.features) {
        if (ft.record != at) continue;
        if (++shown > 12) {
            lines.push_back("…");
            break;
        }
        const cella& cell = (*model.cells)[ft.cell];
        std::string words = cells_words(ft.cell, ft.cell) + ": " +
                            std::string(describe(ft.kind).name) + " a " + metres_text(ft.metres);
        for (const cell_value_field& field : describe(ft.kind).fields) {
            static constexpr std::string_view k_field_names[] = {"val1", "val2", "val3", "val4",
                                                                 "tempo"};
            words += ", " + std::string(k_field_names[static_cast<std::size_t>(field.field)]) +
                     " " + std::to_string(field_value(cell, field.field));
        }
        if (ft.kind == cell_kind::information_sign) {
            words += " (testo nella voce " + std::to_string(cell.val1) + " della testata)";
        }
        lines.push_back(words);
    }
    for (const slow_order& o : model.slow_orders) {
        if (o.record != at) continue;
        lines.push_back("rallentamento da " + metres_text(o.from) + " a " + metres_text(o.to) +
                        ", " + std::to_string(o.speed) + " km/h sul cartello d'inizio");
    }
    // The fills a record sets from its position on: the runs it set, as the cells hold them.
    const auto fill_of = [](record_kind kind) -> std::optional<cell_fill> {
        if (kind == record_kind::speed) return cell_fill::speed_limit;
        if (kind == record_kind::gradient) return cell_fill::gradient;
        if (kind == record_kind::adhesion) return cell_fill::adhesion;
        return std::nullopt;
    };
    if (const std::optional<cell_fill> fill = fill_of(r.kind); fill && !r.values.empty()) {
        const fill_runs& runs = model.runs(*fill);
        bool found = false;
        for (std::size_t i = 0; i < runs.charted.size() && i < runs.charted_records.size(); ++i) {
            if (runs.charted_records[i] != at) continue;
            lines.push_back(cells_words(runs.charted[i].first, runs.charted[i].last) + ": " +
                            fill_words(*fill, runs.charted[i].value));
            found = true;
        }
        if (!found) {
            const std::int64_t cell = std::llround(r.values[0] / 50.0);
            if (cell >= 0 && static_cast<std::size_t>(cell) < model.charted) {
                const cella& held = (*model.cells)[static_cast<std::size_t>(cell)];
                lines.push_back("dalla " + cells_words(static_cast<std::size_t>(cell),
                                                       static_cast<std::size_t>(cell)) +
                                ": " + fill_words(*fill, fill_value(held, *fill)));
            }
        }
    }
    for (const curve& cv : model.curves) {
        if (cv.record != at) continue;
        char radius[32];
        std::snprintf(radius, sizeof radius, "%.0f", cv.radius());
        lines.push_back("curva nel tracciato da " + metres_text(cv.from) + " a " +
                        metres_text(cv.to) + ", raggio " + radius + " m, verso " +
                        (cv.k > 0 ? "destra" : "sinistra"));
    }
    // The records of the header's scalar entries: the fields named after them.
    if (!describe(r.kind).positioned) {
        for (int entry = k_entry_progressiva_tre; entry <= k_entry_codici; ++entry) {
            std::vector<header_field_meaning> mine;
            for (const header_field_meaning& m : scalar_entry_fields(entry)) {
                const bool named = std::string_view(m.name).starts_with(record_name(r.kind));
                const bool progressive = is_progressive(r.kind) &&
                                         entry >= k_entry_progressiva_tre &&
                                         entry <= k_entry_progressiva_uno;
                if (named || progressive) mine.push_back(m);
            }
            if (mine.empty()) continue;
            lines.push_back("voce " + std::to_string(entry) + " della testata:" +
                            header_words(c.state.testata, entry, mine));
        }
    }
    return lines;
}

// The keyword an author writes for a record, as the program's own texts write it.
std::string written_keyword(record_kind kind) {
    if (kind == record_kind::repetition) return "ripetizione segnali 4 codici";
    return std::string(record_name(kind));
}

std::string signature(record_kind kind, bool snippet, std::string_view keyword) {
    std::string out(keyword);
    int n = 1;
    if (kind == record_kind::curve) out += snippet ? "${" + std::to_string(n++) + ":5}" : "5";
    for (const std::string_view value : describe(kind).values) {
        out += ", ";
        out += snippet ? "${" + std::to_string(n++) + ":" + std::string(value) + "}"
                       : std::string(value);
    }
    return out;
}

json completion_item(record_kind kind, std::string_view label, bool preferred, bool snippets) {
    std::string detail;
    for (const std::string_view value : describe(kind).values) {
        detail += (detail.empty() ? "" : ", ") + std::string(value);
    }
    json item = {{"label", std::string(label)},
                 {"kind", k_completion_keyword},
                 {"detail", detail},
                 {"sortText", (preferred ? "0 " : "1 ") + std::string(label)},
                 {"insertTextFormat", snippets ? k_insert_snippet : k_insert_plain},
                 {"insertText", signature(kind, snippets, label)}};
    return item;
}

json text_edit(const editor_text& text, std::size_t line, std::size_t from_byte,
               std::size_t to_byte, std::string_view new_text, position_encoding encoding) {
    const std::string_view content = text.line(line);
    const std::size_t base = static_cast<std::size_t>(content.data() - text.utf8().data());
    const auto point = [&](std::size_t byte) {
        return text.point_at(line, text.characters_before(line, base + byte), encoding);
    };
    return {{"range", range_json(point(from_byte), point(to_byte))},
            {"newText", std::string(new_text)}};
}

std::string argument_text(const compile_warning& w, std::size_t i) {
    if (i >= w.arguments.size()) return {};
    if (const auto* s = std::get_if<std::string>(&w.arguments[i])) return *s;
    if (const auto* n = std::get_if<std::int64_t>(&w.arguments[i])) return std::to_string(*n);
    return {};
}

std::optional<std::int64_t> argument_number(const compile_warning& w, std::size_t i) {
    if (i >= w.arguments.size()) return std::nullopt;
    if (const auto* n = std::get_if<std::int64_t>(&w.arguments[i])) return *n;
    return std::nullopt;
}

std::optional<record_kind> argument_record(const compile_warning& w, std::size_t i) {
    if (i >= w.arguments.size()) return std::nullopt;
    if (const auto* r = std::get_if<record_kind>(&w.arguments[i])) return *r;
    return std::nullopt;
}

struct quick_fix {
    std::string title;
    json edits = json::array();
};

// The item that begins at a warning's place.
std::optional<line_item> item_at(const editor_text& text, const compile_warning& w) {
    return item_in_line(text.line(static_cast<std::size_t>(w.at.where.line - 1)),
                        w.at.where.column);
}

std::optional<quick_fix> fix_for(const text_view& view, const compile_warning& w) {
    const editor_text& text = view.text;
    const std::size_t line = static_cast<std::size_t>(w.at.where.line - 1);
    const std::string_view content = text.line(line);
    const position_encoding enc = view.encoding;
    quick_fix fix;
    switch (w.code) {
        case warning_code::unknown_item_near: {
            const std::optional<record_kind> kind = argument_record(w, 1);
            const std::optional<line_item> item = item_at(text, w);
            if (!kind || !item || *kind == record_kind::curve) return std::nullopt;
            const std::string wanted = written_keyword(*kind);
            const std::string_view written = content.substr(item->from, item->to - item->from);
            fix.title = "Sostituisci \"" + std::string(written) + "\" con \"" + wanted + "\"";
            fix.edits.push_back(text_edit(text, line, item->from, item->to, wanted, enc));
            return fix;
        }
        case warning_code::train_without_generale_near: {
            const std::optional<line_item> item = item_at(text, w);
            if (!item) return std::nullopt;
            const std::string_view written = content.substr(item->from, item->to - item->from);
            fix.title = "Sostituisci \"" + std::string(written) + "\" con \"[generale]\"";
            fix.edits.push_back(text_edit(text, line, item->from, item->to, "[generale]", enc));
            return fix;
        }
        case warning_code::hidden_by_dash: {
            const std::optional<line_item> item = item_at(text, w);
            if (!item) return std::nullopt;
            const std::string written(content.substr(item->from, item->to - item->from));
            std::string plain;
            for (const char c : written) {
                if (c != '-') plain += c;
            }
            if (plain == written || without_blanks(plain).empty()) return std::nullopt;
            fix.title = "Togli il trattino da \"" + written + "\"";
            fix.edits.push_back(
                text_edit(text, line, item->from, item->to, std::string(without_blanks(plain)), enc));
            return fix;
        }
        case warning_code::decimal_comma: {
            // "12,5": the whole part was read as the record's last value, the digits after the
            // comma are left over. The number the file gets is the whole part.
            const std::string rest = argument_text(w, 2);
            const std::string digits = argument_text(w, 4);
            const std::optional<std::int64_t> whole = argument_number(w, 3);
            if (!whole || digits.empty()) return std::nullopt;
            const std::size_t rest_at = content.rfind(rest);
            if (rest.empty() || rest_at == std::string_view::npos) return std::nullopt;
            std::size_t start = rest_at;
            while (start > 0 && (content[start - 1] == ' ' || content[start - 1] == '\t')) --start;
            if (start == 0 || content[start - 1] != ',') return std::nullopt;
            --start;
            while (start > 0 && (content[start - 1] == ' ' || content[start - 1] == '\t')) --start;
            std::size_t number_end = start;
            while (start > 0 && ((content[start - 1] >= '0' && content[start - 1] <= '9') ||
                                 content[start - 1] == '-' || content[start - 1] == '+')) {
                --start;
            }
            if (start == number_end) return std::nullopt;
            fix.title = "Scrivi " + std::to_string(*whole) + " al posto di \"" +
                        std::string(content.substr(start, number_end - start)) + "," + digits +
                        "\"";
            fix.edits.push_back(text_edit(text, line, start, rest_at + digits.size(),
                                          std::to_string(*whole), enc));
            return fix;
        }
        case warning_code::speed_limit_rounded:
        case warning_code::board_speed_rounded: {
            // The warning stands at the value written; the fix writes the one the file holds.
            const std::optional<std::int64_t> written = argument_number(w, 0);
            const std::optional<std::int64_t> held = argument_number(w, 1);
            const std::optional<line_item> item = item_at(text, w);
            if (!written || !held || !item) return std::nullopt;
            if (content.substr(item->from, item->to - item->from) != std::to_string(*written)) {
                return std::nullopt;
            }
            fix.title = "Scrivi " + std::to_string(*held) + " al posto di " +
                        std::to_string(*written);
            fix.edits.push_back(
                text_edit(text, line, item->from, item->to, std::to_string(*held), enc));
            return fix;
        }
        default:
            return std::nullopt;
    }
}

}  // namespace

compile_features::compile_features(std::shared_ptr<const compiled_scenario> compile)
    : compiled(std::move(compile)),
      records(compiled->diagnostics),
      checked_records(compiled->checked) {
    const run_state& state = compiled->state;
    if (state.celle.empty()) return;
    model = read_line_model({state.celle, &state.testata,
                             !state.geometria.allocated() ? nullptr : &state.geometria,
                             &compiled->diagnostics});
}

std::vector<text_section> sections_of(const editor_text& text) {
    std::vector<text_section> sections;
    for (std::size_t n = 0; n < text.line_count(); ++n) {
        const std::string_view line = text.line(n);
        if (!is_header(line)) continue;
        if (!sections.empty()) sections.back().last_line = n - 1;
        sections.push_back({std::string(without_blanks(line)), n, n});
    }
    if (!sections.empty()) {
        std::size_t last = text.line_count() - 1;
        // Blank lines at the end belong to no section.
        while (last > sections.back().first_line && without_blanks(text.line(last)).empty()) --last;
        sections.back().last_line = last;
    }
    return sections;
}

json point_json(const text_point& p) { return {{"line", p.line}, {"character", p.character}}; }

json item_range(const editor_text& text, std::int32_t line, std::int32_t column,
                position_encoding encoding) {
    const std::size_t n = static_cast<std::size_t>(std::max(line, 1) - 1);
    const std::string_view content = text.line(n);
    const std::size_t start = static_cast<std::size_t>(std::max(column, 1) - 1);
    std::size_t length = 0;
    if (const std::optional<line_item> item = item_in_line(content, std::max(column, 1))) {
        for (std::size_t b = item->from; b < item->to; ++length) next_utf8_code_point(content, b);
    }
    // An empty item still gets one character, so that the editor has something to underline.
    return range_json(text.point_at(n, start, encoding),
                      text.point_at(n, start + std::max<std::size_t>(length, 1), encoding));
}

json hover(const text_view& view, text_point at, bool markdown) {
    const compiled_record* r = record_at_point(view, at);
    if (r == nullptr) return nullptr;
    const record_kind_descriptor& kind = describe(r->kind);
    std::string words = (markdown ? "**" : "") + std::string(kind.name) + (markdown ? "**" : "") +
                        ", riga " + std::to_string(r->at.where.line) + "\n\n";
    std::string names;
    for (const std::string_view v : kind.values) names += ", " + std::string(v);
    words += "valori: " + std::string(kind.name) + names + "\n\n";
    words += "letti: " + named_values(view, *r) + "\n";
    const std::vector<std::string> results = compiled_to(view, *r);
    if (!results.empty()) {
        words += "\nnel file:\n";
        for (const std::string& line : results) words += "- " + line + "\n";
    }
    const json range = item_range(view.text, r->at.where.line, r->at.where.column, view.encoding);
    return {{"contents", {{"kind", markdown ? "markdown" : "plaintext"}, {"value", words}}},
            {"range", range}};
}

json document_symbols(const text_view& view, bool hierarchical) {
    const std::vector<text_section> sections = sections_of(view.text);
    json top = json::array();
    std::vector<json> children(sections.size(), json::array());
    const auto section_of = [&](std::int32_t line) -> std::optional<std::size_t> {
        for (std::size_t i = sections.size(); i-- > 0;) {
            if (static_cast<std::size_t>(line - 1) >= sections[i].first_line) return i;
        }
        return std::nullopt;
    };
    json flat = json::array();
    if (view.features != nullptr) {
        for (const compiled_record& r : view.features->compiled->checked.records) {
            if (r.at.text != view.kind) continue;
            const record_kind_descriptor& d = describe(r.kind);
            std::string name(d.name);
            if (has_text_value(r.kind)) {
                name += " " + text_value(view.text, r.at.where, r.values.size());
            } else if (d.positioned && !r.values.empty()) {
                name += " " + std::to_string(r.values[0]) + " m";
            }
            const std::string detail =
                d.positioned && !r.values.empty() ? std::to_string(r.values[0]) + " m" : "";
            const int kind = r.kind == record_kind::station ? k_symbol_class
                             : d.positioned                 ? k_symbol_event
                                                            : k_symbol_constant;
            const json selection =
                item_range(view.text, r.at.where.line, r.at.where.column, view.encoding);
            const json whole =
                line_range(view.text, static_cast<std::size_t>(r.at.where.line - 1), view.encoding);
            if (hierarchical) {
                json symbol = {{"name", name},   {"detail", detail},
                               {"kind", kind},   {"range", whole},
                               {"selectionRange", selection}};
                if (const auto s = section_of(r.at.where.line)) {
                    children[*s].push_back(std::move(symbol));
                } else {
                    top.push_back(std::move(symbol));
                }
            } else {
                json symbol = {{"name", name},
                               {"kind", kind},
                               {"location", {{"uri", view.uri}, {"range", whole}}}};
                if (const auto s = section_of(r.at.where.line)) {
                    symbol["containerName"] = sections[*s].name;
                }
                flat.push_back(std::move(symbol));
            }
        }
    }
    for (std::size_t i = 0; i < sections.size(); ++i) {
        const text_section& s = sections[i];
        const json header = line_range(view.text, s.first_line, view.encoding);
        const std::size_t end_length = view.text.characters_before(s.last_line, SIZE_MAX);
        const json whole = range_json({static_cast<std::int64_t>(s.first_line), 0},
                                      view.text.point_at(s.last_line, end_length, view.encoding));
        if (hierarchical) {
            top.push_back({{"name", s.name},
                           {"kind", k_symbol_namespace},
                           {"range", whole},
                           {"selectionRange", header},
                           {"children", std::move(children[i])}});
        } else {
            flat.push_back(
                {{"name", s.name},
                 {"kind", k_symbol_namespace},
                 {"location", {{"uri", view.uri}, {"range", whole}}}});
        }
    }
    if (!hierarchical) return flat;
    // Sections and the records before the first one, in the order of the text.
    std::stable_sort(top.begin(), top.end(), [](const json& a, const json& b) {
        return a["range"]["start"]["line"].get<std::int64_t>() <
               b["range"]["start"]["line"].get<std::int64_t>();
    });
    return top;
}

json completions(const text_view& view, text_point at, bool snippets) {
    const std::vector<text_section> sections = sections_of(view.text);
    const text_section* current = nullptr;
    bool after_generale = false;
    bool seen_generale = false;
    for (const text_section& s : sections) {
        if (s.first_line > static_cast<std::size_t>(at.line)) break;
        if (seen_generale) after_generale = true;
        if (contains_any_case(s.name, "[generale]")) seen_generale = true;
        current = &s;
    }
    json items = json::array();
    if (!seen_generale) {
        items.push_back({{"label", "[generale]"},
                         {"kind", k_completion_keyword},
                         {"detail", "la sezione da cui il testo è letto"},
                         {"insertText", "[generale]"}});
        return {{"isIncomplete", false}, {"items", items}};
    }
    const std::string section = current != nullptr ? current->name : std::string();
    std::vector<record_kind> kinds;
    if (view.kind == description_text::train) {
        for (const keyword_row& row : k_train_records) kinds.push_back(row.record);
    } else {
        for (const keyword_row& row : after_generale ? k_feature_rows : k_generale_rows) {
            kinds.push_back(row.record);
        }
    }
    for (const record_kind kind : kinds) {
        const bool preferred = describe(kind).section == section;
        if (kind == record_kind::curve) {
            items.push_back(completion_item(kind, "curvad", preferred, snippets));
            items.push_back(completion_item(kind, "curvas", preferred, snippets));
        } else {
            items.push_back(completion_item(kind, written_keyword(kind), preferred, snippets));
        }
    }
    return {{"isIncomplete", false}, {"items", items}};
}

json code_actions(const text_view& view, const text_range& range) {
    json actions = json::array();
    if (view.features == nullptr) return actions;
    for (const compile_warning& w : view.features->compiled->checked.warnings) {
        if (w.at.text != view.kind) continue;
        const std::int64_t line = w.at.where.line - 1;
        if (line < range.start.line || line > range.end.line) continue;
        const std::optional<quick_fix> fix = fix_for(view, w);
        if (!fix) continue;
        actions.push_back({{"title", fix->title},
                           {"kind", "quickfix"},
                           {"isPreferred", true},
                           {"edit", {{"changes", {{view.uri, fix->edits}}}}}});
    }
    return actions;
}

json folding_ranges(const text_view& view) {
    json ranges = json::array();
    for (const text_section& s : sections_of(view.text)) {
        if (s.last_line <= s.first_line) continue;
        ranges.push_back({{"startLine", s.first_line}, {"endLine", s.last_line}, {"kind", "region"}});
    }
    return ranges;
}

}  // namespace scenario::tool
