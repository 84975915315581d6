// The station records of the train pass: one header entry per station, filled as its items are
// read (so a stop inside the record leaves the fields read so far), the platform's extent by
// kind, the stop cell with its approach marks, and the checks of position, platform length,
// spacing and the number of entries left above the sign texts.
#include <string>

#include "base/cell_kinds.h"
#include "base/header_fields.h"
#include "compile/compile_support.h"
#include "compile/train_compiler.h"
#include "compile/train_features.h"

namespace scenario {
namespace {

constexpr std::int32_t k_platform_step = 100;
constexpr std::int32_t k_long_platform = 600;  // shorter platforms drop their v_b4
constexpr std::int32_t k_station_gap = 350;    // metres between two platforms at least
constexpr std::size_t k_longest_name = 65535;  // the name's count is 16 bits in the file

}  // namespace

// A station record whose value number `index` is at fault.
train_compiler::outcome train_compiler::value_fault(fault_code code, std::int32_t p,
                                                    std::size_t index) {
    found_fault fault = scanner_.fault(code);
    fault.position = p;
    fault.value_at = scanner_.value_at(index);
    return hard_stop(std::move(fault));
}

train_compiler::outcome train_compiler::station_record() {
    if (station_ > k_first_sign_entry) {
        throw compile_fault(failure_code::no_entry_for_station, {station_});
    }
    voce& entry = state_.testata[static_cast<std::size_t>(station_)];
    const std::int32_t p = scanner_.read_long();
    entry.v_c = p;
    if (beyond_cells(p, k_station_room)) return soft_stop(p, k_station_room);
    check_order(record_kind::station, stations_, p);
    warn_beyond_end(record_kind::station, p);
    if (p % k_cell_metres != 0) return value_fault(fault_code::station_position, p, 0);
    entry.v_tipo = scanner_.read_byte();
    const std::int32_t length = scanner_.read_long();
    if (length % k_platform_step != 0) return value_fault(fault_code::platform_length, p, 2);
    read_station_details(entry);

    set_platform_extent(entry, p, length);
    if (length < k_long_platform) entry.v_b4 = 0;
    // After the extent: the first station keeps the 50 metres its v_b3 added to the platform.
    if (station_ == 1) {
        entry.v_b3 = 0;
        entry.v_b4 = 0;
    }
    if (station_has_stop(entry.v_tipo)) {
        const outcome stop = mark_stop(entry, p);
        if (stop != outcome::go_on) return stop;
    }
    if (station_ > 1) {
        const voce& previous = state_.testata[static_cast<std::size_t>(station_ - 1)];
        if (checked_long(std::int64_t{entry.v_a} - k_station_gap) < previous.v_b) {
            found_fault fault = scanner_.fault(fault_code::stations_too_close);
            fault.position = p;
            fault.limit = k_station_gap;
            fault.entries = {static_cast<std::int32_t>(station_ - 1),
                             static_cast<std::int32_t>(station_)};
            fault.earlier_record = text_position{description_text::train, last_station_at_};
            return hard_stop(std::move(fault));
        }
    }
    ++station_;
    last_station_at_ = scanner_.keyword_at();
    // The entry just stored may be the last one below the sign texts.
    if (station_ >= prossimo_cartello_) {
        found_fault fault = scanner_.fault(fault_code::too_many_stations);
        fault.limit = prossimo_cartello_ - 2;
        return hard_stop(std::move(fault));
    }
    return outcome::go_on;
}

// The values after the platform length, in text order: v_b4 comes before v_b3, and v_b1 after
// two Integers.
void train_compiler::read_station_details(voce& entry) {
    entry.v_flag = scanner_.read_byte();
    entry.v_b4 = scanner_.read_byte();
    entry.v_b3 = scanner_.read_byte();
    entry.v_i1 = scanner_.read_integer();
    entry.v_i2 = scanner_.read_integer();
    entry.v_b1 = scanner_.read_byte();
    entry.v_i3 = scanner_.read_integer();
    entry.v_i4 = scanner_.read_integer();
    entry.v_i5 = scanner_.read_integer();
    entry.v_b2 = scanner_.read_byte();
    const std::int64_t hours = scanner_.read_long();
    const std::int64_t minutes = scanner_.read_long();
    const std::int64_t seconds = scanner_.read_long();
    entry.v_nome = scanner_.read_text();
    if (entry.v_nome.size() > k_longest_name) {
        throw compile_fault(failure_code::station_name_too_long,
                            {static_cast<std::int64_t>(entry.v_nome.size())});
    }
    // Every step is a 32-bit Long: an intermediate overflow fails even if the total would fit.
    const std::int32_t in_minutes = checked_long(checked_long(hours * 60) + minutes);
    entry.v_l = checked_long(checked_long(std::int64_t{in_minutes} * 60) + seconds);
}

void train_compiler::set_platform_extent(voce& entry, std::int32_t p, std::int32_t length) const {
    const std::int64_t at = p;
    switch (platform_layout_of(entry.v_tipo)) {
        case platform_layout::before:
            entry.v_a = checked_long(at - length);
            entry.v_b = checked_long(at + 150);
            entry.v_b3 = 0;
            break;
        case platform_layout::both_sides:
            entry.v_a = checked_long(at - length);
            entry.v_b = checked_long(at + length);
            entry.v_b3 = 0;
            break;
        case platform_layout::centred:
            entry.v_a = checked_long(at - length / 2);
            entry.v_b = checked_long(at + length / 2);
            if (entry.v_b3 != 0) entry.v_b = checked_long(std::int64_t{entry.v_b} + 50);
            break;
    }
}

// The stop cell and the approach marks go over whatever the cells hold. Deciding both stops
// before writing changes nothing the marks would show: with the stop cell at 1 or below every
// mark lies below 2 and is not written anyway.
train_compiler::outcome train_compiler::mark_stop(voce& entry, std::int32_t p) {
    // The stop lies one cell before the platform's end: cell v_b / 50 - 1, which must be above 1.
    const std::int64_t stop = std::int64_t{entry.v_b} - k_cell_metres;
    if (stop <= cell_first_metre(1)) return hard_stop(fault_code::stop_too_early, std::nullopt);
    const std::int64_t stop_cell = fill_cell(stop);
    if (!train_cell_inside(state_, stop_cell)) return soft_stop_at_cell(p, stop_cell);

    if (platform_layout_of(entry.v_tipo) != platform_layout::before) {
        for (state_.indice2 = 1; state_.indice2 <= 4; ++state_.indice2) {
            const std::int64_t q = stop - cell_first_metre(state_.indice2);
            const std::int64_t mark = fill_cell(q);
            if (q > cell_first_metre(1) && train_cell_inside(state_, mark)) {
                state_.celle[static_cast<std::size_t>(mark)].preavviso =
                    static_cast<std::uint8_t>(k_stop_mark_base + state_.indice2);
            }
        }
    }
    cella& stop_at = state_.celle[static_cast<std::size_t>(stop_cell)];
    stop_at.tipo_cella = byte_of(cell_kind::station_stop);
    stop_at.val1 = static_cast<std::int16_t>(station_);
    note_placed(diagnostics_, stop_cell, scanner_.record_at());
    return outcome::go_on;
}

}  // namespace scenario
