// What the author is told about a compile: every fault and warning the compiler found, worded
// (wording.h) and placed in the author's texts, with notes at the other records each concerns.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/records.h"
#include "compile/compiler.h"
#include "run/run_sequence.h"

namespace scenario::tool {

// A message tied to a description text and, where known, a place in it.
struct located_message {
    std::string file;                              // the text's name as the author gave it
    description_text in = description_text::line;  // the text `file` names
    std::optional<source_location> where;
    std::string text;
    std::vector<located_message> notes;  // the other records a warning concerns
};

struct fault_report {
    std::int32_t code = 0;
    bool recorded = false;  // the code the program records (or, for 1250/1251, shows)
    std::optional<std::int32_t> position;  // metres, for the codes that carry one
    located_message message;
    std::vector<located_message> notes;  // the other records it concerns
};

// Everything a message may look at after a compile: the compiled records, the diagnostics, and
// the author's two texts (absent when the file was missing: only that is looked at) with their
// display names.
struct compile_inputs {
    const run_state& state;
    const compile_diagnostics& diagnostics;
    const std::optional<std::string>& line_text;
    const std::optional<std::string>& train_text;
    std::string line_label;
    std::string train_label;
};

// The recorded fault (if any), then the identity fault (if any).
std::vector<fault_report> describe_faults(const compile_inputs& inputs,
                                          const compile_outcome& outcome);

// The faults the checking compile found besides those already reported, in text order.
std::vector<fault_report> describe_checked_faults(const compile_inputs& checked,
                                                  const std::vector<fault_report>& reported);

std::vector<located_message> describe_warnings(const compile_inputs& inputs);

// The record whose keyword stands at `at`, as the compile ran it.
const compiled_record* record_at(const compile_inputs& in, const std::optional<text_position>& at);

// The progressive record whose values a header entry holds (the line pass puts the three in
// order, so an entry need not hold the record of its own name): the last one that matches.
const compiled_record* progressive_record(const compile_inputs& in, std::int32_t entry);

// "FILE:LINE:COLUMN: " or "FILE: ", the prefix compilers put before a message.
std::string location_prefix(const located_message& message);

}  // namespace scenario::tool
