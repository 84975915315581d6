#include "decompile/decompile.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <queue>
#include <set>

#include "base/header_fields.h"
#include "base/positions.h"
#include "base/slow_orders.h"
#include "base/windows1252.h"
#include "compile/compiler.h"
#include "compile/line_features.h"
#include "compile/signal_spacing.h"
#include "decompile/text_layout.h"
#include "output/binary_files.h"

namespace scenario::tool {
namespace {

// A number that no field of a record takes: a record holding it stops the compile where it
// stands, before it writes anything.
constexpr std::string_view k_stopping_value = "99999999999";

// The first metre of a cell's fill, and the position whose point feature lands on the cell.
std::string fill_metres(std::size_t cell) {
    return number(fill_position(static_cast<std::int64_t>(cell)));
}
std::string point_metres(std::size_t cell) {
    return number(point_position(static_cast<std::int64_t>(cell)));
}

// Floor division and its rest, for splitting a packed word into its digits as an author writes
// them whatever its sign: value = quotient × divisor + rest with 0 <= rest < divisor.
std::int64_t floor_div(std::int64_t value, std::int64_t divisor) {
    std::int64_t q = value / divisor;
    if (value % divisor != 0 && (value < 0) != (divisor < 0)) --q;
    return q;
}
std::int64_t floor_mod(std::int64_t value, std::int64_t divisor) {
    return value - floor_div(value, divisor) * divisor;
}

// What is learnt while the texts are made: notes for the author, places no text gives.
struct findings {
    std::vector<std::string> notes;
    std::vector<file_place> places;
    std::set<std::string> noted;

