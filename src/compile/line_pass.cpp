// The line pass: the search for "[generale]", the general section, the feature records, the
// plan geometry trace and the end-of-text completions. One member function per record kind; every
// hard stop goes through hard_stop, which deletes the text before the code is recorded.
#include "compile/line_pass.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "compile/compile_support.h"
#include "compile/item_reader.h"
#include "compile/line_features.h"
#include "compile/line_geometry.h"
#include "compile/line_keywords.h"
#include "base/positions.h"
#include "base/windows1252.h"

namespace scenario {
namespace {

constexpr int k_generale_skips = 10;
constexpr int k_feature_skips = 2;
constexpr std::size_t k_max_text = 65535;  // a v_nome holds a 16-bit count

enum class outcome { go_on, soft_stop, hard_stop };
enum class section { generale, features };

bool is_keyword(section where, std::string_view item) {
    return where == section::generale ? generale_keyword(item) : feature_keyword(item);
}

class line_compiler {
   public:
    line_compiler(run_state& state, description_source& texts, compile_diagnostics* diagnostics,
                  item_reader& reader)
        : state_(state), texts_(texts), diagnostics_(diagnostics), reader_(reader) {}

    line_pass_result run();

   private:
    bool find_generale();
    outcome generale_loop();
    outcome generale_record(const std::string& item);
    outcome route_length();
    void progressive(int entry);
    outcome repetition(const std::string& item);

    void prepare_features();
    outcome feature_loop();
    outcome feature_record(const std::string& item);
    outcome gradient();
    outcome curve(const std::string& item);
    outcome mountain();
    outcome board();
    outcome sign();
    void finish();

    void write_gradient_cell();
    bool trace_up_to(std::int64_t last, std::optional<double> k, bool guarded);

    void read_keyword();
    std::int32_t read_value() { return reader_.read_long(); }
    bool skip_dashed(section where);
    bool beyond_cells(std::int32_t v) const;
    outcome hard_stop(std::int32_t code);
    outcome hard_stop(std::int32_t code, std::int32_t position);
    outcome soft_stop(std::int32_t position);
    void note(section where, std::string_view what, std::string_view item);
    void note_unknown(section where, const std::string& item);

    run_state& state_;
    description_source& texts_;
    compile_diagnostics* diagnostics_;
    item_reader& reader_;

