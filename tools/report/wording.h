// The tool's Italian words for every diagnostic, in one place: one sentence for each fault code,
// worded from what the compiler found with it, and one for each warning code and note code,
// worded from its arguments. messages.h decides where each is shown; only this file says what.
#pragma once

#include <cstddef>
#include <string>

#include "compile/compiler.h"
#include "report/messages.h"

namespace scenario::tool {

// A fault of the compile (not 1250 or 1251), from what the compiler found with it; a bare code
// (a state compiled without diagnostics) is worded from its row alone.
std::string fault_words(const found_fault& fault, const compile_inputs& in);
// 1250 or 1251: the value found on cell 1 where the identity codes go.
std::string identity_fault_words(const found_fault& fault, const compile_inputs& in);
// A run-time failure met in a text that does not exist.
std::string missing_text_words();

std::string warning_words(const compile_warning& warning);
std::string note_words(const diagnostic_note& note);
// The warnings of one text past the most that are kept.
std::string dropped_warnings_words(std::size_t dropped);

}  // namespace scenario::tool
