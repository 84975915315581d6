// The plan geometry and its trace. The order of the operations in trace_run is the contract:
// with contraction off (no fused multiply-add) every machine gives the same doubles, and the
// geometry file the same bytes, whichever form the geometry is held in.
#include "base/geometria.h"

#include <algorithm>
#include <cassert>

namespace scenario {
namespace {

// Points in a trace: [point i - 2, point i - 1][coord].
using two_points = double[2][2];

// Traces `count` points after the two in `before`, handing each to store(i, x, y), and leaves
// the last two in `before` (turned_point, straight_coordinate). The two points before stay in
// registers: a long route traces a million points.
template <typename Store>
void trace_run(two_points& before, std::optional<double> k, std::size_t count, Store store) {
    double x2 = before[0][0];
    double y2 = before[0][1];
    double x1 = before[1][0];
    double y1 = before[1][1];
    if (k) {
        const double turn = *k;
        for (std::size_t i = 0; i < count; ++i) {
            double x = 0, y = 0;
            turned_point(x2, y2, x1, y1, turn, x, y);
            store(i, x, y);
            x2 = x1;
            y2 = y1;
            x1 = x;
            y1 = y;
        }
    } else {
        for (std::size_t i = 0; i < count; ++i) {
            const double x = straight_coordinate(x2, x1);
            const double y = straight_coordinate(y2, y1);
            store(i, x, y);
            x2 = x1;
            y2 = y1;
            x1 = x;
            y1 = y;
        }
    }
    before[0][0] = x2;
    before[0][1] = y2;
    before[1][0] = x1;
    before[1][1] = y1;
}

// Traces into the table: coordinate 0 at xs, coordinate 1 at ys.
void trace_into(two_points& before, std::optional<double> k, std::size_t count, double* xs,
                double* ys) {
    trace_run(before, k, count, [xs, ys](std::size_t i, double x, double y) {
        xs[i] = x;
        ys[i] = y;
    });
}

// The seed points 0 and 1, where every trace starts.
void start_at_seed(two_points& before) {
    for (int coord = 0; coord < 2; ++coord) {
        for (int metre = 0; metre < 2; ++metre) before[metre][coord] = k_seed[coord][metre];
    }
}

}  // namespace

geometria::tag geometria::kind(std::int32_t metre, int coord) const {
    if (tabled()) return tags_[index(metre, coord)];
    if (!seeded_ || metre > traced_to_) return tag::empty;
    return metre < 2 ? tag::integer : tag::real;
}

double geometria::value(std::int32_t metre, int coord) const {
    if (!tabled()) {
        if (!seeded_ || metre > traced_to_) return 0.0;
        if (metre < 2) return k_seed[coord][metre];
        build_table();
    }
    return values_[index(metre, coord)];
}

geometria::tag geometria::kind_at(std::size_t i) const {
    if (tabled()) return tags_[i];
    return kind(static_cast<std::int32_t>(i % metres()), static_cast<int>(i / metres()));
}

double geometria::value_at(std::size_t i) const {
    if (tabled()) return values_[i];
    return value(static_cast<std::int32_t>(i % metres()), static_cast<int>(i / metres()));
}

void geometria::set_integer(std::int32_t metre, int coord, std::int16_t v) {
    if (!tabled()) build_table();
    tags_[index(metre, coord)] = tag::integer;
    values_[index(metre, coord)] = v;
}

void geometria::set_real(std::int32_t metre, int coord, double v) {
    if (!tabled()) build_table();
    tags_[index(metre, coord)] = tag::real;
    values_[index(metre, coord)] = v;
}

void geometria::seed() {
    assert(last_metre_ >= 1);
    if (!tabled() && runs_.empty()) {
        seeded_ = true;
        return;
    }
    for (int coord = 0; coord < 2; ++coord) {
        for (std::int32_t metre = 0; metre < 2; ++metre) {
            set_integer(metre, coord, k_seed[coord][metre]);
        }
    }
}

void geometria::trace(std::int32_t first, std::int32_t last, std::optional<double> k) {
    if (first > last) return;
    assert(first >= 2 && last <= last_metre_);
    if (!tabled() && seeded_ && first == traced_to_ + 1) {
        runs_.push_back({last, k});
        traced_to_ = last;
        return;
    }
    if (!tabled()) build_table();
    two_points before = {{values_[index(first - 2, 0)], values_[index(first - 2, 1)]},
                         {values_[index(first - 1, 0)], values_[index(first - 1, 1)]}};
    const auto count = static_cast<std::size_t>(last - first + 1);
    trace_into(before, k, count, &values_[index(first, 0)], &values_[index(first, 1)]);
    for (int coord = 0; coord < 2; ++coord) {
        std::fill_n(tags_.begin() + static_cast<std::ptrdiff_t>(index(first, coord)), count,
                    tag::real);
    }
}

void geometria::build_table() const {
    tags_.assign(size(), tag::empty);
    values_.assign(size(), 0.0);
    if (!seeded_) return;
    for (int coord = 0; coord < 2; ++coord) {
        for (std::int32_t metre = 0; metre < 2; ++metre) {
            tags_[index(metre, coord)] = tag::integer;
            values_[index(metre, coord)] = k_seed[coord][metre];
        }
    }
    two_points before;
    start_at_seed(before);
    std::int32_t first = 2;
    for (const run& r : runs_) {
        const auto count = static_cast<std::size_t>(r.last - first + 1);
        trace_into(before, r.k, count, &values_[index(first, 0)], &values_[index(first, 1)]);
        for (int coord = 0; coord < 2; ++coord) {
            std::fill_n(tags_.begin() + static_cast<std::ptrdiff_t>(index(first, coord)), count,
                        tag::real);
        }
        first = r.last + 1;
    }
}

std::size_t geometria::reader::read(tag& kind, std::span<double> values) {
    const std::size_t n = std::min(values.size(), plan_.size() - next_);
    if (n == 0) return 0;
    if (!plan_.tabled()) return read_traced(kind, values.first(n));
    const auto first = plan_.tags_.begin() + static_cast<std::ptrdiff_t>(next_);
    kind = *first;
    const auto count =
        static_cast<std::size_t>(std::find_if(first, first + static_cast<std::ptrdiff_t>(n),
                                              [&](tag t) { return t != kind; }) -
                                 first);
    std::copy_n(plan_.values_.begin() + static_cast<std::ptrdiff_t>(next_), count, values.begin());
    next_ += count;
    return count;
}

// One stretch of one kind: the empty metres to the end of the coordinate, the seed, or traced
// points up to the end of their run.
std::size_t geometria::reader::read_traced(tag& kind, std::span<double> values) {
    const std::size_t metres = plan_.metres();
    const auto coord = static_cast<int>(next_ / metres);
    const auto metre = static_cast<std::int32_t>(next_ % metres);
    std::size_t count = 0;
    if (!plan_.seeded_ || metre > plan_.traced_to_) {
        kind = tag::empty;
        count = std::min(values.size(), metres - static_cast<std::size_t>(metre));
        std::fill_n(values.begin(), count, 0.0);
    } else if (metre < 2) {
        kind = tag::integer;
        count = std::min(values.size(), static_cast<std::size_t>(2 - metre));
        for (std::size_t i = 0; i < count; ++i) values[i] = k_seed[coord][metre + i];
        if (metre + static_cast<std::int32_t>(count) == 2) {
            start_at_seed(before_);
            run_ = 0;
        }
    } else {
        kind = tag::real;
        const run& r = plan_.runs_[run_];
        count = std::min(values.size(), static_cast<std::size_t>(r.last - metre + 1));
        double* out = values.data();
        if (coord == 0) {
            trace_run(before_, r.k, count, [out](std::size_t i, double x, double) { out[i] = x; });
        } else {
            trace_run(before_, r.k, count, [out](std::size_t i, double, double y) { out[i] = y; });
        }
        if (metre + static_cast<std::int32_t>(count) - 1 == r.last) ++run_;
    }
    next_ += count;
    return count;
}

}  // namespace scenario
