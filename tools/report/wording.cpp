// The tool's Italian words for every diagnostic, in one place: a sentence for each fault code
// (from what the compiler found with it: the record at fault, its values, the cell a feature
// wanted and what stood there, the bound a record passed), for each warning code and for each
// note code (from their arguments). The compiler builds no sentence; nothing else here decides
// where a diagnostic is shown.
#include "report/wording.h"

#include <string_view>
#include <utility>
#include <variant>

#include "base/fault_codes.h"
#include "base/positions.h"
#include "base/windows1252.h"
#include "model/cell_words.h"

namespace scenario::tool {
namespace {

std::string metres(std::int64_t m) { return std::to_string(m) + " m"; }

// The arguments of a warning, a note or a run-time failure, by number.
std::int64_t number(const std::vector<diagnostic_argument>& arguments, std::size_t i) {
    return std::get<std::int64_t>(arguments[i]);
}
std::string number_text(const std::vector<diagnostic_argument>& arguments, std::size_t i) {
    return std::to_string(number(arguments, i));
}
const std::string& text(const std::vector<diagnostic_argument>& arguments, std::size_t i) {
    return std::get<std::string>(arguments[i]);
}
std::string name(const std::vector<diagnostic_argument>& arguments, std::size_t i) {
    return std::string(record_name(std::get<record_kind>(arguments[i])));
}
std::string quoted(const std::string& words) { return "\"" + words + "\""; }

// What ended a compile with error 25.
std::string failure_words(const run_time_failure& failure) {
    const std::vector<diagnostic_argument>& a = failure.arguments;
    switch (failure.code) {
        case failure_code::text_ends_in_record:
            return "il testo finisce dentro un record";
        case failure_code::not_whole_number:
            return quoted(text(a, 0)) + " non è un numero intero";
        case failure_code::number_too_large:
            return quoted(text(a, 0)) + " è troppo grande";
        case failure_code::beyond_long:
            return number_text(a, 0) + " non entra in un campo a 32 bit";
        case failure_code::beyond_integer:
            return number_text(a, 0) + " non entra in un campo a 16 bit";
        case failure_code::beyond_byte:
            return number_text(a, 0) + " non entra in un campo byte (da 0 a 255)";
        case failure_code::result_beyond_long:
            return "il valore " + number_text(a, 0) + " non entra in un campo a 32 bit";
        case failure_code::result_beyond_integer:
            return "il valore " + std::to_string(std::get<double>(a[0])) +
                   " non entra in un campo a 16 bit";
        case failure_code::no_route_length:
            return "il testo della linea non ha il record " +
                   quoted(std::string(record_name(record_kind::route_length)));
        case failure_code::negative_route_length:
            return "lunghezza del percorso negativa: " + number_text(a, 0);
        case failure_code::no_entry_for_sign:
            return "nessuna voce della testata libera per il cartello";
        case failure_code::sign_text_too_long:
            return "testo del cartello più lungo di 65535 caratteri";
        case failure_code::too_many_mountains:
            return "più di " + number_text(a, 0) + " record " +
                   quoted(std::string(record_name(record_kind::mountain)));
        case failure_code::board_beyond_cells:
            return "il cartello a " + metres(number(a, 0)) + " cade fuori dalle celle";
        case failure_code::no_train_text:
            return "il testo del treno " + text(a, 0) + " non esiste";
        case failure_code::no_cells:
            return "le celle non sono state create";
        case failure_code::no_entry_for_station:
            return "nessuna voce della testata libera per la stazione " + number_text(a, 0);
        case failure_code::station_name_too_long:
            return "nome di stazione di " + number_text(a, 0) + " caratteri, più lungo di 65535";
        case failure_code::cell_beyond_cells:
            return "la cella " + number_text(a, 0) + " è fuori dalle celle";
        case failure_code::limit_beyond_cell:
            return "il limite di velocità " + number_text(a, 0) +
                   " non entra in una cella (il suo quinto è fuori da 0-255)";
    }
    return "errore di esecuzione " + std::to_string(static_cast<int>(failure.code));
}

// A value written with a decimal point or comma, where a whole number was due.
bool decimal_number(const run_time_failure& failure) {
    return failure.code == failure_code::not_whole_number &&
           text(failure.arguments, 0).find_first_of(".,") != std::string::npos;
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

// The nearest multiples of `step` below and above a value, as a hint.
std::string multiples_hint(std::int64_t value, std::int64_t step) {
    const std::int64_t below =
        value >= 0 ? value / step * step : -((-value + step - 1) / step) * step;
    return "; forse " + std::to_string(below) + " o " + std::to_string(below + step) + "?";
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

std::string run_time_failure_words(const found_fault& f) {
    const std::string detail = f.failure ? failure_words(*f.failure) : std::string();
    if (f.missing_value) {
        return "mancano valori a questo record: la lettura è andata oltre la sua riga (" + detail +
               ")";
    }
    return "errore di esecuzione nel compilatore: " + detail +
           (f.failure && decimal_number(*f.failure)
                ? "; i valori sono numeri interi, senza virgola né punto decimale"
                : std::string());
}

std::string code_words(const found_fault& f, const compile_inputs& in) {
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
            return run_time_failure_words(f);
        default:
            return "errore " + std::to_string(value_of(f.code));
    }
}

// The feature a record lays, as the subject of a sentence.
std::string_view feature_of(record_kind kind) {
    switch (kind) {
        case record_kind::speed_board:
            return "il cartello indicatore di velocità";
        case record_kind::sign:
            return "il cartello di indicazione";
        case record_kind::signal:
            return "il segnale";
        case record_kind::slow_order:
            return "il rallentamento";
        case record_kind::abatement:
            return "l'abbattimento";
        case record_kind::station:
            return "la stazione";
        default:
            return record_name(kind);
    }
}

// How an author gets rid of an encoding warning.
constexpr std::string_view k_save_as_windows1252 =
    "; salva il testo come Windows-1252 (in molti editor: \"ANSI\" o \"Europa occidentale\"), "
    "senza BOM";

// "N, M e K".
std::string listed(const std::vector<diagnostic_argument>& arguments) {
    std::string all;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        all += (i == 0 ? "" : i + 1 == arguments.size() ? " e " : ", ") + number_text(arguments, i);
    }
    return all;
}

}  // namespace

std::string fault_words(const found_fault& fault, const compile_inputs& in) {
    return code_words(fault, in);
}

std::string identity_fault_words(const found_fault& fault, const compile_inputs& in) {
    const cella first = fault.occupant.value_or(cella{});
    const bool first_word = fault.code == fault_code::identity_marker;
    const std::int16_t value = first_word ? first.val1 : first.val2;
    return "la cella 1 (da 0 a 50 m) ha già un valore nella " +
           std::string(first_word ? "prima" : "seconda") + " parola (" + std::to_string(value) +
           ", " + cell_occupant(in.state, first) +
           "), dove vanno i codici di identità: nessun file binario scritto" +
           (fault.occupant_record ? "; questo record ve lo ha messo" : "");
}

std::string missing_text_words() { return "testo di descrizione mancante: il file non esiste"; }

std::string warning_words(const compile_warning& warning) {
    const std::vector<diagnostic_argument>& a = warning.arguments;
    switch (warning.code) {
        case warning_code::byte_order_mark:
            return "il testo comincia con il segno BOM di UTF-8: i tre byte diventano \"" +
                   from_windows1252("\xEF\xBB\xBF") + "\" davanti alla prima voce" +
                   std::string(k_save_as_windows1252);
        case warning_code::utf8_text:
            return "il testo sembra scritto in UTF-8: " + quoted(text(a, 0)) +
                   " arriverà al simulatore come " + quoted(from_windows1252(text(a, 0))) +
                   std::string(k_save_as_windows1252);
        case warning_code::hidden_by_dash:
            return "record nascosto dal trattino: " + quoted(text(a, 0));
        case warning_code::last_item:
            return "ultima voce del testo, mai letta: " + quoted(text(a, 0));
        case warning_code::unknown_item:
            return "voce non riconosciuta, ignorata: " + quoted(text(a, 0));
        case warning_code::unknown_item_near:
            return "voce non riconosciuta, ignorata: " + quoted(text(a, 0)) + "; forse " +
                   quoted(name(a, 1)) + "?";
        case warning_code::comment_ignored:
            return "questa riga sembra un commento, ma il formato non ne ha: la voce " +
                   quoted(text(a, 0)) + " è ignorata";
        case warning_code::comment_read_as_record:
            return "questa riga sembra un commento, ma il formato non ne ha: contiene " +
                   quoted(text(a, 0)) + " ed è letta come record " + quoted(name(a, 1)) +
                   ", con i valori che seguono";
        case warning_code::extra_values:
        case warning_code::decimal_comma: {
            std::string words = "valori in più per il record " + quoted(name(a, 0)) +
                                ", che ne prende " + number_text(a, 1) + ": " + quoted(text(a, 2)) +
                                " è ignorato";
            if (warning.code == warning_code::extra_values) return words;
            const std::string whole = number_text(a, 3);
            return words + "; se " + quoted(whole + "," + text(a, 4)) +
                   " è un numero con la virgola decimale, è letto come " + whole +
                   ": i valori sono numeri interi";
        }
        case warning_code::train_without_generale:
        case warning_code::train_without_generale_near: {
            const std::string words =
                "sezione \"[generale]\" non trovata: nessun record del testo del treno è "
                "compilato (niente stazioni, segnali né limiti di velocità)";
            if (warning.code == warning_code::train_without_generale) return words;
            return words + "; forse " + quoted(text(a, 0)) + " voleva essere \"[generale]\"";
        }
        case warning_code::out_of_order:
            return "record " + quoted(name(a, 0)) + " fuori ordine: " + metres(number(a, 1)) +
                   " viene dopo " + metres(number(a, 2)) +
                   ", ma questi record vanno scritti in ordine di posizione crescente";
        case warning_code::curves_overlap:
            return "la curva da " + metres(number(a, 0)) +
                   " comincia prima che finisca la precedente (a " + metres(number(a, 1)) +
                   "): le curve si sovrappongono";
        case warning_code::beyond_route_end:
            return std::string(feature_of(std::get<record_kind>(a[0]))) + " a " +
                   metres(number(a, 1)) + " sta oltre la fine del percorso (" +
                   metres(number(a, 2)) +
                   "), nella zona di uscita che nessun treno percorre in servizio";
        case warning_code::board_speed_rounded:
            return "la velocità " + number_text(a, 0) +
                   " km/h del cartello è scritta nel file come " + number_text(a, 1) +
                   " km/h: il campo la tiene in passi di 5 km/h";
        case warning_code::gradient_wrapped:
            return "la pendenza " + number_text(a, 0) + " ‰ è scritta nel file come " +
                   number_text(a, 1) + " ‰: il campo va da -100 a 155 ‰";
        case warning_code::speed_limit_rounded:
            return "il limite di " + number_text(a, 0) + " km/h è scritto nel file come " +
                   number_text(a, 1) + " km/h: le celle tengono il limite in passi di 5 km/h";
        case warning_code::adhesion_wrapped:
            return "l'aderenza " + number_text(a, 0) + " è scritta nel file come " +
                   number_text(a, 1) + ": il campo va da 0 a 255";
        case warning_code::signal_time_wrapped:
            return "il tempo " + number_text(a, 0) + " del segnale è scritto nel file come " +
                   number_text(a, 1) + ": il campo va da 0 a 255";
        case warning_code::slow_order_speed_wrapped:
            return "la velocità " + number_text(a, 0) +
                   " del rallentamento è scritta nel file come " + number_text(a, 1) +
                   ": il campo va da -32768 a 32767";
        case warning_code::abatement_value_wrapped:
            return "il valore " + number_text(a, 0) +
                   " dell'abbattimento è scritto nel file come " + number_text(a, 1) +
                   ": il campo va fino a 32767";
    }
    return "avviso " + std::to_string(static_cast<int>(warning.code));
}

std::string note_words(const diagnostic_note& note) {
    const std::vector<diagnostic_argument>& a = note.arguments;
    switch (note.code) {
        case note_code::earlier_record:
            return "il record a " + metres(number(a, 0)) + ", scritto prima, è qui";
        case note_code::previous_curve:
            return "la curva precedente, da " + number_text(a, 0) + " a " + metres(number(a, 1)) +
                   ", è qui";
        case note_code::cells_filled:
            return a.size() == 1
                       ? "la cella " + number_text(a, 0) + " è stata occupata da questo record"
                       : "le celle " + listed(a) + " sono state occupate da questo record";
        case note_code::earlier_station:
            return "la stazione precedente è qui";
        case note_code::slow_order_after_signal:
            return "il rallentamento il cui cartello di avviso segue il segnale è qui";
        case note_code::progressive_not_whole_too:
            return "anche questa progressiva ha un valore non multiplo di 50";
    }
    return "nota " + std::to_string(static_cast<int>(note.code));
}

std::string dropped_warnings_words(std::size_t dropped) {
    return "altri " + std::to_string(dropped) + " avvisi non mostrati (ne sono mostrati i primi " +
           std::to_string(compile_diagnostics::k_max_warnings_per_text) + ")";
}

}  // namespace scenario::tool
