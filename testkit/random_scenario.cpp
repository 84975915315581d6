// The random scenarios of the test kit. The route is walked from cell 12 onwards and cut into
// segments, each of a kind drawn from the seed, each with a fixed inner arrangement that keeps
// every cell the compiler and the signal spacing pass need (relative cells):
//
//   signal, 10 cells: the signal on 9, its approach marks on 1, 3, 5, 7, and the two cells
//     before it (7, 8) free for the mark of a warning board ahead; when a slow order follows at
//     once, cell 8 may hold an "abbattimento" and cell 7 a board, so that the spacing pass meets
//     a value mark it lowers or keeps;
//   slow order, start board S = 30: approach cells 2-5, warning board 6, the three triples the
//     pass marks ahead of the start board (10-12, 17-19, 23-25) and every cell from the start to
//     two past the end board left empty; optionally a signal on 15 (13, 14 free), a board on 21
//     and a signal 3 to 12 cells past the end board for the look-ahead; 13 cells after the end;
//   station: its stop cell and the four approach cells before it, nothing else on them;
//   board, sign, "abbattimento": the feature on cell 1 of 3.
//
// Approach marks of signals and stations stay inside their own segment, so no byte is written
// twice by two records. An "early" slow order at 1200 to 1500 m may open the route: it lays no
// warning board whatever its approach flag says. The line-wide records (curves, gradients,
// mountains, speed limits, adhesion) are drawn on their own; mountains only lay scenery marks,
// which every feature may take.
#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/positions.h"
#include "testkit/synthetic_scenario.h"

namespace scenario {
namespace {

// splitmix64: one 64-bit state, the same sequence on every platform and library.
class number_source {
   public:
    explicit number_source(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        state_ += 0x9e3779b97f4a7c15ULL;
        std::uint64_t z = state_;
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }

    // From lo to hi, both included. The modulo's slight bias does not matter here.
    std::int32_t range(std::int32_t lo, std::int32_t hi) {
        const auto span = static_cast<std::uint64_t>(static_cast<std::int64_t>(hi) - lo + 1);
        return static_cast<std::int32_t>(lo + static_cast<std::int64_t>(next() % span));
    }

    bool chance(std::int32_t percent) { return range(0, 99) < percent; }

    template <class T, std::size_t N>
    const T& pick(const std::array<T, N>& items) {
        return items[static_cast<std::size_t>(next() % N)];
    }

   private:
    std::uint64_t state_;
};

constexpr std::int32_t k_first_cell = 12;
constexpr std::int32_t k_slow_start = 30;

// Names in Windows-1252, as the texts hold them.
constexpr std::array<std::string_view, 12> k_station_names = {"Cascina Telvo",
                                                              "S.Anselvio",
                                                              "P.ta Tremia FS",
                                                              "Citt\xe0 Alta",
                                                              "Pian d'Erba",
                                                              "Bivio Lag\xf2",
                                                              "Deposito",
                                                              "Ponte  Vecchio",
                                                              "Fermata 7",
                                                              "Borgo San Nicol\xf2",
                                                              "Scambi di Brunvicco",
                                                              "Piazza \x80 Nord"};
constexpr std::array<std::string_view, 8> k_sign_texts = {"(INIZIO TRATTA)(SOTTERRANEA  )",
                                                          "\"VIA, PIAZZA\"",
                                                          "Galleria Lag\xf2",
                                                          "(FERMATA)(A RICHIESTA)",
                                                          "Pedaggio 2 \x80",
                                                          "\"PONTE, LATO NORD\"",
                                                          "Uscita  Citt\xe0",
                                                          "Km 12"};
constexpr std::array<std::string_view, 5> k_line_names = {
    "Collina", "Val Citt\xc3\xa0", "Metr\xc3\xb2 3", "Linea del P\xc3\xb2", "Rx"};
constexpr std::array<std::string_view, 5> k_train_codes = {"C1", "26BRUNVICCO", "R 12",
                                                           "Diretto Lag\xc3\xb2", "X9"};

std::string str(std::int64_t v) { return std::to_string(v); }

// One record line: the keyword and its values, joined by a separator drawn for the record.
std::string record(number_source& n, std::string_view keyword,
                   const std::vector<std::string>& values) {
    static constexpr std::array<std::string_view, 4> separators = {", ", ",", ",   ", " , "};
    const std::string_view sep = n.pick(separators);
    std::string out(keyword);
    for (const std::string& v : values) {
        out += sep;
        out += v;
    }
    return out + "\r\n";
}

struct placed {
    std::int32_t cell = 0;
    std::string text;  // the record line
};

struct station_placed {
    std::int32_t position = 0;
    std::int32_t platform_end = 0;  // v_b
    std::string text;
};

struct slow_placed {
    std::int32_t start = 0;  // x
    std::string text;
};

// What the segments lay, in route order.
struct features {
    std::vector<placed> boards, signs, abbattimenti, signals;
    std::vector<station_placed> stations;
    std::vector<slow_placed> slow_orders;
};

class route_builder {
   public:
    route_builder(number_source& n, std::int32_t route_length, std::int32_t clock_seconds)
        : n_(n), last_cell_(route_length / k_cell_metres - 2), clock_(clock_seconds) {}

