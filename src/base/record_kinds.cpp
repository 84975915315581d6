#include "base/record_kinds.h"

#include <array>
#include <cstddef>

namespace scenario {
namespace {

using enum record_kind;

constexpr std::array k_table = {
    record_kind_descriptor{route_length, "lunghezza percorso", false},
    record_kind_descriptor{progressive_tre, "progressiva chilometrica tre", false},
    record_kind_descriptor{progressive_due, "progressiva chilometrica due", false},
    record_kind_descriptor{progressive_uno, "progressiva chilometrica uno", false},
    record_kind_descriptor{sfondo_uno, "sfondo uno", false},
    record_kind_descriptor{sfondo_due, "sfondo due", false},
    record_kind_descriptor{sfondo_tre, "sfondo tre", false},
    record_kind_descriptor{repetition, "ripetizione segnali", false},
    record_kind_descriptor{gradient, "pendenza", true},
    record_kind_descriptor{curve, "curva", true},
    record_kind_descriptor{mountain, "montagna", true},
    record_kind_descriptor{speed_board, "indicatori_vmax", true},
    record_kind_descriptor{sign, "cartello_indicatore", true},
    record_kind_descriptor{braked_mass, "percentuale massa frenata", false},
    record_kind_descriptor{cars, "numero vetture", false},
    record_kind_descriptor{speed, "velocita", true},
    record_kind_descriptor{adhesion, "aderenza", true},
    record_kind_descriptor{clock, "orologio", false},
    record_kind_descriptor{sand, "sabbia", false},
    record_kind_descriptor{signal, "segnale", true},
    record_kind_descriptor{slow_order, "rallentamento", true},
    record_kind_descriptor{abatement, "abbattimento", true},
    record_kind_descriptor{station, "stazione", true},
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
