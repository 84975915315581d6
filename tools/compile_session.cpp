#include "compile_session.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include "base/scenario_files.h"
#include "output/binary_files.h"
#include "platform/platform.h"

namespace scenario::tool {
namespace {

void require_directory(const std::filesystem::path& dir) {
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) {
        throw tool_failure("cartella non trovata: " + display_path(dir));
    }
}

// The text of a description file, or nothing when the file does not exist: the compiler then
// records the fault the program would (101 for the line, 25 for the train).
std::optional<std::string> read_if_present(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return std::nullopt;
    return read_input_file(file);
}

// The description texts in a folder: line texts end in "_linea.txt", train texts in "-.txt".
struct texts_present {
    std::vector<std::string> lines;   // NAME of each NAME_linea.txt
    std::vector<std::string> trains;  // file names NAME_CODE-.txt
};

bool ends_with(const std::string& s, std::string_view end) {
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

texts_present list_texts(const std::filesystem::path& dir) {
    texts_present found;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = display_path(it->path().filename());
        if (ends_with(name, "_linea.txt")) {
            found.lines.push_back(name);
        } else if (ends_with(name, "-.txt")) {
            found.trains.push_back(name);
        }
    }
    std::sort(found.lines.begin(), found.lines.end());
    std::sort(found.trains.begin(), found.trains.end());
    return found;
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Edits (insert, delete, change) from a to b, ignoring case: how near a typed name is.
std::size_t distance(const std::string& a_typed, const std::string& b_typed) {
    const std::string a = lower(a_typed);
    const std::string b = lower(b_typed);
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The present name nearest the wanted one, when it is near enough to be a slip of the keys.
std::optional<std::string> nearest_name(const std::string& wanted,
                                        const std::vector<std::string>& present) {
    std::optional<std::string> best;
    std::size_t best_distance = 0;
    for (const std::string& name : present) {
        const std::size_t d = distance(wanted, name);
        if (!best || d < best_distance) {
            best = name;
            best_distance = d;
        }
    }
    if (!best || best_distance > std::max<std::size_t>(3, wanted.size() / 3)) return std::nullopt;
    return best;
}

std::string joined(const std::vector<std::string>& names) {
    std::string all;
    for (const std::string& n : names) all += (all.empty() ? "" : ", ") + n;
    return all.empty() ? "nessuno" : all;
}

// A text named on the command line that is not in DIR ends the command before anything is
// compiled or written: the message names what is there and the nearest name.
void require_texts(const scenario_request& request, const std::string& line_name,
                   const std::string& train_name) {
    std::error_code ec;
    const bool line_there = std::filesystem::exists(request.dir / path_argument(line_name), ec);
    const bool train_there = std::filesystem::exists(request.dir / path_argument(train_name), ec);
    if (line_there && train_there) return;

    const texts_present present = list_texts(request.dir);
    const std::string folder = request.dir_word;
    std::string message;
    std::string hints;
    if (!line_there) {
        message = "testo della linea non trovato: " +
                  display_path(path_argument(request.dir_word) / path_argument(line_name));
        if (const auto near = nearest_name(line_name, present.lines)) {
            hints += "\nnota: forse --line \"" + near->substr(0, near->size() - 10) +
                     "\" (" + *near + ")";
        }
    }
    if (!train_there) {
        message += std::string(message.empty() ? "" : "\n") + "testo del treno non trovato: " +
                   display_path(path_argument(request.dir_word) / path_argument(train_name));
        if (const auto near = nearest_name(train_name, present.trains)) {
            // NAME_CODE-.txt: the code lies between the line's name and "-.txt".
            const std::string prefix = request.line + "_";
            const std::string code =
                near->rfind(prefix, 0) == 0
                    ? near->substr(prefix.size(), near->size() - prefix.size() - 5)
                    : std::string();
            hints += "\nnota: forse " +
                     (code.empty() ? std::string() : "--train \"" + code + "\" ") + "(" +
                     *near + ")";
        }
    }
    throw tool_failure(message + "\nnota: testi della linea in " + folder + ": " +
                       joined(present.lines) + "\nnota: testi del treno in " + folder + ": " +
                       joined(present.trains) + hints);
}

}  // namespace

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

compile_inputs compiled_scenario::inputs() const {
    return {state,
            diagnostics,
            texts->text(description_text::line),
            texts->text(description_text::train),
            line_label,
            train_label};
}

int compiled_scenario::status() const {
    if (outcome.identity_fault != 0) return k_status_identity;
    return state.codice_errore != 0 ? k_status_fault : k_status_ok;
}

std::unique_ptr<compiled_scenario> compile_scenario_texts(const scenario_request& request) {
    require_directory(request.dir);

    const std::string line_name =
        scenario_file_name(request.line, request.train, file_kind::line_description);
    const std::string train_name =
        scenario_file_name(request.line, request.train, file_kind::train_description);
    require_texts(request, line_name, train_name);
    auto compiled = std::make_unique<compiled_scenario>();
    compiled->line_label = display_path(path_argument(request.dir_word) / path_argument(line_name));
    compiled->train_label =
        display_path(path_argument(request.dir_word) / path_argument(train_name));
    // The texts move into the source: the compile reads them in place, and the diagnostics
    // quote them from there.
    compiled->texts = std::make_unique<memory_descriptions>(
        read_if_present(request.dir / path_argument(line_name)),
        read_if_present(request.dir / path_argument(train_name)), compiled->line_label,
        compiled->train_label);

    run_state& state = compiled->state;
    state.nome_linea = request.line;
    state.codice_treno = request.train;
    const std::filesystem::path out_dir = request.out_dir;
    state.scenario_directory = [out_dir] { return out_dir; };
    compiled->outcome = compila_scenario(state, request.geometry ? 1 : 0, *compiled->texts,
                                         &compiled->diagnostics);

    // Everything that may still fail for want of memory comes before any file is written.
    const compile_inputs inputs = compiled->inputs();
    compiled->faults = describe_faults(inputs, compiled->outcome);
    compiled->warnings = describe_warnings(inputs);
    return compiled;
}

std::vector<std::string> write_binary_set(const compiled_scenario& compiled) {
    const run_state& state = compiled.state;
    if (!compiled.outcome.writes_files()) return {};
    // OUTDIR is made when it is not there yet, with the folders above it.
    std::error_code ec;
    std::filesystem::create_directories(state.scenario_directory(), ec);
    if (ec) {
        throw tool_failure("impossibile creare la cartella " +
                           display_path(state.scenario_directory()) + ": " + ec.message());
    }
    try {
        const platform::directory_lock lock(state.scenario_directory(), platform::k_lock_patience);
        scrivi_file_binari(state);
    } catch (const platform::file_error& e) {
        throw tool_failure("scrittura dei file binari non riuscita (" + std::string(e.what()) +
                           ")");
    }
    std::vector<std::string> written;
    if (state.crea_geometria != 0) {
        written.push_back(display_path(scenario_file(state, file_kind::line_geometry)));
    }
    written.push_back(display_path(scenario_file(state, file_kind::header_table)));
    written.push_back(display_path(scenario_file(state, file_kind::cells)));
    return written;
}

}  // namespace scenario::tool
