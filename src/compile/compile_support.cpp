#include "compile/compile_support.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "base/windows1252.h"
#include "compile/item_reader.h"

namespace scenario {

namespace {

// The lower case of every byte, made once: every item of a text meets a dozen keyword tests.
const std::array<std::uint8_t, 256>& lower_case_table() {
    static const std::array<std::uint8_t, 256> table = [] {
        std::array<std::uint8_t, 256> t{};
        for (std::size_t b = 0; b < t.size(); ++b) {
            t[b] = lower_windows1252(static_cast<std::uint8_t>(b));
        }
        return t;
    }();
    return table;
}

}  // namespace

bool contains_any_case(std::string_view item, std::string_view key) {
    const std::array<std::uint8_t, 256>& lower = lower_case_table();
    const auto same = [&lower](char a, char b) {
        return lower[static_cast<std::uint8_t>(a)] == lower[static_cast<std::uint8_t>(b)];
    };
    return std::search(item.begin(), item.end(), key.begin(), key.end(), same) != item.end();
}

bool contains_exact(std::string_view item, std::string_view key) {
    return item.find(key) != std::string_view::npos;
}

bool is_section_header(std::string_view item) {
    return contains_exact(item, "[") && contains_exact(item, "]");
}

bool is_whole_number(std::string_view item) {
    if (!item.empty() && (item.front() == '-' || item.front() == '+')) item.remove_prefix(1);
    return !item.empty() &&
           std::all_of(item.begin(), item.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::int16_t checked_integer(double value) {
    const double rounded = nearest(value);
    if (!(rounded >= -32768.0 && rounded <= 32767.0)) {
        throw compile_fault(failure_code::result_beyond_integer, {value});
    }
    return static_cast<std::int16_t>(rounded);
}

std::int32_t checked_long(std::int64_t value) {
    if (value < INT32_MIN || value > INT32_MAX) {
        throw compile_fault(failure_code::result_beyond_long, {value});
    }
    return static_cast<std::int32_t>(value);
}

bool record_beyond_cells(std::int32_t position, std::int32_t room, std::int64_t last_cell) {
    const std::optional<bool> beyond = beyond_cells(position, room, last_cell);
    if (!beyond) checked_long(std::int64_t{position} + room);  // fails: the sum leaves 32 bits
    return beyond.value();
}

void warn(compile_diagnostics* diagnostics, warning_code code, text_position at,
          std::vector<diagnostic_argument> arguments) {
    warn(diagnostics, compile_warning{code, at, std::move(arguments), {}});
}

bool warning_shown(const compile_diagnostics* diagnostics, description_text text) {
    return diagnostics != nullptr &&
           diagnostics->warnings_kept[static_cast<std::size_t>(text)] <
               compile_diagnostics::k_max_warnings_per_text;
}

void warn(compile_diagnostics* diagnostics, compile_warning warning) {
    if (diagnostics == nullptr) return;
    const auto which = static_cast<std::size_t>(warning.at.text);
    if (!warning_shown(diagnostics, warning.at.text)) {
        ++diagnostics->warnings_dropped[which];
        return;
    }
    ++diagnostics->warnings_kept[which];
    diagnostics->warnings.push_back(std::move(warning));
}

void report_fault(compile_diagnostics* diagnostics, found_fault fault) {
    if (diagnostics == nullptr) return;
    if (diagnostics->checking) {
        if (diagnostics->faults.size() < compile_diagnostics::k_max_faults) {
            diagnostics->faults.push_back(fault);
        }
    }
    diagnostics->fault = std::move(fault);
}

namespace {

// The length of the UTF-8 sequence of two to four bytes that starts at i, or 0.
std::size_t utf8_sequence(std::string_view b, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(b[k]); };
    const unsigned char lead = byte(i);
    const std::size_t n = lead >= 0xC2 && lead <= 0xDF   ? 2
                          : lead >= 0xE0 && lead <= 0xEF ? 3
                          : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                         : 0;
    if (n == 0 || i + n > b.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
    }
    return n;
}

source_location location_in(std::string_view bytes, std::size_t offset) {
    item_reader reader(bytes);
    return reader.location_of(offset);
}

bool separator(char c) { return c == ' ' || c == ',' || c == '\t' || c == '\r' || c == '\n'; }

// Where the word around `offset` begins: what the author will recognise.
std::size_t word_start(std::string_view bytes, std::size_t offset) {
    while (offset > 0 && !separator(bytes[offset - 1])) --offset;
    return offset;
}

std::string_view word_from(std::string_view bytes, std::size_t begin) {
    std::size_t end = begin;
    while (end < bytes.size() && !separator(bytes[end])) ++end;
    return bytes.substr(begin, end - begin);
}

}  // namespace

void warn_about_encoding(compile_diagnostics* diagnostics, description_text text,
                         std::string_view bytes) {
    if (diagnostics == nullptr) return;
    const bool marked = bytes.starts_with("\xEF\xBB\xBF");
    if (marked) warn(diagnostics, warning_code::byte_order_mark, {text, source_location{}});
    for (std::size_t i = marked ? 3 : 0; i < bytes.size(); ++i) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80 || utf8_sequence(bytes, i) == 0) continue;
        const std::size_t begin = word_start(bytes, i);
        warn(diagnostics, warning_code::utf8_text, {text, location_in(bytes, begin)},
             {std::string(word_from(bytes, begin))});
        return;
    }
}

