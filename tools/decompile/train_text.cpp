// The train text from the files: [generale] from entries 84 and 86, the adhesion and speed
// limits from the cells' fills, the stations from their entries, the slow orders, signals and
// the author's value marks from their cells.
#include <algorithm>
#include <map>
#include <queue>

#include "base/header_fields.h"
#include "compile/signal_spacing.h"
#include "decompile/decompile_parts.h"

namespace scenario::tool::decompiling {

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
    // The record's extension flag lengthens a centred platform's far end by 50 metres. The
    // compiler clears the first station's v_b3 after laying the platform, so for that station the
    // flag is read back from the longer end instead.
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

}  // namespace scenario::tool::decompiling
