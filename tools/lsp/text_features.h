// What the editor asks about one text, answered from its last compile: the hover over a record,
// the outline, the keywords to complete, the quick fixes, the sections to fold; and where a
// compiler's place falls in the editor's text. Every meaning is read from the line model, the
// compile's records and the report; this file only puts them in the protocol's shapes.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/json.h"
#include "compile/compiler.h"
#include "lsp/editor_text.h"
#include "model/compile_records.h"
#include "model/line_model.h"

namespace scenario::tool {

struct compiled_scenario;

// What the features read of one compile, made once: the model of the compiled line (absent
// when the compile made no cells) and the index of the records run.
struct compile_features {
    explicit compile_features(std::shared_ptr<const compiled_scenario> compiled);

    std::shared_ptr<const compiled_scenario> compiled;
    compile_records records;          // of the compile that made the tables
    compile_records checked_records;  // of the checking compile, which reads every record
    std::optional<line_model> model;
};

// One text as last compiled.
struct text_view {
    description_text kind = description_text::line;
    const editor_text& text;
    const compile_features* features = nullptr;  // null when nothing was compiled
    position_encoding encoding = position_encoding::utf16;
    std::string uri;
};

// The sections of a text: each header line ("[generale]") and the last line before the next.
struct text_section {
    std::string name;  // as written, UTF-8
    std::size_t first_line = 0;
    std::size_t last_line = 0;
};
std::vector<text_section> sections_of(const editor_text& text);

// The range of the item that begins at a compiler's place (1-based line, byte column of the
// saved text): up to the next comma or the line's end, blanks after it left out.
json item_range(const editor_text& text, std::int32_t line, std::int32_t column,
                position_encoding encoding);
json point_json(const text_point& p);

json hover(const text_view& view, text_point at, bool markdown);
json document_symbols(const text_view& view, bool hierarchical);
json completions(const text_view& view, text_point at, bool snippets);
json code_actions(const text_view& view, const text_range& range);
json folding_ranges(const text_view& view);

}  // namespace scenario::tool
