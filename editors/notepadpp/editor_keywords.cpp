#include "notepadpp/editor_keywords.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "base/geometria.h"
#include "compile/compile_support.h"
#include "compile/line_geometry.h"
#include "compile/line_records.h"
#include "compile/record_scanner.h"
#include "compile/train_records.h"
#include "describe/descriptions.h"

namespace scenario {
namespace {

// The keyword item of a line of the program's text: up to the first comma, without blanks.
std::string_view first_item(std::string_view line) {
    line = line.substr(0, line.find(','));
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const std::size_t last = line.find_last_not_of(" \t");
    return line.substr(first, last - first + 1);
}

std::size_t rows_passed(std::span<const keyword_row> rows, std::string_view item) {
    return static_cast<std::size_t>(std::count_if(
        rows.begin(), rows.end(), [&](const keyword_row& r) { return passes(r, item); }));
}

// A curve keyword names its side and its curvature: "curvad4", "curvas4". A spelling the
// compiler would not trace is a fault of this generator, not a keyword to offer.
std::vector<std::string> curve_spellings(const keyword_row& row) {
    std::vector<std::string> spellings;
    for (const curve_class& c : k_curve_classes) {
        for (const std::string_view side : {"d", "s"}) {
            std::string spelling =
                std::string(record_name(row.record)) + std::string(side) + std::string(c.digit);
            if (!curvature(spelling)) {
                throw std::logic_error("no curvature for the curve keyword " + spelling);
            }
            spellings.push_back(std::move(spelling));
        }
    }
    return spellings;
}

editor_language language(std::string name, std::span<const keyword_row> rows,
                         std::span<const std::string_view> program_text) {
    editor_language result;
    result.name = std::move(name);
    result.ignore_case = std::all_of(rows.begin(), rows.end(), [](const keyword_row& r) {
        return r.match == keyword_case::any;
    });
    for (const keyword_row& row : rows) {
        std::vector<std::string> spellings;
        if (row.record == record_kind::curve) {
            spellings = curve_spellings(row);
        } else {
            // The program's text may write more than the record's name ("ripetizione segnali 4
            // codici"): what an author copies from it is what the editor should offer.
            for (const std::string_view line : program_text) {
                const std::string_view item = first_item(line);
                if (!item.empty() && passes(row, item) && rows_passed(rows, item) == 1 &&
                    std::find(spellings.begin(), spellings.end(), item) == spellings.end()) {
                    spellings.emplace_back(item);
                }
            }
            const std::string plain(record_name(row.record));
            if (std::find(spellings.begin(), spellings.end(), plain) == spellings.end()) {
                spellings.push_back(plain);
            }
        }
        for (std::string& spelling : spellings) {
            if (!passes(row, spelling)) {
                throw std::logic_error("the keyword " + spelling + " does not pass its own row");
            }
            result.keywords.push_back({std::move(spelling), row.record});
        }
    }
    for (const std::string_view line : program_text) {
        const std::string_view item = first_item(line);
        if (is_section_header(item)) result.sections.emplace_back(item);
    }
    if (result.sections.size() < 2) {
        throw std::logic_error("the program's text of " + result.name + " has no sections");
    }
    // A record whose section the program's text leaves out still has its header offered,
    // before the end marker.
    for (const keyword_row& row : rows) {
        const std::string section(describe(row.record).section);
        if (std::find(result.sections.begin(), result.sections.end(), section) ==
            result.sections.end()) {
            result.sections.insert(result.sections.end() - 1, section);
        }
    }
    return result;
}

std::string upper(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

}  // namespace

editor_language line_language() {
    return language("scenario-linea", k_line_records, line_description_table());
}

editor_language train_language() {
    return language("scenario-treno", k_train_records, train_description_table());
}

std::vector<std::string> completion_order(const editor_language& language) {
    std::vector<std::string> words;
    for (const editor_keyword& keyword : language.keywords) words.push_back(keyword.name);
    words.insert(words.end(), language.sections.begin(), language.sections.end());
    const auto key = [&](const std::string& word) {
        return language.ignore_case ? upper(word) : word;
    };
    std::sort(words.begin(), words.end(),
              [&](const std::string& a, const std::string& b) { return key(a) < key(b); });
    words.erase(std::unique(words.begin(), words.end()), words.end());
    return words;
}

}  // namespace scenario
