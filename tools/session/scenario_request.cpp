// The scenario a compiling subcommand names on its command line, and the checks made before
// anything is read: DIR is a folder, and both texts are in it (or the message lists what is).
#include "session/scenario_request.h"

#include <algorithm>
#include <system_error>

#include "base/names.h"
#include "base/scenario_files.h"

namespace scenario::tool {

void require_directory(const std::filesystem::path& dir) {
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) {
        throw tool_failure("cartella non trovata: " + display_path(dir));
    }
}

namespace {

// The description texts in a folder, told by the endings of their names.
struct texts_present {
    std::vector<std::string> lines;   // NAME of each NAME_linea.txt
    std::vector<std::string> trains;  // file names NAME_CODE-.txt
};

texts_present list_texts(const std::filesystem::path& dir) {
    texts_present found;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = display_path(it->path().filename());
        const auto kind =
            kind_by_ending(name, {file_kind::line_description, file_kind::train_description});
        if (kind == file_kind::line_description) {
            found.lines.push_back(name);
        } else if (kind == file_kind::train_description) {
            found.trains.push_back(name);
        }
    }
    std::sort(found.lines.begin(), found.lines.end());
    std::sort(found.trains.begin(), found.trains.end());
    return found;
}

// The present name nearest the wanted one, when it is near enough to be a slip of the keys.
std::optional<std::string> nearest_present(const std::string& wanted,
                                           const std::vector<std::string>& present) {
    const std::vector<std::string_view> names(present.begin(), present.end());
    const auto near = nearest_name(wanted, names);
    if (!near) return std::nullopt;
    return std::string(*near);
}

std::string joined(const std::vector<std::string>& names) {
    std::string all;
    for (const std::string& n : names) all += (all.empty() ? "" : ", ") + n;
    return all.empty() ? "nessuno" : all;
}

}  // namespace

void require_texts(const scenario_request& request, const text_names& names) {
    std::error_code ec;
    const bool line_there = std::filesystem::exists(request.dir / path_argument(names.line), ec);
    const bool train_there = std::filesystem::exists(request.dir / path_argument(names.train), ec);
    if (line_there && train_there) return;
    throw tool_failure(missing_texts_message(request.dir, request.dir_word, request, names,
                                             line_there, train_there));
}

std::string missing_texts_message(const std::filesystem::path& dir, const std::string& folder,
                                  const scenario_request& request, const text_names& names,
                                  bool line_there, bool train_there) {
    const std::string& line_name = names.line;
    const std::string& train_name = names.train;
    const texts_present present = list_texts(dir);
    std::string message;
    std::string hints;
    if (!line_there) {
        message = "testo della linea non trovato: " +
                  display_path(path_argument(folder) / path_argument(line_name));
        if (const auto near = nearest_present(line_name, present.lines)) {
            hints +=
                "\nnota: forse --line \"" +
                near->substr(0, near->size() - file_ending(file_kind::line_description).size()) +
                "\" (" + *near + ")";
        }
    }
    if (!train_there) {
        message += std::string(message.empty() ? "" : "\n") + "testo del treno non trovato: " +
                   display_path(path_argument(folder) / path_argument(train_name));
        if (const auto near = nearest_present(train_name, present.trains)) {
            // NAME_CODE-.txt: the code lies between the line's name and the ending.
            const std::string prefix = request.line + "_";
            const std::string code =
                near->rfind(prefix, 0) == 0
                    ? near->substr(prefix.size(),
                                   near->size() - prefix.size() -
                                       file_ending(file_kind::train_description).size())
                    : std::string();
            hints += "\nnota: forse " +
                     (code.empty() ? std::string() : "--train \"" + code + "\" ") + "(" + *near +
                     ")";
        }
    }
    return message + "\nnota: testi della linea in " + folder + ": " + joined(present.lines) +
           "\nnota: testi del treno in " + folder + ": " + joined(present.trains) + hints;
}

scenario_request parse_scenario_request(arguments args, std::string_view command,
                                        std::set<std::string> valued, std::set<std::string> bare,
                                        parsed_arguments& parsed) {
    valued.insert({"--line", "--train", "--out"});
    parsed = parse_arguments(args, valued, bare);
    if (parsed.positional.size() != 1) {
        throw usage_error(std::string(command) + " vuole una sola cartella DIR");
    }
    scenario_request r;
    r.dir_word = parsed.positional.front();
    r.dir = path_argument(r.dir_word);
    r.line = parsed.required("--line");
    r.train = parsed.required("--train");
    const auto out = parsed.values.find("--out");
    r.out_dir = out == parsed.values.end() ? r.dir : path_argument(out->second);
    return r;
}

text_names scenario_text_names(const scenario_request& request) {
    return {scenario_file_name(request.line, request.train, file_kind::line_description),
            scenario_file_name(request.line, request.train, file_kind::train_description)};
}

}  // namespace scenario::tool
