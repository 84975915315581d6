// The train pass: the preamble skip, the main loop with its "-" rule and ten keyword tests, the
// speed and adhesion cursors, the signal, slow-order and "abbattimento" records, the end-of-text
// fills and the check of the kilometric progressives. The station records live in
// train_stations.cpp. The text is deleted on every way out: at the end of the text, at a hard
// stop, and (through the rethrow below) when a run-time failure escapes.
#include "compile/train_pass.h"

#include <exception>
#include <string>

#include "compile/compile_support.h"
#include "compile/train_compiler.h"
#include "compile/train_features.h"
#include "base/windows1252.h"

namespace scenario {
namespace {

constexpr int k_dash_skips = 2;  // items containing "-" skipped in one turn

struct keyword {
    std::string_view first;
    std::string_view second;  // must be contained as well, when not empty
    train_compiler::record_kind kind;
};

using kind = train_compiler::record_kind;

// The ten tests in the order they are made; an item that passes several runs each record.
constexpr keyword k_keywords[] = {
    {"frenata", "massa", kind::braked_mass},
    {"vetture", "", kind::cars},
    {"velocit", "", kind::speed},
    {"aderenza", "", kind::adhesion},
    {"orologio", "", kind::clock},
    {"sabbia", "", kind::sand},
    {"segnale", "", kind::signal},
    {"rallentamento", "", kind::slow_order},
    {"abbattimento", "", kind::abatement},
    {"stazione", "", kind::station},
};

bool matches(const keyword& key, std::string_view item) {
    return contains_any_case(item, key.first) &&
           (key.second.empty() || contains_any_case(item, key.second));
}

// Items are Windows-1252 bytes; the warnings are read as UTF-8.
std::string in_quotes(std::string_view item) { return "\"" + from_windows1252(item) + "\""; }

std::string_view read_train_text(description_source& texts) {
    if (!texts.exists(description_text::train)) {
        throw compile_fault("il testo del treno " + texts.name(description_text::train) +
                            " non esiste");
    }
    return texts.read(description_text::train);
}

// Whether the item would run one of the ten records.
bool is_record_keyword(std::string_view item) {
    for (const keyword& key : k_keywords) {
        if (matches(key, item)) return true;
    }
    return false;
}

}  // namespace

train_compiler::train_compiler(run_state& state, description_source& texts, item_reader& reader,
                               std::int32_t prossimo_cartello, compile_diagnostics* diagnostics)
    : state_(state),
      texts_(texts),
      reader_(reader),
      prossimo_cartello_(prossimo_cartello),
      diagnostics_(diagnostics),
      last_cell_(static_cast<std::int64_t>(state.celle.size()) - 1) {
    if (state.celle.empty()) throw compile_fault("le celle non sono state create");
}

void train_compiler::run() {
    skip_preamble();
    while (next_keyword()) {
        const outcome result = examine();
        if (result == outcome::hard_stop) return;
        if (result == outcome::soft_stop) break;
    }
    finish();
}

// An empty text fails here: the search always makes a first read.
void train_compiler::skip_preamble() {
    do {
        state_.voce_letta = reader_.read_text();
    } while (!contains_any_case(state_.voce_letta, "[generale]") && !reader_.at_end());
}

bool train_compiler::take_item() {
    state_.voce_letta = reader_.read_text();
    keyword_at_ = reader_.last_item();
    if (!reader_.at_end()) return true;
    if (is_record_keyword(state_.voce_letta)) {
        note("ultima voce del testo, mai letta: " + in_quotes(state_.voce_letta));
    }
    return false;
}

// The last item of the text is never examined, not even when the "-" rule brought it in.
bool train_compiler::next_keyword() {
    if (reader_.at_end()) return false;
    if (!take_item()) return false;
    for (int skipped = 0; skipped < k_dash_skips && contains_exact(state_.voce_letta, "-");
         ++skipped) {
        if (is_record_keyword(state_.voce_letta)) {
            note("record nascosto dal trattino: " + in_quotes(state_.voce_letta));
        }
        if (!take_item()) return false;
    }
    return true;
}

train_compiler::outcome train_compiler::examine() {
    // The records read further items, so the keyword item is kept aside for every test.
    const std::string item = state_.voce_letta;
    bool recognised = false;
    for (const keyword& key : k_keywords) {
        if (!matches(key, item)) continue;
        recognised = true;
        const outcome result = run_record(key.kind);
        if (result != outcome::go_on) return result;
    }
    if (!recognised && !item.empty() && !is_section_header(item) && !is_whole_number(item)) {
        note("voce non riconosciuta, ignorata: " + in_quotes(item));
    }
    return outcome::go_on;
}

train_compiler::outcome train_compiler::run_record(record_kind which) {
    voce& treno = state_.testata[k_entry_treno];
    voce& codici = state_.testata[k_entry_codici];
    switch (which) {
        case record_kind::braked_mass:
            treno.v_a = reader_.read_long();
            break;
        case record_kind::cars:
            treno.v_c = reader_.read_long();
            break;
        case record_kind::speed:
            return speed_record();
        case record_kind::adhesion:
            return adhesion_record();
        case record_kind::clock:
            codici.v_i3 = reader_.read_integer();
            codici.v_i4 = reader_.read_integer();
            codici.v_i5 = reader_.read_integer();
            break;
        case record_kind::sand:
            codici.v_i1 = reader_.read_integer();
            break;
        case record_kind::signal:
            return signal_record();
        case record_kind::slow_order:
            return slow_order_record();
        case record_kind::abatement:
            return abatement_record();
        case record_kind::station:
            return station_record();
    }
    return outcome::go_on;
}

bool train_compiler::beyond_cells(std::int32_t position, std::int32_t margin) const {
    // (position + margin) / 50 > U, compared exactly; a sum outside 32 bits fails the compile.
    return record_beyond_cells(position, margin, last_cell_);
}

void train_compiler::check_order(const char* record, std::optional<std::int32_t>& previous,
                                 std::int32_t position) {
    if (previous && position < *previous) {
        note("record " + std::string(record) + " fuori ordine: posizione " +
             std::to_string(position) + " dopo " + std::to_string(*previous));
    }
    previous = position;
}

std::uint8_t train_compiler::fifth_of_limit() const {
    const double fifth = nearest(current_limit_ / 5.0);
    if (!(fifth >= 0.0 && fifth <= 255.0)) {
        throw compile_fault("il limite di velocità " + std::to_string(current_limit_) +
                            " non entra in una cella (il suo quinto è fuori da 0-255)");
    }
    return static_cast<std::uint8_t>(fifth);
}

void train_compiler::write_limit(std::int64_t cell) {
    if (train_cell_inside(state_, cell)) {
        state_.celle[static_cast<std::size_t>(cell)].vel_limite = fifth_of_limit();
    }
}

void train_compiler::write_adhesion(std::int64_t cell) {
    if (train_cell_inside(state_, cell)) {
        state_.celle[static_cast<std::size_t>(cell)].aderenza =
            static_cast<std::uint8_t>(static_cast<std::uint32_t>(current_adhesion_));
    }
}

// A record sets the cells before its own: its limit takes effect from its cell on. One cell is
// written even when the cursor already stands at or past that cell.
train_compiler::outcome train_compiler::speed_record() {
    const std::int32_t p = reader_.read_long();
    const std::int32_t limit = reader_.read_long();
    if (beyond_cells(p, k_record_room)) return soft_stop(p);
    check_order("velocita", last_speed_position_, p);
    const std::int64_t c = fill_cell(p);
    if (c > 0) {
        do {
            if (speed_cursor_ >= last_cell_) break;  // the record never writes the last cell
            write_limit(speed_cursor_);
            ++speed_cursor_;
        } while (speed_cursor_ < c);
    }
    current_limit_ = limit;
    return outcome::go_on;
}

train_compiler::outcome train_compiler::adhesion_record() {
    const std::int32_t p = reader_.read_long();
    const std::int32_t value = reader_.read_long();
    if (beyond_cells(p, k_record_room)) return soft_stop(p);
    check_order("aderenza", last_adhesion_position_, p);
    const std::int64_t c = fill_cell(p);
    // This cursor, unlike the speed cursor, may reach the last cell; a cursor run past it by
    // repeated positions writes nothing more.
    if (c > 0) {
        do {
            write_adhesion(adhesion_cursor_);
            ++adhesion_cursor_;
        } while (adhesion_cursor_ < c);
    }
    current_adhesion_ = value;
    return outcome::go_on;
}

train_compiler::outcome train_compiler::signal_record() {
    std::int32_t v[11];
    for (std::int32_t& value : v) value = reader_.read_long();
    const std::int32_t posizione = v[0];
    if (beyond_cells(posizione, k_record_room)) return soft_stop(posizione);
    // A signal whose cell would lie below cell 0 ends the reading like one beyond the last.
    if (!train_cell_inside(state_, point_cell(posizione))) return soft_stop(posizione);
    if (!memo_segnale(state_, posizione, v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9],
                      v[10])) {
        return hard_stop(state_.codice_errore, posizione);
    }
    return outcome::go_on;
}

