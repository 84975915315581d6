// Italian messages for the faults the compiler records. The compiler hands over what it found as
// data (the record at fault, its values, the cell a feature wanted and what stood there, the bound
// a record passed); the words here only put it the way an author reads it.
#include "messages.h"

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

std::string progressive_detail(const run_state& s, const found_fault& f) {
    std::string detail;
    for (const std::int32_t entry : f.entries) {
        const voce& v = s.testata[static_cast<std::size_t>(entry)];
        detail += (detail.empty() ? "" : "; ") + std::string("voce ") + std::to_string(entry) +
                  ": a = " + std::to_string(v.v_a) + ", b = " + std::to_string(v.v_b);
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
            return "sezione \"[generale]\" non trovata prima della fine del testo";
        case fault_code::route_too_long:
            return "lunghezza del percorso " + (f.values.empty() ? "" : metres(f.values[0]) + " ") +
                   "oltre il massimo di " + metres(f.limit.value_or(0));
        case fault_code::repetition_first:
        case fault_code::repetition_second:
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
            return "stazione a " + metres(p) + ": la posizione non è un multiplo di 50 m";
        case fault_code::platform_length:
            return "stazione a " + metres(p) + ": la lunghezza del marciapiede" +
                   (f.values.size() < 3 ? "" : " (" + metres(f.values[2]) + ")") +
                   " non è un multiplo di 100 m";
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
            return "progressiva chilometrica con un valore non multiplo di 50 (" +
                   progressive_detail(s, f) + ")";
        case fault_code::no_cell_before_signal:
            return "nessuna cella libera per il segno di valore 180 prima del segnale della "
                   "cella " +
                   spacing_cell(f, p) + " (" + metres(p) +
                   "), davanti a un cartello di avviso di rallentamento";
        case fault_code::no_cell_ahead_of_start:
            return "nessuna cella libera per un segno di valore 180 davanti all'inizio del "
                   "rallentamento della cella " +
                   spacing_cell(f, p) + " (" + metres(p) + ")";
        case fault_code::no_cell_in_slow_order:
            return "nessuna cella libera per un segno di valore 180 lungo un rallentamento o "
                   "prima del segnale che lo segue (cella " +
                   spacing_cell(f, p) + ", " + metres(p) + ")";
        case fault_code::run_time_failure:
            return "errore di esecuzione nel compilatore: " + f.detail;
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
                         "la cella " + cell + " è stata occupata da questo record"});
    }
    if (f.earlier_record) {
        notes.push_back({label_of(in, f.earlier_record->text), f.earlier_record->where,
                         "la stazione precedente è qui"});
    }
    return notes;
}

fault_report recorded_fault(const compile_inputs& in) {
    const std::int32_t code = in.state.codice_errore;
    // The compiler hands over what it found with every code it records; a bare code (a state
    // compiled without diagnostics) is worded from its row alone.
    const found_fault f = in.diagnostics.fault && value_of(in.diagnostics.fault->code) == code
                              ? *in.diagnostics.fault
                              : bare_fault(static_cast<fault_code>(code));
    fault_report report;
    report.code = code;
    const fault_descriptor* row = find_fault(code);
    if (row != nullptr && row->carries_position) report.position = in.state.posizione_errore;
    const description_text text = shown_in(f);
    report.message.file = label_of(in, text);
    report.message.where = f.where;
    const auto& source = text == description_text::line ? in.line_text : in.train_text;
    if (f.code == fault_code::run_time_failure && !source) {
        report.message.text = "testo di descrizione mancante: il file non esiste";
    } else {
        report.message.text = code_text(f, in);
    }
    report.notes = notes_of(f, in);
    return report;
}

fault_report identity_fault(const compile_inputs& in, std::int32_t code) {
    const found_fault f = in.diagnostics.identity_fault ? *in.diagnostics.identity_fault
                                                        : bare_fault(static_cast<fault_code>(code));
    const cella first = f.occupant.value_or(cella{});
    fault_report report;
    report.code = code;
    report.message.file = label_of(in, shown_in(f));
    const bool first_word = f.code == fault_code::identity_marker;
    const std::int16_t value = first_word ? first.val1 : first.val2;
    report.message.text = "la cella 1 (da 0 a 50 m) ha già un valore nella " +
                          std::string(first_word ? "prima" : "seconda") + " parola (" +
                          std::to_string(value) + ", " + cell_occupant(in.state, first) +
                          "), dove vanno i codici di identità: nessun file binario scritto";
    report.notes = notes_of(f, in);
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

std::vector<located_message> describe_warnings(const compile_inputs& inputs) {
    std::vector<located_message> out;
    for (const compile_warning& w : inputs.diagnostics.warnings) {
        const bool line = w.at.text == description_text::line;
        out.push_back({line ? inputs.line_label : inputs.train_label, w.at.where, w.message});
    }
    for (const description_text text : {description_text::line, description_text::train}) {
        const std::size_t dropped =
            inputs.diagnostics.warnings_dropped[static_cast<std::size_t>(text)];
        if (dropped == 0) continue;
        out.push_back({text == description_text::line ? inputs.line_label : inputs.train_label,
                       std::nullopt,
                       "altri " + std::to_string(dropped) + " avvisi non mostrati (ne sono " +
                           "mostrati i primi " +
                           std::to_string(compile_diagnostics::k_max_warnings_per_text) + ")"});
    }
    return out;
}

std::string location_prefix(const located_message& message) {
    if (!message.where) return message.file + ": ";
    return message.file + ":" + std::to_string(message.where->line) + ":" +
           std::to_string(message.where->column) + ": ";
}

}  // namespace scenario::tool
