// The synthetic scenario generator. The route is cut into blocks of 50-metre cells of three
// kinds, spread evenly along it; each kind has a fixed arrangement that the compiler and the
// signal spacing pass accept as it stands:
//
//   slow-order block, 50 cells: approach cells 0-3, warning board 4, the three triples that the
//     spacing pass marks ahead of the start board (8-10, 15-17, 21-23) left empty, start board
//     28, 500 metres of slow order with its inner mark falling on 36, end board 38; signals on
//     7, 13, 19, 26, 42 and 47 (the pass marks 41 before the first signal past the end board),
//     speed-indicator boards on 5, 12, 18, 25, 39 and 44;
//   station block, 20 cells: board 2, sign 3 (first blocks only), stop cell 8 to 10 by station
//     kind, signal 17;
//   plain block, 10 cells: board 2, signal 7.
//
// Every signal that can fall within 20 cells before a warning board (those at the end of a
// block) has the cell before it free, so the spacing pass always finds its cell.
#include "testkit/synthetic_scenario.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

#include "base/positions.h"

namespace scenario {
namespace {

// Cell 1 must stay clear of value words (the identity stamp) and signals need eight cells
// behind them for their approach marks.
constexpr std::int32_t k_first_block_cell = 10;
constexpr std::int32_t k_max_header_rows = 78;  // stations + signs, so no station meets a sign

constexpr std::int32_t k_slow_block_cells = 50;
constexpr std::int32_t k_slow_start_offset = 28;
constexpr std::int32_t k_slow_length = 500;  // metres: end board 10 cells after the start
constexpr std::array<std::int32_t, 6> k_slow_signals = {7, 13, 19, 26, 42, 47};
constexpr std::array<std::int32_t, 6> k_slow_boards = {5, 12, 18, 25, 39, 44};

constexpr std::int32_t k_station_block_cells = 20;
constexpr std::int32_t k_station_board = 2;
constexpr std::int32_t k_station_sign = 3;
constexpr std::int32_t k_station_offset = 7;  // the station's own position, in cells
constexpr std::int32_t k_station_signal = 17;

constexpr std::int32_t k_plain_block_cells = 10;
constexpr std::int32_t k_plain_board = 2;
constexpr std::int32_t k_plain_signal = 7;

constexpr std::int32_t k_curve_spacing = 1000;
constexpr std::int32_t k_curve_start = 200;
constexpr std::int32_t k_curve_length = 600;
constexpr std::int32_t k_speed_spacing = 5000;
constexpr std::int32_t k_adhesion_spacing = 20000;
constexpr std::int32_t k_mountain_length = 2000;

enum class block_kind { slow_order, station, plain };

struct block {
    block_kind kind = block_kind::plain;
    std::int32_t first_cell = 0;
};

// The metre position whose point feature lands on `cell`.
std::int32_t position_of_cell(std::int32_t cell) {
    return static_cast<std::int32_t>(point_position(cell));
}

std::int32_t block_cells(block_kind kind) {
    switch (kind) {
        case block_kind::slow_order:
            return k_slow_block_cells;
        case block_kind::station:
            return k_station_block_cells;
        case block_kind::plain:
            return k_plain_block_cells;
    }
    return 0;
}

void fail_if(bool fault, const char* what) {
    if (fault) throw std::invalid_argument(what);
}

// Blocks of each kind spread evenly: block j of a kind with n blocks is due at (j + 0.5) / n of
// the route, and the blocks follow in order of due place. The spare cells are shared out as
// even gaps.
std::vector<block> lay_out_blocks(std::int32_t route_cells, std::int32_t slow_orders,
                                  std::int32_t stations, std::int32_t plains) {
    struct due {
        double at;
        block_kind kind;
    };
    std::vector<due> order;
    for (const auto& [kind, count] :
         {std::pair{block_kind::slow_order, slow_orders}, std::pair{block_kind::station, stations},
          std::pair{block_kind::plain, plains}}) {
        for (std::int32_t j = 0; j < count; ++j) order.push_back({(j + 0.5) / count, kind});
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const due& a, const due& b) { return a.at < b.at; });

    std::int64_t used = 0;
    for (const due& d : order) used += block_cells(d.kind);
    const std::int64_t room = route_cells - 1 - k_first_block_cell;
    fail_if(used > room, "the features do not fit the route");
    const std::int64_t spare = room - used;
    const auto n = static_cast<std::int64_t>(order.size());

