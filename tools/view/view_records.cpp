// The records of a compile as the page quotes them. A record's place is its keyword item's line
// and column, as the record scanner noted it; its text is the whole line there, converted from
// Windows-1252 for the page.
#include "view/view_records.h"

#include "base/windows1252.h"
#include "compile/item_reader.h"
#include "session/compile_session.h"

namespace scenario::tool {

text_lines::text_lines(const std::optional<std::string>& text) {
    if (!text) return;
    text_ = *text;
    starts_ = line_starts(text_);
}

std::string_view text_lines::line(std::int32_t n) const {
    if (n < 1 || static_cast<std::size_t>(n) > starts_.size()) return {};
    const std::size_t begin = starts_[static_cast<std::size_t>(n - 1)];
    std::size_t end = begin;
    while (end < text_.size() && text_[end] != '\r' && text_[end] != '\n') ++end;
    return text_.substr(begin, end - begin);
}

record_table::record_table(const compiled_scenario& compiled)
    : records_(compiled.diagnostics),
      lines_{text_lines(compiled.texts->text(description_text::line)),
             text_lines(compiled.texts->text(description_text::train))} {}

json record_table::ref(const std::optional<text_position>& at) {
    if (!at) return nullptr;
    const auto key = std::tuple(text_index(at->text), at->where.line, at->where.column);
    if (const auto listed = listed_.find(key); listed != listed_.end()) return listed->second;
    json entry;
    entry["file"] = text_index(at->text);
    entry["riga"] = at->where.line;
    entry["colonna"] = at->where.column;
    const compiled_record* found = records_.at(at);
    // A record past the diagnostics' cap is quoted without its name and numbers.
    entry["nome"] = found != nullptr ? record_name(found->kind) : "";
    entry["valori"] = found != nullptr ? found->values : std::vector<std::int32_t>{};
    entry["testo"] = from_windows1252(lines(at->text).line(at->where.line));
    list_.push_back(std::move(entry));
    listed_.emplace(key, list_.size() - 1);
    return list_.size() - 1;
}

const compiled_record* record_table::on_line(description_text text, std::int32_t line) const {
    return records_.on_line(text, line);
}

}  // namespace scenario::tool