train_compiler::outcome train_compiler::slow_order_record() {
    std::int32_t v[6];
    for (std::int32_t& value : v) value = reader_.read_long();
    const std::int32_t x = v[0];
    if (beyond_cells(x, k_record_room)) return soft_stop(x);
    // The end cell is not covered by the test on x: a long slow order must not reach past the
    // last cell, nor a negative length below cell 0.
    const std::int64_t end_metres = checked_long(std::int64_t{x} + v[2]);
    if (!train_cell_inside(state_, point_cell(x)) ||
        !train_cell_inside(state_, point_cell(end_metres))) {
        return soft_stop(x);
    }
    if (!memo_rallentamento(state_, x, v[1], v[2], v[3], v[4], v[5])) {
        return hard_stop(state_.codice_errore, x);
    }
    return outcome::go_on;
}

// Unlike a point feature, the mark lies on cell p / 50 itself.
train_compiler::outcome train_compiler::abatement_record() {
    const std::int32_t p = reader_.read_long();
    const std::int32_t value = reader_.read_long();
    if (beyond_cells(p, k_record_room)) return soft_stop(p);
    const std::int64_t c = fill_cell(p);
    if (!train_cell_inside(state_, c)) return soft_stop(p);
    cella& mark = state_.celle[static_cast<std::size_t>(c)];
    if (!is_free(mark)) return hard_stop(7, p);
    if (value > 0) {
        mark.tipo_cella = byte_of(cell_kind::value_mark);
        mark.val1 = static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
    } else {
        mark.tipo_cella = byte_of(cell_kind::empty_value_mark);
    }
    return outcome::go_on;
}

