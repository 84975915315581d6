#include "base/record_kinds.h"

#include <array>
#include <cstddef>

namespace scenario {
namespace {

using enum record_kind;

// The values after each keyword, in the order they are read, named as the dump names the fields
// they fill (the spacing and placement procedures name the signal's and the slow order's).
constexpr std::string_view k_route_length_values[] = {"lunghezza"};
constexpr std::string_view k_progressive_tre_values[] = {"a", "b", "c"};
constexpr std::string_view k_progressive_due_values[] = {"a", "b", "c"};
constexpr std::string_view k_progressive_uno_values[] = {"a", "b", "c"};
constexpr std::string_view k_sfondo_uno_values[] = {"sfondo"};
constexpr std::string_view k_sfondo_due_values[] = {"sfondo"};
constexpr std::string_view k_sfondo_tre_values[] = {"sfondo"};
constexpr std::string_view k_repetition_values[] = {"a", "b"};
constexpr std::string_view k_gradient_values[] = {"posizione", "pendenza"};
constexpr std::string_view k_curve_values[] = {"inizio", "lunghezza"};
constexpr std::string_view k_mountain_values[] = {"inizio", "fine", "tipo"};
constexpr std::string_view k_speed_board_values[] = {"posizione", "vas", "vbs", "vcs", "strisces", "vad", "vbd", "vcd", "strisced"};
constexpr std::string_view k_sign_values[] = {"posizione", "testo"};
constexpr std::string_view k_braked_mass_values[] = {"percentuale"};
constexpr std::string_view k_cars_values[] = {"vetture"};
constexpr std::string_view k_speed_values[] = {"posizione", "vel_limite"};
constexpr std::string_view k_adhesion_values[] = {"posizione", "aderenza"};
constexpr std::string_view k_clock_values[] = {"ore", "minuti", "secondi"};
constexpr std::string_view k_sand_values[] = {"sabbia"};
constexpr std::string_view k_signal_values[] = {"posizione", "sx", "s1", "s2", "s3", "rapp", "dx", "d1", "d2", "d3", "tempo"};
constexpr std::string_view k_slow_order_values[] = {"x", "v", "l", "f_tt", "f_ta", "d_v"};
constexpr std::string_view k_abatement_values[] = {"posizione", "valore"};
constexpr std::string_view k_station_values[] = {"posizione", "v_tipo", "marciapiede", "v_flag", "v_b4", "v_b3", "v_i1", "v_i2", "v_b1", "v_i3", "v_i4", "v_i5", "v_b2", "ore", "minuti", "secondi", "nome"};

constexpr std::array k_table = {
    record_kind_descriptor{route_length, "lunghezza percorso", false, k_route_length_values, "[generale]"},
    record_kind_descriptor{progressive_tre, "progressiva chilometrica tre", false, k_progressive_tre_values, "[generale]"},
    record_kind_descriptor{progressive_due, "progressiva chilometrica due", false, k_progressive_due_values, "[generale]"},
    record_kind_descriptor{progressive_uno, "progressiva chilometrica uno", false, k_progressive_uno_values, "[generale]"},
    record_kind_descriptor{sfondo_uno, "sfondo uno", false, k_sfondo_uno_values, "[generale]"},
    record_kind_descriptor{sfondo_due, "sfondo due", false, k_sfondo_due_values, "[generale]"},
    record_kind_descriptor{sfondo_tre, "sfondo tre", false, k_sfondo_tre_values, "[generale]"},
    record_kind_descriptor{repetition, "ripetizione segnali", false, k_repetition_values, "[generale]"},
    record_kind_descriptor{gradient, "pendenza", true, k_gradient_values, "[pendenze]"},
    record_kind_descriptor{curve, "curva", true, k_curve_values, "[curve]"},
    record_kind_descriptor{mountain, "montagna", true, k_mountain_values, "[montagne]"},
    record_kind_descriptor{speed_board, "indicatori_vmax", true, k_speed_board_values, "[cartelli]"},
    record_kind_descriptor{sign, "cartello_indicatore", true, k_sign_values, "[indicazioni]"},
    record_kind_descriptor{braked_mass, "percentuale massa frenata", false, k_braked_mass_values, "[generale]"},
    record_kind_descriptor{cars, "numero vetture", false, k_cars_values, "[generale]"},
    record_kind_descriptor{speed, "velocita", true, k_speed_values, "[vel_limite]"},
    record_kind_descriptor{adhesion, "aderenza", true, k_adhesion_values, "[aderenze]"},
    record_kind_descriptor{clock, "orologio", false, k_clock_values, "[generale]"},
    record_kind_descriptor{sand, "sabbia", false, k_sand_values, "[generale]"},
    record_kind_descriptor{signal, "segnale", true, k_signal_values, "[segnali]"},
    record_kind_descriptor{slow_order, "rallentamento", true, k_slow_order_values, "[rallentamenti]"},
    record_kind_descriptor{abatement, "abbattimento", true, k_abatement_values, "[segnali]"},
    record_kind_descriptor{station, "stazione", true, k_station_values, "[stazioni]"},
};

// The rows are looked up by the enumerator's value.
constexpr bool in_enumerator_order() {
    for (std::size_t i = 0; i < k_table.size(); ++i) {
        if (static_cast<std::size_t>(k_table[i].kind) != i) return false;
    }
    return true;
}
static_assert(in_enumerator_order());
static_assert(k_table.back().kind == station, "a row for every kind");

}  // namespace

std::span<const record_kind_descriptor> record_kinds() { return k_table; }

const record_kind_descriptor& describe(record_kind kind) {
    return k_table[static_cast<std::size_t>(kind)];
}

bool is_progressive(record_kind kind) {
    return kind == progressive_tre || kind == progressive_due || kind == progressive_uno;
}

}  // namespace scenario
