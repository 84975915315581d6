// The working state of one train pass and its steps, shared by train_pass.cpp (the main loop,
// the cursors, the signal and slow-order records, the end of the text) and train_stations.cpp
// (the station records). Only train_pass() uses it; nothing outside the compiler should.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "compile/compiler.h"

namespace scenario {

class train_compiler {
   public:
    enum class record_kind {
        braked_mass,
        cars,
        speed,
        adhesion,
        clock,
        sand,
        signal,
        slow_order,
        abatement,
        station
    };

    // Reads the text through `reader`. Throws compile_fault when the cells do not exist.
    train_compiler(run_state& state, description_source& texts, item_reader& reader,
                   std::int32_t prossimo_cartello, compile_diagnostics* diagnostics);

    // Reads the whole text; returns after the end-of-text steps or a hard stop. A run-time
    // failure escapes as compile_fault.
    void run();

   private:
    enum class outcome { go_on, soft_stop, hard_stop };

    void skip_preamble();
    bool take_item();
    bool next_keyword();
    outcome examine();
    outcome run_record(record_kind which);

    outcome speed_record();
    outcome adhesion_record();
    outcome signal_record();
    outcome slow_order_record();
    outcome abatement_record();
    outcome station_record();
    void read_station_details(voce& entry);
    void set_platform_extent(voce& entry, std::int32_t p, std::int32_t length) const;
    outcome mark_stop(voce& entry, std::int32_t p);

    bool beyond_cells(std::int32_t position, std::int32_t margin) const;
    void check_order(const char* record, std::optional<std::int32_t>& previous,
                     std::int32_t position);
    std::uint8_t fifth_of_limit() const;
    void write_limit(std::int64_t cell);
    void write_adhesion(std::int64_t cell);

    outcome soft_stop(std::int32_t position);
    outcome hard_stop(std::int32_t code, std::optional<std::int32_t> position);
    void note(std::string message);
    void finish();
    void check_progressives();

    run_state& state_;
    description_source& texts_;
    item_reader& reader_;
    const std::int32_t prossimo_cartello_;
    compile_diagnostics* const diagnostics_;
    const std::int64_t last_cell_;  // U, the upper bound of the cells

    source_location keyword_at_;  // the item that made the current record
    std::int64_t station_ = 1;    // k, the entry the next station fills
    std::int64_t speed_cursor_ = 0;
    std::int64_t adhesion_cursor_ = 0;
    std::int32_t current_limit_ = 0;
    std::int32_t current_adhesion_ = 0;
    std::optional<std::int32_t> last_speed_position_;
    std::optional<std::int32_t> last_adhesion_position_;
    std::optional<std::int32_t> last_station_position_;
};

}  // namespace scenario
