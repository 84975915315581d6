#include "compile/record_scanner.h"

#include <algorithm>

#include "base/names.h"
#include "base/windows1252.h"
#include "compile/compile_support.h"

namespace scenario {

bool passes(const keyword_row& row, std::string_view item) {
    const auto contains = [&](std::string_view key) {
        return row.match == keyword_case::exact ? contains_exact(item, key)
                                                : contains_any_case(item, key);
    };
    return contains(row.first) && (row.second.empty() || contains(row.second));
}

bool is_keyword(std::span<const keyword_row> rows, std::string_view item) {
    for (const keyword_row& row : rows) {
        if (passes(row, item)) return true;
    }
    return false;
}

record_scanner::record_scanner(item_reader& reader, std::string& voce_letta, description_text text,
                               compile_diagnostics* diagnostics)
    : reader_(reader), voce_letta_(voce_letta), text_(text), diagnostics_(diagnostics) {}

void record_scanner::read_keyword() {
    voce_letta_ = reader_.read_text();
    keyword_at_ = reader_.last_item();
}

void record_scanner::read_keyword_seeking_generale() {
    read_keyword();
    if (diagnostics_ == nullptr || !is_section_header(voce_letta_)) return;
    const std::size_t edits = edit_distance(voce_letta_, "[generale]");
    if (edits <= k_header_slips &&
        (!nearest_generale_offset_ || edits < nearest_generale_edits_)) {
        nearest_generale_offset_ = reader_.last_item_offset();
        nearest_generale_ = voce_letta_;
        nearest_generale_edits_ = edits;
    }
}

source_location record_scanner::nearest_generale_at() const {
    return nearest_generale_offset_ ? reader_.location_of(*nearest_generale_offset_)
                                    : source_location{};
}

std::optional<std::string> record_scanner::nearest_generale() const {
    if (!nearest_generale_offset_) return std::nullopt;
    return from_windows1252(nearest_generale_);
}

void record_scanner::restart_after_nearest_generale() {
    reader_.restart_at(nearest_generale_offset_ ? reader_.next_line(*nearest_generale_offset_) : 0);
}

bool record_scanner::passed_over(found_fault& fault) {
    if (!checking(diagnostics_)) return false;
    report_fault(diagnostics_, std::move(fault));
    reader_.skip_rest_of_line();
    return true;
}

bool record_scanner::next_record(std::span<const keyword_row> rows, dash_rule dashes) {
    if (reader_.at_end()) return false;
    read_keyword();
    if (reader_.at_end()) {
        note(rows, warning_code::last_item);
        return false;
    }
    // Without the end test a replacement may be the last item, and is examined all the same.
    for (int n = 0; n < dashes.most && contains_exact(voce_letta_, "-"); ++n) {
        note(rows, warning_code::hidden_by_dash);
        read_keyword();
        if (dashes.end_test && reader_.at_end()) {
            note(rows, warning_code::last_item);
            return false;
        }
    }
    keyword_ = voce_letta_;
    values_.clear();
    value_offsets_.clear();
    return true;
}

template <class T>
T record_scanner::remembered(T value) {
    if (diagnostics_ != nullptr) {
        values_.push_back(value);
        value_offsets_.push_back(reader_.last_item_offset());
    }
    return value;
}

std::int32_t record_scanner::read_long() { return remembered(reader_.read_long()); }
std::int16_t record_scanner::read_integer() { return remembered(reader_.read_integer()); }
std::uint8_t record_scanner::read_byte() { return remembered(reader_.read_byte()); }

found_fault record_scanner::fault(fault_code code) const {
    found_fault fault;
    fault.code = code;
    fault.text = text_;
    fault.where = keyword_at_;
    fault.values = values_;
    return fault;
}

found_fault record_scanner::placement_fault(const placement& failed, std::int32_t position,
                                            const run_state& state) const {
    found_fault f = fault(failed.fault);
    f.position = position;
    f.value_at = value_at(0);
    describe_taken(f, state, diagnostics_, failed);
    return f;
}

found_fault record_scanner::beyond_fault(std::int32_t position, std::int64_t last_cell,
                                         std::int32_t room) const {
    found_fault f = fault(fault_code::beyond_cells);
    f.position = position;
    f.value_at = value_at(0);
    f.limit = static_cast<std::int32_t>(last_position_within(last_cell, room));
    return f;
}

found_fault record_scanner::beyond_cell_fault(std::int32_t position, std::int64_t cell) const {
    found_fault f = fault(fault_code::beyond_cells);
    f.position = position;
    f.value_at = value_at(0);
    f.cell = cell;
    return f;
}

std::optional<source_location> record_scanner::value_at(std::size_t index) const {
    if (index >= value_offsets_.size()) return std::nullopt;
    return reader_.location_of(value_offsets_[index]);
}

void record_scanner::warn(warning_code code, std::vector<diagnostic_argument> arguments) const {
    scenario::warn(diagnostics_, code, record_at(), std::move(arguments));
}

void record_scanner::note(std::span<const keyword_row> rows, warning_code code) const {
    if (diagnostics_ == nullptr || !is_keyword(rows, voce_letta_)) return;
    warn(code, {from_windows1252(voce_letta_)});
}

void record_scanner::note_record(const keyword_row& row) const {
    if (diagnostics_ == nullptr ||
        diagnostics_->records.size() >= compile_diagnostics::k_max_records) {
        return;
    }
    diagnostics_->records.push_back({record_at(), row.record, values_});
}

namespace {

// A line that would be a comment in other formats: "#", "//", ";" or "'" in front.
bool looks_like_comment(std::string_view item) {
    const std::size_t first = item.find_first_not_of(" \t");
    if (first == std::string_view::npos) return false;
    const std::string_view rest = item.substr(first);
    return rest.starts_with('#') || rest.starts_with("//") || rest.starts_with(';') ||
           rest.starts_with('\'');
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

void record_scanner::note_unknown(std::span<const keyword_row> rows) const {
    if (diagnostics_ == nullptr) return;
    if (keyword_.empty() || is_section_header(keyword_) || is_whole_number(keyword_)) return;
    if (!warning_shown(diagnostics_, text_)) {
        warn(warning_code::unknown_item, {std::string()});  // counted only
        return;
    }
    const std::string item = from_windows1252(keyword_);
    if (looks_like_comment(keyword_)) {
        warn(warning_code::comment_ignored, {item});
        return;
    }
    std::vector<std::string_view> names;
    for (const keyword_row& row : rows) names.push_back(record_name(row.record));
    const auto near = nearest_name(keyword_, names);
    if (!near) {
        warn(warning_code::unknown_item, {item});
        return;
    }
    const auto nearest = std::find(names.begin(), names.end(), *near) - names.begin();
    warn(warning_code::unknown_item_near, {item, rows[static_cast<std::size_t>(nearest)].record});
}

void record_scanner::note_comment_record(const keyword_row& row) const {
    if (diagnostics_ == nullptr || !looks_like_comment(keyword_)) return;
    warn(warning_code::comment_read_as_record, {std::string(row.first), row.record});
}

// Items left on the line of the record's last value: the record took fewer values than the
// author wrote. A number followed by a digit after the comma is spelled out as the decimal
// comma it probably is.
void record_scanner::note_extra_values(std::span<const keyword_row> rows) const {
    if (diagnostics_ == nullptr || value_offsets_.empty()) return;
    const std::string_view rest = reader_.rest_of_line();
    const std::size_t first = rest.find_first_not_of(" \t,");
    if (first == std::string_view::npos) return;
    std::string_view extra = rest.substr(first);
    while (!extra.empty() && (extra.back() == ' ' || extra.back() == '\t')) extra.remove_suffix(1);
    const auto row = std::find_if(rows.begin(), rows.end(),
                                  [&](const keyword_row& r) { return passes(r, keyword_); });
    if (row == rows.end()) return;
    std::vector<diagnostic_argument> arguments = {
        row->record, static_cast<std::int64_t>(values_.size()), from_windows1252(extra)};
    warning_code code = warning_code::extra_values;
    if (is_digit(extra.front())) {
        const std::size_t digits = extra.find_first_not_of("0123456789");
        code = warning_code::decimal_comma;
        arguments.push_back(std::int64_t{values_.back()});
        arguments.push_back(std::string(extra.substr(0, digits)));
    }
    const std::size_t at = reader_.offset() + (rest.size() - rest.substr(first).size());
    scenario::warn(diagnostics_, code, {text_, reader_.location_of(at)}, std::move(arguments));
}

found_fault record_scanner::run_time_fault(const compile_fault& failure) const {
    found_fault f = fault(fault_code::run_time_failure);
    f.failure = run_time_failure{failure.code(), failure.arguments()};
    const auto* item = dynamic_cast<const item_fault*>(&failure);
    if (item == nullptr) return f;
    if (item->at_end()) {
        f.missing_value = true;
        return f;
    }
    const source_location at = reader_.location_of(item->offset());
    if (at.line > keyword_at_.line) {
        f.missing_value = true;
        return f;
    }
    f.value_at = at;
    f.where = at;
    return f;
}

// The checker's way past a record it cannot read: the fault is kept, and reading goes on at the
// next line (the line of the value that ran into the next record, when that is what happened).
void record_scanner::pass_over(const compile_fault& failure) {
    const found_fault f = run_time_fault(failure);
    const auto* item = dynamic_cast<const item_fault*>(&failure);
    report_fault(diagnostics_, f);
    if (item == nullptr) return;
    if (item->at_end()) {
        reader_.restart_at(item->offset());
    } else if (f.missing_value) {
        reader_.restart_at(reader_.line_start(item->offset()));
    } else {
        reader_.restart_at(reader_.next_line(item->offset()));
    }
}

}  // namespace scenario