std::int32_t route_length_of(const run_state& state) {
    return state.testata[k_entry_treno].v_b;
}

void warn_beyond_route_end(compile_diagnostics* diagnostics, const run_state& state,
                           text_position record, source_location value, record_kind kind,
                           std::int64_t metres) {
    const std::int32_t length = route_length_of(state);
    if (diagnostics == nullptr || length <= 0 || metres <= length) return;
    warn(diagnostics, warning_code::beyond_route_end, {record.text, value},
         {kind, metres, std::int64_t{length}});
}

void check_increasing(compile_diagnostics* diagnostics, order_check& previous, text_position record,
                      source_location value, record_kind kind, std::int64_t position) {
    if (previous.position && position < *previous.position) {
        if (diagnostics == nullptr) return;
        compile_warning w{warning_code::out_of_order,
                          {record.text, value},
                          {kind, position, *previous.position},
                          {}};
        w.notes.push_back({note_code::earlier_record, previous.record, {*previous.position}});
        warn(diagnostics, std::move(w));
        return;
    }
    previous.position = position;
    previous.record = record;
}

void note_stop(compile_diagnostics* diagnostics, text_position at) {
    if (diagnostics == nullptr) return;
    auto& stopped = diagnostics->stopped_at[static_cast<std::size_t>(at.text)];
    if (!stopped) stopped = at.where;
}

bool checking(const compile_diagnostics* diagnostics) {
    return diagnostics != nullptr && diagnostics->checking;
}

void wanted_cell(found_fault& fault, const run_state& state, const compile_diagnostics* diagnostics,
                 std::int64_t cell) {
    fault.cell = cell;
    if (cell < 0 || cell >= static_cast<std::int64_t>(state.celle.size())) return;
    fault.occupant = state.celle[static_cast<std::size_t>(cell)];
    if (diagnostics != nullptr) fault.occupant_record = diagnostics->placed_by(cell);
}

void note_placed(compile_diagnostics* diagnostics, std::int64_t cell, text_position record) {
    if (diagnostics != nullptr) diagnostics->note_placed(cell, record);
}

void note_placed(compile_diagnostics* diagnostics, const placement& placed, text_position record) {
    if (diagnostics == nullptr) return;
    for (std::size_t i = 0; i < placed.placed_count; ++i) {
        diagnostics->note_placed(placed.placed[i], record);
    }
}

void describe_taken(found_fault& fault, const run_state& state,
                    const compile_diagnostics* diagnostics, const placement& failed) {
    wanted_cell(fault, state, diagnostics, failed.cell);
    fault.first_cell = failed.first_cell;
    fault.last_cell = failed.last_cell;
    fault.feature_metres = static_cast<std::int32_t>(failed.feature_metres);
}

void report_run_time_failure(compile_diagnostics* diagnostics, description_text text,
                             std::optional<source_location> where, const compile_fault& failure) {
    if (diagnostics == nullptr) return;
    found_fault fault;
    fault.code = fault_code::run_time_failure;
    fault.text = text;
    fault.where = where;
    fault.failure = {failure.code(), failure.arguments()};
    report_fault(diagnostics, std::move(fault));
}

}  // namespace scenario