    std::vector<block> blocks;
    std::int64_t next = k_first_block_cell;
    for (std::int64_t i = 0; i < n; ++i) {
        const std::int64_t gap = spare * i / n - (i == 0 ? 0 : spare * (i - 1) / n);
        next += gap;
        blocks.push_back(
            {order[static_cast<std::size_t>(i)].kind, static_cast<std::int32_t>(next)});
        next += block_cells(order[static_cast<std::size_t>(i)].kind);
    }
    return blocks;
}

void end_line(std::string& out) { out += "\r\n"; }

void add_record(std::string& out, std::string_view keyword,
                std::initializer_list<std::int64_t> values) {
    out += keyword;
    for (const std::int64_t v : values) {
        out += ",  ";
        out += std::to_string(v);
    }
    end_line(out);
}

void add_line(std::string& out, std::string_view text) {
    out += text;
    end_line(out);
}

struct line_features {
    std::vector<std::int32_t> boards;  // cells
    std::vector<std::int32_t> signs;   // cells
};

struct train_features {
    std::vector<std::int32_t> stations;     // positions
    std::vector<std::int32_t> slow_orders;  // start positions
    std::vector<std::int32_t> signals;      // cells
};

void place_block(const block& b, std::int32_t signs_wanted, std::int32_t plain_signals,
                 std::int32_t plain_boards, line_features& line, train_features& train,
                 std::int32_t& plain_index) {
    const std::int32_t c = b.first_cell;
    switch (b.kind) {
        case block_kind::slow_order:
            for (const std::int32_t s : k_slow_signals) train.signals.push_back(c + s);
            for (const std::int32_t s : k_slow_boards) line.boards.push_back(c + s);
            train.slow_orders.push_back(position_of_cell(c + k_slow_start_offset));
            break;
        case block_kind::station:
            line.boards.push_back(c + k_station_board);
            if (static_cast<std::int32_t>(line.signs.size()) < signs_wanted)
                line.signs.push_back(c + k_station_sign);
            train.stations.push_back(
                static_cast<std::int32_t>(cell_first_metre(c + k_station_offset)));
            train.signals.push_back(c + k_station_signal);
            break;
        case block_kind::plain:
            if (plain_index < plain_boards) line.boards.push_back(c + k_plain_board);
            if (plain_index < plain_signals) train.signals.push_back(c + k_plain_signal);
            ++plain_index;
            break;
    }
}

void write_line_general(std::string& out, std::int32_t route_length) {
    add_line(out, "[generale]");
    add_record(out, "lunghezza percorso", {route_length});
    add_record(out, "progressiva chilometrica uno", {12000, 500, 1});
    add_record(out, "progressiva chilometrica due", {6000, 0, 0});
    add_record(out, "progressiva chilometrica tre", {0, 0, 0});
    add_record(out, "sfondo uno", {1});
    add_record(out, "sfondo due", {2});
    add_record(out, "sfondo tre", {3});
    add_line(out, "ripetizione segnali 4 codici,    100    ,150");
}

// Curves all along the route, every class and both hands in turn; none may reach metre 1000000.
void write_curves(std::string& out, std::int32_t route_length, synthetic_layout& layout) {
    add_line(out, "[curve]");
    for (std::int32_t s = k_curve_start; s + k_curve_length < route_length; s += k_curve_spacing) {
        const std::int32_t k = s / k_curve_spacing;
        std::string keyword = "curva";
        keyword += (k % 2 == 0) ? 'd' : 's';
        keyword += static_cast<char>('1' + k % 6);
        add_record(out, keyword, {s, k_curve_length});
        ++layout.curve_records;
        layout.last_curved_metre = s + k_curve_length;
    }
}

void write_gradients(std::string& out, std::int32_t route_length, synthetic_layout& layout) {
    add_line(out, "[pendenze]");
    for (std::int32_t p = 0; p < route_length; p += 1000) {
        const std::int32_t k = p / 1000;
        add_record(out, "pendenza", {p, (k * 37) % 61 - 30});
        ++layout.gradient_records;
    }
}

void write_mountains(std::string& out, const synthetic_size& size) {
    add_line(out, "[montagne]");
    if (size.mountains == 0) return;
    constexpr std::array<std::int32_t, 6> kinds = {12, 2, 13, 3, 11, 1};
    const std::int32_t spacing = size.route_length / size.mountains;
    const std::int32_t length =
        std::min(k_mountain_length, spacing / 2) / k_cell_metres * k_cell_metres;
    for (std::int32_t i = 0; i < size.mountains; ++i) {
        const std::int32_t start = (i * spacing + spacing / 4) / k_cell_metres * k_cell_metres;
        add_record(out, "montagna",
                   {start, start + length, kinds[static_cast<std::size_t>(i % 6)]});
    }
}

void write_boards(std::string& out, const std::vector<std::int32_t>& cells) {
    add_line(out, "[cartelli]");
    std::int32_t k = 0;
    for (const std::int32_t cell : cells) {
        const std::int32_t a = 30 + 10 * (k % 12);
        const std::int32_t b = a - 10;
        out += "indicatori_vmax,  " + std::to_string(position_of_cell(cell));
        out += ",  " + std::to_string(a) + ",  " + std::to_string(b) + ",  " + std::to_string(b);
        // Half the boards leave the right-hand speeds empty, as hand-written texts do.
        if (k % 2 == 0)
            out += ",  0,  ,  ,  ,  0";
        else
            out += ",  1,  " + std::to_string(a - 5) + ",  60,  60,  1";
        end_line(out);
        ++k;
    }
}

void write_signs(std::string& out, const std::vector<std::int32_t>& cells) {
    add_line(out, "[indicazioni]");
    std::int32_t k = 0;
    for (const std::int32_t cell : cells) {
        out += "cartello_indicatore,  " + std::to_string(position_of_cell(cell)) +
               ",   (INIZIO TRATTA " + std::to_string(++k) + ")(SOTTERRANEA  )";
        end_line(out);
    }
}

std::string line_text(const synthetic_size& size, const line_features& features,
                      synthetic_layout& layout) {
    std::string out;
    write_line_general(out, size.route_length);
    write_curves(out, size.route_length, layout);
    write_gradients(out, size.route_length, layout);
    write_mountains(out, size);
    write_boards(out, features.boards);
    write_signs(out, features.signs);
    add_line(out, "[fine]");
    return out;
}

void write_train_general(std::string& out, std::int32_t route_length) {
    add_line(out, "[generale]");
    add_record(out, "numero vetture", {8});
    add_record(out, "percentuale massa frenata", {110});
    add_record(out, "sabbia", {90});
    add_line(out, "orologio,    5               0            0 ");
    add_line(out, "[aderenze]");
    constexpr std::array<std::int32_t, 4> adhesion = {100, 90, 80, 95};
    for (std::int32_t p = 0; p < route_length; p += k_adhesion_spacing)
        add_record(out, "aderenza",
                   {p, adhesion[static_cast<std::size_t>(p / k_adhesion_spacing % 4)]});
    add_line(out, "[vel_limite]");
    constexpr std::array<std::int32_t, 6> limits = {80, 100, 120, 140, 90, 60};
    for (std::int32_t p = 0; p < route_length; p += k_speed_spacing)
        add_record(out, "velocita", {p, limits[static_cast<std::size_t>(p / k_speed_spacing % 6)]});
}

// Kinds in turn: stop with approach marks, no stop, stop one cell on (platform extension),
// stop at the platform's far end, no stop, stop without approach marks.
void write_stations(std::string& out, const std::vector<std::int32_t>& positions,
                    synthetic_layout& layout) {
    constexpr std::array<std::int32_t, 6> kinds = {12, 27, 11, 7, 25, 5};
    add_line(out, "[stazioni]");
    std::int32_t k = 0;
    for (const std::int32_t p : positions) {
        const std::int32_t kind = kinds[static_cast<std::size_t>(k % 6)];
        if (kind < 25) ++layout.stopping_stations;
        const std::int32_t extension = kind == 11 ? 1 : 0;
        const std::int32_t seconds = 5 * 3600 + p / 15;  // about 54 km/h with the stops
        out += "stazione,  " + std::to_string(p) + ", " + std::to_string(kind) + ",  200,  0, 0, " +
               std::to_string(extension) + ",  1,1,0,  4,1,1,   " +
               std::to_string(10 + k % 3 * 10) + ",   " + std::to_string(seconds / 3600) + "," +
               std::to_string(seconds / 60 % 60) + ", " + std::to_string(seconds % 60) +
               ", Fermata " + std::to_string(k + 1);
        end_line(out);
        ++k;
    }
}

void write_slow_orders(std::string& out, const std::vector<std::int32_t>& starts) {
    constexpr std::array<std::int32_t, 4> speeds = {30, 50, 60, 80};
    add_line(out, "[rallentamenti]");
    std::int32_t k = 0;
    for (const std::int32_t x : starts) {
        add_record(out, "rallentamento",
                   {x, speeds[static_cast<std::size_t>(k % 4)], k_slow_length, 1, 1, k % 2 * 2});
        ++k;
    }
}

void write_signals(std::string& out, const std::vector<std::int32_t>& cells) {
    add_line(out, "[segnali]");
    std::int32_t k = 0;
    for (const std::int32_t cell : cells) {
        const std::int32_t sx = k % 5 == 4 ? 1 : 2;
        const std::int32_t tempo = k % 7 == 3 ? 230 : (k % 7 == 5 ? 50 : 0);
        add_record(out, "segnale",
                   {position_of_cell(cell), sx, 3 + k % 2, 1, 1, 0, 2, 2, 1, 1, tempo});
        ++k;
    }
}

std::string train_text(const synthetic_size& size, const train_features& features,
                       synthetic_layout& layout) {
    std::string out;
    write_train_general(out, size.route_length);
    write_stations(out, features.stations, layout);
    write_slow_orders(out, features.slow_orders);
    write_signals(out, features.signals);
    add_line(out, "[codici]");
    add_line(out, "[fine]");
    return out;
}

}  // namespace

