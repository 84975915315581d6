// The small helpers every subcommand of the tool shares: the argument parser, paths from UTF-8
// command-line words, and reading an input file with a message an author can act on.
#include <system_error>

#include "platform/platform.h"
#include "base/scenario_files.h"
#include "tool.h"

namespace scenario::tool {

const std::string& parsed_arguments::required(const std::string& option) const {
    const auto found = values.find(option);
    if (found == values.end()) throw usage_error("manca l'opzione " + option);
    return found->second;
}

parsed_arguments parse_arguments(arguments args, const std::set<std::string>& valued,
                                 const std::set<std::string>& bare) {
    parsed_arguments parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (valued.count(word) != 0) {
            if (i + 1 == args.size()) throw usage_error("l'opzione " + word + " vuole un valore");
            if (parsed.values.count(word) != 0) throw usage_error("opzione ripetuta: " + word);
            parsed.values[word] = args[++i];
        } else if (bare.count(word) != 0) {
            parsed.flags.insert(word);
        } else if (word.size() > 1 && word[0] == '-') {
            throw usage_error("opzione sconosciuta: " + word);
        } else {
            parsed.positional.push_back(word);
        }
    }
    return parsed;
}

std::filesystem::path path_argument(const std::string& utf8) { return path_from_utf8(utf8); }

std::string display_path(const std::filesystem::path& p) {
    const std::u8string text = p.u8string();
    return std::string(text.begin(), text.end());
}

std::string read_input_file(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        throw tool_failure("file non trovato: " + display_path(file));
    }
    if (std::filesystem::is_directory(file, ec)) {
        throw tool_failure("è una cartella, non un file: " + display_path(file));
    }
    try {
        return platform::read_file(file);
    } catch (const platform::file_error& e) {
        throw tool_failure("lettura non riuscita (" + std::string(e.what()) + ")");
    }
}

}  // namespace scenario::tool
