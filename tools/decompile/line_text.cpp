// The line text from the files: [generale] from the header entries 81 to 86, the curves from
// the plan's turns, the gradients from the cells' gradient bytes, the mountains from the
// scenery runs and their marks, the speed boards and the signs from their cells and entries.
#include <algorithm>
#include <map>

#include "base/header_fields.h"
#include "compile/line_features.h"
#include "decompile/decompile_parts.h"

namespace scenario::tool::decompiling {

// The three progressive records whose ordering gives the three slots (entries 81 to 83), or
// nothing. The records are tried as "tre", "due", "uno" taking the slots in each order, each
// with the 100 that c = 1 adds taken off again.
std::optional<std::array<progressive, 3>> progressive_records(const testata& header) {
    const std::array<progressive, 3> slots = {
        progressive{header[81].v_a, header[81].v_b, header[81].v_c},
        progressive{header[82].v_a, header[82].v_b, header[82].v_c},
        progressive{header[83].v_a, header[83].v_b, header[83].v_c}};
    std::array<int, 3> order = {0, 1, 2};
    do {
        std::array<progressive, 3> records;  // tre, due, uno
        bool fits = true;
        for (int r = 0; r < 3; ++r) {
            progressive p = slots[static_cast<std::size_t>(order[static_cast<std::size_t>(r)])];
            if (p.c == 1) {
                if (p.b < INT32_MIN + 100) fits = false;
                p.b -= fits ? 100 : 0;
            }
            records[static_cast<std::size_t>(r)] = p;
        }
        if (!fits) continue;
        run_state trial;
        for (int r = 0; r < 3; ++r) {
            voce& v = trial.testata[static_cast<std::size_t>(81 + r)];
            v.v_a = records[static_cast<std::size_t>(r)].a;
            v.v_b = records[static_cast<std::size_t>(r)].b;
            v.v_c = records[static_cast<std::size_t>(r)].c;
        }
        try {
            progressive_ordina(trial);
        } catch (...) {
            continue;
        }
        bool same = true;
        for (int s = 0; s < 3; ++s) {
            const voce& v = trial.testata[static_cast<std::size_t>(81 + s)];
            const progressive& want = slots[static_cast<std::size_t>(s)];
            same = same && v.v_a == want.a && v.v_b == want.b && v.v_c == want.c;
        }
        if (same) return records;
    } while (std::next_permutation(order.begin(), order.end()));
    return std::nullopt;
}

written_section line_general(const testata& header, line_stop stop, findings& found) {
    written_section s{"[generale]", {}};
    s.records.push_back({"lunghezza percorso", {number(header[k_entry_treno].v_b)}});
    std::array<progressive, 3> records = {
        progressive{header[81].v_a, header[81].v_b, header[81].v_c},
        progressive{header[82].v_a, header[82].v_b, header[82].v_c},
        progressive{header[83].v_a, header[83].v_b, header[83].v_c}};
    if (stop != line_stop::in_general) {
        if (const auto found_records = progressive_records(header)) {
            records = *found_records;
        } else {
            found.places.push_back({file_kind::header_table, 0, 1, "voci 81, 82 e 83",
                                    "tre progressive chilometriche che nessun ordinamento dà"});
        }
    }
    const std::array<std::string_view, 3> words = {"uno", "due", "tre"};
    for (int w = 0; w < 3; ++w) {
        const progressive& p = records[static_cast<std::size_t>(2 - w)];
        s.records.push_back({"progressiva chilometrica " + std::string(words[static_cast<std::size_t>(w)]),
                             {number(p.a), number(p.b), number(p.c)}});
    }
    const voce& linea = header[k_entry_linea];
    s.records.push_back({"sfondo uno", {number(linea.v_a)}});
    s.records.push_back({"sfondo due", {number(linea.v_c)}});
    s.records.push_back({"sfondo tre", {number(linea.v_b)}});
    const voce& codici = header[k_entry_codici];
    const std::string digit = codici.v_c == 9 ? "9" : "4";
    s.records.push_back({"ripetizione segnali " + digit + " codici",
                         {number(codici.v_a), number(codici.v_b)}});
    return s;
}

// A stop cell holding the words an earlier feature left: a station's stop is laid over whatever
// stood there, and keeps the other words. A speed board laid first, in the line text, leaves
// them.
bool holds_residue(const cella& c) {
    return kind_of(c) == cell_kind::station_stop && c.tempo_segnale == 0 &&
           (c.val2 != 0 || c.val3 != 0 || c.val4 != 0);
}

// The information signs: their header entries from 80 down, each with the cell that shows it.
// A sign whose cell a station's stop took later is seen only by its text: it is laid on a stop
// cell that holds nothing else, which the station then takes as it did.
std::vector<std::pair<int, std::size_t>> sign_entries(const testata& header, const celle& cells) {
    std::map<int, std::size_t> shown;
    for (std::size_t c = 0; c < cells.size(); ++c) {
        if (kind_of(cells[c]) == cell_kind::information_sign) shown.emplace(cells[c].val1, c);
    }
    int lowest_station = 0;
    for (int k = 1; k <= k_first_sign_entry; ++k) {
        if (header[static_cast<std::size_t>(k)].v_c != 0 ||
            header[static_cast<std::size_t>(k)].v_tipo != 0) {
            lowest_station = k;
        } else {
            break;
        }
    }
    std::vector<std::size_t> hosts;
    for (std::size_t c = cells.size(); c-- > 2;) {
        if (kind_of(cells[c]) == cell_kind::station_stop && !holds_residue(cells[c]))
            hosts.push_back(c);
    }
    std::vector<std::pair<int, std::size_t>> out;
    for (int e = k_first_sign_entry; e > lowest_station; --e) {
        if (const auto it = shown.find(e); it != shown.end()) {
            out.emplace_back(e, it->second);
        } else if (!header[static_cast<std::size_t>(e)].v_nome.empty() && !hosts.empty()) {
            out.emplace_back(e, hosts.back());
            hosts.pop_back();
        } else {
            break;
        }
    }
    return out;
}

struct mountain {
    std::int64_t inizio = 0, fine = 0, tipo = 0;
};

// The mountains that give the scenery bytes and the scenery marks (kind 11) of the cells. A run
// of one scenery value is one mountain; when its marks fall on every fourth cell from its first
// (the cells between them taken by later features), it is a mountain of a kind above 10. Marks
// no run explains come from mountains of their own laid first, whose scenery the runs then
// cover. A record that starts within 150 m of the previous record's end takes scenery 3 whatever
// its kind: an empty record (no cell, an end far behind) goes between them when that is wrong.
std::vector<mountain> mountains_of(const celle& cells) {
    const std::size_t n = cells.size();
    const auto is_mark = [&](std::size_t c) { return kind_of(cells[c]) == cell_kind::scenery_mark; };
    std::vector<bool> explained(n, false);
    struct run {
        std::size_t a, b;
        int value;
        bool marked;
    };
    std::vector<run> runs;
    for (std::size_t c = 0; c < n;) {
        std::size_t e = c;
        while (e + 1 < n && cells[e + 1].sfondo == cells[c].sfondo) ++e;
        if (cells[c].sfondo != 0) {
            bool has_marks = false, aligned = true;
            for (std::size_t m = c; m <= e; ++m) {
                const bool phase = (m - c) % 4 == 3;
                if (is_mark(m)) {
                    has_marks = true;
                    if (!phase) aligned = false;
                } else if (phase && kind_of(cells[m]) == cell_kind::plain) {
                    aligned = false;
                }
            }
            const bool marked = has_marks && aligned;
            if (marked) {
                for (std::size_t m = c; m <= e; ++m) explained[m] = is_mark(m) || explained[m];
            }
            runs.push_back({c, e, cells[c].sfondo, marked});
        }
        c = e + 1;
    }
    std::vector<mountain> out;
    // Marks of their own: chains of marks four cells apart, each a mountain of scenery 0.
    for (std::size_t c = 0; c < n; ++c) {
        if (!is_mark(c) || explained[c]) continue;
        std::size_t last = c;
        while (last + 4 < n && is_mark(last + 4) && !explained[last + 4]) last += 4;
        for (std::size_t m = c; m <= last; m += 4) explained[m] = true;
        // Scenery 0 with the marks: a kind above 10 whose low byte, less 10, is 0.
        out.push_back({(static_cast<std::int64_t>(c) - 3) * k_cell_metres,
                       (static_cast<std::int64_t>(last) + 1) * k_cell_metres, 266});
    }
    for (const run& r : runs) {
        std::int64_t tipo = r.value;
        if (r.marked) {
            tipo = r.value + 10;
        } else if (r.value > 10) {
            tipo = r.value - 256;  // a negative kind keeps its low byte and lays no marks
        }
        out.push_back({static_cast<std::int64_t>(r.a) * k_cell_metres,
                       (static_cast<std::int64_t>(r.b) + 1) * k_cell_metres, tipo});
    }
    // The scenery each record leaves, and the empty records the 150-metre rule asks for.
    std::vector<mountain> written;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const mountain& m = out[i];
        const int scenery = m.tipo == 266 ? 0 : static_cast<int>(m.tipo > 10 ? m.tipo - 10 : m.tipo) & 0xFF;
        if (!written.empty() && m.inizio - written.back().fine <= 150 && scenery != 3) {
            written.push_back({0, -1000000, 0});
        }
        written.push_back(m);
    }
    return written;
}

