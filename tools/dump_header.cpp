// The header table as an author reads it: the stations with their platform and timetable, the
// texts of the information signs, and the scalar entries 81 to 86 under the names of what they
// hold. Fields an entry should not hold are shown as well, so that nothing in the file is hidden.
#include <set>
#include <utility>
#include <vector>

#include "base/identity_codes.h"
#include "dump.h"
#include "base/windows1252.h"

namespace scenario::tool {
namespace {

using field = std::pair<std::string, std::string>;

bool sign_like(const voce& v) {
    voce text_only;
    text_only.v_nome = v.v_nome;
    return !v.v_nome.empty() && v == text_only;
}

// Built by appending: GCC 12 warns falsely (-Wrestrict) on a literal + a temporary string.
std::string quoted(const std::string& windows1252) {
    std::string text = "\"";
    text += from_windows1252(windows1252);
    text += '"';
    return text;
}

std::string clock(std::int64_t h, std::int64_t m, std::int64_t s) {
    const auto two = [](std::int64_t v) {
        std::string text = v >= 0 && v < 10 ? "0" : "";
        text += std::to_string(v);
        return text;
    };
    return std::to_string(h) + ":" + two(m) + ":" + two(s);
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

// The fields of an entry that are set but not among the ones its role names.
std::string other_fields(const voce& v, const std::set<std::string>& named) {
    const voce empty;
    std::string out;
    const std::vector<field> mine = all_fields(v), none = all_fields(empty);
    for (std::size_t i = 0; i < mine.size(); ++i) {
        if (named.count(mine[i].first) != 0 || mine[i].second == none[i].second) continue;
        out += "  " + mine[i].first + " " + mine[i].second;
    }
    return out.empty() ? "" : "\n      altri campi:" + out;
}

void station_line(int entry, const voce& v, std::ostream& out) {
    out << "  voce " << entry << ": " << quoted(v.v_nome) << ", posizione " << v.v_c << " m, tipo "
        << int(v.v_tipo) << ", marciapiede da " << v.v_a << " a " << v.v_b << " m, orario "
        << clock(v.v_l / 3600, v.v_l / 60 % 60, v.v_l % 60) << " (" << v.v_l << " s)\n      v_flag "
        << int(v.v_flag) << "  v_i1 " << v.v_i1 << "  v_i2 " << v.v_i2 << "  v_i3 " << v.v_i3
        << "  v_i4 " << v.v_i4 << "  v_i5 " << v.v_i5 << "  v_b1 " << int(v.v_b1) << "  v_b2 "
        << int(v.v_b2) << "  v_b3 " << int(v.v_b3) << "  v_b4 " << int(v.v_b4) << '\n';
}

void scalar_entries(const testata& h, std::ostream& out) {
    out << "progressive chilometriche (nell'ordine finale):\n";
    for (int e = k_entry_progressiva_tre; e <= k_entry_progressiva_uno; ++e) {
        const voce& v = h[static_cast<std::size_t>(e)];
        out << "  voce " << e << ": a " << v.v_a << ", b " << v.v_b << ", c " << v.v_c
            << other_fields(v, {"v_a", "v_b", "v_c"}) << '\n';
    }
    const voce& t = h[k_entry_treno];
    out << "voce 84: massa frenata " << t.v_a << " %, lunghezza del percorso " << t.v_b
        << " m, vetture " << t.v_c << other_fields(t, {"v_a", "v_b", "v_c"}) << '\n';
    const voce& l = h[k_entry_linea];
    out << "voce 85: linea " << quoted(l.v_nome) << ", sfondo uno " << l.v_a << ", sfondo due "
        << l.v_c << ", sfondo tre " << l.v_b << ", marcatore " << l.v_i1 << ", codice di identità "
        << l.v_l << identity_note(check_identity(h, identity_code::header_weighted, l.v_l))
        << other_fields(l, {"v_a", "v_b", "v_c", "v_nome", "v_i1", "v_l"}) << '\n';
    const voce& c = h[k_entry_codici];
    out << "voce 86: treno " << quoted(c.v_nome) << ", ripetizione segnali " << c.v_a << " e "
        << c.v_b << " (codici " << c.v_c << "), sabbia " << c.v_i1 << ", orologio "
        << clock(c.v_i3, c.v_i4, c.v_i5)
        << other_fields(c, {"v_a", "v_b", "v_c", "v_nome", "v_i1", "v_i3", "v_i4", "v_i5"}) << '\n';
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

void identity_member(json_writer& json, std::int32_t held,
                     const std::optional<identity_check>& check) {
    if (!check) {
        json.null_member("identita");
        return;
    }
    json.key("identita");
    json.begin_object();
    json.member("codice", held);
    json.member("atteso", check->expected);
    json.member("corrisponde", check->matches);
    json.end_object();
}

header_layout layout_of(const testata& header) {
    header_layout layout;
    while (layout.first_sign > 1 &&
           sign_like(header[static_cast<std::size_t>(layout.first_sign - 1)])) {
        --layout.first_sign;
    }
    for (int e = 1; e < layout.first_sign; ++e) {
        if (!(header[static_cast<std::size_t>(e)] == voce{})) layout.last_station = e;
    }
    return layout;
}

void dump_header_text(const testata& header, bool all, std::ostream& out) {
    const header_layout layout = layout_of(header);
    int stations = 0;
    for (int e = 1; e <= layout.last_station; ++e) stations += !(header[e] == voce{});
    out << "testata: " << k_testata_entries << " voci\n\nstazioni (" << stations << "):\n";
    for (int e = 1; e <= layout.last_station; ++e) {
        if (!(header[e] == voce{})) station_line(e, header[e], out);
    }
    out << "\ncartelli di indicazione (" << (k_first_sign_entry + 1 - layout.first_sign) << "):\n";
    for (int e = k_first_sign_entry; e >= layout.first_sign; --e) {
        out << "  voce " << e << ": " << quoted(header[e].v_nome) << '\n';
    }
    if (!(header[0] == voce{})) {
        out << "\nvoce 0 (mai scritta dal compilatore):" << other_fields(header[0], {}) << '\n';
    }
    out << '\n';
    scalar_entries(header, out);
    if (all) every_entry(header, out);
}

void dump_header_json(const testata& header, json_writer& json) {
    const header_layout layout = layout_of(header);
    json.begin_object();
    json.member("tipo", "testata");
    const std::int32_t code = header[k_entry_linea].v_l;
    identity_member(json, code, check_identity(header, identity_code::header_weighted, code));
    json.key("voci");
    json.begin_array();
    for (int e = 0; e < k_testata_entries; ++e) {
        const voce& v = header[static_cast<std::size_t>(e)];
        json.begin_object();
        json.member("voce", e);
        json.member("ruolo", role_of(e, v, layout));
        json.member("v_tipo", v.v_tipo);
        json.member("v_a", v.v_a);
        json.member("v_b", v.v_b);
        json.member("v_c", v.v_c);
        json.member("v_flag", v.v_flag);
        json.windows1252_member("v_nome", v.v_nome);
        json.member("v_i1", v.v_i1);
        json.member("v_i2", v.v_i2);
        json.member("v_i3", v.v_i3);
        json.member("v_i4", v.v_i4);
        json.member("v_i5", v.v_i5);
        json.member("v_b1", v.v_b1);
        json.member("v_b2", v.v_b2);
        json.member("v_b3", v.v_b3);
        json.member("v_b4", v.v_b4);
        json.member("v_l", v.v_l);
        json.end_object();
    }
    json.end_array();
    json.end_object();
}

}  // namespace scenario::tool
