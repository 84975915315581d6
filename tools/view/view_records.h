// The records of a compile as the page quotes them: each one's whole line of the author's text,
// looked up by where its keyword stands, by the line it is on or by its kind. The page's data
// carries only the records its features and diagnostics refer to, in one list.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "cli/json.h"
#include "compile/compiler.h"
#include "model/compile_records.h"

namespace scenario::tool {

struct compiled_scenario;

// The lines of one text, split where the item reader counts a line end (CR LF, CR or LF).
class text_lines {
   public:
    explicit text_lines(const std::optional<std::string>& text);
    // Line n (from 1) as the text holds it (Windows-1252), without its line end; empty when the
    // text has no such line.
    std::string_view line(std::int32_t n) const;

   private:
    std::string_view text_;
    std::vector<std::size_t> starts_;
};

// The index of a text in the page's list of texts: the line text 0, the train text 1.
inline int text_index(description_text text) { return text == description_text::line ? 0 : 1; }

class record_table {
   public:
    explicit record_table(const compiled_scenario& compiled);

    // The index in the page's list of the record whose keyword stands at `at`, added to the list
    // the first time it is asked for; null when there is no place.
    json ref(const std::optional<text_position>& at);

    // The first record run whose keyword is on this line.
    const compiled_record* on_line(description_text text, std::int32_t line) const;

    const text_lines& lines(description_text text) const { return lines_[text_index(text)]; }

    // The records referred to so far: file (0 or 1), riga, colonna, nome, valori and testo (the
    // whole line, UTF-8).
    json list() const { return list_; }

   private:
    compile_records records_;
    text_lines lines_[2];
    std::map<std::tuple<int, std::int32_t, std::int32_t>, std::size_t> listed_;
    json list_ = json::array();
};

}  // namespace scenario::tool
