// scenario-tool run in-process, the way its main runs it: run_tool over the words of a command
// line, with string streams for its output; the program's own scenario compiled by it; and the
// readings of its output the tests of the subcommands share.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "app/run_tool.h"
#include "base/scenario_files.h"
#include "describe/descriptions.h"
#include "run/run_sequence.h"
#include "testkit/test_support.h"

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

using json = nlohmann::ordered_json;

// The program's own scenario names.
inline const std::string k_line(k_nome_linea);
inline const std::string k_train(k_codice_treno);

// The one JSON document of an output: a single line, then a line end. Members keep their order,
// and two objects are equal only with the same members in the same order.
inline json parsed(const std::string& output) {
    EXPECT_TRUE(output.ends_with("\n")) << output;
    EXPECT_EQ(output.find('\n'), output.size() - 1) << output;
    return json::parse(output, nullptr, false);
}

inline std::vector<std::string> keys_of(const json& object) {
    std::vector<std::string> keys;
    for (const auto& member : object.items()) keys.push_back(member.key());
    return keys;
}

inline std::filesystem::path file_in(const std::filesystem::path& dir, const std::string& line,
                                     const std::string& train, file_kind kind) {
    return dir / path_from_utf8(scenario_file_name(line, train, kind));
}

inline std::filesystem::path real_file(const std::filesystem::path& dir, file_kind kind) {
    return file_in(dir, k_line, k_train, kind);
}

// The program's own two description texts, as its writers leave them.
inline void write_real_texts(const std::filesystem::path& dir) {
    run_state state = testing::state_in(dir);
    dati_linea(state);
    dati_treno(state);
}

inline std::vector<std::string> compile_words(const std::filesystem::path& dir,
                                              const std::string& line, const std::string& train) {
    return {"compile", shown(dir), "--line", line, "--train", train};
}

// The real scenario compiled by the tool into `dir`.
inline void compile_real_scenario(const std::filesystem::path& dir) {
    write_real_texts(dir);
    const auto result = scenario_tool(compile_words(dir, k_line, k_train));
    ASSERT_EQ(result.exit_status, 0) << result.standard_error;
}

// The first line of the output that begins with `place` and holds `marker`; empty when none.
inline std::string output_line(const std::string& output, const std::string& place,
                               const std::string& marker) {
    std::size_t start = 0;
    while (start < output.size()) {
        const std::size_t end = std::min(output.find('\n', start), output.size());
        const std::string line = output.substr(start, end - start);
        if (line.rfind(place, 0) == 0 && contains(line, marker)) return line;
        start = end + 1;
    }
    return "";
}

inline constexpr file_kind k_binary_kinds[] = {file_kind::line_geometry, file_kind::header_table,
                                               file_kind::cells};

// The "scritto:" lines of an output, the files it says were written.
inline std::string written_lines(const std::string& output) {
    std::string lines;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("scritto: ", 0) == 0) lines += line + "\n";
    }
    return lines;
}

inline std::string written_report(const std::filesystem::path& dir, const std::string& line,
                                  const std::string& train, bool geometry = true) {
    std::string report;
    for (const file_kind kind : k_binary_kinds) {
        if (kind == file_kind::line_geometry && !geometry) continue;
        report += "scritto: " + shown(file_in(dir, line, train, kind)) + "\n";
    }
    return report;
}

}  // namespace scenario::testing
