// The words an editor offers for each description text: the record keywords as the texts write
// them, with the values each takes, and the section headers. Everything comes from the tables
// the compiler reads the texts with and from the program's own texts, so a record added to a
// keyword table reaches the editors' files at the next build.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/record_kinds.h"

namespace scenario {

struct editor_keyword {
    // As an author writes it: "segnale", "curvad4", "ripetizione segnali 4 codici".
    std::string name;
    record_kind kind;
};

struct editor_language {
    // The language's name in the editors: "scenario-linea", "scenario-treno".
    std::string name;
    // Whether every keyword test of the text ignores case.
    bool ignore_case = false;
    // Each record's spellings, in the order of the text's keyword table; a record's spelling in
    // the program's own text comes before its plain name.
    std::vector<editor_keyword> keywords;
    // The section headers in the order of the program's own text: the first opens the text,
    // the last ends it.
    std::vector<std::string> sections;
};

editor_language line_language();
editor_language train_language();

// The keywords and the section headers of a language in the order its completion list must
// have: by bytes, or by upper-case bytes when the language ignores case.
std::vector<std::string> completion_order(const editor_language& language);

}  // namespace scenario
