// scenario-tool run in-process, the way its main runs it: run_tool over the words of a command
// line, with string streams for its output. Shared by the tests of the tool's subcommands.
#pragma once

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/run_tool.h"

namespace scenario::testing {

struct tool_result {
    int exit_status = -1;
    std::string standard_output;
    std::string standard_error;
};

// The tool on these words, as main hands them over.
inline tool_result scenario_tool(const std::vector<std::string>& words) {
    std::ostringstream out, err;
    tool_result result;
    result.exit_status = tool::run_tool(words, {out, err});
    result.standard_output = out.str();
    result.standard_error = err.str();
    return result;
}

// A path as the tool takes it in a word and shows it in a message: UTF-8.
inline std::string shown(const std::filesystem::path& p) {
    const std::u8string text = p.u8string();
    return std::string(text.begin(), text.end());
}

inline bool contains(const std::string& text, const std::string& piece) {
    return text.find(piece) != std::string::npos;
}

}  // namespace scenario::testing