    void note(const std::string& text) {
        if (noted.insert(text).second) notes.push_back(text);
    }
};

// ---------------------------------------------------------------------------------------------
// The plan: the curvature of every metre, tried bit for bit.

struct turn_run {
    std::int32_t first = 0, last = 0;
    std::optional<double> k;  // nothing: straight
};

struct traced_plan {
    std::int32_t last_traced = -1;  // -1: not even seeded; 1: seeded, nothing traced
    std::vector<turn_run> runs;     // from metre 2 to last_traced
};

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

traced_plan read_turns(const seeded_plan_image& plan, const std::string& plan_bytes,
                       findings& found) {
    traced_plan out;
    const std::int32_t last = plan.traced_to;
    out.last_traced = last;
    const auto value = [&](std::int32_t metre, int coord) {
        return plan.value(plan_bytes, metre, coord);
    };

    // The candidates: straight, then each class to both sides.
    std::vector<std::optional<double>> candidates{std::nullopt};
    for (const curve_class& c : k_curve_classes) {
        candidates.emplace_back(c.k);
        candidates.emplace_back(-c.k);
    }
    double x2 = value(0, 0), y2 = value(0, 1);
    double x1 = value(1, 0), y1 = value(1, 1);
    std::size_t previous = 0;
    std::size_t wrong_metres = 0;
    for (std::int32_t m = 2; m <= last; ++m) {
        const double x = value(m, 0), y = value(m, 1);
        const auto gives = [&](std::size_t c) {
            double cx = 0, cy = 0;
            if (!candidates[c]) {
                cx = straight_coordinate(x2, x1);
                cy = straight_coordinate(y2, y1);
            } else {
                turned_point(x2, y2, x1, y1, *candidates[c], cx, cy);
            }
            return same_bits(cx, x) && same_bits(cy, y);
        };
        std::optional<std::size_t> found_c;
        if (gives(previous)) {
            found_c = previous;
        } else {
            for (std::size_t c = 0; c < candidates.size(); ++c) {
                if (c != previous && gives(c)) {
                    found_c = c;
                    break;
                }
            }
        }
        if (!found_c) {
            // A point no record traces: the nearest texts keep the turn before it.
            if (wrong_metres++ < 100) {
                // Metres 0 and 1 hold integers (4 bytes each), the traced ones doubles (10).
                const std::size_t at = 8 + 10 * static_cast<std::size_t>(m - 2);
                found.places.push_back(
                    {file_kind::line_geometry, at, 10, place_in_file(file_kind::line_geometry,
                                                                     plan_bytes, at),
                     "un punto che nessuna curva traccia: non segue dai due punti prima di lui "
                     "né in rettilineo né con una delle curvature delle curve"});
            }
            found_c = previous;
        }
        previous = *found_c;
        if (!out.runs.empty() && out.runs.back().k == candidates[previous] &&
            out.runs.back().last == m - 1) {
            out.runs.back().last = m;
        } else {
            out.runs.push_back({m, m, candidates[previous]});
        }
        x2 = x1;
        y2 = y1;
        x1 = x;
        y1 = y;
    }
    return out;
}

std::string curve_keyword(double k) {
    for (const curve_class& c : k_curve_classes) {
        if (c.k == k) return "curvad" + std::string(c.digit);
        if (-c.k == k) return "curvas" + std::string(c.digit);
    }
    return "curvad1";
}

// ---------------------------------------------------------------------------------------------
// The line text.

struct progressive {
    std::int32_t a = 0, b = 0, c = 0;
};

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

// Where the line pass stopped, as the files show it.
enum class line_stop { none, in_features, in_general };

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

// Runs of one byte of the cells, as records at the first metre of each change: the value the
// fill had before the first record is `initial`.
template <typename Field>
std::vector<std::pair<std::size_t, int>> changes(const celle& cells, std::size_t end, int initial,
                                                  Field field) {
    std::vector<std::pair<std::size_t, int>> out;
    int current = initial;
    for (std::size_t c = 0; c < end && c < cells.size(); ++c) {
        const int v = field(cells[c]);
        if (v != current) {
            out.emplace_back(c, v);
            current = v;
        }
    }
    return out;
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

// ---------------------------------------------------------------------------------------------
// The train text.

// A station entry read back into the items of its record.
struct station_items {
    std::vector<std::string> values;
    bool stops = false;  // the record itself stops the compile
};

std::int64_t platform_of(const voce& v) {
    switch (platform_layout_of(v.v_tipo)) {
        case platform_layout::before:
        case platform_layout::both_sides:
            return std::int64_t{v.v_c} - v.v_a;
        case platform_layout::centred:
            break;
    }
    return 2 * (std::int64_t{v.v_c} - v.v_a);
}

station_items station_record(const testata& header, int k, std::int32_t n_celle,
                             int prossimo_cartello, findings& found) {
    const voce& v = header[static_cast<std::size_t>(k)];
    station_items out;
    const std::int64_t p = v.v_c;
    std::int64_t length = platform_of(v);
    // The 50 metres item 6 adds to a centred platform, kept by the first station's end even
    // though its v_b3 is cleared.
    std::int64_t extension = v.v_b3;
    if (platform_layout_of(v.v_tipo) == platform_layout::centred && k == 1) {
        extension = std::int64_t{v.v_b} - (p + length / 2) == 50 ? 1 : 0;
    }
    const bool beyond = (p + 800) > std::int64_t{k_cell_metres} * n_celle;
    const bool partial = beyond || p % 50 != 0 || (v.v_a == 0 && v.v_b == 0 && v.v_nome.empty() &&
                                                   v.v_l == 0);
    if (partial) {
        out.stops = true;
        // The record stops after its position (or after its kind and length): nothing after
        // them is read.
        length = (!beyond && p % 50 == 0) ? 50 : 0;
    }
    const std::int64_t hours = v.v_l / 3600;
    const std::int64_t minutes = (v.v_l % 3600) / 60;
    const std::int64_t seconds = v.v_l % 60;
    std::string name;
    if (const auto item = text_item(v.v_nome)) {
        name = *item;
    } else {
        found.places.push_back({file_kind::header_table, 0, 1, "voce " + number(k) + ", v_nome",
                                "un nome che nessun elemento di un testo di descrizione può dare "
                                "(un a capo, o virgolette con una virgola o spazi agli estremi)"});
        name = "\"\"";
    }
    out.values = {number(p),        number(v.v_tipo), number(length),   number(v.v_flag),
                  number(v.v_b4),   number(extension), number(v.v_i1),  number(v.v_i2),
                  number(v.v_b1),   number(v.v_i3),   number(v.v_i4),   number(v.v_i5),
                  number(v.v_b2),   number(hours),    number(minutes),  number(seconds),
                  name};
    if (!partial) {
        // The checks the record makes after laying its stop: a platform ending within 100 m, too
        // close to the one before, or the last entry free for stations.
        const bool stop_too_early = station_has_stop(v.v_tipo) && v.v_b <= 100;
        const bool too_close =
            k > 1 && std::int64_t{v.v_a} - 350 < header[static_cast<std::size_t>(k - 1)].v_b;
        out.stops = stop_too_early || too_close || k + 1 >= prossimo_cartello;
    }
    return out;
}

// The signals' approach words: for each signal its (sx × 3 + dx), read from the approach marks
// it left that no later record covered, else from its own fourth word.
struct signal_reading {
    std::size_t cell = 0;
    std::int64_t q = 0;
};

// 10 q + j, kept to a byte: the approach mark j of a signal whose approach word is q.
int approach_byte(std::int64_t q, int j) { return static_cast<int>((q * 10 + j) & 0xFF); }

std::vector<signal_reading> read_signals(const celle& cells) {
    std::vector<signal_reading> out;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (kind_of(cells[i]) != cell_kind::signal) continue;
        const std::int64_t val4 = cells[i].val4;
        // The q that most approach marks agree on, among those that val4 = 10 rapp + q allows.
        std::map<std::int64_t, int> votes;
        for (int j = 1; j <= 4; ++j) {
            if (i < static_cast<std::size_t>(2 * j)) continue;
            const int byte = cells[i - static_cast<std::size_t>(2 * j)].preavviso;
            for (std::int64_t q = 0; q < 26; ++q) {
                if (approach_byte(q, j) == byte && floor_mod(val4 - q, 10) == 0) ++votes[q];
            }
        }
        std::int64_t q = floor_mod(val4, 10);
        int best = 0;
        for (const auto& [candidate, count] : votes) {
            if (count > best) {
                best = count;
                q = candidate;
            }
        }
        out.push_back({i, q});
    }
    return out;
}

// The order of the signals in the text: where two signals' approach marks fall on one cell, the
// one whose mark the cell keeps comes later. Front to back otherwise.
std::vector<std::size_t> signal_order(const celle& cells, const std::vector<signal_reading>& sig) {
    const std::size_t n = sig.size();
    std::map<std::size_t, std::vector<std::pair<std::size_t, int>>> writers;  // cell -> (sig, j)
    for (std::size_t s = 0; s < n; ++s) {
        for (int j = 1; j <= 4; ++j) {
            if (sig[s].cell < static_cast<std::size_t>(2 * j)) continue;
            writers[sig[s].cell - static_cast<std::size_t>(2 * j)].emplace_back(s, j);
        }
    }
    std::vector<std::vector<std::size_t>> after(n);
    std::vector<int> before_count(n, 0);
    for (const auto& [cell, list] : writers) {
        if (list.size() < 2) continue;
        const int kept = cells[cell].preavviso;
        std::optional<std::size_t> winner;
        for (const auto& [s, j] : list) {
            if (approach_byte(sig[s].q, j) == kept) winner = s;
        }
        if (!winner) continue;
        for (const auto& [s, j] : list) {
            if (s != *winner && approach_byte(sig[s].q, j) != kept) {
                after[s].push_back(*winner);
                ++before_count[*winner];
            }
        }
    }
    std::priority_queue<std::size_t, std::vector<std::size_t>, std::greater<>> ready;
    for (std::size_t s = 0; s < n; ++s) {
        if (before_count[s] == 0) ready.push(s);
    }
    std::vector<std::size_t> order;
    while (!ready.empty()) {
        const std::size_t s = ready.top();
        ready.pop();
        order.push_back(s);
        for (const std::size_t t : after[s]) {
            if (--before_count[t] == 0) ready.push(t);
        }
    }
    if (order.size() != n) {
        order.clear();
        for (std::size_t s = 0; s < n; ++s) order.push_back(s);
    }
    return order;
}

// The value marks an author wrote: those the signal spacing pass would not lay. The pass is run
// over the cells without the marks taken for its own, and every mark it does not lay back is
// the author's; until nothing changes, since an author's mark moves the pass's choices.
std::set<std::size_t> author_marks(const celle& cells) {
    std::set<std::size_t> author;
    for (std::size_t c = 0; c < cells.size(); ++c) {
        if (kind_of(cells[c]) == cell_kind::value_mark && cells[c].val1 != 180) author.insert(c);
    }
    for (;;) {
        run_state trial;
        trial.celle = cells;
        trial.n_celle = static_cast<std::int32_t>(cells.size()) - 1;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (kind_of(cells[c]) == cell_kind::value_mark && author.count(c) == 0) {
                trial.celle[c].tipo_cella = byte_of(cell_kind::plain);
                trial.celle[c].val1 = 0;
            }
        }
        signal_spacing_pass(trial);
        bool added = false;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (kind_of(cells[c]) == cell_kind::value_mark &&
                kind_of(trial.celle[c]) != cell_kind::value_mark && author.insert(c).second) {
                added = true;
            }
        }
        if (!added) return author;
    }
}

