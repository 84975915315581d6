// The slow orders of the cells in metres, with their boards paired as the compiler pairs them
// (base/slow_orders.h): each start board opens one, in force from its start board to the end
// board the compiler's walk stops at. Dump, plot and view all read them from here.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "base/records.h"
#include "base/slow_orders.h"
#include "model/record_place.h"

namespace scenario::tool {

struct slow_order {
    slow_order_boards boards;
    // In force from the start board's metre to the end board's. Without an end board (a slow
    // order shorter than a cell, whose start board took its end board's cell) it is drawn over
    // its one cell, though the compiler's walk runs on to the last cell.
    double from = 0, to = 0;
    int speed = 0;        // km/h, as its start board holds it
    record_place record;  // the "rallentamento" that laid its start board
};

// Every slow order, front to back.
std::vector<slow_order> read_slow_orders(const celle& cells);

// What a board or an approach cell tells of its slow order: the order's boards, and the other
// orders an end board also ends (the compiler's walks from their start boards stop there too).
struct slow_order_cells {
    std::optional<std::size_t> warning, start, end;
    std::vector<std::size_t> also_ends;  // the start boards of the other orders, front to back
};
// For the cell of a slow order's board or approach cell: the boards of its order. An end board
// belongs to the order with the nearest start board among those it ends; a board or approach
// cell found with no start board tells only what it found; any other cell tells nothing.
slow_order_cells slow_order_at(std::span<const slow_order> orders, const celle& cells,
                               std::size_t n);

}  // namespace scenario::tool
