// Two compiled lines compared in the author's terms: what was added, taken away, moved or
// changed among the stations and the features of the cells, the stretches where a fill differs,
// the curves of the plan, the header values, and how far apart the two plans lie. Every meaning
// is read from the line model of each side; this only pairs and words them.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/json.h"
#include "model/line_model.h"

namespace scenario::tool {

// The kinds of change, in the order the report shows them.
enum class change_group : std::uint8_t {
    stations,
    signals,
    slow_orders,
    boards,
    signs,
    marks,
    speed_limits,
    gradients,
    adhesion,
    curves,
    header,
};
inline constexpr std::size_t k_change_groups = 11;

// One difference: a line of the text report and its member of the JSON report.
struct change {
    std::string text;
    json data;
};

// How the two plans compare: point by point, metre by metre, where both have one.
struct plan_comparison {
    bool first_has_plan = false, second_has_plan = false;
    double greatest_distance = 0;                    // metres
    std::optional<std::int32_t> at_metre;            // where it is greatest
    std::int32_t first_last = -1, second_last = -1;  // the last metre of each plan

    bool compared() const { return first_has_plan && second_has_plan; }
    bool differs() const;
};

struct line_diff {
    std::array<std::vector<change>, k_change_groups> groups;
    plan_comparison plan;

    std::vector<change>& operator[](change_group g) { return groups[static_cast<std::size_t>(g)]; }
    const std::vector<change>& operator[](change_group g) const {
        return groups[static_cast<std::size_t>(g)];
    }
    bool any() const;
};

// What changed from `first` to `second`.
line_diff compare_lines(const line_model& first, const line_model& second);

// The report as text, a heading for each kind of change that has any, or "nessuna differenza".
void diff_text(const line_diff& diff, std::ostream& out);
// The report as one JSON document: a member for each kind, an array (empty when nothing
// changed), and "plan", an object.
json diff_json(const line_diff& diff);

}  // namespace scenario::tool