train_compiler::outcome train_compiler::soft_stop(std::int32_t position) {
    state_.codice_errore = 15;
    state_.posizione_errore = position;
    locate_fault(diagnostics_, description_text::train, keyword_at_);
    return outcome::soft_stop;
}

train_compiler::outcome train_compiler::hard_stop(std::int32_t code,
                                                  std::optional<std::int32_t> position) {
    texts_.remove(description_text::train);
    state_.codice_errore = code;
    if (position) state_.posizione_errore = *position;
    locate_fault(diagnostics_, description_text::train, keyword_at_);
    return outcome::hard_stop;
}

void train_compiler::note(std::string message) {
    warn(diagnostics_, description_text::train, keyword_at_, std::move(message));
}

// The end of the text, also reached after a soft stop: the fills stop short of the last three
// cells.
void train_compiler::finish() {
    texts_.remove(description_text::train);
    do {
        write_limit(speed_cursor_);
        ++speed_cursor_;
    } while (speed_cursor_ < last_cell_ - 2);
    do {
        write_adhesion(adhesion_cursor_);
        ++adhesion_cursor_;
    } while (adhesion_cursor_ < last_cell_ - 2);
    check_progressives();
}

// Error 2 replaces a soft stop's 15 but keeps its position.
void train_compiler::check_progressives() {
    state_.indice2 = 0;
    for (state_.indice = k_entry_progressiva_tre; state_.indice <= k_entry_progressiva_uno;
         ++state_.indice) {
        const voce& progressive = state_.testata[static_cast<std::size_t>(state_.indice)];
        if (progressive.v_a % k_cell_metres != 0 || progressive.v_b % k_cell_metres != 0) {
            state_.indice2 = 1;
        }
    }
    if (state_.indice2 != 0) state_.codice_errore = 2;
}

void train_pass(run_state& state, description_source& texts, std::int32_t prossimo_cartello,
                compile_diagnostics* diagnostics) {
    try {
        const std::string_view text = read_train_text(texts);
        item_reader reader(text);
        try {
            train_compiler(state, texts, reader, prossimo_cartello, diagnostics).run();
        } catch (const compile_fault&) {
            locate_fault(diagnostics, description_text::train, reader.here());
            throw;
        }
    } catch (...) {
        // The recovery of memorizza_dati deletes it too; a pass driven on its own must not
        // leave its text behind either.
        texts.remove(description_text::train);
        throw;
    }
}

}  // namespace scenario
