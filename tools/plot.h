// The picture of a compiled line that `scenario-tool plot` draws: the plan from the geometry on
// top, the profile along the kilometres under it, and a legend. Everything comes from the three
// binary files; the drawing reads no file itself.
#pragma once

#include <optional>
#include <string>

#include "base/positions.h"
#include "base/records.h"
#include "svg.h"

namespace scenario::tool {

struct plot_data {
    testata header;
    celle cells;
    std::optional<geometria> plan;  // absent when the line was compiled without geometry
    std::string title;              // UTF-8
};

// Colours and marks shared by the plan, the profile and the legend.
namespace plot_style {
inline constexpr const char* k_station = "#1f5fbf";
inline constexpr const char* k_signal = "#d62728";
inline constexpr const char* k_slow_order = "#ff7f0e";
inline constexpr const char* k_speed_board = "#2ca02c";
inline constexpr const char* k_sign = "#8c564b";
inline constexpr const char* k_value_mark = "#9467bd";
inline constexpr const char* k_speed = "#222222";
inline constexpr const char* k_gradient = "#6d6d6d";
inline constexpr const char* k_adhesion = "#17becf";
inline constexpr const char* k_scenery = "#c7b299";
}  // namespace plot_style

inline constexpr double k_plot_width = 1200;
inline constexpr double k_plot_height = 1600;

// The plan in the band from `top` to `bottom`; north up, one scale for both axes.
void draw_plan(svg_writer& svg, const plot_data& data, double top, double bottom);

// The profile and the legend in the band from `top` to `bottom`.
void draw_profile(svg_writer& svg, const plot_data& data, double top, double bottom);

// The position in metres of a point feature on cell n (the inverse of p / 50 + 1), and the
// start of the stretch a fill value of cell n covers (the inverse of p / 50).
inline double point_metres(std::size_t n) {
    return static_cast<double>(point_position(static_cast<std::int64_t>(n)));
}
inline double fill_metres(std::size_t n) {
    return static_cast<double>(cell_first_metre(static_cast<std::int64_t>(n)));
}

// The route length recorded in the header table (entry 84), or the cells' length when it is 0.
double route_length(const plot_data& data);

}  // namespace scenario::tool
