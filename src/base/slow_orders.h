// Which boards make one slow order, as the compiler reads them. A "rallentamento" lays its end
// board on (x + l) / 50 + 1, its start board on x / 50 + 1, a warning board 24 cells before the
// start (past 1500 m) and, when asked, four approach cells before the warning board; nothing ties
// the boards together but where they lie. The signal spacing pass then walks from every start
// board to the first end board after it, past any other start board in between, and lays its
// marks over that stretch: that walk is what a slow order means in the compiled cells. The pass
// finds its end boards here, and the tool reads slow orders back from the same functions, so
// what the tool draws is what the compiler walked, overlapping orders and all.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "base/records.h"

namespace scenario {

// The end board of the slow order whose start board stands on cell `start`: the first end board
// after it, whatever start boards stand between. Nothing when no end board follows (a slow order
// shorter than a cell, whose start board took the end board's cell, or the last start board of
// a damaged file): the compiler's walk then runs on to the last cell.
std::optional<std::size_t> slow_order_end(const celle& cells, std::size_t start);

// The warning board of the start board on cell `start`: the cell 24 before it, when it holds
// one. (x - 1200) / 50 + 1 and x / 50 + 1 differ by 24 and round alike, whatever x is.
std::optional<std::size_t> slow_order_warning(const celle& cells, std::size_t start);

// The start board of the warning board on cell `warning`: the cell 24 after it, when it holds one.
std::optional<std::size_t> slow_order_start(const celle& cells, std::size_t warning);

// The warning board an approach cell counts from. The approach cell numbered k lies k cells
// before (x - 1200) / 50, which is rounded on its own: the warning board stands one cell after
// that, or two when the two quotients round apart. Nothing for any other cell.
std::optional<std::size_t> approach_warning(const celle& cells, std::size_t approach);

// The boards of one slow order.
struct slow_order_boards {
    std::size_t start = 0;
    std::optional<std::size_t> end;      // slow_order_end: the compiler's walk stops there
    std::optional<std::size_t> warning;  // slow_order_warning
    std::vector<std::size_t> approach;   // the approach cells counting from the warning board
                                         // (front to back)

    friend bool operator==(const slow_order_boards&, const slow_order_boards&) = default;
};

// Every slow order, one for each start board, front to back. Two orders share an end board
// when the second starts before the first one's walk reaches an end board; an end board no walk
// reaches belongs to none.
std::vector<slow_order_boards> slow_orders_of(const celle& cells);

}  // namespace scenario
