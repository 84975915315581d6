// The canvas of the plot: every text of the picture is written here with its anchor and font
// size spelt out, so that the box the layout reckoned is the box the text takes.
#include "plot/plot.h"

namespace scenario::tool {
namespace {

const char* anchor_name(text_anchor anchor) {
    switch (anchor) {
        case text_anchor::middle:
            return "middle";
        case text_anchor::end:
            return "end";
        case text_anchor::start:
            break;
    }
    return "start";
}

}  // namespace

void plot_canvas::write_text(double x, double baseline, std::string_view content, double size,
                             text_anchor anchor, std::string_view style, bool bold) {
    std::string attributes = std::string("text-anchor=\"") + anchor_name(anchor) +
                             "\" font-size=\"" + svg_writer::num(size) + "\"";
    if (bold) attributes += " font-weight=\"bold\"";
    if (!style.empty()) attributes += " " + std::string(style);
    svg.text(x, baseline, content, attributes);
}

void plot_canvas::text(double x, double baseline, std::string_view content, double size,
                       text_anchor anchor, std::string_view style, bool bold) {
    if (space_) space_->take(text_box(x, baseline, content, size, anchor, bold));
    write_text(x, baseline, content, size, anchor, style, bold);
}

bool plot_canvas::label(double x, double baseline, std::string_view content, double size,
                        text_anchor anchor, std::string_view style) {
    if (!space_ || !space_->try_take(text_box(x, baseline, content, size, anchor))) return false;
    write_text(x, baseline, content, size, anchor, style, false);
    return true;
}

bool plot_canvas::lane_label(double x, std::string_view content, double size, const lanes& rows,
                             std::string_view style, const char* leader_colour) {
    if (!space_) return false;
    const std::optional<placed_label> placed = place_in_lanes(*space_, x, content, size, rows);
    if (!placed) return false;
    if (placed->leader.bottom > placed->leader.top) {
        svg.line(x, placed->leader.top, x, placed->leader.bottom,
                 std::string("stroke=\"") + leader_colour + "\" stroke-width=\"0.7\"");
    }
    write_text(placed->x, placed->baseline, content, size, placed->anchor, style, false);
    return true;
}

bool plot_canvas::label_at_first(const std::vector<label_spot>& candidates,
                                 std::string_view content, double size, std::string_view style) {
    if (!space_) return false;
    const std::optional<label_spot> spot = place_first_free(*space_, candidates, content, size);
    if (!spot) return false;
    write_text(spot->x, spot->baseline, content, size, spot->anchor, style, false);
    return true;
}

}  // namespace scenario::tool
