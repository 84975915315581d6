// The records of the two description texts, one kind each, and the one table that names them.
// The passes match keyword items with tests of their own (which words, which case) and hand over
// the kind of the record they ran; whoever names, counts or finds records does it by kind. A new
// record is one enumerator and one row.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace scenario {

enum class record_kind : std::uint8_t {
    // The line text's "[generale]" section.
    route_length,
    progressive_tre,
    progressive_due,
    progressive_uno,
    sfondo_uno,
    sfondo_due,
    sfondo_tre,
    repetition,
    // The line text's features, after "[generale]".
    gradient,
    curve,
    mountain,
    speed_board,
    sign,
    // The train text.
    braked_mass,
    cars,
    speed,
    adhesion,
    clock,
    sand,
    signal,
    slow_order,
    abatement,
    station,
};

struct record_kind_descriptor {
    record_kind kind;
    // The record's keyword as the program's own texts write it ("segnale", "lunghezza
    // percorso"): the name authors know it by.
    std::string_view name;
    // Whether its first value is a position along the track, in metres.
    bool positioned;
    // Its values in the order they are read: what completions offer and hovers explain.
    std::span<const std::string_view> values;
    // The section header the program's own texts put it under.
    std::string_view section;
};

// Every kind, in the order of the enumerators.
std::span<const record_kind_descriptor> record_kinds();

const record_kind_descriptor& describe(record_kind kind);

inline std::string_view record_name(record_kind kind) { return describe(kind).name; }

// The three kilometric progressives, whose values header entries 81 to 83 hold.
bool is_progressive(record_kind kind);

}  // namespace scenario