std::string train_text(const binary_set_read& files, bool line_whole, findings& found,
                       std::optional<std::string>& stopped) {
    const testata& header = files.header;
    const celle& cells = files.cells;
    const auto n_celle = static_cast<std::int32_t>(cells.size()) - 1;
    std::vector<written_section> sections;

    written_section general{"[generale]", {}};
    const voce& treno = header[k_entry_treno];
    const voce& codici = header[k_entry_codici];
    general.records.push_back({"numero vetture", {number(treno.v_c)}});
    general.records.push_back({"percentuale massa frenata", {number(treno.v_a)}});
    general.records.push_back({"sabbia", {number(codici.v_i1)}});
    general.records.push_back(
        {"orologio", {number(codici.v_i3), number(codici.v_i4), number(codici.v_i5)}});
    sections.push_back(general);

    const std::size_t fill_end = n_celle >= 2 ? static_cast<std::size_t>(n_celle - 2) : 0;
    written_section adhesion{"[aderenze]", {}};
    for (const auto& [cell, byte] :
         changes(cells, fill_end, 0, [](const cella& c) { return int{c.aderenza}; })) {
        adhesion.records.push_back({"aderenza", {fill_metres(cell), number(byte)}});
    }
    sections.push_back(adhesion);
    written_section speeds{"[vel_limite]", {}};
    for (const auto& [cell, byte] :
         changes(cells, fill_end, 0, [](const cella& c) { return int{c.vel_limite}; })) {
        speeds.records.push_back({"velocita", {fill_metres(cell), number(byte * 5)}});
        found.note("i limiti di velocità sono scritti in km/h multipli di 5, come il file li "
                   "tiene (in unità di 5 km/h)");
    }
    sections.push_back(speeds);

    const auto signs = static_cast<int>(sign_entries(header, cells).size());
    const int prossimo_cartello = k_first_sign_entry - signs;
    written_section stations{"[stazioni]", {}};
    std::optional<written_record> stopping_station;
    int last_station = 0;
    for (int k = 1; k < prossimo_cartello && k <= k_first_sign_entry; ++k) {
        if (header[static_cast<std::size_t>(k)] == voce{}) break;
        last_station = k;
    }
    for (int k = 1; k <= last_station; ++k) {
        station_items items = station_record(header, k, n_celle, prossimo_cartello, found);
        written_record rec{"stazione", std::move(items.values)};
        found.note("delle stazioni il file non tiene il sesto valore dei tipi 5, 6, 7 e 8 né il "
                   "quinto dei marciapiedi sotto i 600 m e della prima stazione: sono scritti 0, "
                   "come li tiene il file");
        if (k == last_station && items.stops) {
            stopping_station = std::move(rec);
        } else {
            stations.records.push_back(std::move(rec));
        }
    }
    sections.push_back(stations);

    written_section slow{"[rallentamenti]", {}};
    std::vector<bool> end_used(cells.size(), false);
    for (std::size_t s = 0; s < cells.size(); ++s) {
        const cella& start = cells[s];
        if (kind_of(start) != cell_kind::slow_order_start) continue;
        const std::int16_t v = s == 1 ? std::int16_t{0} : start.val1;
        const std::int16_t d_v = s == 1 ? std::int16_t{0} : start.val2;
        // Its end board: the first unused one after it with the same values.
        std::size_t e = s;
        for (std::size_t c = s + 1; c < cells.size(); ++c) {
            const cella& end = cells[c];
            if (kind_of(end) == cell_kind::slow_order_end && !end_used[c] && end.val1 == v &&
                end.val2 == d_v && end.val3 == start.val3) {
                e = c;
                end_used[c] = true;
                break;
            }
        }
        const std::int64_t x = point_position(static_cast<std::int64_t>(s));
        const bool approach = s >= 25 && kind_of(cells[s - 25]) == cell_kind::slow_order_approach;
        slow.records.push_back({"rallentamento",
                                {number(x), number(v), number((std::int64_t(e) - std::int64_t(s)) * 50),
                                 number(start.val3), approach ? "1" : "0", number(d_v)}});
    }
    sections.push_back(slow);

    written_section signals{"[segnali]", {}};
    const std::vector<signal_reading> sig = read_signals(cells);
    if (!sig.empty()) {
        found.note("dei segnali il file tiene sx × 3 + dx e il tempo solo quando sx è 2: sx e dx "
                   "sono scritti come li danno i preavvisi, e un tempo da 1 a 100 come quello che "
                   "dà lo stesso byte");
    }
    for (const std::size_t s : signal_order(cells, sig)) {
        const cella& cell = cells[sig[s].cell];
        const std::int64_t q = sig[s].q;
        const std::int64_t rapp = floor_div(std::int64_t{cell.val4} - q, 10);
        const bool timed = cell.tempo_segnale != 0;
        const std::int64_t sx = timed ? 2 : floor_div(q, 3);
        const std::int64_t dx = q - sx * 3;
        std::int64_t tempo = cell.tempo_segnale;
        if (tempo >= 1 && tempo <= 100) tempo += 256;
        const std::array<std::int64_t, 3> words = {sig[s].cell == 1 ? 0 : cell.val1,
                                                   sig[s].cell == 1 ? 0 : cell.val2, cell.val3};
        signals.records.push_back(
            {"segnale",
             {point_metres(sig[s].cell), number(sx), number(floor_div(words[0], 10)),
              number(floor_div(words[1], 10)), number(floor_div(words[2], 10)), number(rapp),
              number(dx), number(floor_mod(words[0], 10)), number(floor_mod(words[1], 10)),
              number(floor_mod(words[2], 10)), number(tempo)}});
    }
    // The marks an author wrote, beside the signals they slow the train for.
    for (const std::size_t c : author_marks(cells)) {
        const std::int64_t value = cells[c].val1 > 0 ? cells[c].val1 : cells[c].val1 + 65536;
        signals.records.push_back({"abbattimento", {fill_metres(c), number(value)}});
    }
    for (std::size_t c = 0; c < cells.size(); ++c) {
        if (kind_of(cells[c]) == cell_kind::empty_value_mark) {
            signals.records.push_back({"abbattimento", {fill_metres(c), "0"}});
        }
    }
    if (stopping_station) {
        signals.records.push_back(*stopping_station);
        stopped = "la compilazione si è fermata all'ultima stazione, che è in errore: il testo del "
                  "treno finisce con quella stazione, che la ferma allo stesso punto";
    } else if (line_whole && n_celle >= 3) {
        // Limits and adhesion both stopped short of the end of the line: the train pass stopped
        // at a fault that wrote nothing (the fills after the last record did not run). A record
        // on a cell already taken stops it at the same place: a signal written twice, as an
        // author may write one.
        const cella& last_filled = cells[static_cast<std::size_t>(n_celle - 3)];
        bool anything = false;
        for (const cella& c : cells) {
            anything = anything || c.vel_limite != 0 || c.aderenza != 0;
        }
        anything = anything || last_station > 0 || !signals.records.empty() ||
                   !slow.records.empty();
        if (last_filled.vel_limite == 0 && last_filled.aderenza == 0 && anything) {
            std::optional<written_record> stopper;
            for (const written_record& r : signals.records) {
                if (r.keyword == "segnale") stopper = r;
            }
            if (!stopper) {
                for (std::size_t c = 1; c + 1 < cells.size() && !stopper; ++c) {
                    const cell_kind k = kind_of(cells[c]);
                    if (!is_free(cells[c]) && k != cell_kind::value_mark) {
                        stopper = written_record{"segnale", {point_metres(c), "2", "0", "0", "0",
                                                             "0", "0", "0", "0", "0", "0"}};
                    }
                }
            }
            if (!stopper) {
                stopper = written_record{"velocita", {std::string(k_stopping_value), "0"}};
            }
            signals.records.push_back(*stopper);
            stopped =
                "la compilazione si è fermata nel testo del treno: i limiti di velocità e "
                "l'aderenza non arrivano alla fine della linea; il testo del treno finisce con un "
                "record che la ferma allo stesso punto (" +
                stopper->keyword + " a " + stopper->values.front() +
                " m) e i valori dei record che la compilazione non ha scritto sono 0";
        }
    }
    sections.push_back(signals);
    sections.push_back({"[codici]", {}});
    return render_text(sections, "[fine]");
}

