// The records of the train text in one keyword table, in the order their tests are made: the
// train pass runs them through the record scanner, and the author's tools offer and explain
// the same keywords.
#pragma once

#include <array>
#include <string_view>

#include "compile/record_scanner.h"

namespace scenario {

inline constexpr keyword_row train_row(std::string_view first, std::string_view second,
                                       record_kind kind) {
    return {first, second, keyword_case::any, kind};
}

// The ten tests in the order they are made; an item that passes several runs each record.
inline constexpr std::array k_train_records = {
    train_row("frenata", "massa", record_kind::braked_mass),
    train_row("vetture", "", record_kind::cars),
    train_row("velocit", "", record_kind::speed),
    train_row("aderenza", "", record_kind::adhesion),
    train_row("orologio", "", record_kind::clock),
    train_row("sabbia", "", record_kind::sand),
    train_row("segnale", "", record_kind::signal),
    train_row("rallentamento", "", record_kind::slow_order),
    train_row("abbattimento", "", record_kind::abatement),
    train_row("stazione", "", record_kind::station),
};

}  // namespace scenario
