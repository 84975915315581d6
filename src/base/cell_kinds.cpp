#include "base/cell_kinds.h"

#include <algorithm>
#include <array>

namespace scenario {
namespace {

using enum cell_values;
using enum cell_place;

constexpr std::array<cell_kind_descriptor, 12> k_kinds = {{
    {cell_kind::plain, "binario libero", "nulla", none, point},
    {cell_kind::signal, "segnale", "un segnale", signal_aspects, point},
    {cell_kind::slow_order_end, "fine rallentamento", "la fine di un rallentamento", slow_order,
     point},
    {cell_kind::slow_order_start, "inizio rallentamento", "l'inizio di un rallentamento",
     slow_order, point},
    {cell_kind::slow_order_warning, "avviso di rallentamento",
     "il cartello di avviso di un rallentamento", slow_order, point},
    {cell_kind::slow_order_approach, "approccio a un rallentamento",
     "una cella di approccio a un rallentamento", slow_order, point},
    {cell_kind::speed_board, "cartello indicatore di velocità",
     "un cartello indicatore di velocità", board_speeds, point},
    {cell_kind::station_stop, "fermata di stazione", "la fermata della stazione", station_entry,
     platform_end},
    {cell_kind::scenery_mark, "segno di scenario", "un segno di scenario", none, fill},
    {cell_kind::value_mark, "segno di valore (abbattimento)", "un segno di valore", value, fill},
    {cell_kind::empty_value_mark, "segno di abbattimento senza valore", "un segno di abbattimento",
     none, fill},
    {cell_kind::information_sign, "cartello di indicazione", "il cartello di indicazione",
     sign_entry, point},
}};

}  // namespace

std::span<const cell_kind_descriptor> cell_kind_descriptors() { return k_kinds; }

cell_kind_descriptor describe(cell_kind kind) {
    const auto row = std::ranges::find(k_kinds, kind, &cell_kind_descriptor::kind);
    if (row != k_kinds.end()) return *row;
    return {kind, "tipo sconosciuto", "un elemento", none, point};
}

}  // namespace scenario