    source_location keyword_at_;
    bool route_length_read_ = false;
    std::int32_t current_gradient_ = 0;
    std::int64_t next_gradient_cell_ = 0;
    std::int32_t next_point_ = 2;
    std::int32_t prossimo_cartello_ = k_first_sign_entry;
};

line_pass_result line_compiler::run() {
    if (!find_generale()) return {};
    if (generale_loop() == outcome::hard_stop) return {};
    // Without a length there are no cells to fill: nothing past this point may run.
    if (!route_length_read_)
        throw compile_fault("il testo della linea non ha il record \"lunghezza percorso\"");
    progressive_ordina(state_);
    prepare_features();
    if (feature_loop() == outcome::hard_stop) return {};
    finish();
    return {true, prossimo_cartello_};
}

// --- the general section ---------------------------------------------------------------------

bool line_compiler::find_generale() {
    do {
        read_keyword();
        if (reader_.at_end()) {
            hard_stop(102);
            return false;
        }
    } while (!contains_any_case(state_.voce_letta, "[generale]"));
    return true;
}

outcome line_compiler::generale_loop() {
    for (;;) {
        if (reader_.at_end()) return outcome::go_on;
        read_keyword();
        if (reader_.at_end()) {
            note(section::generale, "ultima voce del testo, mai letta", state_.voce_letta);
            return outcome::go_on;
        }
        // No end-of-text test between these reads: a text that ends here fails with 25.
        for (int n = 0; n < k_generale_skips && contains_any_case(state_.voce_letta, "-"); ++n) {
            note(section::generale, "record nascosto dal trattino", state_.voce_letta);
            read_keyword();
        }
        const std::string item = state_.voce_letta;
        if (generale_record(item) == outcome::hard_stop) return outcome::hard_stop;
        if (ends_generale(item)) return outcome::go_on;
    }
}

// Every test that the item passes runs its record, in this order.
outcome line_compiler::generale_record(const std::string& item) {
    const auto exact = [&](std::string_view key) { return contains_exact(item, key); };
    auto& testata = state_.testata;
    if (contains_any_case(item, "lunghezza") && contains_any_case(item, "percorso")) {
        if (route_length() == outcome::hard_stop) return outcome::hard_stop;
    }
    if (exact("tre") && exact("progressiva")) progressive(k_entry_progressiva_tre);
    if (exact("due") && exact("progressiva")) progressive(k_entry_progressiva_due);
    if (exact("uno") && exact("progressiva")) progressive(k_entry_progressiva_uno);
    // Scenery two and three are stored crosswise: "due" in v_c, "tre" in v_b.
    if (exact("sfondo") && exact("uno")) testata[k_entry_linea].v_a = read_value();
    if (exact("sfondo") && exact("due")) testata[k_entry_linea].v_c = read_value();
    if (exact("sfondo") && exact("tre")) testata[k_entry_linea].v_b = read_value();
    if (exact("segnali") && exact("ripetizione")) {
        if (repetition(item) == outcome::hard_stop) return outcome::hard_stop;
    }
    note_unknown(section::generale, item);
    return outcome::go_on;
}

outcome line_compiler::route_length() {
    const std::int32_t length = read_value();
    state_.testata[k_entry_treno].v_b = length;
    if (length > k_max_route_length) return hard_stop(1);
    if (length < 0)
        throw compile_fault("lunghezza del percorso negativa: " + std::to_string(length));
    state_.lunghezza_dim = route_last_metre(length);
    state_.n_celle = route_last_cell(length);
    state_.celle.assign(static_cast<std::size_t>(state_.n_celle) + 1, cella{});
    if (state_.crea_geometria != 0) state_.geometria = geometria(state_.lunghezza_dim);
    route_length_read_ = true;
    return outcome::go_on;
}

void line_compiler::progressive(int entry) {
    voce& v = state_.testata[static_cast<std::size_t>(entry)];
    v.v_a = read_value();
    v.v_b = read_value();
    v.v_c = read_value();
}

outcome line_compiler::repetition(const std::string& item) {
    voce& v = state_.testata[k_entry_codici];
    v.v_a = read_value();
    v.v_b = read_value();
    if (v.v_a % 50 != 0) return hard_stop(3);
    if (v.v_b % 50 != 0) return hard_stop(4);
    if (contains_any_case(item, "4")) {
        v.v_c = 4;
    } else if (contains_any_case(item, "9")) {
        v.v_c = 9;
    } else {
        return hard_stop(5);
    }
    if (v.v_b == 0) v.v_c = 0;
    return outcome::go_on;
}

// --- the feature records ---------------------------------------------------------------------

void line_compiler::prepare_features() {
    state_.conta_montagne = 0;
    prossimo_cartello_ = k_first_sign_entry;
    next_gradient_cell_ = 0;
    next_point_ = 2;
    if (state_.crea_geometria != 0) seed_geometry(state_.geometria);
}

outcome line_compiler::feature_loop() {
    for (;;) {
        if (reader_.at_end()) return outcome::go_on;
        read_keyword();
        if (reader_.at_end()) {
            note(section::features, "ultima voce del testo, mai letta", state_.voce_letta);
            return outcome::go_on;
        }
        if (!skip_dashed(section::features)) return outcome::go_on;
        // A sign record reads its text into voce_letta: the tests go on with the keyword.
        const std::string item = state_.voce_letta;
        const outcome result = feature_record(item);
        if (result != outcome::go_on) return result;
    }
}

// Replaces a keyword item holding "-" by the next one, at most twice; false when the text ended
// on the replacement, which is then never examined.
bool line_compiler::skip_dashed(section where) {
    for (int n = 0; n < k_feature_skips && contains_any_case(state_.voce_letta, "-"); ++n) {
        note(where, "record nascosto dal trattino", state_.voce_letta);
        read_keyword();
        if (reader_.at_end()) {
            note(where, "ultima voce del testo, mai letta", state_.voce_letta);
            return false;
        }
    }
    return true;
}

outcome line_compiler::feature_record(const std::string& item) {
    const auto has = [&](std::string_view key) { return contains_any_case(item, key); };
    outcome result = outcome::go_on;
    if (has("pendenza")) result = gradient();
    if (result == outcome::go_on && has("curva") && state_.crea_geometria != 0)
        result = curve(item);
    if (result == outcome::go_on && has("montagna")) result = mountain();
    if (result == outcome::go_on && has("indicatori_v")) result = board();
    if (result == outcome::go_on && has("cartello") && has("indicat")) result = sign();
    note_unknown(section::features, item);
    return result;
}

outcome line_compiler::gradient() {
    const std::int32_t p = read_value();
    const std::int32_t g = read_value();
    if (beyond_cells(p)) return soft_stop(p);
    const std::int64_t c = fill_cell(p);
    // Write, then test: a record at or behind the cursor still writes one cell.
    if (c > 0) {
        do {
            write_gradient_cell();
        } while (next_gradient_cell_ < c);
    }
    current_gradient_ = g;
    return outcome::go_on;
}

outcome line_compiler::curve(const std::string& item) {
    const std::int32_t s = read_value();
    const std::int32_t n = read_value();
    if (beyond_cells(s)) return soft_stop(s);
    const std::optional<double> k = curvature(item);
    if (!k) return hard_stop(103);
    const std::int32_t end = checked_long(std::int64_t{s} + n);
    if (!trace_up_to(s, std::nullopt, true) || !trace_up_to(end, k, true)) return hard_stop(103);
    return outcome::go_on;
}

outcome line_compiler::mountain() {
    std::int32_t inizio = read_value();
    std::int32_t fine = read_value();
    std::int32_t tipo = read_value();
    if (beyond_cells(inizio) || fill_cell(inizio) < 0) return soft_stop(inizio);
    memo_montagna(state_, inizio, fine, tipo);
    return outcome::go_on;
}

outcome line_compiler::board() {
    std::array<std::int32_t, 9> v{};
    for (std::int32_t& value : v) value = read_value();
    const std::int32_t posizione = v[0];
    if (beyond_cells(posizione) || point_cell(posizione) < 0) return soft_stop(posizione);
    memo_indicatori_v_max(state_, posizione, v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]);
    if (state_.codice_errore > 0) return hard_stop(state_.codice_errore, posizione);
    return outcome::go_on;
}

outcome line_compiler::sign() {
    const std::int32_t p = read_value();
    state_.voce_letta = reader_.read_text();
    const std::int64_t c = point_cell(p);
    if (beyond_cells(p) || c < 0) return soft_stop(p);
    cella& cell = state_.celle[static_cast<std::size_t>(c)];
    if (!is_free(cell)) return hard_stop(6, p);
    if (prossimo_cartello_ < 1)
        throw compile_fault("nessuna voce della testata libera per il cartello");
    if (state_.voce_letta.size() > k_max_text)
        throw compile_fault("testo del cartello più lungo di 65535 caratteri");
    cell.tipo_cella = byte_of(cell_kind::information_sign);
    cell.val1 = static_cast<std::int16_t>(prossimo_cartello_);
    state_.testata[static_cast<std::size_t>(prossimo_cartello_)].v_nome = state_.voce_letta;
    --prossimo_cartello_;
    return outcome::go_on;
}

// --- end of the text ---------------------------------------------------------------------------

// The last three cells never get a gradient from the completion.
void line_compiler::finish() {
    texts_.remove(description_text::line);
    do {
        write_gradient_cell();
    } while (next_gradient_cell_ < std::int64_t{state_.n_celle} - 2);
    if (state_.crea_geometria != 0) {
        trace_up_to(std::int64_t{state_.lunghezza_dim} - 2, std::nullopt, false);
    }
}

// The cursor stops at the last cell: records that repeat a position push it at most that far.
void line_compiler::write_gradient_cell() {
    const std::int64_t last = static_cast<std::int64_t>(state_.celle.size()) - 1;
    cella& cell = state_.celle[static_cast<std::size_t>(next_gradient_cell_)];
    cell.pendenza = static_cast<std::uint8_t>(checked_long(std::int64_t{current_gradient_} + 100));
    if (next_gradient_cell_ < last) ++next_gradient_cell_;
}

// Traces points up to `last` (never past the end of the table); straight without k. A curve
// record guards its trace: false once the next point would lie past 1000000.
bool line_compiler::trace_up_to(std::int64_t last, std::optional<double> k, bool guarded) {
    const std::int64_t stop = std::min<std::int64_t>(last, state_.geometria.last_metre());
    if (next_point_ > stop) return true;
    // A guarded trace stops right after the point that takes it past 1000000.
    const std::int64_t end =
        guarded ? std::min(stop, std::max<std::int64_t>(next_point_, k_last_traceable_point))
                : stop;
    trace_points(state_.geometria, static_cast<std::int32_t>(next_point_),
                 static_cast<std::int32_t>(end), k);
    next_point_ = static_cast<std::int32_t>(end + 1);
    return !(guarded && next_point_ > k_last_traceable_point);
}

// --- helpers -----------------------------------------------------------------------------------

void line_compiler::read_keyword() {
    state_.voce_letta = reader_.read_text();
    keyword_at_ = reader_.last_item();
}

// (v + 100) / 50 > n_celle, exactly; a v + 100 outside 32 bits fails the compile.
bool line_compiler::beyond_cells(std::int32_t v) const {
    return record_beyond_cells(v, k_record_room, state_.n_celle);
}

outcome line_compiler::hard_stop(std::int32_t code) {
    texts_.remove(description_text::line);
    state_.codice_errore = code;
    locate_fault(diagnostics_, description_text::line, keyword_at_);
    return outcome::hard_stop;
}

outcome line_compiler::hard_stop(std::int32_t code, std::int32_t position) {
    hard_stop(code);
    state_.posizione_errore = position;
    return outcome::hard_stop;
}

// A position beyond the cells ends the feature records; the completions still run.
outcome line_compiler::soft_stop(std::int32_t position) {
    state_.codice_errore = 15;
    state_.posizione_errore = position;
    locate_fault(diagnostics_, description_text::line, keyword_at_);
    return outcome::soft_stop;
}

void line_compiler::note(section where, std::string_view what, std::string_view item) {
    if (!is_keyword(where, item)) return;
    warn(diagnostics_, description_text::line, keyword_at_,
         std::string(what) + ": \"" + from_windows1252(item) + "\"");
}

void line_compiler::note_unknown(section where, const std::string& item) {
    if (item.empty() || is_section_header(item) || is_whole_number(item)) return;
    if (is_keyword(where, item)) return;
    warn(diagnostics_, description_text::line, keyword_at_,
         "voce non riconosciuta, ignorata: \"" + from_windows1252(item) + "\"");
}

}  // namespace

line_pass_result line_pass(run_state& state, description_source& texts,
                           compile_diagnostics* diagnostics) {
    state.testata[k_entry_linea].v_nome = to_windows1252(state.nome_linea);
    state.testata[k_entry_codici].v_nome = to_windows1252(state.codice_treno);
    if (!texts.exists(description_text::line)) {
        state.codice_errore = 101;
        return {};
    }
    const std::string_view text = texts.read(description_text::line);
    item_reader reader(text);
    try {
        return line_compiler(state, texts, diagnostics, reader).run();
    } catch (const compile_fault&) {
        locate_fault(diagnostics, description_text::line, reader.here());
        throw;
    }
}

}  // namespace scenario
