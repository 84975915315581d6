// The header table as an author reads it: the stations with their platform and timetable and
// the other items of their record, the texts of the information signs, and the scalar entries 81
// to 86 under the names of the records that fill them (base/header_fields.h), each with its raw
// entry and field beside it. Fields an entry should not hold are shown as well, so that nothing
// in the file is hidden.
#include <set>
#include <utility>
#include <vector>

#include "base/header_fields.h"
#include "base/identity_codes.h"
#include "base/positions.h"
#include "base/windows1252.h"
#include "cli/decimal_text.h"
#include "dump/dump.h"

namespace scenario::tool {
namespace {

using field = std::pair<std::string, std::string>;

// Built by appending: GCC 12 warns falsely (-Wrestrict) on a literal + a temporary string.
std::string quoted(const std::string& windows1252) {
    std::string text = "\"";
    text += from_windows1252(windows1252);
    text += '"';
    return text;
}

// Every field of an entry, by its record name.
std::vector<field> all_fields(const voce& v) {
    const auto n = [](std::int64_t x) { return std::to_string(x); };
    return {{"v_tipo", n(v.v_tipo)}, {"v_a", n(v.v_a)},       {"v_b", n(v.v_b)},
            {"v_c", n(v.v_c)},       {"v_flag", n(v.v_flag)}, {"v_nome", quoted(v.v_nome)},
            {"v_i1", n(v.v_i1)},     {"v_i2", n(v.v_i2)},     {"v_i3", n(v.v_i3)},
            {"v_i4", n(v.v_i4)},     {"v_i5", n(v.v_i5)},     {"v_b1", n(v.v_b1)},
            {"v_b2", n(v.v_b2)},     {"v_b3", n(v.v_b3)},     {"v_b4", n(v.v_b4)},
            {"v_l", n(v.v_l)}};
}

// The fields of an entry that are set but not among the ones its role names, on a line of their
// own after `title`; nothing when there are none.
std::string other_fields(const voce& v, const std::set<std::string>& named,
                         const std::string& title) {
    const voce empty;
    std::string out;
    const std::vector<field> mine = all_fields(v), none = all_fields(empty);
    for (std::size_t i = 0; i < mine.size(); ++i) {
        if (named.count(mine[i].first) != 0 || mine[i].second == none[i].second) continue;
        out += "  " + mine[i].first + " " + mine[i].second;
    }
    return out.empty() ? "" : title + out + "\n";
}

// "lunghezza percorso [voce 84, v_b]": a field by the record that fills it, and where it lies
// in the table.
std::string label(int entry, voce_field field) {
    return header_field_name(entry, field) + " [voce " + std::to_string(entry) + ", " +
           std::string(field_key(field)) + "]";
}

std::string with_unit(std::int64_t value, const header_field_meaning& m) {
    return std::to_string(value) + (m.unit.empty() ? "" : " " + std::string(m.unit));
}

// The fields of a station entry shown on its first line; the others are the items of the record
// that say nothing the tool can name.
bool on_first_line(voce_field f) {
    using enum voce_field;
    return f == v_c || f == v_tipo || f == v_a || f == v_b || f == v_l || f == v_nome;
}

void station_line(int entry, const voce& v, std::ostream& out) {
    out << "  stazione " << entry << ' ' << quoted(v.v_nome) << " a " << v.v_c << " m: tipo "
        << int(v.v_tipo) << (station_has_stop(v.v_tipo) ? " (con fermata)" : " (senza fermata)")
        << ", marciapiede da " << v.v_a << " a " << v.v_b << " m (lungo " << platform_length(v)
        << " m), orario " << time_of_day_text(v.v_l) << " (" << v.v_l << " s) [voce " << entry
        << "]\n      valori 4-13 del record:";
    std::string separator = " ";
    for (const header_field_meaning& m : station_fields()) {
        if (on_first_line(m.field)) continue;
        out << separator << field_number(v, m.field);
        separator = ", ";
    }
    out << " (";
    separator = "";
    for (const header_field_meaning& m : station_fields()) {
        if (on_first_line(m.field)) continue;
        out << separator << field_key(m.field);
        separator = ", ";
    }
    out << ")\n";
}

// One scalar field: "  numero vetture [voce 84, v_c]: 6".
void scalar_line(const testata& h, int entry, voce_field field, std::ostream& out) {
    const voce& v = h[static_cast<std::size_t>(entry)];
    for (const header_field_meaning& m : scalar_entry_fields(entry)) {
        if (m.field != field) continue;
        out << "  " << label(entry, field) << ": "
            << (field == voce_field::v_nome ? quoted(v.v_nome)
                                            : with_unit(field_number(v, field), m))
            << '\n';
    }
}

void scalar_entries(const testata& h, std::ostream& out) {
    using enum voce_field;
    out << "valori del treno e della linea:\n";
    const voce& t = h[k_entry_treno];
    out << "  " << label(k_entry_treno, v_b) << ": " << t.v_b << " m; celle da 0 a "
        << route_last_cell(t.v_b) << ", corsa oltre la fine da " << t.v_b << " a "
        << route_last_metre(t.v_b) << " m\n";
    scalar_line(h, k_entry_treno, v_a, out);
    scalar_line(h, k_entry_treno, v_c, out);
    out << other_fields(t, {"v_a", "v_b", "v_c"}, "  voce 84, altri campi:");
    const voce& l = h[k_entry_linea];
    for (const voce_field f : {v_nome, v_a, v_c, v_b, v_i1}) scalar_line(h, k_entry_linea, f, out);
    out << "  " << label(k_entry_linea, v_l) << ": " << l.v_l
        << identity_note(check_identity(h, identity_code::header_weighted, l.v_l)) << '\n';
    out << other_fields(l, {"v_a", "v_b", "v_c", "v_nome", "v_i1", "v_l"},
                        "  voce 85, altri campi:");
    const voce& c = h[k_entry_codici];
    scalar_line(h, k_entry_codici, v_nome, out);
    out << "  ripetizione segnali [voce 86, v_a, v_b]: " << c.v_a << " e " << c.v_b << '\n';
    scalar_line(h, k_entry_codici, v_c, out);
    scalar_line(h, k_entry_codici, v_i1, out);
    out << "  orologio [voce 86, v_i3, v_i4, v_i5]: " << clock_text(c.v_i3, c.v_i4, c.v_i5) << '\n';
    out << other_fields(c, {"v_a", "v_b", "v_c", "v_nome", "v_i1", "v_i3", "v_i4", "v_i5"},
                        "  voce 86, altri campi:");
    out << "\nprogressive chilometriche, nell'ordine che il compilatore dà ai record \"progressiva "
           "chilometrica tre\", \"due\" e \"uno\":\n";
    for (int e = k_entry_progressiva_tre; e <= k_entry_progressiva_uno; ++e) {
        const voce& v = h[static_cast<std::size_t>(e)];
        out << "  " << scalar_entry_name(e) << " [voce " << e << "]: a " << v.v_a << ", b " << v.v_b
            << ", c " << v.v_c << '\n'
            << other_fields(v, {"v_a", "v_b", "v_c"},
                            "  voce " + std::to_string(e) + ", altri campi:");
    }
}

void every_entry(const testata& h, std::ostream& out) {
    out << "\ntutte le voci:\n";
    for (int e = 0; e < k_testata_entries; ++e) {
        out << "  voce " << e << ':';
        for (const field& f : all_fields(h[static_cast<std::size_t>(e)])) {
            out << ' ' << f.first << ' ' << f.second;
        }
        out << '\n';
    }
}

std::string_view role_of(int entry, const voce& v, const header_layout& layout) {
    if (entry >= k_entry_progressiva_tre && entry <= k_entry_progressiva_uno) return "progressiva";
    if (entry == k_entry_treno) return "treno";
    if (entry == k_entry_linea) return "linea";
    if (entry == k_entry_codici) return "codici";
    if (v == voce{}) return "vuota";
    if (entry >= layout.first_sign) return "cartello";
    if (entry >= 1) return "stazione";
    return "altro";
}

// The entry's name in the author's terms: the scalar entry's, "stazione N", "cartello_indicatore
// N"; null for an empty entry or entry 0.
json entry_name_json(int entry, const voce& v, const header_layout& layout) {
    const std::string_view role = role_of(entry, v, layout);
    if (role == "stazione") return "stazione " + std::to_string(entry);
    if (role == "cartello") {
        return "cartello_indicatore " + std::to_string(k_first_sign_entry + 1 - entry);
    }
    if (const std::string_view name = scalar_entry_name(entry); !name.empty()) return name;
    return nullptr;
}

json field_json(voce_field field, std::string_view name, json value, std::string_view unit) {
    json f;
    f["campo"] = field_key(field);
    f["nome"] = name;
    f["valore"] = std::move(value);
    f["unita"] = unit;
    return f;
}

// The named fields of a station or scalar entry, in the order an author reads them, each with
// its record name, value and unit; a station adds its platform's length, which the record gave.
json fields_json(int entry, const voce& v, const header_layout& layout) {
    json fields = json::array();
    const std::string_view role = role_of(entry, v, layout);
    const std::span<const header_field_meaning> named =
        role == "stazione" ? station_fields() : scalar_entry_fields(entry);
    for (const header_field_meaning& m : named) {
        json value = m.field == voce_field::v_nome ? windows1252_json(v.v_nome)
                                                   : json(field_number(v, m.field));
        fields.push_back(field_json(m.field, m.name, std::move(value), m.unit));
        if (role == "stazione" && m.field == voce_field::v_b) {
            json length;
            length["campo"] = nullptr;
            length["nome"] = "lunghezza del marciapiede";
            length["valore"] = platform_length(v);
            length["unita"] = "m";
            fields.push_back(std::move(length));
        }
    }
    if (role == "cartello") {
        fields.push_back(field_json(voce_field::v_nome, "testo", windows1252_json(v.v_nome), ""));
    }
    return fields;
}

}  // namespace

std::optional<identity_check> check_identity(const testata& header, identity_code which,
                                             std::int32_t held) {
    if (header[k_entry_linea].v_nome.empty() || header[k_entry_codici].v_nome.empty()) {
        return std::nullopt;
    }
    identity_check check;
    check.expected =
        which == identity_code::header_weighted ? codice_gara_st(header) : codice_gara_og(header);
    check.matches = held == check.expected;
    return check;
}

std::string identity_note(const std::optional<identity_check>& check) {
    if (!check) return "";
    if (check->matches) return " (corrisponde a linea e treno della testata)";
    return " (non corrisponde a linea e treno della testata, che danno " +
           std::to_string(check->expected) + ")";
}

json identity_json(std::int32_t held, const std::optional<identity_check>& check) {
    if (!check) return nullptr;
    json identity;
    identity["codice"] = held;
    identity["atteso"] = check->expected;
    identity["corrisponde"] = check->matches;
    return identity;
}

void dump_header_text(const testata& header, bool all, std::ostream& out) {
    const header_layout layout = layout_of(header);
    int stations = 0;
    for (int e = 1; e <= layout.last_station; ++e) stations += !(header[e] == voce{});
    out << "testata: " << k_testata_entries << " voci\n\nstazioni (" << stations << "):\n";
    for (int e = 1; e <= layout.last_station; ++e) {
        if (!(header[e] == voce{})) station_line(e, header[e], out);
    }
    // Signs fill 80, 79, ... in the order of the "cartello_indicatore" records of the line text.
    out << "\ncartelli di indicazione (" << (k_first_sign_entry + 1 - layout.first_sign) << "):\n";
    for (int e = k_first_sign_entry; e >= layout.first_sign; --e) {
        out << "  cartello_indicatore " << (k_first_sign_entry + 1 - e) << ": "
            << quoted(header[e].v_nome) << " [voce " << e << "]\n";
    }
    out << other_fields(header[0], {}, "\nvoce 0 (mai scritta dal compilatore):");
    out << '\n';
    scalar_entries(header, out);
    if (all) every_entry(header, out);
}

json dump_header_json(const testata& header) {
    const header_layout layout = layout_of(header);
    json document;
    document["tipo"] = "testata";
    const std::int32_t code = header[k_entry_linea].v_l;
    document["identita"] =
        identity_json(code, check_identity(header, identity_code::header_weighted, code));
    json entries = json::array();
    for (int e = 0; e < k_testata_entries; ++e) {
        const voce& v = header[static_cast<std::size_t>(e)];
        json entry;
        entry["voce"] = e;
        entry["ruolo"] = role_of(e, v, layout);
        entry["v_tipo"] = v.v_tipo;
        entry["v_a"] = v.v_a;
        entry["v_b"] = v.v_b;
        entry["v_c"] = v.v_c;
        entry["v_flag"] = v.v_flag;
        entry["v_nome"] = windows1252_json(v.v_nome);
        entry["v_i1"] = v.v_i1;
        entry["v_i2"] = v.v_i2;
        entry["v_i3"] = v.v_i3;
        entry["v_i4"] = v.v_i4;
        entry["v_i5"] = v.v_i5;
        entry["v_b1"] = v.v_b1;
        entry["v_b2"] = v.v_b2;
        entry["v_b3"] = v.v_b3;
        entry["v_b4"] = v.v_b4;
        entry["v_l"] = v.v_l;
        entry["nome"] = entry_name_json(e, v, layout);
        entry["campi"] = fields_json(e, v, layout);
        entries.push_back(std::move(entry));
    }
    document["voci"] = std::move(entries);
    return document;
}

}  // namespace scenario::tool