    features build() {
        std::int32_t c = k_first_cell;
        if (n_.chance(25)) c = early_slow_order();
        while (true) {
            const std::int32_t kind = n_.range(0, 99);
            std::int32_t next = -1;
            if (kind < 28) {
                next = signal_segment(c, false);
            } else if (kind < 40) {
                next = slow_segment(c);
            } else if (kind < 50) {
                // A signal right ahead of a slow order's warning board.
                next = c + 10 + k_slow_start + 40 <= last_cell_ ? signal_segment(c, true) : -1;
                if (next > 0) next = slow_segment(next);
            } else if (kind < 65) {
                next = station_segment(c);
            } else if (kind < 80) {
                next = single(c, [this](std::int32_t cell) { board_at(cell); });
            } else if (kind < 88) {
                next = f_.signs.size() < 8 ? single(c, [this](std::int32_t cell) { sign_at(cell); })
                                           : c + 1;
            } else {
                next = single(c, [this](std::int32_t cell) { abbattimento_at(cell); });
            }
            if (next < 0) break;
            c = next + n_.range(0, 6);
        }
        return std::move(f_);
    }

   private:
    template <class Lay>
    std::int32_t single(std::int32_t c, Lay lay) {
        if (c + 3 > last_cell_) return -1;
        lay(c + 1);
        return c + 3;
    }

    static std::int32_t at(std::int32_t cell) {
        return static_cast<std::int32_t>(point_position(cell));
    }

    void board_at(std::int32_t cell) {
        static constexpr std::array<std::int32_t, 9> speeds = {30, 40,  50,  60, 70,
                                                               80, 100, 120, 150};
        std::vector<std::string> v = {str(at(cell))};
        for (int i = 0; i < 3; ++i) v.push_back(str(n_.pick(speeds)));
        v.push_back(str(n_.range(0, 3)));
        if (n_.chance(40)) {
            v.insert(v.end(), {"", "", "", str(n_.range(0, 1))});
        } else {
            for (int i = 0; i < 3; ++i) v.push_back(str(5 * n_.range(0, 19)));
            v.push_back(str(n_.range(0, 3)));
        }
        f_.boards.push_back({cell, record(n_, "indicatori_vmax", v)});
    }

    void sign_at(std::int32_t cell) {
        f_.signs.push_back({cell, "cartello_indicatore, " + str(at(cell)) + ", " +
                                      std::string(n_.pick(k_sign_texts)) + "\r\n"});
    }

    void abbattimento(std::int32_t cell, std::int32_t value) {
        f_.abbattimenti.push_back(
            {cell, record(n_, "abbattimento", {str(fill_position(cell)), str(value)})});
    }

    void abbattimento_at(std::int32_t cell) {
        static constexpr std::array<std::int32_t, 11> values = {0,   -5,  -120, 1,   50,   75,
                                                                180, 181, 250,  400, 70000};
        abbattimento(cell, n_.pick(values));
    }

    void signal_at(std::int32_t cell) {
        static constexpr std::array<std::int32_t, 8> tempi = {0, 0, 1, 37, 100, 101, 230, 300};
        const std::int32_t sx = n_.range(0, 3);
        std::vector<std::string> v = {str(at(cell)), str(sx)};
        for (int i = 0; i < 3; ++i) v.push_back(str(n_.range(0, 9)));
        v.push_back(str(n_.range(0, 3)));  // rapp
        v.push_back(str(n_.range(0, 3)));  // dx
        for (int i = 0; i < 3; ++i) v.push_back(str(n_.range(0, 9)));
        v.push_back(str(n_.chance(50) ? n_.pick(tempi) : 0));
        if (sx != 2 && n_.chance(30)) v[1] = "2";
        f_.signals.push_back({cell, record(n_, "segnale", v)});
    }

