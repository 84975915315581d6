// The faults, notes and warnings of a compile as the page lists them beside the drawing, each
// with the place in metres the view moves to when the author chooses it. The words (wording.h)
// are taken as the report has them; only the place is worked out here, from the text and line
// each message is at.
#include "view/view_diagnostics.h"

#include <charconv>

#include "session/compile_session.h"
#include "view/view_records.h"

namespace scenario::tool {
namespace {

// The second item of a line, when it is a whole number: the position a record the passes did
// not run (a misspelt keyword) would have had.
std::optional<std::int32_t> second_item_number(std::string_view line) {
    const std::size_t comma = line.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    std::string_view item = line.substr(comma + 1);
    item = item.substr(0, item.find(','));
    const std::size_t first = item.find_first_not_of(" \t");
    if (first == std::string_view::npos) return std::nullopt;
    item = item.substr(first, item.find_last_not_of(" \t") - first + 1);
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), value);
    if (error != std::errc() || end != item.data() + item.size()) return std::nullopt;
    return value;
}

// Where the view goes for a message at a line of a text: the first value of the record there
// when that is a position, else the line's first number after its keyword.
json place_of(const record_table& records, const located_message& message) {
    if (!message.where) return nullptr;
    if (const compiled_record* r = records.on_line(message.in, message.where->line)) {
        if (describe(r->kind).positioned && !r->values.empty()) return r->values[0];
        return nullptr;
    }
    const std::optional<std::int32_t> number =
        second_item_number(records.lines(message.in).line(message.where->line));
    return number ? json(*number) : json(nullptr);
}

json located(const located_message& message, json metres) {
    json out;
    out["file"] = message.file;
    out["line"] = message.where ? json(message.where->line) : json(nullptr);
    out["column"] = message.where ? json(message.where->column) : json(nullptr);
    out["message"] = message.text;
    out["metri"] = std::move(metres);
    return out;
}

}  // namespace

json diagnostics_data(const compiled_scenario& compiled) {
    const record_table records(compiled);
    json faults = json::array();
    for (const fault_report& f : compiled.report.faults) {
        json fault;
        fault["codice"] = f.code;
        fault["registrato"] = f.recorded;
        fault["posizione"] = value_or_null(f.position);
        fault.update(
            located(f.message, f.position ? json(*f.position) : place_of(records, f.message)));
        json notes = json::array();
        for (const located_message& n : f.notes) {
            notes.push_back(located(n, place_of(records, n)));
        }
        fault["notes"] = std::move(notes);
        faults.push_back(std::move(fault));
    }
    json warnings = json::array();
    for (const located_message& w : compiled.report.warnings) {
        json warning = located(w, place_of(records, w));
        json notes = json::array();
        for (const located_message& n : w.notes) {
            notes.push_back(located(n, place_of(records, n)));
        }
        warning["notes"] = std::move(notes);
        warnings.push_back(std::move(warning));
    }
    json out;
    out["errori"] = std::move(faults);
    out["warnings"] = std::move(warnings);
    return out;
}

}  // namespace scenario::tool