// ---------------------------------------------------------------------------------------------
// Holding the compiled texts against the files.

constexpr std::array<std::pair<std::size_t, std::string_view>, 11> k_cell_fields = {{
    {0, "tipo_cella"},
    {1, "val1"},
    {3, "val2"},
    {5, "val3"},
    {7, "val4"},
    {9, "tempo_segnale"},
    {10, "preavviso"},
    {11, "sfondo"},
    {12, "vel_limite"},
    {13, "pendenza"},
    {14, "aderenza"},
}};

std::int64_t cell_field(const cella& c, std::size_t field) {
    switch (field) {
        case 0: return c.tipo_cella;
        case 1: return c.val1;
        case 2: return c.val2;
        case 3: return c.val3;
        case 4: return c.val4;
        case 5: return c.tempo_segnale;
        case 6: return c.preavviso;
        case 7: return c.sfondo;
        case 8: return c.vel_limite;
        case 9: return c.pendenza;
        default: break;
    }
    return c.aderenza;
}

std::size_t cell_field_size(std::size_t field) { return field >= 1 && field <= 4 ? 2 : 1; }

std::string cells_word(std::size_t first, std::size_t last) {
    return first == last ? "cella " + number(static_cast<std::int64_t>(first))
                         : "celle " + number(static_cast<std::int64_t>(first)) + "–" +
                               number(static_cast<std::int64_t>(last));
}

