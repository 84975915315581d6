// Signal and slow-order placement. The cell fields are 16 and 8 bits wide while the record values
// are 32-bit: the arithmetic runs on unsigned 32-bit values, whose low bits are those the narrow
// arithmetic would give, and the result is cut to the field. Nothing here overflows or fails on
// a value; only an occupied cell is a fault.
#include "compile/train_features.h"

#include <string>

#include "compile/compile_support.h"
#include "compile/item_reader.h"

namespace scenario {
namespace {

constexpr std::int32_t k_board_distance = 1200;  // warning board ahead of a slow order
constexpr std::int32_t k_board_threshold = 1500;

std::uint32_t bits(std::int32_t value) { return static_cast<std::uint32_t>(value); }
std::int16_t low16(std::uint32_t value) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
}
std::uint8_t low8(std::uint32_t value) { return static_cast<std::uint8_t>(value); }

// The caller checks that a record's own cells lie inside; reaching outside here is a fault of
// the caller, ended like any other run-time failure of the compile.
cella& own_cell(run_state& state, std::int64_t index) {
    if (!train_cell_inside(state, index)) {
        throw compile_fault(failure_code::cell_beyond_cells, {index});
    }
    return state.celle[static_cast<std::size_t>(index)];
}

}  // namespace

bool train_cell_inside(const run_state& state, std::int64_t index) {
    return index >= 0 && index < static_cast<std::int64_t>(state.celle.size());
}

placement memo_segnale(run_state& state, signal_record& record) {
    const std::int32_t posizione = record.posizione;
    const std::int64_t i = point_cell(posizione);
    cella& signal = own_cell(state, i);
    if (!is_free(signal)) return placement::taken(fault_code::signal_cell_taken, i, posizione);
    const std::int32_t sx = record.sx;
    const std::int32_t dx = record.dx;
    signal.tipo_cella = byte_of(cell_kind::signal);
    signal.val4 = low16(bits(record.rapp) * 10 + bits(sx) * 3 + bits(dx));
    signal.val1 = low16(bits(record.s1) * 10 + bits(record.d1));
    signal.val2 = low16(bits(record.s2) * 10 + bits(record.d2));
    signal.val3 = low16(bits(record.s3) * 10 + bits(record.d3));
    // A short signal time is raised to 101: the caller's record keeps the raised value.
    std::int32_t& tempo = record.tempo;
    if (tempo >= 1 && tempo <= 100) tempo = 101;
    signal.tempo_segnale = sx == 2 ? low8(bits(tempo)) : 0;

    const std::uint32_t mark_base = (bits(sx) * 3 + bits(dx)) * 10;
    for (state.indice3 = 1; state.indice3 <= 4; ++state.indice3) {
        // Marks of a signal near the start of the line would fall below cell 0: they are lost.
        const std::int64_t mark = i - 2 * static_cast<std::int64_t>(state.indice3);
        if (train_cell_inside(state, mark)) {
            state.celle[static_cast<std::size_t>(mark)].preavviso =
                low8(mark_base + bits(state.indice3));
        }
    }
    placement placed;
    placed.add(i);
    return placed;
}

placement memo_rallentamento(run_state& state, const slow_order_record& record) {
    const std::int32_t x = record.x;
    const std::int32_t l = record.l;
    const std::int32_t d_v = record.d_v;
    const std::int64_t board_metres = std::int64_t{x} - k_board_distance;
    const bool has_board = x > k_board_threshold;
    const std::int32_t f_ta = has_board ? record.f_ta : 0;

    // Every cell is rounded from its own expression, so an odd multiple of 25 can shift one
    // cell against another.
    const std::int64_t end_metres = std::int64_t{x} + l;
    const std::int64_t e_index = point_cell(end_metres);
    const std::int64_t s_index = point_cell(x);
    const std::int64_t b_index = point_cell(board_metres);
    if (has_board && !is_free(own_cell(state, b_index))) {
        return placement::taken(fault_code::warning_board_taken, b_index, board_metres);
    }
    if (!is_free(own_cell(state, s_index))) {
        return placement::taken(fault_code::start_board_taken, s_index, x);
    }
    if (!is_free(own_cell(state, e_index))) {
        return placement::taken(fault_code::end_board_taken, e_index, end_metres);
    }

    placement placed;
    cella& end = own_cell(state, e_index);
    cella& start = own_cell(state, s_index);
    end.tipo_cella = byte_of(cell_kind::slow_order_end);
    if (d_v != 0) end.val2 = low16(bits(d_v));
    // A slow order shorter than a cell has one cell for both ends: the start wins.
    start.tipo_cella = byte_of(cell_kind::slow_order_start);
    if (d_v != 0) start.val2 = low16(bits(d_v));
    placed.add(e_index);
    placed.add(s_index);
    if (has_board) {
        cella& board = own_cell(state, b_index);
        board.tipo_cella = byte_of(cell_kind::slow_order_warning);
        if (d_v != 0) board.val2 = low16(bits(d_v));
        board.val1 = low16(bits(record.v));
        placed.add(b_index);
    }
    start.val1 = low16(bits(record.v));
    end.val1 = low16(bits(record.v));
    start.val3 = low16(bits(record.f_tt));
    end.val3 = low16(bits(record.f_tt));

    const std::int64_t h = fill_cell(board_metres);
    state.conta_b = static_cast<std::int32_t>(h);
    if (f_ta == 0) return placed;

    state.conta_c = 0;
    std::int64_t first_taken = -1;
    for (std::int64_t n = 0; n < 4; ++n) {
        if (!is_free(own_cell(state, h - n))) {
            state.conta_c = 1;
            if (first_taken < 0) first_taken = h - n;
        }
    }
    if (state.conta_c != 0) {
        placed.fault = fault_code::approach_cell_taken;
        placed.cell = first_taken;
        placed.first_cell = h - 3;
        placed.last_cell = h;
        placed.feature_metres = board_metres;
        return placed;
    }
    for (std::int64_t n = 0; n < 4; ++n) {
        cella& approach = own_cell(state, h - n);
        approach.tipo_cella = byte_of(cell_kind::slow_order_approach);
        approach.val1 = static_cast<std::int16_t>(n + 1);
        if (d_v != 0) approach.val2 = static_cast<std::int16_t>(n + 1);
        placed.add(h - n);
    }
    return placed;
}

}  // namespace scenario
