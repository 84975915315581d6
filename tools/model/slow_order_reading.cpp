#include "model/slow_order_reading.h"

#include <algorithm>
#include <iterator>

#include "base/positions.h"

namespace scenario::tool {
namespace {

double point_metres(std::size_t n) {
    return static_cast<double>(point_position(static_cast<std::int64_t>(n)));
}

// The first order whose start board stands on cell n or after it.
std::span<const slow_order>::iterator first_from(std::span<const slow_order> orders,
                                                 std::size_t n) {
    return std::lower_bound(
        orders.begin(), orders.end(), n,
        [](const slow_order& o, std::size_t cell) { return o.boards.start < cell; });
}

slow_order_cells cells_of(const slow_order& order) {
    return {order.boards.warning, order.boards.start, order.boards.end, {}};
}

// The orders the end board on cell n ends are those whose start boards stand after the end
// board before it: together, just before the first order starting after n.
slow_order_cells ending_at(std::span<const slow_order> orders, std::size_t n) {
    slow_order_cells found;
    found.end = n;
    auto first = first_from(orders, n);
    const auto nearest = first;
    while (first != orders.begin() && std::prev(first)->boards.end == n) --first;
    if (first == nearest) return found;
    found = cells_of(*std::prev(nearest));
    for (auto o = first; o != std::prev(nearest); ++o) found.also_ends.push_back(o->boards.start);
    return found;
}

slow_order_cells starting_at(std::span<const slow_order> orders, std::optional<std::size_t> start) {
    if (!start) return {};
    const auto order = first_from(orders, *start);
    if (order == orders.end() || order->boards.start != *start) return {};
    return cells_of(*order);
}

}  // namespace

std::vector<slow_order> read_slow_orders(const celle& cells) {
    std::vector<slow_order> orders;
    for (slow_order_boards& boards : slow_orders_of(cells)) {
        slow_order o;
        o.from = point_metres(boards.start);
        o.to = boards.end ? point_metres(*boards.end) : o.from + k_cell_metres;
        o.speed = cells[boards.start].val1;
        o.boards = std::move(boards);
        orders.push_back(std::move(o));
    }
    return orders;
}

slow_order_cells slow_order_at(std::span<const slow_order> orders, const celle& cells,
                               std::size_t n) {
    switch (kind_of(cells[n])) {
        case cell_kind::slow_order_start:
            return starting_at(orders, n);
        case cell_kind::slow_order_end:
            return ending_at(orders, n);
        case cell_kind::slow_order_warning: {
            slow_order_cells found = starting_at(orders, slow_order_start(cells, n));
            found.warning = n;
            return found;
        }
        case cell_kind::slow_order_approach: {
            const std::optional<std::size_t> warning = approach_warning(cells, n);
            if (!warning) return {};
            slow_order_cells found = starting_at(orders, slow_order_start(cells, *warning));
            found.warning = warning;
            return found;
        }
        default:
            return {};
    }
}

}  // namespace scenario::tool
