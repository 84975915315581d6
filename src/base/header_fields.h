// What each field of a header entry holds, in the words of the description texts: the scalar
// entries 81 to 86 by the record that fills each field ("lunghezza percorso" is entry 84's v_b),
// a station entry by the items of its "stazione" record, and how a station's kind lays its
// platform and whether it has a stop. The compiler lays the platforms by these rules; the tool's
// dump and its messages name the fields with them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/records.h"

namespace scenario {

// The fields of a `voce`, in the order of the record.
enum class voce_field : std::uint8_t {
    v_tipo,
    v_a,
    v_b,
    v_c,
    v_flag,
    v_nome,
    v_i1,
    v_i2,
    v_i3,
    v_i4,
    v_i5,
    v_b1,
    v_b2,
    v_b3,
    v_b4,
    v_l,
};

// Every field, in the order of the record.
std::span<const voce_field> voce_fields();

// The field's name in the record: "v_a".
std::string_view field_key(voce_field field);

// The value of a numeric field; v_nome, the one text, has none and gives 0.
std::int64_t field_number(const voce& v, voce_field field);

// One field of an entry and what it holds.
struct header_field_meaning {
    voce_field field;
    std::string_view name;  // "lunghezza percorso": the record's keyword, or what the item is
    std::string_view unit;  // "m", "%", "s" or empty
};

// The fields that the records of the line and train texts fill in a scalar entry (81 to 86), in
// the order an author reads them; empty for any other entry. The records "progressiva
// chilometrica tre", "due" and "uno" fill entries 81, 82 and 83, and the compiler then puts the
// three in order, so that the entries hold the first, second and third progressive of that order
// whichever record gave them: they are named by their place in it. Entry 85 holds "sfondo uno"
// in v_a, "sfondo due" in v_c and "sfondo tre" in v_b.
std::span<const header_field_meaning> scalar_entry_fields(int entry);

// The fields of a station entry in the order of the items of the "stazione" record (v_a and v_b,
// the platform's ends, stand for the third value, the platform's length; "valore 7" is the seventh).
std::span<const header_field_meaning> station_fields();

// The name of a scalar entry: "prima progressiva chilometrica" for 81, "treno" for 84, "linea"
// for 85, "codici" for 86; empty for any other entry.
std::string_view scalar_entry_name(int entry);

// A field of an entry by what it holds, for a message or a dump: "prima progressiva
// chilometrica, valore a" (81, v_a), "lunghezza percorso" (84, v_b), "stazione 5, fine del marciapiede" (5,
// v_b; entries 1 to 80 are named as the stations they hold, counted like the entries). A field
// the entry's records do not fill is named by its key ("v_i2").
std::string header_field_name(int entry, voce_field field);

// Station kinds from 25 up have no stop cell and no approach marks.
inline constexpr std::uint8_t k_first_station_kind_without_stop = 25;

constexpr bool station_has_stop(std::uint8_t kind) {
    return kind < k_first_station_kind_without_stop;
}

// How a station's kind lays a platform of length L around its position p.
enum class platform_layout : std::uint8_t {
    before,      // kinds 5 and 6: from p - L to p + 150, no approach marks before the stop
    both_sides,  // kinds 7 and 8: from p - L to p + L
    centred,     // every other kind: from p - L / 2 to p + L / 2, 50 m longer when v_b3 is set
};

constexpr platform_layout platform_layout_of(std::uint8_t kind) {
    if (kind == 5 || kind == 6) return platform_layout::before;
    if (kind == 7 || kind == 8) return platform_layout::both_sides;
    return platform_layout::centred;
}

// The platform length the station record gave (its third value), read back from the entry's position
// and the platform's start by the layout of its kind.
std::int64_t platform_length(const voce& station);

}  // namespace scenario
