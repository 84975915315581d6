#include "model/cell_reading.h"

#include <algorithm>

namespace scenario::tool {
namespace {

constexpr int k_marks = 4;  // approach marks 1 to 4

}  // namespace

route_end route_end_of(const celle& cells, const testata* header) {
    route_end end;
    end.last_cell = static_cast<std::int64_t>(cells.size()) - 1;
    end.from_header = header != nullptr;
    end.length = header ? (*header)[k_entry_treno].v_b : route_length_of_cells(end.last_cell);
    end.first_run_off_cell = cell_holding(end.length);
    return end;
}

bool spacing_mark(const cella& c) {
    return kind_of(c) == cell_kind::value_mark && c.val1 == k_spacing_mark_value;
}

std::optional<std::int64_t> named_metre(const cella& c, std::size_t n, const testata* header) {
    const cell_kind_descriptor kind = describe(c);
    if (!kind.record_position || spacing_mark(c)) return std::nullopt;
    const auto cell = static_cast<std::int64_t>(n);
    switch (kind.place) {
        case cell_place::point:
            return point_position(cell);
        case cell_place::fill:
            return fill_position(cell);
        case cell_place::platform_end:
            break;
    }
    // A stop lies by its platform's end; the station's own position is in its header entry.
    if (!header || c.val1 < 1 || c.val1 > k_first_sign_entry) return std::nullopt;
    const voce& station = (*header)[static_cast<std::size_t>(c.val1)];
    if (station == voce{}) return std::nullopt;
    return station.v_c;
}

std::optional<std::vector<record_item>> record_items(const cella& c) {
    const cell_kind_descriptor kind = describe(c);
    std::vector<record_item> read;
    for (const cell_value_field& f : kind.fields) {
        const auto values = decode_field(f, field_value(c, f.field));
        if (!values) return std::nullopt;
        for (int i = 0; i < items_of(f.code); ++i) {
            const auto at = static_cast<std::size_t>(i);
            read.push_back({f.items[at], (*values)[at], f.code});
        }
    }
    // In the record's order, which the table lists.
    std::vector<record_item> ordered;
    for (const std::string_view name : kind.items) {
        const auto found = std::find_if(read.begin(), read.end(),
                                        [&](const record_item& item) { return item.name == name; });
        if (found != read.end()) ordered.push_back(*found);
    }
    return ordered;
}

std::optional<std::int32_t> first_board_speed(const cella& c) {
    const cell_kind_descriptor kind = describe(c);
    if (kind.values != cell_values::board_speeds) return std::nullopt;
    const cell_value_field& first = kind.fields.front();
    const auto read = decode_field(first, field_value(c, first.field));
    if (!read) return std::nullopt;
    return (*read)[0];
}

std::string item_value_text(const record_item& item) {
    switch (item.code) {
        case value_code::kmh:
            return std::to_string(item.value) + " km/h";
        case value_code::board_speed:
            // The first of the pair is the first side's speed; both are km/h.
            return std::to_string(item.value) + " km/h";
        case value_code::flag:
            return item.value != 0 ? "diverso da 0" : "0";
        default:
            return std::to_string(item.value);
    }
}

std::string item_text(const record_item& item) {
    std::string text(item.name);
    text += ' ';
    return text + item_value_text(item);
}

std::vector<approach_mark_reading> approach_marks_of(const celle& cells) {
    std::vector<approach_mark_reading> marks;
    for (std::size_t k = 0; k < cells.size(); ++k) {
        const std::uint8_t mark = cells[k].preavviso;
        if (mark == 0) continue;
        approach_mark_reading reading{k, mark, mark % 10, {}};
        if (reading.j >= 1 && reading.j <= k_marks) {
            for (const approach_marks laid :
                 {approach_marks::every_cell, approach_marks::every_second_cell}) {
                const std::size_t owner =
                    k + static_cast<std::size_t>(approach_mark_distance(laid, reading.j));
                if (owner >= cells.size() || describe(cells[owner]).marks != laid) continue;
                if (approach_mark(cells[owner], reading.j) == mark) reading.owners.push_back(owner);
            }
        }
        marks.push_back(std::move(reading));
    }
    return marks;
}

std::vector<std::size_t> marks_laid_by(const std::vector<approach_mark_reading>& marks,
                                       std::size_t owner) {
    std::vector<std::pair<int, std::size_t>> laid;
    for (const approach_mark_reading& m : marks) {
        if (std::find(m.owners.begin(), m.owners.end(), owner) != m.owners.end()) {
            laid.emplace_back(m.j, m.cell);
        }
    }
    std::sort(laid.begin(), laid.end());
    std::vector<std::size_t> cells;
    for (const auto& [j, cell] : laid) cells.push_back(cell);
    return cells;
}

}  // namespace scenario::tool
