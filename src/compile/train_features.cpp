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
        throw compile_fault("la cella " + std::to_string(index) + " è fuori dalle celle");
    }
    return state.celle[static_cast<std::size_t>(index)];
}

}  // namespace

bool train_cell_inside(const run_state& state, std::int64_t index) {
    return index >= 0 && index < static_cast<std::int64_t>(state.celle.size());
}

bool memo_segnale(run_state& state, std::int32_t posizione, std::int32_t& sx, std::int32_t& s1,
                  std::int32_t& s2, std::int32_t& s3, std::int32_t& rapp, std::int32_t& dx,
                  std::int32_t& d1, std::int32_t& d2, std::int32_t& d3, std::int32_t& tempo) {
    const std::int64_t i = point_cell(posizione);
    cella& signal = own_cell(state, i);
    if (!is_free(signal)) {
        state.codice_errore = 16;
        return false;
    }
    signal.tipo_cella = byte_of(cell_kind::signal);
    signal.val4 = low16(bits(rapp) * 10 + bits(sx) * 3 + bits(dx));
    signal.val1 = low16(bits(s1) * 10 + bits(d1));
    signal.val2 = low16(bits(s2) * 10 + bits(d2));
    signal.val3 = low16(bits(s3) * 10 + bits(d3));
    // A short signal time is raised to 101: the caller's record keeps the raised value.
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
    return true;
}

bool memo_rallentamento(run_state& state, std::int32_t x, std::int32_t& v, std::int32_t& l,
                        std::int32_t& f_tt, std::int32_t f_ta, std::int32_t& d_v) {
    const std::int64_t board_metres = std::int64_t{x} - k_board_distance;
    const bool has_board = x > k_board_threshold;
    if (!has_board) f_ta = 0;

    // Every cell is rounded from its own expression, so an odd multiple of 25 can shift one
    // cell against another.
    const std::int64_t e_index = point_cell(std::int64_t{x} + l);
    const std::int64_t s_index = point_cell(x);
    if (has_board && !is_free(own_cell(state, point_cell(board_metres)))) {
        state.codice_errore = 17;
        return false;
    }
    if (!is_free(own_cell(state, s_index))) {
        state.codice_errore = 18;
        return false;
    }
    if (!is_free(own_cell(state, e_index))) {
        state.codice_errore = 19;
        return false;
    }

    cella& end = own_cell(state, e_index);
    cella& start = own_cell(state, s_index);
    end.tipo_cella = byte_of(cell_kind::slow_order_end);
    if (d_v != 0) end.val2 = low16(bits(d_v));
    // A slow order shorter than a cell has one cell for both ends: the start wins.
    start.tipo_cella = byte_of(cell_kind::slow_order_start);
    if (d_v != 0) start.val2 = low16(bits(d_v));
    if (has_board) {
        cella& board = own_cell(state, point_cell(board_metres));
        board.tipo_cella = byte_of(cell_kind::slow_order_warning);
        if (d_v != 0) board.val2 = low16(bits(d_v));
        board.val1 = low16(bits(v));
    }
    start.val1 = low16(bits(v));
    end.val1 = low16(bits(v));
    start.val3 = low16(bits(f_tt));
    end.val3 = low16(bits(f_tt));

    const std::int64_t h = fill_cell(board_metres);
    state.conta_b = static_cast<std::int32_t>(h);
    if (f_ta == 0) return true;

    state.conta_c = 0;
    for (std::int64_t n = 0; n < 4; ++n) {
        if (!is_free(own_cell(state, h - n))) state.conta_c = 1;
    }
    if (state.conta_c != 0) {
        state.codice_errore = 20;
        return false;
    }
    for (std::int64_t n = 0; n < 4; ++n) {
        cella& approach = own_cell(state, h - n);
        approach.tipo_cella = byte_of(cell_kind::slow_order_approach);
        approach.val1 = static_cast<std::int16_t>(n + 1);
        if (d_v != 0) approach.val2 = static_cast<std::int16_t>(n + 1);
    }
    return true;
}

}  // namespace scenario
