// `scenario-tool compile`: compiles an author's two description texts with the program's own
// compile-and-write steps and prints what the program never shows: the recorded fault in the
// form compilers use, and warnings about records that the format silently drops. The author's
// files are only read: the compiler works on private copies held in memory.
#include <iostream>
#include <optional>
#include <system_error>

#include "compile/description_source.h"
#include "json.h"
#include "messages.h"
#include "output/binary_files.h"
#include "platform/platform.h"
#include "run/run_sequence.h"
#include "base/scenario_files.h"
#include "tool.h"

namespace scenario::tool {
namespace {

struct compile_request {
    std::string dir_word;  // DIR as typed, for the names in diagnostics
    std::filesystem::path dir;
    std::filesystem::path out_dir;
    std::string line;   // NAME, UTF-8
    std::string train;  // CODE, UTF-8
    bool geometry = true;
    bool json = false;
};

compile_request parse_request(arguments args) {
    const parsed_arguments parsed =
        parse_arguments(args, {"--line", "--train", "--out"}, {"--no-geometry", "--json"});
    if (parsed.positional.size() != 1) {
        throw usage_error("compile vuole una sola cartella DIR");
    }
    compile_request r;
    r.dir_word = parsed.positional.front();
    r.dir = path_argument(r.dir_word);
    r.line = parsed.required("--line");
    r.train = parsed.required("--train");
    const auto out = parsed.values.find("--out");
    r.out_dir = out == parsed.values.end() ? r.dir : path_argument(out->second);
    r.geometry = !parsed.has("--no-geometry");
    r.json = parsed.has("--json");
    return r;
}

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

// Writes the binary set into OUTDIR, one writer at a time (the program and other runs of the tool
// wait for each other there).
std::vector<std::string> write_files(const run_state& state) {
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

void print_text(const std::vector<located_message>& warnings,
                const std::vector<fault_report>& faults, const std::vector<std::string>& files,
                streams io) {
    for (const located_message& w : warnings) {
        io.err << location_prefix(w) << "avviso: " << w.text << '\n';
    }
    for (const fault_report& f : faults) {
        io.err << location_prefix(f.message) << "errore " << f.code << ": " << f.message.text
               << '\n';
    }
    for (const std::string& file : files) io.out << "scritto: " << file << '\n';
}

void location_members(json_writer& json, const located_message& m) {
    json.member("file", m.file);
    if (m.where) {
        json.member("line", m.where->line);
        json.member("column", m.where->column);
    } else {
        json.null_member("line");
        json.null_member("column");
    }
}

void print_json(const std::vector<located_message>& warnings,
                const std::vector<fault_report>& faults, const std::vector<std::string>& files,
                streams io) {
    json_writer json(io.out);
    json.begin_object();
    if (faults.empty()) {
        json.member("codice_errore", 0);
        json.null_member("posizione_errore");
        json.null_member("file");
        json.null_member("line");
        json.null_member("column");
        json.null_member("message");
    } else {
        const fault_report& main = faults.back();
        json.member("codice_errore", main.code);
        if (main.position)
            json.member("posizione_errore", *main.position);
        else
            json.null_member("posizione_errore");
        location_members(json, main.message);
        json.member("message", main.message.text);
    }
    json.key("errori");
    json.begin_array();
    for (const fault_report& f : faults) {
        json.begin_object();
        json.member("codice", f.code);
        location_members(json, f.message);
        json.member("message", f.message.text);
        json.end_object();
    }
    json.end_array();
    json.key("warnings");
    json.begin_array();
    for (const located_message& w : warnings) {
        json.begin_object();
        location_members(json, w);
        json.member("message", w.text);
        json.end_object();
    }
    json.end_array();
    json.key("files");
    json.begin_array();
    for (const std::string& file : files) json.value(file);
    json.end_array();
    json.end_object();
}

}  // namespace

int compile_command(arguments args, streams io) {
    const compile_request request = parse_request(args);
    require_directory(request.dir);
    require_directory(request.out_dir);

    const std::string line_name =
        scenario_file_name(request.line, request.train, file_kind::line_description);
    const std::string train_name =
        scenario_file_name(request.line, request.train, file_kind::train_description);
    std::optional<std::string> line_text = read_if_present(request.dir / path_argument(line_name));
    std::optional<std::string> train_text =
        read_if_present(request.dir / path_argument(train_name));
    const std::string line_label =
        display_path(path_argument(request.dir_word) / path_argument(line_name));
    const std::string train_label =
        display_path(path_argument(request.dir_word) / path_argument(train_name));

    run_state state;
    state.nome_linea = request.line;
    state.codice_treno = request.train;
    const std::filesystem::path out_dir = request.out_dir;
    state.scenario_directory = [out_dir] { return out_dir; };

    // The texts move into the source: the compile reads them in place, and the diagnostics quote
    // them from there.
    memory_descriptions texts(std::move(line_text), std::move(train_text), line_label, train_label);
    compile_diagnostics diagnostics;
    const compile_outcome outcome =
        compila_scenario(state, request.geometry ? 1 : 0, texts, &diagnostics);

    // Everything that may still fail for want of memory comes before the files are written.
    const compile_inputs inputs{state,
                                diagnostics,
                                texts.text(description_text::line),
                                texts.text(description_text::train),
                                line_label,
                                train_label};
    const std::vector<fault_report> faults = describe_faults(inputs, outcome);
    const std::vector<located_message> warnings = describe_warnings(inputs);
    const std::vector<std::string> files =
        outcome.writes_files() ? write_files(state) : std::vector<std::string>{};
    if (request.json)
        print_json(warnings, faults, files, io);
    else
        print_text(warnings, faults, files, io);

    if (outcome.identity_fault != 0) return k_status_identity;
    return state.codice_errore != 0 ? k_status_fault : k_status_ok;
}

}  // namespace scenario::tool
