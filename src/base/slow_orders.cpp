#include "base/slow_orders.h"

#include <cstdint>
#include <initializer_list>

namespace scenario {
namespace {

constexpr std::int64_t k_warning_cells = 24;  // 1200 m between the warning board and the start

bool kind_at(const celle& cells, std::int64_t n, cell_kind kind) {
    return n >= 0 && n < static_cast<std::int64_t>(cells.size()) &&
           kind_of(cells[static_cast<std::size_t>(n)]) == kind;
}

// The first of the cells, in the order given, that holds the kind.
std::optional<std::size_t> first_of(const celle& cells, cell_kind kind,
                                    std::initializer_list<std::int64_t> candidates) {
    for (const std::int64_t n : candidates) {
        if (kind_at(cells, n, kind)) return static_cast<std::size_t>(n);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::size_t> slow_order_end(const celle& cells, std::size_t start) {
    for (std::size_t n = start + 1; n < cells.size(); ++n) {
        if (kind_of(cells[n]) == cell_kind::slow_order_end) return n;
    }
    return std::nullopt;
}

std::optional<std::size_t> slow_order_warning(const celle& cells, std::size_t start) {
    return first_of(cells, cell_kind::slow_order_warning,
                    {static_cast<std::int64_t>(start) - k_warning_cells});
}

std::optional<std::size_t> slow_order_start(const celle& cells, std::size_t warning) {
    return first_of(cells, cell_kind::slow_order_start,
                    {static_cast<std::int64_t>(warning) + k_warning_cells});
}

std::optional<std::size_t> approach_warning(const celle& cells, std::size_t approach) {
    if (!kind_at(cells, static_cast<std::int64_t>(approach), cell_kind::slow_order_approach)) {
        return std::nullopt;
    }
    const std::int64_t a = static_cast<std::int64_t>(approach) + cells[approach].val1;
    return first_of(cells, cell_kind::slow_order_warning, {a, a + 1});
}

std::vector<slow_order_boards> slow_orders_of(const celle& cells) {
    std::vector<slow_order_boards> orders;
    for (std::size_t n = 0; n < cells.size(); ++n) {
        if (kind_of(cells[n]) != cell_kind::slow_order_start) continue;
        // A start board before the end board of the order before it shares that end board (and
        // one after the last end board has none): each stretch of cells is searched once.
        std::optional<std::size_t> end;
        if (orders.empty() || (orders.back().end && *orders.back().end < n)) {
            end = slow_order_end(cells, n);
        } else {
            end = orders.back().end;
        }
        orders.push_back({n, end, slow_order_warning(cells, n), {}});
    }
    // Approach cells lie before their warning board, and so before every order that follows.
    for (std::size_t n = 0; n < cells.size(); ++n) {
        const std::optional<std::size_t> warning = approach_warning(cells, n);
        if (!warning) continue;
        for (slow_order_boards& order : orders) {
            if (order.warning == warning) order.approach.push_back(n);
        }
    }
    return orders;
}

}  // namespace scenario
