// Which scenario a compiling subcommand (compile, view, watch) names: the folder of its texts,
// the names that make the file names, where the binary set goes; and the checks made on them
// before anything is read.
#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <string_view>

#include "cli/command_line.h"

namespace scenario::tool {

// Which scenario to compile: the folder of its texts and the names that make the file names.
struct scenario_request {
    std::string dir_word;  // DIR as typed, for the names in diagnostics
    std::filesystem::path dir;
    std::filesystem::path out_dir;  // where the binary set goes, when it is written
    std::string line;               // NAME, UTF-8
    std::string train;              // CODE, UTF-8
    bool geometry = true;
};

// The options every compiling subcommand shares: DIR --line NAME --train CODE [--out OUTDIR].
// `valued` and `bare` name the subcommand's further options; its parsed words come back in
// `parsed`.
scenario_request parse_scenario_request(arguments args, std::string_view command,
                                        std::set<std::string> valued, std::set<std::string> bare,
                                        parsed_arguments& parsed);

// DIR must be a folder; throws tool_failure ("cartella non trovata") when it is not.
void require_directory(const std::filesystem::path& dir);

// The file names of the request's two texts in DIR: NAME_linea.txt and NAME_CODE-.txt.
struct text_names {
    std::string line;
    std::string train;
};
text_names scenario_text_names(const scenario_request& request);

// Both texts must be in DIR; throws tool_failure naming the missing one, the texts that are
// there and the nearest name, before anything is compiled or written.
void require_texts(const scenario_request& request, const text_names& names);

// What require_texts says when a text is missing: which one, the texts that are in the folder
// (named FOLDER in the message) and the nearest name. The two flags tell which texts are there.
std::string missing_texts_message(const std::filesystem::path& dir, const std::string& folder,
                                  const scenario_request& request, const text_names& names,
                                  bool line_there, bool train_there);

}  // namespace scenario::tool
