#include "session/compile_session.h"

#include <algorithm>
#include <system_error>

#include "base/names.h"
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
        if (const auto near = nearest_present(line_name, present.lines)) {
            hints +=
                "\nnota: forse --line \"" +
                near->substr(0, near->size() - file_ending(file_kind::line_description).size()) +
                "\" (" + *near + ")";
        }
    }
    if (!train_there) {
        message += std::string(message.empty() ? "" : "\n") + "testo del treno non trovato: " +
                   display_path(path_argument(request.dir_word) / path_argument(train_name));
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
    throw tool_failure(message + "\nnota: testi della linea in " + folder + ": " +
                       joined(present.lines) + "\nnota: testi del treno in " + folder + ": " +
                       joined(present.trains) + hints);
}

// The author's texts once more, for the checking compile: read in place, never deleted.
class checked_texts final : public description_source {
   public:
    explicit checked_texts(const memory_descriptions& texts) : texts_(texts) {}
    bool exists(description_text which) override { return texts_.text(which).has_value(); }
    std::string_view read(description_text which) override { return *texts_.text(which); }
    void remove(description_text) override {}
    std::string name(description_text which) const override { return texts_.name(which); }

   private:
    const memory_descriptions& texts_;
};

bool at_or_after(source_location a, source_location b) {
    return a.line > b.line || (a.line == b.line && a.column >= b.column);
}

// Which records of each text did not reach the compiled tables: from the record where the
// compile stopped reading that text (all of the train text when the line text stopped the
// compile before it), counted over the records the checking compile ran.
std::vector<records_not_compiled> find_not_compiled(const compiled_scenario& c) {
    std::vector<records_not_compiled> result;
    for (const description_text text : {description_text::line, description_text::train}) {
        std::optional<source_location> from =
            c.diagnostics.stopped_at[static_cast<std::size_t>(text)];
        if (text == description_text::train && c.diagnostics.train_skipped)
            from = source_location{};
        if (!from) continue;
        records_not_compiled skipped;
        skipped.file = text == description_text::line ? c.line_label : c.train_label;
        for (const compiled_record& r : c.checked.records) {
            if (r.at.text != text || !at_or_after(r.at.where, *from)) continue;
            if (skipped.first_line == 0) skipped.first_line = r.at.where.line;
            skipped.last_line = r.at.where.line;
            auto it = std::find_if(skipped.counts.begin(), skipped.counts.end(),
                                   [&](const auto& count) { return count.first == r.kind; });
            if (it == skipped.counts.end()) {
                skipped.counts.emplace_back(r.kind, 1);
            } else {
                ++it->second;
            }
        }
        if (skipped.first_line == 0) continue;
        result.push_back(std::move(skipped));
    }
    return result;
}

// The features as compiled: the records of the compile that were read before it stopped.
compile_summary summarise(const compiled_scenario& c) {
    compile_summary summary;
    summary.route_length = c.state.testata[k_entry_treno].v_b;
    for (const compiled_record& r : c.diagnostics.records) {
        const auto& stopped = c.diagnostics.stopped_at[static_cast<std::size_t>(r.at.text)];
        if (stopped && at_or_after(r.at.where, *stopped)) continue;
        if (r.at.text == description_text::train && c.diagnostics.train_skipped) continue;
        switch (r.kind) {
            case record_kind::station:
                ++summary.stations;
                break;
            case record_kind::signal:
                ++summary.signals;
                break;
            case record_kind::slow_order:
                ++summary.slow_orders;
                break;
            case record_kind::sign:
            case record_kind::speed_board:
                ++summary.signs;
                break;
            default:
                break;
        }
    }
    summary.faults = c.report.faults.size();
    summary.warnings = c.report.warnings.size();
    return summary;
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

compile_inputs compiled_scenario::checked_inputs() const {
    return {checked_state,
            checked,
            texts->text(description_text::line),
            texts->text(description_text::train),
            line_label,
            train_label};
}

int compiled_scenario::status() const {
    if (outcome.identity_fault != 0) return k_exit_identity_fault;
    return state.codice_errore != 0 ? k_exit_fault_recorded : k_exit_ok;
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
    compiled->outcome =
        compila_scenario(state, request.geometry ? 1 : 0, *compiled->texts, &compiled->diagnostics);

    // The checking compile goes on past every fault, on its own state.
    run_state& check = compiled->checked_state;
    check.nome_linea = request.line;
    check.codice_treno = request.train;
    check.scenario_directory = state.scenario_directory;
    compiled->checked.checking = true;
    checked_texts again(*compiled->texts);
    compila_scenario(check, request.geometry ? 1 : 0, again, &compiled->checked);

    // Everything that may still fail for want of memory comes before any file is written.
    compile_report& report = compiled->report;
    report.faults = describe_faults(compiled->inputs(), compiled->outcome);
    const std::vector<fault_report> others =
        describe_checked_faults(compiled->checked_inputs(), report.faults);
    report.faults.insert(report.faults.end(), others.begin(), others.end());
    report.warnings = describe_warnings(compiled->checked_inputs());
    report.not_compiled = find_not_compiled(*compiled);
    report.summary = summarise(*compiled);
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
