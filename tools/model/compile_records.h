// Which record of a compile made each thing the model reads back from the cells, the header
// table and the plan: the records the compile ran, looked up by where their keyword stands and
// by name, and the rules that tie a record to what it left behind where no cell names it (the
// runs of a fill, a station's header entry, a curve of the plan).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string_view>
#include <tuple>
#include <vector>

#include "base/record_kinds.h"
#include "compile/compiler.h"
#include "model/cell_fills.h"

namespace scenario::tool {

class compile_records {
   public:
    explicit compile_records(const compile_diagnostics& diagnostics);

    // Which record placed the feature a cell holds: where its keyword stands.
    std::optional<text_position> placed(std::size_t cell) const;
    // The record whose keyword stands at `at`, when the compile kept it (it keeps at most
    // compile_diagnostics::k_max_records).
    const compiled_record* at(const std::optional<text_position>& at) const;
    // The first record run whose keyword is on this line of a text.
    const compiled_record* on_line(description_text text, std::int32_t line) const;
    // The records run under a name, in the order they ran.
    const std::vector<const compiled_record*>& of_kind(record_kind kind) const;

    // The record that set a charted run of the gradient or the speed limit: the last record of
    // its kind laid at or before the run's first cell with the run's value. Nothing for the
    // other fills.
    const compiled_record* run_setter(cell_fill fill, const fill_run& run) const;
    // The station record of a header entry: stations fill the entries from 1 in the order their
    // records run, each with its own position.
    const compiled_record* station(int entry, std::int32_t position) const;
    // The curve record that traced a curve starting at `from`: the first one run whose stretch
    // holds that metre.
    const compiled_record* curve(double from) const;

   private:
    const compile_diagnostics& diagnostics_;
    std::map<std::tuple<description_text, std::int32_t, std::int32_t>, std::size_t> by_place_;
    std::map<record_kind, std::vector<const compiled_record*>> by_kind_;
};

}  // namespace scenario::tool