    // `before_slow`: a slow order follows at once, its warning board 7 cells past the signal.
    std::int32_t signal_segment(std::int32_t c, bool before_slow) {
        if (c + 10 > last_cell_) return -1;
        if (before_slow && n_.chance(70)) {
            static constexpr std::array<std::int32_t, 6> values = {181, 200, 270, 400, 180, 75};
            abbattimento(c + 8, n_.pick(values));
            if (n_.chance(60)) board_at(c + 7);
        }
        signal_at(c + 9);
        return c + 10;
    }

    std::string slow_record(std::int32_t x, std::int32_t l) {
        static constexpr std::array<std::int32_t, 12> speeds = {20, 30,  45,  50,  60,  72,
                                                                80, 100, 105, 110, 120, 140};
        const std::int32_t d_v = n_.chance(50) ? 0 : n_.range(1, 9);
        return record(n_, "rallentamento",
                      {str(x), str(n_.pick(speeds)), str(l), str(n_.range(0, 2)),
                       str(n_.chance(65) ? 1 : 0), str(d_v)});
    }

    // A length whose end board lies at least two cells past the start board.
    std::int32_t slow_length() {
        static constexpr std::array<std::int32_t, 7> odd = {0, 0, 0, 10, 20, 30, 40};
        const std::int32_t cells = n_.range(3, 30);
        return k_cell_metres * cells + n_.pick(odd);
    }

    std::int32_t slow_segment(std::int32_t c) {
        const std::int32_t s = c + k_slow_start;
        const std::int32_t x = at(s);
        const std::int32_t l = slow_length();
        const auto e = static_cast<std::int32_t>(point_cell(x + l));
        if (e + 13 > last_cell_) return -1;
        if (n_.chance(50)) signal_at(c + 15);
        if (n_.chance(40)) board_at(c + 21);
        f_.slow_orders.push_back({x, slow_record(x, l)});
        if (n_.chance(70)) signal_at(e + n_.range(3, 12));
        return e + 13;
    }

    // A slow order before the first warning board is due (x <= 1500 m): its triples reach down
    // to cell 5 at least.
    std::int32_t early_slow_order() {
        const std::int32_t x = k_cell_metres * n_.range(24, 30);
        const std::int32_t l = slow_length();
        const auto e = static_cast<std::int32_t>(point_cell(x + l));
        if (e + 13 > last_cell_) return k_first_cell;
        f_.slow_orders.push_back({x, slow_record(x, l)});
        if (n_.chance(60)) signal_at(e + n_.range(3, 12));
        return e + 13;
    }

    std::int32_t station_segment(std::int32_t c) {
        static constexpr std::array<std::int32_t, 7> kinds = {3, 5, 7, 11, 12, 25, 27};
        if (f_.stations.size() >= 20) return c + 1;
        const std::int32_t kind = n_.pick(kinds);
        const std::int32_t platform = 100 * n_.range(1, 7);
        const bool extension = n_.chance(35);
        const bool short_kind = kind == 5 || kind == 6 || kind == 7 || kind == 8;
        const std::int32_t before = short_kind ? platform : platform / 2;
        std::int32_t after = platform / 2 + (extension ? 50 : 0);
        if (kind == 5 || kind == 6) after = 150;
        if (kind == 7 || kind == 8) after = platform;
        std::int32_t p = k_cell_metres * (c + 4);
        if (!f_.stations.empty()) {
            const std::int32_t least = f_.stations.back().platform_end + 350 + before;
            p = std::max(p, (least + k_cell_metres - 1) / k_cell_metres * k_cell_metres);
        }
        const std::int32_t stop = (p + after) / k_cell_metres - 1;
        if (stop + 2 > last_cell_) return -1;
        clock_ += n_.range(60, 900);
        const std::int32_t t = clock_ % 86400;
        const std::vector<std::string> v = {str(p),
                                            str(kind),
                                            str(platform),
                                            str(n_.range(0, 1)),       // v_flag
                                            str(n_.range(0, 3)),       // v_b4
                                            str(extension ? 1 : 0),    // v_b3
                                            str(n_.range(0, 4)),       // v_i1
                                            str(n_.range(0, 4)),       // v_i2
                                            str(n_.range(0, 1)),       // v_b1
                                            str(n_.range(0, 6)),       // v_i3
                                            str(n_.range(0, 2)),       // v_i4
                                            str(n_.range(0, 2)),       // v_i5
                                            str(10 * n_.range(0, 6)),  // v_b2
                                            str(t / 3600),
                                            str(t / 60 % 60),
                                            str(t % 60),
                                            std::string(n_.pick(k_station_names))};
        f_.stations.push_back({p, p + after, record(n_, "stazione", v)});
        return std::max(c + 3, stop + 2);
    }

