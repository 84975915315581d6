// The cell array as an author reads it: every cell that holds a feature, with its values decoded
// where the kind says what they mean, then the fills that run along the track (speed limit,
// gradient, adhesion, scenery) as runs of equal cells, then the approach marks.
#include <functional>
#include <sstream>
#include <vector>

#include "cell_words.h"
#include "dump.h"
#include "base/windows1252.h"

namespace scenario::tool {
namespace {

std::int64_t position(const cella& c, std::size_t n) {
    return static_cast<std::int64_t>(feature_metres(c, n));
}

std::string entry_text(const std::optional<testata>& header, std::int16_t entry) {
    if (!header || entry < 0 || entry >= k_testata_entries) return "";
    return " \"" + from_windows1252((*header)[static_cast<std::size_t>(entry)].v_nome) + "\"";
}

// A speed-indicator word: the a-side speed in steps of 20, the d-side speed in steps of 5.
std::string board_speeds(std::int16_t word) {
    const int v = word;
    return std::to_string(v / 20) + "/" + std::to_string((v % 20) * 5);
}

// The values of a cell, decoded where the table of the kinds says what they mean.
std::string feature_detail(const cella& c, const std::optional<testata>& header) {
    std::ostringstream out;
    switch (describe(c).values) {
        case cell_values::signal_aspects:
            out << "aspetti " << c.val1 << ' ' << c.val2 << ' ' << c.val3 << ", val4 " << c.val4
                << ", tempo " << int(c.tempo_segnale);
            break;
        case cell_values::slow_order:
            out << "val1 " << c.val1 << ", val2 " << c.val2 << ", val3 " << c.val3;
            break;
        case cell_values::board_speeds:
            out << "velocità (s/d) " << board_speeds(c.val1) << ", " << board_speeds(c.val2) << ", "
                << board_speeds(c.val3) << " km/h, strisce " << c.val4 / 10 << "/" << c.val4 % 10;
            break;
        case cell_values::station_entry:
            out << "stazione " << c.val1 << entry_text(header, c.val1);
            break;
        case cell_values::value:
            out << "valore " << c.val1;
            break;
        case cell_values::sign_entry:
            out << "testo della voce " << c.val1 << entry_text(header, c.val1);
            break;
        case cell_values::none:
            out << "val1 " << c.val1 << ", val2 " << c.val2;
            break;
    }
    return out.str();
}

void features_text(const celle& cells, const std::optional<testata>& header, std::ostream& out) {
    std::size_t count = 0;
    for (const cella& c : cells) count += kind_of(c) != cell_kind::plain;
    out << "\nelementi sulle celle (" << count << "):\n";
    for (std::size_t n = 0; n < cells.size(); ++n) {
        const cella& c = cells[n];
        if (kind_of(c) == cell_kind::plain) continue;
        out << "  cella " << n << " (" << position(c, n) << " m): " << describe(c).name << " [tipo "
            << int(c.tipo_cella) << "], " << feature_detail(c, header) << '\n';
    }
}

// Runs of cells with the same value of one field.
struct run {
    std::size_t first;
    std::size_t last;
    int value;
};

std::vector<run> runs_of(const celle& cells, const std::function<int(const cella&)>& field) {
    std::vector<run> runs;
    for (std::size_t n = 0; n < cells.size(); ++n) {
        const int v = field(cells[n]);
        if (!runs.empty() && runs.back().value == v)
            runs.back().last = n;
        else
            runs.push_back({n, n, v});
    }
    return runs;
}

struct fill {
    const char* title;
    const char* key;  // the field's name in the JSON view
    const char* unit;
    std::function<int(const cella&)> value;
};

const std::vector<fill>& fills() {
    static const std::vector<fill> k_fills = {
        {"limite di velocità", "vel_limite_kmh", " km/h",
         [](const cella& c) { return c.vel_limite * 5; }},
        {"pendenza (byte della cella meno 100)", "pendenza", "",
         [](const cella& c) { return c.pendenza - 100; }},
        {"aderenza", "aderenza", "", [](const cella& c) { return int(c.aderenza); }},
        {"sfondo", "sfondo", "", [](const cella& c) { return int(c.sfondo); }},
    };
    return k_fills;
}

void runs_text(const celle& cells, std::ostream& out) {
    for (const fill& f : fills()) {
        out << '\n' << f.title << ":\n";
        for (const run& r : runs_of(cells, f.value)) {
            out << "  celle " << r.first << "-" << r.last << ": " << r.value << f.unit << '\n';
        }
    }
    out << "\npreavvisi:\n";
    for (std::size_t n = 0; n < cells.size(); ++n) {
        if (cells[n].preavviso != 0) {
            out << "  cella " << n << ": " << int(cells[n].preavviso) << '\n';
        }
    }
}

void every_cell_text(const celle& cells, std::ostream& out) {
    out << "\ntutte le celle (tipo val1 val2 val3 val4 tempo preavviso sfondo vel_limite "
           "pendenza aderenza):\n";
    for (std::size_t n = 0; n < cells.size(); ++n) {
        const cella& c = cells[n];
        out << "  " << n << ": " << int(c.tipo_cella) << ' ' << c.val1 << ' ' << c.val2 << ' '
            << c.val3 << ' ' << c.val4 << ' ' << int(c.tempo_segnale) << ' ' << int(c.preavviso)
            << ' ' << int(c.sfondo) << ' ' << int(c.vel_limite) << ' ' << int(c.pendenza) << ' '
            << int(c.aderenza) << '\n';
    }
}

void cell_json(json_writer& json, std::size_t n, const cella& c) {
    json.begin_object();
    json.member("cella", static_cast<std::uint64_t>(n));
    json.member("tipo_cella", c.tipo_cella);
    json.member("val1", c.val1);
    json.member("val2", c.val2);
    json.member("val3", c.val3);
    json.member("val4", c.val4);
    json.member("tempo_segnale", c.tempo_segnale);
    json.member("preavviso", c.preavviso);
    json.member("sfondo", c.sfondo);
    json.member("vel_limite", c.vel_limite);
    json.member("pendenza", c.pendenza);
    json.member("aderenza", c.aderenza);
    json.end_object();
}

}  // namespace

void dump_cells_text(const celle& cells, const std::optional<testata>& header, bool all,
                     std::ostream& out) {
    out << "celle: " << cells.size() << " (da 0 a " << cells.size() - 1 << ")\n";
    // The readers give no cell file without cell 1.
    out << "cella 1: marcatore " << cells[1].val1 << ", codice di identità " << cells[1].val2
        << (header ? identity_note(check_identity(*header, identity_code::cell_sum, cells[1].val2))
                   : "")
        << '\n';
    features_text(cells, header, out);
    runs_text(cells, out);
    if (all) every_cell_text(cells, out);
}

void dump_cells_json(const celle& cells, const std::optional<testata>& header, bool all,
                     json_writer& json) {
    json.begin_object();
    json.member("tipo", "celle");
    json.member("numero_celle", static_cast<std::uint64_t>(cells.size()));
    const std::int32_t code = cells[1].val2;
    identity_member(json, code,
                    header ? check_identity(*header, identity_code::cell_sum, code) : std::nullopt);
    json.key("elementi");
    json.begin_array();
    for (std::size_t n = 0; n < cells.size(); ++n) {
        const cella& c = cells[n];
        if (kind_of(c) == cell_kind::plain) continue;
        json.begin_object();
        json.member("cella", static_cast<std::uint64_t>(n));
        json.member("posizione", position(c, n));
        json.member("tipo_cella", c.tipo_cella);
        json.member("nome_tipo", describe(c).name);
        json.member("descrizione", feature_detail(c, header));
        json.end_object();
    }
    json.end_array();
    for (const fill& f : fills()) {
        json.key(f.key);
        json.begin_array();
        for (const run& r : runs_of(cells, f.value)) {
            json.begin_object();
            json.member("da_cella", static_cast<std::uint64_t>(r.first));
            json.member("a_cella", static_cast<std::uint64_t>(r.last));
            json.member("valore", r.value);
            json.end_object();
        }
        json.end_array();
    }
    if (all) {
        json.key("celle");
        json.begin_array();
        for (std::size_t n = 0; n < cells.size(); ++n) cell_json(json, n, cells[n]);
        json.end_array();
    }
    json.end_object();
}

}  // namespace scenario::tool