synthetic_size scaled_size(std::int32_t divisor) {
    fail_if(divisor < 1, "the divisor must be at least 1");
    const synthetic_size full;
    auto part = [divisor](std::int32_t n) {
        return static_cast<std::int32_t>(std::lround(static_cast<double>(n) / divisor));
    };
    synthetic_size s;
    s.route_length = full.route_length / divisor / 1000 * 1000;
    s.mountains = part(full.mountains);
    s.boards = part(full.boards);
    s.stations = std::max(1, part(full.stations));
    s.signs = std::min(full.signs, s.stations);
    s.signals = part(full.signals);
    s.slow_orders = part(full.slow_orders);
    return s;
}

synthetic_texts make_synthetic_scenario(const synthetic_size& size) {
    fail_if(
        size.route_length <= 0 || size.route_length % 1000 != 0 || size.route_length > 1'000'000,
        "the route length must be a whole number of kilometres up to 1000000 metres");
    fail_if(size.mountains < 0 || size.mountains > 80, "at most 80 mountains");
    fail_if(size.signs < 0 || size.signs > size.stations, "every sign needs a station block");
    fail_if(size.stations < 0 || size.stations + size.signs > k_max_header_rows,
            "stations and signs do not fit the header table");
    fail_if(size.slow_orders < 0, "a negative count of slow orders");
    const std::int32_t fixed =
        static_cast<std::int32_t>(k_slow_signals.size()) * size.slow_orders + size.stations;
    const std::int32_t plain_signals = size.signals - fixed;
    const std::int32_t plain_boards = size.boards - fixed;
    fail_if(plain_signals < 0 || plain_boards < 0,
            "too few signals or boards for the slow orders and stations");

    const std::int32_t route_cells = size.route_length / k_cell_metres;
    const std::vector<block> blocks = lay_out_blocks(route_cells, size.slow_orders, size.stations,
                                                     std::max(plain_signals, plain_boards));
    line_features line;
    train_features train;
    std::int32_t plain_index = 0;
    for (const block& b : blocks)
        place_block(b, size.signs, plain_signals, plain_boards, line, train, plain_index);
    // The sections list their records by position; blocks come in route order already.
    std::sort(line.boards.begin(), line.boards.end());
    std::sort(train.signals.begin(), train.signals.end());

    synthetic_texts texts;
    texts.line = line_text(size, line, texts.layout);
    texts.train = train_text(size, train, texts.layout);
    return texts;
}

}  // namespace scenario
