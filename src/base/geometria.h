// The per-metre plan geometry of the line, and how its traced points follow from one another.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace scenario {

// The seeded values, k_seed[coord][metre]: points 0 and 1 are (0, 0) and (0, 1), so the route
// starts at the origin heading along coordinate 1 with steps of 1 m.
inline constexpr std::int16_t k_seed[2][2] = {{0, 0}, {0, 1}};

// The curvatures a curve record traces with, in radians per metre, by the digit its keyword
// holds ("curvad4" turns 0.001 to the right, "curvas4" as much to the left): the line pass reads
// a keyword by this table, and a reader of the geometry tells which keyword traced a curve by it.
struct curve_class {
    std::string_view digit;
    double k = 0;
};
inline constexpr std::array<curve_class, 6> k_curve_classes = {{
    {"1", 0.0001},
    {"2", 0.0002},
    {"3", 0.0004},
    {"4", 0.001},
    {"5", 0.002},
    {"6", 0.003},
}};

// The arithmetic of one traced point i from the points i - 2 and i - 1, coordinate by coordinate.
// The order of the operations is the contract: with contraction off (no fused multiply-add)
// every machine gives the same doubles. A straight point adds the last step as it is (adding a
// zero turn could change the sign of a zero coordinate); a turned point rotates the last step,
// to first order, by k radians, and the step is never re-normalised.
inline double straight_coordinate(double before, double last) { return last + (last - before); }
inline void turned_point(double x2, double y2, double x1, double y1, double k, double& x,
                         double& y) {
    const double d0 = x1 - x2;
    const double d1 = y1 - y2;
    x = x1 + (d1 * k + d0);
    y = y1 + (d1 - d0 * k);
}

// The per-metre plan geometry: two coordinates for every metre 0 to lunghezza_dim, each a
// tagged value (empty, 16-bit integer or double). Coordinate 0 of every metre comes first,
// then coordinate 1, as in the file. Integers are held as their exact double value.
//
// It is held in one of two forms. The line pass builds it in order: the seed (metres 0 and 1),
// then runs of traced points from metre 2 on, each point following from the two before it.
// Built only so, it is held as those runs, a few bytes per curve record whatever the length of
// the route, and its points are traced afresh whenever they are read: the geometry of the
// longest route goes to its file without ever being held whole. Any other change (an element
// set on its own, as a reader of the file does) turns it into a table of every element. So does
// the first read of a traced value through `value` or `value_at`, which builds the table once
// (so those two are not for concurrent use); `kind`, `kind_at` and `reader` never build it.
class geometria {
   public:
    enum class tag : std::uint8_t { empty = 0, integer = 2, real = 5 };

    geometria() = default;
    // Metres 0 to last_metre, every element empty.
    explicit geometria(std::int32_t last_metre) : last_metre_(last_metre) {}

    bool allocated() const { return last_metre_ >= 0; }
    std::int32_t last_metre() const { return last_metre_; }
    std::size_t size() const { return 2 * metres(); }

    tag kind(std::int32_t metre, int coord) const;
    double value(std::int32_t metre, int coord) const;
    void set_integer(std::int32_t metre, int coord, std::int16_t v);
    void set_real(std::int32_t metre, int coord, double v);

    // Elements in file order (first index fastest).
    tag kind_at(std::size_t i) const;
    double value_at(std::size_t i) const;

    // Metres 0 and 1 of both coordinates: the integers of k_seed.
    void seed();
    // Traces metres first to last (first at least 2, last at most last_metre), each point from
    // the two before it: straight without k, else turned by k radians.
    void trace(std::int32_t first, std::int32_t last, std::optional<double> k);

    // The elements in file order, a block at a time. A geometry in its traced form is traced
    // afresh, once for each coordinate, into the caller's block: nothing else is allocated.
    class reader {
       public:
        explicit reader(const geometria& plan) : plan_(plan) {}
        // The next elements, all of one kind (given in `kind`), at most as many as `values`
        // holds, with their values (0 for an empty element); 0 at the end.
        std::size_t read(tag& kind, std::span<double> values);

       private:
        std::size_t read_traced(tag& kind, std::span<double> values);

        const geometria& plan_;
        std::size_t next_ = 0;  // the next element, in file order
        // The trace of the current coordinate: the run the next traced point belongs to, and
        // the two points before it (coordinate 0 and 1 of each).
        std::size_t run_ = 0;
        double before_[2][2] = {};  // [point i - 2, point i - 1][coord]
    };

   private:
    // A run of traced points ends at `last` and follows the run before it (or the seed).
    struct run {
        std::int32_t last = 0;
        std::optional<double> k;
    };

    std::size_t metres() const { return static_cast<std::size_t>(last_metre_ + 1); }
    std::size_t index(std::int32_t metre, int coord) const {
        return static_cast<std::size_t>(coord) * metres() + static_cast<std::size_t>(metre);
    }
    bool tabled() const { return !tags_.empty(); }
    // The table of every element, built from the traced form the first time it is needed.
    void build_table() const;

    std::int32_t last_metre_ = -1;
    // The traced form: the seed, then the runs from metre 2 to traced_to_.
    bool seeded_ = false;
    std::vector<run> runs_;
    std::int32_t traced_to_ = 1;
    // The table form, in file order; empty while the geometry keeps its traced form.
    mutable std::vector<tag> tags_;
    mutable std::vector<double> values_;
};

}  // namespace scenario
