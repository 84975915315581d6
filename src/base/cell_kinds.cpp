#include "base/cell_kinds.h"

#include <algorithm>
#include <array>

namespace scenario {
namespace {

using enum cell_values;
using enum cell_place;
using enum cell_field;
using enum value_code;

// The fields of each kind and the record's items they hold, in the order of the record.
constexpr cell_value_field k_signal_fields[] = {
    {val1, tens, {"s1", "d1"}},         {val2, tens, {"s2", "d2"}},
    {val3, tens, {"s3", "d3"}},         {val4, sides, {"rapp", "sx", "dx"}},
    {tempo_segnale, number, {"tempo"}},
};
constexpr std::string_view k_signal_items[] = {"sx", "s1", "s2", "s3", "rapp",
                                               "dx", "d1", "d2", "d3", "tempo"};

// The end and start boards; the warning board holds no f_tt.
constexpr cell_value_field k_slow_order_fields[] = {
    {val1, kmh, {"v"}},
    {val2, number, {"d_v"}},
    {val3, number, {"f_tt"}},
};
constexpr std::string_view k_slow_order_items[] = {"v", "f_tt", "d_v"};
constexpr cell_value_field k_warning_fields[] = {
    {val1, kmh, {"v"}},
    {val2, number, {"d_v"}},
};
constexpr std::string_view k_warning_items[] = {"v", "d_v"};
constexpr cell_value_field k_approach_fields[] = {
    {val1, count, {"numero"}},
    {val2, flag, {"d_v"}},
};
constexpr std::string_view k_approach_items[] = {"numero", "d_v"};

constexpr cell_value_field k_board_fields[] = {
    {val1, board_speed, {"vas", "vad"}},
    {val2, board_speed, {"vbs", "vbd"}},
    {val3, board_speed, {"vcs", "vcd"}},
    {val4, tens, {"strisces", "strisced"}},
};
constexpr std::string_view k_board_items[] = {"vas", "vbs", "vcs", "strisces",
                                              "vad", "vbd", "vcd", "strisced"};

constexpr cell_value_field k_stop_fields[] = {{val1, entry, {"stazione"}}};
constexpr std::string_view k_stop_items[] = {"stazione"};
constexpr cell_value_field k_value_fields[] = {{val1, number, {"valore"}}};
constexpr std::string_view k_value_items[] = {"valore"};
constexpr cell_value_field k_sign_fields[] = {{val1, entry, {"voce del testo"}}};
constexpr std::string_view k_sign_items[] = {"voce del testo"};

constexpr std::array<cell_kind_descriptor, 12> k_kinds = {{
    {cell_kind::plain,
     "binario libero",
     "nulla",
     none,
     point,
     "",
     {},
     {},
     approach_marks::none,
     "",
     false},
    {cell_kind::signal, "segnale", "un segnale", signal_aspects, point, "segnale", k_signal_fields,
     k_signal_items, approach_marks::every_second_cell, "del segnale"},
    {cell_kind::slow_order_end, "fine rallentamento", "la fine di un rallentamento", slow_order,
     point, "rallentamento", k_slow_order_fields, k_slow_order_items},
    {cell_kind::slow_order_start, "inizio rallentamento", "l'inizio di un rallentamento",
     slow_order, point, "rallentamento", k_slow_order_fields, k_slow_order_items},
    {cell_kind::slow_order_warning, "avviso di rallentamento",
     "il cartello di avviso di un rallentamento", slow_order, point, "rallentamento",
     k_warning_fields, k_warning_items},
    {cell_kind::slow_order_approach, "approccio a un rallentamento",
     "una cella di approccio a un rallentamento", slow_order, point, "rallentamento",
     k_approach_fields, k_approach_items, approach_marks::none, "", false},
    {cell_kind::speed_board, "cartello indicatore di velocità",
     "un cartello indicatore di velocità", board_speeds, point, "indicatori_vmax", k_board_fields,
     k_board_items},
    {cell_kind::station_stop, "fermata di stazione", "la fermata della stazione", station_entry,
     platform_end, "stazione", k_stop_fields, k_stop_items, approach_marks::every_cell,
     "della fermata di stazione"},
    {cell_kind::scenery_mark,
     "segno di montagna",
     "un segno di scenario",
     none,
     fill,
     "montagna",
     {},
     {},
     approach_marks::none,
     "",
     false},
    {cell_kind::value_mark, "abbattimento", "un segno di valore", value, fill, "abbattimento",
     k_value_fields, k_value_items},
    {cell_kind::empty_value_mark,
     "abbattimento senza valore",
     "un segno di abbattimento",
     none,
     fill,
     "abbattimento",
     {},
     {},
     approach_marks::none,
     "",
     true},
    {cell_kind::information_sign, "cartello di indicazione", "il cartello di indicazione",
     sign_entry, point, "cartello_indicatore", k_sign_fields, k_sign_items},
}};

constexpr int k_signal_mark_distance = 2;

}  // namespace

std::span<const cell_kind_descriptor> cell_kind_descriptors() { return k_kinds; }

cell_kind_descriptor describe(cell_kind kind) {
    const auto row = std::ranges::find(k_kinds, kind, &cell_kind_descriptor::kind);
    if (row != k_kinds.end()) return *row;
    return {
        kind, "tipo sconosciuto", "un elemento", none, point, "", {}, {}, approach_marks::none, "",
        false};
}

std::int32_t field_value(const cella& c, cell_field field) {
    switch (field) {
        case val1:
            return c.val1;
        case val2:
            return c.val2;
        case val3:
            return c.val3;
        case val4:
            return c.val4;
        case tempo_segnale:
            break;
    }
    return c.tempo_segnale;
}

int items_of(value_code code) {
    switch (code) {
        case tens:
        case board_speed:
            return 2;
        case sides:
            return 3;
        default:
            return 1;
    }
}

std::optional<std::array<std::int32_t, 3>> decode_field(const cell_value_field& field,
                                                        std::int32_t value) {
    switch (field.code) {
        case tens:
            if (value < 0 || value > 99) return std::nullopt;
            return std::array<std::int32_t, 3>{value / 10, value % 10, 0};
        case sides: {
            // sx × 3 + dx reads back only while it stays below 9 (sx and dx up to 2).
            if (value < 0 || value % 10 > 8) return std::nullopt;
            const std::int32_t both = value % 10;
            return std::array<std::int32_t, 3>{value / 10, both / 3, both % 3};
        }
        case board_speed:
            // Board speeds are multiples of 5 km/h, so first × 20 is a multiple of 100: the
            // word's hundreds are the first speed / 5 and the rest is the second speed / 5, for
            // any second speed below 500 km/h. (Read as first = word / 20, a board for 120 and
            // 120 km/h would read back as 121 and 20.)
            if (value < 0) return std::nullopt;
            return std::array<std::int32_t, 3>{value / 100 * 5, value % 100 * 5, 0};
        case flag:
            return std::array<std::int32_t, 3>{value != 0 ? 1 : 0, 0, 0};
        case number:
        case kmh:
        case entry:
        case count:
            break;
    }
    return std::array<std::int32_t, 3>{value, 0, 0};
}

int approach_mark_distance(approach_marks marks, int j) {
    switch (marks) {
        case approach_marks::every_second_cell:
            return k_signal_mark_distance * j;
        case approach_marks::every_cell:
            return j;
        case approach_marks::none:
            break;
    }
    return 0;
}

std::optional<std::uint8_t> approach_mark(const cella& c, int j) {
    const cell_kind_descriptor kind = describe(c);
    switch (kind.marks) {
        case approach_marks::every_second_cell: {
            // The sides are read back from val4, as the signal's own row says.
            for (const cell_value_field& f : kind.fields) {
                if (f.code != sides) continue;
                const auto read = decode_field(f, field_value(c, f.field));
                if (!read) return std::nullopt;
                return static_cast<std::uint8_t>(((*read)[1] * 3 + (*read)[2]) * 10 + j);
            }
            return std::nullopt;
        }
        case approach_marks::every_cell:
            return static_cast<std::uint8_t>(k_stop_mark_base + j);
        case approach_marks::none:
            break;
    }
    return std::nullopt;
}

}  // namespace scenario