std::string values_word(std::int64_t file, std::int64_t texts) {
    return "il file ha " + number(file) + ", i testi danno " + number(texts);
}

void compare_cells(const celle& file, const celle& compiled, std::vector<file_place>& out) {
    if (file.size() != compiled.size()) {
        out.push_back({file_kind::cells, 0, 1, "il file intero",
                       "il file ha " + number(static_cast<std::int64_t>(file.size())) +
                           " celle, i testi ne danno " +
                           number(static_cast<std::int64_t>(compiled.size()))});
        return;
    }
    for (std::size_t f = 0; f < k_cell_fields.size(); ++f) {
        for (std::size_t c = 0; c < file.size();) {
            const std::int64_t a = cell_field(file[c], f), b = cell_field(compiled[c], f);
            if (a == b) {
                ++c;
                continue;
            }
            std::size_t last = c;
            while (last + 1 < file.size() && cell_field(file[last + 1], f) == a &&
                   cell_field(compiled[last + 1], f) == b) {
                ++last;
            }
            out.push_back({file_kind::cells, c * k_cell_size + k_cell_fields[f].first,
                           cell_field_size(f),
                           cells_word(c, last) + ", " + std::string(k_cell_fields[f].second),
                           values_word(a, b) + (last > c ? " (in ognuna)" : "")});
            c = last + 1;
        }
    }
}