    number_source& n_;
    std::int32_t last_cell_;
    std::int32_t clock_;
    features f_;
};

void add(std::string& out, std::string_view line) {
    out += line;
    out += "\r\n";
}

std::string general_records(number_source& n, std::int32_t route_length) {
    std::vector<std::string> records;
    static constexpr std::array<std::string_view, 3> progressives = {
        "progressiva chilometrica uno", "progressiva chilometrica due",
        "progressiva chilometrica tre"};
    for (const std::string_view keyword : progressives) {
        if (n.chance(15)) continue;
        const bool zero = n.chance(30);
        const std::int32_t a = zero ? 0 : k_cell_metres * n.range(0, 400);
        records.push_back(
            record(n, keyword, {str(a), str(k_cell_metres * n.range(0, 40)), str(n.range(0, 1))}));
    }
    static constexpr std::array<std::string_view, 3> sceneries = {"sfondo uno", "sfondo due",
                                                                  "sfondo tre"};
    for (const std::string_view keyword : sceneries) {
        if (n.chance(85)) records.push_back(record(n, keyword, {str(n.range(0, 9))}));
    }
    if (n.chance(85)) {
        const std::int32_t b = n.chance(30) ? 0 : k_cell_metres * n.range(1, 6);
        const std::int32_t a = k_cell_metres * n.range(0, 6);
        const bool four = n.chance(50);
        records.push_back(
            record(n, four ? "ripetizione segnali 4 codici" : "ripetizione segnali 9 codici",
                   {str(a), str(b)}));
    }
    // The records of [generale] in an order of the seed's choosing (Fisher-Yates).
    for (std::size_t i = records.size(); i > 1; --i)
        std::swap(records[i - 1], records[static_cast<std::size_t>(n.next() % i)]);
    std::string out = "[generale]\r\n";
    const auto length_at = static_cast<std::size_t>(n.next() % (records.size() + 1));
    for (std::size_t i = 0; i <= records.size(); ++i) {
        if (i == length_at) out += record(n, "lunghezza percorso", {str(route_length)});
        if (i < records.size()) out += records[i];
    }
    return out;
}

std::string curves(number_source& n, std::int32_t route_length, bool without_class) {
    std::string out = "[curve]\r\n";
    std::int32_t s = n.range(50, 500);
    std::int32_t count = 0;
    const std::int32_t fault_at = n.range(0, 4);
    while (true) {
        const std::int32_t length = n.chance(10) ? 0 : n.range(50, 1200);
        if (s + length > route_length - 50) break;
        std::string keyword = "curva";
        keyword += n.chance(50) ? 'd' : 's';
        if (!(without_class && count == fault_at))
            keyword += static_cast<char>('0' + n.range(1, 6));
        out += record(n, keyword, {str(s), str(length)});
        ++count;
        const std::int32_t how = n.range(0, 99);
        if (how < 15) {
            s += length;  // touches the previous one
        } else if (how < 30) {
            s += length - n.range(1, std::max(1, length / 2 + 1));  // overlaps it
        } else {
            s += length + n.range(50, 2000);
        }
    }
    if (without_class && count <= fault_at) out += record(n, "curvas", {"100", "200"});
    return out;
}

std::string gradients(number_source& n, std::int32_t route_length) {
    std::string out = "[pendenze]\r\n";
    std::int32_t p = n.chance(20) ? -n.range(1, 8) * 50 : 0;
    while (p <= route_length) {
        out += record(n, "pendenza", {str(p), str(n.range(-40, 40))});
        p += n.chance(12) ? 0 : n.range(100, 1500);
    }
    return out;
}

std::string mountains(number_source& n, std::int32_t route_length) {
    static constexpr std::array<std::int32_t, 7> kinds = {1, 2, 3, 11, 12, 13, 0};
    std::string out = "[montagne]\r\n";
    const std::int32_t count = n.range(0, std::min(80, route_length / 700));
    std::int32_t start = n.range(0, 1000);
    for (std::int32_t i = 0; i < count; ++i) {
        std::int32_t end = start;
        if (!n.chance(8)) {
            end += n.range(1, 50) * k_cell_metres;
            end += n.range(0, 1) * 20;
        }
        if (end > route_length) break;
        out += record(n, "montagna", {str(start), str(end), str(n.pick(kinds))});
        const std::int32_t how = n.range(0, 99);
        if (how < 15) {
            start = end + n.range(0, 150);  // close to the previous one: kind 3
        } else if (how < 30) {
            start = std::max(0, end - n.range(50, 400));  // overlapping it
        } else {
            start = end + n.range(151, 3000);
        }
    }
    return out;
}

// Position-ordered runs of a value, from 0 (now and then from further on).
std::string runs(number_source& n, std::string_view keyword, std::int32_t route_length,
                 const std::vector<std::int32_t>& values) {
    std::string out;
    std::int32_t p = n.chance(10) ? 500 : 0;
    while (p <= route_length) {
        const std::int32_t v = values[static_cast<std::size_t>(n.next() % values.size())];
        out += record(n, keyword, {str(p), str(v)});
        const std::int32_t step = n.range(300, 6000);
        p += n.chance(30) ? step : step / k_cell_metres * k_cell_metres;
    }
    return out;
}

template <class T>
void insert_after(std::vector<T>& items, std::size_t index, T item) {
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(index) + 1, std::move(item));
}

// Puts the fault into the features; returns the code the compile ends with, or 0 when the route
// has nothing the fault needs (the scenario then has no fault).
std::int32_t plant_fault(number_source& n, random_fault fault, features& f,
                         std::int32_t route_length) {
    switch (fault) {
        case random_fault::none:
        case random_fault::curve_without_class:
            return 0;
        case random_fault::signal_on_taken_cell: {
            if (!f.signals.empty()) {
                const auto i = static_cast<std::size_t>(n.next() % f.signals.size());
                insert_after(f.signals, i, f.signals[i]);
                return 16;
            }
            if (f.boards.empty()) return 0;
            const placed& board = f.boards[static_cast<std::size_t>(n.next() % f.boards.size())];
            f.signals.push_back({board.cell, "segnale, " + str(point_position(board.cell)) +
                                                 ", 2, 3, 1, 1, 0, 2, 2, 1, 1, 0\r\n"});
            return 16;
        }
        case random_fault::slow_order_on_taken_cell: {
            if (f.slow_orders.empty()) return 0;
            const auto i = static_cast<std::size_t>(n.next() % f.slow_orders.size());
            const std::int32_t x = f.slow_orders[i].start;
            insert_after(f.slow_orders, i, f.slow_orders[i]);
            return x > 1500 ? 17 : 18;
        }
        case random_fault::stations_too_close: {
            if (f.stations.empty()) return 0;
            const auto i = static_cast<std::size_t>(n.next() % f.stations.size());
            const std::int32_t p = f.stations[i].position + 100;
            insert_after(f.stations, i,
                         {p, p + 100,
                          "stazione, " + str(p) +
                              ", 27, 200, 0, 0, 0, 0,0,0, 0,0,0, 0, 8,0,0, Troppo Vicina\r\n"});
            return 22;
        }
        case random_fault::station_off_the_grid: {
            // Any position off the 50-metre grid, within the cells.
            const std::int32_t last = (route_length - 150) / k_cell_metres * k_cell_metres + 20;
            const std::int32_t p =
                std::min(last, f.stations.empty() ? 1020 : f.stations.back().position + 1020);
            f.stations.push_back(
                {p, p,
                 "stazione, " + str(p) +
                     ", 27, 200, 0, 0, 0, 0,0,0, 0,0,0, 0, 8,0,0, Fuori Passo\r\n"});
            return 8;
        }
        case random_fault::sign_on_taken_cell: {
            const std::vector<placed>& taken = f.boards.empty() ? f.signs : f.boards;
            if (taken.empty()) return 0;
            const placed& at = taken[static_cast<std::size_t>(n.next() % taken.size())];
            f.signs.push_back({at.cell, "cartello_indicatore, " + str(point_position(at.cell)) +
                                            ", (POSTO OCCUPATO)\r\n"});
            return 6;
        }
        case random_fault::value_too_large: {
            if (!f.boards.empty() && n.chance(50)) {
                // 2000 km/h in steps of 20 does not fit the board's 16-bit word.
                placed& board = f.boards[static_cast<std::size_t>(n.next() % f.boards.size())];
                board.text = "indicatori_vmax, " + str(point_position(board.cell)) +
                             ", 2000, 80, 80, 0, , , , 0\r\n";
                return 25;
            }
            // A station's flag is a byte.
            const std::int32_t p = f.stations.empty() ? 1000
                                                      : std::min(f.stations.back().position + 1000,
                                                                 route_length / 50 * 50 - 100);
            f.stations.push_back(
                {p, p,
                 "stazione, " + str(p) +
                     ", 27, 200, 300, 0, 0, 0,0,0, 0,0,0, 0, 8,0,0, Bandiera\r\n"});
            return 25;
        }
    }
    return 0;
}

template <class T>
void add_all(std::string& out, const std::vector<T>& items) {
    for (const T& item : items) out += item.text;
}

}  // namespace

