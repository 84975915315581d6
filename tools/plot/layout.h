// Placing the texts of a drawing so that none covers another: the box a text takes (estimated
// from its font size and its count of characters, with no font at hand), a space that remembers
// the boxes already taken, label placement beside a mark in a few lanes with a leader line, and
// axis ticks at round values. Nothing here writes SVG: the plot asks where, then draws.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace scenario::tool {

// A rectangle on the page, y growing downward.
struct box {
    double left = 0, top = 0, right = 0, bottom = 0;

    bool overlaps(const box& other) const {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
    bool inside(const box& outer) const {
        return left >= outer.left && right <= outer.right && top >= outer.top &&
               bottom <= outer.bottom;
    }
};

enum class text_anchor { start, middle, end };

// How wide a character of the drawing's sans-serif font is, in ems, taken generously: digits and
// most letters of DejaVu Sans are narrower. Bold text is wider.
inline constexpr double k_char_width = 0.64;
inline constexpr double k_bold_char_width = 0.72;
// Above and below the baseline, in ems.
inline constexpr double k_text_ascent = 0.8;
inline constexpr double k_text_descent = 0.25;

// The characters of a UTF-8 text (its code points).
std::size_t character_count(std::string_view utf8);

// The box of one line of text written at (x, baseline) with this anchor and font size.
box text_box(double x, double baseline, std::string_view utf8, double font_size, text_anchor anchor,
             bool bold = false);

// The boxes already taken on a page, and the area optional labels must stay within. Boxes are
// filed by columns of the page, so a drawing with thousands of labels stays quick.
class label_space {
   public:
    explicit label_space(box area);

    // Whether a box lies inside the area and clear of every box taken, with `gap` to spare.
    bool fits(const box& b, double gap = 1.5) const;
    // Marks a box as taken, whether it fits or not (titles, axis labels: texts always drawn).
    void take(const box& b);
    // Takes the box when it fits; says whether it did.
    bool try_take(const box& b, double gap = 1.5);

    const box& area() const { return area_; }

   private:
    std::size_t column(double x) const;

    box area_;
    std::vector<std::vector<box>> columns_;
};

// Rows of labels beside a row of marks: lane 0 nearest the marks, each further lane `step`
// farther away (upward when `step` is negative). A label in any lane hangs on a leader line from
// the mark's edge, and the leader must cross no label either.
struct lanes {
    double mark_edge = 0;       // where a leader leaves the mark
    double first_baseline = 0;  // the baseline of lane 0
    double step = 0;            // from one lane's baseline to the next
    int count = 1;
};

struct placed_label {
    double x = 0, baseline = 0;
    text_anchor anchor = text_anchor::start;
    int lane = 0;
    box leader;  // the leader line's extent: x at left == right, from the mark to the label
};

// Puts a label for the mark at `x` in the nearest lane where it fits, beginning just after the
// mark (or, when the area ends before the text does, ending just before it), and takes its box
// and its leader. Nothing when no lane has room: the caller leaves the label out.
std::optional<placed_label> place_in_lanes(label_space& space, double x, std::string_view text,
                                           double font_size, const lanes& rows);

// A label at the first of the candidate places that fits, taking its box; nothing when none.
struct label_spot {
    double x = 0, baseline = 0;
    text_anchor anchor = text_anchor::start;
};
std::optional<label_spot> place_first_free(label_space& space,
                                           const std::vector<label_spot>& candidates,
                                           std::string_view text, double font_size);

// The round step (1, 2 or 5 times a power of ten) that cuts `span` into at most `most` parts,
// and at least `least_step`.
double round_step(double span, int most, double least_step = 0);

// The multiples of `step` from `from` to `to`, both included when they are multiples.
std::vector<double> ticks(double from, double to, double step);

}  // namespace scenario::tool
