#include "compile/compile_support.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "base/windows1252.h"

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
        throw compile_fault("il valore " + std::to_string(value) +
                            " non entra in un campo a 16 bit");
    }
    return static_cast<std::int16_t>(rounded);
}

std::int32_t checked_long(std::int64_t value) {
    if (value < INT32_MIN || value > INT32_MAX) {
        throw compile_fault("il valore " + std::to_string(value) +
                            " non entra in un campo a 32 bit");
    }
    return static_cast<std::int32_t>(value);
}

bool record_beyond_cells(std::int32_t position, std::int32_t room, std::int64_t last_cell) {
    const std::optional<bool> beyond = beyond_cells(position, room, last_cell);
    if (!beyond) checked_long(std::int64_t{position} + room);  // fails: the sum leaves 32 bits
    return beyond.value();
}

void warn(compile_diagnostics* diagnostics, description_text text, source_location at,
          std::string message) {
    if (diagnostics == nullptr) return;
    const auto which = static_cast<std::size_t>(text);
    if (diagnostics->warnings_kept[which] == compile_diagnostics::k_max_warnings_per_text) {
        ++diagnostics->warnings_dropped[which];
        return;
    }
    ++diagnostics->warnings_kept[which];
    diagnostics->warnings.push_back({{text, at}, std::move(message)});
}

void locate_fault(compile_diagnostics* diagnostics, description_text text, source_location at) {
    if (diagnostics == nullptr) return;
    diagnostics->fault_located = true;
    diagnostics->fault = {text, at};
}

}  // namespace scenario
