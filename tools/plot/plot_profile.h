// The pieces of the profile panel shared by its rows (plot_profile.cpp) and its charts
// (plot_charts.cpp): the kilometre axis from metres to the page, and the rows under it, each
// drawn from a given top and returning where it ends.
#pragma once

#include <string_view>

#include "plot/plot.h"

namespace scenario::tool {

// Metres along the track to the page: the window's stretch to scale from x0 to scale_end, then
// the squeezed run-off (when the window has one) in a strip from strip_left to strip_right.
struct profile_axis {
    plot_window w;
    double x0 = 120, scale_end = 0, strip_left = 0, strip_right = 0;

    profile_axis(const plot_window& window, double left, double right);
    // The page x of a metre; metres outside the window stand at its edges.
    double x(double m) const;
    // Whether a metre is drawn at all, and whether it is drawn to scale (not in the strip).
    bool shows(double m) const { return w.shows(m); }
    bool to_scale(double m) const { return w.to_scale(m); }
    // The first and the last metre drawn.
    double first() const { return w.from; }
    double last() const { return w.end(); }
};

inline constexpr double k_row_title_x = 10;

// A row's name at the left margin, in bold, and its unit under it.
void row_title(plot_canvas& canvas, double baseline, std::string_view title,
               std::string_view unit = "");

std::string fill_of(const char* colour);
std::string stroke_of(const char* colour, double width = 1.5);

// The charts and bands under the rows of marks, from `top`: the bands and the adhesion chart
// take the heights below, the other charts reach down to `bottom`.
inline constexpr double k_curvature_height = 94;
inline constexpr double k_adhesion_height = 44;
inline constexpr double k_scenery_height = 16;
void curvature_band(plot_canvas& canvas, const line_model& m, const profile_axis& a, double top);
void speed_chart(plot_canvas& canvas, const line_model& m, const profile_axis& a, double top,
                 double bottom);
void gradient_chart(plot_canvas& canvas, const line_model& m, const profile_axis& a, double top,
                    double bottom);
void elevation_chart(plot_canvas& canvas, const line_model& m, const profile_axis& a, double top,
                     double bottom);
void adhesion_chart(plot_canvas& canvas, const line_model& m, const profile_axis& a, double top);
void scenery_band(plot_canvas& canvas, const line_model& m, const profile_axis& a, double top);

// The kilometre grid behind the rows, from `top` to `bottom`, and the axis with its labels at
// `bottom`; the axis returns where its labels end.
void km_grid(plot_canvas& canvas, const profile_axis& a, double top, double bottom);
double km_axis(plot_canvas& canvas, const profile_axis& a, double y);

}  // namespace scenario::tool
