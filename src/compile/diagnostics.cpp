#include "compile/diagnostics.h"

namespace scenario {

std::string_view arguments_of(warning_code code) {
    using enum warning_code;
    switch (code) {
        case byte_order_mark:
        case train_without_generale:
            return "";
        case utf8_text:
        case hidden_by_dash:
        case last_item:
        case unknown_item:
        case comment_ignored:
        case train_without_generale_near:
            return "t";
        case unknown_item_near:
        case comment_read_as_record:
            return "tr";
        case extra_values:
            return "rnt";
        case decimal_comma:
            return "rntnt";
        case out_of_order:
        case beyond_route_end:
            return "rnn";
        case curves_overlap:
        case board_speed_rounded:
        case gradient_wrapped:
        case speed_limit_rounded:
        case adhesion_wrapped:
        case signal_time_wrapped:
        case slow_order_speed_wrapped:
        case abatement_value_wrapped:
            return "nn";
    }
    return "?";  // a value no enumerator has: fits no arguments
}

std::string_view arguments_of(note_code code) {
    using enum note_code;
    switch (code) {
        case earlier_record:
            return "n";
        case previous_curve:
            return "nn";
        case cells_filled:
            return "n+";
        case earlier_station:
        case slow_order_after_signal:
        case progressive_not_whole_too:
            return "";
    }
    return "?";
}

namespace {

// The index of a kind's alternative in diagnostic_argument; none for anything else.
std::size_t alternative(char kind) {
    switch (kind) {
        case 'n':
            return 0;
        case 't':
            return 1;
        case 'r':
            return 2;
        default:
            return std::variant_npos;
    }
}

bool fits(std::string_view kinds, const std::vector<diagnostic_argument>& arguments) {
    const bool repeated = kinds.ends_with('+');
    if (repeated) kinds.remove_suffix(1);
    if (repeated ? arguments.size() < kinds.size() : arguments.size() != kinds.size()) {
        return false;
    }
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const char kind = i < kinds.size() ? kinds[i] : kinds.back();
        if (arguments[i].index() != alternative(kind)) return false;
    }
    return true;
}

}  // namespace

bool well_formed(const diagnostic_note& note) {
    return fits(arguments_of(note.code), note.arguments);
}

bool well_formed(const compile_warning& warning) {
    if (!fits(arguments_of(warning.code), warning.arguments)) return false;
    for (const diagnostic_note& note : warning.notes) {
        if (!well_formed(note)) return false;
    }
    return true;
}

void compile_diagnostics::note_placed(std::int64_t cell, text_position record) {
    if (cell < 0) return;
    const auto at = static_cast<std::size_t>(cell);
    if (placed_by_.size() <= at) placed_by_.resize(at + 1);
    placed_by_[at] = record;
}

std::optional<text_position> compile_diagnostics::placed_by(std::int64_t cell) const {
    if (cell < 0 || static_cast<std::size_t>(cell) >= placed_by_.size()) return std::nullopt;
    return placed_by_[static_cast<std::size_t>(cell)];
}

}  // namespace scenario