// The byte offset of each entry of a header table in its file.
std::vector<std::size_t> entry_offsets(const testata& header) {
    std::vector<std::size_t> out;
    std::size_t at = 0;
    for (const voce& v : header) {
        out.push_back(at);
        at += k_entry_fixed_size + v.v_nome.size();
    }
    return out;
}

std::size_t field_offset(const voce& v, voce_field field) {
    const std::size_t l = v.v_nome.size();
    switch (field) {
        case voce_field::v_tipo: return 0;
        case voce_field::v_a: return 1;
        case voce_field::v_b: return 5;
        case voce_field::v_c: return 9;
        case voce_field::v_flag: return 13;
        case voce_field::v_nome: return 14;
        case voce_field::v_i1: return 16 + l;
        case voce_field::v_i2: return 18 + l;
        case voce_field::v_i3: return 20 + l;
        case voce_field::v_i4: return 22 + l;
        case voce_field::v_i5: return 24 + l;
        case voce_field::v_b1: return 26 + l;
        case voce_field::v_b2: return 27 + l;
        case voce_field::v_b3: return 28 + l;
        case voce_field::v_b4: return 29 + l;
        case voce_field::v_l: break;
    }
    return 30 + l;
}

std::size_t voce_field_size(voce_field field) {
    switch (field) {
        case voce_field::v_tipo:
        case voce_field::v_flag:
        case voce_field::v_b1:
        case voce_field::v_b2:
        case voce_field::v_b3:
        case voce_field::v_b4: return 1;
        case voce_field::v_a:
        case voce_field::v_b:
        case voce_field::v_c:
        case voce_field::v_l: return 4;
        default: break;
    }
    return 2;
}

std::string entry_word(int entry, voce_field field) {
    return "voce " + number(entry) + " (" + header_field_name(entry, field) + ")";
}

void compare_header(const testata& file, const testata& compiled, std::vector<file_place>& out) {
    const std::vector<std::size_t> offsets = entry_offsets(file);
    for (int e = 0; e < k_testata_entries; ++e) {
        const voce& a = file[static_cast<std::size_t>(e)];
        const voce& b = compiled[static_cast<std::size_t>(e)];
        for (const voce_field field : voce_fields()) {
            const std::size_t at = offsets[static_cast<std::size_t>(e)] + field_offset(a, field);
            if (field == voce_field::v_nome) {
                if (a.v_nome != b.v_nome) {
                    out.push_back({file_kind::header_table, at, 2 + a.v_nome.size(),
                                   entry_word(e, field),
                                   "il file ha \"" + from_windows1252(a.v_nome) +
                                       "\", i testi danno \"" + from_windows1252(b.v_nome) + "\""});
                }
            } else if (field_number(a, field) != field_number(b, field)) {
                out.push_back({file_kind::header_table, at, voce_field_size(field),
                               entry_word(e, field),
                               values_word(field_number(a, field), field_number(b, field))});
            }
        }
    }
}

