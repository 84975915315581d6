// Label boxes, the space of taken boxes, lane placement and round ticks (see layout.h).
#include "plot/layout.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace scenario::tool {
namespace {

constexpr double k_column_width = 64;
constexpr std::size_t k_columns = 64;
// Between a mark and the label that begins beside it.
constexpr double k_label_offset = 2;
// Half the width a leader line keeps clear.
constexpr double k_leader_half_width = 0.6;

box inflated(const box& b, double by) {
    return {b.left - by, b.top - by, b.right + by, b.bottom + by};
}

}  // namespace

std::size_t character_count(std::string_view utf8) {
    // Every byte but the continuation bytes (10xxxxxx) begins a character.
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

box text_box(double x, double baseline, std::string_view utf8, double font_size, text_anchor anchor,
             bool bold) {
    const double width = static_cast<double>(character_count(utf8)) * font_size *
                         (bold ? k_bold_char_width : k_char_width);
    double left = x;
    if (anchor == text_anchor::middle) left = x - width / 2;
    if (anchor == text_anchor::end) left = x - width;
    return {left, baseline - k_text_ascent * font_size, left + width,
            baseline + k_text_descent * font_size};
}

label_space::label_space(box area) : area_(area), columns_(k_columns) {}

std::size_t label_space::column(double x) const {
    if (!(x > 0)) return 0;
    return std::min(k_columns - 1, static_cast<std::size_t>(x / k_column_width));
}

bool label_space::fits(const box& b, double gap) const {
    if (!b.inside(area_)) return false;
    const box wide = inflated(b, gap);
    for (std::size_t c = column(wide.left); c <= column(wide.right); ++c) {
        for (const box& taken : columns_[c]) {
            if (wide.overlaps(taken)) return false;
        }
    }
    return true;
}

void label_space::take(const box& b) {
    for (std::size_t c = column(b.left); c <= column(b.right); ++c) columns_[c].push_back(b);
}

bool label_space::try_take(const box& b, double gap) {
    if (!fits(b, gap)) return false;
    take(b);
    return true;
}

std::optional<placed_label> place_in_lanes(label_space& space, double x, std::string_view text,
                                           double font_size, const lanes& rows) {
    for (int lane = 0; lane < rows.count; ++lane) {
        const double baseline = rows.first_baseline + rows.step * lane;
        text_anchor anchor = text_anchor::start;
        box label = text_box(x + k_label_offset, baseline, text, font_size, anchor);
        if (label.right > space.area().right) {
            anchor = text_anchor::end;
            label = text_box(x - k_label_offset, baseline, text, font_size, anchor);
        }
        // The leader runs from the mark's edge to the near edge of the label.
        const double near_edge = rows.step < 0 ? label.bottom : label.top;
        box leader{x - k_leader_half_width, std::min(near_edge, rows.mark_edge),
                   x + k_leader_half_width, std::max(near_edge, rows.mark_edge)};
        if (!space.fits(label)) continue;
        const bool has_leader = leader.bottom - leader.top >= 1;
        if (has_leader && !space.fits(leader, 0.5)) continue;
        space.take(label);
        if (has_leader)
            space.take(leader);
        else
            leader.top = leader.bottom = rows.mark_edge;
        return placed_label{anchor == text_anchor::start ? x + k_label_offset : x - k_label_offset,
                            baseline, anchor, lane, leader};
    }
    return std::nullopt;
}

std::optional<label_spot> place_first_free(label_space& space,
                                           const std::vector<label_spot>& candidates,
                                           std::string_view text, double font_size) {
    for (const label_spot& spot : candidates) {
        if (space.try_take(text_box(spot.x, spot.baseline, text, font_size, spot.anchor))) {
            return spot;
        }
    }
    return std::nullopt;
}

double round_step(double span, int most, double least_step) {
    if (!(span > 0) || most < 1) return least_step > 0 ? least_step : 1;
    const double raw = span / most;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = 10 * power;
    for (const double m : std::array{1.0, 2.0, 5.0}) {
        if (m * power >= raw * (1 - 1e-9)) {
            step = m * power;
            break;
        }
    }
    return std::max(step, least_step);
}

std::vector<double> ticks(double from, double to, double step) {
    std::vector<double> out;
    if (!(step > 0) || to < from) return out;
    const double first = std::ceil(from / step - 1e-9);
    const double last = std::floor(to / step + 1e-9);
    for (double k = first; k <= last; ++k) {
        const double v = k * step;
        out.push_back(v == 0 ? 0.0 : v);  // never -0
    }
    return out;
}

}  // namespace scenario::tool
