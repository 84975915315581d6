#include "model/compile_records.h"

#include "base/positions.h"

namespace scenario::tool {
namespace {

auto place_key(const text_position& at) {
    return std::tuple(at.text, at.where.line, at.where.column);
}

// The value a gradient or speed limit record leaves in the cells: the gradient in ‰, the limit
// in the cells' steps of 5 km/h.
double value_laid(cell_fill fill, const compiled_record& r) {
    if (fill == cell_fill::gradient) return r.values[1];
    return nearest(r.values[1] / 5.0) * 5.0;
}

}  // namespace

compile_records::compile_records(const compile_diagnostics& diagnostics)
    : diagnostics_(diagnostics) {
    for (std::size_t i = 0; i < diagnostics_.records.size(); ++i) {
        by_place_.emplace(place_key(diagnostics_.records[i].at), i);
        by_kind_[diagnostics_.records[i].kind].push_back(&diagnostics_.records[i]);
    }
}

std::optional<text_position> compile_records::placed(std::size_t cell) const {
    return diagnostics_.placed_by(static_cast<std::int64_t>(cell));
}

const compiled_record* compile_records::at(const std::optional<text_position>& at) const {
    if (!at) return nullptr;
    const auto found = by_place_.find(place_key(*at));
    return found == by_place_.end() ? nullptr : &diagnostics_.records[found->second];
}

const compiled_record* compile_records::on_line(description_text text, std::int32_t line) const {
    const auto first = by_place_.lower_bound(std::tuple(text, line, 0));
    if (first == by_place_.end() || std::get<0>(first->first) != text ||
        std::get<1>(first->first) != line) {
        return nullptr;
    }
    return &diagnostics_.records[first->second];
}

const std::vector<const compiled_record*>& compile_records::of_kind(record_kind kind) const {
    static const std::vector<const compiled_record*> k_none;
    const auto found = by_kind_.find(kind);
    return found == by_kind_.end() ? k_none : found->second;
}

const compiled_record* compile_records::run_setter(cell_fill fill, const fill_run& run) const {
    if (fill != cell_fill::gradient && fill != cell_fill::speed_limit) return nullptr;
    const double run_from =
        static_cast<double>(cell_first_metre(static_cast<std::int64_t>(run.first)));
    const compiled_record* setter = nullptr;
    for (const compiled_record* candidate :
         of_kind(fill == cell_fill::gradient ? record_kind::gradient : record_kind::speed)) {
        if (candidate->values.size() < 2) continue;
        const auto from = static_cast<double>(cell_first_metre(fill_cell(candidate->values[0])));
        if (from <= run_from && value_laid(fill, *candidate) == run.value) setter = candidate;
    }
    return setter;
}

const compiled_record* compile_records::station(int entry, std::int32_t position) const {
    const std::vector<const compiled_record*>& stations = of_kind(record_kind::station);
    if (entry < 1 || static_cast<std::size_t>(entry) > stations.size()) return nullptr;
    const compiled_record* record = stations[static_cast<std::size_t>(entry - 1)];
    if (record->values.empty() || record->values[0] != position) return nullptr;
    return record;
}

const compiled_record* compile_records::curve(double from) const {
    for (const compiled_record* r : of_kind(record_kind::curve)) {
        // Without geometry the pass reads no value of a curve record.
        if (r->values.size() < 2) continue;
        const std::int64_t start = r->values[0];
        if (start <= from && from < start + r->values[1]) return r;
    }
    return nullptr;
}

}  // namespace scenario::tool
