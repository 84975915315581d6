// The train pass: the preamble skip, the record loop over its table of ten keywords, the
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
#include "compile/train_records.h"

namespace scenario {
namespace {

constexpr dash_rule k_dashes = {2, true};  // items containing "-" replaced in one turn

std::string_view read_train_text(description_source& texts) {
    if (!texts.exists(description_text::train)) {
        throw compile_fault(failure_code::no_train_text, {texts.name(description_text::train)});
    }
    return texts.read(description_text::train);
}

}  // namespace

train_compiler::train_compiler(run_state& state, description_source& texts, item_reader& reader,
                               std::int32_t prossimo_cartello, compile_diagnostics* diagnostics)
    : state_(state),
      texts_(texts),
      reader_(reader),
      scanner_(reader, state.voce_letta, description_text::train, diagnostics),
      prossimo_cartello_(prossimo_cartello),
      diagnostics_(diagnostics),
      last_cell_(static_cast<std::int64_t>(state.celle.size()) - 1) {
    if (state.celle.empty()) throw compile_fault(failure_code::no_cells);
}

void train_compiler::run_reporting() {
    try {
        run();
    } catch (const compile_fault& failure) {
        const found_fault fault = scanner_.run_time_fault(failure);
        note_stop(diagnostics_, {description_text::train, fault.where.value_or(source_location{})});
        report_fault(diagnostics_, fault);
        throw;
    }
}

void train_compiler::run() {
    skip_preamble();
    while (scanner_.next_record(k_train_records, k_dashes)) {
        const outcome result = scanner_.run_records(
            k_train_records, [this](record_kind which) { return run_record(which); });
        if (result == outcome::hard_stop) return;
        if (result == outcome::soft_stop) break;
    }
    finish();
}

// An empty text fails here: the search always makes a first read. A text without "[generale]"
// compiles nothing at all: the author hears of it at the section header nearest it, and the
// checker takes that header (or the top of the text) for it.
void train_compiler::skip_preamble() {
    do {
        scanner_.read_keyword_seeking_generale();
    } while (!contains_any_case(state_.voce_letta, "[generale]") && !reader_.at_end());
    if (diagnostics_ == nullptr || contains_any_case(state_.voce_letta, "[generale]")) return;
    const text_position at{description_text::train, scanner_.nearest_generale_at()};
    if (const std::optional<std::string> nearest = scanner_.nearest_generale()) {
        warn(diagnostics_, warning_code::train_without_generale_near, at, {*nearest});
    } else {
        warn(diagnostics_, warning_code::train_without_generale, at);
    }
    if (checking(diagnostics_)) scanner_.restart_after_nearest_generale();
}

train_compiler::outcome train_compiler::run_record(record_kind which) {
    voce& treno = state_.testata[k_entry_treno];
    voce& codici = state_.testata[k_entry_codici];
    switch (which) {
        case record_kind::braked_mass:
            treno.v_a = scanner_.read_long();
            break;
        case record_kind::cars:
            treno.v_c = scanner_.read_long();
            break;
        case record_kind::speed:
            return speed_record();
        case record_kind::adhesion:
            return adhesion_record();
        case record_kind::clock:
            codici.v_i3 = scanner_.read_integer();
            codici.v_i4 = scanner_.read_integer();
            codici.v_i5 = scanner_.read_integer();
            break;
        case record_kind::sand:
            codici.v_i1 = scanner_.read_integer();
            break;
        case record_kind::signal:
            return place_signal();
        case record_kind::slow_order:
            return place_slow_order();
        case record_kind::abatement:
            return abatement_record();
        case record_kind::station:
            return station_record();
        default:  // the line text's records are not in this pass's table
            break;
    }
    return outcome::go_on;
}

bool train_compiler::beyond_cells(std::int32_t position, std::int32_t margin) const {
    // (position + margin) / 50 > U, compared exactly; a sum outside 32 bits fails the compile.
    return record_beyond_cells(position, margin, last_cell_);
}

void train_compiler::check_order(record_kind record, order_check& previous, std::int32_t position) {
    if (diagnostics_ == nullptr) return;
    check_increasing(diagnostics_, previous, scanner_.record_at(), *scanner_.value_at(0), record,
                     position);
}

void train_compiler::warn_value(std::size_t index, warning_code code, std::int64_t written,
                                std::int64_t held) {
    if (diagnostics_ == nullptr) return;
    warn(diagnostics_, code, {description_text::train, *scanner_.value_at(index)}, {written, held});
}

void train_compiler::warn_beyond_end(record_kind record, std::int64_t metres) {
    if (diagnostics_ == nullptr) return;
    warn_beyond_route_end(diagnostics_, state_, scanner_.record_at(), *scanner_.value_at(0), record,
                          metres);
}

std::uint8_t train_compiler::fifth_of_limit() const {
    const double fifth = nearest(current_limit_ / 5.0);
    if (!(fifth >= 0.0 && fifth <= 255.0)) {
        throw compile_fault(failure_code::limit_beyond_cell, {std::int64_t{current_limit_}});
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
    const std::int32_t p = scanner_.read_long();
    const std::int32_t limit = scanner_.read_long();
    if (beyond_cells(p, k_record_room)) return soft_stop(p, k_record_room);
    check_order(record_kind::speed, speeds_, p);
    if (limit % 5 != 0 && limit > 0) {
        warn_value(1, warning_code::speed_limit_rounded, limit,
                   static_cast<std::int64_t>(nearest(limit / 5.0)) * 5);
    }
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
    const std::int32_t p = scanner_.read_long();
    const std::int32_t value = scanner_.read_long();
    if (beyond_cells(p, k_record_room)) return soft_stop(p, k_record_room);
    check_order(record_kind::adhesion, adhesions_, p);
    if (value < 0 || value > 255) {
        warn_value(1, warning_code::adhesion_wrapped, value,
                   static_cast<std::uint8_t>(static_cast<std::uint32_t>(value)));
    }
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

train_compiler::outcome train_compiler::place_signal() {
    signal_record record;
    for (std::int32_t* value :
         {&record.posizione, &record.sx, &record.s1, &record.s2, &record.s3, &record.rapp,
          &record.dx, &record.d1, &record.d2, &record.d3, &record.tempo}) {
        *value = scanner_.read_long();
    }
    const std::int32_t posizione = record.posizione;
    if (beyond_cells(posizione, k_record_room)) return soft_stop(posizione, k_record_room);
    // A signal whose cell would lie below cell 0 ends the reading like one beyond the last.
    const std::int64_t cell = point_cell(posizione);
    if (!train_cell_inside(state_, cell)) return soft_stop_at_cell(posizione, cell);
    warn_beyond_end(record_kind::signal, posizione);
    const std::int32_t tempo = record.tempo;
    const placement result = memo_segnale(state_, record);
    if (result.ok() && record.sx == 2 && (record.tempo < 0 || record.tempo > 255)) {
        warn_value(10, warning_code::signal_time_wrapped, tempo,
                   state_.celle[static_cast<std::size_t>(cell)].tempo_segnale);
    }
    return placed(result, posizione);
}

train_compiler::outcome train_compiler::place_slow_order() {
    slow_order_record record;
    for (std::int32_t* value :
         {&record.x, &record.v, &record.l, &record.f_tt, &record.f_ta, &record.d_v}) {
        *value = scanner_.read_long();
    }
    const std::int32_t x = record.x;
    if (beyond_cells(x, k_record_room)) return soft_stop(x, k_record_room);
    // The end cell is not covered by the test on x: a long slow order must not reach past the
    // last cell, nor a negative length below cell 0.
    const std::int64_t end_metres = checked_long(std::int64_t{x} + record.l);
    const std::int64_t start = point_cell(x);
    const std::int64_t end = point_cell(end_metres);
    if (!train_cell_inside(state_, start)) return soft_stop_at_cell(x, start);
    if (!train_cell_inside(state_, end)) return soft_stop_at_cell(x, end);
    warn_beyond_end(record_kind::slow_order, std::max(std::int64_t{x}, end_metres));
    if (record.v < -32768 || record.v > 32767) {
        warn_value(1, warning_code::slow_order_speed_wrapped, record.v,
                   static_cast<std::int16_t>(
                       static_cast<std::uint16_t>(static_cast<std::uint32_t>(record.v))));
    }
    return placed(memo_rallentamento(state_, record), x);
}

// Unlike a point feature, the mark lies on cell p / 50 itself.
train_compiler::outcome train_compiler::abatement_record() {
    const std::int32_t p = scanner_.read_long();
    const std::int32_t value = scanner_.read_long();
    if (beyond_cells(p, k_record_room)) return soft_stop(p, k_record_room);
    const std::int64_t c = fill_cell(p);
    if (!train_cell_inside(state_, c)) return soft_stop_at_cell(p, c);
    cella& mark = state_.celle[static_cast<std::size_t>(c)];
    warn_beyond_end(record_kind::abatement, p);
    if (value > 32767) {
        warn_value(1, warning_code::abatement_value_wrapped, value,
                   static_cast<std::int16_t>(
                       static_cast<std::uint16_t>(static_cast<std::uint32_t>(value))));
    }
    if (!is_free(mark)) {
        return placed(placement::taken(fault_code::value_mark_cell_taken, c, p), p);
    }
    if (value > 0) {
        mark.tipo_cella = byte_of(cell_kind::value_mark);
        mark.val1 = static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
    } else {
        mark.tipo_cella = byte_of(cell_kind::empty_value_mark);
    }
    note_placed(diagnostics_, c, scanner_.record_at());
    return outcome::go_on;
}

// The cells a placement wrote are the record's; a fault stops the pass at the record's position.
train_compiler::outcome train_compiler::placed(const placement& result, std::int32_t position) {
    note_placed(diagnostics_, result, scanner_.record_at());
    if (result.ok()) return outcome::go_on;
    return hard_stop(scanner_.placement_fault(result, position, state_));
}

train_compiler::outcome train_compiler::soft_stop(std::int32_t position, std::int32_t margin) {
    return soft_stop(scanner_.beyond_fault(position, last_cell_, margin));
}

train_compiler::outcome train_compiler::soft_stop_at_cell(std::int32_t position,
                                                          std::int64_t cell) {
    return soft_stop(scanner_.beyond_cell_fault(position, cell));
}

// The checker keeps the fault and passes over the rest of the record's line.
train_compiler::outcome train_compiler::soft_stop(found_fault fault) {
    if (scanner_.passed_over(fault)) return outcome::go_on;
    state_.codice_errore = value_of(fault.code);
    state_.posizione_errore = *fault.position;
    note_stop(diagnostics_, scanner_.record_at());
    report_fault(diagnostics_, std::move(fault));
    return outcome::soft_stop;
}

train_compiler::outcome train_compiler::hard_stop(fault_code code,
                                                  std::optional<std::int32_t> position) {
    found_fault fault = scanner_.fault(code);
    fault.position = position;
    return hard_stop(std::move(fault));
}

train_compiler::outcome train_compiler::hard_stop(found_fault fault) {
    if (scanner_.passed_over(fault)) return outcome::go_on;
    note_stop(diagnostics_, scanner_.record_at());
    texts_.remove(description_text::train);
    state_.codice_errore = value_of(fault.code);
    if (fault.position) state_.posizione_errore = *fault.position;
    report_fault(diagnostics_, std::move(fault));
    return outcome::hard_stop;
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
    if (state_.indice2 == 0) return;
    state_.codice_errore = value_of(fault_code::progressive_not_whole);
    if (diagnostics_ == nullptr) return;
    found_fault fault;
    fault.code = fault_code::progressive_not_whole;
    fault.text = description_text::line;
    for (int entry = k_entry_progressiva_tre; entry <= k_entry_progressiva_uno; ++entry) {
        const voce& progressive = state_.testata[static_cast<std::size_t>(entry)];
        if (progressive.v_a % k_cell_metres != 0 || progressive.v_b % k_cell_metres != 0) {
            fault.entries.push_back(entry);
        }
    }
    report_fault(diagnostics_, std::move(fault));
}

void train_pass(run_state& state, description_source& texts, std::int32_t prossimo_cartello,
                compile_diagnostics* diagnostics) {
    try {
        std::string_view text;
        try {
            text = read_train_text(texts);
        } catch (const compile_fault& failure) {
            report_run_time_failure(diagnostics, description_text::train, std::nullopt, failure);
            throw;
        }
        item_reader reader(text);
        warn_about_encoding(diagnostics, description_text::train, text);
        train_compiler(state, texts, reader, prossimo_cartello, diagnostics).run_reporting();
    } catch (...) {
        // The recovery of memorizza_dati deletes it too; a pass driven on its own must not
        // leave its text behind either.
        texts.remove(description_text::train);
        throw;
    }
}

}  // namespace scenario