std::string line_text(const binary_set_read& files, const traced_plan* turns, line_stop stop,
                      findings& found) {
    const testata& header = files.header;
    const celle& cells = files.cells;
    std::vector<written_section> sections;
    sections.push_back(line_general(header, stop, found));
    const std::size_t n_celle = cells.size() - 1;

    written_section curves{"[curve]", {}};
    found.note("le posizioni sono scritte al primo metro della cella che il file tiene; le curve "
               "si toccano dove nel testo originale si sovrapponevano");
    std::optional<written_record> stopping_curve;
    if (turns != nullptr && stop != line_stop::in_general) {
        const std::int32_t last_metre = files.plan_last_metre();
        for (std::size_t i = 0; i < turns->runs.size(); ++i) {
            const turn_run& r = turns->runs[i];
            const bool last_run = i + 1 == turns->runs.size();
            if (r.k) {
                written_record rec{curve_keyword(*r.k),
                                {number(r.first - 1), number(r.last - r.first + 1)}};
                // A curve that runs past point 1000000 is itself where the line pass stops.
                if (last_run && stop == line_stop::in_features && r.last == 1'000'000 &&
                    r.last < last_metre - 2) {
                    stopping_curve = rec;
                } else {
                    curves.records.push_back(rec);
                }
            } else if (last_run && stop == line_stop::in_features) {
                // The trace stopped at the end of a straight stretch: a curve of no length
                // traces it.
                curves.records.push_back({"curvad1", {number(r.last), "0"}});
            }
        }
    }
    sections.push_back(curves);

    written_section gradients{"[pendenze]", {}};
    if (stop != line_stop::in_general) {
        const std::size_t end = n_celle >= 2 ? n_celle - 2 : 0;
        // The gradient at the start of the line is said even when it is level, as the
        // program's own text says it: a record at 0 writes no cell.
        const auto found_changes =
            changes(cells, end, 100, [](const cella& c) { return int{c.pendenza}; });
        if (found_changes.empty() || found_changes.front().first != 0) {
            gradients.records.push_back({"pendenza", {"0", "0"}});
        }
        for (const auto& [cell, byte] : found_changes) {
            gradients.records.push_back({"pendenza", {fill_metres(cell), number(byte - 100)}});
        }
    }
    sections.push_back(gradients);

    written_section mountains{"[montagne]", {}};
    if (stop != line_stop::in_general) {
        for (const mountain& m : mountains_of(cells)) {
            if (m.fine == -1000000) {
                found.note("\"montagna, 0, -1000000, 0\" è una montagna vuota: separa due montagne "
                           "che cominciano a meno di 150 m dalla fine di quella prima, che "
                           "altrimenti prenderebbe lo sfondo 3");
            }
            mountains.records.push_back(
                {"montagna", {number(m.inizio), number(m.fine), number(m.tipo)}});
        }
    }
    sections.push_back(mountains);

    written_section boards{"[cartelli]", {}};
    written_section signs{"[indicazioni]", {}};
    std::vector<std::pair<int, std::size_t>> sign_cells;  // (entry, cell)
    for (std::size_t c = 0; c < cells.size(); ++c) {
        const cella& cell = cells[c];
        if (kind_of(cell) == cell_kind::speed_board) {
            std::vector<std::string> values{point_metres(c)};
            const std::array<std::int16_t, 3> words = {c == 1 ? std::int16_t{0} : cell.val1,
                                                       c == 1 ? std::int16_t{0} : cell.val2,
                                                       cell.val3};
            for (const std::int16_t w : words) values.push_back(number(floor_div(w, 20)));
            values.push_back(number(floor_div(cell.val4, 10)));
            for (const std::int16_t w : words) values.push_back(number(floor_mod(w, 20) * 5));
            values.push_back(number(floor_mod(cell.val4, 10)));
            boards.records.push_back({"indicatori_vmax", values});
        } else if (holds_residue(cell)) {
            boards.records.push_back(
                {"indicatori_vmax",
                 {point_metres(c), "0", number(floor_div(cell.val2, 20)),
                  number(floor_div(cell.val3, 20)), number(floor_div(cell.val4, 10)), "0",
                  number(floor_mod(cell.val2, 20) * 5), number(floor_mod(cell.val3, 20) * 5),
                  number(floor_mod(cell.val4, 10))}});
            found.note("una fermata che ha preso la cella di un altro elemento ne tiene i "
                       "valori: è scritto un cartello di velocità sulla stessa cella, che la "
                       "fermata poi prende");
        }
    }
    sign_cells = sign_entries(header, cells);
    for (const auto& [entry, c] : sign_cells) {
        std::string text;
        if (entry >= 1 && entry <= k_first_sign_entry) {
            const std::string& name = header[static_cast<std::size_t>(entry)].v_nome;
            if (const auto item = text_item(name)) {
                text = *item;
            } else {
                found.places.push_back({file_kind::header_table, 0, 1,
                                        "voce " + number(entry) + ", v_nome",
                                        "un testo che nessun elemento di un testo di descrizione "
                                        "può dare (un a capo, o virgolette con una virgola o "
                                        "spazi agli estremi)"});
                text = "\"\"";
            }
        }
        signs.records.push_back({"cartello_indicatore", {point_metres(c), text}});
    }
    sections.push_back(boards);
    if (stop == line_stop::in_features) {
        // What stops the line pass where it stopped, without writing anything: the curve that
        // ran past point 1000000 when one did; else a second sign or board on a cell already
        // taken, as an author may write one; else a curve keyword without its class digit.
        if (stopping_curve) {
            signs.records.push_back(*stopping_curve);
        } else if (!signs.records.empty()) {
            signs.records.push_back(signs.records.back());
        } else if (!boards.records.empty()) {
            signs.records.push_back(boards.records.back());
        } else {
            signs.records.push_back({"curvad", {"0", "0"}});
        }
    }
    sections.push_back(signs);
    if (stop == line_stop::in_general) {
        // A repetition keyword without its count of codes stops the section, after storing
        // the pair the files hold.
        const voce& codici = header[k_entry_codici];
        sections.front().records.push_back(
            {"ripetizione segnali codici", {number(codici.v_a), number(codici.v_b)}});
    }
    return render_text(sections, "[fine]");
}

}  // namespace scenario::tool::decompiling