random_scenario make_random_scenario(std::uint64_t seed, const random_options& options) {
    if (options.min_route_length < 3000 || options.max_route_length > k_max_route_length ||
        options.min_route_length > options.max_route_length)
        throw std::invalid_argument("the route lengths must lie from 3000 to 1000000 metres");
    number_source n(seed);
    random_scenario out;
    out.line_name = std::string(n.pick(k_line_names));
    out.train_code = std::string(n.pick(k_train_codes));
    if (n.chance(options.fault_percent))
        out.fault = static_cast<random_fault>(n.range(1, k_random_fault_kinds - 1));
    out.geometry =
        out.fault == random_fault::curve_without_class || !n.chance(options.no_geometry_percent);

    std::int32_t route_length = n.range(options.min_route_length, options.max_route_length);
    route_length = n.chance(80) ? route_length / 50 * 50 : route_length;

    std::string& line = out.texts.line;
    line = general_records(n, route_length);
    line += curves(n, route_length, out.fault == random_fault::curve_without_class);
    line += gradients(n, route_length);
    line += mountains(n, route_length);

    std::int32_t clock = 3600 * n.range(0, 23);
    clock += 60 * n.range(0, 59);
    clock += n.range(0, 59);
    features f = route_builder(n, route_length, clock).build();
    out.expected_code = out.fault == random_fault::curve_without_class
                            ? 103
                            : plant_fault(n, out.fault, f, route_length);
    if (out.expected_code == 0) out.fault = random_fault::none;

    add(line, "[cartelli]");
    add_all(line, f.boards);
    add(line, "[indicazioni]");
    add_all(line, f.signs);
    add(line, "[fine]");

    std::string& train = out.texts.train;
    add(train, "[generale]");
    train += record(n, "numero vetture", {str(n.range(1, 12))});
    train += record(n, "percentuale massa frenata", {str(n.range(50, 160))});
    train += record(n, "sabbia", {str(n.range(0, 200))});
    train += "orologio,    " + str(clock / 3600) + "   " + str(clock / 60 % 60) + "  " +
             str(clock % 60) + " \r\n";
    add(train, "[aderenze]");
    train += runs(n, "aderenza", route_length, {100, 95, 90, 80, 70, 60, 300});
    add(train, "[vel_limite]");
    train += runs(n, "velocita", route_length,
                  {20, 30, 40, 45, 50, 55, 60, 65, 70, 72, 73, 80, 90, 100, 120, 140});
    add(train, "[stazioni]");
    add_all(train, f.stations);
    add_all(train, f.abbattimenti);
    add(train, "[rallentamenti]");
    add_all(train, f.slow_orders);
    add(train, "[segnali]");
    add_all(train, f.signals);
    add(train, "[codici]");
    add(train, "[fine]");
    return out;
}

}  // namespace scenario
