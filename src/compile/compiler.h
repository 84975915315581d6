// The scenario compiler: the line and train passes over the two description texts, the signal
// spacing pass and the identity codes, up to (not including) the binary files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/fault_codes.h"
#include "base/record_kinds.h"
#include "base/records.h"
#include "compile/description_source.h"
#include "compile/item_reader.h"

namespace scenario {

// Where something was found in a description text.
struct text_position {
    description_text text = description_text::line;
    source_location where;
    friend bool operator==(const text_position&, const text_position&) = default;
};

// Another record a warning concerns, with what it says of it.
struct warning_note {
    text_position at;
    std::string message;
};

struct compile_warning {
    text_position at;
    std::string message;  // Italian, for scenario authors
    std::vector<warning_note> notes;
};

// A record a pass ran: where its keyword item stands, its kind and the numbers it read.
struct compiled_record {
    text_position at;
    record_kind kind;
    std::vector<std::int32_t> values;
};

// What the compiler found when it recorded a code, as data: the printer decides the words. Only
// what applies to the code is set.
struct found_fault {
    fault_code code = fault_code::none;
    // The text it was found in: absent for the spacing pass and the identity codes.
    std::optional<description_text> text;
    // The keyword item of the record at fault, or where the reader stood at a run-time failure;
    // absent for the checks made after every record was read.
    std::optional<source_location> where;
    std::optional<source_location> value_at;  // the one value at fault, when one is
    std::vector<std::int32_t> values;         // the record's numbers, as far as they were read
    std::optional<std::int32_t> position;     // metres, as recorded in posizione_errore
    // The cell the record wanted and, when it was taken, what stood there and which record put
    // it there.
    std::optional<std::int64_t> cell;
    std::optional<std::int64_t> first_cell;  // with last_cell: the cells wanted together
    std::optional<std::int64_t> last_cell;
    std::optional<std::int32_t> feature_metres;  // where the feature would have stood
    std::optional<cella> occupant;
    std::optional<text_position> occupant_record;
    // The bound the record passed: the last position its kind may have (15), the longest route
    // (1), the least gap between platforms (22), the most stations (10).
    std::optional<std::int32_t> limit;
    std::vector<std::int32_t> entries;            // the header entries it concerns
    std::optional<text_position> earlier_record;  // the station record before (22)
    std::string detail;  // the reader's own words for a run-time failure (error 25)
    // Error 25 met because the record's values ran into the next record or the end of the text.
    bool missing_value = false;
    // Error 102: the section header nearest "[generale]", where the search passed it.
    std::optional<std::string> nearest_header;
    // The spacing pass: the record of the signal or slow order whose marks do not fit.
    std::optional<text_position> board_record;
};

// A fault known only by its code and, when given, its text.
inline found_fault bare_fault(fault_code code, std::optional<description_text> text = {}) {
    found_fault fault;
    fault.code = code;
    fault.text = text;
    return fault;
}

// What an author needs beyond the recorded code: the fault as found (the one that set the last
// code; the identity fault apart), the warnings the program itself never shows, and which record
// placed each feature on the cells. Filling it never changes the compiled records.
struct compile_diagnostics {
    // A text full of mistakes must not cost memory in proportion: past this many warnings of one
    // text, the others are only counted.
    static constexpr std::size_t k_max_warnings_per_text = 100;
    // The records run, in the order they ran, up to this many (a drawing has no use for more).
    static constexpr std::size_t k_max_records = 500000;
    // The faults the checking mode keeps, at most (one text can hold a fault on every line).
    static constexpr std::size_t k_max_faults = 1000;

    // The checking mode, for authors: a record at fault is passed over and the pass goes on, so
    // that one compile finds every fault of both texts; each is kept in `faults`. The state it
    // compiles is the checker's own: it is never written and says nothing of what the program
    // records.
    bool checking = false;
    std::vector<found_fault> faults;

    std::optional<found_fault> fault;
    std::optional<found_fault> identity_fault;  // 1250 or 1251: no binary file written
    // Where reading stopped for good in each text (a hard or soft stop, a run-time failure): the
    // record there and the records after it did not reach the compiled tables.
    std::optional<source_location> stopped_at[2];
    bool train_skipped = false;  // the line text stopped the compile before the train pass
    std::vector<compile_warning> warnings;
    std::size_t warnings_kept[2] = {0, 0};     // for the line text and the train text
    std::size_t warnings_dropped[2] = {0, 0};  // beyond k_max_warnings_per_text
    std::vector<compiled_record> records;

    // Which record placed the feature a cell holds (the keyword item of that record).
    void note_placed(std::int64_t cell, text_position record);
    std::optional<text_position> placed_by(std::int64_t cell) const;

   private:
    std::vector<std::optional<text_position>> placed_by_;
};

// Compiles the line text and then the train text into state.testata, state.celle and (when
// crea_geometria is nonzero) state.geometria, recording faults in codice_errore and
// posizione_errore and deleting the texts as it consumes them. Never throws a compile fault: a
// fault of the text ends the compile with error 25. A failure of the machine (file_error from the
// source, std::bad_alloc) deletes both texts and escapes to the caller.
void memorizza_dati(run_state& state, description_source& texts,
                    compile_diagnostics* diagnostics = nullptr);

struct compile_outcome {
    std::int32_t identity_fault = 0;  // 0, or the value of identity_marker or identity_code
    bool cells_compiled = false;      // false when the compile ended before the cell array existed

    bool writes_files() const { return identity_fault == 0 && cells_compiled; }
};

// The compile half of the compile-and-write step, over any pair of texts: clear the header
// table, compile, run the signal spacing pass and stamp the identity codes. When the compile ended
// before the cell array existed there is nothing to stamp: the pass and the codes are skipped.
compile_outcome compila_scenario(run_state& state, std::int32_t j, description_source& texts,
                                 compile_diagnostics* diagnostics = nullptr);

}  // namespace scenario
