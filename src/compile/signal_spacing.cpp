// The signal spacing pass. It walks the cells once, front to back, and every mark is laid at
// once, so a mark laid for one board already counts as an occupied cell for the next test. The
// pass keeps its indices and counters in the run state (indice, indice2, conta_a, conta_b) like
// the compilers do; they are working values, not results. Every index is held between cell 0
// and the last cell: a slow order without an end board simply runs out at the last cell.
#include "compile/signal_spacing.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <vector>

#include "base/cell_kinds.h"
#include "base/positions.h"
#include "base/slow_orders.h"
#include "compile/compile_support.h"

namespace scenario {
namespace {

constexpr std::int16_t k_mark_value = k_spacing_mark_value;
constexpr std::int32_t k_look_back_cells = 20;
constexpr std::int32_t k_lowest_signal_cell = 3;  // leaves both cells before the signal above 0
constexpr std::int32_t k_walk_spacing = 8;        // 400 metres between marks inside an order
constexpr std::int16_t k_unmarked_speed = 110;    // orders this fast get no marks inside
constexpr std::int32_t k_look_ahead_cells = 12;

constexpr fault_code k_no_cell_before_signal = fault_code::no_cell_before_signal;
constexpr fault_code k_no_cell_in_triple = fault_code::no_cell_ahead_of_start;
constexpr fault_code k_no_cell_in_order = fault_code::no_cell_in_slow_order;

std::int32_t last_cell(const run_state& state) {
    return static_cast<std::int32_t>(state.celle.size()) - 1;
}

cella& cell(run_state& state, std::int32_t n) { return state.celle[static_cast<std::size_t>(n)]; }

// A cell past the end of the array is never free: nothing can be laid there.
bool free_at(run_state& state, std::int32_t n) {
    return n >= 0 && n <= last_cell(state) && is_free(cell(state, n));
}

void mark(cella& c) {
    c.tipo_cella = byte_of(cell_kind::value_mark);
    c.val1 = k_mark_value;
}

void record_fault(run_state& state, fault_code code, std::int32_t cell_index) {
    state.codice_errore = value_of(code);
    state.posizione_errore = static_cast<std::int32_t>(cell_first_metre(cell_index));
}

// Marks the first free cell of the list; false when none of them is free.
bool mark_first_free(run_state& state, std::initializer_list<std::int32_t> candidates) {
    for (const std::int32_t n : candidates) {
        if (free_at(state, n)) {
            mark(cell(state, n));
            return true;
        }
    }
    return false;
}

// A signal's mark goes in one of the two cells before it; an existing value mark there is only
// lowered to 180, never raised.
void mark_before_signal(run_state& state, std::int32_t signal) {
    const std::int32_t p = signal - 1;
    const std::int32_t q = signal - 2;
    if (mark_first_free(state, {p, q})) return;
    for (const std::int32_t n : {p, q}) {
        cella& c = cell(state, n);
        if (kind_of(c) == cell_kind::value_mark) {
            c.val1 = minimo(k_mark_value, c.val1);
            return;
        }
    }
    record_fault(state, k_no_cell_before_signal, signal);
}

// Every signal among the 20 cells before a warning board gets its mark, not only the
// nearest one.
void look_back_from_warning_board(run_state& state) {
    const std::int32_t i = state.indice;
    for (state.indice2 = 1; state.indice2 <= k_look_back_cells; ++state.indice2) {
        const std::int32_t signal = i - state.indice2;
        if (signal < k_lowest_signal_cell) return;
        if (kind_of(cell(state, signal)) == cell_kind::signal) mark_before_signal(state, signal);
    }
}

// The three groups of cells ahead of a start board, each holding one of its marks: cells counted
// back from the board.
struct triple {
    std::int32_t near, middle, far;
};
constexpr triple k_triples[] = {{5, 6, 7}, {11, 12, 13}, {18, 19, 20}};

// Three marks ahead of a start board, each triple tried on its own.
void mark_triples(run_state& state) {
    const std::int32_t i = state.indice;
    for (const triple& t : k_triples) {
        if (i <= t.far) continue;
        if (!mark_first_free(state, {i - t.near, i - t.middle, i - t.far})) {
            record_fault(state, k_no_cell_in_triple, i);
        }
    }
}

// The cells of the triples ahead of the start board on cell `board` that have no free cell, in
// increasing order: where the marks of error 12 could have gone. Asked before the triples are
// marked, it finds the triples mark_triples will fail on, since each mark stays in its triple.
std::vector<std::int32_t> full_triples(run_state& state, std::int32_t board) {
    std::vector<std::int32_t> cells;
    for (const triple& t : k_triples) {
        if (board <= t.far) continue;
        const std::int32_t group[] = {board - t.far, board - t.middle, board - t.near};
        if (std::none_of(std::begin(group), std::end(group),
                         [&](std::int32_t n) { return free_at(state, n); })) {
            cells.insert(cells.begin(), std::begin(group), std::end(group));
        }
    }
    return cells;
}

// One due mark of the walk at cell k. The counter restarts from the cell actually marked, so
// the spacing stays 8 cells from it; after a fault the counter stays past 8 and the rest of
// this order gets no mark.
void mark_walk_step(run_state& state, std::int32_t k) {
    if (mark_first_free(state, {k})) {
        state.conta_a = 0;
    } else if (mark_first_free(state, {k - 1})) {
        state.conta_a = 1;
    } else if (mark_first_free(state, {k + 1})) {
        state.conta_a = -1;
    } else {
        record_fault(state, k_no_cell_in_order, k);
    }
}

// The end board of the start board being treated, as slow_order_end pairs them (the first end
// board after it, past any other start board), or the last cell when there is none. The marks
// laid on the way only ever take free cells, so no end board appears or goes while the pass runs.
std::int32_t end_of_walk(const run_state& state, const std::optional<std::size_t>& end) {
    return end ? static_cast<std::int32_t>(*end) : last_cell(state);
}

// A mark every 400 metres inside a slow order, up to its end board (or the last cell). Leaves
// the walk's last cell in indice2.
void walk_slow_order(run_state& state, const std::optional<std::size_t>& end) {
    const std::int32_t last = end_of_walk(state, end);
    state.conta_a = 0;
    state.indice2 = state.indice;
    while (state.indice2 < last) {
        ++state.indice2;
        ++state.conta_a;
        if (state.conta_a == k_walk_spacing) mark_walk_step(state, state.indice2);
    }
}

// The first signal within 12 cells after the end board gets a mark in one of the two
// cells before it. A fault is placed at the end board: it belongs to the slow order, not the
// signal.
void look_ahead(run_state& state) {
    const std::int32_t k = state.indice2;
    const std::int32_t bound = std::min(k + k_look_ahead_cells, last_cell(state));
    state.conta_a = 0;
    for (state.conta_b = k; state.conta_b <= bound; ++state.conta_b) {
        if (kind_of(cell(state, state.conta_b)) == cell_kind::signal) {
            state.conta_a = state.conta_b - 1;
            break;
        }
    }
    if (state.conta_a <= 0) return;
    if (!mark_first_free(state, {state.conta_a, state.conta_a - 1})) {
        record_fault(state, k_no_cell_in_order, k);
    }
}

// A fast order gets no marks inside, but its look-ahead still starts from its own end board.
void treat_start_board(run_state& state) {
    mark_triples(state);
    const std::optional<std::size_t> end =
        slow_order_end(state.celle, static_cast<std::size_t>(state.indice));
    if (cell(state, state.indice).val1 < k_unmarked_speed) {
        walk_slow_order(state, end);
    } else {
        state.indice2 = end_of_walk(state, end);
    }
    if (end) look_ahead(state);
}

}  // namespace

std::int16_t minimo(std::int16_t x, std::int16_t y) { return x > y ? y : x; }

// The compile never records the pass's codes: a change of the code or the position is a fault
// of the board being treated. The compile keeps the last one; the checker keeps every one.
void signal_spacing_pass(run_state& state, compile_diagnostics* diagnostics) {
    const std::int32_t last_visited = last_cell(state) - 2;
    for (state.indice = 1; state.indice <= last_visited; ++state.indice) {
        const cell_kind kind = kind_of(cell(state, state.indice));
        if (kind != cell_kind::slow_order_warning && kind != cell_kind::slow_order_start) continue;
        const std::int32_t code_before = state.codice_errore;
        const std::int32_t position_before = state.posizione_errore;
        const std::int32_t board = state.indice;
        const bool start = kind == cell_kind::slow_order_start;
        const std::vector<std::int32_t> full = start && diagnostics != nullptr
                                                   ? full_triples(state, board)
                                                   : std::vector<std::int32_t>{};
        if (kind == cell_kind::slow_order_warning) look_back_from_warning_board(state);
        if (start) treat_start_board(state);
        if (diagnostics == nullptr ||
            (state.codice_errore == code_before && state.posizione_errore == position_before)) {
            continue;
        }
        found_fault fault;
        fault.code = static_cast<fault_code>(state.codice_errore);
        fault.position = state.posizione_errore;
        fault.cell = state.posizione_errore / k_cell_metres;
        fault.board_record = diagnostics->placed_by(board);
        if (fault.code == k_no_cell_in_triple) {
            for (const std::int32_t n : full) {
                fault.filled_cells.push_back({n, diagnostics->placed_by(n)});
            }
        }
        report_fault(diagnostics, std::move(fault));
    }
}

}  // namespace scenario
