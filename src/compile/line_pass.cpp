// The line pass: the search for "[generale]", the general section, the feature records, the
// plan geometry trace and the end-of-text completions. One keyword table names the records of
// both sections; the record scanner runs them. Every hard stop goes through hard_stop, which
// deletes the text before the code is recorded.
#include "compile/line_pass.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/positions.h"
#include "base/windows1252.h"
#include "compile/compile_support.h"
#include "compile/item_reader.h"
#include "compile/line_features.h"
#include "compile/line_geometry.h"
#include "compile/line_records.h"
#include "compile/record_scanner.h"

namespace scenario {
namespace {

using outcome = record_outcome;

constexpr dash_rule k_generale_dashes = {10, false};  // no end test between replacements
constexpr dash_rule k_feature_dashes = {2, true};
constexpr std::size_t k_max_text = 65535;  // a v_nome holds a 16-bit count

class line_compiler {
   public:
    line_compiler(run_state& state, description_source& texts, compile_diagnostics* diagnostics,
                  item_reader& reader)
        : state_(state),
          texts_(texts),
          diagnostics_(diagnostics),
          reader_(reader),
          scanner_(reader, state.voce_letta, description_text::line, diagnostics) {}

    line_pass_result run();
    // run, and a run-time failure reported at the record or value it was met in.
    line_pass_result run_reporting();

   private:
    bool find_generale();
    outcome generale_loop();
    outcome generale_record(record_kind which);
    outcome route_length();
    void progressive(int entry);
    outcome repetition();

    void prepare_features();
    outcome feature_loop();
    outcome feature_record(record_kind which);
    outcome gradient();
    outcome curve();
    outcome mountain();
    outcome board();
    outcome sign();
    void finish();

    void check_curve(std::int32_t start, std::int32_t length);
    void write_gradient_cell();
    bool trace_up_to(std::int64_t last, std::optional<double> k, bool guarded);

    std::int32_t read_value() { return scanner_.read_long(); }
    bool beyond_cells(std::int32_t v) const;
    outcome hard_stop(fault_code code);
    outcome hard_stop(found_fault fault);
    outcome value_fault(fault_code code, std::size_t index);
    outcome placed(const placement& result, std::int32_t position);
    outcome soft_stop(std::int32_t position);
    outcome soft_stop_at_cell(std::int32_t position, std::int64_t cell);
    outcome soft_stop(found_fault fault);
    void warn_wrapped_gradient(std::int32_t g);

    run_state& state_;
    description_source& texts_;
    compile_diagnostics* diagnostics_;
    item_reader& reader_;
    record_scanner scanner_;

    // The route length the checker compiles with when the text gives none it can use.
    void assume_longest_route();

