// The description texts as the program's own look: one header line per section, one record per
// line, the keyword, then its values in aligned columns; Windows-1252 bytes with CR LF.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scenario::tool {

struct written_record {
    std::string keyword;
    std::vector<std::string> values;  // numbers, or a text item already written for the reader
};

struct written_section {
    std::string header;  // "[generale]"
    std::vector<written_record> records;
};

// The sections in order, then the closing line (the last item of a text is never read).
std::string render_text(const std::vector<written_section>& sections, std::string_view closing);

std::string number(std::int64_t value);

// A name as a text item that the item reader gives back exactly: as it is, or between double
// quotes when it has blanks at either end or a comma; nothing when no item can hold it (a line
// end, a double quote together with what needs the quotes, or one at its start).
std::optional<std::string> text_item(std::string_view name);

}  // namespace scenario::tool
