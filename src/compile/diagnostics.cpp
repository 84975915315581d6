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

std::string_view arguments_of(failure_code code) {
    using enum failure_code;
    switch (code) {
        case text_ends_in_record:
        case no_route_length:
        case no_entry_for_sign:
        case sign_text_too_long:
        case no_cells:
            return "";
        case not_whole_number:
        case number_too_large:
        case no_train_text:
            return "t";
        case beyond_long:
        case beyond_integer:
        case beyond_byte:
        case result_beyond_long:
        case negative_route_length:
        case too_many_mountains:
        case board_beyond_cells:
        case no_entry_for_station:
        case station_name_too_long:
        case cell_beyond_cells:
        case limit_beyond_cell:
            return "n";
        case result_beyond_integer:
            return "d";
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
        case 'd':
            return 3;
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

bool well_formed(const run_time_failure& failure) {
    return fits(arguments_of(failure.code), failure.arguments);
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