    bool route_length_read_ = false;
    source_location generale_at_;
    order_check gradients_;
    order_check curves_;
    std::int32_t current_gradient_ = 0;
    std::int64_t next_gradient_cell_ = 0;
    std::int32_t next_point_ = 2;
    std::int32_t prossimo_cartello_ = k_first_sign_entry;
};

line_pass_result line_compiler::run_reporting() {
    try {
        return run();
    } catch (const compile_fault& failure) {
        const found_fault fault = scanner_.run_time_fault(failure);
        note_stop(diagnostics_, {description_text::line, fault.where.value_or(source_location{})});
        report_fault(diagnostics_, fault);
        throw;
    }
}

line_pass_result line_compiler::run() {
    if (!find_generale()) return {};
    if (generale_loop() == outcome::hard_stop) return {};
    // Without a length there are no cells to fill: nothing past this point may run.
    if (!route_length_read_) {
        if (!checking(diagnostics_)) throw compile_fault(failure_code::no_route_length);
        found_fault fault = bare_fault(fault_code::run_time_failure, description_text::line);
        fault.where = generale_at_;
        fault.failure = run_time_failure{failure_code::no_route_length, {}};
        report_fault(diagnostics_, std::move(fault));
        assume_longest_route();
    }
    progressive_ordina(state_);
    prepare_features();
    if (feature_loop() == outcome::hard_stop) return {};
    finish();
    return {true, prossimo_cartello_};
}

// --- the general section ---------------------------------------------------------------------

// The search passes every item up to "[generale]". When the text ends without it, the fault
// points at the section header nearest "[generale]" (a misspelt one, most likely); the checker
// then takes that header for it, or the top of the text when there is none.
bool line_compiler::find_generale() {
    do {
        scanner_.read_keyword_seeking_generale();
        if (reader_.at_end()) {
            found_fault fault = bare_fault(fault_code::no_generale, description_text::line);
            fault.where = scanner_.nearest_generale_at();
            fault.nearest_header = scanner_.nearest_generale();
            hard_stop(std::move(fault));
            if (!checking(diagnostics_)) return false;
            scanner_.restart_after_nearest_generale();
            generale_at_ = scanner_.nearest_generale_at();
            return true;
        }
    } while (!contains_any_case(state_.voce_letta, "[generale]"));
    generale_at_ = reader_.last_item();
    return true;
}

outcome line_compiler::generale_loop() {
    for (;;) {
        // A text that ends among the replacements of the "-" rule fails with 25.
        if (!scanner_.next_record(k_generale_rows, k_generale_dashes)) return outcome::go_on;
        const outcome result = scanner_.run_records(
            k_generale_rows, [this](record_kind which) { return generale_record(which); });
        if (result == outcome::hard_stop) return outcome::hard_stop;
        if (ends_generale(scanner_.keyword())) return outcome::go_on;
    }
}

// Scenery two and three are stored crosswise: "due" in v_c, "tre" in v_b.
outcome line_compiler::generale_record(record_kind which) {
    voce& linea = state_.testata[k_entry_linea];
    switch (which) {
        case record_kind::route_length:
            return route_length();
        case record_kind::progressive_tre:
            progressive(k_entry_progressiva_tre);
            break;
        case record_kind::progressive_due:
            progressive(k_entry_progressiva_due);
            break;
        case record_kind::progressive_uno:
            progressive(k_entry_progressiva_uno);
            break;
        case record_kind::sfondo_uno:
            linea.v_a = read_value();
            break;
        case record_kind::sfondo_due:
            linea.v_c = read_value();
            break;
        case record_kind::sfondo_tre:
            linea.v_b = read_value();
            break;
        case record_kind::repetition:
            return repetition();
        default:
            break;
    }
    return outcome::go_on;
}

// Any position fits the longest route; tracing a plan for a length nobody wrote would tell the
// author nothing, so the checker leaves the plan out.
void line_compiler::assume_longest_route() {
    state_.testata[k_entry_treno].v_b = k_max_route_length;
    state_.lunghezza_dim = route_last_metre(k_max_route_length);
    state_.n_celle = route_last_cell(k_max_route_length);
    state_.celle.assign(static_cast<std::size_t>(state_.n_celle) + 1, cella{});
    state_.crea_geometria = 0;
    state_.geometria = geometria{};
    route_length_read_ = true;
}

outcome line_compiler::route_length() {
    const std::int32_t length = read_value();
    state_.testata[k_entry_treno].v_b = length;
    if (length > k_max_route_length) {
        found_fault fault = scanner_.fault(fault_code::route_too_long);
        fault.value_at = scanner_.value_at(0);
        fault.limit = k_max_route_length;
        hard_stop(std::move(fault));
        if (!checking(diagnostics_)) return outcome::hard_stop;
        assume_longest_route();
        return outcome::go_on;
    }
    if (length < 0)
        throw compile_fault(failure_code::negative_route_length, {std::int64_t{length}});
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

outcome line_compiler::repetition() {
    const std::string& item = scanner_.keyword();
    voce& v = state_.testata[k_entry_codici];
    v.v_a = read_value();
    v.v_b = read_value();
    if (v.v_a % 50 != 0) return value_fault(fault_code::repetition_first, 0);
    if (v.v_b % 50 != 0) return value_fault(fault_code::repetition_second, 1);
    if (contains_any_case(item, "4")) {
        v.v_c = 4;
    } else if (contains_any_case(item, "9")) {
        v.v_c = 9;
    } else {
        return hard_stop(fault_code::repetition_digit);
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
    while (scanner_.next_record(k_feature_rows, k_feature_dashes)) {
        const outcome result = scanner_.run_records(
            k_feature_rows, [this](record_kind which) { return feature_record(which); });
        if (result != outcome::go_on) return result;
    }
    return outcome::go_on;
}

outcome line_compiler::feature_record(record_kind which) {
    switch (which) {
        case record_kind::gradient:
            return gradient();
        case record_kind::curve:
            return state_.crea_geometria != 0 ? curve() : outcome::go_on;
        case record_kind::mountain:
            return mountain();
        case record_kind::speed_board:
            return board();
        case record_kind::sign:
            return sign();
        default:
            return outcome::go_on;
    }
}

outcome line_compiler::gradient() {
    const std::int32_t p = read_value();
    const std::int32_t g = read_value();
    if (beyond_cells(p)) return soft_stop(p);
    if (diagnostics_ != nullptr) {
        check_increasing(diagnostics_, gradients_, scanner_.record_at(), *scanner_.value_at(0),
                         record_kind::gradient, p);
        warn_wrapped_gradient(g);
    }
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

outcome line_compiler::curve() {
    const std::int32_t s = read_value();
    const std::int32_t n = read_value();
    if (beyond_cells(s)) return soft_stop(s);
    const std::optional<double> k = curvature(scanner_.keyword());
    if (!k) return hard_stop(fault_code::curve);
    if (diagnostics_ != nullptr) check_curve(s, n);
    const std::int32_t end = checked_long(std::int64_t{s} + n);
    if (!trace_up_to(s, std::nullopt, true) || !trace_up_to(end, k, true)) {
        return hard_stop(fault_code::curve);
    }
    return outcome::go_on;
}

outcome line_compiler::mountain() {
    mountain_record record;
    record.inizio = read_value();
    record.fine = read_value();
    record.tipo = read_value();
    if (beyond_cells(record.inizio)) return soft_stop(record.inizio);
    const std::int64_t first = fill_cell(record.inizio);
    if (first < 0) return soft_stop_at_cell(record.inizio, first);
    memo_montagna(state_, record);
    return outcome::go_on;
}

outcome line_compiler::board() {
    speed_board_record record;
    for (std::int32_t* value :
         {&record.posizione, &record.vas, &record.vbs, &record.vcs, &record.strisces, &record.vad,
          &record.vbd, &record.vcd, &record.strisced}) {
        *value = read_value();
    }
    const std::int32_t posizione = record.posizione;
    if (beyond_cells(posizione)) return soft_stop(posizione);
    const std::int64_t c = point_cell(posizione);
    if (c < 0) return soft_stop_at_cell(posizione, c);
    if (diagnostics_ != nullptr) {
        warn_beyond_route_end(diagnostics_, state_, scanner_.record_at(), *scanner_.value_at(0),
                              record_kind::speed_board, posizione);
        for (const auto& [speed, index] : {std::pair{record.vad, 5}, std::pair{record.vbd, 6},
                                           std::pair{record.vcd, 7}}) {
            if (speed % 5 != 0) {
                const auto held = static_cast<std::int64_t>(nearest(speed / 5.0)) * 5;
                warn(diagnostics_, warning_code::board_speed_rounded,
                     {description_text::line, *scanner_.value_at(index)},
                     {std::int64_t{speed}, held});
            }
        }
    }
    return placed(memo_indicatori_v_max(state_, record), posizione);
}

outcome line_compiler::sign() {
    const std::int32_t p = read_value();
    state_.voce_letta = reader_.read_text();
    const std::int64_t c = point_cell(p);
    if (beyond_cells(p)) return soft_stop(p);
    if (c < 0) return soft_stop_at_cell(p, c);
    cella& cell = state_.celle[static_cast<std::size_t>(c)];
    if (!is_free(cell)) return placed(placement::taken(fault_code::sign_cell_taken, c, p), p);
    if (prossimo_cartello_ < 1) throw compile_fault(failure_code::no_entry_for_sign);
    if (state_.voce_letta.size() > k_max_text)
        throw compile_fault(failure_code::sign_text_too_long);
    if (diagnostics_ != nullptr) {
        warn_beyond_route_end(diagnostics_, state_, scanner_.record_at(), *scanner_.value_at(0),
                              record_kind::sign, p);
    }
    cell.tipo_cella = byte_of(cell_kind::information_sign);
    cell.val1 = static_cast<std::int16_t>(prossimo_cartello_);
    state_.testata[static_cast<std::size_t>(prossimo_cartello_)].v_nome = state_.voce_letta;
    --prossimo_cartello_;
    note_placed(diagnostics_, c, scanner_.record_at());
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

// (v + 100) / 50 > n_celle, exactly; a v + 100 outside 32 bits fails the compile.
bool line_compiler::beyond_cells(std::int32_t v) const {
    return record_beyond_cells(v, k_record_room, state_.n_celle);
}

outcome line_compiler::hard_stop(fault_code code) { return hard_stop(scanner_.fault(code)); }

// The checker keeps the fault and passes over the rest of the record's line.
outcome line_compiler::hard_stop(found_fault fault) {
    if (scanner_.passed_over(fault)) return outcome::go_on;
    texts_.remove(description_text::line);
    state_.codice_errore = value_of(fault.code);
    if (fault.position) state_.posizione_errore = *fault.position;
    note_stop(diagnostics_, {description_text::line, fault.where.value_or(source_location{})});
    report_fault(diagnostics_, std::move(fault));
    return outcome::hard_stop;
}

// A record whose value number `index` is at fault.
outcome line_compiler::value_fault(fault_code code, std::size_t index) {
    found_fault fault = scanner_.fault(code);
    fault.value_at = scanner_.value_at(index);
    return hard_stop(std::move(fault));
}

// The cells a placement wrote are the record's; a fault stops the pass at the record's position.
outcome line_compiler::placed(const placement& result, std::int32_t position) {
    note_placed(diagnostics_, result, scanner_.record_at());
    if (result.ok()) return outcome::go_on;
    return hard_stop(scanner_.placement_fault(result, position, state_));
}

// A position beyond the cells ends the feature records; the completions still run.
outcome line_compiler::soft_stop(std::int32_t position) {
    return soft_stop(scanner_.beyond_fault(position, state_.n_celle, k_record_room));
}

outcome line_compiler::soft_stop_at_cell(std::int32_t position, std::int64_t cell) {
    return soft_stop(scanner_.beyond_cell_fault(position, cell));
}

outcome line_compiler::soft_stop(found_fault fault) {
    if (scanner_.passed_over(fault)) return outcome::go_on;
    state_.codice_errore = value_of(fault.code);
    state_.posizione_errore = *fault.position;
    note_stop(diagnostics_, scanner_.record_at());
    report_fault(diagnostics_, std::move(fault));
    return outcome::soft_stop;
}

// The byte holds the gradient + 100: outside 0 to 255 it wraps.
void line_compiler::warn_wrapped_gradient(std::int32_t g) {
    const auto byte = static_cast<std::uint8_t>(static_cast<std::uint32_t>(std::int64_t{g} + 100));
    const std::int64_t stored = std::int64_t{byte} - 100;
    if (stored == g) return;
    warn(diagnostics_, warning_code::gradient_wrapped,
         {description_text::line, *scanner_.value_at(1)}, {std::int64_t{g}, stored});
}

// Curves must follow each other along the line: one that starts before the previous one ends
// overlaps it (curves that touch are fine).
void line_compiler::check_curve(std::int32_t start, std::int32_t length) {
    const text_position record{description_text::line, scanner_.keyword_at()};
    const source_location value = *scanner_.value_at(0);
    const bool in_order = !curves_.position || start >= *curves_.position;
    if (in_order && curves_.end && start < *curves_.end) {
        compile_warning w{warning_code::curves_overlap,
                          {description_text::line, value},
                          {std::int64_t{start}, *curves_.end},
                          {}};
        w.notes.push_back(
            {note_code::previous_curve, curves_.record, {*curves_.position, *curves_.end}});
        warn(diagnostics_, std::move(w));
    }
    check_increasing(diagnostics_, curves_, record, value, record_kind::curve, start);
    if (in_order) curves_.end = std::int64_t{start} + length;
}

}  // namespace

line_pass_result line_pass(run_state& state, description_source& texts,
                           compile_diagnostics* diagnostics) {
    state.testata[k_entry_linea].v_nome = to_windows1252(state.nome_linea);
    state.testata[k_entry_codici].v_nome = to_windows1252(state.codice_treno);
    if (!texts.exists(description_text::line)) {
        state.codice_errore = value_of(fault_code::no_line_text);
        report_fault(diagnostics, bare_fault(fault_code::no_line_text, description_text::line));
        return {};
    }
    const std::string_view text = texts.read(description_text::line);
    item_reader reader(text);
    warn_about_encoding(diagnostics, description_text::line, text);
    return line_compiler(state, texts, diagnostics, reader).run_reporting();
}

}  // namespace scenario
