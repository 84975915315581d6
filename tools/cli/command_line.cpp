// The small helpers every subcommand of the tool shares: the argument parser, paths from UTF-8
// command-line words, reading an input file with a message an author can act on, and the
// report of a failure.
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

#include "platform/platform.h"
#include "base/scenario_files.h"
#include "cli/command_line.h"

namespace scenario::tool {
namespace {

// The options were first spelled partly in Italian; those spellings still work.
constexpr std::array<std::pair<std::string_view, std::string_view>, 4> k_option_aliases = {{
    {"--da", "--from"},
    {"--a", "--to"},
    {"--porta", "--port"},
    {"--compilazioni", "--compiles"},
}};

std::string canonical_option(const std::string& word) {
    for (const auto& [alias, name] : k_option_aliases) {
        if (word == alias) return std::string(name);
    }
    return word;
}

}  // namespace

void print_error(std::ostream& err, std::string_view message) {
    err << "scenario-tool: errore: " << message << '\n';
}

int output_failure(streams io) {
    const int err = errno;
    print_error(io.err, std::string("scrittura sull'uscita standard non riuscita") +
                            (err != 0 ? std::string(": ") + std::strerror(err) : std::string()));
    return k_exit_failure;
}

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
        const std::string option = canonical_option(word);
        if (valued.count(option) != 0) {
            if (i + 1 == args.size()) throw usage_error("l'opzione " + word + " vuole un valore");
            if (parsed.values.count(option) != 0) throw usage_error("opzione ripetuta: " + word);
            parsed.values[option] = args[++i];
        } else if (bare.count(option) != 0) {
            parsed.flags.insert(option);
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
