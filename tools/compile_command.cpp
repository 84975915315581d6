// `scenario-tool compile`: compiles an author's two description texts with the program's own
// compile-and-write steps and prints what the program never shows: the recorded fault in the
// form compilers use, and warnings about records that the format silently drops. The author's
// files are only read: the compiler works on private copies held in memory.
#include <ostream>

#include "compile_session.h"
#include "json.h"

namespace scenario::tool {
namespace {

void print_text(const compiled_scenario& compiled, const std::vector<std::string>& files,
                streams io) {
    print_diagnostics(compiled, io.err);
    for (const std::string& file : files) io.out << "scritto: " << file << '\n';
}

// The members "file", "line" and "column" of a message's object.
void add_location(json& object, const located_message& m) {
    object["file"] = m.file;
    object["line"] = m.where ? json(m.where->line) : json(nullptr);
    object["column"] = m.where ? json(m.where->column) : json(nullptr);
}

// The last fault (the one that stopped the compile) in the top members, every fault in "errori".
void print_json(const std::vector<located_message>& warnings,
                const std::vector<fault_report>& faults, const std::vector<std::string>& files,
                streams io) {
    json document;
    if (faults.empty()) {
        document["codice_errore"] = 0;
        for (const char* key : {"posizione_errore", "file", "line", "column", "message"}) {
            document[key] = nullptr;
        }
    } else {
        const fault_report& main = faults.back();
        document["codice_errore"] = main.code;
        document["posizione_errore"] = value_or_null(main.position);
        add_location(document, main.message);
        document["message"] = main.message.text;
    }
    json errors = json::array();
    for (const fault_report& f : faults) {
        json error;
        error["codice"] = f.code;
        add_location(error, f.message);
        error["message"] = f.message.text;
        errors.push_back(std::move(error));
    }
    document["errori"] = std::move(errors);
    json warning_list = json::array();
    for (const located_message& w : warnings) {
        json warning;
        add_location(warning, w);
        warning["message"] = w.text;
        warning_list.push_back(std::move(warning));
    }
    document["warnings"] = std::move(warning_list);
    document["files"] = files;
    write_json(io.out, document);
}

}  // namespace

void print_diagnostics(const compiled_scenario& compiled, std::ostream& err) {
    for (const located_message& w : compiled.warnings) {
        err << location_prefix(w) << "avviso: " << w.text << '\n';
    }
    for (const fault_report& f : compiled.faults) {
        err << location_prefix(f.message) << "errore " << f.code << ": " << f.message.text << '\n';
        for (const located_message& n : f.notes) {
            err << location_prefix(n) << "nota: " << n.text << '\n';
        }
    }
}

int compile_command(arguments args, streams io) {
    parsed_arguments parsed;
    scenario_request request =
        parse_scenario_request(args, "compile", {}, {"--no-geometry", "--json"}, parsed);
    request.geometry = !parsed.has("--no-geometry");
    const std::unique_ptr<compiled_scenario> compiled = compile_scenario_texts(request);
    const std::vector<std::string> files = write_binary_set(*compiled);
    if (parsed.has("--json"))
        print_json(compiled->warnings, compiled->faults, files, io);
    else
        print_text(*compiled, files, io);
    return compiled->status();
}

}  // namespace scenario::tool
