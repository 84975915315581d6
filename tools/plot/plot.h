// The picture of a compiled line that `scenario-tool plot` draws: the plan from the geometry on
// top, the profile along the kilometres under it, and a legend. Everything comes from the three
// binary files, read into the line model; the drawing reads no file and works out no meaning of
// its own.
//
// The route fills the drawing: the run-off after the route end is drawn as a short strip, not
// to scale, or, when the author asks for a stretch of kilometres, only that stretch is drawn.
// Every text goes through a label space (layout.h), so that no text covers another: texts that
// find no room are left out, in a fixed order of priority (stations first).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/positions.h"
#include "base/records.h"
#include "cli/decimal_text.h"
#include "model/line_model.h"
#include "plot/layout.h"
#include "plot/svg.h"

namespace scenario::tool {

// The three tables as read from their files; the drawing reads them through the line model
// (model/line_model.h), which refers to them.
struct plot_data {
    testata header;
    celle cells;
    std::optional<geometria> plan;  // absent when the line was compiled without geometry
    std::string title;              // UTF-8
};

// The stretch of the line a picture shows, in metres from the start of the line: `from` to `to`
// to scale, then, when `squeezed_to` lies beyond `to`, the run-off up to it in a narrow strip.
struct plot_window {
    double from = 0;
    double to = 0;
    double squeezed_to = 0;

    bool has_strip() const { return squeezed_to > to; }
    double end() const { return has_strip() ? squeezed_to : to; }
    bool shows(double m) const { return m >= from && m <= end(); }
    bool to_scale(double m) const { return m >= from && m <= to; }
};

// Where the line ends: the route and its run-off, as far as the cells reach.
double line_end(const line_model& model);
// The whole line: the route to scale, the run-off squeezed after it.
plot_window whole_line(const line_model& model);

// Colours and marks shared by the plan, the profile and the legend.
namespace plot_style {
inline constexpr const char* k_station = "#1f5fbf";
inline constexpr const char* k_signal = "#d62728";
inline constexpr const char* k_slow_order = "#ff7f0e";
inline constexpr const char* k_speed_board = "#2ca02c";
inline constexpr const char* k_sign = "#8c564b";
inline constexpr const char* k_value_mark = "#9467bd";
inline constexpr const char* k_speed = "#222222";
inline constexpr const char* k_limit = "#9a9a9a";
inline constexpr const char* k_gradient = "#6d6d6d";
inline constexpr const char* k_elevation = "#7a5230";
inline constexpr const char* k_curve = "#3c8d5a";
inline constexpr const char* k_adhesion = "#17becf";
inline constexpr const char* k_scenery = "#c7b299";
inline constexpr const char* k_run_off = "#999999";
}  // namespace plot_style

inline constexpr double k_plot_width = 1200;
inline constexpr double k_plot_height = 1600;

// The SVG being written and the boxes its texts take. Every text of the picture is written
// here, so that its box is known: `text` always draws and takes its box (titles, axes, legend),
// `label` draws only where the box is free.
class plot_canvas {
   public:
    plot_canvas(double width, double height) : svg(width, height) {}

    svg_writer svg;

    // The space labels of a panel are placed in; `area` bounds its optional labels.
    void begin_panel(box area) { space_.emplace(area); }
    label_space& space() { return *space_; }

    void text(double x, double baseline, std::string_view content, double size,
              text_anchor anchor = text_anchor::start, std::string_view style = "",
              bool bold = false);
    bool label(double x, double baseline, std::string_view content, double size,
               text_anchor anchor = text_anchor::start, std::string_view style = "");
    // A label beside the mark at x in the first lane with room, with its leader line; false
    // when it was left out.
    bool lane_label(double x, std::string_view content, double size, const lanes& rows,
                    std::string_view style = "", const char* leader_colour = "#999");
    // A label at the first free place of the candidates.
    bool label_at_first(const std::vector<label_spot>& candidates, std::string_view content,
                        double size, std::string_view style = "");

   private:
    void write_text(double x, double baseline, std::string_view content, double size,
                    text_anchor anchor, std::string_view style, bool bold);

    std::optional<label_space> space_;
};

// The start of the stretch a fill value of cell n covers (the inverse of p / 50).
inline double fill_metres(std::size_t n) {
    return static_cast<double>(cell_first_metre(static_cast<std::int64_t>(n)));
}

// The plan in the band from `top` to `bottom`; north up, one scale for both axes.
void draw_plan(plot_canvas& canvas, const line_model& model, const plot_window& window, double top,
               double bottom);

// The profile and the legend in the band from `top` to `bottom`.
void draw_profile(plot_canvas& canvas, const line_model& model, const plot_window& window,
                  double top, double bottom);

}  // namespace scenario::tool
