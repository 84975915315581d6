// Italian messages for the compiler's error codes. The compiler records only a code and a
// position; the words here add what an author needs to mend the text: the cell a feature wanted
// and what already stands there (read from the compiled cells, which a hard stop leaves as they
// were at the fault), the values of the record at fault, and which text to look at.
#include "messages.h"

#include <algorithm>
#include <set>
#include <utility>

#include "compile/compile_support.h"
#include "compile/item_reader.h"
#include "base/windows1252.h"

namespace scenario::tool {
namespace {

std::string metres(std::int64_t m) { return std::to_string(m) + " m"; }

// The byte offset of a line and column in a text, counting line ends as the item reader does.
std::size_t offset_of(std::string_view text, source_location at) {
    std::size_t i = 0;
    for (std::int32_t line = 1; line < at.line && i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
            ++line;
    }
    return std::min(text.size(), i + static_cast<std::size_t>(std::max(at.column - 1, 0)));
}

// The values after the keyword of the record at `at`, read again with the compiler's own item
// reader; empty when they cannot be read.
std::vector<std::int64_t> record_values(const std::optional<std::string>& text,
                                        std::optional<source_location> at, std::size_t count) {
    if (!text || !at) return {};
    try {
        item_reader reader(std::string_view(*text).substr(offset_of(*text, *at)));
        reader.read_text();
        std::vector<std::int64_t> values;
        for (std::size_t i = 0; i < count; ++i) values.push_back(reader.read_number());
        return values;
    } catch (const compile_fault&) {
        return {};
    }
}

enum class owner { line, train };

// The text a code belongs to when the compiler did not say where it was found.
owner owner_of(std::int32_t code, const compile_inputs& in) {
    static const std::set<std::int32_t> line_codes = {101, 102, 1, 3, 4, 5, 103, 21, 6, 2};
    if (line_codes.count(code) != 0) return owner::line;
    if (code == 25 && in.train_text) return owner::line;
    return owner::train;
}

// Codes whose location the compiler does not give (set after every record was read).
bool unlocated_code(std::int32_t code) {
    return code == 2 || code == 11 || code == 12 || code == 13 || code == 101;
}

bool has_position(std::int32_t code) {
    static const std::set<std::int32_t> codes = {15, 21, 6,  7,  8,  9,  22, 16,
                                                 17, 18, 19, 20, 11, 12, 13};
    return codes.count(code) != 0;
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

// "la cella N (role) è già occupata da ...": the cell a feature wanted and what stands there.
std::string occupied(const run_state& s, std::int64_t cell, const std::string& role = "") {
    return "la cella " + std::to_string(cell) + (role.empty() ? "" : " (" + role + ")") +
           " è già occupata " + from_occupant(cell_occupant(s, cell));
}

std::string progressive_detail(const run_state& s) {
    std::string detail;
    for (int entry = k_entry_progressiva_tre; entry <= k_entry_progressiva_uno; ++entry) {
        const voce& v = s.testata[static_cast<std::size_t>(entry)];
        if (v.v_a % k_cell_metres == 0 && v.v_b % k_cell_metres == 0) continue;
        detail += (detail.empty() ? "" : "; ") + std::string("voce ") + std::to_string(entry) +
                  ": a = " + std::to_string(v.v_a) + ", b = " + std::to_string(v.v_b);
    }
    return detail;
}

// The station entry that failed the spacing check at p, and the one before it.
std::string spacing_detail(const run_state& s, std::int32_t p) {
    for (int k = k_first_sign_entry - 1; k >= 2; --k) {
        const voce& v = s.testata[static_cast<std::size_t>(k)];
        if (v == voce{} || v.v_c != p) continue;
        const voce& before = s.testata[static_cast<std::size_t>(k - 1)];
        return ": il marciapiede inizia a " + metres(v.v_a) + ", meno di 350 m dopo la fine del " +
               "marciapiede di \"" + from_windows1252(before.v_nome) + "\" (" + metres(before.v_b) +
               ")";
    }
    return ": servono almeno 350 m fra la fine di un marciapiede e l'inizio del successivo";
}

// Stations fill header entries from 1 upward and sign texts from 80 downward; the station that
// reaches the entry just above the last sign stops the pass.
std::string too_many_stations(const run_state& s) {
    const auto signs = std::count_if(s.celle.begin(), s.celle.end(), [](const cella& c) {
        return kind_of(c) == cell_kind::information_sign;
    });
    const auto most = k_first_sign_entry - 2 - signs;
    return "troppe stazioni: con " + std::to_string(signs) +
           " cartelli di indicazione nel testo della linea ci stanno al più " +
           std::to_string(most) + " stazioni (i testi dei cartelli occupano le voci della " +
           "testata dalla 80 in giù)";
}

std::string limit_detail(const run_state& s, std::int32_t p) {
    const std::int64_t last = s.n_celle;
    return "posizione " + metres(p) + " fuori dalle celle del percorso (l'ultima è la " +
           std::to_string(last) + ": un record deve stare entro " +
           metres(last_position_within(last, k_record_room)) + ", una stazione entro " +
           metres(last_position_within(last, k_station_room)) +
           "); questo record e i successivi del testo non sono compilati";
}

std::string slow_order_detail(std::int32_t code, const compile_inputs& in, std::int32_t x,
                              std::optional<source_location> at) {
    const run_state& s = in.state;
    const std::string head = "rallentamento da " + metres(x) + ": ";
    if (code == 17) {
        return head +
               occupied(s, point_cell(std::int64_t{x} - 1200), "cartello di avviso, 1200 m prima");
    }
    if (code == 18) return head + occupied(s, point_cell(x), "cartello di inizio");
    if (code == 19) {
        const auto values = record_values(in.train_text, at, 3);
        if (values.size() < 3) return head + "la cella del cartello di fine è già occupata";
        const std::int64_t end = x + values[2];
        return head + occupied(s, point_cell(end), "cartello di fine, a " + metres(end));
    }
    const std::int64_t h = fill_cell(std::int64_t{x} - 1200);
    for (std::int64_t c = h; c >= h - 3; --c) {
        if (c >= 0 && c < static_cast<std::int64_t>(s.celle.size()) &&
            !is_free(s.celle[static_cast<std::size_t>(c)])) {
            return head + occupied(s, c,
                                   "una delle quattro celle di approccio, da " +
                                       std::to_string(h - 3) + " a " + std::to_string(h));
        }
    }
    return head + "una delle quattro celle di approccio è già occupata";
}

std::string code_text(std::int32_t code, const compile_inputs& in,
                      std::optional<source_location> at) {
    const run_state& s = in.state;
    const std::int32_t p = s.posizione_errore;
    switch (code) {
        case 101:
            return "testo della linea mancante: il file non esiste";
        case 102:
            return "sezione \"[generale]\" non trovata prima della fine del testo";
        case 1: {
            const auto v = record_values(in.line_text, at, 1);
            return "lunghezza del percorso " + (v.empty() ? "" : metres(v[0]) + " ") +
                   "oltre il massimo di 1000000 m";
        }
        case 3:
            return "ripetizione segnali: il primo valore non è un multiplo di 50";
        case 4:
            return "ripetizione segnali: il secondo valore non è un multiplo di 50";
        case 5:
            return "ripetizione segnali: la parola chiave non contiene né \"4\" né \"9\"";
        case 103:
            return "curva: la parola chiave non ha una classe da 1 a 6, oppure il tracciato "
                   "supera il punto 1000000";
        case 21:
            return "cartello indicatore di velocità a " + metres(p) + ": " +
                   occupied(s, point_cell(p));
        case 6:
            return "cartello di indicazione a " + metres(p) + ": " + occupied(s, point_cell(p));
        case 15:
            return limit_detail(s, p);
        case 7:
            return "abbattimento a " + metres(p) + ": " + occupied(s, fill_cell(p));
        case 8:
            return "stazione a " + metres(p) + ": la posizione non è un multiplo di 50 m";
        case 9: {
            const auto v = record_values(in.train_text, at, 3);
            return "stazione a " + metres(p) + ": la lunghezza del marciapiede" +
                   (v.size() < 3 ? "" : " (" + metres(v[2]) + ")") + " non è un multiplo di 100 m";
        }
        case 10:
            return too_many_stations(s);
        case 22:
            return "stazione a " + metres(p) + " troppo vicina alla precedente" +
                   spacing_detail(s, p);
        case 24:
            return "la fermata della stazione cadrebbe nella cella 1 o prima: il marciapiede "
                   "deve finire oltre 100 m";
        case 16:
            return "segnale a " + metres(p) + ": " + occupied(s, point_cell(p));
        case 17:
        case 18:
        case 19:
        case 20:
            return slow_order_detail(code, in, p, at);
        case 2:
            return "progressiva chilometrica con un valore non multiplo di 50 (" +
                   progressive_detail(s) + ")";
        case 11:
            return "nessuna cella libera per il segno di valore 180 prima del segnale della "
                   "cella " +
                   std::to_string(fill_cell(p)) + " (" + metres(p) +
                   "), davanti a un cartello di avviso di rallentamento";
        case 12:
            return "nessuna cella libera per un segno di valore 180 davanti all'inizio del "
                   "rallentamento della cella " +
                   std::to_string(fill_cell(p)) + " (" + metres(p) + ")";
        case 13:
            return "nessuna cella libera per un segno di valore 180 lungo un rallentamento o "
                   "prima del segnale che lo segue (cella " +
                   std::to_string(fill_cell(p)) + ", " + metres(p) + ")";
        case 25:
            return "errore di esecuzione nel compilatore: " + in.diagnostics.fault_detail;
        default:
            return "errore " + std::to_string(code);
    }
}

fault_report recorded_fault(const compile_inputs& in) {
    const std::int32_t code = in.state.codice_errore;
    fault_report report;
    report.code = code;
    if (has_position(code)) report.position = in.state.posizione_errore;
    const compile_diagnostics& d = in.diagnostics;
    owner text = owner_of(code, in);
    if (d.fault_located && !unlocated_code(code)) {
        text = d.fault.text == description_text::line ? owner::line : owner::train;
        report.message.where = d.fault.where;
    }
    report.message.file = text == owner::line ? in.line_label : in.train_label;
    const auto& source = text == owner::line ? in.line_text : in.train_text;
    if (code == 25 && !source) {
        report.message.text = "testo di descrizione mancante: il file non esiste";
    } else {
        report.message.text = code_text(code, in, report.message.where);
    }
    return report;
}

fault_report identity_fault(const compile_inputs& in, std::int32_t code) {
    const run_state& s = in.state;
    const cella& first = s.celle.at(1);
    const bool from_line =
        kind_of(first) == cell_kind::speed_board || kind_of(first) == cell_kind::information_sign;
    fault_report report;
    report.code = code;
    report.message.file = from_line ? in.line_label : in.train_label;
    const std::string word = code == 1250 ? "prima" : "seconda";
    const std::int16_t value = code == 1250 ? first.val1 : first.val2;
    report.message.text = "la cella 1 (da 0 a 50 m) ha già un valore nella " + word + " parola (" +
                          std::to_string(value) + ", " + cell_occupant(s, 1) +
                          "), dove vanno i codici di identità: nessun file binario scritto";
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
