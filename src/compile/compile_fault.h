// The faults of a text that end a compile with error 25, as data: what went wrong, as a code, and
// the values it concerns. The passes and the item reader throw them where they meet them; the
// tool words them. The arguments are those of every diagnostic of the compile.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "base/record_kinds.h"

namespace scenario {

// One argument of a diagnostic: a whole number, a text, a record kind, or a number with a
// fraction (a value worked out on its way into a field).
using diagnostic_argument = std::variant<std::int64_t, std::string, record_kind, double>;

// What ended the compile, with the arguments it carries (n a whole number, t a text, r a record
// kind, d a number with a fraction).
enum class failure_code : std::uint8_t {
    // The item reader.
    text_ends_in_record,  // -: the text ended where an item was due
    not_whole_number,     // t: the item, in the text's own bytes
    number_too_large,     // t: the item, in the text's own bytes
    beyond_long,          // n: an item that does not fit a 32-bit field
    beyond_integer,       // n: an item that does not fit a 16-bit field
    beyond_byte,          // n: an item that does not fit a byte
    // The arithmetic of the passes.
    result_beyond_long,     // n: a result that does not fit a 32-bit field
    result_beyond_integer,  // d: a result that does not fit a 16-bit field
    // The line text.
    no_route_length,        // -: no "lunghezza percorso" record
    negative_route_length,  // n: the length
    no_entry_for_sign,      // -: every header entry is taken
    sign_text_too_long,     // -: longer than 65535 characters
    too_many_mountains,     // n: the most "montagna" records there may be
    board_beyond_cells,     // n: the position of a speed-indicator board outside the cells
    // The train text.
    no_train_text,          // t: the name of the train text
    no_cells,               // -: the line text made no cells
    no_entry_for_station,   // n: the number of the station
    station_name_too_long,  // n: its length in bytes
    cell_beyond_cells,      // n: a cell a feature would lay outside the cells
    limit_beyond_cell,      // n: a speed limit whose fifth does not fit a cell's byte
};

// The arguments a code carries, one letter each.
std::string_view arguments_of(failure_code code);

// A fault of the text met while compiling it (an item that does not fit its field, a text that
// ends inside a record, ...): the compile ends with error 25.
class compile_fault : public std::exception {
   public:
    explicit compile_fault(failure_code code, std::vector<diagnostic_argument> arguments = {})
        : code_(code), arguments_(std::move(arguments)) {}
    failure_code code() const { return code_; }
    const std::vector<diagnostic_argument>& arguments() const { return arguments_; }
    // Not for authors: the tool words the code and its arguments.
    const char* what() const noexcept override { return "compile fault of the text"; }

   private:
    failure_code code_;
    std::vector<diagnostic_argument> arguments_;
};

}  // namespace scenario
