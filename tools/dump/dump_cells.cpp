// The cell array as an author reads it: where the route ends, every cell that holds a feature
// with the metre its record named and the stretch the cell stands for, its values as the items
// of that record, then the fills that run along the track (speed limit, gradient, adhesion,
// scenery) as runs of equal cells, then the approach marks with the signal or stop that laid
// each. The meanings come from the line model (model/line_model.h) and the tables of base/.
#include <sstream>
#include <vector>

#include "base/windows1252.h"
#include "dump/dump.h"
#include "model/cell_words.h"
#include "model/line_model.h"

namespace scenario::tool {
namespace {

std::string metres_text(std::int64_t metres) { return std::to_string(metres) + " m"; }

// "1750–1800 m": the stretch a cell stands for.
std::string stretch_text(std::int64_t cell) {
    const cell_stretch s = stretch_of(cell);
    return std::to_string(s.from) + "–" + metres_text(s.to);
}

// "cella 36 (1750–1800 m)"
std::string cell_text(std::size_t n) {
    return "cella " + std::to_string(n) + " (" + stretch_text(static_cast<std::int64_t>(n)) + ")";
}

// The header entry a cell points to, and its name or text.
std::optional<std::string> entry_name(const testata* header, std::int32_t entry) {
    if (!header || entry < 0 || entry >= k_testata_entries) return std::nullopt;
    return from_windows1252((*header)[static_cast<std::size_t>(entry)].v_nome);
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

// Where a feature stands, by its record: "a 1750 m", or for a stop the station's position and
// its platform's end.
std::string where_text(const cella& c, std::size_t n, const testata* header) {
    const std::optional<std::int64_t> metre = named_metre(c, n, header);
    if (describe(c).place != cell_place::platform_end) {
        return metre ? " a " + metres_text(*metre) : "";
    }
    std::string text = metre ? " a " + metres_text(*metre) : "";
    return text + ", fine del marciapiede a " +
           metres_text(static_cast<std::int64_t>(feature_metres(c, n)));
}

std::string raw_values(const cella& c) {
    return "val1 " + std::to_string(c.val1) + ", val2 " + std::to_string(c.val2) + ", val3 " +
           std::to_string(c.val3) + ", val4 " + std::to_string(c.val4) + ", tempo_segnale " +
           std::to_string(c.tempo_segnale);
}

// The record's items the cell holds: "sx 2, s1 3, ...", with the name of a station or sign.
std::string items_text(const cella& c, const testata* header) {
    const cell_kind_descriptor kind = describe(c);
    // A kind no record lays is shown by its fields; scenery marks and empty marks hold none.
    if (kind.fields.empty()) {
        const bool unknown = kind.record.empty() && kind_of(c) != cell_kind::plain;
        return unknown ? ": " + raw_values(c) : "";
    }
    const std::optional<std::vector<record_item>> items = record_items(c);
    if (!items) {
        return ": valori che nessun record \"" + std::string(kind.record) + "\" scrive (" +
               raw_values(c) + ")";
    }
    std::string text;
    for (const record_item& item : *items) {
        text += text.empty() ? ": " : ", ";
        text += item_text(item);
        if (item.code == value_code::entry) {
            if (const auto name = entry_name(header, item.value)) text += " " + quoted(*name);
        }
    }
    return text;
}

// A slow order's board by its record's metre: "3000 m (cella 61)".
std::string feature_at(std::size_t n) {
    return metres_text(point_position(static_cast<std::int64_t>(n))) + " (cella " +
           std::to_string(n) + ")";
}

// What the boards and approach cells of one slow order tell of each other, and the other slow
// orders an end board ends as well.
std::string slow_order_text(const line_model& model, std::size_t n) {
    const slow_order_cells order = model.slow_order_of(n);
    std::string text;
    const auto other = [&](const std::optional<std::size_t>& board, const char* what) {
        if (board && *board != n) text += std::string("; ") + what + " a " + feature_at(*board);
    };
    other(order.start, "inizio");
    other(order.end, "fine");
    if (order.start == n && order.end) {
        text += "; l " + metres_text(point_position(static_cast<std::int64_t>(*order.end)) -
                                     point_position(static_cast<std::int64_t>(n)));
    }
    other(order.warning, "cartello di avviso");
    for (const std::size_t start : order.also_ends) {
        text += "; fine anche del rallentamento con inizio a " + feature_at(start);
    }
    return text;
}

std::string cell_list(const std::vector<std::size_t>& cells) {
    std::string text;
    for (const std::size_t n : cells) text += (text.empty() ? "" : ", ") + std::to_string(n);
    return text;
}

// One feature, after its cell: "segnale a 1750 m: sx 2, ...; preavvisi sulle celle ... [tipo 1]".
std::string feature_text(const line_model& model, std::size_t n) {
    const cella& c = (*model.cells)[n];
    const testata* header = model.header;
    const cell_kind_descriptor kind = describe(c);
    std::string text(kind.name);
    text += kind.place == cell_place::platform_end ? "" : where_text(c, n, header);
    text += items_text(c, header);
    if (kind.place == cell_place::platform_end) text += where_text(c, n, header);
    if (kind.values == cell_values::slow_order) text += slow_order_text(model, n);
    if (spacing_mark(c)) {
        text += " (il valore dei segni che il compilatore pone da sé intorno ai rallentamenti)";
    }
    if (kind.marks != approach_marks::none) {
        const std::vector<std::size_t> laid = marks_laid_by(model.approach_marks, n);
        text += laid.empty()       ? "; nessun preavviso"
                : laid.size() == 1 ? "; preavviso sulla cella " + cell_list(laid)
                                   : "; preavvisi sulle celle " + cell_list(laid);
    }
    return text + " [tipo " + std::to_string(c.tipo_cella) + "]";
}

std::string route_text(const route_end& end) {
    std::string text = "percorso: " + std::string(end.from_header ? "" : "circa ") +
                       metres_text(end.length) +
                       (end.from_header ? " (\"lunghezza percorso\" della testata, voce 84 v_b)"
                                        : " (dal numero delle celle, a meno di 25 m: la testata "
                                          "non c'è)");
    text += "; corsa oltre la fine: " + metres_text(k_run_off) + ", celle da " +
            std::to_string(end.first_run_off_cell) + " a " + std::to_string(end.last_cell);
    return text;
}

std::string route_end_line(const route_end& end) {
    return "  -- fine del percorso a " + metres_text(end.length) + ", nella " +
           cell_text(static_cast<std::size_t>(end.first_run_off_cell)) + ": oltre, " +
           metres_text(k_run_off) + " di corsa fino alla cella " + std::to_string(end.last_cell) +
           " --\n";
}

void features_text(const line_model& model, std::ostream& out) {
    const route_end& end = model.route;
    out << "\nelementi sulle celle (" << model.features.size() << "):\n";
    bool end_shown = false;
    for (const feature& f : model.features) {
        if (!end_shown && static_cast<std::int64_t>(f.cell) >= end.first_run_off_cell) {
            out << route_end_line(end);
            end_shown = true;
        }
        out << "  " << cell_text(f.cell) << ": " << feature_text(model, f.cell) << '\n';
    }
    if (!end_shown) out << route_end_line(end);
}

// How the dump names each fill, in the text view and in the JSON view.
struct fill_words {
    cell_fill fill;
    const char* title;
    const char* key;  // the field's name in the JSON view
    const char* unit;
};

constexpr fill_words k_fill_words[] = {
    {cell_fill::speed_limit, "limite di velocità", "vel_limite_kmh", "km/h"},
    {cell_fill::gradient, "pendenza", "pendenza", "‰"},
    {cell_fill::adhesion, "aderenza", "aderenza", ""},
    {cell_fill::scenery, "sfondo", "sfondo", ""},
};

std::string value_text(int value, const char* unit) {
    return std::to_string(value) + (*unit != '\0' ? std::string(" ") + unit : "");
}

// "80 km/h da 0 a 2200 m (celle 0–43: da -50 a 2150 m)": the metres a fill was written from
// and to, then the cells and their stretches.
std::string run_text(const fill_run& r, const char* unit, const route_end& end) {
    const auto first = static_cast<std::int64_t>(r.first), last = static_cast<std::int64_t>(r.last);
    std::string text = value_text(r.value, unit) + " da " + std::to_string(fill_position(first)) +
                       " a " + metres_text(fill_position(last + 1));
    text += first == last ? " (cella " + std::to_string(first)
                          : " (celle " + std::to_string(first) + "–" + std::to_string(last);
    text += ": da " + std::to_string(stretch_of(first).from) + " a " +
            metres_text(stretch_of(last).to) + ")";
    if (first >= end.first_run_off_cell) text += ", oltre la fine del percorso";
    return text;
}

void runs_text(const line_model& model, std::ostream& out) {
    for (const fill_words& f : k_fill_words) {
        out << '\n' << f.title << ":\n";
        for (const fill_run& r : model.runs(f.fill).every)
            out << "  " << run_text(r, f.unit, model.route) << '\n';
    }
}

// "del segnale a 1750 m (cella 36)", "della fermata di stazione 11 \"Moravaldi FS\" (cella 201)".
std::string owner_text(const celle& cells, std::size_t owner, const testata* header) {
    const cella& c = cells[owner];
    std::string text(describe(c).mark_owner);
    if (describe(c).place == cell_place::platform_end) {
        text += " " + std::to_string(c.val1);
        if (const auto name = entry_name(header, c.val1)) text += " " + quoted(*name);
    } else if (const auto metre = named_metre(c, owner, header)) {
        text += " a " + metres_text(*metre);
    }
    return text + " (cella " + std::to_string(owner) + ")";
}

void marks_text(const line_model& model, std::ostream& out) {
    const celle& cells = *model.cells;
    out << "\npreavvisi (" << model.approach_marks.size() << "):\n";
    for (const approach_mark_reading& m : model.approach_marks) {
        out << "  " << cell_text(m.cell) << ": " << int(m.mark);
        if (m.owners.empty()) out << ", di nessun segnale né fermata";
        for (std::size_t i = 0; i < m.owners.size(); ++i) {
            out << (i == 0 ? ", preavviso " : " o ") << m.j << ' '
                << owner_text(cells, m.owners[i], model.header);
        }
        out << '\n';
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

json cell_json(std::size_t n, const cella& c) {
    json cell;
    cell["cella"] = n;
    cell["tipo_cella"] = c.tipo_cella;
    cell["val1"] = c.val1;
    cell["val2"] = c.val2;
    cell["val3"] = c.val3;
    cell["val4"] = c.val4;
    cell["tempo_segnale"] = c.tempo_segnale;
    cell["preavviso"] = c.preavviso;
    cell["sfondo"] = c.sfondo;
    cell["vel_limite"] = c.vel_limite;
    cell["pendenza"] = c.pendenza;
    cell["aderenza"] = c.aderenza;
    return cell;
}

json route_json(const route_end& end) {
    json route;
    route["lunghezza"] = end.length;
    route["dalla_testata"] = end.from_header;
    route["prima_cella_oltre"] = end.first_run_off_cell;
    route["ultima_cella"] = end.last_cell;
    route["corsa_oltre"] = k_run_off;
    return route;
}

json optional_cell(const std::optional<std::size_t>& n) { return value_or_null(n); }

json feature_json(const line_model& model, std::size_t n) {
    const cella& c = (*model.cells)[n];
    const testata* header = model.header;
    const cell_kind_descriptor kind = describe(c);
    json feature;
    feature["cella"] = n;
    feature["posizione"] = static_cast<std::int64_t>(feature_metres(c, n));
    feature["tipo_cella"] = c.tipo_cella;
    feature["nome_tipo"] = kind.name;
    feature["descrizione"] = feature_text(model, n);
    feature["record"] = kind.record;
    feature["metri"] = value_or_null(named_metre(c, n, header));
    const cell_stretch stretch = stretch_of(static_cast<std::int64_t>(n));
    feature["cella_da"] = stretch.from;
    feature["cella_a"] = stretch.to;
    json values = nullptr;
    json name = nullptr;
    const auto items = kind.record.empty() ? std::nullopt : record_items(c);
    if (items) {
        values = json::object();
        for (const record_item& item : *items) {
            values[std::string(item.name)] = item.value;
            if (item.code == value_code::entry)
                name = value_or_null(entry_name(header, item.value));
        }
    }
    feature["valori"] = std::move(values);
    feature["nome"] = std::move(name);
    json laid = json::array();
    for (const std::size_t mark : marks_laid_by(model.approach_marks, n)) laid.push_back(mark);
    feature["preavvisi"] = std::move(laid);
    json order = nullptr;
    if (kind.values == cell_values::slow_order) {
        const slow_order_cells pieces = model.slow_order_of(n);
        order = json::object();
        order["avviso"] = optional_cell(pieces.warning);
        order["inizio"] = optional_cell(pieces.start);
        order["fine"] = optional_cell(pieces.end);
    }
    feature["rallentamento"] = std::move(order);
    return feature;
}

json mark_json(const approach_mark_reading& m) {
    json mark;
    mark["cella"] = m.cell;
    mark["valore"] = m.mark;
    const cell_stretch stretch = stretch_of(static_cast<std::int64_t>(m.cell));
    mark["cella_da"] = stretch.from;
    mark["cella_a"] = stretch.to;
    mark["numero"] = m.j;
    mark["di"] = m.owners;
    return mark;
}

}  // namespace

void dump_cells_text(const celle& cells, const std::optional<testata>& header, bool all,
                     std::ostream& out) {
    const line_model model = read_line_model({cells, header ? &*header : nullptr});
    out << "celle: " << cells.size() << " (da 0 a " << cells.size() - 1
        << "); la cella N copre il tratto da (N - 1) × 50 a N × 50 m\n";
    // The readers give no cell file without cell 1.
    out << "cella 1: marcatore " << cells[1].val1 << ", codice di identità " << cells[1].val2
        << (header ? identity_note(check_identity(*header, identity_code::cell_sum, cells[1].val2))
                   : "")
        << '\n';
    out << route_text(model.route) << '\n';
    features_text(model, out);
    runs_text(model, out);
    marks_text(model, out);
    if (all) every_cell_text(cells, out);
}

void dump_cells_json(const celle& cells, const std::optional<testata>& header, bool all,
                     std::ostream& out) {
    const line_model model = read_line_model({cells, header ? &*header : nullptr});
    json_object_writer document(out);
    document.member("tipo", "celle");
    document.member("numero_celle", cells.size());
    const std::int32_t code = cells[1].val2;
    document.member(
        "identita",
        identity_json(
            code, header ? check_identity(*header, identity_code::cell_sum, code) : std::nullopt));
    document.array_member("elementi", [&](const auto& add) {
        for (const feature& f : model.features) add(feature_json(model, f.cell));
    });
    const route_end& end = model.route;
    for (const fill_words& f : k_fill_words) {
        document.array_member(f.key, [&](const auto& add) {
            for (const fill_run& r : model.runs(f.fill).every) {
                const auto first = static_cast<std::int64_t>(r.first);
                const auto last = static_cast<std::int64_t>(r.last);
                json stretch;
                stretch["da_cella"] = r.first;
                stretch["a_cella"] = r.last;
                stretch["valore"] = r.value;
                stretch["unita"] = f.unit;
                stretch["da_metri"] = fill_position(first);
                stretch["a_metri"] = fill_position(last + 1);
                stretch["cella_da"] = stretch_of(first).from;
                stretch["cella_a"] = stretch_of(last).to;
                stretch["oltre_la_fine"] = first >= end.first_run_off_cell;
                add(std::move(stretch));
            }
        });
    }
    document.member("percorso", route_json(end));
    document.array_member("preavvisi", [&](const auto& add) {
        for (const approach_mark_reading& m : model.approach_marks) add(mark_json(m));
    });
    if (all) {
        document.array_member("celle", [&](const auto& add) {
            for (std::size_t n = 0; n < cells.size(); ++n) add(cell_json(n, cells[n]));
        });
    }
    document.close();
}

}  // namespace scenario::tool
