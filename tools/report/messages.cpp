// Italian messages for the faults the compiler records. The compiler hands over what it found as
// data (the record at fault, its values, the cell a feature wanted and what stood there, the bound
// a record passed); the words here only put it the way an author reads it.
#include "report/messages.h"

#include <algorithm>
#include <tuple>
#include <utility>

#include "base/fault_codes.h"
#include "base/positions.h"
#include "base/windows1252.h"

namespace scenario::tool {
namespace {

std::string metres(std::int64_t m) { return std::to_string(m) + " m"; }

const std::string& label_of(const compile_inputs& in, description_text text) {
    return text == description_text::line ? in.line_label : in.train_label;
}

// The record whose keyword stands at `at`, as the compile ran it.
const compiled_record* record_at(const compile_inputs& in, const std::optional<text_position>& at) {
    if (!at) return nullptr;
    for (const compiled_record& r : in.diagnostics.records) {
        if (r.at == *at) return &r;
    }
    return nullptr;
}

// The position the author wrote in a record (its first value), else the cell's first metre.
std::string written_metres(const compile_inputs& in, const std::optional<text_position>& at,
                           std::int64_t cell) {
    const compiled_record* r = record_at(in, at);
    if (r != nullptr && !r->values.empty()) return metres(r->values[0]);
    return metres(cell_first_metre(cell));
}

// The kilometric progressive whose record a header entry is named after.
record_kind progressive_of(std::int32_t entry) {
    switch (entry) {
        case k_entry_progressiva_tre:
            return record_kind::progressive_tre;
        case k_entry_progressiva_due:
            return record_kind::progressive_due;
        default:
            return record_kind::progressive_uno;
    }
}

// The progressive record whose values a header entry holds (the line pass puts the three in
// order, so an entry need not hold the record of its own name): the last one that matches.
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

// The nearest multiples of `step` below and above a value, as a hint.
std::string multiples_hint(std::int64_t value, std::int64_t step) {
    const std::int64_t below = value >= 0 ? value / step * step : -((-value + step - 1) / step) * step;
    return "; forse " + std::to_string(below) + " o " + std::to_string(below + step) + "?";
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

// "da" joined to the article of what follows, as Italian writes it.
std::string from_occupant(const std::string& phrase) {
    static constexpr std::pair<std::string_view, std::string_view> k_joined[] = {
        {"il ", "dal "}, {"la ", "dalla "}, {"l'", "dall'"}};
    for (const auto& [article, joined] : k_joined) {
        if (phrase.rfind(article, 0) == 0)
            return std::string(joined) + phrase.substr(article.size());
    }
    return "da " + phrase;
}

// "la cella N (role) è già occupata da ...": the cell a feature wanted and what stood there.
std::string occupied(const run_state& s, const found_fault& f, const std::string& role = "") {
    const std::string cell = f.cell ? std::to_string(*f.cell) : "?";
    const std::string what = f.occupant ? cell_occupant(s, *f.occupant)
                                        : std::string("nulla (la cella è fuori dal percorso)");
    return "la cella " + cell + (role.empty() ? "" : " (" + role + ")") + " è già occupata " +
           from_occupant(what);
}

std::string progressive_detail(const compile_inputs& in, const found_fault& f) {
    std::string detail;
    for (const std::int32_t entry : f.entries) {
        const voce& v = in.state.testata[static_cast<std::size_t>(entry)];
        const compiled_record* r = progressive_record(in, entry);
        std::string values;
        for (const std::int32_t value : {v.v_a, v.v_b}) {
            if (value % k_cell_metres != 0) values += (values.empty() ? "" : " e ") + metres(value);
        }
        detail += (detail.empty() ? "" : "; ") +
                  std::string(record_name(r != nullptr ? r->kind : progressive_of(entry))) + ": " +
                  values;
    }
    return detail;
}

// The station entry that failed the spacing check, and the one before it.
std::string spacing_detail(const run_state& s, const found_fault& f) {
    const std::string gap = metres(f.limit.value_or(0));
    if (f.entries.size() != 2) {
        return ": servono almeno " + gap +
               " fra la fine di un marciapiede e l'inizio del successivo";
    }
    const voce& before = s.testata[static_cast<std::size_t>(f.entries[0])];
    const voce& v = s.testata[static_cast<std::size_t>(f.entries[1])];
    return ": il marciapiede inizia a " + metres(v.v_a) + ", meno di " + gap +
           " dopo la fine del marciapiede di \"" + from_windows1252(before.v_nome) + "\" (" +
           metres(before.v_b) + ")";
}

// Stations fill header entries from 1 upward and sign texts from 80 downward; the station that
// reaches the entry just above the last sign stops the pass.
std::string too_many_stations(const found_fault& f) {
    const std::int32_t most = f.limit.value_or(0);
    const std::int32_t signs = k_first_sign_entry - 2 - most;
    return "troppe stazioni: con " + std::to_string(signs) +
           " cartelli di indicazione nel testo della linea ci stanno al più " +
           std::to_string(most) + " stazioni (i testi dei cartelli occupano le voci della " +
           "testata dalla " + std::to_string(k_first_sign_entry) + " in giù)";
}

std::string beyond_detail(const run_state& s, const found_fault& f, std::int32_t p) {
    const std::string rest = "; questo record e i successivi del testo non sono compilati";
    if (f.limit) {
        return "posizione " + metres(p) + " fuori dalle celle del percorso (l'ultima è la " +
               std::to_string(s.n_celle) + ": questo record deve stare entro " + metres(*f.limit) +
               ")" + rest;
    }
    return "posizione " + metres(p) + ": la cella " + std::to_string(f.cell.value_or(0)) +
           " cade fuori dalle celle del percorso (da 0 a " + std::to_string(s.n_celle) + ")" + rest;
}

std::string slow_order_detail(const run_state& s, const found_fault& f, std::int32_t x) {
    const std::string head = "rallentamento da " + metres(x) + ": ";
    const std::int32_t at = f.feature_metres.value_or(x);
    switch (f.code) {
        case fault_code::warning_board_taken:
            return head + occupied(s, f, "cartello di avviso, " + metres(x - at) + " prima");
        case fault_code::start_board_taken:
            return head + occupied(s, f, "cartello di inizio");
        case fault_code::end_board_taken:
            return head + occupied(s, f, "cartello di fine, a " + metres(at));
        default:
            return head + occupied(s, f,
                                   "una delle quattro celle di approccio, da " +
                                       std::to_string(f.first_cell.value_or(0)) + " a " +
                                       std::to_string(f.last_cell.value_or(0)));
    }
}

std::string spacing_cell(const found_fault& f, std::int32_t p) {
    return std::to_string(f.cell.value_or(fill_cell(p)));
}

std::string code_text(const found_fault& f, const compile_inputs& in) {
    const run_state& s = in.state;
    const std::int32_t p = f.position.value_or(s.posizione_errore);
    switch (f.code) {
        case fault_code::no_line_text:
            return "testo della linea mancante: il file non esiste";
        case fault_code::no_generale:
            return f.nearest_header ? "sezione \"[generale]\" non trovata: forse \"" +
                                          *f.nearest_header + "\" voleva essere \"[generale]\""
                                    : "sezione \"[generale]\" non trovata prima della fine del "
                                      "testo";
        case fault_code::route_too_long:
            return "lunghezza del percorso " + (f.values.empty() ? "" : metres(f.values[0]) + " ") +
                   "oltre il massimo di " + metres(f.limit.value_or(0));
        case fault_code::repetition_first:
        case fault_code::repetition_second: {
            const std::size_t index = f.code == fault_code::repetition_first ? 0 : 1;
            return std::string(describe(f.code).meaning) +
                   (f.values.size() > index ? multiples_hint(f.values[index], k_cell_metres)
                                            : std::string());
        }
        case fault_code::repetition_digit:
            return std::string(describe(f.code).meaning);
        case fault_code::curve:
            return "curva: la parola chiave non ha una classe da 1 a 6, oppure il tracciato "
                   "supera il punto 1000000";
        case fault_code::speed_board_cell_taken:
            return "cartello indicatore di velocità a " + metres(p) + ": " + occupied(s, f);
        case fault_code::sign_cell_taken:
            return "cartello di indicazione a " + metres(p) + ": " + occupied(s, f);
        case fault_code::beyond_cells:
            return beyond_detail(s, f, p);
        case fault_code::value_mark_cell_taken:
            return "abbattimento a " + metres(p) + ": " + occupied(s, f);
        case fault_code::station_position:
            return "stazione a " + metres(p) + ": la posizione non è un multiplo di 50 m" +
                   multiples_hint(p, k_cell_metres);
        case fault_code::platform_length:
            return "stazione a " + metres(p) + ": la lunghezza del marciapiede" +
                   (f.values.size() < 3 ? "" : " (" + metres(f.values[2]) + ")") +
                   " non è un multiplo di 100 m" +
                   (f.values.size() < 3 ? "" : multiples_hint(f.values[2], 100));
        case fault_code::too_many_stations:
            return too_many_stations(f);
        case fault_code::stations_too_close:
            return "stazione a " + metres(p) + " troppo vicina alla precedente" +
                   spacing_detail(s, f);
        case fault_code::stop_too_early:
            return "la fermata della stazione cadrebbe nella cella 1 o prima: il marciapiede "
                   "deve finire oltre 100 m";
        case fault_code::signal_cell_taken:
            return "segnale a " + metres(p) + ": " + occupied(s, f);
        case fault_code::warning_board_taken:
        case fault_code::start_board_taken:
        case fault_code::end_board_taken:
        case fault_code::approach_cell_taken:
            return slow_order_detail(s, f, p);
        case fault_code::progressive_not_whole:
            return "i primi due valori di una progressiva chilometrica devono essere multipli di "
                   "50 (" +
                   progressive_detail(in, f) + ")";
        case fault_code::no_cell_before_signal: {
            const std::int64_t c = f.cell.value_or(fill_cell(p));
            return "il segnale a " + written_metres(in, in.diagnostics.placed_by(c), c) +
                   " sta nelle 20 celle prima del cartello di avviso di un rallentamento, e "
                   "nessuna delle due celle prima di esso (" +
                   std::to_string(c - 1) + " e " + std::to_string(c - 2) +
                   ") è libera per il segno di abbattimento a 180 che vi va messo";
        }
        case fault_code::no_cell_ahead_of_start:
            return "rallentamento da " +
                   written_metres(in, f.board_record, f.cell.value_or(fill_cell(p))) +
                   ": in uno dei tre gruppi di celle davanti al cartello di inizio (cella " +
                   spacing_cell(f, p) +
                   ") nessuna cella è libera per il segno di abbattimento a 180 che vi va messo";
        case fault_code::no_cell_in_slow_order:
            return "rallentamento" +
                   (f.board_record ? " da " + written_metres(in, f.board_record, 0)
                                   : std::string()) +
                   ": nessuna cella libera per un segno di abbattimento a 180 lungo il "
                   "rallentamento o prima del segnale che lo segue (intorno a " +
                   metres(p) + ", cella " + spacing_cell(f, p) + ")";
        case fault_code::run_time_failure:
            if (f.missing_value) {
                return "mancano valori a questo record: la lettura è andata oltre la sua riga (" +
                       f.detail + ")";
            }
            return "errore di esecuzione nel compilatore: " + f.detail +
                   (f.detail.find("non è un numero intero") != std::string::npos &&
                            (f.detail.find('.') != std::string::npos ||
                             f.detail.find(',') != std::string::npos)
                        ? "; i valori sono numeri interi, senza virgola né punto decimale"
                        : std::string());
        default:
            return "errore " + std::to_string(value_of(f.code));
    }
}

// The other records a fault concerns, each pointed at in its own text.
std::vector<located_message> notes_of(const found_fault& f, const compile_inputs& in) {
    std::vector<located_message> notes;
    if (f.occupant_record) {
        const std::string cell = f.cell ? std::to_string(*f.cell) : "?";
        notes.push_back({label_of(in, f.occupant_record->text), f.occupant_record->where,
                         "la cella " + cell + " è stata occupata da questo record", {}});
    }
    if (f.earlier_record) {
        notes.push_back({label_of(in, f.earlier_record->text), f.earlier_record->where,
                         "la stazione precedente è qui", {}});
    }
    if (f.code == fault_code::no_cell_before_signal && f.board_record) {
        notes.push_back({label_of(in, f.board_record->text), f.board_record->where,
                         "il rallentamento il cui cartello di avviso segue il segnale è qui", {}});
    }
    if (f.code == fault_code::progressive_not_whole) {
        for (std::size_t i = 1; i < f.entries.size(); ++i) {
            const compiled_record* r = progressive_record(in, f.entries[i]);
            if (r == nullptr) continue;
            notes.push_back({label_of(in, r->at.text), r->at.where,
                             "anche questa progressiva ha un valore non multiplo di 50", {}});
        }
    }
    return notes;
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

// The words of one fault as the compiler found it. The compiler hands over what it found with
// every code it records; a bare code (a state compiled without diagnostics) is worded from its
// row alone.
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
    const auto& source = text == description_text::line ? in.line_text : in.train_text;
    if (f.code == fault_code::run_time_failure && !source) {
        report.message.text = "testo di descrizione mancante: il file non esiste";
    } else {
        report.message.text = code_text(f, in);
    }
    report.notes = notes_of(f, in);
    return report;
}

fault_report recorded_fault(const compile_inputs& in) {
    fault_report report = fault_report_of(in, in.diagnostics.fault && value_of(in.diagnostics.fault->code) == in.state.codice_errore
                                                  ? *in.diagnostics.fault
                                                  : bare_fault(static_cast<fault_code>(in.state.codice_errore)));
    report.recorded = true;
    return report;
}

fault_report identity_fault(const compile_inputs& in, std::int32_t code) {
    const found_fault f = in.diagnostics.identity_fault ? *in.diagnostics.identity_fault
                                                        : bare_fault(static_cast<fault_code>(code));
    const cella first = f.occupant.value_or(cella{});
    fault_report report;
    report.code = code;
    report.recorded = true;
    report.message.file = label_of(in, shown_in(f));
    if (f.occupant_record) report.message.where = f.occupant_record->where;
    const bool first_word = f.code == fault_code::identity_marker;
    const std::int16_t value = first_word ? first.val1 : first.val2;
    report.message.text = "la cella 1 (da 0 a 50 m) ha già un valore nella " +
                          std::string(first_word ? "prima" : "seconda") + " parola (" +
                          std::to_string(value) + ", " + cell_occupant(in.state, first) +
                          "), dove vanno i codici di identità: nessun file binario scritto" +
                          (f.occupant_record ? "; questo record ve lo ha messo" : "");
    return report;
}

}  // namespace

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
            return r.code == report.code && r.message.file == report.message.file &&
                   r.message.where == report.message.where;
        });
        if (!again) found.push_back(std::move(report));
    }
    // Text order: the line text, then the train text; faults without a place last.
    const auto key = [&](const fault_report& r) {
        const bool line = r.message.file == checked.line_label;
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
        const bool line = w.at.text == description_text::line;
        located_message m{line ? inputs.line_label : inputs.train_label, w.at.where, w.message, {}};
        for (const warning_note& n : w.notes) {
            m.notes.push_back({label_of(inputs, n.at.text), n.at.where, n.message, {}});
        }
        out.push_back(std::move(m));
    }
    // Text order, the line text first, as the author reads the texts.
    std::stable_sort(out.begin(), out.end(), [&](const located_message& a, const located_message& b) {
        const auto key = [&](const located_message& m) {
            const source_location at = m.where.value_or(source_location{0, 0});
            return std::tuple(m.file == inputs.line_label ? 0 : 1, at.line, at.column);
        };
        return key(a) < key(b);
    });
    for (const description_text text : {description_text::line, description_text::train}) {
        const std::size_t dropped =
            inputs.diagnostics.warnings_dropped[static_cast<std::size_t>(text)];
        if (dropped == 0) continue;
        out.push_back({text == description_text::line ? inputs.line_label : inputs.train_label,
                       std::nullopt,
                       "altri " + std::to_string(dropped) + " avvisi non mostrati (ne sono " +
                           "mostrati i primi " +
                           std::to_string(compile_diagnostics::k_max_warnings_per_text) + ")",
                       {}});
    }
    return out;
}

std::string location_prefix(const located_message& message) {
    if (!message.where) return message.file + ": ";
    return message.file + ":" + std::to_string(message.where->line) + ":" +
           std::to_string(message.where->column) + ": ";
}

}  // namespace scenario::tool
