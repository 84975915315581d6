// Helpers of the train pass tests: a route of prepared cells, small train texts built from
// record lines, and one call of the pass that reports what it left behind.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "compile/compiler.h"
#include "compile/description_source.h"
#include "compile/train_pass.h"

namespace scenario::testing {

// The route of the program's own line: (22000 + 7000) / 50 = 580 is the last cell.
inline constexpr std::int32_t k_route_last_cell = 580;

inline run_state route(std::int32_t last_cell = k_route_last_cell) {
    run_state state;
    state.n_celle = last_cell;
    // The route the cells were made for: the run-off takes the last 7000 m.
    state.testata[k_entry_treno].v_b = last_cell * 50 - 7000;
    state.celle.assign(static_cast<std::size_t>(last_cell) + 1, cella{});
    return state;
}

// "[generale]" on line 1, the records on lines 2, 3, ... and "[fine]" last, all CR LF.
inline std::string train_text(std::initializer_list<std::string_view> records) {
    std::string text = "[generale]\r\n";
    for (const std::string_view record : records) {
        text += record;
        text += "\r\n";
    }
    return text + "[fine]\r\n";
}

struct train_result {
    run_state state;
    compile_diagnostics diagnostics;
    bool train_text_left = false;
    bool line_text_left = false;
};

// Runs the pass over `text` with a line text beside it, which the pass must leave alone.
inline train_result run_train(const std::string& text, run_state state = route(),
                              std::int32_t prossimo_cartello = 80) {
    train_result result{std::move(state), {}, false, false};
    memory_descriptions texts(std::string("linea"), text);
    train_pass(result.state, texts, prossimo_cartello, &result.diagnostics);
    result.train_text_left = texts.exists(description_text::train);
    result.line_text_left = texts.exists(description_text::line);
    return result;
}

// A station record with the items that matter to placement; the rest are zero.
inline std::string station(std::int32_t p, int kind, std::int32_t length, int b4_value = 0,
                           int b3_value = 0, std::string_view name = "Stazione") {
    return "stazione, " + std::to_string(p) + ", " + std::to_string(kind) + ", " +
           std::to_string(length) + ", 0, " + std::to_string(b4_value) + ", " +
           std::to_string(b3_value) + ", 0,0,0, 0,0,0, 0, 6,30,0, " + std::string(name);
}

}  // namespace scenario::testing
