// Placement of the kilometric progressives, the mountains and the speed-indicator boards of the
// line text. Whole-number arithmetic is done in 64 bits and must come back inside a Long: the
// line's values are Longs, and a result outside that range is a fault of the text, not a wrap.
#include "compile/line_features.h"

#include <algorithm>
#include <array>
#include <utility>

#include "compile/compile_support.h"
#include "compile/item_reader.h"

namespace scenario {
namespace {

struct progressive {
    std::int32_t a = 0;
    std::int32_t b = 0;
    std::int32_t c = 0;
};

progressive taken_from(const voce& entry) { return {entry.v_a, entry.v_b, entry.v_c}; }

void put_into(voce& entry, const progressive& p) {
    entry.v_a = p.a;
    entry.v_b = p.b;
    entry.v_c = p.c;
}

using slots = std::array<progressive, 3>;  // entries 81, 82, 83 in that order

// Largest a first. The records come in as "uno", "due", "tre", which is also the order that
// settles a tie between the two smaller ones. A largest a shared by two records orders nothing.
slots by_largest_a(const slots& uno_due_tre) {
    const auto largest =
        std::max_element(uno_due_tre.begin(), uno_due_tre.end(),
                         [](const progressive& l, const progressive& r) { return l.a < r.a; });
    const auto sharing = std::count_if(uno_due_tre.begin(), uno_due_tre.end(),
                                       [&](const progressive& p) { return p.a == largest->a; });
    if (sharing > 1) return {};
    std::array<progressive, 2> rest;
    std::size_t n = 0;
    for (auto it = uno_due_tre.begin(); it != uno_due_tre.end(); ++it) {
        if (it != largest) rest[n++] = *it;
    }
    if (rest[1].a > rest[0].a) std::swap(rest[0], rest[1]);
    return {*largest, rest[0], rest[1]};
}

// With every a at 0 (or summing to 0) the first record with a positive b leads.
slots by_first_b(const progressive& uno, const progressive& due, const progressive& tre) {
    if (uno.b > 0) return {uno, due, tre};
    if (due.b > 0) return {due, tre, uno};
    if (tre.b > 0) return {tre, due, uno};
    return {};
}

}  // namespace

void progressive_ordina(run_state& state) {
    auto& testata = state.testata;
    const progressive tre = taken_from(testata[k_entry_progressiva_tre]);
    const progressive due = taken_from(testata[k_entry_progressiva_due]);
    const progressive uno = taken_from(testata[k_entry_progressiva_uno]);
    const std::int32_t sum = checked_long(std::int64_t{tre.a} + due.a + uno.a);
    slots ordered = sum != 0 ? by_largest_a({uno, due, tre}) : by_first_b(uno, due, tre);
    // The 100 travels with the record: it is added after the record found its slot.
    for (progressive& p : ordered) {
        if (p.c == 1) p.b = checked_long(std::int64_t{p.b} + 100);
    }
    put_into(testata[k_entry_progressiva_tre], ordered[0]);
    put_into(testata[k_entry_progressiva_due], ordered[1]);
    put_into(testata[k_entry_progressiva_uno], ordered[2]);
}

void memo_montagna(run_state& state, mountain_record& record) {
    const std::int32_t inizio = record.inizio;
    const std::int32_t fine = record.fine;
    std::int32_t& tipo = record.tipo;
    state.indice2 = 0;
    if (tipo > 10) {
        tipo -= 10;
        state.indice2 = 1;
    }
    if (state.conta_montagne >= k_max_montagne) {
        throw compile_fault(failure_code::too_many_mountains, {std::int64_t{k_max_montagne}});
    }
    const std::int32_t n = ++state.conta_montagne;
    state.montagna_inizio[static_cast<std::size_t>(n)] = inizio;
    state.montagna_fine[static_cast<std::size_t>(n)] = fine;
    // The gap is measured to the previous record of the text, wherever it lies on the route.
    if (n > 1) {
        const std::int64_t gap =
            std::int64_t{inizio} - state.montagna_fine[static_cast<std::size_t>(n - 1)];
        if (checked_long(gap) <= 150) tipo = 3;
    }

    // Every fourth cell counts from the mountain's own first cell, even when that cell lies
    // outside `celle` and is not written.
    const std::int64_t first = fill_cell(inizio);
    const std::int64_t last = fill_cell(std::int64_t{fine} - k_cell_metres);
    const std::int64_t top = static_cast<std::int64_t>(state.celle.size()) - 1;
    std::int64_t cell = std::max<std::int64_t>(first, 0);
    for (; cell <= std::min(last, top); ++cell) {
        state.indice = static_cast<std::int32_t>(cell);
        cella& here = state.celle[static_cast<std::size_t>(cell)];
        here.sfondo = static_cast<std::uint8_t>(tipo);
        const std::int64_t m = cell - first + 1;
        if (state.indice2 == 1 && m % 4 == 0 && kind_of(here) == cell_kind::plain)
            here.tipo_cella = byte_of(cell_kind::scenery_mark);
    }
    state.indice = static_cast<std::int32_t>(cell);
}

placement memo_indicatori_v_max(run_state& state, const speed_board_record& record) {
    const std::int32_t posizione = record.posizione;
    const std::int64_t c = point_cell(posizione);
    if (c < 0 || c >= static_cast<std::int64_t>(state.celle.size())) {
        throw compile_fault(failure_code::board_beyond_cells, {std::int64_t{posizione}});
    }
    cella& board = state.celle[static_cast<std::size_t>(c)];
    if (!is_free(board)) {
        return placement::taken(fault_code::speed_board_cell_taken, c, posizione);
    }
    // One word per pair of speeds: the first side in steps of 20, the other in steps of 5 km/h.
    const auto speed_word = [](std::int32_t first_side, std::int32_t other_side) {
        return checked_integer(static_cast<double>(other_side) / 5.0 +
                               static_cast<double>(first_side) * 20.0);
    };
    board.tipo_cella = byte_of(cell_kind::speed_board);
    board.val1 = speed_word(record.vas, record.vad);
    board.val2 = speed_word(record.vbs, record.vbd);
    board.val3 = speed_word(record.vcs, record.vcd);
    board.val4 = static_cast<std::int16_t>(
        checked_long(std::int64_t{record.strisces} * 10 + record.strisced));
    placement placed;
    placed.add(c);
    return placed;
}

}  // namespace scenario
