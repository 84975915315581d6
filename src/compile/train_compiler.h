// The working state of one train pass and its steps, shared by train_pass.cpp (the main loop,
// the cursors, the signal and slow-order records, the end of the text) and train_stations.cpp
// (the station records). Only train_pass() uses it; nothing outside the compiler should.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "compile/compile_support.h"
#include "compile/compiler.h"
#include "compile/record_scanner.h"

namespace scenario {

class train_compiler {
   public:
    // Reads the text through `reader`. Throws compile_fault when the cells do not exist.
    train_compiler(run_state& state, description_source& texts, item_reader& reader,
                   std::int32_t prossimo_cartello, compile_diagnostics* diagnostics);

    // Reads the whole text; returns after the end-of-text steps or a hard stop. A run-time
    // failure escapes as compile_fault.
    void run();
    // run, and a run-time failure reported at the record or value it was met in.
    void run_reporting();

   private:
    using outcome = record_outcome;

    void skip_preamble();
    outcome run_record(record_kind which);

    outcome speed_record();
    outcome adhesion_record();
    outcome place_signal();
    outcome place_slow_order();
    outcome abatement_record();
    outcome station_record();
    void read_station_details(voce& entry);
    void set_platform_extent(voce& entry, std::int32_t p, std::int32_t length) const;
    outcome mark_stop(voce& entry, std::int32_t p);
    outcome placed(const placement& result, std::int32_t position);
    outcome value_fault(fault_code code, std::int32_t p, std::size_t index);

    bool beyond_cells(std::int32_t position, std::int32_t margin) const;
    void check_order(record_kind record, order_check& previous, std::int32_t position);
    // A value of the record (number `index`) that the file holds otherwise than written.
    void warn_value(std::size_t index, warning_code code, std::int64_t written, std::int64_t held);
    void warn_beyond_end(record_kind record, std::int64_t metres);
    std::uint8_t fifth_of_limit() const;
    void write_limit(std::int64_t cell);
    void write_adhesion(std::int64_t cell);

    // A position past the cells (with the margin of its record kind) or a cell outside them.
    outcome soft_stop(std::int32_t position, std::int32_t margin);
    outcome soft_stop_at_cell(std::int32_t position, std::int64_t cell);
    outcome soft_stop(found_fault fault);
    // The code of the current record, with its position when it carries one.
    outcome hard_stop(fault_code code, std::optional<std::int32_t> position);
    outcome hard_stop(found_fault fault);
    void finish();
    void check_progressives();

    run_state& state_;
    description_source& texts_;
    item_reader& reader_;
    record_scanner scanner_;
    const std::int32_t prossimo_cartello_;
    compile_diagnostics* const diagnostics_;
    const std::int64_t last_cell_;  // U, the upper bound of the cells

    std::int64_t station_ = 1;  // k, the entry the next station fills
    std::int64_t speed_cursor_ = 0;
    std::int64_t adhesion_cursor_ = 0;
    std::int32_t current_limit_ = 0;
    std::int32_t current_adhesion_ = 0;
    order_check speeds_;
    order_check adhesions_;
    order_check stations_;
    source_location last_station_at_;  // the keyword of the station record before
};

}  // namespace scenario
