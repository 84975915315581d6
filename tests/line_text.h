// Helpers of the line pass tests: small line texts built from record lines, the program's own
// line text, and one run of the line pass or of the whole compile that reports what it left.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "compile/compiler.h"
#include "compile/description_source.h"
#include "compile/line_pass.h"
#include "describe/descriptions.h"
#include "base/fixed_text.h"
#include "run/run_sequence.h"

namespace scenario::testing {

// A train text with no record: the train pass that follows a line pass finds nothing to do.
inline constexpr std::string_view k_empty_train_text = "[generale]\r\n[fine]\r\n";

// The route of small_line: (1000 + 7000) / 50 = 160 is the last cell, 8000 the last metre, and
// a feature at v is beyond the cells when (v + 100) / 50 > 160, that is from v = 7901.
inline constexpr std::int32_t k_small_last_cell = 160;

// "[generale]" on line 1, the general records (a 1000 m route by default) on the next lines,
// "[curve]", the feature records one a line, and "[fine]" last, all CR LF.
inline std::string small_line(std::initializer_list<std::string_view> records,
                              std::initializer_list<std::string_view> generale = {
                                  "lunghezza percorso, 1000"}) {
    std::string text = "[generale]\r\n";
    for (const std::string_view record : generale) text += std::string(record) + "\r\n";
    text += "[curve]\r\n";
    for (const std::string_view record : records) text += std::string(record) + "\r\n";
    return text + "[fine]\r\n";
}

// The line text as the program writes it.
inline std::string program_line_text() {
    std::int32_t indice = 0;
    return render_fixed_text(line_description_table(), indice);
}

inline run_state named_state(std::int32_t crea_geometria) {
    run_state state;
    state.nome_linea = std::string(k_nome_linea);
    state.codice_treno = std::string(k_codice_treno);
    state.crea_geometria = crea_geometria;
    return state;
}

struct line_result {
    run_state state;
    line_pass_result pass;
    compile_diagnostics diagnostics;
    bool line_text_left = false;
    bool train_text_left = false;
};

// The line pass alone over `text`, with an empty train text beside it that it must not touch.
inline line_result run_line(const std::string& text, std::int32_t crea_geometria = 1) {
    line_result result{named_state(crea_geometria), {}, {}, false, false};
    memory_descriptions texts(text, std::string(k_empty_train_text));
    result.pass = line_pass(result.state, texts, &result.diagnostics);
    result.line_text_left = texts.exists(description_text::line);
    result.train_text_left = texts.exists(description_text::train);
    return result;
}

// The whole compile (memorizza_dati) over a line text, or none, and an empty train text.
inline line_result run_compile(const std::optional<std::string>& line,
                               std::int32_t crea_geometria = 1) {
    line_result result{named_state(crea_geometria), {}, {}, false, false};
    memory_descriptions texts(line, std::string(k_empty_train_text));
    memorizza_dati(result.state, texts, &result.diagnostics);
    result.line_text_left = texts.exists(description_text::line);
    result.train_text_left = texts.exists(description_text::train);
    return result;
}

}  // namespace scenario::testing
