// What the author is told about a compile, put together from what the compiler found: each fault
// and warning at its place in the author's texts, with its notes at the other records it
// concerns, in the order an author reads them. The words come from wording.h.
#include "report/messages.h"

#include <algorithm>
#include <tuple>
#include <utility>

#include "base/fault_codes.h"
#include "report/wording.h"

namespace scenario::tool {
namespace {

const std::string& label_of(const compile_inputs& in, description_text text) {
    return text == description_text::line ? in.line_label : in.train_label;
}

// The text a fault is shown against: the one it was found in, else the one its row names. The
// spacing pass works on the train's signals and slow orders; an identity fault belongs to the
// record that put a value on cell 1.
description_text shown_in(const found_fault& f) {
    if (f.text) return *f.text;
    if (f.occupant_record) return f.occupant_record->text;
    const fault_descriptor* row = find_fault(value_of(f.code));
    return row != nullptr && row->text == fault_text::line ? description_text::line
                                                           : description_text::train;
}

// The other records a fault concerns.
std::vector<diagnostic_note> notes_of(const found_fault& f, const compile_inputs& in) {
    std::vector<diagnostic_note> notes;
    if (f.occupant_record && f.cell) {
        notes.push_back({note_code::cells_filled, *f.occupant_record, {*f.cell}});
    }
    if (f.earlier_record) notes.push_back({note_code::earlier_station, *f.earlier_record, {}});
    if (f.code == fault_code::no_cell_before_signal && f.board_record) {
        notes.push_back({note_code::slow_order_after_signal, *f.board_record, {}});
    }
    if (f.code == fault_code::progressive_not_whole) {
        for (std::size_t i = 1; i < f.entries.size(); ++i) {
            const compiled_record* r = progressive_record(in, f.entries[i]);
            if (r == nullptr) continue;
            notes.push_back({note_code::progressive_not_whole_too, r->at, {}});
        }
    }
    // The cells the mark could have taken, one note at each record that filled some of them.
    for (const found_fault::filled_cell& filled : f.filled_cells) {
        if (!filled.record) continue;
        auto same = std::find_if(notes.begin(), notes.end(), [&](const diagnostic_note& n) {
            return n.code == note_code::cells_filled && n.at == *filled.record;
        });
        if (same == notes.end()) {
            notes.push_back({note_code::cells_filled, *filled.record, {}});
            same = notes.end() - 1;
        }
        same->arguments.emplace_back(filled.cell);
    }
    return notes;
}

located_message located(const compile_inputs& in, const diagnostic_note& note) {
    return {label_of(in, note.at.text), note.at.text, note.at.where, note_words(note), {}};
}

// The record a fault found after every record was read is shown at: the signal or slow order
// whose marks do not fit, the progressive at fault, the record that put a value on cell 1.
std::optional<text_position> responsible_record(const found_fault& f, const compile_inputs& in) {
    switch (f.code) {
        case fault_code::no_cell_before_signal:
            return f.cell ? in.diagnostics.placed_by(*f.cell) : std::nullopt;
        case fault_code::no_cell_ahead_of_start:
        case fault_code::no_cell_in_slow_order:
            return f.board_record;
        case fault_code::identity_marker:
        case fault_code::identity_code:
            return f.occupant_record;
        case fault_code::progressive_not_whole: {
            if (f.entries.empty()) return std::nullopt;
            const compiled_record* r = progressive_record(in, f.entries[0]);
            return r != nullptr ? std::optional<text_position>(r->at) : std::nullopt;
        }
        default:
            return std::nullopt;
    }
}

// One fault as the compiler found it, at its place.
fault_report fault_report_of(const compile_inputs& in, const found_fault& f) {
    const std::int32_t code = value_of(f.code);
    fault_report report;
    report.code = code;
    const fault_descriptor* row = find_fault(code);
    if (row != nullptr && row->carries_position) {
        report.position = f.position.value_or(in.state.posizione_errore);
    }
    description_text text = shown_in(f);
    report.message.where = f.where;
    if (!f.where) {
        if (const auto responsible = responsible_record(f, in)) {
            text = responsible->text;
            report.message.where = responsible->where;
        }
    }
    report.message.file = label_of(in, text);
    report.message.in = text;
    const auto& source = text == description_text::line ? in.line_text : in.train_text;
    report.message.text = f.code == fault_code::run_time_failure && !source ? missing_text_words()
                                                                            : fault_words(f, in);
    for (const diagnostic_note& note : notes_of(f, in)) report.notes.push_back(located(in, note));
    return report;
}

fault_report recorded_fault(const compile_inputs& in) {
    const std::optional<found_fault>& found = in.diagnostics.fault;
    fault_report report =
        fault_report_of(in, found && value_of(found->code) == in.state.codice_errore
                                ? *found
                                : bare_fault(static_cast<fault_code>(in.state.codice_errore)));
    report.recorded = true;
    return report;
}

fault_report identity_fault(const compile_inputs& in, std::int32_t code) {
    const found_fault f = in.diagnostics.identity_fault ? *in.diagnostics.identity_fault
                                                        : bare_fault(static_cast<fault_code>(code));
    fault_report report;
    report.code = code;
    report.recorded = true;
    report.message.in = shown_in(f);
    report.message.file = label_of(in, report.message.in);
    if (f.occupant_record) report.message.where = f.occupant_record->where;
    report.message.text = identity_fault_words(f, in);
    return report;
}

}  // namespace

const compiled_record* record_at(const compile_inputs& in, const std::optional<text_position>& at) {
    if (!at) return nullptr;
    for (const compiled_record& r : in.diagnostics.records) {
        if (r.at == *at) return &r;
    }
    return nullptr;
}

const compiled_record* progressive_record(const compile_inputs& in, std::int32_t entry) {
    const voce& v = in.state.testata[static_cast<std::size_t>(entry)];
    const compiled_record* found = nullptr;
    for (const compiled_record& r : in.diagnostics.records) {
        if (is_progressive(r.kind) && r.values.size() == 3 && r.values[0] == v.v_a &&
            r.values[1] == v.v_b && r.values[2] == v.v_c) {
            found = &r;
        }
    }
    return found;
}

std::vector<fault_report> describe_faults(const compile_inputs& inputs,
                                          const compile_outcome& outcome) {
    std::vector<fault_report> faults;
    if (inputs.state.codice_errore != 0) faults.push_back(recorded_fault(inputs));
    if (outcome.identity_fault != 0)
        faults.push_back(identity_fault(inputs, outcome.identity_fault));
    return faults;
}

std::vector<fault_report> describe_checked_faults(const compile_inputs& checked,
                                                  const std::vector<fault_report>& reported) {
    std::vector<fault_report> found;
    for (const found_fault& f : checked.diagnostics.faults) {
        if (f.code == fault_code::identity_marker || f.code == fault_code::identity_code) continue;
        fault_report report = fault_report_of(checked, f);
        const bool again = std::any_of(reported.begin(), reported.end(), [&](const auto& r) {
            return r.code == report.code && r.message.in == report.message.in &&
                   r.message.where == report.message.where;
        });
        if (!again) found.push_back(std::move(report));
    }
    // Text order: the line text, then the train text; faults without a place last.
    const auto key = [&](const fault_report& r) {
        const bool line = r.message.in == description_text::line;
        const source_location at = r.message.where.value_or(source_location{INT32_MAX, 0});
        return std::tuple(r.message.where ? 0 : 1, line ? 0 : 1, at.line, at.column);
    };
    std::stable_sort(found.begin(), found.end(),
                     [&](const auto& a, const auto& b) { return key(a) < key(b); });
    return found;
}

std::vector<located_message> describe_warnings(const compile_inputs& inputs) {
    std::vector<located_message> out;
    for (const compile_warning& w : inputs.diagnostics.warnings) {
        located_message m{label_of(inputs, w.at.text), w.at.text, w.at.where, warning_words(w), {}};
        for (const diagnostic_note& n : w.notes) m.notes.push_back(located(inputs, n));
        out.push_back(std::move(m));
    }
    // Text order, the line text first, as the author reads the texts.
    std::stable_sort(out.begin(), out.end(), [&](const located_message& a, const located_message& b) {
        const auto key = [&](const located_message& m) {
            const source_location at = m.where.value_or(source_location{0, 0});
            return std::tuple(m.in == description_text::line ? 0 : 1, at.line, at.column);
        };
        return key(a) < key(b);
    });
    for (const description_text text : {description_text::line, description_text::train}) {
        const std::size_t dropped =
            inputs.diagnostics.warnings_dropped[static_cast<std::size_t>(text)];
        if (dropped == 0) continue;
        out.push_back(
            {label_of(inputs, text), text, std::nullopt, dropped_warnings_words(dropped), {}});
    }
    return out;
}

std::string location_prefix(const located_message& message) {
    if (!message.where) return message.file + ": ";
    return message.file + ":" + std::to_string(message.where->line) + ":" +
           std::to_string(message.where->column) + ": ";
}

}  // namespace scenario::tool