void compare_plans(const geometria* file, const geometria* compiled, const std::string& bytes,
                   std::vector<file_place>& out) {
    if (file == nullptr || compiled == nullptr) return;
    if (file->last_metre() != compiled->last_metre()) {
        out.push_back({file_kind::line_geometry, 0, bytes.size(), "il file intero",
                       "la geometria va fino al metro " + number(file->last_metre()) +
                           ", i testi la danno fino al metro " + number(compiled->last_metre())});
        return;
    }
    // Offsets in the file's own layout: a tag of 2 bytes and its payload.
    std::size_t at = 0;
    for (int coord = 0; coord < 2; ++coord) {
        std::optional<std::int32_t> first;
        std::size_t first_at = 0;
        for (std::int32_t m = 0; m <= file->last_metre() + 1; ++m) {
            bool differs = false;
            std::size_t size = 0;
            if (m <= file->last_metre()) {
                const auto ka = file->kind(m, coord), kb = compiled->kind(m, coord);
                size = 2 + (ka == geometria::tag::empty ? 0 : ka == geometria::tag::integer ? 2 : 8);
                differs = ka != kb ||
                          (ka != geometria::tag::empty &&
                           !same_bits(file->value(m, coord), compiled->value(m, coord)));
            }
            if (differs && !first) {
                first = m;
                first_at = at;
            }
            if (!differs && first) {
                const std::string metres =
                    *first == m - 1 ? "metro " + number(*first)
                                    : "metri " + number(*first) + "–" + number(m - 1);
                out.push_back({file_kind::line_geometry, first_at, at - first_at,
                               metres + ", coordinata " + number(coord),
                               "i testi tracciano altri punti"});
                first.reset();
            }
            at += size;
        }
    }
}

// The places in the order of the files (geometry, header table, cells), each by offset.
void sort_by_place(std::vector<file_place>& places) {
    const auto rank = [](file_kind f) {
        return f == file_kind::line_geometry ? 0 : f == file_kind::header_table ? 1 : 2;
    };
    std::stable_sort(places.begin(), places.end(), [&](const file_place& l, const file_place& r) {
        return std::pair(rank(l.file), l.offset) < std::pair(rank(r.file), r.offset);
    });
}

// Whether the plan encodes to exactly these bytes; compared a piece at a time, never held whole.
bool same_image(const geometria& plan, std::string_view bytes) {
    bool same = true;
    std::size_t at = 0;
    serialise_geometria_in_pieces(plan, [&](std::string_view piece) {
        same = same && at + piece.size() <= bytes.size() &&
               std::memcmp(piece.data(), bytes.data() + at, piece.size()) == 0;
        at += piece.size();
    });
    return same && at == bytes.size();
}

// Compiles the texts as the tool's compile does and holds the tables against the files.
std::vector<file_place> compile_and_compare(const binary_set_read& files, const std::string& line,
                                            const std::string& train, const std::string& line_text,
                                            const std::string& train_text) {
    run_state state;
    state.nome_linea = line;
    state.codice_treno = train;
    memory_descriptions texts(line_text, train_text);
    const compile_outcome outcome = compila_scenario(state, files.has_plan() ? 1 : 0, texts);
    std::vector<file_place> out;
    if (!outcome.writes_files()) {
        out.push_back({file_kind::cells, 0, 1, "i tre file",
                       "i testi non danno nessun file (la compilazione si ferma prima delle celle "
                       "o con un errore d'identità)"});
        return out;
    }
    // The bytes first, as the files hold them: the places are looked for only where they differ.
    const auto differ = [&](file_kind kind, const std::string& compiled, const std::string& file,
                            auto place) {
        if (compiled == file) return;
        const std::size_t before = out.size();
        place();
        if (out.size() == before) {
            out.push_back({kind, 0, file.size(), "il file intero",
                           "i testi danno un file di " + number(static_cast<std::int64_t>(compiled.size())) +
                               " byte, il file ne ha " + number(static_cast<std::int64_t>(file.size()))});
        }
    };
    differ(file_kind::header_table, serialise_testata(state.testata), files.header_bytes,
           [&] { compare_header(files.header, state.testata, out); });
    differ(file_kind::cells, serialise_celle(state.celle), files.cell_bytes,
           [&] { compare_cells(files.cells, state.celle, out); });
    if (files.has_plan() && !same_image(state.geometria, files.plan_bytes)) {
        // Only now is the file's plan made a table, to place what differs.
        geometria file_plan;
        if (files.plan) {
            file_plan = *files.plan;
        } else {
            leggi_geometria(files.plan_bytes, file_plan);
        }
        const std::size_t before = out.size();
        compare_plans(&file_plan, &state.geometria, files.plan_bytes, out);
        if (out.size() == before) {
            out.push_back({file_kind::line_geometry, 0, files.plan_bytes.size(), "il file intero",
                           "i testi danno altri byte"});
        }
    }
    return out;
}

}  // namespace

