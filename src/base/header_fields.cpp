#include "base/header_fields.h"

#include <array>

namespace scenario {
namespace {

using enum voce_field;

constexpr std::array<voce_field, 16> k_fields = {v_tipo, v_a,  v_b,  v_c,  v_flag, v_nome,
                                                 v_i1,   v_i2, v_i3, v_i4, v_i5,   v_b1,
                                                 v_b2,   v_b3, v_b4, v_l};

constexpr std::array<std::string_view, 16> k_keys = {
    "v_tipo", "v_a",  "v_b",  "v_c",  "v_flag", "v_nome", "v_i1", "v_i2",
    "v_i3",   "v_i4", "v_i5", "v_b1", "v_b2",   "v_b3",   "v_b4", "v_l"};

constexpr header_field_meaning k_progressiva_tre[] = {
    {v_a, "progressiva chilometrica tre, valore a", ""},
    {v_b, "progressiva chilometrica tre, valore b", ""},
    {v_c, "progressiva chilometrica tre, valore c", ""},
};
constexpr header_field_meaning k_progressiva_due[] = {
    {v_a, "progressiva chilometrica due, valore a", ""},
    {v_b, "progressiva chilometrica due, valore b", ""},
    {v_c, "progressiva chilometrica due, valore c", ""},
};
constexpr header_field_meaning k_progressiva_uno[] = {
    {v_a, "progressiva chilometrica uno, valore a", ""},
    {v_b, "progressiva chilometrica uno, valore b", ""},
    {v_c, "progressiva chilometrica uno, valore c", ""},
};
constexpr header_field_meaning k_treno[] = {
    {v_a, "percentuale massa frenata", "%"},
    {v_b, "lunghezza percorso", "m"},
    {v_c, "numero vetture", ""},
};
constexpr header_field_meaning k_linea[] = {
    {v_nome, "nome della linea", ""}, {v_a, "sfondo uno", ""}, {v_c, "sfondo due", ""},
    {v_b, "sfondo tre", ""},          {v_i1, "marcatore", ""}, {v_l, "codice di identità", ""},
};
constexpr header_field_meaning k_codici[] = {
    {v_nome, "codice del treno", ""},
    {v_a, "ripetizione segnali, primo valore", ""},
    {v_b, "ripetizione segnali, secondo valore", ""},
    {v_c, "codici di ripetizione", ""},
    {v_i1, "sabbia", ""},
    {v_i3, "orologio, ore", ""},
    {v_i4, "orologio, minuti", ""},
    {v_i5, "orologio, secondi", ""},
};

// The items of "stazione, p, tipo, L, ..., ore, minuti, secondi, nome" and where each went.
constexpr header_field_meaning k_station[] = {
    {v_c, "posizione", "m"},
    {v_tipo, "tipo", ""},
    {v_a, "inizio del marciapiede", "m"},
    {v_b, "fine del marciapiede", "m"},
    {v_flag, "valore 4 del record", ""},
    {v_b4, "valore 5 del record", ""},
    {v_b3, "valore 6 del record (prolungamento)", ""},
    {v_i1, "valore 7 del record", ""},
    {v_i2, "valore 8 del record", ""},
    {v_b1, "valore 9 del record", ""},
    {v_i3, "valore 10 del record", ""},
    {v_i4, "valore 11 del record", ""},
    {v_i5, "valore 12 del record", ""},
    {v_b2, "valore 13 del record", ""},
    {v_l, "orario", "s"},
    {v_nome, "nome", ""},
};

}  // namespace

std::span<const voce_field> voce_fields() { return k_fields; }

std::string_view field_key(voce_field field) { return k_keys[static_cast<std::size_t>(field)]; }

std::int64_t field_number(const voce& v, voce_field field) {
    switch (field) {
        case v_tipo:
            return v.v_tipo;
        case v_a:
            return v.v_a;
        case v_b:
            return v.v_b;
        case v_c:
            return v.v_c;
        case v_flag:
            return v.v_flag;
        case v_nome:
            return 0;
        case v_i1:
            return v.v_i1;
        case v_i2:
            return v.v_i2;
        case v_i3:
            return v.v_i3;
        case v_i4:
            return v.v_i4;
        case v_i5:
            return v.v_i5;
        case v_b1:
            return v.v_b1;
        case v_b2:
            return v.v_b2;
        case v_b3:
            return v.v_b3;
        case v_b4:
            return v.v_b4;
        case v_l:
            break;
    }
    return v.v_l;
}

std::span<const header_field_meaning> scalar_entry_fields(int entry) {
    switch (entry) {
        case k_entry_progressiva_tre:
            return k_progressiva_tre;
        case k_entry_progressiva_due:
            return k_progressiva_due;
        case k_entry_progressiva_uno:
            return k_progressiva_uno;
        case k_entry_treno:
            return k_treno;
        case k_entry_linea:
            return k_linea;
        case k_entry_codici:
            return k_codici;
        default:
            return {};
    }
}

std::span<const header_field_meaning> station_fields() { return k_station; }

std::string_view scalar_entry_name(int entry) {
    switch (entry) {
        case k_entry_progressiva_tre:
            return "progressiva chilometrica tre";
        case k_entry_progressiva_due:
            return "progressiva chilometrica due";
        case k_entry_progressiva_uno:
            return "progressiva chilometrica uno";
        case k_entry_treno:
            return "treno";
        case k_entry_linea:
            return "linea";
        case k_entry_codici:
            return "codici";
        default:
            return "";
    }
}

std::string header_field_name(int entry, voce_field field) {
    const std::span<const header_field_meaning> named =
        entry >= 1 && entry <= k_first_sign_entry ? station_fields() : scalar_entry_fields(entry);
    for (const header_field_meaning& m : named) {
        if (m.field == field) return std::string(m.name);
    }
    return std::string(field_key(field));
}

std::int64_t platform_length(const voce& station) {
    const std::int64_t before = std::int64_t{station.v_c} - station.v_a;
    switch (platform_layout_of(station.v_tipo)) {
        case platform_layout::before:
        case platform_layout::both_sides:
            return before;
        case platform_layout::centred:
            break;
    }
    return 2 * before;
}

}  // namespace scenario
