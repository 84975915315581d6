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

constexpr header_field_meaning k_progressiva_prima[] = {
    {v_a, "prima progressiva chilometrica, valore a", ""},
    {v_b, "prima progressiva chilometrica, valore b", ""},
    {v_c, "prima progressiva chilometrica, valore c", ""},
};
constexpr header_field_meaning k_progressiva_seconda[] = {
    {v_a, "seconda progressiva chilometrica, valore a", ""},
    {v_b, "seconda progressiva chilometrica, valore b", ""},
    {v_c, "seconda progressiva chilometrica, valore c", ""},
};
constexpr header_field_meaning k_progressiva_terza[] = {
    {v_a, "terza progressiva chilometrica, valore a", ""},
    {v_b, "terza progressiva chilometrica, valore b", ""},
    {v_c, "terza progressiva chilometrica, valore c", ""},
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
    {v_flag, "valore 4", ""},
    {v_b4, "valore 5", ""},
    {v_b3, "valore 6 (prolungamento)", ""},
    {v_i1, "valore 7", ""},
    {v_i2, "valore 8", ""},
    {v_b1, "valore 9", ""},
    {v_i3, "valore 10", ""},
    {v_i4, "valore 11", ""},
    {v_i5, "valore 12", ""},
    {v_b2, "valore 13", ""},
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
            return k_progressiva_prima;
        case k_entry_progressiva_due:
            return k_progressiva_seconda;
        case k_entry_progressiva_uno:
            return k_progressiva_terza;
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
            return "prima progressiva chilometrica";
        case k_entry_progressiva_due:
            return "seconda progressiva chilometrica";
        case k_entry_progressiva_uno:
            return "terza progressiva chilometrica";
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
    const bool station = entry >= 1 && entry <= k_first_sign_entry;
    for (const header_field_meaning& m : station ? station_fields() : scalar_entry_fields(entry)) {
        if (m.field != field) continue;
        if (!station) return std::string(m.name);
        return "stazione " + std::to_string(entry) + ", " + std::string(m.name);
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