std::string place_in_file(file_kind file, std::string_view bytes, std::size_t offset) {
    if (file == file_kind::cells) {
        const std::size_t cell = offset / k_cell_size;
        const std::size_t within = offset % k_cell_size;
        std::string_view field = "tipo_cella";
        for (const auto& [at, name] : k_cell_fields) {
            if (at <= within) field = name;
        }
        return "cella " + number(static_cast<std::int64_t>(cell)) + ", " + std::string(field);
    }
    if (file == file_kind::header_table) {
        std::size_t at = 0;
        for (int e = 0; e < k_testata_entries && at + 16 <= bytes.size(); ++e) {
            const std::size_t l = static_cast<unsigned char>(bytes[at + 14]) |
                                  static_cast<std::size_t>(static_cast<unsigned char>(bytes[at + 15])) << 8;
            const std::size_t size = k_entry_fixed_size + l;
            if (offset < at + size) {
                voce sized;
                sized.v_nome.assign(l, ' ');
                voce_field found = voce_field::v_tipo;
                for (const voce_field f : voce_fields()) {
                    if (field_offset(sized, f) <= offset - at) found = f;
                }
                return entry_word(e, found);
            }
            at += size;
        }
        return "oltre la fine delle voci";
    }
    // The geometry: elements of a 2-byte tag and its payload; half of them per coordinate.
    std::size_t at = 0, element = 0;
    while (at + 2 <= bytes.size()) {
        const int tag = static_cast<unsigned char>(bytes[at]);
        const std::size_t size = 2 + (tag == 2 ? 2 : tag == 5 ? 8 : 0);
        if (offset < at + size) break;
        at += size;
        ++element;
    }
    std::size_t count = 0;
    for (std::size_t i = 0; i + 2 <= bytes.size();) {
        const int tag = static_cast<unsigned char>(bytes[i]);
        i += 2 + (tag == 2 ? 2 : tag == 5 ? 8 : 0);
        ++count;
    }
    const std::size_t metres = count / 2 == 0 ? 1 : count / 2;
    return "metro " + number(static_cast<std::int64_t>(element % metres)) + ", coordinata " +
           number(static_cast<std::int64_t>(element / metres));
}

decompiled decompile_tables(const binary_set_read& files, const std::string& line,
                            const std::string& train) {
    findings found;
    decompiled out;

    traced_plan turns;
    line_stop stop = line_stop::none;
    if (files.plan_image) {
        turns = read_turns(*files.plan_image, files.plan_bytes, found);
        if (turns.last_traced < files.plan_image->last_metre - 2) stop = line_stop::in_features;
    } else if (files.plan) {
        // A plan never seeded: the compile stopped in [generale].
        stop = line_stop::in_general;
    }
    if (!files.has_plan() && !progressive_records(files.header)) {
        // Without a plan, a stop in [generale] shows as progressives left as they were read
        // (never put in order) over cells that nothing reached.
        bool untouched = true;
        for (const cella& c : files.cells) untouched = untouched && c.pendenza == 0;
        if (untouched) stop = line_stop::in_general;
    }
    out.line_text = line_text(files, files.has_plan() ? &turns : nullptr, stop, found);
    std::optional<std::string> train_stopped;
    out.train_text = train_text(files, stop == line_stop::none, found, train_stopped);
    if (stop == line_stop::in_general) {
        out.stopped =
            "la compilazione si è fermata nella sezione [generale] del testo della linea, prima "
            "della geometria: il testo della linea finisce con un record che la ferma allo "
            "stesso punto (una ripetizione dei segnali senza il numero dei codici)";
    } else if (stop == line_stop::in_features) {
        out.stopped =
            "la compilazione si è fermata nel testo della linea: la geometria non arriva alla "
            "fine e il testo del treno non è stato letto; il testo della linea finisce con un "
            "record che la ferma allo stesso punto";
    } else if (train_stopped) {
        out.stopped = train_stopped;
    }

    const std::vector<file_place> differences =
        compile_and_compare(files, line, train, out.line_text, out.train_text);
    out.exact = differences.empty();
    sort_by_place(found.places);
    out.places = std::move(found.places);
    std::vector<file_place> sorted = differences;
    sort_by_place(sorted);
    out.places.insert(out.places.end(), sorted.begin(), sorted.end());
    if (out.exact) out.places.clear();
    out.notes = std::move(found.notes);
    return out;
}

}  // namespace scenario::tool
